/* Sonabel player: keyboard control. Only Escape and the way into the
   results act while the search box has focus. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, el = P.el, state = P.state;
  var SEEK_STEP = P.SEEK_STEP;

  function isTyping(target) {
    return target === el.search;
  }

  // The focus ring shows only for keyboard use.
  document.addEventListener('mousedown', function () { document.body.classList.add('pointer'); }, true);

  document.addEventListener('keydown', function (e) {
    if (e.key !== 'Control' && e.key !== 'Shift' && e.key !== 'Alt' && e.key !== 'Meta') document.body.classList.remove('pointer');
    if (el.confirm.open || P.$('track-info').open) return; // a dialog has the keys to itself
    var t = e.target, key = e.key, ctrl = e.ctrlKey || e.metaKey;
    if (ctrl && !e.altKey && (key === 'f' || key === 'F')) {
      e.preventDefault();
      el.search.focus();
      el.search.select();
      return;
    }
    if (key === 'Escape') {
      if (P.clearSearch()) e.preventDefault();
      if (t === el.search) el.grid.focus();
      return;
    }
    if (isTyping(t)) {
      if (key === 'Enter' || key === 'ArrowDown') {
        // From the search box straight into the results.
        e.preventDefault();
        el.grid.focus();
        if (key === 'Enter' && state.view.length) { P.selectOnly(state.view[0]); P.selectionChanged(); P.playFromList(state.view[0]); }
        else P.moveCursor(1, false);
      }
      return;
    }
    if (key === 'ContextMenu' || (key === 'F10' && e.shiftKey)) {
      e.preventDefault();
      P.openMenuFromKeyboard();
      return;
    }
    var onButton = t && t.tagName === 'BUTTON';
    var onRange = t && t.tagName === 'INPUT' && t.type === 'range';
    if (e.altKey) return;
    switch (key) {
      case ' ':
      case 'Spacebar':
        if (onButton) return;
        e.preventDefault();
        P.togglePlay();
        return;
      case 'ArrowLeft':
      case 'ArrowRight':
        if (ctrl) { e.preventDefault(); if (key === 'ArrowLeft') P.previous(); else P.step(1, false); return; }
        if (onRange) return;
        e.preventDefault();
        P.seekBy(key === 'ArrowLeft' ? -SEEK_STEP : SEEK_STEP);
        return;
      case 'ArrowUp':
      case 'ArrowDown':
        if (onRange) return;
        e.preventDefault();
        P.moveCursor(key === 'ArrowUp' ? -1 : 1, e.shiftKey);
        el.grid.focus({ preventScroll: true });
        return;
      case 'Home':
      case 'End':
        if (onRange) return;
        e.preventDefault();
        P.moveCursor(key === 'Home' ? -Infinity : Infinity, e.shiftKey);
        return;
      case 'PageUp':
      case 'PageDown':
        if (onRange) return;
        e.preventDefault();
        P.moveCursor((key === 'PageUp' ? -1 : 1) * Math.max(1, Math.floor(el.viewport.clientHeight / P.ROW_H) - 1), e.shiftKey);
        return;
      case 'Enter':
        if (onButton) return;
        e.preventDefault();
        if (state.cursor) P.playFromList(state.cursor);
        return;
      case 'Delete':
        e.preventDefault();
        P.removeSelection();
        return;
      case 'a':
      case 'A':
        if (!ctrl) return;
        e.preventDefault();
        P.selectAll();
        return;
      case 'z':
      case 'Z':
        if (!ctrl) return;
        e.preventDefault();
        P.undoRemoval();
        return;
      case 'm':
      case 'M':
        if (ctrl) return;
        e.preventDefault();
        P.toggleMute();
        return;
    }
  });
})();
