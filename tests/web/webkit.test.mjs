// The page in WebKitGTK, the Linux shell's engine: driven through
// WebKitWebDriver and MiniBrowser under a virtual display.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { existsSync, rmSync } from 'node:fs';
import { createServer } from 'node:net';
import { pageUrl, batchScript, makeFixtures, tempDir, recordFor, fakeRecords } from './helpers.mjs';
import { startPulse } from '../e2e/support/pulse.mjs';

const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const missing = ['/usr/bin/WebKitWebDriver', '/usr/bin/xvfb-run', MINIBROWSER].filter((p) => !existsSync(p));

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function freePort() {
  return new Promise((resolve) => {
    const s = createServer().listen(0, '127.0.0.1', () => { const { port } = s.address(); s.close(() => resolve(port)); });
  });
}

let driver, base, session, dir, files, pulse;

async function wd(method, path, body) {
  const res = await fetch(base + path, { method, headers: { 'content-type': 'application/json' }, body: body && JSON.stringify(body) });
  const json = await res.json();
  if (!res.ok) throw new Error(`${method} ${path}: ${JSON.stringify(json.value)}`);
  return json.value;
}
const run = (script, ...args) => wd('POST', `/session/${session}/execute/sync`, { script, args });
async function until(script, timeout = 20000) {
  const end = Date.now() + timeout;
  for (;;) {
    const v = await run(script);
    if (v) return v;
    if (Date.now() > end) throw new Error(`timed out: ${script}`);
    await sleep(200);
  }
}

