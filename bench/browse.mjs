// Browse benchmark: 100,000 tracks in 5,000 album folders
// (Music/Artist/Album/NN - Title.ext), in headless Chromium. Prints the time
// to build the artist, album and folder indexes, first with every track's
// layout still to be read and again with the layouts known, and the heap;
// then the background durations pass over the same library, with real files
// for its first tracks, and the longest frames while it runs.
//   node bench/browse.mjs [tracks]
import { rmSync, symlinkSync } from 'node:fs';
import path from 'node:path';
import { launch, openPlayer, batchScript, fileUrl, makeFixtures, tempDir } from '../tests/web/helpers.mjs';

const N = Number(process.argv[2]) || 100000;
const PER_ALBUM = 20;
const ALBUMS_PER_ARTIST = 5;

export function albumRecords(n) {
  const out = new Array(n);
  for (let i = 0; i < n; i++) {
    const album = Math.floor(i / PER_ALBUM), artist = Math.floor(album / ALBUMS_PER_ARTIST);
    const no = String(i % PER_ALBUM + 1).padStart(2, '0');
    const title = `Song ${i} of ${['night', 'river', 'glass', 'north'][i % 4]}`;
    out[i] = {
      title: `${title}`, artist: no, format: 'FLAC',
      url: `file:///home/listener/Music/Artist ${artist}/Album ${album} (${1970 + album % 50})/${no} - ${title}.flac`,
    };
  }
  return out;
}

const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];
const ms = (x) => `${x.toFixed(1)} ms`;

if (import.meta.url === `file://${process.argv[1]}`) {
  const b = await launch();
  try {
    const context = await b.fresh();
    const { page } = await openPlayer(context);
    await page.evaluate(batchScript(albumRecords(N)));
    await page.waitForFunction((n) => window.sonabel.debug.lib.size() === n, N, { timeout: 120000 });
    const r = await page.evaluate(() => {
      const core = window.sonabel.debug.core, tracks = window.sonabel.debug.lib.tracks;
      const cold = [], warm = [];
      let idx;
      for (let round = 0; round < 5; round++) {
        for (const t of tracks) t.tags = null;
        const cache = new core.TagCache();
        let t0 = performance.now();
        idx = core.buildIndexes(tracks, cache);
        cold.push(performance.now() - t0);
        t0 = performance.now();
        idx = core.buildIndexes(tracks, cache);
        warm.push(performance.now() - t0);
      }
      window.__indexes = idx; // kept for the heap figure
      return { cold, warm, albums: idx.albums.length, artists: idx.artists.length, folders: idx.folders.size };
    });
    console.log(`tracks: ${N.toLocaleString('en-US')}; indexes: ${r.albums} albums, ${r.artists} artists, ${r.folders} folders`);
    console.log(`indexes built, layouts read too (median of 5): ${ms(median(r.cold))} (runs ${r.cold.map((x) => x.toFixed(0)).join(', ')})`);
    console.log(`indexes rebuilt, layouts known (median of 5): ${ms(median(r.warm))}`);
    // Opening Albums, from the click to the next painted frame; the indexes
    // are rebuilt on the way, as after any change to the library.
    const frame = `new Promise((r) => requestAnimationFrame(() => { const c = new MessageChannel(); c.port1.onmessage = () => r(performance.now()); c.port2.postMessage(0); }))`;
    const opens = [];
    for (let i = 0; i < 5; i++) {
      await page.click('.side-item.kind-library');
      await page.evaluate(() => { window.sonabel.debug.dropIndexes(); });
      opens.push(await page.evaluate(`(() => { const t0 = performance.now();
        document.querySelector('.side-item.kind-albums').click();
        return ${frame}.then((t) => t - t0); })()`));
    }
    console.log(`Albums view painted: first open ${ms(opens[0])} (indexes rebuilt, album list made), ` +
      `again ${ms(median(opens.slice(1)))} (median of 4); ` +
      `${await page.$$eval('.item.albums:not([hidden])', (x) => x.length)} tiles in the document`);
    // Keystrokes in the search box with the Albums view shown.
    await page.focus('#search');
    const keys = [];
    for (let round = 0; round < 3; round++) {
      for (const ch of 'river') {
        await page.evaluate(() => { document.getElementById('search').addEventListener('keydown', () => { window.__key = performance.now(); }, { once: true }); });
        await page.keyboard.press(ch);
        keys.push(await page.evaluate(`${frame}.then((t) => t - window.__key)`));
      }
      await page.fill('#search', '');
    }
    console.log(`search keystroke with the Albums view (median of ${keys.length}): ${ms(median(keys))}, slowest ${ms(Math.max(...keys))}`);
    const cdp = await context.newCDPSession(page);
    await cdp.send('HeapProfiler.collectGarbage');
    const heap = await cdp.send('Runtime.getHeapUsage');
    console.log(`JS heap with the library and its indexes: ${(heap.usedSize / 1048576).toFixed(1)} MB used`);
    await durationsPass(b);
  } finally {
    await b.close();
  }
}

