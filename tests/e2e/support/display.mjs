// An X display of our own for end-to-end tests: Xvfb plus openbox, so that
// minimise, maximise and keep-above take effect and show in _NET_WM_STATE.
//
//   const display = await startDisplay();      // in before()
//   spawn(..., { env: display.env });           // DISPLAY set, nothing else changed
//   await windowState(display, id);             // ['_NET_WM_STATE_HIDDEN', ...]
//   await display.stop();                       // in after()

import { spawn, execFile } from 'node:child_process';
import { existsSync } from 'node:fs';
import { promisify } from 'node:util';
import { setTimeout as sleep } from 'node:timers/promises';

const run = promisify(execFile);

function freeDisplayNumber() {
  for (let n = 90 + Math.floor(Math.random() * 50); n < 1000; n++) {
    if (!existsSync(`/tmp/.X${n}-lock`) && !existsSync(`/tmp/.X11-unix/X${n}`)) return n;
  }
  throw new Error('no free X display number');
}

// Polls `probe` until it returns a truthy value or `timeoutMs` passes.
export async function waitUntil(probe, { timeoutMs = 10000, intervalMs = 100, what = 'condition' } = {}) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    const value = await probe();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
    await sleep(intervalMs);
  }
}

export async function x11(display, command, args) {
  const { stdout } = await run(command, args, { env: display.env });
  return stdout;
}

export async function startDisplay({ width = 1280, height = 1024 } = {}) {
  // Another suite may grab the same number between our check and Xvfb's
  // start; then Xvfb exits and we try the next one.
  for (let attempt = 1; ; attempt++) {
    try {
      return await startDisplayOnce(width, height);
    } catch (error) {
      if (attempt === 3) throw error;
    }
  }
}

async function startDisplayOnce(width, height) {
  const number = freeDisplayNumber();
  const name = `:${number}`;
  const env = { ...process.env, DISPLAY: name };
  delete env.WAYLAND_DISPLAY;
  const xvfb = spawn('Xvfb', [name, '-screen', '0', `${width}x${height}x24`, '-nolisten', 'tcp'], {
    stdio: 'ignore',
  });
  const display = { name, env, xvfb, openbox: null };
  display.stop = () => stopDisplay(display);
  try {
    await waitUntil(
      () => {
        if (xvfb.exitCode !== null) throw new Error(`Xvfb on ${name} exited`);
        return existsSync(`/tmp/.X11-unix/X${number}`);
      },
      { what: `Xvfb on ${name}`, timeoutMs: 20000 },
    );
    display.openbox = spawn('openbox', [], { env, stdio: 'ignore' });
    // openbox announces itself through _NET_SUPPORTING_WM_CHECK on the root.
    await waitUntil(
      async () => (await x11(display, 'xprop', ['-root', '_NET_SUPPORTING_WM_CHECK']).catch(() => '')).includes('window id'),
      { what: 'openbox', timeoutMs: 20000 },
    );
  } catch (error) {
    await stopDisplay(display);
    throw error;
  }
  return display;
}

async function stopChild(child) {
  if (!child || child.exitCode !== null || child.signalCode !== null) return;
  const gone = new Promise((resolve) => child.once('exit', resolve));
  child.kill('SIGTERM');
  await Promise.race([gone, sleep(3000)]);
  if (child.exitCode === null && child.signalCode === null) child.kill('SIGKILL');
}

async function stopDisplay(display) {
  await stopChild(display.openbox);
  await stopChild(display.xvfb);
}

// Windows the window manager manages (_NET_CLIENT_LIST), optionally only
// those of process `pid` and titled exactly `title`. GTK's own helper windows
// are not among them.
export async function findWindows(display, { pid = null, title = null } = {}) {
  const out = await x11(display, 'xprop', ['-root', '_NET_CLIENT_LIST']).catch(() => '');
  const ids = (out.split('#')[1] ?? '').split(',').map((id) => id.trim()).filter(Boolean).map(Number);
  const found = [];
  for (const id of ids) {
    if (pid !== null) {
      const owner = await xprop(display, id, '_NET_WM_PID').catch(() => '');
      if (Number(owner.split('=')[1]) !== pid) continue;
    }
    if (title !== null && (await windowTitle(display, id).catch(() => null)) !== title) continue;
    found.push(id);
  }
  return found;
}

export async function xprop(display, windowId, property) {
  return x11(display, 'xprop', ['-id', String(windowId), property]);
}

export async function windowTitle(display, windowId) {
  const out = await xprop(display, windowId, '_NET_WM_NAME');
  const match = /= "(.*)"/.exec(out);
  return match ? match[1] : null;
}

// The _NET_WM_STATE atoms the window manager has set on the window.
export async function windowState(display, windowId) {
  const out = await xprop(display, windowId, '_NET_WM_STATE');
  const atoms = out.split('=')[1];
  return atoms ? atoms.split(',').map((a) => a.trim()).filter(Boolean) : [];
}

// The window's own (client) size, without the frame.
export async function clientSize(display, windowId) {
  const out = await x11(display, 'xwininfo', ['-id', String(windowId)]);
  return {
    width: Number(/Width: (\d+)/.exec(out)[1]),
    height: Number(/Height: (\d+)/.exec(out)[1]),
  };
}

export async function screenshot(display, file, windowId = null) {
  await x11(display, 'import', ['-window', windowId === null ? 'root' : String(windowId), file]);
}

// The colour of one pixel of an image file, as "#rrggbb".
export async function pixelColour(display, file, x, y) {
  const out = await x11(display, 'convert', [file, '-format', `%[hex:p{${x},${y}}]`, 'info:-']);
  return '#' + out.trim().slice(0, 6).toLowerCase();
}
