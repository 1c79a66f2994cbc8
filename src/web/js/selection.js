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
    if (t) { selectOnly(t); selectionChanged(); P.playFromList(t); }
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

  // Removes tracks and says so, with a way back until the next removal.
  P.removeTracks = function (gone, what) {
    if (!gone.size) return;
    var view = state.view, next = null;
    // Keep the cursor near where the removed rows were.
    var at = state.cursor ? view.indexOf(state.cursor) : -1;
    for (var i = at; i >= 0 && i < view.length; i++) if (!gone.has(view[i])) { next = view[i]; break; }
    var n = P.model.removeTracks(gone);
    state.selection = new Set();
    state.anchor = state.cursor = next;
    selectionChanged();
    P.announce(what || 'Removed ' + core.plural(n, 'track', 'tracks'), { undo: true });
  };

  P.undoRemoval = function () {
    var n = P.model.undoRemoval();
    if (n) P.announce('Put back ' + core.plural(n, 'track', 'tracks'));
  };

  function removeSelection() { P.removeTracks(state.selection); }
  P.removeSelection = removeSelection;

  el.removeSel.addEventListener('click', removeSelection);
})();
