/* Sonabel player: search over what a track shows: title, artist, album,
   album artist and folder, with "artist:" and "album:" to look in one
   field only. `artist:"night owls"` keeps its words together. */
import { fold } from './text.js';

/** @typedef {import('./library.js').Track} Track */
/** @typedef {import('./tags.js').Tags} Tags */

/** @typedef {{ field: null | 'artist' | 'album', text: string }} SearchTerm */
/**
 * Folded texts a track is searched in.
 * @typedef {{ own: string, artist: string, album: string, folder: string }} SearchKeys
 */

// A Map, so that a prefix such as "constructor:" is not taken for a field.
/** @type {Map<string, 'artist' | 'album'>} */
const FIELDS = new Map([['artist', 'artist'], ['album', 'album']]);
const TERM = /(?:(\w+):)?(?:"([^"]*)"?|(\S+))/g;

// The terms of a search, every text folded.
/** @param {unknown} text @returns {SearchTerm[]} */
function parseSearch(text) {
  const s = fold(String(text || '')).replace(/\u0000/g, '');
  /** @type {SearchTerm[]} */
  const out = [];
  let m;
  TERM.lastIndex = 0;
  while ((m = TERM.exec(s))) {
    const field = (m[1] && FIELDS.get(m[1])) || null;
    let value = m[2] !== undefined ? m[2].trim() : m[3];
    // A prefix still waiting for its value, as while it is typed.
    if (!m[1] && /^\w+:$/.test(value) && FIELDS.has(value.slice(0, -1))) continue;
    // An unknown prefix is part of the word: "live:" searches for "live:".
    if (m[1] && !field) value = m[1] + ':' + value;
    if (field && !value) continue;
    if (value) out.push({ field: field, text: value });
  }
  return out;
}

// Kept with the track's tags.
/** @param {Tags} lay @returns {SearchKeys} */
function keysOf(lay) {
  if (lay.keys) return lay.keys;
  // Album and folder texts are the folder's, made once for all its tracks.
  const f = lay.folder;
  if (!f.searchKey) {
    f.albumKey = fold(f.album);
    f.searchKey = [f.albumKey, fold(f.albumArtist), fold(f.name)].join('\u0000');
  }
  const artist = fold(lay.artist);
  return (lay.keys = {
    own: fold(lay.title) + '\u0000' + artist,
    artist: lay.artist === lay.albumArtist ? artist : artist + '\u0000' + fold(lay.albumArtist),
    album: /** @type {string} */ (f.albumKey),
    folder: f.searchKey
  });
}

// Whether a thing with these keys matches every term: the track list's
// tracks and the catalogue views' albums, artists and folders alike.
/** @param {SearchKeys} k @param {SearchTerm[]} terms */
function matchesAll(k, terms) {
  for (let j = 0; j < terms.length; j++) if (!matchTerm(k, terms[j])) return false;
  return true;
}

/** @param {SearchKeys} k @param {SearchTerm} term */
function matchTerm(k, term) {
  if (term.field === 'artist') return k.artist.indexOf(term.text) >= 0;
  if (term.field === 'album') return k.album.indexOf(term.text) >= 0;
  return k.own.indexOf(term.text) >= 0 || k.folder.indexOf(term.text) >= 0;
}

// The tracks, in their order, whose every term matches. `tagsOf` gives
// a track's tags (a TagCache's `of`).
/** @param {Track[]} tracks @param {SearchTerm[] | string} terms @param {(t: Track) => Tags} tagsOf */
function searchTracks(tracks, terms, tagsOf) {
  if (!Array.isArray(terms)) terms = parseSearch(terms);
  if (!terms.length) return tracks;
  const out = [];
  outer: for (let i = 0; i < tracks.length; i++) {
    const k = keysOf(tagsOf(tracks[i]));
    if (!matchesAll(k, terms)) continue outer;
    out.push(tracks[i]);
  }
  return out;
}

// Whether every track that matches `terms` also matched `prev`, so that
// a keystroke may search the previous result instead of everything.
/** @param {SearchTerm[] | null} prev @param {SearchTerm[]} terms */
function narrowsSearch(prev, terms) {
  if (!prev || !prev.length) return false;
  return prev.every(function (p) {
    return terms.some(function (t) { return (p.field === null || p.field === t.field) && t.text.indexOf(p.text) >= 0; });
  });
}

export { parseSearch, searchTracks, narrowsSearch, matchesAll };
