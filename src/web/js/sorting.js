/* Sonabel player: sorting by a column header. The headers come and go
   with the columns shown (column_view.js), so they are looked up each time. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, el = P.el, state = P.state, settings = P.settings;
  var head = el.grid.querySelector('.row.head');

  P.showSort = function () {
    head.querySelectorAll('[role=columnheader]').forEach(function (h) {
      var on = h.getAttribute('data-key') === settings.sortKey;
      h.setAttribute('aria-sort', on ? (settings.sortDir === 'asc' ? 'ascending' : 'descending') : 'none');
    });
  };
  head.addEventListener('click', function (e) {
    var b = e.target.closest('button.sort');
    if (!b) return;
    var key = b.parentNode.getAttribute('data-key');
    var dir = settings.sortKey === key && settings.sortDir === 'asc' ? 'desc' : 'asc';
    P.model.setSort(key, dir);
    P.showSort();
    if (state.cursor) P.scrollToIndex(state.view.indexOf(state.cursor));
  });
})();
