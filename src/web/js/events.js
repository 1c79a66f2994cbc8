/* Sonabel player: the hub through which the state's owners tell the views
   what changed. Each piece has one owner, the only module that changes it
   and emits its event:

   library    library.js    'library'    the tracks and what is known of them
   shown      shown.js      'shown'      the list shown: source, search, sort
   selection  selection.js  'selection'  the selected rows, cursor and anchor
   playing    playing.js    'playing'    the play context and Up next
   settings   settings.js   'settings'   the stored settings
   playlists  sources.js    'playlists'  the playlists, and the source shown */

/** @typedef {'library' | 'shown' | 'selection' | 'playing' | 'settings' | 'playlists'} Piece */

/** @type {Record<Piece, Array<(detail?: any) => void>>} */
const listeners = { library: [], shown: [], selection: [], playing: [], settings: [], playlists: [] };

/** @param {Piece} piece @param {(detail?: any) => void} fn */
export function on(piece, fn) { listeners[piece].push(fn); }

/** @param {Piece} piece @param {any} [detail] */
export function emit(piece, detail) {
  const l = listeners[piece];
  for (let i = 0; i < l.length; i++) l[i](detail);
}