describe('WebKitGTK', { skip: missing.length ? `not installed: ${missing.join(', ')}` : false }, () => {
  before(async () => {
    dir = tempDir();
    files = makeFixtures(dir, [['A - One.wav', 3, 440], ['B - Two.ogg', 3, 550], ['C - Three.mp3', 3, 660], ['D - Four.flac', 3, 330]]);
    const port = await freePort();
    base = `http://127.0.0.1:${port}`;
    // Its own process group, so that the display goes with the driver. It
    // plays into an audio server of its own: on a machine with no sound card
    // GStreamer's fallback sinks sometimes never run the clock.
    pulse = await startPulse();
    driver = spawn('xvfb-run', ['-a', 'WebKitWebDriver', `--port=${port}`],
      { detached: true, stdio: 'ignore', env: { ...process.env, ...pulse.env } });
    const end = Date.now() + 30000;
    for (;;) {
      try { if ((await wd('GET', '/status')).ready) break; } catch { /* not up yet */ }
      if (Date.now() > end) throw new Error('WebKitWebDriver did not start');
      await sleep(250);
    }
    session = (await wd('POST', '/session', {
      capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] } } },
    })).sessionId;
  });

  after(async () => {
    if (session) await wd('DELETE', `/session/${session}`).catch(() => {});
    if (driver) { try { process.kill(-driver.pid, 'SIGTERM'); } catch { /* gone */ } }
    if (dir) rmSync(dir, { recursive: true, force: true });
    await pulse?.stop();
  });

  test('loads with its scripts and styles and no bridge', async () => {
    await wd('POST', `/session/${session}/url`, { url: pageUrl });
    await until("return document.documentElement.getAttribute('data-ready') === 'true'");
    const got = await run(`return {
      debug: typeof window.sonabel.debug, batch: typeof window.sonabel.addTracksBatch,
      bg: getComputedStyle(document.body).backgroundColor,
      importDisabled: document.getElementById('add-files').disabled,
      note: !document.getElementById('unavailable-note').hidden,
      empty: !document.getElementById('empty').hidden }`);
    assert.deepEqual(got, { debug: 'object', batch: 'function', bg: 'rgb(12, 14, 20)', importDisabled: true, note: true, empty: true });
  });

  test('takes a batch in the shell\'s script form, measures and plays the files', async () => {
    await run(batchScript(Object.values(files).map(recordFor)));
    assert.equal(await run("return document.querySelectorAll('.viewport .row:not([hidden])').length"), 4);
    await until("return [...document.querySelectorAll('.viewport .row .c-dur .txt')].every((e) => e.textContent === '0:03')", 30000)
      .catch(async (e) => {
        const seen = await run('return sonabel.debug.lib.tracks.map((t) => [t.title, t.duration, t.bad])');
        throw new Error(`${e.message}; tracks: ${JSON.stringify(seen)}`);
      });
    const play = await wd('POST', `/session/${session}/element`, { using: 'css selector', value: '#play' });
    await wd('POST', `/session/${session}/element/${Object.values(play)[0]}/click`, {});
    await until("const a = document.getElementById('audio'); return !a.paused && a.currentTime > 0.2");
    assert.ok((await pulse.streams()).some((stream) => !stream.corked), 'a stream plays into the audio server');
    assert.equal(await run('return document.title'), 'One — A · Sonabel');
  });

  test('a reload right after a large import, and after a removal, keeps the library', async () => {
    const reload = async () => {
      await wd('POST', `/session/${session}/refresh`, {});
      await until("return document.documentElement.getAttribute('data-ready') === 'true'");
      return run("return document.getElementById('status').textContent.split(' ·')[0]");
    };
    await run(batchScript(fakeRecords(100000)));
    await sleep(300);
    assert.equal(await reload(), '100,004 tracks');
    await run('sonabel.debug.removeTracks(new Set(sonabel.debug.lib.tracks.slice(0, 4)))');
    assert.equal(await reload(), '100,000 tracks');
  });

  test('playlists are stored with the library and come back after a reload', async () => {
    const want = await run(`const P = window.sonabel.debug, two = P.lib.tracks.slice(0, 2).reverse();
      const p = P.createPlaylist('Kept', two.map((t) => t.url));
      P.renamePlaylist(p.id, 'Kept here');
      return two.map((t) => t.title);`);
    await wd('POST', `/session/${session}/execute/async`,
      { script: 'window.sonabel.debug.store.flush().then(() => arguments[0](true))', args: [] });
    await wd('POST', `/session/${session}/refresh`, {});
    await until("return document.documentElement.getAttribute('data-ready') === 'true'");
    const got = await run(`const P = window.sonabel.debug, p = P.playlists.lists[0];
      return { names: P.playlists.lists.map((x) => x.name), titles: P.playlists.tracksOf(p.id, P.lib.byUrl).map((t) => t.title),
        side: [...document.querySelectorAll('#side-playlists .side-item')].map((e) => e.textContent) }`);
    assert.deepEqual(got, { names: ['Kept here'], titles: want, side: ['Kept here'] });
  });

  test('a narrow window opens the sidebar as a drawer; the last view comes back after a reload', async () => {
    await wd('POST', `/session/${session}/window/rect`, { width: 600, height: 700 });
    await until('return innerWidth <= 640');
    // The media query's change event, which closes the drawer, comes with the next frame.
    await wd('POST', `/session/${session}/execute/async`,
      { script: 'requestAnimationFrame(() => requestAnimationFrame(() => arguments[0](true)))', args: [] });
    const visible = (id) => run(`return document.getElementById('${id}').getBoundingClientRect().width > 0`);
    assert.equal(await visible('sidebar'), false);
    await run("document.getElementById('browse-toggle').click()");
    assert.equal(await visible('sidebar'), true);
    await run("document.querySelector('.side-item.kind-albums').click()");
    assert.deepEqual([await visible('sidebar'), await visible('browse')], [false, true]);
    await sleep(500); // the settings are written a moment later
    await wd('POST', `/session/${session}/refresh`, {});
    await until("return document.documentElement.getAttribute('data-ready') === 'true'");
    assert.equal(await run("return document.querySelector('.side-item.current').textContent"), 'Albums');
  });
});
