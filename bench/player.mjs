// Player benchmark: 100,000 tracks in one batch, in headless Chromium.
// Prints the time to the first painted rows, one search keystroke, the
// JavaScript heap after the ingest, the save latency of a batch and of a
// removal (1,000 and N tracks) and the restore from IndexedDB on reload.
//   node bench/player.mjs [tracks]
import { launchPersistent, openPlayer, batchScript } from '../tests/web/helpers.mjs';

const N = Number(process.argv[2]) || 100000;
const WORDS = ['river', 'night', 'slow', 'blue', 'été', 'glass', 'echo', 'north', 'paper', 'satellite', 'garden', 'lights', 'cold', 'morning', 'tokyo', 'sand'];
const FORMATS = ['mp3', 'flac', 'ogg', 'wav', 'm4a', 'aac', 'wma', 'opus'];

function records(n) {
  const out = new Array(n);
  let seed = 12345;
  const rnd = () => ((seed = (seed * 1103515245 + 12345) >>> 0) / 4294967296);
  const pick = (a) => a[Math.floor(rnd() * a.length)];
  for (let i = 0; i < n; i++) {
    const artist = `${pick(WORDS)} ${pick(WORDS)} ${i % 3000}`;
    const title = `${pick(WORDS)} ${pick(WORDS)} ${pick(WORDS)} ${i}`;
    const ext = pick(FORMATS);
    const album = `Album ${i % 700}`;
    out[i] = {
      title, artist, format: ext.toUpperCase(),
      url: `file:///home/listener/Music/${artist}/${album}/${String(i % 20 + 1).padStart(2, '0')} ${artist} - ${title}.${ext}`,
    };
  }
  return out;
}

// Resolves just after the next frame is painted: a message posted from a
// frame callback is handled once that frame is done.
const frames = `new Promise((r) => requestAnimationFrame(() => {
  const ch = new MessageChannel();
  ch.port1.onmessage = () => r(performance.now());
  ch.port2.postMessage(0);
}))`;
const ms = (x) => `${x.toFixed(1)} ms`;

// From the last change of the library (for a batch: its last step) to the
// first transaction that holds it being issued, every record put, and to its
// being complete. A batch is taken in steps, so `settled` says when the
// change is whole. Other writes (the durations pass marks the missing files
// of this library) may come and go meanwhile; only the first one issued once
// the change is whole counts.
const saveLatency = (page, change, settled = 'true') => page.evaluate(`new Promise((resolve) => {
  const s = window.sonabel.debug.store, flush = s.flush;
  s.flush = function () {
    const before = s.issuedAt, whole = ${settled}, changed = s.changedAt;
    const r = flush.apply(this, arguments);
    if (whole && s.issuedAt !== before) {
      s.flush = flush;
      const issued = s.issuedAt - changed;
      r.then(() => resolve(\`issued \${issued} ms, committed \${s.savedAt - changed} ms\`));
    }
    return r;
  };
  ${change}
})`);
const removeFirst = 'sonabel.debug.removeTracks(new Set([sonabel.debug.lib.tracks[0]]));';

{
  const small = await launchPersistent();
  try {
    const { page } = await openPlayer(small.context);
    const batch = await saveLatency(page, batchScript(records(1000)), 'sonabel.debug.lib.size() === 1000');
    const removal = await saveLatency(page, removeFirst);
    console.log(`save latency, 1,000 tracks: batch ${batch}; removal of the first track ${removal}`);
  } finally {
    await small.close();
  }
}

