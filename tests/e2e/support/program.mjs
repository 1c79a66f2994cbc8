// Runs the built program the way a user would: copied into a fresh temporary
// folder with the given pages around it, on a test display.
//
//   const program = await launchProgram({ display, files: { 'web/index.html': html } });
//   const id = await program.mainWindow();      // X window id, once it is mapped
//   const { code } = await program.exited;      // exit code, stderr text
//   await program.cleanup();                    // kills it if still running, removes the folder
//
// The layout is <folder>/app/sonabel, and `files` are relative to app/, so
// '../src/web/index.html' lands in <folder>/src/web/. HOME and the XDG
// folders point into <folder> unless `dataHome` names another one. With
// `executable`, that program is run where it is instead of a copy.

import { execFile, spawn } from 'node:child_process';
import { chown, copyFile, mkdir, mkdtemp, readFile, readdir, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { setTimeout as sleep } from 'node:timers/promises';
import { promisify } from 'node:util';

import { findWindows, waitUntil } from './display.mjs';

const run = promisify(execFile);

export const repoRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../..');
export const builtProgram = path.join(repoRoot, 'build', 'sonabel');

export async function launchProgram({ display, files = {}, dataHome = null, env = {}, args = [], executable = null, user = null }) {
  const folder = await mkdtemp(path.join(tmpdir(), 'sonabel-e2e-'));
  const appFolder = path.join(folder, 'app');
  await mkdir(appFolder, { recursive: true });
  if (!executable) {
    executable = path.join(appFolder, 'sonabel');
    await copyFile(builtProgram, executable);
  }
  for (const [relative, content] of Object.entries(files)) {
    const target = path.join(appFolder, relative);
    await mkdir(path.dirname(target), { recursive: true });
    await writeFile(target, content);
  }
  const runtimeDir = path.join(folder, 'runtime');
  await mkdir(runtimeDir, { mode: 0o700 });

  const childEnv = {
    ...(display ? display.env : process.env),
    HOME: path.join(folder, 'home'),
    XDG_DATA_HOME: dataHome ?? path.join(folder, 'data'),
    XDG_CACHE_HOME: path.join(folder, 'cache'),
    XDG_CONFIG_HOME: path.join(folder, 'config'),
    XDG_RUNTIME_DIR: runtimeDir,
    // No accessibility bus on a test machine; don't wait for one.
    NO_AT_BRIDGE: '1',
    ...env,
  };
  if (!display) delete childEnv.DISPLAY;
  delete childEnv.WAYLAND_DISPLAY;

  const startedAt = Date.now();
  // `user` ({uid, gid}) runs the program unprivileged, owning its folder.
  if (user) await chownTree(folder, user);
  const child = spawn(executable, args, {
    cwd: folder,
    env: childEnv,
    stdio: ['ignore', 'pipe', 'pipe'],
    ...(user ? { uid: user.uid, gid: user.gid } : {}),
  });
  const program = { child, folder, appFolder, startedAt, stdout: '', stderr: '' };
  child.stdout.setEncoding('utf8').on('data', (text) => (program.stdout += text));
  child.stderr.setEncoding('utf8').on('data', (text) => (program.stderr += text));
  program.exited = new Promise((resolve) => {
    child.once('close', (code, signal) => resolve({ code, signal, stderr: program.stderr }));
  });

  program.mainWindow = ({ timeoutMs = 15000 } = {}) =>
    waitUntil(async () => (await findWindows(display, { pid: child.pid, title: 'Sonabel' }))[0], {
      timeoutMs,
      what: 'the Sonabel window',
    });

  // Resolves with the exit, or rejects if the program is still running.
  program.exitWithin = async (timeoutMs) => {
    const result = await Promise.race([program.exited, sleep(timeoutMs).then(() => null)]);
    if (!result) throw new Error(`program still running after ${timeoutMs} ms`);
    return result;
  };

  // Kills WebKit's web process the way a crash would.
  program.killWebProcess = async () => {
    const children = (await run('pgrep', ['-P', String(child.pid)]).catch(() => ({ stdout: '' }))).stdout.split('\n').filter(Boolean);
    const webProcesses = [];
    for (const pid of children) {
      const name = await readFile(`/proc/${pid}/comm`, 'utf8').catch(() => '');
      if (name.startsWith('WebKitWebProces')) webProcesses.push(Number(pid));
    }
    if (webProcesses.length !== 1) throw new Error(`no single web process among ${children}`);
    process.kill(webProcesses[0], 'SIGKILL');
  };

  program.cleanup = async () => {
    if (child.exitCode === null && child.signalCode === null) {
      child.kill('SIGKILL');
      await program.exited;
    }
    await rm(folder, { recursive: true, force: true });
  };
  return program;
}

async function chownTree(folder, { uid, gid }) {
  await chown(folder, uid, gid);
  for (const entry of await readdir(folder, { withFileTypes: true })) {
    const full = path.join(folder, entry.name);
    if (entry.isDirectory()) await chownTree(full, { uid, gid });
    else await chown(full, uid, gid);
  }
}
