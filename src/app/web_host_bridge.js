// Page side of the web host's bindings, run at the start of every document
// before the page's own scripts. The host puts the JSON array of bound names
// in place of the marker below; each becomes a global function returning a
// promise.
(function () {
  'use strict';
  if (window.__webview__) return;
  var channel = window.webkit.messageHandlers.__webview__;
  // Ids carry a per-document prefix, so a reply meant for the document
  // before a reload can never settle a call of the new one.
  var documentTag = Math.random().toString(36).slice(2) + Date.now().toString(36);
  var nextId = 0;
  var pending = new Map();

  function call(name, args) {
    return new Promise(function (resolve, reject) {
      var id = documentTag + '-' + (++nextId);
      pending.set(id, { resolve: resolve, reject: reject });
      try {
        channel.postMessage({ id: id, name: name, params: JSON.stringify(args) });
      } catch (error) {
        pending.delete(id);
        throw error;
      }
    });
  }

  function onReply(id, succeeded, text) {
    var call = pending.get(id);
    if (!call) return;
    pending.delete(id);
    if (!succeeded) {
      call.reject(new Error(text));
      return;
    }
    var value;
    try {
      value = JSON.parse(text);
    } catch (error) {
      call.reject(new Error('Failed to parse binding result as JSON'));
      return;
    }
    call.resolve(value);
  }

  Object.defineProperty(window, '__webview__', {
    value: Object.freeze({ call: call, onReply: onReply }),
    enumerable: false,
    configurable: false,
    writable: false,
  });

  /*BOUND_NAMES*/[].forEach(function (name) {
    window[name] = function () {
      return call(name, Array.prototype.slice.call(arguments));
    };
  });
})();
