// The HTTP server on 127.0.0.1 that fixture pages report to and take
// scripts from. The page's origin is file://, so every reply carries
// Access-Control-Allow-Origin: *.
//
//   const server = await startReportServer();
//   writeFile('web/index.html', fixturePage(server.url));
//   const first = await server.waitForReport((r) => r.kind === 'first-script');
//   const reply = await server.evaluate('sendNativeAction("zoomWindow")');
//   await server.close();
//
// Reports are JSON objects; fixturePage() sends {kind: 'first-script', ...}
// from the page's first script and {kind: 'result', id, ok, value | error}
// for each script run through evaluate().

import { createServer } from 'node:http';

export async function startReportServer() {
  const reports = [];
  const reportWaiters = new Set();
  const commands = [];
  const pollers = [];
  let nextCommandId = 0;

  const server = createServer((request, response) => {
    response.setHeader('Access-Control-Allow-Origin', '*');
    response.setHeader('Cache-Control', 'no-store');
    if (request.method === 'OPTIONS') {
      response.setHeader('Access-Control-Allow-Headers', '*');
      response.end();
      return;
    }
    if (request.method === 'POST' && request.url === '/report') {
      let body = '';
      request.setEncoding('utf8');
      request.on('data', (chunk) => (body += chunk));
      request.on('end', () => {
        response.end('ok');
        let report;
        try {
          report = JSON.parse(body);
        } catch {
          report = { kind: 'unparsable', body };
        }
        report.receivedAt = Date.now();
        // A new document: the polls still held belong to the one it
        // replaced, which may not have closed them yet; a script handed to
        // one of those would be lost.
        if (report.kind === 'first-script') pollers.splice(0).forEach((p) => p.response.destroy());
        reports.push(report);
        for (const waiter of [...reportWaiters]) waiter(report);
      });
      return;
    }
    if (request.method === 'GET' && request.url === '/next') {
      // Long poll: held until the test has a script for the page.
      const poller = { response };
      request.on('close', () => {
        const index = pollers.indexOf(poller);
        if (index >= 0) pollers.splice(index, 1);
      });
      pollers.push(poller);
      flush();
      return;
    }
    response.statusCode = 404;
    response.end();
  });

  function flush() {
    while (commands.length && pollers.length) {
      const poller = pollers.shift();
      if (poller.response.destroyed) continue;
      poller.response.setHeader('Content-Type', 'application/json');
      poller.response.end(JSON.stringify(commands.shift()));
    }
  }

  // Resolves with the first report, past or future, that `match` accepts.
  function waitForReport(match, { timeoutMs = 15000, since = 0 } = {}) {
    const found = reports.slice(since).find(match);
    if (found) return Promise.resolve(found);
    return new Promise((resolve, reject) => {
      const waiter = (report) => {
        if (!match(report)) return;
        cleanup();
        resolve(report);
      };
      const timer = setTimeout(() => {
        cleanup();
        reject(new Error(`no matching report within ${timeoutMs} ms; got ${JSON.stringify(reports)}`));
      }, timeoutMs);
      const cleanup = () => {
        clearTimeout(timer);
        reportWaiters.delete(waiter);
      };
      reportWaiters.add(waiter);
    });
  }

  // Runs `code` in the page (awaiting a promise it evaluates to) and resolves
  // with {ok, value} or {ok: false, error}.
  async function evaluate(code, options) {
    const id = ++nextCommandId;
    commands.push({ id, code });
    flush();
    return waitForReport((r) => r.kind === 'result' && r.id === id, options);
  }

  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}`;
  return {
    url,
    reports,
    waitForReport,
    evaluate,
    close: () => {
      for (const poller of pollers) poller.response.destroy();
      server.closeAllConnections();
      return new Promise((resolve) => server.close(resolve));
    },
  };
}

// A start page that reports what its first script sees, then runs whatever
// scripts the test hands it through the server.
export function fixturePage(serverUrl, { title = 'fixture' } = {}) {
  return `<!doctype html>
<html><head><meta charset="utf-8"><title>${title}</title>
<script>
(function () {
  var server = ${JSON.stringify(serverUrl)};
  function report(data) {
    return fetch(server + '/report', { method: 'POST', body: JSON.stringify(data) }).catch(function () {});
  }
  var loads = Number(sessionStorage.getItem('loads') || '0') + 1;
  sessionStorage.setItem('loads', String(loads));
  report({
    kind: 'first-script',
    at: Date.now(),
    loads: loads,
    href: location.href,
    sendNativeAction: typeof window.sendNativeAction,
    webview: typeof window.__webview__,
    innerWidth: window.innerWidth,
    innerHeight: window.innerHeight,
  });
  // Each script runs on its own, so one that waits (say, on a dialog) does
  // not hold up the next.
  async function runCommand(command) {
    try {
      var value = await (0, eval)(command.code);
      await report({ kind: 'result', id: command.id, ok: true, value: value === undefined ? null : value });
    } catch (error) {
      await report({ kind: 'result', id: command.id, ok: false, error: String(error && error.message || error) });
    }
  }
  async function serve() {
    for (;;) {
      var command;
      try {
        command = await (await fetch(server + '/next')).json();
      } catch (error) {
        await new Promise(function (resolve) { setTimeout(resolve, 200); });
        continue;
      }
      runCommand(command);
    }
  }
  serve();
})();
</script></head>
<body style="margin:0;background:#203040"><h1>fixture</h1></body></html>
`;
}
