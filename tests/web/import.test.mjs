// The page against the shell: the bridge, the batch script, the import
// buttons, and that track text can never run as markup.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launch, openPlayer, deliver, titles, rows, batchScriptFromJson } from './helpers.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

const rec = (title, artist, url, format = 'MP3') => ({ title, artist, url, format });

describe('without the shell', () => {
  test('works, defines neither bridge name and shows import as unavailable', async () => {
    const { page, errors } = await openPlayer(await browser.fresh(), { bridge: false });
    assert.equal(await page.evaluate(() => typeof window.sendNativeAction), 'undefined');
    assert.equal(await page.evaluate(() => '__webview__' in window), false);
    assert.equal(await page.evaluate(() => typeof window.sonabel.addTracksBatch), 'function');
    for (const id of ['#add-files', '#add-folder', '#scan-music']) assert.equal(await page.isDisabled(id), true, id);
    assert.equal(await page.isDisabled('#empty [data-action=openFile]'), true);
    assert.equal(await page.isVisible('#unavailable-note'), true);
    assert.equal(await page.isVisible('#win-close'), false);
    // Tracks handed over by script still show and the player still works.
    await deliver(page, [rec('Solo', 'Me', 'file:///x/solo.mp3')]);
    assert.deepEqual(await titles(page), ['Solo']);
    assert.deepEqual(errors, []);
    await page.close();
  });
});

