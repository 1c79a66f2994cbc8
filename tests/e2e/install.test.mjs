// `cmake --install` gives a self-contained folder that runs from its
// launcher link.

import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { lstat, mkdir, mkdtemp, readFile, readlink, realpath, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { promisify } from 'node:util';

import { startDisplay } from './support/display.mjs';
import { launchProgram, repoRoot } from './support/program.mjs';
import { fixturePage, startReportServer } from './support/report_server.mjs';

const run = promisify(execFile);

let prefix;
let display;
let server;

before(async () => {
  prefix = await mkdtemp(path.join(tmpdir(), 'sonabel prefix '));
  await run('cmake', ['--install', path.join(repoRoot, 'build'), '--prefix', prefix]);
  display = await startDisplay();
  server = await startReportServer();
});

after(async () => {
  await server?.close();
  await display?.stop();
  if (prefix) await rm(prefix, { recursive: true, force: true });
});

test('the launcher link, the menu entry and the program folder are in place', async () => {
  const launcher = path.join(prefix, 'bin', 'sonabel');
  assert.ok((await lstat(launcher)).isSymbolicLink());
  assert.equal(await readlink(launcher), '../lib/sonabel/sonabel');
  assert.ok((await lstat(path.join(prefix, 'lib', 'sonabel', 'sonabel'))).isFile());

  const entry = await readFile(path.join(prefix, 'share', 'applications', 'sonabel.desktop'), 'utf8');
  assert.match(entry, /^\[Desktop Entry\]$/m);
  assert.match(entry, /^Type=Application$/m);
  assert.match(entry, /^Name=Sonabel$/m);
  // Quoted, since the prefix may hold spaces.
  assert.ok(entry.includes(`\nExec="${launcher}"\n`), entry);
});

test('started through the link, the program finds web/ beside the real executable', async () => {
  const page = path.join(prefix, 'lib', 'sonabel', 'web', 'index.html');
  await mkdir(path.dirname(page), { recursive: true });
  await writeFile(page, fixturePage(server.url));
  const program = await launchProgram({ display, executable: path.join(prefix, 'bin', 'sonabel') });
  try {
    const first = await server.waitForReport((r) => r.kind === 'first-script');
    assert.equal(decodeURI(first.href), decodeURI(pathToFileURL(await realpath(page)).href));
    server.evaluate('sendNativeAction("closeWindow")').catch(() => {});
    assert.equal((await program.exitWithin(10000)).code, 0);
  } finally {
    await program.cleanup();
  }
});
