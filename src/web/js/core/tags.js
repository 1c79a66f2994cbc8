/* Sonabel player: what a track's place on disk says about it. The shell
   gives only title, artist, url and format, so album, album artist and
   track number come from the folders and the file name. Records stay as
   delivered; what is read here lives beside them, marked as inferred. */
import { parentUrl, segments } from './paths.js';

/** @typedef {import('./library.js').Track} Track */

/**
 * What a folder says about the tracks in it (inferFolder), with the keys
 * made from it once for all of them.
 * @typedef {object} FolderTags
 * @property {string} url
 * @property {string} name
 * @property {string} album
 * @property {string} albumArtist
 * @property {number} disc
 * @property {string} albumUrl
 * @property {string} [albumKey] see query.js
 * @property {string} [searchKey] see query.js
 * @property {{ album: string, albumArtist: string, folder: string }} [sortKeys] see order.js
 */

/**
 * The values a track shows (inferTrack).
 * @typedef {object} Tags
 * @property {string} title
 * @property {string} artist
 * @property {string} album
 * @property {string} albumArtist
 * @property {number} track
 * @property {number} disc
 * @property {boolean} artistInferred
 * @property {boolean} titleInferred
 * @property {FolderTags} folder
 * @property {import('./query.js').SearchKeys} [keys] see query.js
 */

// The shell's artist for a file name without " - ".
const NO_ARTIST = 'Local Music';

// Folder names that hold a collection rather than name an album or artist.
const CONTAINERS = new Set([
  'music', 'my music', 'musik', 'musique', 'musica', 'música', 'muziek', 'audio', 'mp3', 'mp3s', 'flac',
  'songs', 'tracks', 'downloads', 'download', 'desktop', 'documents', 'my documents', 'media', 'albums',
  'library', 'itunes', 'itunes media', 'itunes music', 'shared music', 'public', 'users', 'home', 'mnt',
  'volumes', 'tmp', 'srv', 'data', 'storage', 'sdcard', 'new folder', 'unknown', 'unknown artist',
  'unknown album', 'various', 'misc', 'other', 'run'
]);
// How deep the folders of mount points and homes go: /home/NAME,
// C:/Users/NAME, /media/NAME/DISK, /run/media/NAME/DISK.
/** @type {Record<string, number>} */
const ROOT_DEPTH = { home: 2, users: 2, 'documents and settings': 2, media: 3, mnt: 2, volumes: 2, run: 4 };

const DRIVE = /^[A-Za-z]:$/;
const DISC_FOLDER = /^(?:cd|disc|disk)\s*[-_]?\s*(\d{1,2})$/i;

// Whether the folder at `i` only holds music rather than naming it: a
// drive, a home or mount folder, or a generic name like "Music".
/** @param {string[]} segs @param {number} i */
function isContainer(segs, i) {
  if (i < 0) return true;
  const name = segs[i];
  if (DRIVE.test(name)) return true;
  const lower = name.toLowerCase().trim();
  if (!lower || CONTAINERS.has(lower)) return true;
  const top = segs[0].toLowerCase();
  let depth = ROOT_DEPTH[top];
  if (depth === undefined && DRIVE.test(segs[0]) && segs.length > 1) depth = ROOT_DEPTH[segs[1].toLowerCase()] + 1;
  if (depth !== undefined && i < depth) return true;
  return i === 0 && !DRIVE.test(segs[0]) && segs.length > 1;
}

// What a folder says about the tracks in it: album (its name), album
// artist (its parent's, for Artist/Album/track), disc (for Album/CD1).
// `albumUrl` is the folder that stands for the album.
/** @param {string} folderUrl @returns {FolderTags} */
function inferFolder(folderUrl) {
  const segs = segments(folderUrl);
  let at = segs.length - 1, disc = 0, albumUrl = folderUrl;
  const m = at >= 1 ? DISC_FOLDER.exec(segs[at]) : null;
  if (m && !isContainer(segs, at - 1)) {
    disc = Number(m[1]);
    at--;
    albumUrl = /** @type {string} */ (parentUrl(folderUrl)); // two folders at least: never null
  }
  const album = isContainer(segs, at) ? '' : segs[at];
  const albumArtist = album && !isContainer(segs, at - 1) ? segs[at - 1] : '';
  return { url: folderUrl, name: segs.length ? segs[segs.length - 1] : '', album: album, albumArtist: albumArtist, disc: disc, albumUrl: albumUrl };
}

// Leading numbers of a name: "1-05 Title" (disc and track), "01 - Intro",
// "01. Intro", "01-Intro", "(01) Intro", and "05 Intro" when written with a
// leading zero, so that "50 Cent" or "99 Luftballons" keep their number.
const DISC_TRACK = /^(\d{1,2})-(\d{1,3})(?:\s*[-.)_]\s*|\s+)(?=\S)/;
const TRACK = /^\(?(\d{1,3})(?:\s*[.)_]\s*|\s*-\s*|(?=\s))\s*(?=\S)/;
const ONLY_DIGITS = /^\d{1,3}$/;

