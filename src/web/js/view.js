/* Sonabel player: the library list. Only the rows in view are in the page;
   a small pool of row elements is moved and refilled as the list scrolls. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state, settings = P.settings;
  var ROW_H = P.ROW_H;
  var OVERSCAN = 6;

  // The tracks of what the sidebar shows (browse.js), in the chosen order.
  function ordered() {
    var lib = P.lib, src = P.shownSource();
    if (state.sorted && state.sortedVersion === lib.version && state.sortedStamp === src.stamp) return state.sorted;
    state.sorted = core.sortTracks(src.tracks, settings.sortKey, settings.sortDir, P.layoutOf);
    state.sortedVersion = lib.version;
    state.sortedStamp = src.stamp;
    return state.sorted;
  }

  // Recomputes the visible list. Typing that only narrows the query filters
  // the previous result, which keeps keystrokes cheap on large libraries.
  P.refreshView = function (reason) {
    var lib = P.lib;
    var terms = core.query.parseSearch(el.search.value);
    var base = ordered();
    var prev = state.viewVersion === lib.version && reason === 'search' && core.query.narrowsSearch(state.terms, terms);
    state.view = core.query.searchTracks(prev ? state.view : base, terms, P.layoutOf);
    state.terms = terms;
    state.viewVersion = lib.version;
    el.spacer.style.height = (state.view.length * ROW_H) + 'px';
    el.grid.setAttribute('aria-rowcount', String(state.view.length + 1));
    var emptyLib = lib.size() === 0;
    el.empty.hidden = !emptyLib;
    el.noResults.hidden = emptyLib || state.view.length > 0;
    el.grid.classList.toggle('is-empty', emptyLib);
    P.updateStatus();
    render();
    if (P.renderBrowse) P.renderBrowse();
  };

  // The row elements; the duration probes look here for what is on screen.
  var pool = P.pool = [];

  // A row with a cell for each column shown (column_view.js).
  function makeRow() {
    var row = document.createElement('div');
    row.className = 'row';
    row.setAttribute('role', 'row');
    row.draggable = true; // onto a playlist, or to reorder one
    var cols = row.cols = P.columns.shown;
    row.cells = [];
    for (var i = 0; i < cols.length; i++) {
      var c = document.createElement('div');
      c.className = 'cell ' + cols[i].cls + (cols[i].end ? ' end' : '');
      c.setAttribute('role', 'gridcell');
      var span = document.createElement('span');
      span.className = 'txt';
      c.appendChild(span);
      row.cells.push(span);
      row.appendChild(c);
      if (cols[i].key === 'title') {
        var badge = document.createElement('span');
        badge.className = 'badge';
        badge.textContent = 'can\u2019t play';
        c.appendChild(badge);
      }
    }
    row.track = null;
    el.viewport.appendChild(row);
    return row;
  }

  // New rows for another set of columns.
  P.resetRows = function () {
    pool.forEach(function (row) { row.remove(); });
    pool.length = 0;
    render();
  };

  var renderQueued = false;
  function queueRender() {
    if (renderQueued) return;
    renderQueued = true;
    requestAnimationFrame(function () { renderQueued = false; render(); });
  }
  P.queueRender = queueRender;

  function render() {
    var view = state.view;
    var top = el.viewport.scrollTop;
    var height = el.viewport.clientHeight || 600;
    var first = Math.max(0, Math.floor(top / ROW_H) - OVERSCAN);
    var last = Math.min(view.length, Math.ceil((top + height) / ROW_H) + OVERSCAN);
    var need = last - first;
    while (pool.length < need) pool.push(makeRow());
    var activeSet = false;
    for (var i = 0; i < pool.length; i++) {
      var row = pool[i];
      if (i >= need) {
        if (!row.hidden) { row.hidden = true; row.track = null; row.removeAttribute('id'); }
        continue;
      }
      var n = first + i, t = view[n];
      row.hidden = false;
      row.style.transform = 'translateY(' + (n * ROW_H) + 'px)';
      row.setAttribute('aria-rowindex', String(n + 2));
      if (row.track !== t || row.durShown !== t.duration || row.playsShown !== t.plays) {
        // What the folder layout says, marked where it replaces the record.
        var lay = P.layoutOf(t), cols = row.cols;
        for (var c = 0; c < cols.length; c++) {
          var col = cols[c], cell = row.cells[c];
          cell.textContent = col.text(t, lay);
          if (col.tip) cell.title = col.tip(t, lay); // long texts are cut short with an ellipsis
          if (col.inferred) cell.classList.toggle('inferred', col.inferred(lay));
        }
        row.track = t;
        row.durShown = t.duration;
        row.playsShown = t.plays;
      }
      var sel = state.selection.has(t);
      row.classList.toggle('selected', sel);
      row.setAttribute('aria-selected', sel ? 'true' : 'false');
      row.classList.toggle('playing', t === state.current);
      if (t === state.current) row.setAttribute('aria-current', 'true'); else row.removeAttribute('aria-current');
      row.classList.toggle('bad', t.bad);
      row.classList.toggle('odd', n % 2 === 1);
      if (t === state.cursor) { row.id = 'active-row'; row.classList.add('cursor'); activeSet = true; }
      else if (row.id) { row.removeAttribute('id'); row.classList.remove('cursor'); }
      else row.classList.remove('cursor');
    }
    if (activeSet) el.grid.setAttribute('aria-activedescendant', 'active-row');
    else el.grid.removeAttribute('aria-activedescendant');
    P.queueProbes();
  }
  P.render = render;

  P.model.on('library', function (d) {
    if (d && (d.duration || d.bad || d.played)) queueRender(); else P.refreshView();
  });

  el.viewport.addEventListener('scroll', queueRender, { passive: true });
  window.addEventListener('resize', queueRender);

  // The track of the row an event happened in, or null.
  P.rowTrack = function (target) {
    while (target && target !== el.viewport) {
      if (target.track !== undefined && target.classList && target.classList.contains('row')) return target.track;
      target = target.parentNode;
    }
    return null;
  };

  P.scrollToIndex = function (n) {
    if (n < 0) return;
    var top = n * ROW_H, vt = el.viewport.scrollTop, h = el.viewport.clientHeight;
    if (top < vt) el.viewport.scrollTop = top;
    else if (top + ROW_H > vt + h) el.viewport.scrollTop = top + ROW_H - h;
  };
})();
