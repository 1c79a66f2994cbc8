// The page side of the Linux host's bindings, run in a bare script context
// with a stand-in for WebKit's message channel: the paths a real page of
// ours cannot reach, such as a reply that is not JSON.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

import { repoRoot } from './support/program.mjs';

const source = readFileSync(`${repoRoot}/src/app/web_host_bridge.js`, 'utf8').replace(
  '/*BOUND_NAMES*/[]',
  '["sendNativeAction"]',
);

function loadDocument() {
  const posted = [];
  const window = { webkit: { messageHandlers: { __webview__: { postMessage: (m) => posted.push(m) } } } };
  window.window = window;
  const context = vm.createContext(window);
  vm.runInContext(source, context);
  return { window: context, posted };
}

test('each call posts the JSON text of its arguments under the bound name', () => {
  const { window, posted } = loadDocument();
  window.sendNativeAction('minimizeWindow', 1, { on: true });
  window.sendNativeAction();
  assert.deepEqual(
    posted.map((m) => [m.name, m.params]),
    [
      ['sendNativeAction', '["minimizeWindow",1,{"on":true}]'],
      ['sendNativeAction', '[]'],
    ],
  );
  assert.notEqual(posted[0].id, posted[1].id);
});

test('replies settle their own calls, parsed as JSON, in any order', async () => {
  const { window, posted } = loadDocument();
  const first = window.sendNativeAction('a');
  const second = window.sendNativeAction('b');
  const third = window.sendNativeAction('c');
  window.__webview__.onReply(posted[1].id, true, '{"status":"ok","n":2}');
  window.__webview__.onReply(posted[0].id, true, 'not json');
  window.__webview__.onReply(posted[2].id, false, 'handler failed');
  assert.deepEqual({ ...(await second) }, { status: 'ok', n: 2 });
  await assert.rejects(first, { message: 'Failed to parse binding result as JSON' });
  await assert.rejects(third, { message: 'handler failed' });
});

test("a reply meant for another document's call settles nothing here", async () => {
  const before = loadDocument();
  before.window.sendNativeAction('zoomWindow');
  const after = loadDocument();
  const call = after.window.sendNativeAction('zoomWindow');
  let settled = false;
  call.then(() => (settled = true));
  after.window.__webview__.onReply(before.posted[0].id, true, '{"status":"ok"}');
  await new Promise((resolve) => setImmediate(resolve));
  assert.equal(settled, false);
  after.window.__webview__.onReply(after.posted[0].id, true, '{"status":"ok"}');
  assert.deepEqual({ ...(await call) }, { status: 'ok' });
});

test('a second injection into the same document keeps the first bridge and its calls', async () => {
  const { window, posted } = loadDocument();
  const call = window.sendNativeAction('x');
  const bridge = window.__webview__;
  vm.runInContext(source, window);
  assert.equal(window.__webview__, bridge);
  window.__webview__.onReply(posted[0].id, true, '"done"');
  assert.equal(await call, 'done');
});