/** @param {string} text */
function leadingNumber(text) {
  let m = DISC_TRACK.exec(text);
  if (m) return { disc: Number(m[1]), track: Number(m[2]), rest: text.slice(m[0].length) };
  m = TRACK.exec(text);
  if (!m) return null;
  const bare = /^\(?\d+\s/.test(m[0]) && !/[-.)_]/.test(m[0].slice(m[1].length));
  if (bare && m[1].charAt(0) !== '0') return null;
  return { disc: 0, track: Number(m[1]), rest: text.slice(m[0].length) };
}

/** @param {string} text */
function splitArtist(text) {
  const i = text.indexOf(' - ');
  return i >= 0 ? { artist: text.slice(0, i), title: text.slice(i + 3) } : null;
}

// The values a track shows. `folder` is inferFolder of its folder.
// `artistInferred` and `titleInferred` say where the record's own value
// was replaced; album, album artist and numbers are always inferred.
/** @param {{ title: string, artist: string }} record @param {FolderTags} folder @returns {Tags} */
function inferTrack(record, folder) {
  let title = record.title, artist = record.artist;
  let track = 0, disc = folder.disc, artistInferred = false, titleInferred = false, n;
  if (ONLY_DIGITS.test(artist)) {
    // "01 - Intro" or "01 - Artist - Title".
    track = Number(artist);
    const split = splitArtist(title);
    if (split && split.artist) { artist = split.artist; title = split.title; titleInferred = true; } else artist = '';
    artistInferred = true;
  } else if (artist !== NO_ARTIST && (n = leadingNumber(artist)) && n.rest && n.track && (artist.charAt(0) === '0' || n.disc)) {
    // "01 Artist - Title" and "1-05 Artist - Title".
    track = n.track; disc = n.disc || disc; artist = n.rest; artistInferred = true;
  } else if ((n = leadingNumber(title)) && n.rest) {
    // "01. Intro" (no artist), or "Artist - 01 - Title".
    track = n.track; disc = n.disc || disc; title = n.rest; titleInferred = true;
  } else if (ONLY_DIGITS.test(title)) {
    track = Number(title);
  }
  if ((artist === NO_ARTIST || !artist) && folder.albumArtist) { artist = folder.albumArtist; artistInferred = true; }
  return {
    title: title, artist: artist, album: folder.album, albumArtist: folder.albumArtist,
    track: track, disc: disc, artistInferred: artistInferred, titleInferred: titleInferred,
    folder: folder
  };
}

// Folder inferences made once per folder, and each track's own once.
class TagCache {
  constructor() {
    /** @type {Map<string, FolderTags>} */
    this.folders = new Map();
  }

  /** @param {string} folderUrl */
  folder(folderUrl) {
    let f = this.folders.get(folderUrl);
    if (!f) { f = inferFolder(folderUrl); this.folders.set(folderUrl, f); }
    return f;
  }

  // A track's tags, kept on the track like its search key.
  /** @param {Track} t @returns {Tags} */
  of(t) {
    if (t.tags) return t.tags;
    return (t.tags = inferTrack(t, this.folder(parentUrl(t.url) || t.url)));
  }
}

// Picture files an album folder may hold, in the order they are tried.
// Windows ignores case; elsewhere the capitalised names are tried too.
const COVER_NAMES = ['cover', 'folder', 'front', 'AlbumArtSmall'];
const COVER_TYPES = ['.jpg', '.jpeg', '.png'];

// Elsewhere names are also tried capitalised and in capitals, each with
// its extension in capitals too (Folder.jpg, COVER.JPG, cover.PNG).
/** @param {string} folderUrl */
function coverCandidates(folderUrl) {
  const windows = /^file:\/\/\/[A-Za-z]:/.test(folderUrl);
  /** @type {string[]} */
  const names = [];
  COVER_NAMES.forEach(function (n) {
    const spellings = windows ? [n] : [n, n.charAt(0).toUpperCase() + n.slice(1), n.toUpperCase()];
    spellings.filter(function (x, i) { return spellings.indexOf(x) === i; }).forEach(function (name) {
      COVER_TYPES.forEach(function (x) { names.push(name + x); });
      if (!windows) COVER_TYPES.forEach(function (x) { names.push(name + x.toUpperCase()); });
    });
  });
  return names.map(function (n) { return folderUrl + '/' + n; });
}

export { NO_ARTIST, inferFolder, leadingNumber, inferTrack, TagCache, coverCandidates };
