// The real player in the real program: it loads without script errors,
// imports a folder through the chooser and plays what it imported.
//
// It plays into an audio server of its own, as on any desktop. Without one,
// GStreamer's fallback sinks on a machine with no sound card sometimes take
// the stream and never run its clock, which says nothing about the player.

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { chmodSync, existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';

import { acceptLocation, acceptSaveAs, waitForChooser } from './support/chooser.mjs';
import { startDisplay, waitUntil } from './support/display.mjs';
import { launchProgram, repoRoot } from './support/program.mjs';
import { startReportServer } from './support/report_server.mjs';
import { startPulse } from './support/pulse.mjs';
import { makeClips } from './support/music_tree.mjs';

function playerFiles(folder, prefix = 'web') {
  const files = {};
  for (const name of readdirSync(folder)) {
    const full = path.join(folder, name);
    if (statSync(full).isDirectory()) Object.assign(files, playerFiles(full, `${prefix}/${name}`));
    else files[`${prefix}/${name}`] = readFileSync(full);
  }
  return files;
}

// Loaded before the player's own scripts. The page's policy forbids eval, so
// the probe knows a few fixed commands and reports snapshots of what a user
// would see, plus every script error.
function probeScript(serverUrl) {
  return `(function () {
  var server = ${JSON.stringify(serverUrl)};
  var errors = [];
  addEventListener('error', function (e) { errors.push(String(e.message)); });
  addEventListener('unhandledrejection', function (e) { errors.push('rejection: ' + String(e.reason && e.reason.message || e.reason)); });
  function text(id) { var node = document.getElementById(id); return node ? node.textContent : null; }
  function snapshot() {
    var audio = document.getElementById('audio');
    return { errors: errors.slice(), title: document.title, status: text('status'), nowTitle: text('now-title'),
      rowcount: Number(document.getElementById('grid').getAttribute('aria-rowcount')),
      importDisabled: document.getElementById('add-folder').disabled,
      paused: audio.paused, currentTime: audio.currentTime, bridge: typeof window.sendNativeAction, toast: text('toast-text') };
  }
  function report(data) { return fetch(server + '/report', { method: 'POST', body: JSON.stringify(data) }).catch(function () {}); }
  var commands = {
    snapshot: function () {},
    'add-folder': function () { document.getElementById('add-folder').click(); },
    'play-first-row': function () {
      var row = document.querySelector('#viewport [role="row"]');
      row.dispatchEvent(new MouseEvent('dblclick', { bubbles: true }));
    },
    'export-playlist': function () {
      var P = window.sonabel.debug;
      P.exportPlaylist(P.createPlaylist('Été trip').id);
    },
    'leave-page': function () { location.href = new URL('elsewhere.html', location.href).href; },
    reload: function () { setTimeout(function () { location.reload(); }, 100); },
  };
  async function serve() {
    for (;;) {
      var command;
      try { command = await (await fetch(server + '/next')).json(); }
      catch (error) { await new Promise(function (r) { setTimeout(r, 200); }); continue; }
      try { commands[command.code](); report({ kind: 'result', id: command.id, ok: true, value: snapshot() }); }
      catch (error) { report({ kind: 'result', id: command.id, ok: false, error: String(error) }); }
    }
  }
  addEventListener('load', function () { report({ kind: 'loaded', value: snapshot() }); serve(); });
})();
`;
}

describe('the player in the program', () => {
  let display;
  let server;
  let program;
  let music;
  let pulse;

  before(async () => {
    [display, server, pulse] = await Promise.all([startDisplay(), startReportServer(), startPulse()]);
    music = mkdtempSync(path.join(tmpdir(), 'sonabel-player-'));
    chmodSync(music, 0o755);
    await makeClips(music);
    const files = playerFiles(path.join(repoRoot, 'build', 'web'));
    // The probe talks to the test's server; everything else of the policy stays.
    files['web/index.html'] = files['web/index.html']
      .toString()
      .replace("default-src 'none';", `default-src 'none'; connect-src ${server.url};`)
      .replace('<script src="sonabel.js"></script>', '<script src="e2e-probe.js"></script>\n<script src="sonabel.js"></script>');
    files['web/e2e-probe.js'] = probeScript(server.url);
    files['web/elsewhere.html'] = '<!DOCTYPE html><title>Elsewhere</title>';
    program = await launchProgram({ display, files, env: pulse.env });
    await program.mainWindow();
  });

  after(async () => {
    await program?.cleanup();
    await server?.close();
    await display?.stop();
    await pulse?.stop();
    if (music) rmSync(music, { recursive: true, force: true });
  });

  const snapshot = async () => (await server.evaluate('snapshot')).value;
  // On a timeout the error carries the last snapshot, so a failure says what the user saw.
  const waitForSnapshot = async (what, predicate) => {
    let last;
    try {
      return await waitUntil(async () => {
        last = await snapshot();
        return predicate(last) && last;
      }, { what, timeoutMs: 20000, intervalMs: 250 });
    } catch (error) {
      error.message += `; last seen ${JSON.stringify(last)}; program said ${program.stderr.slice(-8000)}`;
      throw error;
    }
  };

  test('loads with the bridge in place, import offered and no script error', async () => {
    const loaded = await server.waitForReport((r) => r.kind === 'loaded', { timeoutMs: 20000 });
    assert.equal(loaded.value.bridge, 'function');
    assert.equal(loaded.value.importDisabled, false);
    assert.deepEqual(loaded.value.errors, []);
  });

  test('a folder chosen in the real chooser fills the library, and a double-click plays', async () => {
    await server.evaluate('add-folder');
    await waitForChooser(display, 'Select Music Folder for Sonabel');
    await acceptLocation(display, music);

    // Five clips and a header row.
    await waitForSnapshot('the imported tracks', (s) => s.rowcount === 6);
    await server.evaluate('play-first-row');
    const playing = await waitForSnapshot('playback', (s) => !s.paused && s.currentTime > 0);
    assert.equal(playing.title.includes(playing.nowTitle), true, `${playing.title} names ${playing.nowTitle}`);
    assert.deepEqual(playing.errors, []);
    assert.ok((await pulse.streams()).some((stream) => !stream.corked), 'a stream plays into the audio server');
  });

  test('after the web process crashes, the player comes back with its library', async () => {
    const since = server.reports.length;
    await program.killWebProcess();
    await server.waitForReport((r) => r.kind === 'loaded', { since, timeoutMs: 20000 });
    const back = await waitForSnapshot('the stored library', (s) => s.rowcount === 6);
    assert.deepEqual(back.errors, []);
    assert.equal(program.child.exitCode, null);
  });

  test('the window never leaves the player, and a reload still works', async () => {
    await server.evaluate('leave-page');
    await new Promise((r) => setTimeout(r, 1500));
    const still = await snapshot();
    assert.equal(still.rowcount, 6);
    await server.evaluate('reload');
    const reloaded = await server.waitForReport((r) => r.kind === 'loaded' && r.receivedAt > Date.now() - 5000, { timeoutMs: 20000 });
    assert.deepEqual(reloaded.value.errors, []);
    await waitForSnapshot('the library back after the reload', (s) => s.rowcount === 6);
  });

  test('an exported playlist goes where the save dialog says', async () => {
    const target = path.join(music, 'Saved trip.m3u8');
    await server.evaluate('export-playlist');
    await waitForChooser(display, 'Save');
    await acceptSaveAs(display, target);
    await waitUntil(() => existsSync(target) && readFileSync(target, 'utf8').length > 0, { what: 'the saved file' });
    assert.equal(readFileSync(target, 'utf8'), '#EXTM3U\n#PLAYLIST:Été trip\n');
    await waitForSnapshot('the place said', (s) => s.toast === `Saved to ${target}`);
  });
});
