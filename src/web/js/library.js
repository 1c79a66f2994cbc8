/* Sonabel player: the library, changed only through the changes here,
   each of which reaches the store (storage.js) and emits 'library'.
   Membership changes are written at once; durations, playability and play
   counts are gathered there. */
import { Library } from './core/library.js';
import { LibraryStore } from './storage.js';
import { emit } from './events.js';
import { removeFromContext, storedContext } from './playing.js';

/** @typedef {import('./core/library.js').Track} Track */

/** The library; replaced once by the stored one (see adoptStored). */
export let lib = new Library();

export const store = new LibraryStore(() => lib, storedContext);

// The stored library takes over once read; a batch that came in while
// loading is added after its tracks.
/** @param {Library} stored */
export function adoptStored(stored) {
  const early = lib.tracks;
  lib = stored;
  if (early.length) addRecords(early, 0, early.length, { added: 0, duplicates: 0, skipped: 0 });
  emit('library', { stored: true });
}

// Adds part of a batch (see import.js); returns the counts so far.
/** @param {unknown[]} records @param {number} from @param {number} to @param {import('./core/library.js').BatchResult} result */
export function addRecords(records, from, to, result) {
  const before = lib.size(), added = result.added;
  lib.addRecords(records, from, to, result);
  if (result.added > added) {
    store.touch(lib, before);
    emit('library', { added: result.added - added });
  }
  return result;
}

// The last removal, until the next one: what undoRemoval puts back.
/** @type {null | Track[]} */
let lastRemoval = null;

// Removes the tracks in `gone` from the library, the context and the
// queue. Returns how many went.
/** @param {Set<Track>} gone */
export function removeTracks(gone) {
  if (!gone.size) return 0;
  /** @type {Track[]} */
  const removed = [];
  if (lib.remove(gone, removed) < 0) return 0;
  removeFromContext(gone);
  lastRemoval = removed;
  store.touchRemoved(lib, removed);
  emit('library', { removed });
  emit('playing');
  return removed.length;
}

// Returns how many came back.
export function undoRemoval() {
  if (!lastRemoval) return 0;
  const back = lastRemoval;
  lastRemoval = null;
  const n = back.filter((t) => !lib.byUrl.has(t.url)).length;
  const from = lib.restore(back);
  if (from < 0) return 0;
  store.touch(lib, from);
  emit('library', { restored: back });
  return n;
}

/** @param {Track} t @param {number} seconds */
export function setDuration(t, seconds) {
  if (lib.byUrl.get(t.url) !== t || !lib.setDuration(t, seconds)) return false;
  store.touchTrack(lib, t);
  emit('library', { duration: t });
  return true;
}

/** @param {Track} t @param {boolean} bad */
export function setBad(t, bad) {
  if (t.bad === bad || lib.byUrl.get(t.url) !== t) return;
  t.bad = bad;
  store.touchTrack(lib, t);
  emit('library', { bad: t });
}

// A track played through (see play_stats.js): counted, with the time.
/** @param {Track} t */
export function countPlay(t) {
  if (lib.byUrl.get(t.url) !== t) return;
  lib.countPlay(t, Date.now());
  store.touchTrack(lib, t);
  emit('library', { played: t });
}
