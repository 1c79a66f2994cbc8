// Playback of real files made with sox: every format, advancing, previous,
// shuffle, repeat, unplayable files, seek, volume and the Media Session.
// A batch is numbered in path order, so `short()` lists them that way.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { rmSync, symlinkSync } from 'node:fs';
import path from 'node:path';
import {
  launch, openPlayer, deliver, titles, audioState, makeFixtures, tempDir, recordFor, writeBroken, logPlays, played,
} from './helpers.mjs';

let browser, dir, f;
before(async () => {
  dir = tempDir();
  f = makeFixtures(dir, [
    ['Night Owls - Slow River.wav', 1, 440],
    ['intro.mp3', 1, 550],
    ['Band - Song #1.flac', 1, 660],
    ['Quiet?.ogg', 1, 330],
    ['Long 50%.wav', 7, 220],
    ['Other - Long Two.wav', 4, 300],
  ]);
  f.broken = writeBroken(dir, 'Never - Not Audio.mp3');
  browser = await launch();
});
after(async () => { await browser.close(); rmSync(dir, { recursive: true, force: true }); });

const rec = (name) => recordFor(f[name]);
const short = () => ['Band - Song #1.flac', 'intro.mp3', 'Night Owls - Slow River.wav', 'Quiet?.ogg'].map(rec);
const row = (n) => `.viewport .row[aria-rowindex="${n + 2}"]`;
const waitPlaying = (page, title) => page.waitForFunction((t) => {
  const a = document.getElementById('audio');
  return !a.paused && a.currentTime > 0.1 && document.getElementById('now-title').textContent === t;
}, title, { timeout: 10000 });
const waitStopped = (page) => page.waitForFunction(() => document.getElementById('audio').paused, null, { timeout: 15000 });

