/* Sonabel player: sorting by a column header. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, state = P.state, settings = P.settings;

  var headers = Array.prototype.slice.call(document.querySelectorAll('[role=columnheader]'));
  P.showSort = function () {
    headers.forEach(function (h) {
      var on = h.getAttribute('data-key') === settings.sortKey;
      h.setAttribute('aria-sort', on ? (settings.sortDir === 'asc' ? 'ascending' : 'descending') : 'none');
    });
  };
  headers.forEach(function (h) {
    h.querySelector('button').addEventListener('click', function () {
      var key = h.getAttribute('data-key');
      if (settings.sortKey === key) settings.sortDir = settings.sortDir === 'asc' ? 'desc' : 'asc';
      else { settings.sortKey = key; settings.sortDir = 'asc'; }
      state.sorted = null;
      P.showSort();
      P.saveNow();
      P.refreshView();
      if (state.cursor) P.scrollToIndex(state.view.indexOf(state.cursor));
    });
  });
})();
