// Runs the real Sonabel.exe under wine with the WebView2 stand-in beside it,
// and talks to the stand-in over a loopback socket.
//
//   const run = await startSonabel({ layout: 'web', setup: { runtime: true } });
//   await run.next('Navigate');                   // the next report of that call
//   const { scripts, reply } = await run.call('["openFile"]');
//   const { code } = await run.exited;
//
// The layout puts the exe (and the stand-in) in a fresh folder: 'web' with
// web\index.html beside it, 'src' with src\web\index.html below it, 'parent'
// in bin\ with ..\src\web\index.html, 'none' with no page at all, 'player'
// with the player as the build ships it.
//
// With `browser: true` a headless Chromium runs what the library asks of
// WebView2 (support/browser_engine.mjs); without, nothing runs and the test
// reads the calls.

import { execFile, spawn } from 'node:child_process';
import { once } from 'node:events';
import { copyFile, cp, mkdir, mkdtemp, rm, writeFile } from 'node:fs/promises';
import net from 'node:net';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { promisify } from 'node:util';

import { browserEngine } from './browser_engine.mjs';

export const exe = process.env.SONABEL_EXE;
export const standin = process.env.SONABEL_STANDIN;
export const wine = process.env.SONABEL_WINE || 'wine';
export const run = promisify(execFile);
export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const layouts = {
  web: { exeFolder: '.', page: 'web/index.html' },
  src: { exeFolder: '.', page: 'src/web/index.html' },
  parent: { exeFolder: 'bin', page: 'src/web/index.html' },
  none: { exeFolder: '.', page: null },
  player: { exeFolder: '.', page: 'web/index.html', copy: true },
};

// The player as the build leaves it beside the program, and as the zip ships it.
export const playerFolder = path.join(path.dirname(exe || '.'), 'web');

// A folder's path as wine names it through its Z: drive.
export const winePath = (unixPath) => 'Z:' + unixPath.replaceAll('/', '\\');

export async function makeProgramFolder(layout) {
  const root = await mkdtemp(path.join(tmpdir(), 'sonabel-exe-'));
  const { exeFolder, page, copy } = layouts[layout];
  const folder = path.join(root, exeFolder);
  await mkdir(folder, { recursive: true });
  await copyFile(exe, path.join(folder, 'Sonabel.exe'));
  if (copy) {
    await cp(playerFolder, path.join(folder, 'web'), { recursive: true });
  } else if (page) {
    await mkdir(path.dirname(path.join(root, page)), { recursive: true });
    await writeFile(path.join(root, page), '<!doctype html><title>page</title>');
  }
  return { root, folder, page: page && path.join(root, page) };
}

