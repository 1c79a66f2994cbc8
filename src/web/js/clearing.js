/* Sonabel player: clearing the whole library, after asking. */
import { $, el } from './dom.js';
import { lib } from './library.js';
import { dropBatches } from './import.js';
import { clearSearch } from './search.js';
import { removeTracks } from './list_input.js';

function askClear() {
  if (!lib.size()) return;
  el.confirm.showModal();
  $('confirm-cancel').focus();
}

function doClear() {
  dropBatches();
  clearSearch();
  removeTracks(new Set(lib.tracks), 'Library cleared');
}

export function wireClearing() {
  $('confirm-cancel').addEventListener('click', () => { el.confirm.close(); });
  $('confirm-ok').addEventListener('click', () => { el.confirm.close(); doClear(); el.grid.focus(); });
  el.clearLib.addEventListener('click', askClear);
}
