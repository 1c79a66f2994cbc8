// The library view: virtual list, sorting, search, selection, removal and
// clearing, and the status line.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launch, openPlayer, deliver, titles, rows, fakeRecords, recordFor, saved } from './helpers.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

const selected = (page) => page.$$eval('.viewport .row[aria-selected=true] .c-title .txt', (e) => e.map((x) => x.textContent));

describe('library view', () => {
  test('a large library keeps only the visible rows in the document', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(20000));
    // The first rows show at once, the rest follow in the next task.
    await page.waitForFunction(() => document.getElementById('grid').getAttribute('aria-rowcount') === '20001');
    const count = await page.$$eval('.viewport .row', (r) => r.length);
    assert.ok(count > 10 && count < 60, `rendered ${count} rows`);
    assert.equal((await titles(page))[0], 'Track 000000');
    assert.equal(await page.textContent('#status'), '20,000 tracks');
    await page.$eval('#viewport', (v) => { v.scrollTop = v.scrollHeight; });
    await page.waitForFunction(() => [...document.querySelectorAll('.viewport .row:not([hidden]) .c-title .txt')].some((e) => e.textContent === 'Track 019999'));
    const last = (await rows(page)).at(-1);
    assert.equal(last.i, 20001);
    assert.deepEqual(last.cells.slice(0, 4), ['20000', 'Track 019999', 'Artist 17', 'MP3']);
    assert.ok(await page.$$eval('.viewport .row', (r) => r.length) < 60);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('sorting by each column, both ways, and back to the order added', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, [
      { title: 'banana', artist: 'Cee', url: 'file:///1', format: 'OGG' },
      { title: 'Apple', artist: 'bee', url: 'file:///2', format: 'MP3' },
      { title: 'cherry', artist: 'Ay', url: 'file:///3', format: 'FLAC' },
    ]);
    const sortBy = async (name) => page.click(`[role=columnheader][data-key=${name}] button`);
    await sortBy('title');
    assert.equal(await page.getAttribute('[data-key=title]', 'aria-sort'), 'ascending');
    assert.equal(await page.getAttribute('[data-key=index]', 'aria-sort'), 'none');
    assert.deepEqual(await titles(page), ['Apple', 'banana', 'cherry']);
    await sortBy('title');
    assert.equal(await page.getAttribute('[data-key=title]', 'aria-sort'), 'descending');
    assert.deepEqual(await titles(page), ['cherry', 'banana', 'Apple']);
    await sortBy('artist');
    assert.deepEqual(await titles(page), ['cherry', 'Apple', 'banana']);
    await sortBy('format');
    assert.deepEqual(await titles(page), ['cherry', 'Apple', 'banana']);
    await sortBy('index');
    assert.deepEqual(await titles(page), ['banana', 'Apple', 'cherry']);
    await sortBy('index');
    assert.deepEqual(await titles(page), ['cherry', 'Apple', 'banana']);
    // The # column keeps each track's place in the order added.
    assert.deepEqual((await rows(page)).map((r) => r.cells[0]), ['3', '2', '1']);
    await page.close();
  });

  test('search narrows as you type, counts matches and clears with Escape', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, [
      { title: 'Slow River', artist: 'Night Owls', url: 'file:///1', format: 'MP3' },
      { title: 'Été', artist: 'Café', url: 'file:///2', format: 'MP3' },
      { title: 'River Song', artist: 'Band', url: 'file:///3', format: 'MP3' },
      ...fakeRecords(500),
    ]);
    await page.click('#search');
    await page.keyboard.type('riv');
    assert.deepEqual(await titles(page), ['Slow River', 'River Song']);
    assert.equal(await page.textContent('#status'), '2 of 503 tracks');
    await page.keyboard.type('er ni');
    assert.deepEqual(await titles(page), ['Slow River']);
    await page.keyboard.press('Backspace');
    await page.keyboard.press('Backspace');
    await page.keyboard.press('Backspace');
    assert.deepEqual(await titles(page), ['Slow River', 'River Song']);
    await page.fill('#search', 'cafe');
    assert.deepEqual(await titles(page), ['Été']);
    await page.fill('#search', 'nothing like this');
    assert.equal(await page.isVisible('#no-results'), true);
    assert.equal(await page.getAttribute('#grid', 'aria-rowcount'), '1');
    await page.focus('#search');
    await page.keyboard.press('Escape');
    assert.equal(await page.inputValue('#search'), '');
    assert.equal(await page.textContent('#status'), '503 tracks');
    assert.equal(await page.isVisible('#no-results'), false);
    await page.close();
  });

  test('selection by click, Ctrl, Shift and Ctrl+A; removing it', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(8, 'S'));
    const row = (n) => `.viewport .row[aria-rowindex="${n + 2}"]`;
    await page.click(row(1));
    assert.deepEqual(await selected(page), ['S 000001']);
    await page.click(row(3), { modifiers: ['Control'] });
    assert.deepEqual(await selected(page), ['S 000001', 'S 000003']);
    await page.click(row(5), { modifiers: ['Shift'] });
    assert.deepEqual(await selected(page), ['S 000003', 'S 000004', 'S 000005']);
    await page.click(row(3), { modifiers: ['Control'] });
    assert.deepEqual(await selected(page), ['S 000004', 'S 000005']);
    assert.equal(await page.textContent('#selection-info'), '2 tracks selected');
    await page.click('#remove-selected');
    assert.deepEqual(await titles(page), ['S 000000', 'S 000001', 'S 000002', 'S 000003', 'S 000006', 'S 000007']);
    assert.equal(await page.textContent('#status'), '6 tracks');
    await page.click(row(0));
    await page.keyboard.press('Control+a');
    assert.equal(await page.textContent('#selection-info'), '6 tracks selected');
    await page.keyboard.press('Delete');
    assert.equal(await page.isVisible('#empty'), true);
    assert.equal(await page.textContent('#status'), 'No tracks');
    await page.close();
  });

  test('Ctrl+A selects what the search shows, not what it hides', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(30, 'K'));
    // Words match anywhere: "00001" is in K 000001 and K 000010 to K 000019.
    await page.fill('#search', 'K 00001');
    await page.click('.viewport .row >> nth=0');
    await page.keyboard.press('Control+a');
    assert.equal(await page.textContent('#selection-info'), '11 tracks selected');
    await page.keyboard.press('Delete');
    await page.keyboard.press('Escape');
    assert.equal(await page.textContent('#status'), '19 tracks');
    await page.close();
  });

  test('clearing asks first and can be called off', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(5));
    await page.click('#clear-library');
    assert.equal(await page.isVisible('#confirm-clear'), true);
    await page.click('#confirm-cancel');
    assert.equal(await page.textContent('#status'), '5 tracks');
    await page.click('#clear-library');
    await page.click('#confirm-ok');
    assert.equal(await page.isVisible('#empty'), true);
    assert.equal(await page.isDisabled('#clear-library'), true);
    await page.reload();
    await page.waitForSelector('html[data-ready=true]');
    assert.equal(await page.isVisible('#empty'), true);
    await page.close();
  });

  test('a removal, a clear too, can be undone from its message until the next one', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(6, 'U'));
    await page.click('.viewport .row >> nth=1');
    await page.keyboard.press('Delete');
    await page.click('.viewport .row >> nth=0');
    await page.keyboard.press('Control+a');
    await page.keyboard.press('Delete');
    assert.equal(await page.textContent('#status'), 'No tracks');
    await page.click('#toast-undo');
    assert.equal(await page.textContent('#status'), '5 tracks');
    await page.keyboard.press('Control+z'); // the earlier removal stays removed
    assert.equal(await page.textContent('#status'), '5 tracks');
    await page.click('#clear-library');
    await page.click('#confirm-ok');
    await page.keyboard.press('Control+z');
    await page.reload();
    await page.waitForSelector('html[data-ready=true]');
    assert.deepEqual(await titles(page), ['U 000000', 'U 000002', 'U 000003', 'U 000004', 'U 000005']);
    await page.close();
  });

  test('its own menu, by mouse and keyboard; no engine menu, and a drop does not leave the page', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(4, 'M'));
    const menuItems = () => page.$$eval('#context-menu:not([hidden]) [role=menuitem]', (e) => e.map((x) => x.textContent));
    await page.click('.viewport .row >> nth=2', { button: 'right' });
    assert.deepEqual(await menuItems(), ['Play', 'Play next', 'Add to queue', 'Remove', 'Copy file location', 'Track info', 'New playlist from selection']);
    assert.deepEqual(await selected(page), ['M 000002']);
    await page.keyboard.press('Escape');
    assert.deepEqual(await menuItems(), []);
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Shift+F10');
    assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Play');
    for (let i = 0; i < 3; i++) await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    assert.deepEqual(await titles(page), ['M 000000', 'M 000001', 'M 000002']);
    const prevented = await page.evaluate(() => ['contextmenu', 'dragover', 'drop'].map((type) => {
      const e = new MouseEvent(type, { bubbles: true, cancelable: true });
      document.getElementById('status').dispatchEvent(e);
      return e.defaultPrevented;
    }));
    assert.deepEqual(prevented, [true, true, true]);
    await page.close();
  });

  test('columns: chosen from the header menu, resized by an edge, sorted, and the same after a reload', async () => {
    const { page, errors } = await openPlayer(await browser.fresh());
    await deliver(page, ['Owls/Sea/02 - Late', 'Owls/River/10 - Ten', 'Ann/Alpha/Zed - 01 - Last'].map((p) => recordFor(`/m/Music/${p}.mp3`)));
    await page.evaluate(() => { const P = window.sonabel.debug; P.countPlay(P.lib.tracks[1]); P.countPlay(P.lib.tracks[1]); P.countPlay(P.lib.tracks[2]); });
    const heads = () => page.$$eval('.row.head [role=columnheader]', (h) => h.map((x) => x.textContent));
    const checked = () => page.$$eval('#column-menu [aria-checked=true]', (e) => e.map((x) => x.textContent));
    await page.click('.row.head [data-column=title]', { button: 'right' });
    assert.deepEqual(await checked(), ['Number added', 'Artist', 'Format', 'Duration']);
    for (const key of ['plays', 'album', 'format']) await page.click(`#column-menu [data-command=${key}]`);
    assert.deepEqual(await checked(), ['Number added', 'Artist', 'Album', 'Duration', 'Plays']);
    await page.keyboard.press('Escape');
    assert.equal(await page.isVisible('#column-menu'), false);
    assert.deepEqual(await heads(), ['#', 'Title', 'Artist', 'Album', 'Time', 'Plays']);
    assert.equal(await page.getAttribute('#grid', 'aria-colcount'), '6');
    assert.deepEqual((await rows(page))[0].cells, ['1', 'Last', 'Zed', 'Alpha', '', '']);
    // The menu from the keyboard, and back to the header it came from.
    await page.focus('.row.head [data-column=artist] button');
    await page.keyboard.press('Shift+F10');
    assert.equal(await page.evaluate(() => document.activeElement.getAttribute('role')), 'menuitemcheckbox');
    await page.keyboard.press('Escape');
    assert.equal(await page.evaluate(() => document.activeElement.parentNode.dataset.column), 'artist');
    // The edge between Artist and Album follows the pointer; header and rows line up.
    const edges = () => page.evaluate(() => [document.querySelector('.row.head'), document.querySelector('.viewport .row')]
      .map((r) => [...r.children].map((c) => Math.round(c.getBoundingClientRect().right))));
    const [before] = await edges();
    const grip = await page.$('.row.head [data-column=artist] .grip');
    const box = await grip.boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width / 2 - 60, box.y + box.height / 2, { steps: 4 });
    await page.mouse.up();
    const [after, row] = await edges();
    assert.ok(Math.abs(after[2] - (before[2] - 60)) <= 1, `edge at ${after[2]}, was ${before[2]}`);
    assert.deepEqual(row, after);
    await page.click('.row.head [data-column=plays] button');
    await page.click('.row.head [data-column=plays] button');
    assert.deepEqual(await titles(page), ['Ten', 'Late', 'Last']);
    await saved(page);
    await page.reload();
    await page.waitForSelector('html[data-ready=true]');
    assert.deepEqual(await heads(), ['#', 'Title', 'Artist', 'Album', 'Time', 'Plays']);
    assert.deepEqual((await edges())[0], after);
    assert.equal(await page.getAttribute('[data-column=plays]', 'aria-sort'), 'descending');
    assert.deepEqual((await rows(page)).map((r) => r.cells[5]), ['2', '1', '']);
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('track info: what is known of a track, its path decoded and copied; by menu and keyboard', async () => {
    const context = await browser.fresh();
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const { page } = await openPlayer(context);
    const file = '/tmp/Ünï dir/50% #1/01 - Intro ♫.mp3';
    await deliver(page, [recordFor(file)]);
    await deliver(page, fakeRecords(2));
    const info = () => page.$$eval('#track-info[open] #info-list > *', (e) => Object.fromEntries(e.flatMap((x, i) => i % 2 ? [] : [[x.textContent, e[i + 1].firstChild?.textContent ?? '']])));
    await page.click('.viewport .row >> nth=0', { button: 'right' });
    await page.click('#context-menu [data-command=info]');
    const added = await page.evaluate(() => new Date(window.sonabel.debug.lib.tracks[0].added).toLocaleString());
    assert.deepEqual(await info(), {
      Title: 'Intro ♫', Artist: 'Ünï dir', Album: '50% #1', 'Album artist': 'Ünï dir', 'Track number': '1', Format: 'MP3',
      Duration: 'Unknown', Plays: '0', 'Last played': 'Never', 'Date added': added, Folder: '/tmp/Ünï dir/50% #1', Path: file,
    });
    await page.click('#track-info button:has-text("Copy")');
    assert.equal(await page.evaluate(() => navigator.clipboard.readText()), file);
    await page.keyboard.press('Escape');
    assert.equal(await page.evaluate(() => [document.getElementById('track-info').open, document.activeElement.id].join()), 'false,grid');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Control+i');
    assert.equal((await info()).Title, 'Track 000000');
    await page.keyboard.press('Escape');
    await page.keyboard.press('Alt+Enter');
    assert.equal((await info()).Title, 'Track 000000');
    await page.keyboard.press('ArrowDown'); // the dialog has the keys: the list behind stays
    assert.equal(await page.textContent('#active-row .c-title .txt'), 'Track 000000');
    await page.close();
  });
});
