// Which start page the program shows: web/ beside it, then src/web, then
// ../src/web, else its own notice page.

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { realpath } from 'node:fs/promises';

import { pixelColour, screenshot, startDisplay, waitUntil, x11 } from './support/display.mjs';
import { launchProgram } from './support/program.mjs';
import { fixturePage, startReportServer } from './support/report_server.mjs';

const CANDIDATES = ['web/index.html', 'src/web/index.html', '../src/web/index.html'];

describe('start page', () => {
  let display;
  let server;

  before(async () => {
    display = await startDisplay();
    server = await startReportServer();
  });

  after(async () => {
    await server?.close();
    await display?.stop();
  });

  // Runs the program with the given candidates present and returns the URL
  // its first script saw.
  async function shownPage(present) {
    const files = Object.fromEntries(present.map((candidate) => [candidate, fixturePage(server.url)]));
    const program = await launchProgram({ display, files });
    try {
      const since = server.reports.length;
      const first = await server.waitForReport((r) => r.kind === 'first-script', { since });
      server.evaluate('sendNativeAction("closeWindow")').catch(() => {});
      await program.exitWithin(10000);
      const expected = pathToFileURL(await realpath(path.join(program.appFolder, present[0]))).href;
      return { href: first.href, expected };
    } finally {
      await program.cleanup();
    }
  }

  test('the first candidate present wins, by its canonical file URL', async () => {
    for (let first = 0; first < CANDIDATES.length; first++) {
      const { href, expected } = await shownPage(CANDIDATES.slice(first));
      assert.equal(href, expected, `with ${CANDIDATES.slice(first).join(', ')}`);
      assert.ok(!href.includes('..'), href);
    }
  });

  test('with none present, the notice page shows its heading on the dark background', async () => {
    const program = await launchProgram({ display, files: { 'web/readme.txt': 'no index here' } });
    try {
      const windowId = await program.mainWindow();
      const shot = path.join(program.folder, 'notice.png');
      // The page paints a moment after the window maps.
      await waitUntil(
        async () => {
          await screenshot(display, shot, windowId);
          return (await pixelColour(display, shot, 5, 600)) === '#0c0e14';
        },
        { what: 'the notice page background', timeoutMs: 15000, intervalMs: 300 },
      );
      assert.equal(await pixelColour(display, shot, 855, 5), '#0c0e14');

      // White text: a centred heading starting below the 40 px padding, a
      // line of text under it, and nothing further down.
      const box = await x11(display, 'convert', [shot, '-colorspace', 'gray', '-threshold', '50%', '-format', '%@', 'info:-']);
      const [, width, height, left, top] = /^(\d+)x(\d+)\+(\d+)\+(\d+)/.exec(box.trim()).map(Number);
      assert.ok(Math.abs(left + width / 2 - 430) <= 4, `text centred: ${box}`);
      assert.ok(top >= 40 && top <= 90, `text starts below the padding: ${box}`);
      assert.ok(height >= 40 && top + height <= 160, `heading and one line: ${box}`);
      assert.ok(width > 300, `text across the middle: ${box}`);
    } finally {
      await program.cleanup();
    }
  });
});
