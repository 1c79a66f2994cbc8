/* Sonabel player: clearing the whole library, after asking. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, el = P.el, state = P.state, $ = P.$;

  function askClear() {
    if (!P.lib.size()) return;
    if (typeof el.confirm.showModal === 'function') {
      el.confirm.showModal();
      $('confirm-cancel').focus();
    } else if (window.confirm('Clear the library? Your files stay where they are.')) doClear();
  }

  function doClear() {
    P.dropBatches();
    P.unload();
    P.lib.clear();
    state.selection = new Set();
    state.anchor = state.cursor = null;
    state.shuffle = null;
    P.store.touch(P.lib, 0);
    P.store.flush();
    el.search.value = '';
    P.refreshView();
    P.selectionChanged();
    P.announce('Library cleared');
  }

  $('confirm-cancel').addEventListener('click', function () { el.confirm.close(); });
  $('confirm-ok').addEventListener('click', function () { el.confirm.close(); doClear(); el.grid.focus(); });
  el.clearLib.addEventListener('click', askClear);
})();
