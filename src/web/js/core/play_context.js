/* Sonabel player: what plays next. The context is the list as it was shown
   when playback started, fixed from then on; "Up next" holds queued tracks,
   which play before the context goes on. No DOM here, so Node tests it. */
import { Shuffle, stepIndex } from './shuffle.js';

/** @typedef {import('./library.js').Track} Track */

/**
 * `playable` says whether a track may be tried; `auto` is the end of a
 * track; `repeat` is the setting ('off', 'all', 'one').
 * @typedef {{ playable?: (t: Track) => boolean, auto?: boolean, repeat?: string }} NextOptions
 */

const STORED_VERSION = 1;

class PlayContext {
  /** @param {() => number} [rng] */
  constructor(rng) {
    this.rng = rng || Math.random;
    /** @type {Track[]} */
    this.list = [];       // the context, in the order it was shown
    this.pos = -1;        // the context track now playing (or last played)
    /** @type {Track[]} */
    this.queue = [];      // Up next
    /** @type {Shuffle<Track> | null} */
    this.shuffle = null;  // a Shuffle over the list while shuffle is on
    /** @type {Track | null} */
    this.current = null;  // what plays now: from the list or from the queue
    this.stopAfter = false;
  }

  // Starts playing `track` with `list` as the new context.
  /** @param {readonly Track[]} list @param {Track | null} track @param {boolean} shuffled */
  start(list, track, shuffled) {
    this.list = list.slice();
    this.pos = this.list.indexOf(/** @type {Track} */ (track));
    this.current = track;
    this.shuffle = shuffled ? new Shuffle(this.list, this.rng, this.pos >= 0 ? track : undefined) : null;
  }

  /** @param {boolean} on */
  setShuffle(on) {
    const at = this.pos >= 0 ? this.list[this.pos] : undefined;
    this.shuffle = on ? new Shuffle(this.list, this.rng, at) : null;
  }

  /** @param {readonly Track[]} tracks @param {boolean} [first] */
  enqueue(tracks, first) {
    const fresh = tracks.filter(function (t) { return t; });
    this.queue = first ? fresh.concat(this.queue) : this.queue.concat(fresh);
  }

  /** @param {number} i */
  unqueue(i) { this.queue.splice(i, 1); }
  clearQueue() { this.queue = []; }

  /** @param {number} from @param {number} to */
  moveQueued(from, to) {
    if (from < 0 || from >= this.queue.length) return false;
    to = Math.max(0, Math.min(this.queue.length - 1, to));
    const t = this.queue.splice(from, 1)[0];
    this.queue.splice(to, 0, t);
    return true;
  }

  // The next track to play, or null. `auto` is the end of a track: then the
  // end of the context stops unless `repeat` is 'all'. `playable` says
  // whether a track may be tried; others are passed over.
  /** @param {NextOptions} [opts] @returns {Track | null} */
  next(opts) {
    opts = opts || {};
    const playable = opts.playable || function () { return true; };
    const wrap = opts.repeat === 'all' || !opts.auto;
    while (this.queue.length) {
      const q = /** @type {Track} */ (this.queue.shift());
      if (playable(q)) { this.current = q; return q; }
    }
    const n = this.list.length;
    let t;
    if (this.shuffle) {
      for (let tries = 0; tries <= n; tries++) {
        t = this.shuffle.next(wrap);
        if (t === undefined) return null;
        if (playable(t)) return contextTrack(this, t);
      }
      return null;
    }
    for (let k = 1; k <= n; k++) {
      const i = stepIndex(n, this.pos, k, wrap);
      if (i < 0) return null;
      if (playable(this.list[i])) { this.pos = i; return contextTrack(this, this.list[i]); }
    }
    return null;
  }

  // What next() would give at the end of the current track, without moving:
  // the track to have ready. A new shuffle pass is not guessed at.
  /** @param {NextOptions} [opts] @returns {Track | null} */
  peekNext(opts) {
    opts = opts || {};
    const playable = opts.playable || function () { return true; };
    for (let q = 0; q < this.queue.length; q++) if (playable(this.queue[q])) return this.queue[q];
    const n = this.list.length;
    let t;
    if (this.shuffle) {
      for (let s = this.shuffle.pos + 1; s < this.shuffle.order.length; s++) {
        t = this.shuffle.order[s];
        if (playable(t)) return t;
      }
      return null;
    }
    for (let k = 1; k <= n; k++) {
      const i = stepIndex(n, this.pos, k, opts.repeat === 'all');
      if (i < 0) return null;
      if (playable(this.list[i])) return this.list[i];
    }
    return null;
  }

