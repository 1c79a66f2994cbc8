// Accessibility and look: names, grid roles, live region, focus rings,
// text contrast, and a layout that holds from 860 by 640 to maximised.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { launch, openPlayer, deliver, fakeRecords } from './helpers.mjs';

const axeSource = readFileSync(new URL('../../node_modules/axe-core/axe.min.js', import.meta.url), 'utf8');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

// Contrast of every visible text against what is behind it, compositing
// translucent backgrounds up the tree.
const contrastReport = () => {
  const parse = (c) => { const m = c.match(/[\d.]+/g).map(Number); return { r: m[0], g: m[1], b: m[2], a: m.length > 3 ? m[3] : 1 }; };
  const over = (top, under) => ({ r: top.r * top.a + under.r * (1 - top.a), g: top.g * top.a + under.g * (1 - top.a), b: top.b * top.a + under.b * (1 - top.a), a: 1 });
  const lum = ({ r, g, b }) => { const f = (v) => { v /= 255; return v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4; }; return 0.2126 * f(r) + 0.7152 * f(g) + 0.0722 * f(b); };
  const background = (el) => {
    const layers = [];
    for (let e = el; e; e = e.parentElement) {
      const cs = getComputedStyle(e);
      if (cs.backgroundImage !== 'none') return null; // gradients: judged by eye
      const c = parse(cs.backgroundColor);
      if (c.a > 0) layers.push(c);
      if (c.a === 1) break;
    }
    return layers.reverse().reduce((acc, c) => over(c, acc), { r: 255, g: 255, b: 255, a: 1 });
  };
  const out = [];
  for (const el of document.querySelectorAll('body *')) {
    const own = [...el.childNodes].some((n) => n.nodeType === 3 && n.textContent.trim());
    if (!own || el.closest('[hidden], dialog:not([open])') || el.disabled || el.closest(':disabled')) continue;
    const rect = el.getBoundingClientRect();
    const cs = getComputedStyle(el);
    if (!rect.width || !rect.height || cs.visibility === 'hidden' || Number(cs.opacity) === 0) continue;
    if (el.closest('.toast') && !el.closest('.toast.show')) continue;
    const bg = background(el);
    if (!bg) continue;
    const fg = over(parse(cs.color), bg);
    const [l1, l2] = [lum(fg), lum(bg)].sort((a, b) => b - a);
    out.push({ text: el.textContent.trim().slice(0, 30), ratio: (l1 + 0.05) / (l2 + 0.05) });
  }
  return out;
};

