// The program's window and the page's one native function, driven from a
// fixture page under Xvfb with openbox.

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';

import { clientSize, findWindows, startDisplay, waitUntil, windowState, windowTitle } from './support/display.mjs';
import { launchProgram } from './support/program.mjs';
import { fixturePage, startReportServer } from './support/report_server.mjs';

const OK = { status: 'ok' };
const HIDDEN = '_NET_WM_STATE_HIDDEN';
const MAXIMIZED = ['_NET_WM_STATE_MAXIMIZED_VERT', '_NET_WM_STATE_MAXIMIZED_HORZ'];
const ABOVE = '_NET_WM_STATE_ABOVE';

describe('one run of the program', () => {
  let display;
  let server;
  let program;
  let windowId;

  before(async () => {
    display = await startDisplay();
    server = await startReportServer();
    program = await launchProgram({ display, files: { 'web/index.html': fixturePage(server.url) } });
    windowId = await program.mainWindow();
  });

  after(async () => {
    await program?.cleanup();
    await server?.close();
    await display?.stop();
  });

  async function call(...args) {
    const code = `sendNativeAction(${args.map((a) => JSON.stringify(a)).join(',')})`;
    const result = await server.evaluate(code);
    assert.equal(result.ok, true, `${code} rejected: ${result.error}`);
    return result.value;
  }

  const state = () => windowState(display, windowId);
  const waitForState = (what, predicate) =>
    waitUntil(async () => predicate(await state()), { timeoutMs: 5000, what });

  test('the window is titled Sonabel with an 860 by 640 client area', async () => {
    assert.equal(await windowTitle(display, windowId), 'Sonabel');
    assert.deepEqual(await clientSize(display, windowId), { width: 860, height: 640 });
    const first = await server.waitForReport((r) => r.kind === 'first-script');
    assert.deepEqual([first.innerWidth, first.innerHeight], [860, 640]);
  });

  test('the first script already finds sendNativeAction and __webview__', async () => {
    const first = await server.waitForReport((r) => r.kind === 'first-script' && r.loads === 1);
    assert.equal(first.sendNativeAction, 'function');
    assert.equal(first.webview, 'object');
  });

  test('calls that name no action, or name it another way, resolve to the usual reply', async () => {
    for (const code of [
      'sendNativeAction("noSuchAction")',
      'sendNativeAction("CloseWindow")',
      'sendNativeAction("closewindow")',
      'sendNativeAction()',
      'sendNativeAction(42)',
      'sendNativeAction({ action: "close" }, null, [1, 2])',
      'sendNativeAction("say \\"closeWindow\\" please")',
    ]) {
      const result = await server.evaluate(code);
      assert.deepEqual(result, { ...result, ok: true, value: OK }, code);
    }
    // Still running: none of those closed the window.
    assert.equal(program.child.exitCode, null);
    assert.deepEqual(await state(), []);
  });

  test('a request naming openFile and minimizeWindow only minimises', async () => {
    assert.deepEqual(await call('openFile', 'minimizeWindow'), OK);
    await waitForState('minimised', (s) => s.includes(HIDDEN));
    // No chooser came up beside the player's window.
    const windows = await findWindows(display, { pid: program.child.pid });
    const titled = [];
    for (const id of windows) titled.push(await windowTitle(display, id).catch(() => null));
    assert.deepEqual(titled.filter((t) => t && t !== 'Sonabel'), []);
    // Minimising a minimised window changes nothing.
    assert.deepEqual(await call('minimizeWindow'), OK);
    assert.ok((await state()).includes(HIDDEN));
  });

  test('maximising a minimised window brings it back maximised; again restores it', async () => {
    assert.deepEqual(await call('maximizeWindow'), OK);
    await waitForState('shown maximised', (s) => !s.includes(HIDDEN) && MAXIMIZED.every((m) => s.includes(m)));
    assert.deepEqual(await call('maximizeWindow'), OK);
    await waitForState('restored', (s) => !MAXIMIZED.some((m) => s.includes(m)));
    assert.deepEqual(await clientSize(display, windowId), { width: 860, height: 640 });
  });

  test('zoomWindow maximises and restores like maximizeWindow', async () => {
    assert.deepEqual(await call(1, 'zoomWindow'), OK);
    await waitForState('maximised', (s) => MAXIMIZED.every((m) => s.includes(m)));
    assert.deepEqual(await call('zoomWindow'), OK);
    await waitForState('restored', (s) => !MAXIMIZED.some((m) => s.includes(m)));
  });

  test('setAlwaysOnTop toggles keep-above, and a reload does not reset it', async () => {
    assert.deepEqual(await call('setAlwaysOnTop', false), OK);
    await waitForState('kept above', (s) => s.includes(ABOVE));

    const reports = server.reports.length;
    await server.evaluate('location.reload()', { timeoutMs: 2000 }).catch(() => {});
    const reloaded = await server.waitForReport((r) => r.kind === 'first-script' && r.loads === 2, {
      since: reports,
    });
    assert.equal(reloaded.sendNativeAction, 'function', 'sendNativeAction after a reload');
    assert.equal(reloaded.webview, 'object');

    // The flag lives in the program, so the next call continues from "on".
    assert.deepEqual(await call('setAlwaysOnTop', true), OK);
    await waitForState('no longer kept above', (s) => !s.includes(ABOVE));
  });

  test('the import actions resolve to the usual reply', async () => {
    // Only while the choosers are stubs; with real choosers this would need a
    // user to close them.
    for (const name of ['openFile', 'openFolder', 'autoScanMusic']) {
      assert.deepEqual(await call(name), OK, name);
    }
  });

  test('closeWindow ends the program with exit code 0', async () => {
    server.evaluate('sendNativeAction("closeWindow")').catch(() => {});
    const { code, signal } = await program.exitWithin(10000);
    assert.deepEqual({ code, signal }, { code: 0, signal: null });
  });
});
