/* Sonabel player: the library seen by artist, album and folder, built from
   the tracks' tags (tags.js) in one pass. */
import { fold } from './text.js';
import { parentUrl, baseName } from './paths.js';

/** @typedef {import('./library.js').Track} Track */
/** @typedef {import('./tags.js').TagCache} TagCache */

class Folder {
  /** @param {string} url @param {string} name @param {Folder | null} parent */
  constructor(url, name, parent) {
    this.url = url;
    this.name = name;
    this.parent = parent;
    /** @type {Folder[]} */
    this.children = [];
    /** @type {Track[]} */
    this.tracks = [];   // the tracks directly in it
    this.total = 0;     // tracks in it and below
    this.sortKey = '';  // set once the tree is built
  }
}

/**
 * @typedef {object} Album
 * @property {string} id the folder that stands for it
 * @property {string} title
 * @property {string} artist
 * @property {Track[]} tracks
 * @property {string} sortKey
 * @property {Folder | null} folder null only while the indexes are built
 * @property {string} [firstArtist] only while the indexes are built
 * @property {boolean} mixed
 */

/** @typedef {{ name: string, key: string, sortKey: string, tracks: Track[], albums: Album[] }} Artist */

/** @param {Map<string, Folder>} byUrl @param {string} url @returns {Folder} */
function folderOf(byUrl, url) {
  let f = byUrl.get(url);
  if (f) return f;
  const up = parentUrl(url);
  const parent = up === null ? null : folderOf(byUrl, up);
  f = new Folder(url, baseName(url), parent);
  if (parent) parent.children.push(f);
  byUrl.set(url, f);
  return f;
}

/** @param {{ sortKey: string }} a @param {{ sortKey: string }} b */
function byName(a, b) { return a.sortKey < b.sortKey ? -1 : a.sortKey > b.sortKey ? 1 : 0; }

// Tracks of an album in disc and track order; unnumbered ones after, in
// the order added.
/** @param {TagCache} cache */
function byPosition(cache) {
  return function (/** @type {Track} */ a, /** @type {Track} */ b) {
    const x = cache.of(a), y = cache.of(b);
    return (x.disc - y.disc) || ((x.track || 1e9) - (y.track || 1e9)) || (a.index - b.index);
  };
}

const VARIOUS = 'Various artists';

// `cache` is a tags.TagCache, reused between builds so that only
// new tracks are read again.
/** @param {Track[]} tracks @param {TagCache} cache */
function buildIndexes(tracks, cache) {
  /** @type {Map<string, Folder>} */
  const folders = new Map();
  /** @type {Map<string, Album>} */
  const albums = new Map();
  /** @type {Map<string, Artist>} */
  const artists = new Map();
  const n = tracks.length;
  for (let i = 0; i < n; i++) {
    const t = tracks[i], lay = cache.of(t);
    const info = lay.folder;
    const folder = folders.get(info.url) || folderOf(folders, info.url);
    folder.tracks.push(t);

    let album = albums.get(info.albumUrl);
    if (!album) {
      album = {
        id: info.albumUrl, title: info.album, artist: info.albumArtist, tracks: [], sortKey: '',
        folder: null, firstArtist: lay.artist, mixed: false
      };
      albums.set(info.albumUrl, album);
    }
    album.tracks.push(t);
    if (!album.mixed && lay.artist !== album.firstArtist) album.mixed = true;

    const key = fold(lay.artist);
    let artist = artists.get(key);
    if (!artist) { artist = { name: lay.artist, key: key, sortKey: key, tracks: [], albums: [] }; artists.set(key, artist); }
    artist.tracks.push(t);
    if (artist.albums[artist.albums.length - 1] !== album && artist.albums.indexOf(album) < 0) artist.albums.push(album);
  }

  // Totals from the leaves up, and the tree in name order.
  /** @type {Folder[]} */
  const roots = [];
  folders.forEach(function (f) {
    f.sortKey = fold(f.name);
    if (!f.parent) roots.push(f);
    if (f.tracks.length) for (let p = /** @type {Folder | null} */ (f); p; p = p.parent) p.total += f.tracks.length;
  });
  folders.forEach(function (f) { if (f.children.length > 1) f.children.sort(byName); });
  roots.sort(byName);

  const position = byPosition(cache);
  /** @type {Album[]} */
  const albumList = [];
  albums.forEach(function (a) {
    a.folder = folders.get(a.id) || folderOf(folders, a.id);
    // No album artist from the folders: the tracks' own, if they agree.
    if (!a.artist) a.artist = a.mixed ? VARIOUS : /** @type {string} */ (a.firstArtist);
    if (!a.title) a.title = a.folder.name || 'Unknown album';
    a.sortKey = fold(a.artist) + '\u0000' + fold(a.title);
    a.tracks.sort(position);
    delete a.firstArtist;
    albumList.push(a);
  });
  albumList.sort(byName);
  const artistList = Array.from(artists.values()).sort(byName);

  return { folders: folders, roots: roots, albums: albumList, albumById: albums, artists: artistList, artistByKey: artists };
}

// The folder the tree opens at: the deepest one that holds everything,
// so the tree does not start with /home/NAME/Music one level at a time.
/** @param {{ roots: Folder[] }} idx */
function treeTop(idx) {
  if (idx.roots.length !== 1) return null;
  let f = idx.roots[0];
  while (f.children.length === 1 && !f.tracks.length) f = f.children[0];
  return f;
}

// Every track at or below a folder, folder by folder in tree order.
/** @param {Folder} folder */
function tracksUnder(folder) {
  /** @type {Track[]} */
  const out = [];
  (function walk(/** @type {Folder} */ f) {
    for (let i = 0; i < f.tracks.length; i++) out.push(f.tracks[i]);
    for (let j = 0; j < f.children.length; j++) walk(f.children[j]);
  })(folder);
  return out;
}

export { buildIndexes, treeTop, tracksUnder, VARIOUS };
