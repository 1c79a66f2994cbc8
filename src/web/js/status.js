/* Sonabel player: the status line and the passing messages. */
import { plural, formatTotal } from './core/text.js';
import { el } from './dom.js';
import { lib } from './library.js';
import { terms, view } from './shown.js';
import { offerUndo, undoLast } from './undo.js';

export function updateStatus() {
  const total = lib.size();
  let text;
  if (!total) text = 'No tracks';
  else if (terms.length) text = view.length.toLocaleString('en-US') + ' of ' + plural(total, 'track', 'tracks');
  else text = plural(total, 'track', 'tracks');
  if (lib.knownCount) {
    text += ' \u00b7 ' + formatTotal(lib.knownSeconds);
    if (lib.knownCount < total) text += ' (durations known for ' + lib.knownCount.toLocaleString('en-US') + ')';
  }
  el.status.textContent = text;
  el.clearLib.disabled = total === 0;
}

// A passing message; with `undo`, it offers to take the action back and
// stays longer (Ctrl+Z works until the next destructive action either way).
let toastTimer = 0;
/** @param {string} msg @param {{ undo?: () => void }} [opts] */
export function announce(msg, opts) {
  const undo = opts && opts.undo;
  if (undo) offerUndo(undo);
  el.toastText.textContent = msg;
  el.toastUndo.hidden = !undo;
  el.toast.classList.add('show');
  clearTimeout(toastTimer);
  toastTimer = setTimeout(() => {
    if (document.activeElement === el.toastUndo) el.grid.focus();
    el.toast.classList.remove('show');
    el.toastUndo.hidden = true;
  }, undo ? 12000 : 5000);
}

export function wireStatus() {
  el.toastUndo.addEventListener('click', () => { undoLast(); el.grid.focus(); });
}