describe('playback', () => {
  test('plays WAV, MP3, FLAC and Ogg and shows what is playing', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, short());
    const expect = [['Song #1', 'Band', 'FLAC'], ['intro', 'Local Music', 'MP3'], ['Slow River', 'Night Owls', 'WAV'], ['Quiet?', 'Local Music', 'OGG']];
    for (let i = 0; i < expect.length; i++) {
      const [title, artist, format] = expect[i];
      await page.dblclick(row(i));
      await waitPlaying(page, title);
      assert.equal(await page.textContent('#now-artist'), artist);
      assert.equal(await page.textContent('#now-format'), format);
      assert.equal(await page.title(), `${title} — ${artist} · Sonabel`);
      assert.equal(await page.getAttribute('#play', 'aria-label'), 'Pause');
      assert.equal(await page.getAttribute(row(i), 'aria-current'), 'true');
    }
    // Pause on a long track: a one-second one may end before the click lands.
    await deliver(page, [rec('Long 50%.wav')]);
    await page.dblclick(row(4));
    await waitPlaying(page, 'Long 50%');
    await page.click('#play');
    assert.equal((await audioState(page)).paused, true);
    await page.waitForFunction(() => document.getElementById('play').getAttribute('aria-label') === 'Play');
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('advances at the end of each track and stops after the last with repeat off', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, short().slice(0, 3));
    await logPlays(page);
    await page.click('#play');
    await page.waitForFunction(() => window.__played.length === 3, null, { timeout: 15000 });
    await waitStopped(page);
    assert.deepEqual(await played(page), ['Song #1', 'intro', 'Slow River']);
    // Each was heard through: one play each, with its time.
    assert.deepEqual(await page.evaluate(() => sonabel.debug.lib.tracks.map((t) => [t.plays, t.lastPlayed > t.added])),
      [[1, true], [1, true], [1, true]]);
    await page.close();
  });

  test('repeat all starts over, repeat one plays the same track again', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, short().slice(1, 3));
    await logPlays(page);
    await page.click('#repeat');
    assert.equal(await page.getAttribute('#repeat', 'aria-label'), 'Repeat: all');
    await page.dblclick(row(1));
    await page.waitForFunction(() => window.__played.length >= 2, null, { timeout: 10000 });
    assert.deepEqual((await played(page)).slice(0, 2), ['Slow River', 'intro']);
    await page.click('#repeat');
    assert.equal(await page.getAttribute('#repeat', 'aria-label'), 'Repeat: one');
    await page.evaluate(() => { window.__played = []; });
    await page.waitForFunction(() => window.__played.length >= 2, null, { timeout: 10000 });
    const p = await played(page);
    assert.equal(p[0], p[1]);
    await page.click('#repeat');
    assert.equal(await page.getAttribute('#repeat', 'aria-label'), 'Repeat: off');
    await page.close();
  });

  test('previous restarts a track past 3 s, else goes back; next goes on', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, [rec('intro.mp3'), rec('Long 50%.wav'), rec('Quiet?.ogg')]);
    await page.dblclick(row(1));
    await waitPlaying(page, 'Long 50%');
    await page.evaluate(() => { document.getElementById('audio').currentTime = 4; });
    await page.click('#prev');
    await page.waitForTimeout(100);
    let s = await audioState(page);
    assert.ok(s.time < 1, `restarted, at ${s.time}`);
    assert.equal(await page.textContent('#now-title'), 'Long 50%');
    await page.click('#prev');
    await waitPlaying(page, 'intro');
    await page.click('#next');
    await waitPlaying(page, 'Long 50%');
    await page.click('#next');
    await waitPlaying(page, 'Quiet?');
    assert.equal(await page.textContent('#total'), '0:01');
    await page.close();
  });

  test('what plays next is the context as shown when play began, after Up next; both survive a reload', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, short());
    await page.dblclick(row(0));
    await waitPlaying(page, 'Song #1');
    await page.fill('#search', 'quiet');
    await page.click('[data-key=title] button');
    await page.click(row(0), { button: 'right' });
    await page.click('#context-menu [data-command=enqueue]');
    await page.click('#queue-toggle');
    assert.deepEqual(await page.$$eval('#queue-list .queue-title', (e) => e.map((x) => x.textContent)), ['Quiet?']);
    await page.click('#next');
    await waitPlaying(page, 'Quiet?');
    await page.click('#next');
    await waitPlaying(page, 'intro');
    await page.click('#stop-after');
    await page.reload();
    await page.waitForSelector('html[data-ready=true]');
    assert.equal(await page.textContent('#now-title'), 'intro');
    await page.click('#play');
    // Stop after the current track came back with the context: the next one waits, loaded.
    await page.waitForFunction(() => document.getElementById('now-title').textContent === 'Slow River', null, { timeout: 10000 });
    await waitStopped(page);
    assert.equal(await page.isChecked('#stop-after'), false);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('the next track waits loaded and takes over at the end; speed applies to both and is kept', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, short().slice(0, 3));
    await page.click('#options-toggle');
    await page.$eval('#speed', (r) => { r.value = '1.5'; r.dispatchEvent(new Event('input', { bubbles: true })); });
    await page.keyboard.press('Escape');
    assert.equal(await page.getAttribute('#options-toggle', 'aria-expanded'), 'false');
    await page.dblclick(row(0));
    await waitPlaying(page, 'Song #1');
    const next = rec('intro.mp3').url;
    await page.waitForFunction((u) => document.getElementById('audio-next').src === u, next);
    await page.evaluate(() => { document.getElementById('audio-next').__ahead = true; });
    await waitPlaying(page, 'intro');
    assert.deepEqual(await page.$eval('#audio', (a) => [a.__ahead, a.playbackRate]), [true, 1.5]);
    await page.reload();
    await page.waitForSelector('html[data-ready=true]');
    assert.deepEqual([await page.textContent('#speed-value'), await page.$eval('#audio', (a) => a.playbackRate)], ['1.5×', 1.5]);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('a crossfade plays both tracks at once, then the next alone; the sleep timer fades out and pauses', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, [rec('Long 50%.wav'), rec('Other - Long Two.wav')]);
    await page.$eval('#crossfade', (r) => { r.value = '1'; r.dispatchEvent(new Event('input', { bubbles: true })); });
    assert.equal(await page.textContent('#crossfade-value'), '1 s');
    await page.dblclick(row(0));
    await waitPlaying(page, 'Long 50%');
    // Loaded, and primed: played muted a moment and paused back at its start.
    await page.waitForFunction(() => { const n = document.getElementById('audio-next'); return n.readyState >= 3 && n.played.length > 0 && n.paused && !n.muted; });
    await page.evaluate(() => { document.getElementById('audio').currentTime = 4.5; });
    await page.waitForFunction(() => [...document.querySelectorAll('audio')].every((a) => !a.paused && a.volume > 0), null, { timeout: 8000, polling: 'raf' });
    await page.waitForFunction(() => document.getElementById('audio-next').paused && !document.getElementById('audio').paused, null, { timeout: 8000 });
    assert.equal(await page.textContent('#now-title'), 'Long Two');
    assert.ok(await page.$eval('#audio', (a) => a.currentTime > 0.5 && Math.abs(a.volume - 0.8) < 1e-6));
    // Repeat one, so that the track cannot end before the timer does.
    await page.click('#repeat');
    await page.click('#repeat');
    await page.evaluate(() => window.sonabel.debug.startSleepTimer(0.005));
    await page.waitForFunction(() => document.getElementById('audio').paused, null, { timeout: 10000 });
    assert.equal(await page.textContent('#toast-text'), 'Sleep timer: playback paused');
    // The volume comes back with the next play, not before.
    assert.ok(await page.$eval('#audio', (a) => a.volume < 0.1));
    await page.click('#play');
    await page.waitForFunction(() => { const a = document.getElementById('audio'); return !a.paused && a.volume === 0.8; }, null, { timeout: 3000 });
    await page.click('#play');
    // The timer's menu reads what runs, however the keys left it.
    await page.click('#options-toggle');
    await page.selectOption('#sleep-timer', '15');
    for (const key of ['Home', 'ArrowDown', 'Enter', 'Escape']) await page.keyboard.press(key);
    const timer = await page.evaluate(() => [document.getElementById('sleep-timer').value, document.getElementById('sleep-left').textContent]);
    assert.equal(timer[0] === '0', timer[1] === '', `menu ${timer[0]}, ${timer[1]}`);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('shuffle plays every track once before any repeats', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, short());
    await logPlays(page);
    await page.click('#shuffle');
    assert.equal(await page.getAttribute('#shuffle', 'aria-pressed'), 'true');
    await page.click('#play');
    await page.waitForFunction(() => window.__played.length === 4, null, { timeout: 20000 });
    await waitStopped(page);
    const p = await played(page);
    assert.deepEqual([...p].sort(), ['Quiet?', 'Slow River', 'Song #1', 'intro']);
    await page.close();
  });

  test('an unplayable file is marked and skipped, reported once, and again when tried by hand', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, [rec('intro.mp3'), recordFor(f.broken), rec('Quiet?.ogg')]);
    await logPlays(page);
    await page.evaluate(() => {
      window.__reports = [];
      new MutationObserver(() => {
        const t = document.getElementById('toast-text').textContent;
        if (t.startsWith('Can’t play')) window.__reports.push(t);
      }).observe(document.getElementById('toast-text'), { childList: true, characterData: true, subtree: true });
    });
    await page.dblclick(row(0));
    await page.waitForFunction(() => window.__played.length === 2, null, { timeout: 10000 });
    assert.deepEqual(await played(page), ['intro', 'Quiet?']);
    assert.match(await page.getAttribute(row(1), 'class'), /\bbad\b/);
    // Going back over it skips it again, quietly.
    await page.click('#prev');
    await waitPlaying(page, 'intro');
    await page.dblclick(row(1));
    await waitPlaying(page, 'Quiet?');
    assert.deepEqual(await page.evaluate(() => window.__reports), ['Can’t play “Not Audio” — skipped', 'Can’t play “Not Audio” — skipped']);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('a library of nothing but unplayable files does not spin', async () => {
    const { page } = await openPlayer(await browser.fresh());
    const broken = [0, 1, 2].map((i) => {
      const link = path.join(dir, `bad${i}.mp3`);
      try { symlinkSync(f.broken, link); } catch { /* made by an earlier run */ }
      return recordFor(link);
    });
    await deliver(page, broken);
    await page.click('#play');
    await page.waitForFunction(() => document.querySelectorAll('.viewport .row.bad').length === 3, null, { timeout: 10000 });
    await page.waitForTimeout(500);
    const before = await page.evaluate(() => document.getElementById('audio').getAttribute('src'));
    await page.waitForTimeout(500);
    assert.equal(await page.evaluate(() => document.getElementById('audio').getAttribute('src')), before);
    assert.equal((await audioState(page)).paused, true);
    assert.equal(await page.getAttribute('#play', 'aria-label'), 'Play');
    await page.close();
  });

  test('seek bar and volume work with mouse and keyboard', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, [rec('Long 50%.wav')]);
    await page.dblclick(row(0));
    await waitPlaying(page, 'Long 50%');
    await page.click('#play');
    const box = await page.locator('#seek').boundingBox();
    await page.mouse.click(box.x + box.width * 0.75, box.y + box.height / 2);
    let s = await audioState(page);
    assert.ok(s.time > 4 && s.time < 6.5, `clicked to ${s.time}`);
    assert.match(await page.textContent('#elapsed'), /^0:0[4-6]$/);
    await page.focus('#seek');
    await page.keyboard.press('Home');
    s = await audioState(page);
    assert.ok(s.time < 0.5, `Home to ${s.time}`);
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('ArrowRight');
    s = await audioState(page);
    assert.ok(s.time >= 1.9 && s.time < 2.6, `arrows to ${s.time}`);
    await page.focus('#volume');
    await page.keyboard.press('Home');
    assert.equal((await audioState(page)).volume, 0);
    await page.keyboard.press('ArrowRight');
    assert.ok(Math.abs((await audioState(page)).volume - 0.01) < 1e-9);
    await page.click('#mute');
    assert.equal((await audioState(page)).muted, true);
    assert.equal(await page.getAttribute('#mute', 'aria-pressed'), 'true');
    await page.click('#mute');
    assert.equal((await audioState(page)).muted, false);
    await page.close();
  });

  test('the Media Session carries metadata, state and position and drives the player', async () => {
    const init = () => {
      window.__ms = {};
      const set = navigator.mediaSession.setActionHandler.bind(navigator.mediaSession);
      navigator.mediaSession.setActionHandler = (name, fn) => { window.__ms[name] = fn; set(name, fn); };
    };
    const { page } = await openPlayer(await browser.fresh(), { init });
    await deliver(page, [rec('Long 50%.wav'), rec('Night Owls - Slow River.wav')]);
    const names = await page.evaluate(() => Object.keys(window.__ms).sort());
    for (const n of ['nexttrack', 'pause', 'play', 'previoustrack', 'seekbackward', 'seekforward', 'seekto']) assert.ok(names.includes(n), n);
    await page.evaluate(() => window.__ms.play({ action: 'play' }));
    await waitPlaying(page, 'Long 50%');
    const ms = await page.evaluate(() => ({
      title: navigator.mediaSession.metadata.title, artist: navigator.mediaSession.metadata.artist, state: navigator.mediaSession.playbackState,
    }));
    assert.deepEqual(ms, { title: 'Long 50%', artist: 'Local Music', state: 'playing' });
    await page.evaluate(() => window.__ms.seekto({ action: 'seekto', seekTime: 5 }));
    assert.ok((await audioState(page)).time >= 5);
    await page.evaluate(() => window.__ms.pause({ action: 'pause' }));
    assert.equal(await page.evaluate(() => navigator.mediaSession.playbackState), 'paused');
    await page.evaluate(() => window.__ms.nexttrack({ action: 'nexttrack' }));
    await waitPlaying(page, 'Slow River');
    assert.equal(await page.evaluate(() => navigator.mediaSession.metadata.title), 'Slow River');
    await page.close();
  });
});
