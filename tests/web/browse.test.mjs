// Browsing and playlists in the page: the sidebar's views, covers, views
// that keep their place, and playlists from making to M3U8 and back.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, rmSync } from 'node:fs';
import path from 'node:path';
import { launch, openPlayer, deliver, titles, makeFixtures, tempDir, recordFor, fakeRecords, saved } from './helpers.mjs';

let browser, dir, tracks;
before(async () => {
  dir = tempDir();
  const owls = path.join(dir, 'Music', 'Night Owls', 'Slow River');
  const mix = path.join(dir, 'Music', 'Night Owls', 'Glass');
  mkdirSync(owls, { recursive: true });
  mkdirSync(mix, { recursive: true });
  execFileSync('convert', ['-size', '16x16', 'xc:#c04040', path.join(owls, 'Folder.PNG')]);
  tracks = [
    ...Object.values(makeFixtures(owls, [['02 - Second.wav', 2, 550], ['01 - First.wav', 2, 440], ['03 - Third.wav', 2, 660]])),
    ...Object.values(makeFixtures(mix, [['Guest - Other.wav', 2, 330]])),
  ].map(recordFor);
  browser = await launch();
});
after(async () => { await browser.close(); rmSync(dir, { recursive: true, force: true }); });

const side = (page, name) => page.click(`.side-item:has-text("${name}")`);
const tiles = (page) => page.$$eval('.item.albums:not([hidden])', (els) => els.map((e) => ({
  name: e.querySelector('.item-name').textContent, sub: e.querySelector('.item-sub').textContent,
  cover: e.querySelector('img').classList.contains('none') ? '' : e.querySelector('img').getAttribute('src').split('/').pop(),
})));

