/* Sonabel player: the library as it is stored: packed tracks in chunks,
   and a meta record that says how many there are. */
import { Library, makeTrack } from './library.js';

/** @typedef {import('./library.js').Track} Track */

const STORE_VERSION = 1;
const CHUNK_SIZE = 5000;

// Entries written before the library kept its statistics stop at `bad`;
// they read back with none.
/** @param {Track} t */
function packTrack(t) {
  return [t.title, t.artist, t.url, t.format, t.duration, t.bad ? 1 : 0, t.added, t.plays, t.lastPlayed];
}

// A stored chunk: the tracks from position `from` up to `to`.
/** @param {readonly Track[]} tracks @param {number} from @param {number} to */
function packRange(tracks, from, to) {
  to = Math.min(tracks.length, to);
  const out = new Array(Math.max(0, to - from));
  for (let i = from; i < to; i++) out[i - from] = packTrack(tracks[i]);
  return out;
}

/** @param {number} n */
function chunkCount(n) { return Math.ceil(n / CHUNK_SIZE); }

/** @param {any} meta */
function validMeta(meta) {
  return !!meta && typeof meta === 'object' && meta.version === STORE_VERSION &&
    Number.isInteger(meta.count) && meta.count >= 0 && meta.chunkSize === CHUNK_SIZE;
}

// Rebuilds a library from what the store held. Anything that does not look
// like our own data is dropped entry by entry, so one damaged chunk costs
// only its own tracks, and a damaged meta record gives an empty library.
/** @param {any} meta @param {unknown} chunks */
function unpackLibrary(meta, chunks) {
  const lib = new Library();
  if (!validMeta(meta) || !Array.isArray(chunks)) return lib;
  for (let c = 0; c < chunks.length; c++) {
    const chunk = chunks[c];
    if (!Array.isArray(chunk)) continue;
    for (let i = 0; i < chunk.length; i++) {
      const e = chunk[i];
      if (!Array.isArray(e) || e.length < 6) continue;
      if (typeof e[0] !== 'string' || typeof e[1] !== 'string' || typeof e[2] !== 'string' ||
          typeof e[3] !== 'string' || !e[2] || lib.byUrl.has(e[2])) continue;
      lib._push(makeTrack(e[0], e[1], e[2], e[3], e[4], e[5] === 1, e.length > 6 ? e.slice(6, 9) : null));
    }
  }
  if (lib.tracks.length > meta.count) {
    // More than the meta record promised: a write was cut short; trust the meta.
    lib.remove(new Set(lib.tracks.slice(meta.count)));
  }
  lib.version = 1;
  return lib;
}

export { STORE_VERSION, CHUNK_SIZE, packTrack, packRange, chunkCount, validMeta, unpackLibrary };
