// The real Sonabel.exe under wine showing the real player, as the build
// ships it, in a real engine: headless Chromium behind the WebView2 stand-in
// (support/browser_engine.mjs). The library's own page-side glue, the
// program's batch scripts and the player run together here, with the real
// window, dialogs and folder walk.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { copyFile, mkdir, rm } from 'node:fs/promises';
import path from 'node:path';
import test from 'node:test';

import { chromium } from 'playwright-core';

import { expectedRecord, expectedWalk, makeClips, makeHostileTree } from '../e2e/support/music_tree.mjs';
import {
  chooseFolder, focusDialog, keys, playerFolder, run, sleep, startSonabel, typeSlowly, xWindow,
} from './support/sonabel_exe.mjs';

const drive = process.env.SONABEL_TEST_DRIVE;
const driveFolder = process.env.SONABEL_TEST_DRIVE_FOLDER;

// What the player shows of every track in the list, in its own cells.
const shownTracks = (page) => page.evaluate(() => [...document.querySelectorAll('#viewport [role="row"]')]
  .map((row) => [...['c-title', 'c-artist', 'c-format', 'c-dur'].map((cls) => row.querySelector(`.${cls} .txt`)?.textContent ?? ''),
    Boolean(row.querySelector('.badge')?.offsetParent)])
  .filter(([title]) => title)
  .map(([title, artist, format, duration, unplayable]) => ({ title, artist, format, duration, unplayable })));

const trackCount = (page) => page.evaluate(() => Number(document.getElementById('grid').getAttribute('aria-rowcount')) - 1);

async function waitFor(test, what, ms = 30000) {
  const deadline = Date.now() + ms;
  for (;;) {
    const value = await test();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
    await sleep(250);
  }
}

// The player started and found sendNativeAction from its first script on:
// otherwise it marks its import buttons unavailable.
async function playerReady(page) {
  await page.waitForSelector('#add-folder', { timeout: 30000 });
  await waitFor(() => page.evaluate(() => document.readyState === 'complete'), 'the page to load');
  return page.evaluate(() => ({
    bridge: typeof window.sendNativeAction,
    unavailableShown: !document.getElementById('unavailable-note').hidden,
    importDisabled: document.getElementById('add-folder').disabled,
  }));
}

// What the player shows for the same files delivered the way the Linux
// program delivers them (paths and file URLs of the Linux side), at the
// same window size.
async function shownOnLinux(records, viewport) {
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox', '--disable-gpu'] });
  try {
    const page = await browser.newPage({ viewport });
    await page.addInitScript((batch) => {
      window.sendNativeAction = async (action) => {
        if (action === 'openFolder') window.sonabel.addTracksBatch(batch);
        return { status: 'ok' };
      };
    }, records);
    await page.goto(new URL(`file://${playerFolder}/index.html`).href);
    await page.click('#add-folder');
    await waitFor(async () => (await trackCount(page)) === records.length, 'the Linux list');
    return await shownTracks(page);
  } finally {
    await browser.close();
  }
}

const withoutDuration = (tracks) => tracks.map(({ title, artist, format }) => ({ title, artist, format }));
const byTitle = (a, b) => (a.title < b.title ? -1 : a.title > b.title ? 1 : 0);

// The Linux suite's awkward names, less those Windows cannot hold (\ " ? and
// line breaks, bytes that are not UTF-8) which wine would show mangled, plus
// a longer track to hear the clock move.
async function makeWindowsTree() {
  const clips = await makeClips(path.join(driveFolder, 'clips'));
  const music = path.join(driveFolder, 'Collection', 'Music');
  makeHostileTree(music, clips);
  const deeper = path.join(music, 'Album', 'Deeper');
  for (const name of ['Say "Hi" - it\'s me.wav', 'back\\slash.mp3', 'Slow #1 at 100% why?.mp3', 'line\nbreak.wav']) {
    await rm(path.join(deeper, name));
  }
  await run('sh', ['-c', 'rm -f "$1"/caf*" bytes.wav"', 'sh', deeper]);
  await copyFile(clips.ogg, path.join(deeper, "Don't Stop - 100% #1.ogg"));
  // Tracks long enough to hear the clock move, in three formats.
  for (const name of ['Night Owls - Long Road.mp3', 'Album/Night Owls - Slow River.ogg', 'Mixed Case.FLAC']) {
    await run('sox', ['-n', '-r', '44100', '-c', '2', path.join(music, name), 'synth', '6', 'sine', '330', 'vol', '0.2']);
  }
  return music;
}

