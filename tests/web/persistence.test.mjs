// What survives a reload (the library, durations, unplayable marks, settings,
// the last track and its position), the durations pass, and damaged storage.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { copyFileSync, readFileSync, rmSync, symlinkSync } from 'node:fs';
import path from 'node:path';
import {
  launch, openPlayer, deliver, saved, batchScript, fakeRecords, rows, titles, audioState, makeFixtures, tempDir, recordFor, writeBroken, pageUrl,
} from './helpers.mjs';

let browser, dir, f;
before(async () => {
  dir = tempDir();
  f = makeFixtures(dir, [['Alpha - Long.wav', 8, 440], ['Beta - Short.mp3', 1, 550], ['Gamma - Mid.flac', 2, 660]]);
  f.broken = writeBroken(dir, 'Delta - Broken.ogg');
  browser = await launch();
});
after(async () => { await browser.close(); rmSync(dir, { recursive: true, force: true }); });

const reload = async (page) => {
  await page.reload();
  await page.waitForSelector('html[data-ready=true]');
};
const knownDurations = (page) => page.textContent('#status').then((s) => {
  const m = /durations known for ([\d,]+)/.exec(s);
  return m ? Number(m[1].replace(/,/g, '')) : null;
});

describe('persistence', () => {
  test('library, marks and settings come back, with the last track paused where it was', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, [f['Alpha - Long.wav'], f['Beta - Short.mp3'], f.broken, f['Gamma - Mid.flac']].map(recordFor));
    await page.waitForFunction(() => document.querySelectorAll('.viewport .row.bad').length === 1 &&
      [...document.querySelectorAll('.viewport .c-dur .txt')].filter((e) => e.textContent).length === 3, null, { timeout: 10000 });
    await page.dblclick('.viewport .row[aria-rowindex="2"]');
    await page.waitForFunction(() => document.getElementById('audio').currentTime > 0.2);
    await page.evaluate(() => { document.getElementById('audio').currentTime = 3.5; });
    await page.click('#play');
    await page.focus('#volume');
    await page.keyboard.press('Home');
    for (let i = 0; i < 30; i++) await page.keyboard.press('ArrowRight');
    await page.click('#shuffle');
    await page.click('#repeat');
    await page.click('[data-key=title] button');
    await page.click('[data-key=title] button');
    await saved(page);

    await reload(page);
    assert.deepEqual(await titles(page), ['Short', 'Mid', 'Long', 'Broken']);
    const r = await rows(page);
    assert.deepEqual(r.map((x) => x.cells[4]), ['0:01', '0:02', '0:08', '']);
    assert.match(r[3].cls, /\bbad\b/);
    assert.equal(await page.getAttribute('[data-key=title]', 'aria-sort'), 'descending');
    assert.equal(await page.textContent('#now-title'), 'Long');
    await page.waitForFunction(() => document.getElementById('audio').readyState >= 1);
    const s = await audioState(page);
    assert.equal(s.paused, true);
    assert.ok(Math.abs(s.time - 3.5) < 0.6, `position ${s.time}`);
    assert.ok(Math.abs(s.volume - 0.3) < 1e-9, `volume ${s.volume}`);
    assert.equal(await page.getAttribute('#shuffle', 'aria-pressed'), 'true');
    assert.equal(await page.getAttribute('#repeat', 'aria-label'), 'Repeat: all');
    assert.equal(await page.textContent('#status'), '4 tracks · 11 s (durations known for 3)');
    await page.click('#play');
    await page.waitForFunction(() => document.getElementById('audio').currentTime > 3.6);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('what the first release stored comes back as it was', async () => {
    const stored = JSON.parse(readFileSync(new URL('./fixtures/stored_by_0.1.json', import.meta.url), 'utf8'));
    const { page, errors } = await openPlayer(await browser.fresh());
    await page.evaluate(async (entries) => {
      const db = await new Promise((done) => { const r = indexedDB.open('sonabel', 1); r.onsuccess = () => done(r.result); });
      await new Promise((done) => {
        const tx = db.transaction('library', 'readwrite'), st = tx.objectStore('library');
        for (const [key, value] of entries) st.put(value, key);
        tx.oncomplete = done;
      });
    }, stored.indexedDB);
    // Settings go in before the next document's scripts read them: the page
    // going away writes its own.
    await page.addInitScript((text) => { localStorage.setItem('sonabel.settings', text); }, stored.localStorage['sonabel.settings']);
    await reload(page);
    const P = await page.evaluate(() => {
      const d = window.sonabel.debug;
      return { tracks: d.lib.tracks.map((t) => [t.title, t.duration, t.plays, t.bad]),
        lists: d.playlists.lists.map((p) => [p.name, d.playlists.tracksOf(p.id, d.lib.byUrl).map((t) => t.title)]) };
    });
    assert.deepEqual(P.tracks, [['Été', 201.5, 2, true], ['Tokyo Rain', null, 0, true], ['Slow River', null, 1, true], ['Ember', null, 0, true]]);
    assert.deepEqual(P.lists, [['Late night', ['Slow River', 'Été']], ['Empty one', []]]);
    assert.equal(await page.textContent('#now-title'), 'Tokyo Rain');
    await page.click('#queue-toggle');
    assert.deepEqual(await page.$$eval('.queue-title', (e) => e.map((x) => x.textContent)), ['Ember', 'Slow River']);
    assert.equal(await page.inputValue('#volume'), '0.35');
    assert.equal(await page.getAttribute('#repeat', 'data-mode'), 'all');
    assert.equal(await page.getAttribute('[data-key=artist]', 'aria-sort'), 'descending');
    assert.equal(await page.textContent('[data-key=plays] .label'), 'Plays');
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('a reload right after a change keeps it: a large import, a removal, a clear', async () => {
    const { page } = await openPlayer(await browser.fresh());
    const status = () => page.textContent('#status');
    const steps = [
      ['import of 100,000', () => page.evaluate(batchScript(fakeRecords(100000))), '100,000 tracks', 300],
      ['removal', async () => { await page.click('.viewport .row >> nth=0'); await page.keyboard.press('Delete'); }, '99,999 tracks', 0],
      ['clear', async () => { await page.click('#clear-library'); await page.click('#confirm-ok'); }, 'No tracks', 0],
    ];
    for (const [what, change, expect, wait] of steps) {
      await change();
      await page.waitForTimeout(wait);
      await reload(page);
      assert.equal(await status(), expect, what);
    }
    await page.close();
  });

  test('closing waits for the write, a second at most', async () => {
    const { page, calls } = await openPlayer(await browser.fresh());
    await page.evaluate(() => {
      // A store that never finishes: the close must still go out.
      window.sonabel.debug.store.flush = () => new Promise(() => {});
    });
    const t0 = Date.now();
    await page.click('#win-close');
    while (!calls.includes('closeWindow') && Date.now() - t0 < 3000) await page.waitForTimeout(50);
    const took = Date.now() - t0;
    assert.ok(calls.includes('closeWindow') && took >= 900 && took < 2000, `closed after ${took} ms`);
    await page.close();
  });

  test('a last track whose file has gone is marked, and nothing starts by itself', async () => {
    const gone = path.join(dir, 'Epsilon - Moved Away.wav');
    copyFileSync(f['Alpha - Long.wav'], gone);
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, [recordFor(gone), recordFor(f['Gamma - Mid.flac'])]);
    await page.dblclick('.viewport .row[aria-rowindex="2"]');
    await page.waitForFunction(() => document.getElementById('audio').currentTime > 0.2);
    await page.click('#play');
    await saved(page);
    rmSync(gone);
    await reload(page);
    await page.waitForFunction(() => document.querySelector('.viewport .row[aria-rowindex="2"]').classList.contains('bad'));
    await page.waitForTimeout(500);
    const s = await audioState(page);
    assert.equal(s.paused, true);
    assert.equal(await page.textContent('#now-title'), 'Moved Away');
    assert.match(await page.textContent('#toast-text'), /Moved Away/);
    await page.close();
  });

  test('durations: rows in view first, then the whole library three files at a time; a reload resumes the pass', async () => {
    const links = [];
    for (let i = 0; i < 300; i++) {
      const link = path.join(dir, `copy ${String(i).padStart(3, '0')}.flac`);
      try { symlinkSync(f['Gamma - Mid.flac'], link); } catch { /* exists */ }
      links.push(link);
    }
    // The most files ever being read at once, counted from the probes'
    // sources being set and removed.
    const countAudio = () => {
      const Real = window.Audio, src = Object.getOwnPropertyDescriptor(HTMLMediaElement.prototype, 'src');
      let reading = 0;
      window.__mostAtOnce = 0;
      window.Audio = function (url) {
        const a = new Real(url), removeAttribute = a.removeAttribute.bind(a);
        Object.defineProperty(a, 'src', { get: () => src.get.call(a), set: (v) => {
          window.__mostAtOnce = Math.max(window.__mostAtOnce, ++reading);
          src.set.call(a, v);
        } });
        a.removeAttribute = (name) => { if (name === 'src') reading--; removeAttribute(name); };
        return a;
      };
    };
    const { page } = await openPlayer(await browser.fresh(), { init: countAudio });
    await deliver(page, [...links, path.join(dir, 'zz Gone.flac')].map(recordFor));
    await page.$eval('#viewport', (v) => { v.scrollTop = v.scrollHeight; });
    await page.waitForFunction(() => document.querySelector('.viewport .row[aria-rowindex="301"] .c-dur .txt')?.textContent === '0:02',
      null, { timeout: 20000 });
    const first = await knownDurations(page);
    assert.ok(first < 250, `the row in view waited for ${first} others`);
    await page.waitForFunction(() => (sonabel.debug.lib.knownCount > 60), null, { timeout: 20000 });
    await saved(page);
    const before = await knownDurations(page);
    await reload(page);
    assert.ok(await knownDurations(page) >= before);
    await page.waitForFunction(() => sonabel.debug.lib.knownCount === 300 && sonabel.debug.lib.tracks[300].bad, null, { timeout: 30000 });
    const most = await page.evaluate(() => window.__mostAtOnce);
    assert.ok(most >= 1 && most <= 3, `${most} files read at once`);
    await page.close();
  });

  test('damaged stored data gives an empty library and default settings', async () => {
    const context = await browser.fresh();
    const { page } = await openPlayer(context);
    await deliver(page, [recordFor(f['Beta - Short.mp3'])]);
    await page.waitForFunction(() => document.querySelector('.viewport .row .c-dur .txt').textContent !== '');
    await saved(page);
    await page.evaluate(() => new Promise((resolve) => {
      localStorage.setItem('sonabel.settings', '{"volume": 0.2, oops');
      const req = indexedDB.open('sonabel');
      req.onsuccess = () => {
        const tx = req.result.transaction('library', 'readwrite');
        tx.objectStore('library').put('not a meta record', 'meta');
        tx.objectStore('library').put(42, 0);
        tx.oncomplete = () => { req.result.close(); resolve(); };
      };
    }));
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await reload(page);
    assert.equal(await page.isVisible('#empty'), true);
    assert.equal((await audioState(page)).volume, 0.8);
    // And the store heals with the next change.
    await deliver(page, [recordFor(f['Gamma - Mid.flac'])]);
    await saved(page);
    await reload(page);
    assert.deepEqual(await titles(page), ['Mid']);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('without any storage at all the page still works', async () => {
    const context = await browser.fresh();
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.addInitScript(() => {
      const deny = () => { throw new DOMException('denied', 'SecurityError'); };
      Object.defineProperty(window, 'indexedDB', { get: deny });
      Object.defineProperty(window, 'localStorage', { get: deny });
      Object.defineProperty(window, 'sessionStorage', { get: deny });
    });
    await page.goto(pageUrl);
    await page.waitForSelector('html[data-ready=true]');
    await deliver(page, [recordFor(f['Beta - Short.mp3'])]);
    await page.dblclick('.viewport .row >> nth=0');
    await page.waitForFunction(() => document.getElementById('audio').currentTime > 0.1);
    await page.click('#shuffle');
    assert.deepEqual(errors, []);
    await page.close();
  });
});
