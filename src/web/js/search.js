/* Sonabel player: the search box. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, el = P.el, state = P.state;

  el.search.addEventListener('input', function () {
    if (state.selection.size) { state.selection = new Set(); P.selectionChanged(); }
    el.viewport.scrollTop = 0;
    P.refreshView('search');
  });

  // Empties the search; false when there was nothing to clear.
  P.clearSearch = function () {
    if (!el.search.value) return false;
    el.search.value = '';
    P.refreshView();
    if (state.current) P.scrollToIndex(state.view.indexOf(state.current));
    return true;
  };
})();
