// The player in the real Linux program with 100,000 tracks, under Xvfb with
// openbox and a PulseAudio server of its own, as a user would meet it.
// Run from the repository root after building:
//
//   node bench/program.mjs [runs]      (default 5)
//
// Prints, medians over runs:
// - import: the folder chooser confirmed (its Return key) to the first rows
//   painted, and to the library safely stored (the write of all 100,000
//   committed), for a tree of 100,000 real files (hard links to one
//   3-second MP3) in 1,000 folders;
// - launch: the process spawned to the stored library's rows painted;
// - search: each keystroke typed into the search box (xdotool, so through
//   GTK and WebKit's input path), from the key event to the next painted
//   frame, while the background durations pass runs; median and p95;
// - scroll: frame times while the wheel turns 150 notches over the list,
//   and the same over a plain page of 100,000 rows in the same engine
//   (the floor); p95 of each and their ratio;
// - the web process's memory (RSS and PSS) with 100,000 tracks;
// - the durations pass: files read a second when the user leaves it alone,
//   and the web process's share of a core meanwhile and while the user
//   types (when the pass holds off).

import { execFile, execFileSync } from 'node:child_process';
import { copyFileSync, existsSync, linkSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { loadavg, tmpdir } from 'node:os';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { promisify } from 'node:util';

import { acceptLocation, waitForChooser } from '../tests/e2e/support/chooser.mjs';
import { startDisplay, waitUntil, x11 } from '../tests/e2e/support/display.mjs';
import { launchProgram, repoRoot } from '../tests/e2e/support/program.mjs';
import { startPulse } from '../tests/e2e/support/pulse.mjs';
import { startReportServer } from '../tests/e2e/support/report_server.mjs';

const run = promisify(execFile);
const RUNS = Number(process.argv[2] ?? 5);
const TRACKS = 100000;
const FLOOR_ONLY = process.env.BENCH_FLOOR_ONLY === '1'; // the plain page alone
const tree = path.join(tmpdir(), 'sonabel-bench-program-100k');
const WORDS = ['river', 'stone', 'night', 'light', 'dream', 'heart', 'rain', 'fire', 'blue', 'road', 'song', 'wind'];

function makeTree() {
  if (existsSync(path.join(tree, '.complete'))) return;
  rmSync(tree, { recursive: true, force: true });
  mkdirSync(tree, { recursive: true });
  // The files linked to live beside the tree, not in it.
  const clips = tree + '-clips';
  mkdirSync(clips, { recursive: true });
  const clip = path.join(clips, 'clip.mp3');
  execFileSync('sox', ['-n', '-r', '44100', '-c', '2', clip, 'synth', '3', 'sine', '440', 'vol', '0.2']);
  for (let folder = 0; folder < 1000; folder++) {
    // A file system allows some 65,000 links to one file.
    const source = path.join(clips, `clip${Math.floor(folder / 500)}.mp3`);
    if (!existsSync(source)) copyFileSync(clip, source);
    const artist = `Artist ${folder % 200}`;
    const dir = path.join(tree, artist, `Album ${folder}`);
    mkdirSync(dir, { recursive: true });
    for (let n = 0; n < 100; n++) {
      const i = folder * 100 + n;
      const title = `${WORDS[i % WORDS.length]} ${WORDS[(i * 7 + 3) % WORDS.length]} ${i}`;
      linkSync(source, path.join(dir, `${String(n + 1).padStart(2, '0')} - ${title}.mp3`));
    }
  }
  writeFileSync(path.join(tree, '.complete'), '');
}

function playerFiles(folder, prefix = 'web') {
  const files = {};
  for (const name of readdirSync(folder)) {
    const full = path.join(folder, name);
    if (statSync(full).isDirectory()) Object.assign(files, playerFiles(full, `${prefix}/${name}`));
    else files[`${prefix}/${name}`] = readFileSync(full);
  }
  return files;
}

// Shared by the player and the plain page: reports when rows are first
// painted, records frame times and keystroke latencies on request. The
// page's policy forbids eval, so it knows fixed commands.
function probeScript(serverUrl) {
  return `(function () {
  var server = ${JSON.stringify(serverUrl)};
  function report(data) { return fetch(server + '/report', { method: 'POST', body: JSON.stringify(data) }).catch(function () {}); }
  // After the frame that shows them: the next task after the frame's rAF.
  function afterPaint(fn) { requestAnimationFrame(function () { setTimeout(fn, 0); }); }
  function rowCount() { return document.querySelectorAll('#viewport [role="row"]').length; }
  var hadRows = false;
  function watchRows() {
    var n = !!document.querySelector('#viewport [role="row"], #plain .r');
    if (n && !hadRows) { hadRows = true; afterPaint(function () { report({ kind: 'rows', at: Date.now() }); }); }
    if (!n) hadRows = false;
  }
  new MutationObserver(watchRows).observe(document.documentElement, { childList: true, subtree: true });
  var frames = null, keys = [];
  function frame(t) { if (!frames) return; frames.push(t); requestAnimationFrame(frame); }
  document.addEventListener('keydown', function (e) {
    if (e.key.length !== 1 || e.ctrlKey) return; // letters typed
    var start = e.timeStamp;
    afterPaint(function () { keys.push(performance.now() - start); });
  }, true);
  function debug() { return window.sonabel && window.sonabel.debug; }
  function durationsKnown() {
    var P = debug(); if (!P) return 0;
    var n = 0, t = P.lib.tracks;
    for (var i = 0; i < t.length; i++) if (t[i].duration !== null || t[i].bad) n++;
    return n;
  }
  // When the shell's batch reached the page (parsed) and when the page had
  // taken its first step.
  var batchAt = 0, batchTaken = 0;
  document.addEventListener('DOMContentLoaded', function () {
    var add = window.sonabel && window.sonabel.addTracksBatch;
    if (!add) return;
    window.sonabel.addTracksBatch = function (records) { batchAt = Date.now(); add(records); batchTaken = Date.now(); };
  });
  // When the whole library was first committed: every chunk of the
  // layout written, the layout holding every track of the import (the
  // first step's rows are stored on their own before the rest comes).
  var storedAt = 0;
  setInterval(function () {
    var P = debug();
    if (storedAt || !P || P.lib.size() < ${TRACKS}) return;
    var L = P.store.layout, sum = 0;
    for (var i = 0; i < L.sizes.length; i++) sum += L.sizes[i];
    if (L.stored === L.sizes.length && sum === P.lib.size() && P.store.savedAt) storedAt = P.store.savedAt;
  }, 10);
  var commands = {
    state: function () {
      var P = debug();
      return { rows: rowCount(), tracks: P ? P.lib.size() : 0, ready: document.documentElement.getAttribute('data-ready') === 'true',
        stored: storedAt, known: durationsKnown(), batchAt: batchAt, batchTaken: batchTaken };
    },
    'add-folder': function () { document.getElementById('add-folder').click(); },
    'focus-search': function () { var s = document.getElementById('search'); s.focus(); s.select(); },
    'focus-list': function () { (document.getElementById('viewport') || document.body).focus(); },
    'frames-start': function () { frames = []; requestAnimationFrame(frame); },
    'frames-stop': function () { var f = frames; frames = null; return f.slice(1).map(function (t, i) { return t - f[i]; }); },
    'keys-start': function () { keys = []; },
    'keys-stop': function () { return keys.slice(); },
    // The page's own marks (storage.js, main.js), as times of day.
    marks: function () {
      var out = { page: Math.round(performance.timeOrigin) };
      performance.getEntriesByType('mark').forEach(function (m) { out[m.name] = Math.round(performance.timeOrigin + m.startTime); });
      return out;
    },
    close: function () { setTimeout(function () { window.sendNativeAction('closeWindow'); }, 50); },
  };
  async function serve() {
    for (;;) {
      var command;
      try { command = await (await fetch(server + '/next')).json(); }
      catch (error) { await new Promise(function (r) { setTimeout(r, 200); }); continue; }
      try { report({ kind: 'result', id: command.id, ok: true, value: commands[command.code]() }); }
      catch (error) { report({ kind: 'result', id: command.id, ok: false, error: String(error) }); }
    }
  }
  addEventListener('load', function () { watchRows(); report({ kind: 'loaded', at: Date.now() }); serve(); });
})();
`;
}

// The floor: a plain page of as many rows as the library, drawn the
// simplest way, in the same engine. (A static document of 100,000 rows
// keeps WebKit busy for minutes before its first frame here.) The rows in
// view are plain text lines, refilled on scroll, nothing else.
function plainPage() {
  return `<!DOCTYPE html><html><head><meta charset="utf-8"><title>Sonabel</title>
<style>body{margin:0;font:13px sans-serif}#plain{position:absolute;inset:0;overflow-y:auto}#tall{position:relative}
.r{position:absolute;left:0;right:0;height:35px;line-height:35px;padding:0 8px;border-bottom:1px solid #ddd;white-space:pre;overflow:hidden}</style>
<script src="probe.js"></script></head><body><div id="plain" tabindex="0"><div id="tall"></div></div>
<script src="plain.js"></script></body></html>`;
}
const plainScript = `(function () {
  var N = ${TRACKS}, H = 36, words = ${JSON.stringify(WORDS)};
  var box = document.getElementById('plain'), tall = document.getElementById('tall'), rows = [];
  tall.style.height = N * H + 'px';
  function draw() {
    var first = Math.floor(box.scrollTop / H), count = Math.ceil(box.clientHeight / H) + 1;
    while (rows.length < count) { var r = document.createElement('div'); r.className = 'r'; tall.appendChild(r); rows.push(r); }
    for (var k = 0; k < rows.length; k++) {
      var i = first + k;
      rows[k].style.top = i * H + 'px';
      rows[k].textContent = (i + 1) + '    ' + words[i % 12] + ' ' + words[(i * 7 + 3) % 12] + ' ' + i + '    Artist ' + (i % 200) + '    Album ' + Math.floor(i / 100) + '    0:03';
    }
  }
  box.addEventListener('scroll', draw);
  draw();
})();`;

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const percentile = (values, p) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.ceil((p / 100) * sorted.length) - 1)];
};