// Serious and critical findings of axe-core on what the page shows now.
async function axeFindings(page) {
  if (await page.evaluate(() => typeof window.axe) === 'undefined') await page.evaluate(axeSource);
  return page.evaluate(async () => (await window.axe.run(document, { resultTypes: ['violations'] })).violations
    .filter((v) => v.impact === 'serious' || v.impact === 'critical')
    .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
}

describe('look and accessibility', () => {
  test('an accessibility engine finds nothing serious in any main view', async () => {
    const { page } = await openPlayer(await browser.fresh({ bypassCSP: true }));
    await deliver(page, fakeRecords(40).map((r, i) => ({ ...r, url: `file:///m/Music/Artist ${i % 3}/Album ${i % 5}/${i}.mp3` })));
    const side = (name) => page.click(`.side-item:has-text("${name}")`);
    const views = {
      library: async () => {},
      albums: () => side('Albums'),
      album: () => page.click('.item.albums >> nth=0'),
      artists: () => side('Artists'),
      folders: () => side('Folders'),
      playlist: async () => { await page.click('#new-playlist'); await page.keyboard.press('Enter'); },
      'up next': async () => { await side('Library'); await page.click('#queue-toggle'); },
      'track menu': async () => { await page.click('#queue-toggle'); await page.click('.viewport .row >> nth=1', { button: 'right' }); },
      'column menu': async () => { await page.keyboard.press('Escape'); await page.click('.row.head', { button: 'right' }); },
      'track info': async () => { await page.keyboard.press('Escape'); await page.click('.viewport .row >> nth=1'); await page.keyboard.press('Control+i'); },
      compact: async () => { await page.keyboard.press('Escape'); await page.setViewportSize({ width: 360, height: 600 }); },
    };
    const found = {};
    for (const [name, open] of Object.entries(views)) {
      await open();
      const f = await axeFindings(page);
      if (f.length) found[name] = f;
    }
    assert.deepEqual(found, {});
    await page.close();
  });

  test('table details: a whole header sorts, its words fit, a badge leaves the title, a playlist numbers its own', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, [...fakeRecords(3), { title: 'Nocturne in E flat major, Op. 9 No. 2', artist: 'X', url: 'file:///nowhere/n.mp3', format: 'MP3' }]);
    for (const key of ['trackNo', 'plays']) {
      await page.click('.row.head', { button: 'right' });
      await page.click(`#column-menu [data-command=${key}]`);
      await page.keyboard.press('Escape');
    }
    const edge = await page.$eval('[data-key=duration]', (h) => { const r = h.getBoundingClientRect(); return [r.left + 8, r.top + r.height / 2]; });
    await page.mouse.click(...edge);
    assert.equal(await page.getAttribute('[data-key=duration]', 'aria-sort'), 'ascending');
    assert.deepEqual(await page.$$eval('.row.head .label', (l) => l.filter((x) => x.scrollWidth > x.clientWidth + 1).map((x) => x.textContent)), []);
    await page.waitForSelector('.viewport .row.bad:has-text("Nocturne")', { timeout: 15000 });
    const title = await page.$eval('.viewport .row.bad:has-text("Nocturne") .c-title', (c) => [c.querySelector('.txt').clientWidth, c.clientWidth]);
    assert.ok(title[0] >= title[1] * 0.6, `title ${title[0]} of ${title[1]} px`);
    await page.evaluate(() => { const d = window.sonabel.debug; d.setSource({ kind: 'playlist', id: d.createPlaylist('Two', [d.lib.tracks[2].url, d.lib.tracks[0].url]).id }); });
    // Still sorted by time (none known: the order added), each row keeps its place in the playlist.
    assert.deepEqual(await page.$$eval('.viewport .row:not([hidden]) .c-num .txt', (c) => c.map((x) => x.textContent)), ['2', '1']);
    await page.close();
  });

  test('every control has a name; the list is a grid with row counts', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(50));
    const cdp = await page.context().newCDPSession(page);
    const { nodes } = await cdp.send('Accessibility.getFullAXTree');
    const controls = nodes.filter((n) => !n.ignored && ['button', 'slider', 'searchbox', 'textbox', 'grid', 'checkbox'].includes(n.role?.value));
    assert.ok(controls.length >= 20, `${controls.length} controls`);
    const nameless = controls.filter((n) => !(n.name?.value || '').trim()).map((n) => n.role.value);
    assert.deepEqual(nameless, []);
    const grid = await page.$eval('[role=grid]', (g) => ({
      rowcount: g.getAttribute('aria-rowcount'), colcount: g.getAttribute('aria-colcount'),
      headers: [...g.querySelectorAll('[role=columnheader]')].map((h) => h.textContent.trim()),
      firstRow: g.querySelector('.viewport [role=row]').getAttribute('aria-rowindex'),
      cells: g.querySelector('.viewport [role=row]').querySelectorAll('[role=gridcell]').length,
    }));
    assert.deepEqual(grid, { rowcount: '51', colcount: '5', headers: ['#', 'Title', 'Artist', 'Format', 'Time'], firstRow: '2', cells: 5 });
    const live = await page.$eval('#toast-text', (t) => [t.getAttribute('role'), t.getAttribute('aria-live'), t.textContent]);
    assert.deepEqual(live, ['status', 'polite', 'Added 50 tracks']);
    await page.close();
  });

  test('keyboard focus is always visible', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(5));
    const ring = () => page.evaluate(() => {
      const e = document.activeElement;
      const cs = getComputedStyle(e);
      if (cs.outlineStyle !== 'none' && parseFloat(cs.outlineWidth) >= 2) return e.id || e.className || e.tagName;
      const row = e.id === 'grid' && e.querySelector('.row.cursor');
      return row && getComputedStyle(row).outlineStyle !== 'none' ? 'grid' : null;
    });
    const seen = [];
    for (let i = 0; i < 32; i++) {
      await page.keyboard.press('Tab');
      const id = await page.evaluate(() => document.activeElement.id || document.activeElement.className);
      if (id === '' ) break; // past the last control
      if (id === 'search') { seen.push(id); continue; } // the box's border lights instead
      if (id === 'grid') await page.keyboard.press('ArrowDown');
      const r = await ring();
      assert.ok(r, `no visible focus on ${id}`);
      seen.push(r);
    }
    for (const id of ['add-files', 'win-close', 'grid', 'sort', 'play', 'volume']) assert.ok(seen.includes(id), `${id} in ${seen}`);
    await page.close();
  });

  test('text keeps 4.5:1 contrast, empty and with a playing library', async () => {
    const { page } = await openPlayer(await browser.fresh());
    let low = (await page.evaluate(contrastReport)).filter((c) => c.ratio < 4.5);
    assert.deepEqual(low, []);
    await deliver(page, fakeRecords(30));
    await page.click('.viewport .row[aria-rowindex="3"]');
    await page.click('.viewport .row[aria-rowindex="5"]', { modifiers: ['Control'] });
    const report = await page.evaluate(contrastReport);
    assert.ok(report.length > 50, `${report.length} texts checked`);
    low = report.filter((c) => c.ratio < 4.5);
    assert.deepEqual(low, []);
    await page.close();
  });

  test('at any width the library, the volume and Up next can be reached', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(30).map((r, i) => ({ ...r, url: `file:///m/Music/A${i % 3}/B${i % 5}/${i}.mp3` })));
    const visible = (selector) => page.$eval(selector, (e) => e.getBoundingClientRect().width > 0);
    // A width's media-query change, which closes the drawer, comes with the next frame.
    const resize = async (width) => {
      await page.setViewportSize({ width, height: 600 });
      await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    };
    // The volume keys also act where a list or the sidebar has the arrows.
    const volumeUpIn = async (selector) => {
      await page.focus(selector);
      assert.equal(await page.$eval(selector, (e) => e === document.activeElement), true, selector);
      await page.keyboard.press('Control+ArrowUp');
    };
    await volumeUpIn('.side-item.current');
    assert.equal(await page.inputValue('#volume'), '0.85');
    await resize(600);
    assert.equal(await visible('#sidebar'), false);
    await page.click('#browse-toggle');
    await page.click('.side-item:has-text("Albums")');
    assert.deepEqual([await visible('#sidebar'), await visible('#browse')], [false, true]);
    await page.click('#volume-toggle');
    assert.equal(await visible('#volume'), true);
    await page.keyboard.press('Control+ArrowDown');
    assert.equal(await page.inputValue('#volume'), '0.8');
    await page.keyboard.press('Escape');
    assert.equal(await visible('#volume'), false);
    await volumeUpIn('#browse');
    assert.equal(await page.inputValue('#volume'), '0.85');
    // Compact: Browse opens the library with the drawer, then the drawer, then goes back.
    await resize(360);
    assert.equal(await visible('#viewport'), false);
    await page.click('#browse-toggle');
    await page.click('.side-item:has-text("Library")');
    assert.deepEqual([await visible('#sidebar'), await visible('#viewport')], [false, true]);
    await page.click('#browse-toggle');
    await page.click('#browse-toggle');
    assert.equal(await visible('#viewport'), false);
    await page.click('#queue-toggle');
    assert.equal(await visible('#queue-panel'), true);
    await page.close();
  });

  test('nothing is clipped from 360 px wide to a 4K screen; below 480 px the view is compact', async () => {
    const { page } = await openPlayer(await browser.fresh());
    await deliver(page, fakeRecords(100));
    for (const [width, height] of [[860, 640], [1920, 1040], [3840, 2160], [620, 600], [520, 600], [470, 500], [360, 400]]) {
      await page.setViewportSize({ width, height });
      await page.waitForTimeout(100);
      const got = await page.evaluate(() => {
        const off = [];
        for (const el of document.querySelectorAll('button, input')) {
          if (el.closest('[hidden], dialog')) continue;
          if (innerWidth > 640 && (el.id === 'browse-toggle' || el.id === 'volume-toggle')) continue; // for narrow windows
          const r = el.getBoundingClientRect();
          if (!r.width && !r.height && innerWidth < 860) continue; // dropped on purpose when narrow
          if (r.left < 0 || r.top < 0 || r.right > innerWidth + 0.5 || r.bottom > innerHeight + 0.5 || !r.width) off.push(el.id || el.textContent.trim());
        }
        return { off, scroll: document.documentElement.scrollWidth <= innerWidth, rows: document.querySelectorAll('.viewport .row:not([hidden])').length };
      });
      assert.deepEqual(got.off, [], `${width}x${height}`);
      assert.ok(got.scroll, `no sideways scrolling at ${width}x${height}`);
      if (width < 480) {
        // Compact: what plays and the controls, no list.
        const shown = await page.evaluate(() => ['now-title', 'seek', 'play', 'next', 'prev', 'viewport']
          .map((id) => document.getElementById(id).getBoundingClientRect().width > 0));
        assert.deepEqual(shown, [true, true, true, true, true, false], `${width}x${height}`);
      } else assert.ok(got.rows * 36 >= (height - 300), `rows fill the list at ${width}x${height}`);
    }
    await page.close();
  });
});