describe('browse', () => {
  test('albums with their covers, opened as tracks in disc order with the folder layout shown', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, tracks);
    await side(page, 'Albums');
    await page.waitForFunction(() => [...document.querySelectorAll('.item.albums:not([hidden]) img')].some((i) => i.complete && i.naturalWidth));
    assert.deepEqual(await tiles(page), [
      { name: 'Glass', sub: 'Night Owls · 1 track', cover: '' },
      { name: 'Slow River', sub: 'Night Owls · 3 tracks', cover: 'Folder.PNG' },
    ]);
    await page.click('.item.albums:has-text("Slow River")');
    assert.equal(await page.textContent('#list-title'), 'Slow River');
    assert.match(await page.textContent('#list-sub'), /^Night Owls · 3 tracks/);
    assert.equal(await page.$eval('#list-cover', (i) => i.getAttribute('src').endsWith('Folder.PNG')), true);
    assert.deepEqual(await titles(page), ['First', 'Second', 'Third']);
    assert.equal(await page.$eval('.row:not(.head) .c-artist .txt', (e) => e.textContent + (e.classList.contains('inferred') ? ' (inferred)' : '')), 'Night Owls (inferred)');
    // Artists and folders lead to the same tracks.
    await side(page, 'Artists');
    await page.click('.item.artists:has-text("Guest")');
    assert.deepEqual(await titles(page), ['Other']);
    await side(page, 'Folders');
    await page.click('.item.folders:has-text("Slow River")');
    assert.deepEqual(await titles(page), ['First', 'Second', 'Third']);
    // Search finds albums by name, and album: looks only there.
    await side(page, 'Albums');
    await page.fill('#search', 'album:glass');
    assert.deepEqual((await tiles(page)).map((t) => t.name), ['Glass']);
    await page.fill('#search', 'river');
    assert.deepEqual((await tiles(page)).map((t) => t.name), ['Slow River']);
    // By keyboard too; Up next shows a track as the list does.
    await page.focus('#browse');
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('Enter');
    assert.equal(await page.textContent('#list-title'), 'Slow River');
    await page.click('.viewport .row:has-text("First")', { button: 'right' });
    await page.click('.menu button:has-text("Play next")');
    await page.click('#queue-toggle');
    assert.deepEqual(await page.$$eval('.queue-item', (e) => e.map((x) => x.title)), ['First \u2014 Night Owls']);
    // The player bar and the media overlay show the album's cover.
    await page.click('#queue-toggle');
    await page.dblclick('.viewport .row:has-text("Second")');
    await page.waitForFunction(() => navigator.mediaSession.metadata && navigator.mediaSession.metadata.artwork.length === 1);
    assert.ok((await page.getAttribute('#now-cover', 'src')).endsWith('/Folder.PNG'));
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('an album of several discs, from its folders or its file names, is shown disc by disc with its numbers', async () => {
    const { page } = await openPlayer(await browser.fresh());
    const files = ['Box/CD2/01 - Dawn.mp3', 'Box/CD1/02 - Noon.mp3', 'Box/CD1/01 - Night.mp3', 'Set/2-01 Out.mp3', 'Set/1-01 In.mp3'];
    await deliver(page, files.map((f) => recordFor(`/m/Music/Owls/${f}`)));
    const shown = () => page.$$eval('.viewport .row:not([hidden])', (r) => r.sort((a, b) => a.getAttribute('aria-rowindex') - b.getAttribute('aria-rowindex'))
      .map((x) => `${x.querySelector('.c-trackno .txt').textContent} ${x.querySelector('.c-title .txt').textContent}${x.classList.contains('disc-start') ? ' |' : ''}`));
    for (const [album, want] of [['Box', ['1-01 Night', '1-02 Noon', '2-01 Dawn |']], ['Set', ['1-01 In', '2-01 Out |']]]) {
      await side(page, 'Albums');
      await page.click(`.item.albums:has-text("${album}")`);
      assert.deepEqual(await shown(), want);
      assert.match(await page.textContent('#list-sub'), /^Owls · 2 discs · /);
    }
    await page.close();
  });

  test('every view keeps its scroll position and selection; the last one comes back after a restart', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(3000).map((r, i) => ({ ...r, url: `file:///m/Music/A${i % 40}/B${i % 400}/${i}.mp3` })));
    await page.click('.viewport .row >> nth=3');
    await page.$eval('#viewport', (v) => { v.scrollTop = 2000; });
    await side(page, 'Albums');
    await page.$eval('#browse', (v) => { v.scrollTop = 1500; });
    await page.waitForTimeout(100);
    const firstTile = await page.textContent('.item.albums:not([hidden]) .item-name');
    await side(page, 'Library');
    assert.equal(await page.$eval('#viewport', (v) => v.scrollTop), 2000);
    assert.equal(await page.textContent('#selection-info'), '1 track selected');
    await side(page, 'Albums');
    assert.equal(await page.$eval('#browse', (v) => v.scrollTop), 1500);
    assert.equal(await page.textContent('.item.albums:not([hidden]) .item-name'), firstTile);
    assert.ok(await page.$$eval('.item.albums:not([hidden])', (x) => x.length) < 60, 'only tiles on screen are in the page');
    const restart = async () => {
      await page.waitForTimeout(400); // the settings are written a moment later
      await page.reload();
      await page.waitForSelector('html[data-ready=true]');
      assert.equal(await page.textContent('.side-item.current'), 'Albums');
    };
    await restart();
    assert.equal(await page.$eval('#browse', (v) => v.scrollTop), 1500);
    await page.click('.item.albums >> nth=0');
    const album = await page.textContent('#list-title');
    await restart();
    assert.equal(await page.textContent('#list-title'), album);
    await page.close();
  });
});

