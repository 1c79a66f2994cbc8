// Sonabel.exe under wine: the real program with the real webview library,
// real Win32 windows and dialogs; only WebView2 is our stand-in, and here no
// page renders and no script runs. What is checked is what the library asks
// of WebView2: the URL, the settings, and the exact script texts. The player
// in a real engine is player.test.mjs.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdir, mkdtemp, opendir, readFile, rm, symlink, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import path from 'node:path';
import test from 'node:test';

import {
  chooseFolder, focusDialog, keys, okReply, run, sleep, startSonabel, typeSlowly, xWindow,
} from './support/sonabel_exe.mjs';

const drive = process.env.SONABEL_TEST_DRIVE;
const driveFolder = process.env.SONABEL_TEST_DRIVE_FOLDER;
const packageZip = process.env.SONABEL_PACKAGE;

// The page's batch script for these records, as the page must receive it.
function batchScript(records) {
  const json = JSON.stringify(records.map(({ title, artist, url, format }) => ({ title, artist, url, format })));
  const literal = json.replace(/[\\"']/g, (c) => '\\' + c);
  return `if (window.sonabel) { window.sonabel.addTracksBatch(JSON.parse('${literal}')); }`;
}

async function closeAndExpectZero(sonabel) {
  const { reply, id } = await sonabel.call('["closeWindow"]');
  assert.equal(reply, okReply(id));
  assert.equal((await sonabel.exited).code, 0);
}

test('start-up: the window, the view settings and the binding, whatever the arguments', async () => {
  const sonabel = await startSonabel({ layout: 'web', args: ['--ignored', 'C:\\Music'] });
  try {
    const environment = await sonabel.next('CreateCoreWebView2EnvironmentWithOptions');
    assert.match(environment.userDataFolder, /\\AppData\\Roaming\\Sonabel\.exe$/);
    assert.equal((await sonabel.next('CreateCoreWebView2Controller')).parentClass, 'webview_widget');
    assert.equal((await sonabel.next('put_AreDevToolsEnabled')).value, 0);
    assert.equal((await sonabel.next('put_IsStatusBarEnabled')).value, 0);
    // The binding's own script goes in before the page is asked for.
    assert.match((await sonabel.next('AddScriptToExecuteOnDocumentCreated')).script, /window\.__webview__ = new Webview\(\)/);
    const bound = await sonabel.next('AddScriptToExecuteOnDocumentCreated');
    assert.match(bound.script, /var methods = \["sendNativeAction"\]/);
    const navigation = await sonabel.next('Navigate');
    assert.equal(navigation.uri, `file:///Z:${sonabel.folder}/web/index.html`);
    assert.ok(sonabel.reports.indexOf(bound) < sonabel.reports.indexOf(navigation));
    const bounds = sonabel.reports.filter((r) => r.call === 'put_Bounds').at(-1);
    assert.deepEqual([bounds.right - bounds.left, bounds.bottom - bounds.top], [860, 640]);

    const window = await sonabel.window();
    assert.deepEqual({ title: window.title, width: window.width, height: window.height, visible: window.visible },
      { title: 'Sonabel', width: 860, height: 640, visible: 1 });
    assert.equal(window.resizable, 1);
    // The program's own icon, not the system's default one.
    assert.equal(window.icon, 1);

    // The first page call already finds the window: it minimises it.
    const first = await sonabel.call('["minimizeWindow"]');
    assert.equal(first.reply, okReply(first.id));
    assert.equal((await sonabel.window()).iconic, 1);

    // Clipboard reads are granted, and nothing else is answered.
    await sonabel.send('permission 6');
    assert.deepEqual(await sonabel.next('permissionAnswered'), { call: 'permissionAnswered', kind: 6, state: 1 });
    await sonabel.send('permission 2');
    assert.deepEqual(await sonabel.next('permissionAnswered'), { call: 'permissionAnswered', kind: 2, state: 0 });

    await closeAndExpectZero(sonabel);
    assert.deepEqual(sonabel.reports.filter((r) => r.call === 'unexpected'), []);
  } finally {
    await sonabel.stop();
  }
});

test('start page: each candidate by its canonical URL, and the notice page when there is none', async () => {
  for (const layout of ['src', 'parent', 'none']) {
    const sonabel = await startSonabel({ layout });
    try {
      const { uri } = await sonabel.next('Navigate');
      if (layout === 'none') {
        assert.match(uri, /^data:text\/html,<html><body style='background:%230c0e14;color:%23fff;/);
        assert.match(uri, /Please place the <b>web\/<\/b> folder in the same directory as Sonabel\.exe\./);
      } else {
        assert.equal(uri, `file:///Z:${sonabel.made.page}`, layout);
        assert.doesNotMatch(uri, /\.\./);
      }
      await closeAndExpectZero(sonabel);
    } finally {
      await sonabel.stop();
    }
  }
});

test('dispatcher and window actions: first match wins, every reply is the same, the real window follows', async () => {
  const sonabel = await startSonabel();
  try {
    await sonabel.next('Navigate');
    // X answers the window's first mapping late; a maximise before that is
    // taken back by the X driver, which no user could click that soon.
    await xWindow('Sonabel');
    await sleep(1000);
    const states = [];
    const steps = [
      ['["maximizeWindow"]', 'zoomed', 1],
      ['["zoomWindow"]', 'zoomed', 0],
      ['[1,"zoomWindow"]', 'zoomed', 1],
      ['[{"x":"maximizeWindow"}]', 'zoomed', 0],
      ['["setAlwaysOnTop",true]', 'topmost', 1],
      ['["setAlwaysOnTop",true]', 'topmost', 0],
      // Two names: the earlier in the table wins, so no dialog opens.
      ['["openFile","minimizeWindow"]', 'iconic', 1],
      ['["minimizeWindow"]', 'iconic', 1],
      ['["maximizeWindow"]', 'zoomed', 1],
      ['["CloseWindow","closeWindow is a word"]', 'zoomed', 1],
      ['[]', 'zoomed', 1],
    ];
    for (const [params, key, expected] of steps) {
      const { reply, id, scripts } = await sonabel.call(params);
      assert.equal(reply, okReply(id), params);
      assert.deepEqual(scripts, [], params);
      states.push([params, key, await windowStateOnceSettled(sonabel, key, expected)]);
    }
    assert.deepEqual(states, steps.map(([params, key, expected]) => [params, key, expected]));
    await closeAndExpectZero(sonabel);
  } finally {
    await sonabel.stop();
  }
});

// X applies window changes asynchronously: the state is read until it shows
// `expected` or two seconds have passed.
async function windowStateOnceSettled(sonabel, key, expected) {
  const deadline = Date.now() + 2000;
  for (;;) {
    await sleep(200);
    const state = (await sonabel.window())[key];
    if (state === expected || Date.now() > deadline) return state;
  }
}

test("closing from the window's frame ends with exit code 0", async () => {
  const windowManager = spawn('openbox', [], { stdio: 'ignore' });
  const sonabel = await startSonabel();
  try {
    await sonabel.next('Navigate');
    const window = await xWindow('Sonabel');
    await sleep(1000);
    await run('wmctrl', ['-i', '-c', window]);
    assert.equal((await sonabel.exited).code, 0);
  } finally {
    await sonabel.stop();
    windowManager.kill();
    await sleep(500);
  }
});

// The folder's audio files, links to folders not entered.
async function audioFilesIn(folder, relative = '') {
  const found = [];
  for await (const entry of await opendir(path.join(folder, relative))) {
    const name = path.posix.join(relative, entry.name);
    if (entry.isDirectory()) found.push(...(await audioFilesIn(folder, name)));
    else if (entry.isFile() && /^.+\.(mp3|wav|ogg|m4a|flac|aac|aiff|webm)$/i.test(entry.name)) found.push(name);
  }
  return found;
}

const record = (url) => {
  const stem = decodeURI(url).split('/').at(-1).replace(/\.[^.]*$/, '');
  const split = stem.indexOf(' - ');
  return {
    title: split < 0 ? stem : stem.slice(split + 3),
    artist: split < 0 ? 'Local Music' : stem.slice(0, split),
    url,
    format: url.split('.').at(-1).toUpperCase(),
  };
};

test('import: the real file dialog and folder browser, one batch before the reply', async (t) => {
  for (const name of ['Night Owls - Slow River.flac', "Don't Stop.mp3", 'notes.txt', 'b.wav']) {
    await writeFile(path.join(driveFolder, name), '');
  }
  const music = path.join(driveFolder, 'music');
  await mkdir(path.join(music, 'Sub', 'Deeper'), { recursive: true });
  for (const name of ['one.mp3', 'two.txt', 'Sub/three.FLAC', 'Sub/Deeper/four.aiff', 'Sub/.mp3']) {
    await writeFile(path.join(music, name), '');
  }
  // A link back to the tree's root: not entered, so the walk ends.
  await symlink('../..', path.join(music, 'Sub', 'Deeper', 'loop'));

  const sonabel = await startSonabel();
  try {
    await sonabel.next('Navigate');

    await t.test('openFile: several files in a drive root, one through "All Files"', async () => {
      const { scripts, reply, id } = await sonabel.call('["openFile"]', {
        whileWaiting: async () => {
          await focusDialog('Open');
          await typeSlowly(`${drive}\\`);
          await keys('Return');
          await sleep(1500);
          await typeSlowly('"Night Owls - Slow River.flac" "Don\'t Stop.mp3" "notes.txt"');
          await sleep(500);
          await keys('Return');
        },
      });
      assert.deepEqual(scripts, [batchScript([
        record(`file:///${drive}/Night Owls - Slow River.flac`),
        record(`file:///${drive}/Don't Stop.mp3`),
        record(`file:///${drive}/notes.txt`),
      ])]);
      assert.equal(reply, okReply(id));
    });

    await t.test('openFile cancelled: no script', async () => {
      const { scripts } = await sonabel.call('["openFile"]', {
        whileWaiting: async () => { await focusDialog('Open'); await keys('Escape'); },
      });
      assert.deepEqual(scripts, []);
    });

    await t.test('a call while the dialog is open is served; the outer call still delivers', async () => {
      let inner;
      const outer = await sonabel.call('["openFile"]', {
        whileWaiting: async () => {
          await focusDialog('Open');
          await typeSlowly(`${drive}\\b.wav`);
          // A call that leaves the keyboard with the dialog.
          inner = await sonabel.call('["unknownAction"]');
          await keys('Return');
        },
      });
      assert.equal(inner.reply, okReply(inner.id));
      // The inner reply comes while the dialog is up, the outer batch after.
      assert.deepEqual(outer.scripts, [inner.reply, batchScript([record(`file:///${drive}/b.wav`)])]);
      assert.equal(outer.reply, okReply(outer.id));
    });

    for (const action of ['openFolder', 'autoScanMusic']) {
      await t.test(`${action}: the whole tree through the folder browser, links not followed`, async () => {
        const { scripts, reply, id } = await sonabel.call(`["${action}"]`, {
          whileWaiting: () => chooseFolder(music),
        });
        // Wine lists a folder in its own order, which the walk keeps; the unit
        // tests pin the pre-order itself.
        assert.equal(scripts.length, 1);
        const urls = [...scripts[0].matchAll(/url\\":\\"([^\\]*)\\"/g)].map((m) => m[1]);
        const expected = (await audioFilesIn(music)).map((name) => `file:///${drive}/music/${name}`);
        assert.equal(expected.length, 3);
        assert.deepEqual([...urls].sort(), expected.sort());
        assert.equal(scripts[0], batchScript(urls.map(record)));
        assert.equal(reply, okReply(id));
      });
    }

    await t.test('the folder browser cancelled: no script', async () => {
      const { scripts } = await sonabel.call('["autoScanMusic"]', {
        whileWaiting: async () => { await focusDialog('Browse for Folder'); await keys('Escape'); },
      });
      assert.deepEqual(scripts, []);
    });

    await closeAndExpectZero(sonabel);
  } finally {
    await sonabel.stop();
  }
});

// The box's text as wine logs it, once the box is up.
async function errorBoxText(sonabel) {
  await focusDialog('Sonabel Error');
  return sonabel.until(() => /MSGBOX_OnInit L"([^"]*)"/.exec(sonabel.stderr)?.[1], 'the box text');
}

async function dismissErrorBox() {
  await run('xdotool', ['windowfocus', '--sync', await xWindow('Sonabel Error')]);
  await keys('Return');
}

const boxText = (message) =>
  `Sonabel failed to initialize WebView2:\\n\\n${message}\\n\\nPlease ensure Microsoft Edge WebView2 is installed.`;

test('a WebView2Loader.dll on PATH is not loaded; only the one beside the program is', async () => {
  const planted = await mkdtemp(path.join(tmpdir(), 'sonabel-path-'));
  const sonabel = await startSonabel({ standinFolder: planted, env: { WINEDEBUG: '+msgbox' } });
  try {
    // The library's own loader finds no runtime here, so the box says so.
    assert.equal(await errorBoxText(sonabel), boxText('WebView2 is unavailable'));
    assert.deepEqual(sonabel.reports, [], 'the planted stand-in ran');
    await dismissErrorBox();
    assert.equal((await sonabel.exited).code, 1);
  } finally {
    await sonabel.stop();
    await rm(planted, { recursive: true, force: true });
  }
});

test('a dead web process reloads the start page once; a second death within 30 s ends with the box', async () => {
  const cases = [
    // kinds: 1 the page's process, 3 a frame's, 0 the browser's own
    { kinds: [1, 3, 1], reloads: 1, message: 'The web process crashed.' },
    { kinds: [0], reloads: 0, message: 'The browser process exited.' },
  ];
  for (const { kinds, reloads, message } of cases) {
    const sonabel = await startSonabel({ env: { WINEDEBUG: '+msgbox' } });
    try {
      const start = (await sonabel.next('Navigate')).uri;
      for (const kind of kinds) {
        await sonabel.send(`processFailed ${kind}`);
        await sonabel.next('processFailedRaised');
      }
      assert.equal(await errorBoxText(sonabel), boxText(message));
      assert.deepEqual(sonabel.reports.filter((r) => r.call === 'Navigate').map((r) => r.uri),
        Array(1 + reloads).fill(start), JSON.stringify(kinds));
      await dismissErrorBox();
      assert.equal((await sonabel.exited).code, 1);
      // The handler went with the view.
      assert.ok(sonabel.reports.some((r) => r.call === 'remove_ProcessFailed'));
    } finally {
      await sonabel.stop();
    }
  }
});

test('start-up failures: the error box alone on screen, then exit code 1', async () => {
  // The library gives no message of its own when WebView2 fails to start,
  // and the box shows what it gives.
  const failures = [
    [{ runtime: false }, 'WebView2 is unavailable'],
    [{ controller: 0x80004005 }, ''],
    [{ environment: 0x80070005 }, ''],
  ];
  for (const [setup, message] of failures) {
    const sonabel = await startSonabel({ setup, env: { WINEDEBUG: '+msgbox' } });
    try {
      assert.equal(await errorBoxText(sonabel), boxText(message));
      assert.deepEqual(await sonabel.visibleWindows(), ['Sonabel Error'], JSON.stringify(setup));
      await dismissErrorBox();
      assert.equal((await sonabel.exited).code, 1);
      if (setup.runtime !== false) assert.ok(sonabel.reports.some((r) => r.call === 'CreateCoreWebView2EnvironmentWithOptions'));
    } finally {
      await sonabel.stop();
    }
  }
});

// Whether a PE file still has its COFF symbol table (stripped files do not).
async function hasSymbolTable(file) {
  const image = await readFile(file);
  const coff = image.readUInt32LE(0x3c) + 4;
  return image.readUInt32LE(coff + 8) !== 0 || image.readUInt32LE(coff + 12) !== 0;
}

test('the package holds the stripped program, web\\, the read-me and the notices, and runs unpacked', async () => {
  const { stdout } = await run('unzip', ['-Z1', packageZip]);
  const entries = stdout.trim().split('\n');
  assert.ok(entries.includes('Sonabel.exe') && entries.includes('web/index.html'), stdout);
  assert.deepEqual(entries.filter((e) => !e.startsWith('web/')).sort(), ['NOTICES.txt', 'README.txt', 'Sonabel.exe']);

  const folder = await mkdtemp(path.join(tmpdir(), 'sonabel-zip-'));
  try {
    await run('unzip', ['-q', packageZip, '-d', folder]);
    assert.equal(await hasSymbolTable(path.join(folder, 'Sonabel.exe')), false);
    assert.equal(await hasSymbolTable(process.env.SONABEL_EXE), true, 'the check itself');
    const readme = await readFile(path.join(folder, 'README.txt'), 'utf8');
    assert.match(readme, /Microsoft Edge WebView2 Runtime/);
    assert.match(readme, /Sonabel \d+\.\d+\.\d+ for Windows/);
    const notices = await readFile(path.join(folder, 'NOTICES.txt'), 'utf8');
    for (const licence of [/webview library[\s\S]*MIT License/, /WebView2 SDK header[\s\S]*Microsoft Corporation/,
      /mingw-w64 runtime[\s\S]*Zope Public License/, /GCC Runtime Library Exception/]) {
      assert.match(notices, licence);
    }
    const sonabel = await startSonabel({ folder });
    try {
      assert.equal((await sonabel.next('Navigate')).uri, `file:///Z:${folder}/web/index.html`);
      await closeAndExpectZero(sonabel);
    } finally {
      await sonabel.stop();
    }
  } finally {
    await rm(folder, { recursive: true, force: true });
  }
});
