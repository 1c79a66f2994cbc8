/* Sonabel player: keyboard control. Only Escape and the way into the
   results act while the search box has focus. */
import { $, el } from './dom.js';
import { view } from './shown.js';
import { cursor, selectAll } from './selection.js';
import { togglePlay, previous, step, seekBy, playFromList, playOnly } from './playback.js';
import { toggleMute, changeVolume } from './transport.js';
import { clearSearch } from './search.js';
import { moveCursor, removeSelection } from './list_input.js';
import { openMenuFromKeyboard } from './context_menu.js';
import { ROW_H } from './view.js';
import { undoLast } from './undo.js';

export const SEEK_STEP = 5; // seconds per arrow key
const VOLUME_STEP = 0.05;

// A dialog has the keys to itself.
const dialogOpen = () => el.confirm.open || $('track-info').open;

export function wireKeyboard() {
  // The focus ring shows only for keyboard use.
  document.addEventListener('mousedown', () => { document.body.classList.add('pointer'); }, true);

  // Volume, wherever the focus is: taken before the lists and panels, which
  // use the arrows for their own cursors.
  window.addEventListener('keydown', (e) => {
    if (!(e.ctrlKey || e.metaKey) || e.altKey || e.shiftKey || (e.key !== 'ArrowUp' && e.key !== 'ArrowDown')) return;
    if (dialogOpen()) return;
    e.preventDefault();
    e.stopPropagation();
    changeVolume(e.key === 'ArrowUp' ? VOLUME_STEP : -VOLUME_STEP);
  }, true);

  document.addEventListener('keydown', (e) => {
    if (e.key !== 'Control' && e.key !== 'Shift' && e.key !== 'Alt' && e.key !== 'Meta') document.body.classList.remove('pointer');
    if (dialogOpen()) return;
    const t = /** @type {HTMLElement} */ (e.target), key = e.key, ctrl = e.ctrlKey || e.metaKey;
    if (ctrl && !e.altKey && (key === 'f' || key === 'F')) {
      e.preventDefault();
      el.search.focus();
      el.search.select();
      return;
    }
    if (key === 'Escape') {
      if (clearSearch()) e.preventDefault();
      if (t === el.search) el.grid.focus();
      return;
    }
    if (t === el.search) {
      if (key === 'Enter' || key === 'ArrowDown') {
        // From the search box straight into the results.
        e.preventDefault();
        el.grid.focus();
        if (key === 'Enter' && view.length) playOnly(view[0]);
        else moveCursor(1, false);
      }
      return;
    }
    if (key === 'ContextMenu' || (key === 'F10' && e.shiftKey)) {
      e.preventDefault();
      openMenuFromKeyboard();
      return;
    }
    const onButton = t && t.tagName === 'BUTTON';
    const onRange = t && t.tagName === 'INPUT' && /** @type {HTMLInputElement} */ (t).type === 'range';
    if (e.altKey) return;
    switch (key) {
      case ' ':
      case 'Spacebar':
        if (onButton) return;
        e.preventDefault();
        togglePlay();
        return;
      case 'ArrowLeft':
      case 'ArrowRight':
        if (ctrl) { e.preventDefault(); if (key === 'ArrowLeft') previous(); else step(1, false); return; }
        if (onRange) return;
        e.preventDefault();
        seekBy(key === 'ArrowLeft' ? -SEEK_STEP : SEEK_STEP);
        return;
      case 'ArrowUp':
      case 'ArrowDown':
        if (onRange) return;
        e.preventDefault();
        moveCursor(key === 'ArrowUp' ? -1 : 1, e.shiftKey);
        el.grid.focus({ preventScroll: true });
        return;
      case 'Home':
      case 'End':
        if (onRange) return;
        e.preventDefault();
        moveCursor(key === 'Home' ? -Infinity : Infinity, e.shiftKey);
        return;
      case 'PageUp':
      case 'PageDown':
        if (onRange) return;
        e.preventDefault();
        moveCursor((key === 'PageUp' ? -1 : 1) * Math.max(1, Math.floor(el.viewport.clientHeight / ROW_H) - 1), e.shiftKey);
        return;
      case 'Enter':
        if (onButton) return;
        e.preventDefault();
        if (cursor) playFromList(cursor);
        return;
      case 'Delete':
        e.preventDefault();
        removeSelection();
        return;
      case 'a':
      case 'A':
        if (!ctrl) return;
        e.preventDefault();
        selectAll();
        return;
      case 'z':
      case 'Z':
        if (!ctrl) return;
        e.preventDefault();
        undoLast();
        return;
      case 'm':
      case 'M':
        if (ctrl) return;
        e.preventDefault();
        toggleMute();
        return;
    }
  });
}