describe('with the shell', () => {
  test('each import button sends its action, batches add tracks once per url', async () => {
    const a = rec('Slow River', 'Night Owls', 'file:///m/Night Owls - Slow River.flac', 'FLAC');
    const b = rec('intro', 'Local Music', 'file:///m/intro.MP3');
    const c = rec('Other', 'Local Music', 'file:///m/other.ogg', 'OGG');
    const { page, calls, imports, errors } = await openPlayer(await browser.fresh(), {
      imports: { openFolder: [a, b], openFile: [b, c], autoScanMusic: [] },
    });
    assert.equal(await page.isVisible('#empty'), true);
    await page.click('#empty [data-action=openFolder]');
    await page.waitForFunction(() => document.querySelectorAll('.viewport .row:not([hidden])').length === 2);
    assert.match(await page.textContent('#toast-text'), /^Added 2 tracks$/);
    assert.equal(await page.isVisible('#empty'), false);

    await page.click('#add-files');
    await page.waitForFunction(() => document.getElementById('toast').textContent.includes('already'));
    assert.equal(await page.textContent('#toast-text'), 'Added 1 track · 1 already in the library');
    assert.deepEqual(await titles(page), ['intro', 'Slow River', 'Other']);

    await page.click('#add-folder');
    await page.waitForFunction(() => document.getElementById('toast').textContent.startsWith('Added 0'));
    assert.deepEqual(await titles(page), ['intro', 'Slow River', 'Other']);

    imports.openFile = [];
    await page.click('#scan-music');
    await page.click('#add-files');
    await page.waitForFunction(() => !document.getElementById('add-files').disabled);
    assert.deepEqual(calls, ['openFolder', 'openFile', 'openFolder', 'autoScanMusic', 'openFile']);
    assert.equal(await page.textContent('#status'), '3 tracks');
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('records with a missing or non-string field are skipped without throwing', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    const result = await page.evaluate(() => {
      try {
        window.sonabel.addTracksBatch([
          { title: 'no url', artist: 'a', format: 'MP3' },
          { title: 'bad', artist: 7, url: 'file:///b', format: 'MP3' },
          null, 42, 'x', [],
          { title: 'good', artist: 'a', url: 'file:///good.mp3', format: 'MP3' },
        ]);
        window.sonabel.addTracksBatch(null);
        window.sonabel.addTracksBatch({ length: 3 });
        window.sonabel.addTracksBatch();
        return 'ok';
      } catch (e) { return String(e); }
    });
    assert.equal(result, 'ok');
    assert.deepEqual(await titles(page), ['good']);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('text arrives through the shell\'s script literal exactly', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    const tricky = [
      rec("Don't Stop", 'Band', "file:///m/Band - Don't Stop.mp3"),
      rec('Say "Hi" \\ back\\slash', 'Tab\tNew\nLine', 'file:///m/q.mp3'),
      rec('Café Été 東京 🎵', 'Ünïcode', 'file:///m/Caf%C3%A9%23%3F%25.mp3', 'M4A'),
      rec('', '', 'file:///m/.mp3', ''),
      rec('Ctl\u0001\u001f', 'x', 'file:///m/ctl.mp3', 'WAV'),
    ];
    await deliver(page, tricky);
    const got = (await rows(page)).map((r) => r.cells.slice(1, 4));
    // Numbered in path order within the batch.
    assert.deepEqual(got, [3, 0, 2, 4, 1].map((i) => [tricky[i].title, tricky[i].artist, tricky[i].format]));
    // The worked example of the shell's own text, character for character.
    const json = '[{"title":"Slow River","artist":"Night Owls","url":"file:///C:/Music/Night Owls - Slow River.flac","format":"FLAC"},{"title":"intro","artist":"Local Music","url":"file:///C:/Music/intro.MP3","format":"MP3"}]';
    await page.evaluate(batchScriptFromJson(json));
    assert.deepEqual((await titles(page)).slice(-2), ['intro', 'Slow River']);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('markup in a file name shows as text and runs nothing', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    let dialogs = 0;
    page.on('dialog', (d) => { dialogs++; d.dismiss(); });
    const evil = '<img src=x onerror=alert(1)>';
    await deliver(page, [rec(evil, '<b onmouseover=alert(2)>x</b>', `file:///m/${evil}.mp3`)]);
    await page.dblclick('.viewport .row >> nth=0');
    await page.waitForTimeout(500);
    const row = (await rows(page))[0];
    assert.equal(row.cells[1], evil);
    assert.equal(await page.$$eval('img:not(.list-cover):not(.now-cover), [onerror], [onmouseover]', (x) => x.length), 0);
    assert.equal(await page.textContent('#now-title'), evil);
    assert.ok((await page.title()).startsWith(evil));
    assert.equal(dialogs, 0);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('the content security policy admits only the page\'s own scripts', async () => {
    const { page } = await openPlayer(await browser.fresh());
    const csp = await page.getAttribute('meta[http-equiv=Content-Security-Policy]', 'content');
    assert.match(csp, /script-src 'self'/);
    assert.match(csp, /media-src file:/);
    assert.doesNotMatch(csp, /unsafe-inline|unsafe-eval/);
    const ran = await page.evaluate(async () => {
      const s = document.createElement('script');
      s.textContent = 'window.__inlineRan = true';
      document.body.appendChild(s);
      const st = document.createElement('style');
      st.textContent = 'body { display: none }';
      document.head.appendChild(st);
      await new Promise((r) => setTimeout(r, 50));
      return { script: window.__inlineRan === true, style: getComputedStyle(document.body).display === 'none' };
    });
    assert.deepEqual(ran, { script: false, style: false });
    await page.close();
  });

  test('the page adds only its own names to window', async () => {
    // Taken before any of the page's scripts run; kept off window itself.
    const init = () => { document.namesBefore = Object.getOwnPropertyNames(window); };
    const { page, errors } = await openPlayer(await browser.fresh(), { init });
    // The stand-in bridge and the test driver's own names aside.
    const added = await page.evaluate(() => Object.getOwnPropertyNames(window)
      .filter((n) => !document.namesBefore.includes(n))
      .filter((n) => n !== 'sendNativeAction' && !n.startsWith('__playwright'))
      .sort());
    assert.deepEqual(added, ['sonabel']);
    assert.deepEqual(errors, []);
    await page.close();
  });
});
