/* Sonabel player: the page's elements, looked up once. Track text reaches
   them only through textContent. */

export const $ = (/** @type {string} */ id) => /** @type {any} */ (document.getElementById(id));

export const el = {
  grid: $('grid'), viewport: $('viewport'), spacer: $('spacer'), empty: $('empty'),
  noResults: $('no-results'), noResultsText: $('no-results-text'), search: $('search'), status: $('status'),
  selInfo: $('selection-info'), removeSel: $('remove-selected'), clearLib: $('clear-library'),
  play: $('play'), prev: $('prev'), next: $('next'), shuffle: $('shuffle'), repeat: $('repeat'),
  seek: $('seek'), elapsed: $('elapsed'), total: $('total'), mute: $('mute'), volume: $('volume'),
  nowTitle: $('now-title'), nowArtist: $('now-artist'), nowFormat: $('now-format'), nowCover: $('now-cover'),
  toast: $('toast'), toastText: $('toast-text'), toastUndo: $('toast-undo'), confirm: $('confirm-clear'),
  pin: $('win-pin'), min: $('win-min'), max: $('win-max'), close: $('win-close'),
  unavailable: $('unavailable-note'),
  head: /** @type {HTMLElement} */ (document.querySelector('#grid .row.head')),
  browse: $('browse'), browseSpacer: $('browse-spacer'), listHead: $('list-head'), listCover: $('list-cover'),
  listTitle: $('list-title'), listSub: $('list-sub'), listPlay: $('list-play'), listRename: $('list-rename'),
  listExport: $('list-export'), listDelete: $('list-delete'), listClearSearch: $('list-clear-search'),
  viewTitle: $('view-title'), sidebar: $('sidebar'), sideViews: $('side-views'), sidePlaylists: $('side-playlists'), newPlaylist: $('new-playlist')
};

// Runs fn once the next frame is on screen. A timer task alone would run
// before the frame, and a task queued from the frame's own callbacks can
// still run before WebKit draws it: the callbacks of the frame after
// come once it has been drawn. A hidden window paints no frames, hence the
// fallback.
/** @param {() => void} fn */
export function afterPaint(fn) {
  let done = false;
  function once() { if (!done) { done = true; fn(); } }
  requestAnimationFrame(() => { requestAnimationFrame(() => { setTimeout(once, 0); }); });
  setTimeout(once, 150);
}

// Where the keyboard goes back to after a menu or a dialog: what had the
// focus, the grid for a row of the list (see list_input.js).
export function focusBack() {
  const active = /** @type {HTMLElement} */ (document.activeElement);
  return el.viewport.contains(active) ? el.grid : active;
}