async function webProcessOf(program) {
  const { stdout } = await run('pgrep', ['-P', String(program.child.pid)]).catch(() => ({ stdout: '' }));
  for (const pid of stdout.split('\n').filter(Boolean)) {
    const name = readFileSync(`/proc/${pid}/comm`, 'utf8').trim();
    if (name.startsWith('WebKitWebProces')) return Number(pid);
  }
  return null;
}
function memoryOf(pid) {
  const rss = Number(/^VmRSS:\s+(\d+)/m.exec(readFileSync(`/proc/${pid}/status`, 'utf8'))[1]);
  const pss = Number(/^Pss:\s+(\d+)/m.exec(readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8'))[1]);
  return { rss: rss / 1024, pss: pss / 1024 };
}
// Processor time of a process, in seconds.
function cpuOf(pid) {
  const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  return (Number(fields[11]) + Number(fields[12])) / 100;
}

makeTree();
const display = await startDisplay({ width: 1280, height: 1024 });
const server = await startReportServer();
const pulse = await startPulse();
const dataHomes = [];
const cleanups = [];

async function launch({ dataHome, files, timeoutMs = 30000 }) {
  const since = server.reports.length;
  const program = await launchProgram({ display, files, dataHome, env: pulse.env });
  cleanups.push(() => program.cleanup());
  const id = await program.mainWindow({ timeoutMs });
  await server.waitForReport((r) => r.kind === 'loaded', { since, timeoutMs });
  return { program, id, since };
}
const command = async (code, options) => {
  const reply = await server.evaluate(code, options);
  if (!reply.ok) throw new Error(`${code}: ${reply.error}`);
  return reply.value;
};
const state = () => command('state');
async function close(program) {
  await command('close');
  await program.exitWithin(15000).catch(() => program.cleanup());
}

async function scroll() {
  await x11(display, 'xdotool', ['mousemove', '--sync', '640', '300']);
  await sleep(500);
  await command('frames-start');
  await x11(display, 'xdotool', ['click', '--repeat', '150', '--delay', '16', '5']);
  await sleep(300);
  return command('frames-stop');
}

const files = playerFiles(path.join(repoRoot, 'build', 'web'));
files['web/index.html'] = files['web/index.html']
  .toString()
  .replace("default-src 'none';", `default-src 'none'; connect-src ${server.url};`)
  .replace('<script src="sonabel.js"></script>', '<script src="probe.js"></script>\n<script src="sonabel.js"></script>');
files['web/probe.js'] = probeScript(server.url);
const plain = { 'web/index.html': plainPage(), 'web/probe.js': probeScript(server.url), 'web/plain.js': plainScript };

const result = { firstRows: [], stored: [], launch: [] };
let dataHome = null;
try {
  // Import, each run into an empty library.
  for (let i = 0; i < (FLOOR_ONLY ? 0 : RUNS); i++) {
    const home = mkdtempSync(path.join(tmpdir(), 'sonabel-bench-data-'));
    dataHomes.push(home);
    const { program } = await launch({ dataHome: home, files });
    await waitUntil(async () => (await state()).ready, { what: 'the empty player', timeoutMs: 20000 });
    const since = server.reports.length;
    await command('add-folder');
    await waitForChooser(display, 'Select Music Folder for Sonabel');
    let confirmedAt = 0;
    await acceptLocation(display, tree, { beforeReturn: () => (confirmedAt = Date.now()) });
    const rows = await server.waitForReport((r) => r.kind === 'rows', { since, timeoutMs: 60000 });
    const stored = await waitUntil(async () => {
      const s = await state();
      return s.tracks === TRACKS && s.stored;
    }, { what: 'the library stored', timeoutMs: 120000, intervalMs: 50 });
    result.firstRows.push(rows.at - confirmedAt);
    result.stored.push(stored - confirmedAt);
    const { batchAt, batchTaken } = await state();
    console.log(`import ${i + 1}: first rows ${rows.at - confirmedAt} ms, stored ${stored - confirmedAt} ms ` +
      `(batch parsed in the page ${batchAt - confirmedAt}, first step taken ${batchTaken - confirmedAt})`);
    await close(program);
    dataHome = home;
  }

  // Launch with the stored library; the last run stays open for the rest.
  let open = null;
  for (let i = 0; i <= RUNS && !FLOOR_ONLY; i++) {
    const since = server.reports.length;
    const program = await launchProgram({ display, files, dataHome, env: pulse.env });
    cleanups.push(() => program.cleanup());
    const rows = await server.waitForReport((r) => r.kind === 'rows', { since, timeoutMs: 60000 });
    await server.waitForReport((r) => r.kind === 'loaded', { since, timeoutMs: 30000 });
    // The first launch after the imports finds caches cold.
    if (i) {
      result.launch.push(rows.at - program.startedAt);
      const marks = await command('marks');
      const steps = Object.entries(marks).map(([name, at]) => `${name.replace('sonabel-', '')} ${at - program.startedAt}`);
      console.log(`launch ${i}: rows painted ${rows.at - program.startedAt} ms (${steps.join(', ')})`);
    }
    if (i < RUNS) await close(program);
    else open = { program, id: await program.mainWindow() };
  }

  if (!FLOOR_ONLY) await playerFigures(open);
  async function playerFigures(open) {
  // The durations pass alone: files read a second, and its share of a core.
  const web = await webProcessOf(open.program);
  await sleep(3000);
  const before = { known: (await state()).known, cpu: cpuOf(web), at: Date.now() };
  await sleep(20000);
  const after = { known: (await state()).known, cpu: cpuOf(web), at: Date.now() };
  const seconds = (after.at - before.at) / 1000;
  result.pace = (after.known - before.known) / seconds;
  result.share = (after.cpu - before.cpu) / seconds;

  // Search keystrokes, typed, with the pass running.
  await x11(display, 'xdotool', ['windowactivate', '--sync', String(open.id)]).catch(() => {});
  await command('focus-search');
  await command('keys-start');
  const typing = { cpu: cpuOf(web), at: Date.now(), known: (await state()).known };
  for (let i = 0; i < RUNS; i++) {
    for (const key of 'river'.split('')) {
      await x11(display, 'xdotool', ['key', key]);
      await sleep(400);
    }
    await x11(display, 'xdotool', ['key', 'ctrl+a']);
    await x11(display, 'xdotool', ['key', 'BackSpace']);
    await sleep(800);
  }
  result.keys = await command('keys-stop');
  result.typing = { share: (cpuOf(web) - typing.cpu) / ((Date.now() - typing.at) / 1000), read: (await state()).known - typing.known };

  // Scrolling the list, the pass running; then the plain page.
  await command('focus-list');
  result.frames = await scroll();
  result.memory = memoryOf(web);
  await close(open.program);
  }

  const plainRun = await launch({ dataHome: mkdtempSync(path.join(tmpdir(), 'sonabel-bench-data-')), files: plain, timeoutMs: 180000 });
  const plainRows = await server.waitForReport((r) => r.kind === 'rows', { since: plainRun.since, timeoutMs: 120000 });
  console.log(`plain page: rows painted ${plainRows.at - plainRun.program.startedAt} ms after the launch`);
  await sleep(2000);
  result.floor = await scroll();
  await close(plainRun.program);
} finally {
  for (const cleanup of cleanups) await cleanup().catch(() => {});
  await server.close();
  await pulse.stop();
  await display.stop();
  for (const home of dataHomes) rmSync(home, { recursive: true, force: true });
}

const ms = (v) => `${Math.round(v)} ms`;
const spread = (a) => `${ms(median(a))} (${a.map(Math.round).join(', ')})`;
const floor95 = percentile(result.floor, 95);
if (FLOOR_ONLY) {
  console.log(`plain page, 150 wheel notches: ${result.floor.length} frames, median ${ms(median(result.floor))}, p95 ${ms(floor95)}`);
  process.exit(0);
}
const p95 = percentile(result.frames, 95);
console.log(`tracks: ${TRACKS.toLocaleString('en')}, runs: ${RUNS}`);
console.log(`import, chooser confirmed to first rows painted: median ${spread(result.firstRows)}`);
console.log(`import, chooser confirmed to the library stored: median ${spread(result.stored)}`);
console.log(`launch to the stored library's rows painted: median ${spread(result.launch)}`);
console.log(`search keystroke with the durations pass running (${result.keys.length} keys): median ${ms(median(result.keys))}, p95 ${ms(percentile(result.keys, 95))}, slowest ${ms(Math.max(...result.keys))}`);
console.log(`while typing: web process at ${(result.typing.share * 100).toFixed(0)} % of a core, ${result.typing.read} files read by the durations pass`);
console.log(`scroll, 150 wheel notches: player ${result.frames.length} frames, median ${ms(median(result.frames))}, p95 ${ms(p95)}; plain page ${result.floor.length} frames, median ${ms(median(result.floor))}, p95 ${ms(floor95)}; ratio of p95s ${(p95 / floor95).toFixed(2)}`);
console.log(`web process with ${TRACKS.toLocaleString('en')} tracks: RSS ${result.memory.rss.toFixed(0)} MiB, PSS ${result.memory.pss.toFixed(0)} MiB`);
console.log(`durations pass, left alone: ${result.pace.toFixed(1)} files a second; web process at ${(result.share * 100).toFixed(0)} % of a core`);
console.log(`load average: ${loadavg().map((l) => l.toFixed(2)).join(' ')}`);