  // Back in the context; from a queued track, back to the context track
  // it interrupted.
  /** @param {NextOptions} [opts] @returns {Track | null} */
  previous(opts) {
    const playable = (opts && opts.playable) || function () { return true; };
    if (this.pos >= 0 && this.current !== this.list[this.pos] && playable(this.list[this.pos])) return contextTrack(this, this.list[this.pos]);
    if (this.shuffle) {
      for (let t = this.shuffle.previous(); t !== undefined; t = this.shuffle.previous()) {
        if (playable(t)) return contextTrack(this, t);
      }
      return null;
    }
    for (let i = this.pos - 1; i >= 0; i--) {
      if (playable(this.list[i])) { this.pos = i; return contextTrack(this, this.list[i]); }
    }
    return null;
  }

  // Tracks left the library: they leave the context and the queue. When the
  // current one goes, next() goes on with the one that followed it.
  /** @param {Set<Track>} gone */
  remove(gone) {
    /** @type {Track[]} */
    const kept = [];
    let pos = -1;
    for (let i = 0; i < this.list.length; i++) {
      if (!gone.has(this.list[i])) kept.push(this.list[i]);
      // A removed current track leaves pos on the one before it.
      if (i === this.pos) pos = kept.length - 1;
    }
    this.list = kept;
    this.pos = pos;
    this.queue = this.queue.filter(function (t) { return !gone.has(t); });
    if (this.shuffle) this.shuffle.sync(kept);
    if (this.current && gone.has(this.current)) this.current = null;
  }

  clear() {
    this.list = []; this.pos = -1; this.queue = []; this.current = null;
    if (this.shuffle) this.shuffle = new Shuffle([], this.rng);
  }

  // As stored: tracks by their place in the library, which is stored in the
  // same transaction, so the two always agree.
  toStored() {
    const at = function (/** @type {Track} */ t) { return t.index; };
    return {
      version: STORED_VERSION,
      list: this.list.map(at), pos: this.pos, queue: this.queue.map(at),
      current: this.current ? this.current.index : -1, stopAfter: this.stopAfter,
      order: this.shuffle ? this.shuffle.order.map(at) : null, orderPos: this.shuffle ? this.shuffle.pos : -1
    };
  }

  // Takes back a stored context; anything that does not fit the library
  // is dropped, so damaged data costs only itself.
  /** @param {any} data @param {Track[]} tracks */
  fromStored(data, tracks) {
    if (!data || typeof data !== 'object' || data.version !== STORED_VERSION) return false;
    const pick = function (/** @type {unknown} */ a) {
      if (!Array.isArray(a)) return [];
      /** @type {Track[]} */
      const out = [];
      for (let i = 0; i < a.length; i++) if (Number.isInteger(a[i]) && tracks[a[i]]) out.push(tracks[a[i]]);
      return out;
    };
    this.list = pick(data.list);
    this.queue = pick(data.queue);
    this.pos = Number.isInteger(data.pos) && data.pos < this.list.length ? Math.max(-1, data.pos) : -1;
    this.current = Number.isInteger(data.current) && tracks[data.current] ? tracks[data.current] : null;
    this.stopAfter = data.stopAfter === true;
    if (Array.isArray(data.order)) {
      this.shuffle = new Shuffle([], this.rng);
      this.shuffle.order = pick(data.order);
      this.shuffle.pos = Number.isInteger(data.orderPos) ? Math.min(data.orderPos, this.shuffle.order.length - 1) : -1;
      this.shuffle.sync(this.list);
    } else this.shuffle = null;
    return true;
  }
}

/** @param {PlayContext} self @param {Track} t */
function contextTrack(self, t) {
  self.current = t;
  if (self.shuffle) self.pos = self.list.indexOf(t);
  return t;
}

export { PlayContext };
