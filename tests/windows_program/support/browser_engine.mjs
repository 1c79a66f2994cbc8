// A real browser engine behind the WebView2 stand-in: headless Chromium,
// driven with what the library asks of WebView2, as the stand-in reports it.
//
//   const sonabel = await startSonabel({ layout: 'player', browser: true });
//   const page = await sonabel.browser.page();   // a Playwright page
//
// Navigate opens the URL; wine's drive letters (file:///Z:/tmp/...) are
// mapped to the Linux folders behind them for every request, so the page and
// the library keep seeing the URLs the program made. Scripts for new
// documents go in before the page's own, ExecuteScript runs in the current
// document (its result goes back to the program when it asked for one), the
// page's window.chrome.webview.postMessage reaches the program's
// WebMessageReceived, put_Bounds sizes the viewport, and a crashed renderer
// is raised as the page's process failing. The user-data folder
// the program names becomes the browser's profile, so storage outlives a run.
import { realpathSync } from 'node:fs';
import { rm } from 'node:fs/promises';
import { homedir } from 'node:os';
import path from 'node:path';

import { chromium } from 'playwright-core';

const winePrefix = process.env.WINEPREFIX || path.join(homedir(), '.wine');

// The Linux path behind a wine path such as C:\users\x or Z:/tmp/y.
export function linuxPathOf(windowsPath) {
  const match = /^([A-Za-z]):[\\/]?(.*)$/.exec(windowsPath);
  if (!match) throw new Error(`not a drive path: ${windowsPath}`);
  const drive = realpathSync(path.join(winePrefix, 'dosdevices', `${match[1].toLowerCase()}:`));
  return path.join(drive, ...match[2].split(/[\\/]/).filter(Boolean));
}

// file:///Z:/a%20b -> file:///a%20b, through the drive's own folder.
function linuxUrlOf(url) {
  const match = /^file:\/\/\/([A-Za-z]):(\/.*)?$/.exec(url);
  if (!match) return null;
  const drive = new URL('file://' + linuxPathOf(`${match[1]}:\\`) + '/').href;
  return drive.replace(/\/$/, '') + (match[2] || '/');
}

// Only strings reach the program, as the library reads messages with
// TryGetWebMessageAsString; nothing else of WebView2 is put in the page.
const postMessageShim = `(() => {
  const chrome = window.chrome || (window.chrome = {});
  chrome.webview = { postMessage(message) { if (typeof message === 'string') globalThis.__standinPostMessage(message); } };
})();`;

export function browserEngine(sonabel, { freshProfile = true } = {}) {
  let context = null;
  let page = null;
  let cdp = null;
  const scriptIds = new Map();
  const errors = [];
  let queue = Promise.resolve();
  let ready;
  const pageReady = new Promise((resolve) => { ready = resolve; });

  async function launch(userDataFolder) {
    const profile = path.join(linuxPathOf(userDataFolder), 'EBWebView');
    if (freshProfile) await rm(profile, { recursive: true, force: true });
    context = await chromium.launchPersistentContext(profile, {
      executablePath: '/usr/bin/chromium',
      headless: true,
      viewport: { width: 860, height: 640 },
      args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update'],
    });
    page = context.pages()[0] || (await context.newPage());
    page.on('pageerror', (error) => errors.push(String(error.message)));
    cdp = await context.newCDPSession(page);
    // Scripts for new documents only run once the page domain is on, and
    // bindings only reach new documents once the runtime domain is.
    await cdp.send('Page.enable');
    await cdp.send('Runtime.enable');
    await cdp.send('Runtime.addBinding', { name: '__standinPostMessage' });
    cdp.on('Runtime.bindingCalled', ({ name, payload }) => {
      if (name === '__standinPostMessage') sonabel.send(`message ${payload}`).catch(() => {});
    });
    await cdp.send('Page.addScriptToEvaluateOnNewDocument', { source: postMessageShim });
    // A renderer that dies is what WebView2 reports as the page's process failing.
    cdp.on('Inspector.targetCrashed', () => sonabel.send('processFailed 1').catch(() => {}));
    await cdp.send('Fetch.enable', { patterns: [{ urlPattern: 'file:///?:*' }] });
    cdp.on('Fetch.requestPaused', ({ requestId, request }) => {
      const url = linuxUrlOf(request.url);
      cdp.send('Fetch.continueRequest', url ? { requestId, url } : { requestId }).catch(() => {});
    });
    ready(page);
  }

  const handlers = {
    CreateCoreWebView2EnvironmentWithOptions: (r) => launch(r.userDataFolder),
    AddScriptToExecuteOnDocumentCreated: async (r) => {
      const { identifier } = await cdp.send('Page.addScriptToEvaluateOnNewDocument', { source: r.script });
      scriptIds.set(r.id, identifier);
    },
    RemoveScriptToExecuteOnDocumentCreated: async (r) => {
      if (scriptIds.has(r.id)) await cdp.send('Page.removeScriptToEvaluateOnNewDocument', { identifier: scriptIds.get(r.id) });
    },
    Navigate: (r) => cdp.send('Page.navigate', { url: r.uri }),
    NavigateToString: (r) => cdp.send('Page.navigate', { url: 'data:text/html;charset=utf-8,' + encodeURIComponent(r.html) }),
    ExecuteScript: async (r) => {
      const outcome = await cdp.send('Runtime.evaluate', { expression: r.script, returnByValue: true }).catch(() => null);
      if (r.handler) await sonabel.send(`scriptResult ${r.id} ${JSON.stringify(outcome?.result?.value ?? null)}`);
    },
    put_Bounds: async (r) => {
      const [width, height] = [r.right - r.left, r.bottom - r.top];
      // A minimised window reports no area; the page keeps its size.
      if (width > 0 && height > 0) await page.setViewportSize({ width, height });
    },
  };

  return {
    errors,
    // In the order the program made the calls; each one done before the next.
    onReport(report) {
      const handle = handlers[report.call];
      if (!handle) return;
      queue = queue.then(() => (context || report.call.startsWith('Create') ? handle(report) : null)).catch((error) => {
        errors.push(`${report.call}: ${error.message}`);
      });
    },
    page: () => pageReady,
    crash: () => cdp.send('Page.crash').catch(() => {}),
    // Nothing while the page is away (after a crash, say), so a wait goes on asking.
    evaluate: (expression) => cdp.send('Runtime.evaluate', { expression, returnByValue: true }).then((r) => r.result.value, () => undefined),
    // Waits for what the page's calls set going before the browser goes.
    async close() {
      await queue;
      await context?.close().catch(() => {});
    },
  };
}