describe('playlists', () => {
  test('made, filled, reordered, played as the context, kept, and left by removed tracks', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, tracks);
    await page.click('#new-playlist');
    await page.keyboard.type('Road trip');
    await page.keyboard.press('Enter');
    await side(page, 'Library');
    // The context menu and a drag both add; what is there already is not added twice.
    await page.click('.viewport .row:has-text("Third")');
    await page.click('.viewport .row:has-text("First")', { modifiers: ['Control'] });
    await page.click('.viewport .row:has-text("First")', { button: 'right' });
    await page.click('.menu button:has-text("Add to “Road trip”")');
    await page.click('.viewport .row:has-text("Other")');
    await page.dragAndDrop('.viewport .row:has-text("Other")', '.side-item:has-text("Road trip")');
    await side(page, 'Road trip');
    assert.deepEqual(await titles(page), ['First', 'Third', 'Other']);
    await page.click('.viewport .row:has-text("First")');
    await page.keyboard.press('Alt+ArrowDown');
    assert.deepEqual(await titles(page), ['Third', 'First', 'Other']);
    // Played from the playlist, the next track is the playlist's.
    await page.dblclick('.viewport .row:has-text("First")');
    await page.click('#next');
    assert.equal(await page.textContent('#now-title'), 'Other');
    await saved(page);
    await page.reload();
    await page.waitForSelector('html[data-ready=true]');
    await side(page, 'Road trip');
    assert.deepEqual(await titles(page), ['Third', 'First', 'Other']);
    // A search narrows the playlist too, and says so.
    await page.fill('#search', 'third');
    assert.match(await page.textContent('#list-sub'), /^Playlist · 1 of 3 tracks match the search/);
    await page.click('#list-clear-search');
    assert.deepEqual(await titles(page), ['Third', 'First', 'Other']);
    // Removing a track from the library takes it out; undo puts it back in place.
    await side(page, 'Library');
    await page.click('.viewport .row:has-text("First")');
    await page.keyboard.press('Delete');
    await side(page, 'Road trip');
    assert.deepEqual(await titles(page), ['Third', 'Other']);
    await page.click('#toast-undo');
    assert.deepEqual(await titles(page), ['Third', 'First', 'Other']);
    // Undo takes back the last destructive action, whatever it was.
    await page.click('.viewport .row:has-text("Other")');
    await page.keyboard.press('Delete');
    await page.click('#list-delete');
    assert.equal(await page.$$eval('#side-playlists .side-item', (x) => x.length), 0);
    await page.keyboard.press('Control+z');
    assert.deepEqual(await page.$$eval('#side-playlists .side-item', (x) => x.map((e) => e.textContent)), ['Road trip']);
    assert.deepEqual(await titles(page), ['Third', 'First']);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('exported as M3U8 through a download, imported through a file input', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, tracks);
    await page.evaluate(() => {
      const P = window.sonabel.debug;
      P.setSource({ kind: 'playlist', id: P.createPlaylist('Mix: best', P.lib.tracks.filter((t) => /First|Second/.test(t.title)).map((t) => t.url)).id });
    });
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#list-export')]);
    assert.equal(download.suggestedFilename(), 'Mix best.m3u8');
    const text = readFileSync(await download.path(), 'utf8');
    // Durations are there once measured, -1 before.
    assert.equal(text.replace(/#EXTINF:(2|-1),/g, '#EXTINF:2,'), ['#EXTM3U', '#PLAYLIST:Mix: best',
      '#EXTINF:2,Night Owls - First', path.join(dir, 'Music/Night Owls/Slow River/01 - First.wav'),
      '#EXTINF:2,Night Owls - Second', path.join(dir, 'Music/Night Owls/Slow River/02 - Second.wav'), ''].join('\n'));
    const file = path.join(dir, 'in.m3u8');
    const fresh = path.join(dir, 'Elsewhere - New.mp3');
    execFileSync('sh', ['-c', `printf '#EXTM3U\\n%s\\nrelative.mp3\\n%s\\n' "$1" "$2" > "$3"`, 'sh', path.join(dir, 'Music/Night Owls/Glass/Guest - Other.wav'), fresh, file]);
    await page.setInputFiles('#import-playlist', file);
    await page.waitForFunction(() => document.getElementById('list-title').textContent === 'in');
    assert.deepEqual(await titles(page), ['Other', 'New']);
    assert.match(await page.textContent('#toast-text'), /2 tracks · 1 new to the library · 1 entry without an absolute path skipped/);
    assert.equal(await page.evaluate(() => window.sonabel.debug.lib.size()), 5);
    await page.close();
  });
});
