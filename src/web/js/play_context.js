/* Sonabel player: what plays next. The context is the list as it was shown
   when playback started, fixed from then on; "Up next" holds queued tracks,
   which play before the context goes on. No DOM here, so Node tests it. */
(function (root, factory) {
  var made = factory(typeof module !== 'undefined' && module.exports ? require('./core.js') : root.SonabelCore);
  if (typeof module !== 'undefined' && module.exports) module.exports = made;
  else root.SonabelPlayContext = made;
})(typeof self !== 'undefined' ? self : this, function (core) {
  'use strict';

  var STORED_VERSION = 1;

  function PlayContext(rng) {
    this.rng = rng || Math.random;
    this.list = [];       // the context, in the order it was shown
    this.pos = -1;        // the context track now playing (or last played)
    this.queue = [];      // Up next
    this.shuffle = null;  // a core.Shuffle over the list while shuffle is on
    this.current = null;  // what plays now: from the list or from the queue
    this.stopAfter = false;
  }

  // Starts playing `track` with `list` as the new context.
  PlayContext.prototype.start = function (list, track, shuffled) {
    this.list = list.slice();
    this.pos = this.list.indexOf(track);
    this.current = track;
    this.shuffle = shuffled ? new core.Shuffle(this.list, this.rng, this.pos >= 0 ? track : undefined) : null;
  };

  PlayContext.prototype.setShuffle = function (on) {
    var at = this.pos >= 0 ? this.list[this.pos] : undefined;
    this.shuffle = on ? new core.Shuffle(this.list, this.rng, at) : null;
  };

  PlayContext.prototype.enqueue = function (tracks, first) {
    var fresh = tracks.filter(function (t) { return t; });
    this.queue = first ? fresh.concat(this.queue) : this.queue.concat(fresh);
  };

  PlayContext.prototype.unqueue = function (i) { this.queue.splice(i, 1); };
  PlayContext.prototype.clearQueue = function () { this.queue = []; };
  PlayContext.prototype.moveQueued = function (from, to) {
    if (from < 0 || from >= this.queue.length) return false;
    to = Math.max(0, Math.min(this.queue.length - 1, to));
    var t = this.queue.splice(from, 1)[0];
    this.queue.splice(to, 0, t);
    return true;
  };

  function contextTrack(self, t) {
    self.current = t;
    if (self.shuffle) self.pos = self.list.indexOf(t);
    return t;
  }

  // The next track to play, or null. `auto` is the end of a track: then the
  // end of the context stops unless `repeat` is 'all'. `playable` says
  // whether a track may be tried; others are passed over.
  PlayContext.prototype.next = function (opts) {
    opts = opts || {};
    var playable = opts.playable || function () { return true; };
    var wrap = opts.repeat === 'all' || !opts.auto;
    while (this.queue.length) {
      var q = this.queue.shift();
      if (playable(q)) { this.current = q; return q; }
    }
    var n = this.list.length, t;
    if (this.shuffle) {
      for (var tries = 0; tries <= n; tries++) {
        t = this.shuffle.next(wrap);
        if (t === undefined) return null;
        if (playable(t)) return contextTrack(this, t);
      }
      return null;
    }
    for (var k = 1; k <= n; k++) {
      var i = core.stepIndex(n, this.pos, k, wrap);
      if (i < 0) return null;
      if (playable(this.list[i])) { this.pos = i; return contextTrack(this, this.list[i]); }
    }
    return null;
  };

  // What next() would give at the end of the current track, without moving:
  // the track to have ready. A new shuffle pass is not guessed at.
  PlayContext.prototype.peekNext = function (opts) {
    opts = opts || {};
    var playable = opts.playable || function () { return true; };
    for (var q = 0; q < this.queue.length; q++) if (playable(this.queue[q])) return this.queue[q];
    var n = this.list.length, t;
    if (this.shuffle) {
      for (var s = this.shuffle.pos + 1; s < this.shuffle.order.length; s++) {
        t = this.shuffle.order[s];
        if (playable(t)) return t;
      }
      return null;
    }
    for (var k = 1; k <= n; k++) {
      var i = core.stepIndex(n, this.pos, k, opts.repeat === 'all');
      if (i < 0) return null;
      if (playable(this.list[i])) return this.list[i];
    }
    return null;
  };

  // Back in the context; from a queued track, back to the context track
  // it interrupted.
  PlayContext.prototype.previous = function (opts) {
    var playable = (opts && opts.playable) || function () { return true; };
    if (this.pos >= 0 && this.current !== this.list[this.pos] && playable(this.list[this.pos])) return contextTrack(this, this.list[this.pos]);
    if (this.shuffle) {
      for (var t = this.shuffle.previous(); t !== undefined; t = this.shuffle.previous()) {
        if (playable(t)) return contextTrack(this, t);
      }
      return null;
    }
    for (var i = this.pos - 1; i >= 0; i--) {
      if (playable(this.list[i])) { this.pos = i; return contextTrack(this, this.list[i]); }
    }
    return null;
  };

  // Tracks left the library: they leave the context and the queue. When the
  // current one goes, next() goes on with the one that followed it.
  PlayContext.prototype.remove = function (gone) {
    var kept = [], pos = -1;
    for (var i = 0; i < this.list.length; i++) {
      if (!gone.has(this.list[i])) kept.push(this.list[i]);
      // A removed current track leaves pos on the one before it.
      if (i === this.pos) pos = kept.length - 1;
    }
    this.list = kept;
    this.pos = pos;
    this.queue = this.queue.filter(function (t) { return !gone.has(t); });
    if (this.shuffle) this.shuffle.sync(kept);
    if (this.current && gone.has(this.current)) this.current = null;
  };

  PlayContext.prototype.clear = function () {
    this.list = []; this.pos = -1; this.queue = []; this.current = null;
    if (this.shuffle) this.shuffle = new core.Shuffle([], this.rng);
  };

  // As stored: tracks by their place in the library, which is stored in the
  // same transaction, so the two always agree.
  PlayContext.prototype.toStored = function () {
    var at = function (t) { return t.index; };
    return {
      version: STORED_VERSION,
      list: this.list.map(at), pos: this.pos, queue: this.queue.map(at),
      current: this.current ? this.current.index : -1, stopAfter: this.stopAfter,
      order: this.shuffle ? this.shuffle.order.map(at) : null, orderPos: this.shuffle ? this.shuffle.pos : -1
    };
  };

  // Takes back a stored context; anything that does not fit the library
  // is dropped, so damaged data costs only itself.
  PlayContext.prototype.fromStored = function (data, tracks) {
    if (!data || typeof data !== 'object' || data.version !== STORED_VERSION) return false;
    var pick = function (a) {
      if (!Array.isArray(a)) return [];
      var out = [];
      for (var i = 0; i < a.length; i++) if (Number.isInteger(a[i]) && tracks[a[i]]) out.push(tracks[a[i]]);
      return out;
    };
    this.list = pick(data.list);
    this.queue = pick(data.queue);
    this.pos = Number.isInteger(data.pos) && data.pos < this.list.length ? Math.max(-1, data.pos) : -1;
    this.current = Number.isInteger(data.current) && tracks[data.current] ? tracks[data.current] : null;
    this.stopAfter = data.stopAfter === true;
    if (Array.isArray(data.order)) {
      this.shuffle = new core.Shuffle([], this.rng);
      this.shuffle.order = pick(data.order);
      this.shuffle.pos = Number.isInteger(data.orderPos) ? Math.min(data.orderPos, this.shuffle.order.length - 1) : -1;
      this.shuffle.sync(this.list);
    } else this.shuffle = null;
    return true;
  };

  return { PlayContext: PlayContext };
});
