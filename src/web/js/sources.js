/* Sonabel player: what the sidebar shows, and the playlists, changed only
   here. The shown list's tracks come from a source (the library, a smart
   list, a playlist, an artist, an album, a folder); Albums, Artists and
   Folders list those first. Each view keeps its scroll position and
   selection for when the user comes back. */
import { fold } from './core/text.js';
import { buildIndexes, tracksUnder } from './core/indexes.js';
import { Playlists, unpackPlaylists, SMART } from './core/playlists.js';
import { emit, on } from './events.js';
import { lib, store } from './library.js';
import { refreshView } from './shown.js';
import * as selection from './selection.js';
import { tagsOf, tagCache } from './track_tags.js';

/** @typedef {import('./library.js').Track} Track */
// The id names what the kind lists: a smart list's key, a playlist's id,
// an album's folder, an artist's folded name, a folder's url.
/**
 * @typedef {{ kind: 'library' | 'albums' | 'artists' | 'folders', id: null }
 *   | { kind: 'smart', id: string } | { kind: 'playlist', id: number }
 *   | { kind: 'album' | 'artist' | 'folder', id: string }} Source
 */

/** @type {Source} */
export let source = { kind: 'library', id: null };
/** @type {Playlists} */
export let playlists = new Playlists();

/** @type {Map<string, ReturnType<typeof selection.snapshot>>} */
const memory = new Map();
/** @type {ReturnType<typeof buildIndexes> | null} */
let built = null;
let builtFor = -1;

/** @param {Source} src */
export function sourceKey(src) { return src.kind + ':' + (src.id === null ? '' : src.id); }

// The artist, album and folder indexes, rebuilt when the library changed.
export function indexes() {
  if (!built || builtFor !== lib.version) {
    built = buildIndexes(lib.tracks, tagCache);
    builtFor = lib.version;
  }
  return built;
}

// Views that list things other than tracks.
/** @param {Source} src */
export function isCatalogue(src) { return src.kind === 'albums' || src.kind === 'artists' || src.kind === 'folders'; }

let stamp = 0, lastKey = '', lastLib = -1, lastPlaylists = -1;

// The tracks of the shown source; `stamp` changes whenever they may have.
/** @returns {{ tracks: Track[], stamp: number }} */
export function shownSource() {
  const src = source, key = sourceKey(src);
  if (key !== lastKey || lib.version !== lastLib || (src.kind === 'playlist' && playlists.version !== lastPlaylists)) {
    stamp++; lastKey = key; lastLib = lib.version; lastPlaylists = playlists.version;
  }
  let tracks, idx;
  switch (src.kind) {
    case 'smart': tracks = SMART[src.id].pick(lib.tracks); break;
    case 'playlist': tracks = playlists.tracksOf(src.id, lib.byUrl); break;
    case 'album': idx = indexes().albumById.get(src.id); tracks = idx ? idx.tracks : []; break;
    case 'artist':
      idx = indexes().artistByKey.get(src.id);
      tracks = idx ? /** @type {Track[]} */ ([]).concat(...idx.albums.map((a) => a.tracks.filter((t) => fold(tagsOf(t).artist) === src.id))) : [];
      break;
    case 'folder': idx = indexes().folders.get(src.id); tracks = idx ? tracksUnder(idx) : []; break;
    default: tracks = isCatalogue(src) ? [] : lib.tracks;
  }
  return { tracks, stamp };
}

// Shows another source; the view left behind keeps its selection here and
// its scroll position with the views, told before anything changes.
/** @param {Source} src */
export function setSource(src) {
  const old = source;
  if (sourceKey(old) === sourceKey(src)) return;
  emit('shown', { leaving: old });
  memory.set(sourceKey(old), selection.snapshot());
  source = src;
  selection.restore(memory.get(sourceKey(src)));
  refreshView();
  emit('shown', { source: src });
}

// ---- playlists ------------------------------------------------------------

