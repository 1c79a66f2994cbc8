/* Sonabel player: search over what a track shows: title, artist, album,
   album artist and folder, with "artist:" and "album:" to look in one
   field only. `artist:"night owls"` keeps its words together. */
import { fold } from './text.js';

const FIELDS = { artist: 'artist', album: 'album' };
const TERM = /(?:(\w+):)?(?:"([^"]*)"?|(\S+))/g;

// [{ field: null | 'artist' | 'album', text }], every text folded.
function parseSearch(text) {
  const s = fold(String(text || '')).replace(/\u0000/g, '');
  const out = [];
  let m;
  TERM.lastIndex = 0;
  while ((m = TERM.exec(s))) {
    const field = m[1] && FIELDS[m[1]] ? m[1] : null;
    let value = m[2] !== undefined ? m[2].trim() : m[3];
    // A prefix still waiting for its value, as while it is typed.
    if (!m[1] && /^\w+:$/.test(value) && FIELDS[value.slice(0, -1)]) continue;
    // An unknown prefix is part of the word: "live:" searches for "live:".
    if (m[1] && !field) value = m[1] + ':' + value;
    if (field && !value) continue;
    if (value) out.push({ field: field, text: value });
  }
  return out;
}

// Folded texts a track is searched in, kept with its tags.
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
    album: f.albumKey,
    folder: f.searchKey
  });
}

function matchTerm(k, term) {
  if (term.field === 'artist') return k.artist.indexOf(term.text) >= 0;
  if (term.field === 'album') return k.album.indexOf(term.text) >= 0;
  return k.own.indexOf(term.text) >= 0 || k.folder.indexOf(term.text) >= 0;
}

// The tracks, in their order, whose every term matches. `tagsOf` gives
// a track's layout (a tags.TagCache's `of`).
function searchTracks(tracks, terms, tagsOf) {
  if (!Array.isArray(terms)) terms = parseSearch(terms);
  if (!terms.length) return tracks;
  const out = [];
  outer: for (let i = 0; i < tracks.length; i++) {
    const k = keysOf(tagsOf(tracks[i]));
    for (let j = 0; j < terms.length; j++) if (!matchTerm(k, terms[j])) continue outer;
    out.push(tracks[i]);
  }
  return out;
}

// Whether every track that matches `terms` also matched `prev`, so that
// a keystroke may search the previous result instead of everything.
function narrowsSearch(prev, terms) {
  if (!prev || !prev.length) return false;
  return prev.every(function (p) {
    return terms.some(function (t) { return (p.field === null || p.field === t.field) && t.text.indexOf(p.text) >= 0; });
  });
}

export { parseSearch, searchTracks, narrowsSearch };
