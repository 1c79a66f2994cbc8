/* Sonabel player: the library model: tracks as the shell delivered them,
   with what the library learnt of them, in the order added. */
import { fold } from './text.js';

/**
 * A record as the shell delivers it, once checked.
 * @typedef {{ title: string, artist: string, url: string, format: string }} TrackRecord
 */

/**
 * A track as the library holds it.
 * @typedef {object} Track
 * @property {number} index
 * @property {string} title
 * @property {string} artist
 * @property {string} url
 * @property {string} format
 * @property {number | null} duration seconds; null until known
 * @property {boolean} bad
 * @property {number} added
 * @property {number} plays
 * @property {number} lastPlayed
 * @property {string | null} [key] see keyOf
 * @property {import('./tags.js').Tags} [tags] see tags.TagCache
 */

/** @typedef {{ added: number, duplicates: number, skipped: number }} BatchResult */

const FIELDS = ['title', 'artist', 'url', 'format'];

/** @param {any} r @returns {r is TrackRecord} */
function isValidRecord(r) {
  if (r === null || typeof r !== 'object') return false;
  for (let i = 0; i < FIELDS.length; i++) {
    if (typeof r[FIELDS[i]] !== 'string') return false;
  }
  return r.url.length > 0;
}

/** @param {unknown} x */
function count(x) { return typeof x === 'number' && isFinite(x) && x > 0 ? Math.floor(x) : 0; }

// `stats`, when given, holds what the library learnt of the track:
// `added` and `lastPlayed` (ms since the epoch, 0 when unknown), `plays`.
/**
 * @param {string} title @param {string} artist @param {string} url @param {string} format
 * @param {unknown} duration @param {boolean} bad @param {ArrayLike<unknown> | null} [stats]
 * @returns {Track}
 */
function makeTrack(title, artist, url, format, duration, bad, stats) {
  return {
    index: 0, // position in the order added, kept current by the library
    title: title, artist: artist, url: url, format: format,
    duration: typeof duration === 'number' && isFinite(duration) && duration >= 0 ? duration : null,
    bad: !!bad,
    added: stats ? count(stats[0]) : 0,
    plays: stats ? count(stats[1]) : 0,
    lastPlayed: stats ? count(stats[2]) : 0,
    key: null // search text, made on first use: an ingest of 100,000 tracks should not wait for it
  };
}

// Folded title and artist, apart by a character that no search term
// contains, so that a term cannot match across the two. join, unlike +,
// gives a flat string, which later searches scan faster.
/** @param {Track} t */
function keyOf(t) {
  return t.key || (t.key = [fold(t.title), fold(t.artist)].join('\u0000'));
}

class Library {
  constructor() {
    /** @type {Track[]} */
    this.tracks = [];
    /** @type {Map<string, Track>} */
    this.byUrl = new Map();
    this.version = 0; // bumped on every change of membership or order
    this.knownSeconds = 0;
    this.knownCount = 0;
  }

  size() { return this.tracks.length; }

  // Returns how many records were added, were already present (same url,
  // also within this batch) and were not usable records at all.
  // `from` and `to` limit the work to part of the array, so that a large
  // batch can be taken in steps; `into` adds the counts to an earlier result.
  /** @param {unknown} records @param {number} [from] @param {number} [to] @param {BatchResult} [into] */
  addRecords(records, from, to, into) {
    const result = into || { added: 0, duplicates: 0, skipped: 0 };
    if (!Array.isArray(records)) return result;
    const end = to === undefined ? records.length : Math.min(to, records.length);
    const addedBefore = result.added, stats = [Date.now(), 0, 0];
    for (let i = from || 0; i < end; i++) {
      const r = records[i];
      if (!isValidRecord(r)) { result.skipped++; continue; }
      if (this.byUrl.has(r.url)) { result.duplicates++; continue; }
      this._push(makeTrack(r.title, r.artist, r.url, r.format, null, false, stats));
      result.added++;
    }
    if (result.added > addedBefore) this.version++;
    return result;
  }

  /** @param {Track} t */
  _push(t) {
    t.index = this.tracks.length;
    this.tracks.push(t);
    this.byUrl.set(t.url, t);
    if (t.duration !== null) { this.knownSeconds += t.duration; this.knownCount++; }
  }

  /** @param {Track} t @param {unknown} seconds */
  setDuration(t, seconds) {
    if (typeof seconds !== 'number' || !isFinite(seconds) || seconds < 0) return false;
    if (t.duration !== null) { this.knownSeconds -= t.duration; this.knownCount--; }
    t.duration = seconds;
    this.knownSeconds += seconds;
    this.knownCount++;
    return true;
  }

  // Removes every track in the set; returns the lowest position touched, or
  // -1. `into`, when given, collects the removed tracks in order, each still
  // holding its old position (for restore()).
  /** @param {Set<Track> | null | undefined} set @param {Track[]} [into] */
  remove(set, into) {
    if (!set || set.size === 0) return -1;
    const kept = [];
    let first = -1;
    for (let i = 0; i < this.tracks.length; i++) {
      const t = this.tracks[i];
      if (set.has(t)) {
        if (first < 0) first = i;
        if (into) into.push(t);
        this.byUrl.delete(t.url);
        if (t.duration !== null) { this.knownSeconds -= t.duration; this.knownCount--; }
      } else {
        t.index = kept.length;
        kept.push(t);
      }
    }
    if (first >= 0) { this.tracks = kept; this.version++; }
    return first;
  }

  // Puts removed tracks back where they were; `removed` is what remove()
  // returned. Tracks whose url came back meanwhile stay out. Returns the
  // lowest position touched, or -1.
  /** @param {Track[]} removed */
  restore(removed) {
    const back = removed.filter(/** @this {Library} @param {Track} t */ function (t) { return !this.byUrl.has(t.url); }, this);
    if (!back.length) return -1;
    const merged = [];
    let i = 0;
    let j = 0;
    const old = this.tracks;
    // Both lists are in their original order; a restored track takes its
    // old place relative to the tracks that stayed.
    while (i < old.length || j < back.length) {
      if (j < back.length && (i >= old.length || back[j].index <= merged.length)) merged.push(back[j++]);
      else merged.push(old[i++]);
    }
    let first = -1;
    for (let k = 0; k < merged.length; k++) {
      if (first < 0 && merged[k] !== old[k]) first = k;
      merged[k].index = k;
    }
    this.tracks = merged;
    for (let b = 0; b < back.length; b++) {
      this.byUrl.set(back[b].url, back[b]);
      if (back[b].duration !== null) { this.knownSeconds += /** @type {number} */ (back[b].duration); this.knownCount++; }
    }
    this.version++;
    return first;
  }

  // One more play of a track, at `when` (ms since the epoch).
  /** @param {Track} t @param {number} when */
  countPlay(t, when) {
    t.plays++;
    t.lastPlayed = when;
  }

  clear() {
    this.tracks = [];
    this.byUrl = new Map();
    this.knownSeconds = 0;
    this.knownCount = 0;
    this.version++;
  }
}

export { isValidRecord, makeTrack, keyOf, Library };
