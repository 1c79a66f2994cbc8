// Makes the README's screenshots of the player (docs/player-*.png) in
// headless Chromium at the shell's window size: the empty state, a small
// library playing, the context menu, Up next, the compact view, and a
// library in Artist/Album folders with covers shown as albums and as a
// playlist. The audio files are made with sox in a temporary folder.
//   node bench/player-screenshots.mjs
import { execFileSync } from 'node:child_process';
import { mkdirSync, rmSync } from 'node:fs';
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

// Artist, album, cover colours and the album's tracks.
const ALBUMS = [
  ['Night Owls', 'Slow River', '#3b5b92', '#c97b4a', ['Intro', 'Slow River', 'Lanterns']],
  ['Harbour Lights', 'Paper Boats', '#2f6f6a', '#e0c26b', ['Undertow', 'Paper Boats', 'Low Tide']],
  ['Mira Okafor', 'Northern Window', '#5a3d7a', '#e88fa6', ['Northern Window', 'Frost']],
  ['The Quiet Hours', 'Glass Garden', '#27496d', '#9fd3c7', ['Glass Garden', 'Ember', 'Coastline']],
  ['Aster Bloom', 'Satellites', '#7a2f3b', '#f2b880', ['Satellites', 'Orbit']],
  ['Kaito Mori', 'Night Train', '#1f2e4a', '#6fa3ef', ['Night Train', 'Tokyo Rain']],
];
const albumFiles = [];
for (const [artist, album, from, to, titles] of ALBUMS) {
  const folder = path.join(dir, 'Music', artist, album);
  mkdirSync(folder, { recursive: true });
  execFileSync('convert', ['-size', '300x300', `gradient:${from}-${to}`, '-swirl', '90', path.join(folder, 'cover.jpg')]);
  titles.forEach((title, i) => {
    const file = path.join(folder, `${String(i + 1).padStart(2, '0')} - ${title}.flac`);
    execFileSync('sox', ['-n', '-r', '8000', '-c', '1', file, 'synth', String(150 + 37 * i), 'sine', '330', 'vol', '0.05']);
    albumFiles.push(file);
  });
}

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

  await page.click('.viewport .row[aria-rowindex="10"]', { button: 'right' });
  await page.hover('#context-menu [data-command=playNext]');
  await page.screenshot({ path: path.join(root, 'docs/player-menu.png') });
  await page.click('#context-menu [data-command=playNext]');
  await page.click('.viewport .row[aria-rowindex="12"]');
  await page.click('.viewport .row[aria-rowindex="14"]', { modifiers: ['Control'] });
  await page.click('.viewport .row[aria-rowindex="14"]', { button: 'right' });
  await page.click('#context-menu [data-command=enqueue]');
  await page.click('#queue-toggle');
  await page.evaluate(() => document.getElementById('toast').classList.remove('show'));
  await page.mouse.move(0, 0);
  await page.waitForTimeout(400);
  await page.screenshot({ path: path.join(root, 'docs/player-queue.png') });

  await page.click('#queue-toggle');
  await page.setViewportSize({ width: 400, height: 420 });
  await page.waitForTimeout(400);
  await page.screenshot({ path: path.join(root, 'docs/player-compact.png') });
  console.log('docs/player-{empty,playing,menu,queue,compact,albums,playlist}.png');
  const shelf = await openPlayer(await b.fresh());
  await deliver(shelf.page, albumFiles.map(recordFor));
  await shelf.page.click('.side-item.kind-albums');
  await shelf.page.waitForFunction(() => [...document.querySelectorAll('.item.albums img')].every((i) => i.complete && i.naturalWidth));
  await shelf.page.evaluate(() => {
    const P = window.sonabel.debug, pick = ['Slow River', 'Frost', 'Ember', 'Tokyo Rain', 'Paper Boats', 'Orbit'];
    P.createPlaylist('Late night drive', pick.map((t) => P.lib.tracks.find((x) => P.tagsOf(x).title === t).url));
    P.createPlaylist('Morning');
  });
  await shelf.page.evaluate(() => document.getElementById('toast').classList.remove('show'));
  await shelf.page.mouse.move(0, 0);
  await shelf.page.waitForTimeout(300);
  await shelf.page.screenshot({ path: path.join(root, 'docs/player-albums.png') });
  await shelf.page.click('.side-item:has-text("Late night drive")');
  await shelf.page.waitForFunction(() => [...document.querySelectorAll('.viewport .row .c-dur .txt')].filter((e) => e.textContent).length >= 6, null, { timeout: 60000 });
  await shelf.page.dblclick('.viewport .row[aria-rowindex="3"]');
  await shelf.page.waitForFunction(() => document.getElementById('audio').currentTime > 0.2);
  await shelf.page.evaluate(() => document.getElementById('toast').classList.remove('show'));
  await shelf.page.mouse.move(0, 0);
  await shelf.page.waitForTimeout(300);
  await shelf.page.screenshot({ path: path.join(root, 'docs/player-playlist.png') });
} finally {
  await b.close();
  rmSync(dir, { recursive: true, force: true });
}
