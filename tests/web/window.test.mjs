// The page's own window controls, and keep-on-top lasting one run.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launch, openPlayer } from './helpers.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

describe('window controls', () => {
  test('each control sends its action and has a name', async () => {
    const { page, calls } = await openPlayer(await browser.fresh());
    await page.click('#win-min');
    await page.click('#win-max');
    await page.click('#win-max');
    await page.click('#win-close');
    await page.waitForTimeout(200);
    assert.deepEqual(calls, ['minimizeWindow', 'maximizeWindow', 'maximizeWindow', 'closeWindow']);
    for (const id of ['#win-pin', '#win-min', '#win-max', '#win-close']) {
      assert.ok((await page.getAttribute(id, 'aria-label')).length > 3, id);
    }
    await page.close();
  });

  test('keep on top is pressed until pressed again, survives a reload, not a new run', async () => {
    const context = await browser.fresh();
    const { page, calls } = await openPlayer(context);
    assert.equal(await page.getAttribute('#win-pin', 'aria-pressed'), 'false');
    await page.click('#win-pin');
    assert.equal(await page.getAttribute('#win-pin', 'aria-pressed'), 'true');
    await page.reload();
    await page.waitForSelector('html[data-ready=true]');
    assert.equal(await page.getAttribute('#win-pin', 'aria-pressed'), 'true');
    await page.click('#win-pin');
    assert.equal(await page.getAttribute('#win-pin', 'aria-pressed'), 'false');
    await page.click('#win-pin');
    assert.deepEqual(calls, ['setAlwaysOnTop', 'setAlwaysOnTop', 'setAlwaysOnTop']);
    // A new window is a new run: the shell's flag starts off, and so do we.
    const second = await openPlayer(context);
    assert.equal(await second.page.getAttribute('#win-pin', 'aria-pressed'), 'false');
    await page.close();
    await second.page.close();
  });

  test('a bridge that rejects or throws leaves the page working', async () => {
    const context = await browser.fresh();
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.addInitScript(() => {
      let n = 0;
      window.sendNativeAction = () => { n++; if (n % 2) throw new Error('boom'); return Promise.reject(new Error('no')); };
    });
    await page.goto((await import('./helpers.mjs')).pageUrl);
    await page.waitForSelector('html[data-ready=true]');
    await page.click('#add-files');
    await page.click('#add-files');
    await page.waitForFunction(() => !document.getElementById('add-files').disabled);
    await page.click('#win-max');
    assert.deepEqual(errors, []);
    await page.close();
  });
});
