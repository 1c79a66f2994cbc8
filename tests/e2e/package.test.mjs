// The Debian package made from the linux build: its metadata pass the
// distribution's checkers, and, unpacked into a scratch root, it starts and
// shows the player.

import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdtemp, readdir, readFile, rm, stat } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { promisify } from 'node:util';

import { pixelColour, screenshot, startDisplay } from './support/display.mjs';
import { launchProgram, repoRoot } from './support/program.mjs';

const run = promisify(execFile);
let display;
let work;
let deb;
let root;

before(async () => {
  work = await mkdtemp(path.join(tmpdir(), 'sonabel-package-'));
  await run('cpack', ['--config', path.join(repoRoot, 'build', 'CPackConfig.cmake'), '-G', 'DEB', '-B', work]);
  const version = JSON.parse(await readFile(path.join(repoRoot, 'package.json'), 'utf8')).version;
  deb = path.join(work, `sonabel_${version}_amd64.deb`);
  console.log(`package size: ${(await stat(deb)).size} bytes`);
  root = path.join(work, 'root');
  await run('dpkg-deb', ['-x', deb, root]);
  display = await startDisplay();
});

after(async () => {
  await display?.stop();
  if (work) await rm(work, { recursive: true, force: true });
});

test('the package holds the program, the player, the menu entry, the icon and the metainfo', async () => {
  const { stdout: control } = await run('dpkg-deb', ['-f', deb, 'Depends', 'Section']);
  for (const needed of ['libwebkit2gtk-4.1-0', 'libgtk-3-0', 'gstreamer1.0-plugins-good', 'gstreamer1.0-libav']) {
    assert.ok(control.includes(needed), `Depends names ${needed}: ${control}`);
  }
  const web = await readdir(path.join(root, 'usr/lib/sonabel/web'));
  assert.deepEqual(web.sort(), (await readdir(path.join(repoRoot, 'build', 'web'))).sort());
  assert.ok(web.includes('sonabel.js') && !web.includes('js'), 'the bundle ships, not its modules');
  assert.ok((await stat(path.join(root, 'usr/share/icons/hicolor/scalable/apps/sonabel.svg'))).isFile());
  const entry = await readFile(path.join(root, 'usr/share/applications/sonabel.desktop'), 'utf8');
  assert.match(entry, /^Exec="\/usr\/bin\/sonabel"$/m);
  assert.match(entry, /^Categories=AudioVideo;Audio;Player;$/m);
});

test('desktop-file-validate, appstreamcli and lintian find no error', async () => {
  await run('desktop-file-validate', [path.join(root, 'usr/share/applications/sonabel.desktop')]);
  await run('appstreamcli', ['validate', '--no-net', path.join(root, 'usr/share/metainfo/org.sonabel.Sonabel.metainfo.xml')]);
  await run('lintian', ['--fail-on', 'error', deb]);
});

test('unpacked into a scratch root, the package starts and shows the player', async () => {
  const program = await launchProgram({ display, executable: path.join(root, 'usr/bin/sonabel') });
  try {
    const windowId = await program.mainWindow();
    // The player's top bar is drawn in one of its surface colours; the
    // notice page shown without web/ is one flat background (#0c0e14).
    const shot = path.join(work, 'shot.png');
    await new Promise((resolve) => setTimeout(resolve, 3000));
    await screenshot(display, shot, windowId);
    assert.ok(['#121520', '#181c29', '#212637'].includes(await pixelColour(display, shot, 400, 20)));
    assert.equal(program.child.exitCode, null);
  } finally {
    await program.cleanup();
  }
});