async function windowState(sonabel, key, expected) {
  return waitFor(async () => (await sonabel.window())[key] === expected, `${key} to be ${expected}`, 10000);
}

test('the player in a real engine: start-up, window controls, both imports, playback, closing from the page', async (t) => {
  const music = await makeWindowsTree();
  const sonabel = await startSonabel({ layout: 'player', browser: true });
  try {
    const page = await sonabel.browser.page();

    await t.test('sendNativeAction is there before the first script, and again after a reload', async () => {
      const expected = { bridge: 'function', unavailableShown: false, importDisabled: false };
      assert.deepEqual(await playerReady(page), expected);
      await page.reload();
      assert.deepEqual(await playerReady(page), expected);
    });

    await t.test("the player's own window controls act on the real window", async () => {
      // X answers the window's first mapping late; a maximise before that is
      // taken back by the X driver.
      await xWindow('Sonabel');
      await sleep(1000);
      await page.click('#win-max');
      await windowState(sonabel, 'zoomed', 1);
      // The viewport follows the window, through put_Bounds.
      await waitFor(() => page.evaluate(() => innerWidth > 860), 'a wider page');
      await page.click('#win-max');
      await windowState(sonabel, 'zoomed', 0);
      await page.click('#win-pin');
      await windowState(sonabel, 'topmost', 1);
      await page.click('#win-pin');
      await windowState(sonabel, 'topmost', 0);
      await page.click('#win-min');
      await windowState(sonabel, 'iconic', 1);
      // From minimised, maximise shows the window maximised; so it stays for
      // the list to show every track.
      await page.click('#win-max');
      await windowState(sonabel, 'zoomed', 1);
      assert.equal((await sonabel.window()).iconic, 0);
    });

    await t.test('Add files through the real file dialog', async () => {
      // xdotool types capitals beyond ASCII in lower case, and the dialog
      // takes a name as typed, so the names typed here have none.
      const picks = [
        ['Collection\\Music', '"top.mp3" "Night Owls - Long Road.mp3"', ['top', 'Long Road']],
        ['Collection\\Music\\Album\\Deeper', '"🎵 emoji 🎶.ogg" "Don\'t Stop - 100% #1.ogg"', ['🎵 emoji 🎶', '100% #1']],
      ];
      const titles = [];
      for (const [folder, names, added] of picks) {
        await page.click('#add-files');
        await focusDialog('Open');
        await typeSlowly(`${drive}\\${folder}\\`);
        await keys('Return');
        await sleep(1500);
        await typeSlowly(names);
        await sleep(500);
        await keys('Return');
        titles.push(...added);
        await waitFor(async () => (await trackCount(page)) === titles.length, `${titles.length} tracks`);
        assert.match(await page.textContent('#toast-text'), /Added 2 tracks/);
      }
      assert.deepEqual((await shownTracks(page)).map((track) => track.title).sort(), titles.sort());
    });

    await t.test('Add folder through the real folder browser: every file once, shown as on Linux', async () => {
      const linuxFiles = expectedWalk(music);
      await page.click('#add-folder');
      await chooseFolder(music);
      await waitFor(async () => (await trackCount(page)) === linuxFiles.length, `${linuxFiles.length} tracks`, 60000);
      assert.match(await page.textContent('#toast-text'), new RegExp(`Added ${linuxFiles.length - 4} tracks`));

      const shown = await shownTracks(page);
      assert.equal(shown.length, linuxFiles.length, 'every track in view');
      const onLinux = await shownOnLinux(linuxFiles.map(expectedRecord), page.viewportSize());
      assert.deepEqual(withoutDuration(shown).sort(byTitle), withoutDuration(onLinux).sort(byTitle));
      // Each file was read far enough to be measured, through its own URL,
      // but for AIFF: Chromium, so WebView2, has no decoder for it.
      const settled = await waitFor(async () => {
        const tracks = await shownTracks(page);
        return tracks.every((track) => track.duration || track.unplayable) && tracks;
      }, 'every duration or mark', 60000);
      assert.deepEqual(settled.filter((track) => !track.duration || track.unplayable).map((track) => track.format), ['AIFF']);
    });

    await t.test('tracks in three formats play with a moving clock', async () => {
      const clock = () => page.evaluate(() => Math.max(...[...document.querySelectorAll('audio')].map((a) => (a.paused ? 0 : a.currentTime))));
      for (const title of ['Long Road', 'Slow River', 'Mixed Case']) {
        await page.dblclick(`#viewport [role="row"]:has-text("${title}")`);
        await waitFor(async () => (await page.textContent('#now-title')).includes(title), `${title} playing`);
        const first = await waitFor(async () => { const time = await clock(); return time > 0.3 && time < 4 && time; }, `${title}'s clock`);
        await sleep(1000);
        assert.ok((await clock()) > first + 0.5, `${title}: the clock moves`);
      }
    });

    await t.test('closing from the page ends the program with 0', async () => {
      await page.click('#win-close');
      assert.equal((await sonabel.exited).code, 0);
    });
    assert.deepEqual(sonabel.browser.errors, []);
  } finally {
    await sonabel.stop();
  }
});

