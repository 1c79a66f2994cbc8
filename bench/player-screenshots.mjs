// Makes the README's screenshots of the player (docs/player-*.png) in
// headless Chromium at the shell's window size: the empty state, and a small
// library playing. The audio files are made with sox in a temporary folder.
//   node bench/player-screenshots.mjs
import { execFileSync } from 'node:child_process';
import { rmSync } from 'node:fs';
import path from 'node:path';
import { launch, openPlayer, deliver, recordFor, tempDir, root } from '../tests/web/helpers.mjs';

const LIBRARY = [
  ['Night Owls - Slow River.flac', 254], ['Harbour Lights - Paper Boats.mp3', 201], ['Mira Okafor - Northern Window.ogg', 237],
  ['The Quiet Hours - Glass Garden.flac', 312], ['Lumen & Vale - Coastline.mp3', 188], ['Tomas Reyes - Morning Static.wav', 143],
  ['Field Notes - Ember.ogg', 276], ['Aster Bloom - Satellites.flac', 229], ['Kaito Mori - Night Train.mp3', 265],
  ['Élodie Marchand - Lumière.ogg', 198], ['Copper Street - Low Tide.flac', 301], ['Nadia Haddad - Desert Lines.mp3', 246],
  ['intro.wav', 62], ['Night Owls - Lanterns.flac', 219], ['Harbour Lights - Undertow.mp3', 284],
];

const dir = tempDir('sonabel-shots-');
const files = LIBRARY.map(([name, seconds], i) => {
  const file = path.join(dir, name);
  execFileSync('sox', ['-n', '-r', '8000', '-c', '1', file, 'synth', String(seconds), 'sine', String(220 + 20 * i), 'vol', '0.05']);
  return file;
});

const b = await launch();
try {
  const context = await b.fresh();
  const { page } = await openPlayer(context);
  await page.screenshot({ path: path.join(root, 'docs/player-empty.png') });

  await deliver(page, files.map(recordFor));
  await page.waitForFunction((n) => [...document.querySelectorAll('.viewport .row .c-dur .txt')].filter((e) => e.textContent).length === n, files.length, { timeout: 60000 });
  await page.dblclick('.viewport .row[aria-rowindex="4"]');
  await page.waitForFunction(() => document.getElementById('audio').currentTime > 0.2);
  await page.evaluate(() => { document.getElementById('audio').currentTime = 83; });
  await page.click('.viewport .row[aria-rowindex="8"]');
  await page.evaluate(() => document.getElementById('toast').classList.remove('show'));
  await page.mouse.move(0, 0);
  await page.waitForTimeout(400);
  await page.screenshot({ path: path.join(root, 'docs/player-playing.png') });
  console.log('docs/player-empty.png, docs/player-playing.png');
} finally {
  await b.close();
  rmSync(dir, { recursive: true, force: true });
}
