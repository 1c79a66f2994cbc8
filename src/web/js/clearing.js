/* Sonabel player: clearing the whole library, after asking. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, el = P.el, $ = P.$;

  function askClear() {
    if (!P.lib.size()) return;
    if (typeof el.confirm.showModal === 'function') {
      el.confirm.showModal();
      $('confirm-cancel').focus();
    } else if (window.confirm('Clear the library? Your files stay where they are.')) doClear();
  }

  function doClear() {
    P.dropBatches();
    el.search.value = '';
    P.removeTracks(new Set(P.lib.tracks), 'Library cleared');
  }

  $('confirm-cancel').addEventListener('click', function () { el.confirm.close(); });
  $('confirm-ok').addEventListener('click', function () { el.confirm.close(); doClear(); el.grid.focus(); });
  el.clearLib.addEventListener('click', askClear);
})();
