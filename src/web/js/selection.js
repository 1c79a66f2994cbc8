/* Sonabel player: selecting rows with the mouse and the keyboard, and
   removing the selection. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state;

  function selectOnly(t) {
    state.selection = new Set(t ? [t] : []);
    state.anchor = state.cursor = t;
  }
  P.selectOnly = selectOnly;

  function selectRange(from, to, add) {
    var a = state.view.indexOf(from), b = state.view.indexOf(to);
    if (a < 0) a = b;
    if (!add) state.selection = new Set();
    for (var i = Math.min(a, b); i <= Math.max(a, b); i++) state.selection.add(state.view[i]);
    state.cursor = to;
  }

  function selectionChanged() {
    var n = state.selection.size;
    el.selInfo.textContent = n ? core.plural(n, 'track', 'tracks') + ' selected' : '';
    el.removeSel.disabled = n === 0;
    P.render();
  }
  P.selectionChanged = selectionChanged;

  el.viewport.addEventListener('mousedown', function (e) {
    var t = P.rowTrack(e.target);
    if (!t || e.button !== 0) return;
    if (e.shiftKey) e.preventDefault(); // no text selection on shift-click
    el.grid.focus({ preventScroll: true });
  });

  el.viewport.addEventListener('click', function (e) {
    var t = P.rowTrack(e.target);
    if (!t) return;
    if (e.shiftKey && state.anchor) selectRange(state.anchor, t, e.ctrlKey || e.metaKey);
    else if (e.ctrlKey || e.metaKey) {
      if (state.selection.has(t)) state.selection.delete(t); else state.selection.add(t);
      state.anchor = state.cursor = t;
    } else selectOnly(t);
    selectionChanged();
  });

  el.viewport.addEventListener('dblclick', function (e) {
    var t = P.rowTrack(e.target);
    if (t) { selectOnly(t); selectionChanged(); P.playTrack(t, { force: true }); }
  });

  P.moveCursor = function (delta, extend) {
    var view = state.view;
    if (!view.length) return;
    var n = state.cursor ? view.indexOf(state.cursor) : -1;
    if (n < 0) n = delta > 0 ? -1 : view.length;
    n = Math.max(0, Math.min(view.length - 1, n + delta));
    var t = view[n];
    if (extend && state.anchor) selectRange(state.anchor, t, false);
    else selectOnly(t);
    P.scrollToIndex(n);
    selectionChanged();
  };

  P.selectAll = function () {
    state.selection = new Set(state.view);
    if (!state.cursor && state.view.length) state.cursor = state.view[0];
    selectionChanged();
  };

  function removeSelection() {
    if (!state.selection.size) return;
    var gone = state.selection;
    var n = gone.size;
    if (state.current && gone.has(state.current)) P.unload();
    var view = state.view, next = null;
    // Keep the cursor near where the removed rows were.
    var at = state.cursor ? view.indexOf(state.cursor) : -1;
    for (var i = at; i >= 0 && i < view.length; i++) if (!gone.has(view[i])) { next = view[i]; break; }
    var from = P.lib.remove(gone);
    state.selection = new Set();
    state.anchor = state.cursor = next;
    P.store.touch(P.lib, from);
    P.refreshView();
    selectionChanged();
    P.announce('Removed ' + core.plural(n, 'track', 'tracks'));
  }
  P.removeSelection = removeSelection;

  el.removeSel.addEventListener('click', removeSelection);
})();
