// How a run of the program ends, what it keeps between runs, and how it
// reports a web host that fails.

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import { mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import path from 'node:path';

import { findWindows, startDisplay, waitUntil, x11 } from './support/display.mjs';
import { launchProgram } from './support/program.mjs';
import { fixturePage, startReportServer } from './support/report_server.mjs';

const ERROR_TEXT_START = 'Sonabel failed to initialize WebView2:\n\n';
const ERROR_TEXT_END = '\n\nPlease ensure Microsoft Edge WebView2 is installed.';

describe('ending a run', () => {
  let display;
  let server;
  const programs = [];
  const launch = async (options) => {
    const program = await launchProgram({ display, ...options });
    programs.push(program);
    return program;
  };

  before(async () => {
    display = await startDisplay();
    server = await startReportServer();
  });

  after(async () => {
    for (const program of programs) await program.cleanup();
    await server?.close();
    await display?.stop();
  });

  test('closing from the window frame ends with exit code 0; arguments are ignored', async () => {
    const program = await launch({
      files: { 'web/index.html': fixturePage(server.url) },
      args: ['--display=:4242', '--help', 'web/other.html'],
    });
    const windowId = await program.mainWindow();
    await server.waitForReport((r) => r.kind === 'first-script');
    await x11(display, 'wmctrl', ['-i', '-c', String(windowId)]);
    const { code, signal } = await program.exitWithin(10000);
    assert.deepEqual({ code, signal }, { code: 0, signal: null });
  });

  test('a web process that dies is restarted once; a second death within 30 s ends the run with the error box and exit code 1', async () => {
    const program = await launch({ files: { 'web/index.html': fixturePage(server.url) } });
    let since = server.reports.length;
    await program.mainWindow();
    await server.waitForReport((r) => r.kind === 'first-script', { since });

    since = server.reports.length;
    await program.killWebProcess();
    await server.waitForReport((r) => r.kind === 'first-script', { since, timeoutMs: 20000 });
    await program.killWebProcess();

    const box = await waitUntil(
      async () => (await findWindows(display, { pid: program.child.pid, title: 'Sonabel Error' }))[0],
      { what: 'the error box' },
    );
    // The player's window is gone while the box is up.
    assert.deepEqual(await findWindows(display, { pid: program.child.pid, title: 'Sonabel' }), []);
    await x11(display, 'xdotool', ['windowactivate', '--sync', String(box), 'key', '--clearmodifiers', 'Return']);
    const { code } = await program.exitWithin(10000);
    assert.equal(code, 1);
  });
});

test('with no display the error text goes to standard error and the exit code is 1', async () => {
  const program = await launchProgram({ display: null, files: { 'web/index.html': '<p>never shown</p>' } });
  try {
    const { code, stderr } = await program.exitWithin(10000);
    assert.equal(code, 1);
    assert.ok(stderr.includes(ERROR_TEXT_START + 'Cannot open display'), stderr);
    assert.ok(stderr.includes(ERROR_TEXT_END), stderr);
  } finally {
    await program.cleanup();
  }
});

describe('web storage', () => {
  let display;
  let server;
  let dataHome;

  before(async () => {
    display = await startDisplay();
    server = await startReportServer();
    dataHome = await mkdtemp(path.join(tmpdir(), 'sonabel-data-'));
  });

  after(async () => {
    await server?.close();
    await display?.stop();
    if (dataHome) await rm(dataHome, { recursive: true, force: true });
  });

  async function oneRun(code) {
    const program = await launchProgram({ display, dataHome, files: { 'web/index.html': fixturePage(server.url) } });
    try {
      const since = server.reports.length;
      await server.waitForReport((r) => r.kind === 'first-script', { since });
      const result = await server.evaluate(code);
      server.evaluate('sendNativeAction("closeWindow")').catch(() => {});
      assert.equal((await program.exitWithin(10000)).code, 0);
      return result.value;
    } finally {
      await program.cleanup();
    }
  }

  test('is kept between runs in $XDG_DATA_HOME/sonabel', async () => {
    assert.equal(await oneRun('localStorage.setItem("volume", "0.42"), localStorage.getItem("volume")'), '0.42');
    assert.ok(existsSync(path.join(dataHome, 'sonabel')), 'storage folder');
    assert.equal(await oneRun('localStorage.getItem("volume")'), '0.42');
  });
});
