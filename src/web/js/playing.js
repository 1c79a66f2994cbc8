/* Sonabel player: what plays next, changed only here. The context is the
   list as it was shown when playback started; Up next holds queued tracks,
   which play before the context goes on. Every change reaches the store and
   emits 'playing'. */
import { PlayContext } from './core/play_context.js';
import { emit } from './events.js';
import { store } from './library.js';

/** @typedef {import('./library.js').Track} Track */
/** @typedef {import('./core/play_context.js').NextOptions} NextOptions */

const context = new PlayContext();

function changed() {
  store.touchContext();
  emit('playing');
}

// ---- reads ----------------------------------------------------------------

/** @returns {readonly Track[]} */
export function queued() { return context.queue; }
export function stopsAfter() { return context.stopAfter; }
/** How many tracks the context and the queue hold. */
export function contextSize() { return context.list.length + context.queue.length; }
/** The track the context was at, as stored. @returns {Track | null} */
export function contextTrack() { return context.current; }
/** @param {NextOptions} [opts] */
export function peekNext(opts) { return context.peekNext(opts); }
export function storedContext() { return context.toStored(); }

// ---- changes --------------------------------------------------------------

// Playback starts from a list shown: it becomes the context. `track` null
// starts before its first track (or a shuffled pass over it).
/** @param {readonly Track[]} list @param {Track | null} track @param {boolean} shuffled */
export function startContext(list, track, shuffled) {
  context.start(!track || list.indexOf(track) >= 0 ? list.slice() : [track], track, shuffled);
  changed();
}

/** @param {Track[]} tracks @param {boolean} first */
export function enqueue(tracks, first) {
  if (!tracks.length) return;
  context.enqueue(tracks, first);
  changed();
}

/** @param {number} i */
export function unqueue(i) { context.unqueue(i); changed(); }
/** @param {number} from @param {number} to */
export function moveQueued(from, to) { context.moveQueued(from, to); changed(); }
export function clearQueue() { context.clearQueue(); changed(); }
/** @param {boolean} on */
export function setStopAfter(on) { context.stopAfter = !!on; changed(); }
/** @param {boolean} on */
export function setShuffleOrder(on) { context.setShuffle(on); changed(); }

// The next or previous track as the context and queue have it, or null.
/** @param {number} dir @param {NextOptions} [opts] */
export function advance(dir, opts) {
  const t = dir > 0 ? context.next(opts) : context.previous(opts);
  changed();
  return t;
}

// The stored context, taken back at start-up.
/** @param {any} data @param {Track[]} tracks */
export function restoreContext(data, tracks) {
  context.fromStored(data, tracks);
  emit('playing');
}

// The track restored at start without a stored context track.
/** @param {Track} t */
export function markCurrent(t) { context.current = t; }

// Tracks left the library (see library.js, which emits for both).
/** @param {Set<Track>} gone */
export function removeFromContext(gone) { context.remove(gone); }
