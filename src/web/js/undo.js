/* Sonabel player: the way back from the last destructive action, whatever
   it was (tracks removed, the library cleared, a playlist deleted), until
   the next one. */

/** @type {null | (() => void)} */
let takeBack = null;

/** @param {() => void} fn */
export function offerUndo(fn) { takeBack = fn; }

// Returns whether there was something to take back.
export function undoLast() {
  const fn = takeBack;
  takeBack = null;
  if (fn) fn();
  return !!fn;
}