// The background pass over a fresh library whose first REAL tracks are
// real files (links to one FLAC) and the rest missing, as after a folder
// moved: every frame's length while it runs, and how fast it goes.
async function durationsPass(b) {
  const REAL = 3000, SECONDS = 20;
  const dir = tempDir('sonabel-bench-');
  try {
    const { 'one.flac': one } = makeFixtures(dir, [['one.flac', 3, 440]]);
    const records = albumRecords(N);
    for (let i = 0; i < REAL; i++) {
      const link = path.join(dir, `${String(i).padStart(5, '0')}.flac`);
      symlinkSync(one, link);
      records[i].url = fileUrl(link);
    }
    const { page } = await openPlayer(await b.fresh());
    // Two batches, so that the real files come first in the library.
    await page.evaluate(batchScript(records.slice(0, REAL)));
    await page.evaluate(batchScript(records.slice(REAL)));
    await page.waitForFunction((n) => window.sonabel.debug.lib.size() === n, N, { timeout: 120000 });
    const r = await page.evaluate((seconds) => new Promise((resolve) => {
      const lib = window.sonabel.debug.lib, frames = [];
      const done = () => lib.knownCount + lib.tracks.filter((t) => t.bad).length;
      const start = performance.now(), from = done();
      // Main-thread tasks over 50 ms: a long frame without one was not the page's doing.
      const tasks = [];
      new PerformanceObserver((l) => tasks.push(...l.getEntries().map((e) => e.duration))).observe({ type: 'longtask' });
      let last = start;
      const tick = (now) => {
        frames.push(now - last);
        last = now;
        if (now - start < seconds * 1000) requestAnimationFrame(tick);
        else resolve({ frames, tasks, known: lib.knownCount, read: done() - from, elapsed: now - start });
      };
      requestAnimationFrame(tick);
    }), SECONDS);
    const sorted = [...r.frames].sort((x, y) => x - y);
    const p99 = sorted[Math.floor(sorted.length * 0.99)];
    console.log(`durations pass, ${N.toLocaleString('en-US')} tracks (${REAL.toLocaleString('en-US')} real files, the rest missing), ` +
      `${SECONDS} s: ${r.read.toLocaleString('en-US')} files read (${(r.read / r.elapsed * 1000).toFixed(0)} a second, ${r.known.toLocaleString('en-US')} durations known); ` +
      `frames ${r.frames.length}, longest ${ms(sorted[sorted.length - 1])}, 99th percentile ${ms(p99)}, over 50 ms: ${r.frames.filter((x) => x > 50).length}; ` +
      `tasks over 50 ms: ${r.tasks.length}${r.tasks.length ? ` (longest ${ms(Math.max(...r.tasks))})` : ''}`);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}