// `standinFolder` puts the stand-in there, on the program's PATH, instead of
// beside the program.
export async function startSonabel({
  layout = 'web', folder = null, setup = {}, args = [], env = {}, browser = false, standinFolder = null,
} = {}) {
  let made = null;
  if (!folder) {
    made = await makeProgramFolder(layout);
    folder = made.folder;
  }
  if (standinFolder) {
    await copyFile(standin, path.join(standinFolder, 'WebView2Loader.dll'));
    env = { WINEPATH: winePath(standinFolder), ...env };
  } else {
    await copyFile(standin, path.join(folder, 'WebView2Loader.dll'));
  }

  const server = net.createServer();
  server.listen(0, '127.0.0.1');
  await once(server, 'listening');
  const { runtime = true, environment = 0, controller = 0 } = setup;
  const hex = (n) => '0x' + (n >>> 0).toString(16);

  const reports = [];
  const waiters = [];
  let socket = null;
  const connected = new Promise((resolve) => server.once('connection', resolve)).then((s) => {
    socket = s;
    s.setEncoding('utf8');
    s.write(`setup runtime=${runtime ? 1 : 0} environment=${hex(environment)} controller=${hex(controller)}\n`);
    let pending = '';
    s.on('data', (chunk) => {
      pending += chunk;
      let end;
      while ((end = pending.indexOf('\n')) >= 0) {
        const report = JSON.parse(pending.slice(0, end));
        reports.push(report);
        self.browser?.onReport(report);
        pending = pending.slice(end + 1);
        for (const wake of waiters.splice(0)) wake();
      }
    });
    s.on('error', () => {});
  });

  const child = spawn(wine, [path.join(folder, 'Sonabel.exe'), ...args], {
    cwd: folder,
    env: { ...process.env, SONABEL_WEBVIEW2_STANDIN_PORT: String(server.address().port), ...env },
    stdio: ['ignore', 'ignore', 'pipe'],
  });
  let stderr = '';
  child.stderr.setEncoding('utf8');
  child.stderr.on('data', (chunk) => {
    stderr += chunk;
    for (const wake of waiters.splice(0)) wake();
  });
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve({ code, stderr })));
  const wake = () => { for (const w of waiters.splice(0)) w(); };
  exited.then(wake);

  let read = 0;
  let nextId = 0;
  const self = {
    folder,
    made,
    reports,
    exited,
    browser: null,
    get stderr() { return stderr; },
    // Waits until `test` holds, or fails after `ms`.
    async until(test, what, ms = 30000) {
      const deadline = Date.now() + ms;
      for (;;) {
        const value = test();
        if (value) return value;
        if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}; reports: ${JSON.stringify(reports.slice(-5))}`);
        await Promise.race([new Promise((resolve) => waiters.push(resolve)), sleep(250)]);
      }
    },
    // The next report (after those already taken) of the given call.
    async next(call, ms) {
      return self.until(() => {
        const index = reports.findIndex((r, i) => i >= read && r.call === call);
        if (index < 0) return null;
        read = index + 1;
        return reports[index];
      }, call, ms);
    },
    async send(command) {
      await connected;
      socket.write(command + '\n');
    },
    // A page call of sendNativeAction with `params` (JSON text); resolves
    // with the scripts the library ran in between and the reply script.
    async call(params, { whileWaiting } = {}) {
      const id = `call-${++nextId}`;
      const from = reports.length;
      await self.send(`message {"id":"${id}","method":"sendNativeAction","params":${params}}`);
      if (whileWaiting) await whileWaiting();
      const replyStart = `window.__webview__.onReply(${JSON.stringify(id)}, `;
      const reply = await self.until(
        () => reports.find((r, i) => i >= from && r.call === 'ExecuteScript' && r.script.startsWith(replyStart)),
        `the reply to ${params}`, 60000);
      const scripts = reports.slice(from, reports.indexOf(reply)).filter((r) => r.call === 'ExecuteScript').map((r) => r.script);
      return { scripts, reply: reply.script, id };
    },
    async window() {
      const from = reports.length;
      await self.send('window');
      return self.until(() => reports.find((r, i) => i >= from && r.call === 'window'), 'window');
    },
    async visibleWindows() {
      const from = reports.length;
      await self.send('windows');
      await self.until(() => reports.find((r, i) => i >= from && r.call === 'windowsListed'), 'windows');
      return reports.slice(from).filter((r) => r.call === 'visibleWindow').map((r) => r.title);
    },
    async stop() {
      if (child.exitCode === null) child.kill('SIGKILL');
      await self.browser?.close();
      server.close();
      socket?.destroy();
      if (made) await rm(made.root, { recursive: true, force: true });
    },
  };
  if (browser) self.browser = browserEngine(self, browser === true ? {} : browser);
  return self;
}

export const okReply = (id) => `window.__webview__.onReply(${JSON.stringify(id)}, 0, "{\\"status\\":\\"ok\\"}")`;

// The X window of a wine window whose title is exactly `title`.
export async function xWindow(title, ms = 30000) {
  // Only mapped ones: wine keeps closed dialogs' windows around unmapped.
  const { stdout } = await run('xdotool', ['search', '--sync', '--onlyvisible', '--name', `^${title}$`], { timeout: ms });
  return stdout.trim().split('\n')[0];
}

export async function typeSlowly(text) {
  await run('xdotool', ['type', '--delay', '80', '--', text]);
}

export async function keys(...names) {
  await run('xdotool', ['key', ...names]);
}

// Gives the keyboard to the dialog titled `title` once it is up.
export async function focusDialog(title) {
  const window = await xWindow(title, 60000);
  await sleep(1000);
  await run('xdotool', ['windowfocus', '--sync', window]);
  await sleep(500);
  return window;
}

// Picks the folder at `unixPath` in the folder browser, through the tree
// from the desktop, once the browser is up.
export async function chooseFolder(unixPath) {
  await focusDialog('Browse for Folder');
  await keys('Down', 'Right');
  for (const part of unixPath.slice(1).split('/')) {
    await sleep(1000);
    await typeSlowly(part);
    await sleep(1200);
    await keys('Right');
  }
  await sleep(1000);
  await keys('Return');
}
