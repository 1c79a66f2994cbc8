// Shared set-up for the player's browser tests and the benchmark: Debian's
// Chromium through playwright-core, a stand-in for the shell's bridge and
// audio fixtures made with sox.
import { chromium } from 'playwright-core';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
export const root = path.resolve(here, '../..');
export const pageUrl = pathToFileURL(path.join(root, 'src/web/index.html')).href;

const CHROMIUM_ARGS = ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
  '--disable-component-update', '--no-first-run', '--disable-sync',
  '--autoplay-policy=no-user-gesture-required'];

// One browser per test file; each test takes a fresh context, which has
// storage of its own, so no test sees another's library.
export async function launch() {
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: CHROMIUM_ARGS,
  });
  const contexts = [];
  return {
    browser,
    // `options` as Playwright's: bypassCSP lets a checker script in.
    async fresh(options = {}) {
      const context = await browser.newContext({ viewport: { width: 860, height: 640 }, ...options });
      contexts.push(context);
      return context;
    },
    async close() { await browser.close().catch(() => {}); },
  };
}

// A browser with an on-disk profile in a fresh folder, as the shell keeps.
export async function launchPersistent() {
  const dir = mkdtempSync(path.join(tmpdir(), 'sonabel-profile-'));
  const context = await chromium.launchPersistentContext(dir, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    viewport: { width: 860, height: 640 },
    args: CHROMIUM_ARGS,
  });
  return {
    context,
    async close() { await context.close().catch(() => {}); rmSync(dir, { recursive: true, force: true }); },
  };
}

// A file URL as the shell writes one: the absolute path, with %, # and ?
// percent-encoded and everything else as it is.
export function fileUrl(p) {
  return 'file://' + p.replace(/%/g, '%25').replace(/#/g, '%23').replace(/\?/g, '%3F');
}

// The batch script exactly as the shell builds it: the JSON text escaped for
// a single-quoted script literal.
export function batchScript(records) {
  const json = JSON.stringify(records.map((r) => ({ title: r.title, artist: r.artist, url: r.url, format: r.format })));
  return batchScriptFromJson(json);
}

export function batchScriptFromJson(json) {
  let lit = '';
  for (const ch of json) {
    const c = ch.charCodeAt(0);
    if (ch === '\\') lit += '\\\\';
    else if (ch === '"') lit += '\\"';
    else if (ch === "'") lit += "\\'";
    else if (ch === '\b') lit += '\\b';
    else if (ch === '\t') lit += '\\t';
    else if (ch === '\n') lit += '\\n';
    else if (ch === '\f') lit += '\\f';
    else if (ch === '\r') lit += '\\r';
    else if (c < 0x20) lit += '\\u' + c.toString(16).padStart(4, '0');
    else lit += ch;
  }
  return "if (window.sonabel) { window.sonabel.addTracksBatch(JSON.parse('" + lit + "')); }";
}

// A record for a file, named the way the shell names it.
export function recordFor(file) {
  const name = path.basename(file);
  const dot = name.lastIndexOf('.');
  const stem = dot > 0 ? name.slice(0, dot) : name;
  const format = dot > 0 ? name.slice(dot + 1).toUpperCase() : '';
  const split = stem.indexOf(' - ');
  return split >= 0
    ? { title: stem.slice(split + 3), artist: stem.slice(0, split), url: fileUrl(file), format }
    : { title: stem, artist: 'Local Music', url: fileUrl(file), format };
}

// Opens the player with a stand-in bridge. `imports` maps an action name to
// the records it delivers; every call is logged in `calls`.
export async function openPlayer(context, { bridge = true, imports = {}, init } = {}) {
  const page = await context.newPage();
  if (init) await page.addInitScript(init);
  const calls = [];
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  if (bridge) {
    await page.exposeFunction('sendNativeAction', async (...args) => {
      const action = args[0];
      calls.push(action);
      const records = imports[action];
      if (records && records.length) await page.evaluate(batchScript(records));
      return { status: 'ok' };
    });
  }
  await page.goto(pageUrl);
  await page.waitForSelector('html[data-ready=true]');
  return { page, calls, errors, imports };
}

// Short audio files of every kind the tests play; returns their paths.
export function makeFixtures(dir, list) {
  const out = {};
  for (const [name, seconds, freq] of list) {
    const file = path.join(dir, name);
    execFileSync('sox', ['-n', '-r', '44100', '-c', '2', file, 'synth', String(seconds), 'sine', String(freq || 440), 'vol', '0.2']);
    out[name] = file;
  }
  return out;
}

export function tempDir(prefix = 'sonabel-audio-') {
  return mkdtempSync(path.join(tmpdir(), prefix));
}

export function writeBroken(dir, name) {
  const file = path.join(dir, name);
  writeFileSync(file, 'this is not audio at all '.repeat(200));
  return file;
}

// The rendered rows, in list order, as arrays of cell texts.
export async function rows(page) {
  return page.$$eval('.viewport .row:not([hidden])', (els) => els
    .map((r) => ({ i: Number(r.getAttribute('aria-rowindex')), cells: [...r.querySelectorAll('.txt')].map((c) => c.textContent), cls: r.className }))
    .sort((a, b) => a.i - b.i));
}

export async function titles(page) {
  return page.$$eval('.viewport .row:not([hidden])', (els) => els
    .sort((a, b) => a.getAttribute('aria-rowindex') - b.getAttribute('aria-rowindex'))
    .map((r) => r.querySelector('.c-title .txt').textContent));
}

export async function audioState(page) {
  return page.evaluate(() => {
    const a = document.getElementById('audio');
    return { src: a.getAttribute('src'), paused: a.paused, time: a.currentTime, duration: a.duration, volume: a.volume, muted: a.muted, ended: a.ended };
  });
}

export function fakeRecords(n, prefix = 'Track') {
  return Array.from({ length: n }, (_, i) => ({
    title: `${prefix} ${String(i).padStart(6, '0')}`,
    artist: `Artist ${i % 97}`,
    url: `file:///nowhere/music/${prefix}-${i}.mp3`,
    format: 'MP3',
  }));
}

// Resolves once what the page had to write is in its store. Durations and
// marks are gathered for a while, and a library of missing files keeps
// adding marks, so this asks the store to write now rather than waiting for
// it to have nothing left.
export function saved(page) {
  return page.evaluate(() => window.sonabel.debug.store.flush());
}

export async function deliver(page, records) {
  await page.evaluate(batchScript(records));
}

// Records the title of every track that starts playing, in window.__played.
// The playing element is whichever has the id "audio" at the time.
export async function logPlays(page) {
  await page.evaluate(() => {
    window.__played = [];
    document.addEventListener('playing', (e) => {
      if (e.target.id === 'audio') window.__played.push(document.getElementById('now-title').textContent);
    }, true);
  });
}

export const played = (page) => page.evaluate(() => window.__played.slice());
