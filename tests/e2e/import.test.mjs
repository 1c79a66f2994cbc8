// The file picker and the folder import through the real GTK choosers,
// driven with xdotool, delivering into a fixture page that plays every url.

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { chmodSync, chownSync, mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';

import { acceptLocation, waitForChooser } from './support/chooser.mjs';
import { findWindows, startDisplay, waitUntil, x11 } from './support/display.mjs';
import { launchProgram } from './support/program.mjs';
import { fixturePage, startReportServer } from './support/report_server.mjs';
import { expectedRecord, expectedWalk, joinBytes, makeClips, makeHostileTree } from './support/music_tree.mjs';

const OK = { status: 'ok' };
const NOBODY = 65534;

// Hands each batch to the test and loads every url of a small one into an
// audio element, reporting whether it could be played.
function importFixturePage(serverUrl) {
  const stub = `<script>
  window.sonabel = { addTracksBatch: function (records) {
    var server = ${JSON.stringify(serverUrl)};
    function report(data) { fetch(server + '/report', { method: 'POST', body: JSON.stringify(data) }); }
    report({ kind: 'batch', at: Date.now(), count: records.length, records: records.length <= 100 ? records : null });
    if (records.length > 100) return;
    records.forEach(function (record) {
      var audio = new Audio();
      audio.preload = 'metadata';
      audio.onloadedmetadata = function () { report({ kind: 'media', url: record.url, playable: true }); };
      audio.onerror = function () { report({ kind: 'media', url: record.url, playable: false, code: audio.error && audio.error.code }); };
      audio.src = record.url;
    });
  } };
</script>`;
  return fixturePage(serverUrl).replace('<script>', stub + '<script>');
}

describe('importing through the choosers', () => {
  let display;
  let server;
  let program;
  let work;
  let clips;
  let tree;

  before(async () => {
    display = await startDisplay();
    server = await startReportServer();
    work = mkdtempSync(path.join(tmpdir(), 'sonabel-import-'));
    chmodSync(work, 0o755);
    clips = await makeClips(path.join(work, 'clips'));
    writeFileSync(path.join(work, 'clips', 'notes.txt'), 'liner notes\n');
    tree = makeHostileTree(path.join(work, 'Music'), clips);
    mkdirSync(path.join(work, 'Silent', 'Empty'), { recursive: true });
    writeFileSync(path.join(work, 'Silent', 'cover.jpg'), 'jpg');
    // Root reads everything; the program runs unprivileged so that a locked
    // folder is really locked.
    chmodSync(tree.locked, 0o000);
    program = await launchProgram({
      display,
      files: { 'web/index.html': importFixturePage(server.url) },
      user: { uid: NOBODY, gid: NOBODY },
    });
    await program.mainWindow();
    await server.waitForReport((r) => r.kind === 'first-script');
  });

  after(async () => {
    await program?.cleanup();
    await server?.close();
    await display?.stop();
    if (work) rmSync(work, { recursive: true, force: true });
  });

  // Starts a page call without waiting for it; `settled()` awaits its reply.
  async function startCall(name) {
    const since = server.reports.length;
    const started = await server.evaluate(`(window.__pending = sendNativeAction(${JSON.stringify(name)}), 'started')`);
    assert.equal(started.value, 'started');
    return { since, settled: () => server.evaluate('window.__pending', { timeoutMs: 30000 }) };
  }

  // The filter list sits above the buttons at the chooser's lower right; its
  // second entry is "All Files (*.*)".
  async function switchToAllFiles(id) {
    const geometry = await x11(display, 'xdotool', ['getwindowgeometry', String(id)]);
    const [width, height] = /Geometry: (\d+)x(\d+)/.exec(geometry).slice(1).map(Number);
    await x11(display, 'xdotool', ['mousemove', '--window', String(id), String(width - 150), String(height - 75), 'click', '1']);
    await sleep(800);
    await x11(display, 'xdotool', ['key', 'Down']);
    await sleep(200);
    await x11(display, 'xdotool', ['key', 'Return']);
    await sleep(800);
  }

  async function chooserGone(title) {
    await waitUntil(async () => (await findWindows(display, { title })).length === 0, { what: 'the chooser to close' });
  }

  const batchSince = (since) => server.waitForReport((r) => r.kind === 'batch', { since, timeoutMs: 30000 });
  const batchesSince = (since) => server.reports.slice(since).filter((r) => r.kind === 'batch');

  async function expectAllPlayable(records, since) {
    for (const record of records) {
      const media = await server.waitForReport((r) => r.kind === 'media' && r.url === record.url, { since, timeoutMs: 20000 });
      assert.equal(media.playable, true, `${record.url} did not play (error ${media.code})`);
    }
  }

  test('one chosen file arrives as one record that plays', async () => {
    const call = await startCall('openFile');
    await waitForChooser(display, 'Open');
    await acceptLocation(display, clips.mp3);
    assert.deepEqual((await call.settled()).value, OK);
    const batch = await batchSince(call.since);
    assert.deepEqual(batch.records, [expectedRecord(Buffer.from(clips.mp3))]);
    await expectAllPlayable(batch.records, call.since);
  });

  test('a file chosen under All Files arrives with its own format', async () => {
    const call = await startCall('openFile');
    await switchToAllFiles(await waitForChooser(display, 'Open'));
    await acceptLocation(display, path.join(work, 'clips', 'notes.txt'));
    assert.deepEqual((await call.settled()).value, OK);
    const batch = await batchSince(call.since);
    assert.deepEqual(batch.records.map((r) => [r.title, r.artist, r.format]), [['notes', 'Local Music', 'TXT']]);
  });

  test('several files chosen together arrive in one batch', async () => {
    const call = await startCall('openFile');
    await waitForChooser(display, 'Open');
    // Into the folder, then select everything the audio filter shows: it is
    // active from the start, so neither notes.txt nor the .aiff file is there.
    await acceptLocation(display, path.join(work, 'clips') + '/');
    await sleep(1000);
    await x11(display, 'xdotool', ['key', 'ctrl+a']);
    await sleep(300);
    await x11(display, 'xdotool', ['key', 'Return']);
    assert.deepEqual((await call.settled()).value, OK);
    const batch = await batchSince(call.since);
    assert.equal(batchesSince(call.since).length, 1);
    const urls = batch.records.map((r) => r.url).sort();
    const expected = ['flac', 'mp3', 'ogg', 'wav'].map((f) => `file://${clips[f]}`);
    assert.deepEqual(urls, expected);
    await expectAllPlayable(batch.records, call.since);
  });

  test('cancelling the file chooser, or naming a file that is not there, delivers nothing and still replies', async () => {
    for (const missing of [null, path.join(work, 'clips', 'missing.mp3'), path.join(work, 'no such folder') + '/']) {
      const call = await startCall('openFile');
      await waitForChooser(display, 'Open');
      if (missing) await acceptLocation(display, missing);
      await sleep(500);
      // A chooser still open after a name it cannot take (GTK may say so in
      // a message of its own) is cancelled too.
      for (let i = 0; i < (missing ? 3 : 1); i++) { await x11(display, 'xdotool', ['key', 'Escape']); await sleep(400); }
      assert.deepEqual((await call.settled()).value, OK);
      await sleep(300);
      assert.deepEqual(batchesSince(call.since), [], String(missing));
    }
  });

  test('a call made while a chooser is open is served, and the outer call completes', async () => {
    const call = await startCall('openFile');
    await waitForChooser(display, 'Open');
    const nested = await server.evaluate('sendNativeAction("noSuchAction")', { timeoutMs: 10000 });
    assert.deepEqual(nested.value, OK);
    assert.equal((await findWindows(display, { title: 'Open' })).length, 1, 'the chooser is still open');
    await waitForChooser(display, 'Open');
    await acceptLocation(display, clips.wav);
    assert.deepEqual((await call.settled()).value, OK);
    const batch = await batchSince(call.since);
    assert.deepEqual(batch.records, [expectedRecord(Buffer.from(clips.wav))]);
  });

  test('a folder import delivers every audio file of the tree once, in walk order, and each plays', async () => {
    const call = await startCall('openFolder');
    await waitForChooser(display, 'Select Music Folder for Sonabel');
    await acceptLocation(display, tree.root);
    await chooserGone('Select Music Folder for Sonabel');
    assert.deepEqual((await call.settled()).value, OK);
    const batch = await batchSince(call.since);
    assert.equal(batchesSince(call.since).length, 1);

    const expected = expectedWalk(tree.root, (folder) => !folder.equals(Buffer.from(tree.locked))).map(expectedRecord);
    assert.deepEqual(batch.records, expected);
    const names = batch.records.map((r) => r.title + '|' + r.format);
    for (const decoy of ['.mp3|', 'song.mp3|BAK', 'a|OPUS', 'b|AIF', 'hidden|MP3', 'notes|TXT']) {
      assert.ok(!names.includes(decoy), `${decoy} was delivered`);
    }
    assert.ok(names.includes('in ogg|WEBM') && names.includes('Sound|AIFF') && names.includes('Mixed Case|FLAC'));
    assert.ok(batch.records.some((r) => r.title === 'caf\uFFFD bytes' && r.url.endsWith('/caf%E9 bytes.wav')));
    await expectAllPlayable(batch.records, call.since);
  });

  test('"autoScanMusic" opens the same folder chooser; cancel or a folder without audio delivers nothing', async () => {
    const cancelled = await startCall('autoScanMusic');
    await waitForChooser(display, 'Select Music Folder for Sonabel');
    await x11(display, 'xdotool', ['key', 'Escape']);
    assert.deepEqual((await cancelled.settled()).value, OK);

    const silent = await startCall('autoScanMusic');
    await waitForChooser(display, 'Select Music Folder for Sonabel');
    await acceptLocation(display, path.join(work, 'Silent'));
    assert.deepEqual((await silent.settled()).value, OK);
    await sleep(300);
    assert.deepEqual(batchesSince(cancelled.since), []);
  });
});
