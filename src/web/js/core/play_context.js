/* Sonabel player: what plays next. The context is the list as it was shown
   when playback started, fixed from then on; "Up next" holds queued tracks,
   which play before the context goes on. No DOM here, so Node tests it. */
import { Shuffle, stepIndex } from './shuffle.js';

const STORED_VERSION = 1;

class PlayContext {
  constructor(rng) {
    this.rng = rng || Math.random;
    this.list = [];       // the context, in the order it was shown
    this.pos = -1;        // the context track now playing (or last played)
    this.queue = [];      // Up next
    this.shuffle = null;  // a Shuffle over the list while shuffle is on
    this.current = null;  // what plays now: from the list or from the queue
    this.stopAfter = false;
  }

  // Starts playing `track` with `list` as the new context.
  start(list, track, shuffled) {
    this.list = list.slice();
    this.pos = this.list.indexOf(track);
    this.current = track;
    this.shuffle = shuffled ? new Shuffle(this.list, this.rng, this.pos >= 0 ? track : undefined) : null;
  }

  setShuffle(on) {
    const at = this.pos >= 0 ? this.list[this.pos] : undefined;
    this.shuffle = on ? new Shuffle(this.list, this.rng, at) : null;
  }

  enqueue(tracks, first) {
    const fresh = tracks.filter(function (t) { return t; });
    this.queue = first ? fresh.concat(this.queue) : this.queue.concat(fresh);
  }

  unqueue(i) { this.queue.splice(i, 1); }
  clearQueue() { this.queue = []; }

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
  next(opts) {
    opts = opts || {};
    const playable = opts.playable || function () { return true; };
    const wrap = opts.repeat === 'all' || !opts.auto;
    while (this.queue.length) {
      const q = this.queue.shift();
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
  remove(gone) {
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
    const at = function (t) { return t.index; };
    return {
      version: STORED_VERSION,
      list: this.list.map(at), pos: this.pos, queue: this.queue.map(at),
      current: this.current ? this.current.index : -1, stopAfter: this.stopAfter,
      order: this.shuffle ? this.shuffle.order.map(at) : null, orderPos: this.shuffle ? this.shuffle.pos : -1
    };
  }

  // Takes back a stored context; anything that does not fit the library
  // is dropped, so damaged data costs only itself.
  fromStored(data, tracks) {
    if (!data || typeof data !== 'object' || data.version !== STORED_VERSION) return false;
    const pick = function (a) {
      if (!Array.isArray(a)) return [];
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

function contextTrack(self, t) {
  self.current = t;
  if (self.shuffle) self.pos = self.list.indexOf(t);
  return t;
}

export { PlayContext };