// A persistent profile, as the shell has: a private context would keep
// IndexedDB in memory, with a much smaller quota.
const b = await launchPersistent();
try {
  const context = b.context;
  const { page } = await openPlayer(context);
  const script = batchScript(records(N));
  console.log(`tracks: ${N.toLocaleString('en-US')} in one batch (${(script.length / 1e6).toFixed(1)} MB of script)`);

  // From the start of the shell's script to the first painted rows, and to
  // the whole batch being in the library (the status line counts it).
  // The frame callback is asked for before the script runs, so that it comes
  // ahead of the page's own work scheduled after that frame.
  const ingest = await page.evaluate(`(() => {
    const t0 = performance.now();
    const painted = ${frames};
    ${script}
    const t1 = performance.now();
    return painted.then((t2) => {
      const rows = document.querySelectorAll('.viewport .row:not([hidden])').length;
      return new Promise((resolve) => {
        const poll = () => document.getElementById('status').textContent.startsWith('${N.toLocaleString('en-US')} track')
          ? resolve({ call: t1 - t0, painted: t2 - t0, all: performance.now() - t0, rows })
          : setTimeout(poll, 5);
        poll();
      });
    });
  })()`);
  console.log(`script run (JSON.parse and the first step): ${ms(ingest.call)}`);
  console.log(`first rows painted: ${ms(ingest.painted)} (${ingest.rows} rows in the document)`);
  console.log(`whole batch in the library: ${ms(ingest.all)}`);

  const cdp = await context.newCDPSession(page);
  await cdp.send('HeapProfiler.collectGarbage');
  const heap = await cdp.send('Runtime.getHeapUsage');
  console.log(`JS heap after ingest: ${(heap.usedSize / 1048576).toFixed(1)} MB used (of ${(heap.totalSize / 1048576).toFixed(1)} MB)`);

  // The batch above was written while it was measured; how long that took
  // is the figure of the next run's fresh page, so measure it there.
  const fresh = await launchPersistent();
  try {
    const { page: p2 } = await openPlayer(fresh.context);
    const batch = await saveLatency(p2, script, `sonabel.debug.lib.size() === ${N}`);
    const removal = await saveLatency(p2, removeFirst);
    console.log(`save latency, ${N.toLocaleString('en-US')} tracks: batch ${batch}; removal of the first track ${removal}`);
  } finally {
    await fresh.close();
  }

  // One keystroke at a time, with the library at rest: from the key event
  // to the next painted frame. "river" typed five times over, the search
  // emptied in between; the first letter of each round scans the whole
  // library, the later ones narrow the previous result.
  await page.focus('#search');
  const firsts = [], laters = [];
  let matches = '';
  for (let round = 0; round < 5; round++) {
    for (const [i, ch] of [...'river'].entries()) {
      await page.evaluate(() => {
        window.__key = null;
        document.getElementById('search').addEventListener('keydown', () => { window.__key = performance.now(); }, { once: true });
      });
      await page.keyboard.press(ch);
      const t = await page.evaluate(`${frames}.then((t) => t - window.__key)`);
      (i === 0 ? firsts : laters).push(t);
    }
    matches = await page.textContent('#status');
    await page.fill('#search', '');
    await page.waitForTimeout(300);
  }
  const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];
  console.log(`search keystroke (median of ${firsts.length} / ${laters.length}): first letter ${ms(median(firsts))}, ` +
    `each further letter ${ms(median(laters))}; slowest ${ms(Math.max(...firsts, ...laters))} ("river": ${matches.split(' ·')[0]})`);

  await cdp.send('HeapProfiler.collectGarbage');
  const heap2 = await cdp.send('Runtime.getHeapUsage');
  console.log(`JS heap with search keys built: ${(heap2.usedSize / 1048576).toFixed(1)} MB used`);

  const restores = [];
  for (let i = 0; i < 3; i++) {
    await page.reload();
    await page.waitForSelector('html[data-ready=true]', { timeout: 30000 });
    restores.push(await page.evaluate(`${frames}.then((t) => ({
      ready: performance.getEntriesByName('sonabel-ready')[0].startTime, painted: t,
      read: performance.getEntriesByName('sonabel-read')[0].startTime,
      unpacked: performance.getEntriesByName('sonabel-unpacked')[0].startTime,
      start: performance.getEntriesByType('navigation')[0].domContentLoadedEventEnd,
      status: document.getElementById('status').textContent }))`));
  }
  const r = restores.sort((a, b) => a.painted - b.painted)[1];
  console.log(`restore on reload (median of 3, from navigation start): library ready ${ms(r.ready)}, rows painted ${ms(r.painted)} (${r.status.split(' ·')[0]})`);
  console.log(`  of which: page loaded ${ms(r.start)}, IndexedDB read done ${ms(r.read)}, tracks rebuilt ${ms(r.unpacked)}`);
} finally {
  await b.close();
}
