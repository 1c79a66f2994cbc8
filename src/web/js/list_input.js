/* Sonabel player: the track list under the mouse and the keyboard's arrows:
   selecting rows, playing one, and removing the selection with a way back. */
import { plural } from './core/text.js';
import { el } from './dom.js';
import { removeTracks as removeFromLibrary, undoRemoval } from './library.js';
import { view } from './shown.js';
import * as selection from './selection.js';
import { playOnly } from './playback.js';
import { rowTrack, scrollToIndex } from './view.js';
import { announce } from './status.js';

/** @typedef {import('./library.js').Track} Track */

/** @param {number} delta @param {boolean} extend */
export function moveCursor(delta, extend) {
  if (!view.length) return;
  let n = selection.cursor ? view.indexOf(selection.cursor) : -1;
  if (n < 0) n = delta > 0 ? -1 : view.length;
  n = Math.max(0, Math.min(view.length - 1, n + delta));
  const t = view[n];
  if (extend && selection.anchor) selection.selectRange(t, false);
  else selection.selectOnly(t);
  scrollToIndex(n);
}

// Removes tracks and says so, with a way back until the next destructive
// action.
/** @param {Set<Track>} gone @param {string} [what] */
export function removeTracks(gone, what) {
  if (!gone.size) return;
  // Keep the cursor near where the removed rows were.
  const at = selection.cursor ? view.indexOf(selection.cursor) : -1;
  let next = null;
  for (let i = at; i >= 0 && i < view.length; i++) if (!gone.has(view[i])) { next = view[i]; break; }
  const n = removeFromLibrary(gone);
  selection.clearSelection(next);
  announce(what || 'Removed ' + plural(n, 'track', 'tracks'), {
    undo: () => {
      const back = undoRemoval();
      if (back) announce('Put back ' + plural(back, 'track', 'tracks'));
    }
  });
}

export function removeSelection() { removeTracks(selection.selectedSet()); }

export function wireListInput() {
  el.viewport.addEventListener('mousedown', (e) => {
    const t = rowTrack(e.target);
    if (!t || e.button !== 0) return;
    if (e.shiftKey) e.preventDefault(); // no text selection on shift-click
    el.grid.focus({ preventScroll: true });
  });
  el.viewport.addEventListener('click', (e) => {
    const t = rowTrack(e.target);
    if (!t) return;
    if (e.shiftKey && selection.anchor) selection.selectRange(t, e.ctrlKey || e.metaKey);
    else if (e.ctrlKey || e.metaKey) selection.toggleSelected(t);
    else selection.selectOnly(t);
  });
  // Rows can take focus (so that the scrolling list can be reached), but
  // the grid keeps it: it holds the cursor and the keys. Handed back after
  // the press, not during it, which would cancel a drag.
  el.viewport.addEventListener('focusin', (e) => {
    const row = e.target;
    setTimeout(() => { if (document.activeElement === row) el.grid.focus({ preventScroll: true }); }, 0);
  });
  el.viewport.addEventListener('dblclick', (e) => { playOnly(rowTrack(e.target)); });
  el.removeSel.addEventListener('click', removeSelection);
}
