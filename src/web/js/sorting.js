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
      var dir = settings.sortKey === key && settings.sortDir === 'asc' ? 'desc' : 'asc';
      P.model.setSort(key, dir);
      P.showSort();
      if (state.cursor) P.scrollToIndex(state.view.indexOf(state.cursor));
    });
  });
})();
