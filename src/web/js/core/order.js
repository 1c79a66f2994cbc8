/* Sonabel player: the orders a list of tracks can be shown in. */
import { fold } from './text.js';
import { isValidRecord, keyOf } from './library.js';

/** @typedef {import('./library.js').Track} Track */
/** @typedef {import('./tags.js').Tags} Tags */
/** @typedef {(t: Track) => Tags} TagsOf */

// Natural order of paths: digit runs compare by value, so "Track 2"
// comes before "Track 10". Keys are made once, then compared as strings.
const DIGITS = /\d+/g;
// Each digit run gets its length in front, leading zeros dropped.
/** @param {string} d */
function padRun(d) {
  let i = 0;
  while (i < d.length - 1 && d.charCodeAt(i) === 0x30) i++;
  const v = i ? d.slice(i) : d;
  return String.fromCharCode(0x30 + Math.min(v.length, 40)) + v;
}
/** @param {string} s */
function naturalKey(s) {
  return s.toLowerCase().replace(DIGITS, padRun);
}

/** @typedef {[string, number, import('./library.js').TrackRecord]} Keyed */
/** @param {Keyed} a @param {Keyed} b */
function byKey(a, b) { return cmpStr(a[0], b[0]) || a[1] - b[1]; }

/** @param {Keyed[]} keyed */
function keyAll(keyed) {
  for (let j = 0; j < keyed.length; j++) if (!keyed[j][0]) keyed[j][0] = naturalKey(keyed[j][2].url);
}

// Rearranges `a` so that its first k items are its k smallest, in no
// particular order (Hoare's selection; the order is total, so it ends).
/** @param {Keyed[]} a @param {number} k */
function selectSmallest(a, k) {
  let lo = 0, hi = a.length - 1;
  while (lo < hi) {
    const pivot = a[(lo + hi) >> 1];
    let i = lo, j = hi;
    while (i <= j) {
      while (byKey(a[i], pivot) < 0) i++;
      while (byKey(a[j], pivot) > 0) j--;
      if (i <= j) { const x = a[i]; a[i] = a[j]; a[j] = x; i++; j--; }
    }
    if (k - 1 <= j) hi = j; else if (k - 1 >= i) lo = i; else return;
  }
}

// The first `count` of `keyed` in order, keying only what it must: the
// tracks of a folder and of its subfolders come together, before those of
// any later folder that is not among them (where two keys first differ, in
// their folders' part, the earlier folder's is lower). So it takes the
// folders in order until it has enough, with all of their subfolders.
// Where folders hold few tracks each, grouping gains nothing: every track
// is keyed and the first are picked out, in place.
/** @param {Keyed[]} keyed @param {number} count @returns {Keyed[]} */
function firstInOrder(keyed, count) {
  /** @type {Map<string, Keyed[]>} */
  const byFolder = new Map();
  for (let i = 0; i < keyed.length; i++) {
    const url = keyed[i][2].url, folder = url.slice(0, url.lastIndexOf('/') + 1);
    const list = byFolder.get(folder);
    if (list) list.push(keyed[i]); else byFolder.set(folder, [keyed[i]]);
    if (byFolder.size * 8 > keyed.length) {
      keyAll(keyed);
      selectSmallest(keyed, count);
      return keyed.slice(0, count).sort(byKey);
    }
  }
  const folders = Array.from(byFolder.keys(), (f) => [naturalKey(f), f]).sort((a, b) => cmpStr(a[0], b[0]));
  /** @type {Keyed[]} */
  const picked = [];
  // The folders taken whose subfolders may still come: a folder's
  // subfolders follow it, since their keys begin with its key.
  /** @type {string[]} */
  const open = [];
  for (let i = 0; i < folders.length; i++) {
    const key = folders[i][0];
    while (open.length && !key.startsWith(open[open.length - 1])) open.pop();
    if (!open.length && picked.length >= count) break;
    open.push(key);
    for (const k of /** @type {Keyed[]} */ (byFolder.get(folders[i][1]))) picked.push(k);
  }
  for (let j = 0; j < picked.length; j++) picked[j][0] = naturalKey(picked[j][2].url);
  return picked.sort(byKey).slice(0, count);
}

// The records of one batch in natural order of their urls, the first
// `count` at once and the rest when asked for: keying and sorting 100,000
// records takes a few hundred ms, the first few thousand a fraction of
// that, so a large batch shows its first rows sooner. Records that are not
// usable keep their place at the end, to be counted as skipped.
/** @param {unknown[]} records @param {number} count
    @returns {{ first: unknown[], rest: () => unknown[] }} */
function naturalOrderInSteps(records, count) {
  /** @type {Keyed[]} */
  const keyed = [];
  /** @type {unknown[]} */
  const bad = [];
  for (let i = 0; i < records.length; i++) {
    const r = records[i];
    if (isValidRecord(r)) keyed.push(['', i, r]); else bad.push(r);
  }
  const recordsOf = (/** @type {Keyed[]} */ part) => part.map((k) => /** @type {unknown} */ (k[2]));
  function all() {
    keyAll(keyed);
    return keyed.sort(byKey);
  }
  if (count >= keyed.length) return { first: recordsOf(all()), rest: () => bad };
  return { first: recordsOf(firstInOrder(keyed, count)), rest: () => recordsOf(all().slice(count)).concat(bad) };
}

