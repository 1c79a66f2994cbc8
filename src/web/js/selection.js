/* Sonabel player: the selected rows of the list shown, the cursor (the
   row the keyboard is on) and the anchor (where a Shift range starts),
   changed only here. Every change emits 'selection'. */
import { emit } from './events.js';
import { view } from './shown.js';

/** @typedef {import('./library.js').Track} Track */

/** @type {Set<Track>} */
let chosen = new Set();
/** @type {Track | null} */
export let cursor = null;
/** @type {Track | null} */
export let anchor = null;

// ---- reads ----------------------------------------------------------------

/** @param {Track} t */
export function isSelected(t) { return chosen.has(t); }
export function selectedCount() { return chosen.size; }
/** The selected tracks in the order shown. */
export function selectedInView() { return view.filter((t) => chosen.has(t)); }
/** The selection as a set of its own, for a removal. */
export function selectedSet() { return new Set(chosen); }
/** What a view keeps for when the user comes back to it. */
export function snapshot() { return { chosen, cursor, anchor }; }

// ---- changes --------------------------------------------------------------

function changed() { emit('selection'); }

/** @param {Track | null} t */
export function selectOnly(t) {
  chosen = new Set(t ? [t] : []);
  anchor = cursor = t;
  changed();
}

// From the anchor to `to`, in the order shown; `add` keeps what was selected.
/** @param {Track} to @param {boolean} add */
export function selectRange(to, add) {
  let a = anchor ? view.indexOf(anchor) : -1;
  const b = view.indexOf(to);
  if (a < 0) a = b;
  if (!add) chosen = new Set();
  for (let i = Math.min(a, b); i <= Math.max(a, b); i++) chosen.add(view[i]);
  cursor = to;
  changed();
}

/** @param {Track} t */
export function toggleSelected(t) {
  if (chosen.has(t)) chosen.delete(t); else chosen.add(t);
  anchor = cursor = t;
  changed();
}

export function selectAll() {
  chosen = new Set(view);
  if (!cursor && view.length) cursor = view[0];
  changed();
}

// Nothing selected; the cursor and anchor go to `at` (null: nowhere).
/** @param {Track | null} [at] */
export function clearSelection(at) {
  if (!chosen.size && at === undefined) return;
  chosen = new Set();
  if (at !== undefined) anchor = cursor = at;
  changed();
}

// The keyboard's place without a selection (the track restored at start).
/** @param {Track} t */
export function placeCursor(t) { anchor = cursor = t; changed(); }

/** @param {{ chosen: Set<Track>, cursor: Track | null, anchor: Track | null } | undefined} kept */
export function restore(kept) {
  chosen = kept ? kept.chosen : new Set();
  cursor = kept ? kept.cursor : null;
  anchor = kept ? kept.anchor : null;
  changed();
}
