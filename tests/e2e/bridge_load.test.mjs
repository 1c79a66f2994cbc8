// The Linux host's bridge under load and out of order: a burst of calls, a
// reload while a call waits in a chooser, a close while one does.

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { setTimeout as sleep } from 'node:timers/promises';

import { waitForChooser } from './support/chooser.mjs';
import { findWindows, startDisplay, waitUntil, x11 } from './support/display.mjs';
import { launchProgram } from './support/program.mjs';
import { fixturePage, startReportServer } from './support/report_server.mjs';

const OK = { status: 'ok' };

async function residentKiB(pid) {
  const status = await readFile(`/proc/${pid}/status`, 'utf8');
  return Number(/^VmRSS:\s+(\d+) kB$/m.exec(status)[1]);
}

describe('the bridge under load', () => {
  let display;
  let server;
  let program;

  before(async () => {
    display = await startDisplay();
    server = await startReportServer();
  });

  after(async () => {
    await program?.cleanup();
    await server?.close();
    await display?.stop();
  });

  async function start() {
    await program?.cleanup();
    const since = server.reports.length;
    program = await launchProgram({ display, files: { 'web/index.html': fixturePage(server.url) } });
    const windowId = await program.mainWindow();
    await server.waitForReport((r) => r.kind === 'first-script', { since });
    return windowId;
  }

  async function startCall(name) {
    const started = await server.evaluate(`(window.__pending = sendNativeAction(${JSON.stringify(name)}), 'started')`);
    assert.equal(started.value, 'started');
  }

  const burst = (count) =>
    server.evaluate(
      `Promise.all(Array.from({ length: ${count} }, (_, i) => sendNativeAction(i % 2 ? 'noSuchAction' : 'nothing', i)))
         .then((replies) => replies.filter((r) => r && r.status === 'ok').length)`,
      { timeoutMs: 120000 },
    );

  test('10,000 calls in one burst all resolve with the reply, and memory comes back', async () => {
    await start();
    // A first burst grows the allocator's pools, which every later one reuses.
    await burst(10000);
    await sleep(1000);
    const before = await residentKiB(program.child.pid);
    const startedAt = Date.now();
    const result = await burst(10000);
    const tookMs = Date.now() - startedAt;
    assert.equal(result.value, 10000);
    const peak = await residentKiB(program.child.pid);
    await sleep(2000);
    const settled = await residentKiB(program.child.pid);
    console.log(`burst of 10000 calls: ${tookMs} ms; program RSS before ${before} KiB, after ${peak} KiB, 2 s later ${settled} KiB`);
    assert.ok(settled - before < 16 * 1024, `RSS grew by ${settled - before} KiB`);
  });

  test('after a reload while a chooser is open, the old call settles nothing and the new document works', async () => {
    await start();
    await startCall('openFile');
    await waitForChooser(display, 'Open');
    const since = server.reports.length;
    // The reload can cut short the report of this very script: only the
    // new document's first report counts.
    server.evaluate('(setTimeout(() => location.reload(), 100), "reloading")', { timeoutMs: 2000 }).catch(() => {});
    const reloaded = await server.waitForReport((r) => r.kind === 'first-script', { since });
    assert.equal(reloaded.loads, 2);

    // The new document's own calls work while the old call still waits.
    assert.deepEqual((await server.evaluate('sendNativeAction("noSuchAction")')).value, OK);
    await waitForChooser(display, 'Open');
    await x11(display, 'xdotool', ['key', 'Escape']);
    await waitUntil(async () => (await findWindows(display, { title: 'Open' })).length === 0, { what: 'the chooser to close' });
    // The old call's reply found no call of that id here.
    assert.equal((await server.evaluate('typeof window.__pending')).value, 'undefined');
    assert.deepEqual((await server.evaluate('sendNativeAction("noSuchAction")')).value, OK);
  });

  test('a close while a call waits in a chooser ends the run with exit code 0 once the chooser is done', async () => {
    const windowId = await start();
    await startCall('openFile');
    await waitForChooser(display, 'Open');
    // As on Windows, where the chooser disables its owner, the frame's close
    // waits for the chooser: GTK gives it to the chooser's grab, not the window.
    await x11(display, 'wmctrl', ['-i', '-c', String(windowId)]);
    await sleep(500);
    assert.equal(program.child.exitCode, null);
    // The page's own close, served inside the chooser's loop, ends the run
    // once the waiting call has come back out of it.
    server.evaluate('sendNativeAction("closeWindow")').catch(() => {});
    await sleep(500);
    await waitForChooser(display, 'Open');
    await x11(display, 'xdotool', ['key', 'Escape']);
    const { code, signal } = await program.exitWithin(10000);
    assert.deepEqual({ code, signal }, { code: 0, signal: null });
  });
});
