// Keyboard control, and that typing in the search box triggers none of it.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync, rmSync } from 'node:fs';
import path from 'node:path';
import { launch, openPlayer, deliver, titles, audioState, makeFixtures, tempDir, recordFor } from './helpers.mjs';

let browser, dir, f;
before(async () => {
  dir = tempDir();
  // A folder whose name no search here matches (search looks at folders too).
  const music = path.join(dir, 'Music', 'Q');
  mkdirSync(music, { recursive: true });
  f = makeFixtures(music, [['A - One.wav', 12, 440], ['B - Two.wav', 12, 550], ['C - Three.wav', 12, 660]]);
  browser = await launch();
});
after(async () => { await browser.close(); rmSync(dir, { recursive: true, force: true }); });

const nowTitle = (page) => page.textContent('#now-title');
const cursorTitle = (page) => page.$eval('#active-row .c-title .txt', (e) => e.textContent);
const waitFor = (page, fn, arg) => page.waitForFunction(fn, arg, { timeout: 10000 });

describe('keyboard', () => {
  test('play, pause, next, previous, seek, mute', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, Object.values(f).map(recordFor));
    await page.focus('#grid');
    await page.keyboard.press('Space');
    await waitFor(page, () => !document.getElementById('audio').paused && document.getElementById('audio').currentTime > 0);
    assert.equal(await nowTitle(page), 'One');
    await page.keyboard.press('Space');
    assert.equal((await audioState(page)).paused, true);
    await page.keyboard.press('Control+ArrowRight');
    await waitFor(page, () => document.getElementById('now-title').textContent === 'Two');
    await page.keyboard.press('Control+ArrowLeft');
    await waitFor(page, () => document.getElementById('now-title').textContent === 'One');
    await waitFor(page, () => document.getElementById('audio').readyState >= 1);
    await page.keyboard.press('Space');
    await page.keyboard.press('ArrowRight');
    let t = (await audioState(page)).time;
    assert.ok(t >= 5 && t < 6.5, `right to ${t}`);
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('ArrowLeft');
    t = (await audioState(page)).time;
    assert.ok(t >= 5 && t < 7, `right, left to ${t}`);
    await page.keyboard.press('m');
    assert.equal((await audioState(page)).muted, true);
    await page.keyboard.press('M');
    assert.equal((await audioState(page)).muted, false);
    await page.close();
  });

  test('arrows move the selection, Shift extends it, Enter plays, Delete removes', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, Object.values(f).map(recordFor));
    await page.focus('#grid');
    await page.keyboard.press('ArrowDown');
    assert.equal(await cursorTitle(page), 'One');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    assert.equal(await cursorTitle(page), 'Three');
    await page.keyboard.press('ArrowUp');
    assert.equal(await cursorTitle(page), 'Two');
    assert.equal(await page.getAttribute('#grid', 'aria-activedescendant'), 'active-row');
    await page.keyboard.press('Enter');
    await waitFor(page, () => document.getElementById('now-title').textContent === 'Two');
    await page.keyboard.press('Shift+ArrowUp');
    assert.equal(await page.textContent('#selection-info'), '2 tracks selected');
    await page.keyboard.press('Delete');
    assert.deepEqual(await titles(page), ['Three']);
    // The playing track was among them: play goes on with the next one.
    await waitFor(page, () => document.getElementById('now-title').textContent === 'Three');
    await page.close();
  });

  test('Ctrl+F finds, keys type into the search box, Escape clears it', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, Object.values(f).map(recordFor));
    await page.focus('#grid');
    await page.keyboard.press('Control+f');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'search');
    await page.keyboard.type('e t');
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('Delete');
    await page.keyboard.press('Control+a');
    assert.equal(await page.inputValue('#search'), 'e ');
    const s = await audioState(page);
    assert.deepEqual([s.paused, s.muted, s.src], [true, false, null]);
    assert.equal(await page.textContent('#selection-info'), '');
    assert.match(await page.textContent('#status'), /^2 of 3 tracks/);
    await page.keyboard.type('two'); // replaces the text Ctrl+A selected
    assert.deepEqual(await titles(page), ['Two']);
    await page.keyboard.press('Escape');
    assert.equal(await page.inputValue('#search'), '');
    assert.deepEqual(await titles(page), ['One', 'Two', 'Three']);
    await page.close();
  });
});