test('web storage outlives a crash of the page and the run; closing from the frame ends with 0', async () => {
  const music = path.join(driveFolder, 'Kept');
  await mkdir(music, { recursive: true });
  await makeClips(music);
  const first = await startSonabel({ layout: 'player', browser: true });
  try {
    const page = await first.browser.page();
    await playerReady(page);
    await page.click('#add-folder');
    await chooseFolder(music);
    await waitFor(async () => (await trackCount(page)) === 5, 'five tracks');
    // The page's process dies: the program loads the player again, which
    // finds its library in storage.
    const navigations = first.reports.filter((r) => r.call === 'Navigate').length;
    await first.browser.crash();
    await first.until(() => first.reports.filter((r) => r.call === 'Navigate').length > navigations, 'the reload');
    // Playwright gives up on a page that crashed once, so these go straight
    // to the browser.
    await waitFor(() => first.browser.evaluate(`typeof sendNativeAction === 'function' &&
      document.getElementById('grid').getAttribute('aria-rowcount') === '6'`), 'five tracks after the reload');
    await first.browser.evaluate("document.getElementById('win-close').click()");
    assert.equal((await first.exited).code, 0);
  } finally {
    await first.stop();
  }

  const windowManager = spawn('openbox', [], { stdio: 'ignore' });
  const second = await startSonabel({ layout: 'player', browser: { freshProfile: false } });
  try {
    const page = await second.browser.page();
    await playerReady(page);
    await waitFor(async () => (await trackCount(page)) === 5, 'the five tracks of the first run');
    assert.deepEqual((await shownTracks(page)).map((track) => track.title).sort(), ['clip', 'clip', 'clip', 'clip', 'clip']);
    const window = await xWindow('Sonabel');
    await sleep(1000);
    await run('wmctrl', ['-i', '-c', window]);
    assert.equal((await second.exited).code, 0);
  } finally {
    await second.stop();
    windowManager.kill();
    await sleep(500);
  }
});

test('the notice page when the player is missing, and a page without window.sonabel importing', async () => {
  const missing = await startSonabel({ layout: 'none', browser: true });
  try {
    const page = await missing.browser.page();
    await page.waitForSelector('h2', { timeout: 30000 });
    assert.equal(await page.textContent('h2'), 'Sonabel Assets Not Found');
    assert.equal(await page.textContent('p'), 'Please place the web/ folder in the same directory as Sonabel.exe.');
    assert.deepEqual(await page.evaluate(() => [getComputedStyle(document.body).backgroundColor, getComputedStyle(document.body).color]),
      ['rgb(12, 14, 20)', 'rgb(255, 255, 255)']);
    await page.evaluate(() => window.sendNativeAction('closeWindow'));
    assert.equal((await missing.exited).code, 0);
  } finally {
    await missing.stop();
  }

  const music = path.join(driveFolder, 'Bare');
  await mkdir(music, { recursive: true });
  await makeClips(music);
  const bare = await startSonabel({ layout: 'web', browser: true });
  try {
    const page = await bare.browser.page();
    await waitFor(() => page.evaluate(() => document.title === 'page' && typeof window.sendNativeAction === 'function'), 'the page');
    await page.evaluate(() => {
      window.outcome = null;
      window.failures = [];
      addEventListener('error', (event) => window.failures.push(event.message));
      window.sendNativeAction('openFolder').then((reply) => { window.outcome = reply; }, (error) => { window.failures.push(String(error)); });
    });
    await chooseFolder(music);
    assert.deepEqual(await waitFor(() => page.evaluate(() => window.outcome), 'the reply'), { status: 'ok' });
    // The batch came, and did nothing in a page that has no player.
    assert.ok(bare.reports.some((r) => r.call === 'ExecuteScript' && r.script.includes('addTracksBatch')));
    assert.deepEqual(await page.evaluate(() => window.failures), []);
    await page.evaluate(() => window.sendNativeAction('closeWindow'));
    assert.equal((await bare.exited).code, 0);
  } finally {
    await bare.stop();
  }
});
