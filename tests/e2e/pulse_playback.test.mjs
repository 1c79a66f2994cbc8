// The real program playing into a PulseAudio server of the test's own, as
// on a desktop: what reaches the sink is recorded, and the track changes
// must be heard without a gap, or as a crossfade where one is set.

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { chmodSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { promisify } from 'node:util';

import { startDisplay, waitUntil } from './support/display.mjs';
import { launchProgram, repoRoot } from './support/program.mjs';
import { startReportServer } from './support/report_server.mjs';
import { startPulse, silences, tones } from './support/pulse.mjs';

const run = promisify(execFile);

function playerFiles(folder, prefix = 'web') {
  const files = {};
  for (const name of readdirSync(folder)) {
    const full = path.join(folder, name);
    if (statSync(full).isDirectory()) Object.assign(files, playerFiles(full, `${prefix}/${name}`));
    else files[`${prefix}/${name}`] = readFileSync(full);
  }
  return files;
}

// Loaded before the player. The page's policy forbids eval, so the probe
// knows a few commands ("name" or "name argument") and answers each with
// the playing element's state.
function probeScript(serverUrl) {
  return `(function () {
  var server = ${JSON.stringify(serverUrl)}; 
  var errors = [];
  addEventListener('error', function (e) { errors.push(String(e.message)); });
  function report(data) { return fetch(server + '/report', { method: 'POST', body: JSON.stringify(data) }).catch(function () {}); }
  function audio() { return window.sonabel.debug.audio; }
  function state() {
    var a = audio();
    return { errors: errors.slice(), title: document.getElementById('now-title').textContent,
      paused: a.paused, currentTime: a.currentTime,
      rows: Number(document.getElementById('grid').getAttribute('aria-rowcount')),
      ready: document.documentElement.getAttribute('data-ready') === 'true' };
  }
  var commands = {
    state: function () {},
    add: function (arg) { window.sonabel.addTracksBatch(JSON.parse(arg)); },
    crossfade: function (arg) {
      var input = document.getElementById('crossfade');
      input.value = arg;
      input.dispatchEvent(new Event('input', { bubbles: true }));
    },
    play: function (title) {
      var rows = document.querySelectorAll('#viewport [role="row"]');
      var row = Array.prototype.find.call(rows, function (r) { return r.textContent.indexOf(title) >= 0; });
      row.dispatchEvent(new MouseEvent('dblclick', { bubbles: true }));
    },
    reload: function () { setTimeout(function () { location.reload(); }, 100); },
    'play-pause': function () { document.getElementById('play').click(); },
    seek: function (arg) {
      var input = document.getElementById('seek');
      input.value = arg;
      input.dispatchEvent(new Event('input', { bubbles: true }));
      input.dispatchEvent(new Event('change', { bubbles: true }));
    },
    sleep: function (arg) { window.sonabel.debug.startSleepTimer(Number(arg)); },
  };
  async function serve() {
    for (;;) {
      var command;
      try { command = await (await fetch(server + '/next')).json(); }
      catch (error) { await new Promise(function (r) { setTimeout(r, 200); }); continue; }
      var space = command.code.indexOf(' ');
      var name = space < 0 ? command.code : command.code.slice(0, space);
      try { commands[name](command.code.slice(space + 1)); report({ kind: 'result', id: command.id, ok: true, value: state() }); }
      catch (error) { report({ kind: 'result', id: command.id, ok: false, error: String(error) }); }
    }
  }
  addEventListener('load', function () { report({ kind: 'loaded' }); serve(); });
})();
`;
}

// Tones of their own pitch each, so the recording tells the tracks apart.
async function makeTone(folder, name, seconds, hz) {
  const file = path.join(folder, name);
  await run('sox', ['-n', '-r', '44100', '-c', '2', file, 'synth', String(seconds), 'sine', String(hz), 'vol', '0.3']);
  return { title: path.basename(name, '.wav'), artist: 'Tones', url: pathToFileURL(file).href, format: 'wav', hz, seconds };
}

describe('playback on a PulseAudio server', () => {
  let display, server, program, pulse, music;

  before(async () => {
    [display, server, pulse] = await Promise.all([startDisplay(), startReportServer(), startPulse()]);
    music = mkdtempSync(path.join(tmpdir(), 'sonabel-tones-'));
    chmodSync(music, 0o755);
    const files = playerFiles(path.join(repoRoot, 'build', 'web'));
    files['web/index.html'] = files['web/index.html']
      .toString()
      .replace("default-src 'none';", `default-src 'none'; connect-src ${server.url};`)
      .replace('<script src="sonabel.js"></script>', '<script src="e2e-probe.js"></script>\n<script src="sonabel.js"></script>');
    files['web/e2e-probe.js'] = probeScript(server.url);
    program = await launchProgram({ display, files, env: pulse.env });
    await program.mainWindow();
    await server.waitForReport((r) => r.kind === 'loaded', { timeoutMs: 20000 });
  });

  after(async () => {
    await program?.cleanup();
    await server?.close();
    await pulse?.stop();
    await display?.stop();
    if (music) rmSync(music, { recursive: true, force: true });
  });

  const command = async (code) => {
    const reply = await server.evaluate(code);
    assert.equal(reply.ok, true, reply.error);
    return reply.value;
  };
  const waitForState = (what, predicate, timeoutMs = 20000) =>
    waitUntil(async () => {
      const s = await command('state');
      return predicate(s) && s;
    }, { what, timeoutMs, intervalMs: 100 });

  async function addAlbum(album) {
    const before = (await command('state')).rows;
    await command('add ' + JSON.stringify(album.map(({ title, artist, url, format }) => ({ title, artist, url, format }))));
    await waitForState('the album in the list', (s) => s.rows === before + album.length);
  }

  // Plays `album` (the last tracks of the list) from its first track to the
  // end of its last, recorded.
  async function playAlbum(album, crossfade) {
    await command('crossfade ' + crossfade);
    await addAlbum(album);
    const recording = await pulse.record();
    await command('play ' + album[0].title);
    const total = album.reduce((sum, t) => sum + t.seconds, 0) - crossfade * (album.length - 1);
    await waitForState('the end of the album', (s) => s.title === album.at(-1).title && s.paused, (total + 20) * 1000);
    return recording.stop();
  }

  // Which of the album's tones sound in each tenth of a second.
  const heard = (samples, album) =>
    tones(samples, album.map((t) => t.hz)).map((w) => album.filter((t) => w.levels[t.hz] > 0.02).map((t) => t.title));

  // Where one track gives way to the next (ms), and the silences within a
  // second of those: a loaded machine can starve playback anywhere, which
  // is not what these tests are about.
  function changes(samples, album) {
    const { gaps } = silences(samples);
    const alone = heard(samples, album).map((h, i) => ({ at: i * 100, h })).filter((w) => w.h.length === 1);
    const at = alone.filter((w, i) => i && w.h[0] !== alone[i - 1].h[0]).map((w) => w.at);
    // A change is found where the next track is first heard, so after any
    // silence before it: a silence is near a change that comes within a
    // second of its start or of its end.
    const nearChange = (g) => at.some((c) => c > g.atMs - 1000 && c < g.atMs + g.ms + 1000);
    // The figures for bench/README.md: every silence near a change.
    const near = gaps.filter(nearChange).map((g) => g.ms);
    console.log(`${at.length} changes; silences near them: ${near.length ? near.join(', ') + ' ms' : 'none'}`);
    return {
      order: alone.map((w) => w.h[0]).filter((h, i, all) => h !== all[i - 1]),
      gaps: gaps.filter((g) => g.ms > 50 && nearChange(g)),
      dropouts: gaps.reduce((sum, g) => sum + g.ms, 0),
    };
  }

  test('without a crossfade every change is seamless, also after the next track waited long', async () => {
    // The second track waits primed for about 11 s, the third for about 2.5 s.
    const album = [await makeTone(music, 'tone-a1.wav', 12, 440), await makeTone(music, 'tone-a2.wav', 3, 660),
      await makeTone(music, 'tone-a3.wav', 3, 880)];
    const samples = await playAlbum(album, 0);
    const { order, gaps, dropouts } = changes(samples, album);
    assert.deepEqual(gaps, [], 'silences over 50 ms at a change');
    // Each in order, whole, and on its own: a track primed while another
    // plays is not heard, and the next starts as the last one ends.
    assert.deepEqual(order, ['tone-a1', 'tone-a2', 'tone-a3']);
    const { soundFromMs, soundToMs } = silences(samples);
    const sound = soundToMs - soundFromMs - dropouts;
    assert.ok(sound > 17850 && sound < 18250, `${sound} ms of sound for 18 s of tracks`);
    assert.ok(heard(samples, album).filter((h) => h.length > 1).length <= 4, 'overlaps of 100 ms or more');
  });

  test('with a 3 s crossfade both tracks are heard through the overlap', async () => {
    const album = [await makeTone(music, 'tone-c1.wav', 8, 500), await makeTone(music, 'tone-c2.wav', 8, 750)];
    const samples = await playAlbum(album, 3);
    const { order, gaps } = changes(samples, album);
    assert.deepEqual(gaps, [], 'silences over 50 ms at the change');
    assert.deepEqual(order, ['tone-c1', 'tone-c2']);
    // Equal-power curves: each is above a tenth of its level for about 90 %
    // of the fade.
    const both = heard(samples, album).filter((h) => h.length === 2).length / 10;
    console.log(`both heard for ${both} s`);
    assert.ok(both >= 2.2 && both <= 3.2, `both heard for ${both} s`);
    await command('crossfade 0');
  });

  test('pause, seek and the sleep timer act at once; a restored track starts at once', async () => {
    const track = await makeTone(music, 'tone-b1.wav', 40, 523);
    await addAlbum([track]);
    const recording = await pulse.record();
    await command('play tone-b1');
    await waitForState('the track playing', (s) => s.title === 'tone-b1' && s.currentTime > 1.5);
    const pausedAt = (await command('play-pause')).currentTime;
    const pausedFor = Date.now();
    await new Promise((r) => setTimeout(r, 2500));
    assert.ok(Math.abs((await command('state')).currentTime - pausedAt) < 0.3, 'the position holds while paused');
    await command('play-pause');
    const pause = Date.now() - pausedFor;
    await waitForState('play going on', (s) => s.currentTime > pausedAt + 1);
    await command('seek 20');
    await waitForState('the position after the seek', (s) => s.currentTime >= 20 && s.currentTime < 22, 3000);
    await new Promise((r) => setTimeout(r, 1000));
    await command('sleep 0.02');
    const asleep = await waitForState('the sleep timer pausing', (s) => s.paused, 12000);
    assert.ok(asleep.currentTime > 25 && asleep.currentTime < 30, `asleep at ${asleep.currentTime}`);
    const samples = await recording.stop();

    // The pause is heard as a silence as long as it was.
    const { gaps } = silences(samples);
    assert.ok(gaps.some((g) => Math.abs(g.ms - pause) < 250), `a pause of ${pause} ms; silences ${JSON.stringify(gaps)}`);
    // The fade-out ends quiet: the volume is not put back before the pause
    // has reached the server.
    const levels = tones(samples, [track.hz], { windowMs: 20 }).map((w) => w.levels[track.hz]);
    const last = levels.findLastIndex((l) => l > 0.01);
    assert.ok(levels[last] < 0.08, `the last sound at ${levels[last].toFixed(3)}, of ${Math.max(...levels).toFixed(3)}`);

    // Restored after a reload, paused at its place; played after it sat.
    const since = server.reports.length;
    await command('reload');
    await server.waitForReport((r) => r.kind === 'loaded', { since, timeoutMs: 20000 });
    const restored = await waitForState('the track restored', (s) => s.ready && s.title === 'tone-b1' && s.currentTime > 0);
    await new Promise((r) => setTimeout(r, 10000));
    const pressed = Date.now();
    await command('play-pause');
    await waitForState('the restored track playing on', (s) => s.currentTime > restored.currentTime + 0.5, 5000);
    // Not held back by the time it sat (10 s).
    assert.ok(Date.now() - pressed < 3000, `it took ${Date.now() - pressed} ms to play on`);
    assert.ok(Math.abs(restored.currentTime - asleep.currentTime) < 1.5, `restored at ${restored.currentTime}`);
  });
});