function playlistsChanged() {
  store.touchPlaylists();
  emit('playlists');
  if (source.kind === 'playlist') refreshView();
}
/** @template {unknown[]} A @template R @param {(...args: A) => R} fn @returns {(...args: A) => R} */
function change(fn) {
  return (...args) => { const r = fn(...args); playlistsChanged(); return r; };
}
export const createPlaylist = change(/** @param {string} name @param {string[]} [urls] */ (name, urls) => playlists.create(name, urls));
export const renamePlaylist = change(/** @param {number} id @param {string} name */ (id, name) => playlists.rename(id, name));
export const deletePlaylist = change(/** @param {number} id */ (id) => playlists.remove(id));
export const restorePlaylist = change(/** @param {import('./core/playlists.js').RemovedPlaylist | null} removed */ (removed) => playlists.restore(removed));
export const addToPlaylist = change(/** @param {number} id @param {string[]} urls @param {number} [at] */ (id, urls, at) => playlists.add(id, urls, at));
export const movePlaylistEntries = change(/** @param {number} id @param {number[]} positions @param {number} to */ (id, positions, to) => playlists.move(id, positions, to));
export const removePlaylistEntries = change(/** @param {number} id @param {number[]} positions */ (id, positions) => playlists.removeEntries(id, positions));

// The stored playlists, once the store has read them; any made meanwhile
// are kept too.
/** @param {any} stored */
export function restorePlaylists(stored) {
  const made = playlists.lists;
  playlists = unpackPlaylists(stored);
  made.forEach((p) => playlists.create(p.name, p.urls));
  if (made.length) store.touchPlaylists();
  emit('playlists');
}

export function wireSources() {
  store.playlistsSource = () => playlists.pack();
  // A track removed from the library leaves its playlists; undoing the
  // removal puts it back in them, where it was.
  /** @type {Map<number, string[]> | null} */
  let beforeRemoval = null;
  on('library', (d) => {
    if (d && d.removed && d.removed.length) {
      const before = new Map(playlists.lists.map((p) => [p.id, p.urls]));
      if (playlists.dropUrls(new Set(d.removed.map((/** @type {Track} */ t) => t.url)))) {
        beforeRemoval = before;
        playlistsChanged();
      } else beforeRemoval = null;
    } else if (d && d.restored && beforeRemoval) {
      const was = beforeRemoval, back = new Set(d.restored.map((/** @type {Track} */ t) => t.url));
      playlists.lists.forEach((p) => {
        const old = was.get(p.id);
        if (!old) return;
        const now = new Set(p.urls);
        p.urls = old.filter((u) => now.has(u) || back.has(u)).concat(p.urls.filter((u) => old.indexOf(u) < 0));
      });
      beforeRemoval = null;
      playlists.version++;
      playlistsChanged();
    }
  });
}

// The sidebar drawn again as the playlists are (a rename let go).
export function showPlaylistsAgain() { emit('playlists'); }

// The indexes built anew on next use (the benchmark's cold figure).
export function dropIndexes() { built = null; }

// What '#' shows for a track: its place in the playlist shown, else its
// place in the order added.
/** @type {Map<string, number> | null} */
let positions = null;
let positionsFor = '';
/** @param {import('./core/library.js').Track} t */
export function numberOf(t) {
  if (source.kind !== 'playlist') return t.index;
  const key = source.id + ':' + playlists.version;
  if (!positions || positionsFor !== key) {
    const p = playlists.get(source.id);
    positions = new Map(p ? p.urls.map((u, i) => [u, i]) : []);
    positionsFor = key;
  }
  const at = positions.get(t.url);
  return at === undefined ? t.index : at;
}

// How many discs the album shown has (0 when no album is shown): an album
// of several is shown disc by disc.
let discsFor = '', discs = 0;
export function discCount() {
  if (source.kind !== 'album') return 0;
  const key = source.id + ':' + lib.version;
  if (discsFor !== key) {
    const album = indexes().albumById.get(source.id);
    discs = album ? new Set(album.tracks.map((t) => tagsOf(t).disc)).size : 0;
    discsFor = key;
  }
  return discs;
}