const SORT_KEYS = ['index', 'title', 'artist', 'album', 'albumArtist', 'trackNo', 'format', 'duration', 'plays', 'added', 'folder'];

/** @param {string} a @param {string} b */
function cmpStr(a, b) { return a < b ? -1 : a > b ? 1 : 0; }

// Keys of a folder's tracks, made once per folder: the tag cache shares one
// folder object among them.
/** @param {import('./tags.js').FolderTags} f */
function folderKeys(f) {
  if (f.sortKeys) return f.sortKeys;
  const album = fold(f.album) + '\u0000' + f.albumUrl;
  return (f.sortKeys = { album: album, albumArtist: fold(f.albumArtist) + '\u0000' + album, folder: fold(f.name) + '\u0000' + f.url });
}

// A track's place in its album: disc, then track number (unnumbered
// last), written to compare as text.
/** @param {Tags} l */
function albumPlace(l) { return '\u0000' + (100 + l.disc) + (10000 + (l.track || 9999)); }

// Text columns sort on folded keys made once per sort: [key, track] pairs.
// `lay` gives a track's tags (tags.js), so that a column sorts
// by what it shows; without one, title and artist use the record, and
// the others are not asked (NEEDS_LAYOUT).
/** @type {Record<string, (t: Track, lay?: TagsOf) => string>} */
const SORT_TEXT = {
  title: function (t, lay) {
    if (!lay) return keyOf(t);
    const l = lay(t);
    return fold(l.title) + '\u0000' + fold(l.artist);
  },
  // An artist's albums stay whole, each in disc and track order.
  artist: function (t, lay) {
    if (!lay) return fold(t.artist) + '\u0000' + fold(t.title);
    const l = lay(t);
    return fold(l.artist) + '\u0000' + folderKeys(l.folder).album + albumPlace(l) + '\u0000' + fold(l.title);
  },
  format: function (t) { return t.format + '\u0000' + fold(t.artist) + '\u0000' + fold(t.title); },
  album: function (t, lay) { const l = /** @type {TagsOf} */ (lay)(t); return folderKeys(l.folder).album + albumPlace(l); },
  albumArtist: function (t, lay) { const l = /** @type {TagsOf} */ (lay)(t); return folderKeys(l.folder).albumArtist + albumPlace(l); },
  folder: function (t, lay) { return folderKeys(/** @type {TagsOf} */ (lay)(t).folder).folder + '\u0000' + naturalKey(t.url.slice(t.url.lastIndexOf('/') + 1)); }
};

// Number columns; null is unknown, which stays last whichever way the
// column is sorted.
/** @type {Record<string, (t: Track, lay?: TagsOf) => number | null>} */
const SORT_NUMBER = {
  duration: function (t) { return t.duration; },
  trackNo: function (t, lay) { return /** @type {TagsOf} */ (lay)(t).track || null; },
  plays: function (t) { return t.plays; },
  added: function (t) { return t.added || null; }
};

/** @type {Record<string, number>} */
const NEEDS_LAYOUT = { album: 1, albumArtist: 1, folder: 1, trackNo: 1 };

// The tracks in the given order, as a new array; equal keys keep the order
// added. `tagsOf` gives a track's tags; keys that need them and have
// none keep the order given.
/** @param {Track[]} tracks @param {string} key @param {string} dir @param {TagsOf} [tagsOf] @returns {Track[]} */
function sortTracks(tracks, key, dir, tagsOf) {
  let out, i;
  if (NEEDS_LAYOUT[key] && !tagsOf) return tracks.slice();
  if (SORT_TEXT[key]) {
    const make = SORT_TEXT[key];
    const pairs = new Array(tracks.length);
    for (i = 0; i < tracks.length; i++) pairs[i] = [make(tracks[i], tagsOf), tracks[i]];
    pairs.sort(function (a, b) { return cmpStr(a[0], b[0]) || a[1].index - b[1].index; });
    out = new Array(pairs.length);
    for (i = 0; i < pairs.length; i++) out[i] = pairs[i][1];
    if (dir === 'desc') out.reverse();
    return out;
  }
  if (SORT_NUMBER[key]) {
    const value = SORT_NUMBER[key];
    /** @type {Array<[number, Track]>} */
    const known = [];
    /** @type {Track[]} */
    const unknown = [];
    for (i = 0; i < tracks.length; i++) {
      const v = value(tracks[i], tagsOf);
      if (v === null) unknown.push(tracks[i]); else known.push([v, tracks[i]]);
    }
    known.sort(function (a, b) { return a[0] - b[0] || a[1].index - b[1].index; });
    unknown.sort(function (a, b) { return a.index - b.index; });
    if (dir === 'desc') known.reverse();
    out = new Array(known.length);
    for (i = 0; i < known.length; i++) out[i] = known[i][1];
    return out.concat(unknown);
  }
  out = tracks.slice();
  if (dir === 'desc') out.reverse();
  return out;
}

export { SORT_KEYS, sortTracks, naturalKey, naturalOrderInSteps };
