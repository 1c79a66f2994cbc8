/* Sonabel player: the parts with no DOM in them (library model, ordering,
   search, shuffle, stored formats), so that Node can test them directly. */
(function (root, factory) {
  var node = typeof module !== 'undefined' && module.exports;
  // The column table (columns.js) builds on this file, so it is looked up
  // only when settings are read, once every script has loaded.
  var core = factory(function () { return node ? require('./columns.js') : root.SonabelCore.columns; });
  if (node) module.exports = core;
  else root.SonabelCore = core;
})(typeof self !== 'undefined' ? self : this, function (columnTable) {
  'use strict';

  var FIELDS = ['title', 'artist', 'url', 'format'];

  function isValidRecord(r) {
    if (r === null || typeof r !== 'object') return false;
    for (var i = 0; i < FIELDS.length; i++) {
      if (typeof r[FIELDS[i]] !== 'string') return false;
    }
    return r.url.length > 0;
  }

  // Search and sort compare folded text: lower case without accents, so that
  // "cafe" finds "Café" and sorting does not split on case.
  var MARKS = /[\u0300-\u036f]/g;
  var NON_ASCII = /[^\x00-\x7f]/;
  function fold(s) {
    var lower = s.toLowerCase();
    // Pure ASCII is by far the common case and needs no normalisation.
    return NON_ASCII.test(lower) ? lower.normalize('NFD').replace(MARKS, '') : lower;
  }

  function count(x) { return typeof x === 'number' && isFinite(x) && x > 0 ? Math.floor(x) : 0; }

  // `stats`, when given, holds what the library learnt of the track:
  // `added` and `lastPlayed` (ms since the epoch, 0 when unknown), `plays`.
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
  function keyOf(t) {
    return t.key || (t.key = [fold(t.title), fold(t.artist)].join('\u0000'));
  }

  function Library() {
    this.tracks = [];
    this.byUrl = new Map();
    this.version = 0; // bumped on every change of membership or order
    this.knownSeconds = 0;
    this.knownCount = 0;
  }

  Library.prototype.size = function () { return this.tracks.length; };

  // Returns how many records were added, were already present (same url,
  // also within this batch) and were not usable records at all.
  // `from` and `to` limit the work to part of the array, so that a large
  // batch can be taken in steps; `into` adds the counts to an earlier result.
  Library.prototype.addRecords = function (records, from, to, into) {
    var result = into || { added: 0, duplicates: 0, skipped: 0 };
    if (!Array.isArray(records)) return result;
    var end = to === undefined ? records.length : Math.min(to, records.length);
    var addedBefore = result.added, stats = [Date.now(), 0, 0];
    for (var i = from || 0; i < end; i++) {
      var r = records[i];
      if (!isValidRecord(r)) { result.skipped++; continue; }
      if (this.byUrl.has(r.url)) { result.duplicates++; continue; }
      this._push(makeTrack(r.title, r.artist, r.url, r.format, null, false, stats));
      result.added++;
    }
    if (result.added > addedBefore) this.version++;
    return result;
  };

  Library.prototype._push = function (t) {
    t.index = this.tracks.length;
    this.tracks.push(t);
    this.byUrl.set(t.url, t);
    if (t.duration !== null) { this.knownSeconds += t.duration; this.knownCount++; }
  };

  Library.prototype.setDuration = function (t, seconds) {
    if (typeof seconds !== 'number' || !isFinite(seconds) || seconds < 0) return false;
    if (t.duration !== null) { this.knownSeconds -= t.duration; this.knownCount--; }
    t.duration = seconds;
    this.knownSeconds += seconds;
    this.knownCount++;
    return true;
  };

  // Removes every track in the set; returns the lowest position touched, or
  // -1. `into`, when given, collects the removed tracks in order, each still
  // holding its old position (for restore()).
  Library.prototype.remove = function (set, into) {
    if (!set || set.size === 0) return -1;
    var kept = [], first = -1;
    for (var i = 0; i < this.tracks.length; i++) {
      var t = this.tracks[i];
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
  };

  // Puts removed tracks back where they were; `removed` is what remove()
  // returned. Tracks whose url came back meanwhile stay out. Returns the
  // lowest position touched, or -1.
  Library.prototype.restore = function (removed) {
    var back = removed.filter(function (t) { return !this.byUrl.has(t.url); }, this);
    if (!back.length) return -1;
    var merged = [], i = 0, j = 0, old = this.tracks;
    // Both lists are in their original order; a restored track takes its
    // old place relative to the tracks that stayed.
    while (i < old.length || j < back.length) {
      if (j < back.length && (i >= old.length || back[j].index <= merged.length)) merged.push(back[j++]);
      else merged.push(old[i++]);
    }
    var first = -1;
    for (var k = 0; k < merged.length; k++) {
      if (first < 0 && merged[k] !== old[k]) first = k;
      merged[k].index = k;
    }
    this.tracks = merged;
    for (var b = 0; b < back.length; b++) {
      this.byUrl.set(back[b].url, back[b]);
      if (back[b].duration !== null) { this.knownSeconds += back[b].duration; this.knownCount++; }
    }
    this.version++;
    return first;
  };

  // One more play of a track, at `when` (ms since the epoch).
  Library.prototype.countPlay = function (t, when) {
    t.plays++;
    t.lastPlayed = when;
  };

  Library.prototype.clear = function () {
    this.tracks = [];
    this.byUrl = new Map();
    this.knownSeconds = 0;
    this.knownCount = 0;
    this.version++;
  };

  // ---- ordering ---------------------------------------------------------

  // Natural order of paths: digit runs compare by value, so "Track 2"
  // comes before "Track 10". Keys are made once, then compared as strings.
  var DIGITS = /\d+/g;
  // Each digit run gets its length in front, leading zeros dropped.
  function padRun(d) {
    var i = 0;
    while (i < d.length - 1 && d.charCodeAt(i) === 0x30) i++;
    var v = i ? d.slice(i) : d;
    return String.fromCharCode(0x30 + Math.min(v.length, 40)) + v;
  }
  function naturalKey(s) {
    return s.toLowerCase().replace(DIGITS, padRun);
  }

  // The records of one batch in natural order of their urls; records that
  // are not usable keep their place at the end, to be counted as skipped.
  function naturalOrder(records) {
    var keyed = [], bad = [];
    for (var i = 0; i < records.length; i++) {
      var r = records[i];
      if (isValidRecord(r)) keyed.push([naturalKey(r.url), i, r]); else bad.push(r);
    }
    keyed.sort(function (a, b) { return cmpStr(a[0], b[0]) || a[1] - b[1]; });
    var out = new Array(keyed.length);
    for (var j = 0; j < keyed.length; j++) out[j] = keyed[j][2];
    return out.concat(bad);
  }

  var SORT_KEYS = ['index', 'title', 'artist', 'album', 'albumArtist', 'trackNo', 'format', 'duration', 'plays', 'added', 'folder'];

  function cmpStr(a, b) { return a < b ? -1 : a > b ? 1 : 0; }

  // Keys of a folder's tracks, made once per folder: the layout shares one
  // folder object among them.
  function folderKeys(f) {
    if (f.sortKeys) return f.sortKeys;
    var album = fold(f.album) + '\u0000' + f.albumUrl;
    return (f.sortKeys = { album: album, albumArtist: fold(f.albumArtist) + '\u0000' + album, folder: fold(f.name) + '\u0000' + f.url });
  }

  // A track's place in its album: disc, then track number (unnumbered
  // last), written to compare as text.
  function albumPlace(l) { return '\u0000' + (100 + l.disc) + (10000 + (l.track || 9999)); }

  // Text columns sort on folded keys made once per sort: [key, track] pairs.
  // `lay` gives a track's folder layout (layout.js), so that a column sorts
  // by what it shows; without one, title and artist use the record.
  var SORT_TEXT = {
    title: function (t, lay) {
      if (!lay) return keyOf(t);
      var l = lay(t);
      return fold(l.title) + '\u0000' + fold(l.artist);
    },
    artist: function (t, lay) {
      var l = lay ? lay(t) : t;
      return fold(l.artist) + '\u0000' + fold(l.title);
    },
    format: function (t) { return t.format + '\u0000' + fold(t.artist) + '\u0000' + fold(t.title); },
    album: function (t, lay) { var l = lay(t); return folderKeys(l.folder).album + albumPlace(l); },
    albumArtist: function (t, lay) { var l = lay(t); return folderKeys(l.folder).albumArtist + albumPlace(l); },
    folder: function (t, lay) { return folderKeys(lay(t).folder).folder + '\u0000' + naturalKey(t.url.slice(t.url.lastIndexOf('/') + 1)); }
  };

  // Number columns; null is unknown, which stays last whichever way the
  // column is sorted.
  var SORT_NUMBER = {
    duration: function (t) { return t.duration; },
    trackNo: function (t, lay) { return lay(t).track || null; },
    plays: function (t) { return t.plays; },
    added: function (t) { return t.added || null; }
  };

  var NEEDS_LAYOUT = { album: 1, albumArtist: 1, folder: 1, trackNo: 1 };

  // The tracks in the given order, as a new array; equal keys keep the order
  // added. `layoutOf` gives a track's layout; keys that need one and have
  // none keep the order given.
  function sortTracks(tracks, key, dir, layoutOf) {
    var out, i;
    if (NEEDS_LAYOUT[key] && !layoutOf) return tracks.slice();
    if (SORT_TEXT[key]) {
      var make = SORT_TEXT[key];
      var pairs = new Array(tracks.length);
      for (i = 0; i < tracks.length; i++) pairs[i] = [make(tracks[i], layoutOf), tracks[i]];
      pairs.sort(function (a, b) { return cmpStr(a[0], b[0]) || a[1].index - b[1].index; });
      out = new Array(pairs.length);
      for (i = 0; i < pairs.length; i++) out[i] = pairs[i][1];
      if (dir === 'desc') out.reverse();
      return out;
    }
    if (SORT_NUMBER[key]) {
      var value = SORT_NUMBER[key], known = [], unknown = [];
      for (i = 0; i < tracks.length; i++) {
        var v = value(tracks[i], layoutOf);
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

  // ---- search -----------------------------------------------------------

  function parseQuery(text) {
    var q = fold(String(text || '')).replace(/\u0000/g, '').trim();
    return q ? q.split(/\s+/) : [];
  }

  function matches(t, terms) {
    var key = t.key || keyOf(t);
    for (var i = 0; i < terms.length; i++) {
      if (key.indexOf(terms[i]) < 0) return false;
    }
    return true;
  }

  // Every term must occur in the title or the artist.
  function filterTracks(ordered, query) {
    var terms = Array.isArray(query) ? query : parseQuery(query);
    if (!terms.length) return ordered;
    var out = [], n = ordered.length, i, t;
    if (terms.length === 1) {
      var term = terms[0];
      for (i = 0; i < n; i++) {
        t = ordered[i];
        if ((t.key || keyOf(t)).indexOf(term) >= 0) out.push(t);
      }
      return out;
    }
    for (i = 0; i < n; i++) if (matches(ordered[i], terms)) out.push(ordered[i]);
    return out;
  }

  // A query that only adds characters to the previous one can only narrow its
  // result, so typing filters the previous (already small) result instead of
  // the whole library.
  function narrows(prevTerms, terms) {
    if (!prevTerms || !prevTerms.length) return false;
    if (terms.length < prevTerms.length) return false;
    for (var i = 0; i < prevTerms.length; i++) {
      var found = false;
      for (var j = 0; j < terms.length && !found; j++) found = terms[j].indexOf(prevTerms[i]) >= 0;
      if (!found) return false;
    }
    return true;
  }

  // ---- shuffle ----------------------------------------------------------

  function shuffleInPlace(a, rng) {
    for (var i = a.length - 1; i > 0; i--) {
      var j = Math.floor(rng() * (i + 1));
      var x = a[i]; a[i] = a[j]; a[j] = x;
    }
    return a;
  }

  // A shuffled pass over a pool of items: every item comes once before any
  // comes again. `order` holds the pass, `pos` the item now playing.
  function Shuffle(items, rng, first) {
    this.rng = rng || Math.random;
    this.start(items, first);
  }

  Shuffle.prototype.start = function (items, first) {
    var rest = items.filter(function (x) { return x !== first; });
    shuffleInPlace(rest, this.rng);
    this.order = first !== undefined && first !== null && items.indexOf(first) >= 0 ? [first].concat(rest) : rest;
    this.pos = first !== undefined && first !== null && this.order[0] === first ? 0 : -1;
  };

  Shuffle.prototype.current = function () { return this.pos >= 0 ? this.order[this.pos] : undefined; };

  // Next item of the pass; at its end a new pass when `again`, else undefined.
  Shuffle.prototype.next = function (again) {
    if (this.pos + 1 < this.order.length) return this.order[++this.pos];
    if (!again || !this.order.length) return undefined;
    var last = this.order[this.order.length - 1];
    var items = this.order.slice();
    shuffleInPlace(items, this.rng);
    // A new pass should not open with the track that just ended.
    if (items.length > 1 && items[0] === last) {
      var k = 1 + Math.floor(this.rng() * (items.length - 1));
      items[0] = items[k]; items[k] = last;
    }
    this.order = items;
    this.pos = 0;
    return items[0];
  };

  Shuffle.prototype.previous = function () {
    if (this.pos > 0) return this.order[--this.pos];
    return undefined;
  };

  // Makes `item` the current one without disturbing the pass: one not yet
  // played is taken out of the upcoming part, one already played comes again
  // now; either way, what is still upcoming stays upcoming.
  Shuffle.prototype.moveTo = function (item) {
    var i = this.order.indexOf(item);
    if (i < 0) return false;
    this.order.splice(i, 1);
    var at = i <= this.pos ? this.pos : this.pos + 1;
    this.order.splice(at, 0, item);
    this.pos = at;
    return true;
  };

  // Follows a changed pool: items gone leave the pass, new items join the part
  // not yet played, at random places; what was played stays played.
  Shuffle.prototype.sync = function (items) {
    var pool = new Set(items), seen = new Set();
    var played = [], upcoming = [];
    for (var i = 0; i < this.order.length; i++) {
      var x = this.order[i];
      if (!pool.has(x)) { continue; }
      seen.add(x);
      if (i <= this.pos) played.push(x); else upcoming.push(x);
    }
    var fresh = [];
    for (var j = 0; j < items.length; j++) if (!seen.has(items[j])) fresh.push(items[j]);
    if (fresh.length) upcoming = shuffleInPlace(upcoming.concat(fresh), this.rng);
    // If the current item left the pool, play goes on with the first upcoming one.
    this.order = played.concat(upcoming);
    this.pos = played.length - 1;
  };

  // Linear neighbour in a list of `length` items, honouring repeat-all at the
  // ends; -1 when there is none.
  function stepIndex(length, pos, delta, wrap) {
    if (!length) return -1;
    var n = pos + delta;
    if (n >= 0 && n < length) return n;
    if (!wrap) return -1;
    return (n % length + length) % length;
  }

  // ---- stored formats ---------------------------------------------------

  var STORE_VERSION = 1;
  var CHUNK_SIZE = 5000;

  // Entries written before the library kept its statistics stop at `bad`;
  // they read back with none.
  function packTrack(t) {
    return [t.title, t.artist, t.url, t.format, t.duration, t.bad ? 1 : 0, t.added, t.plays, t.lastPlayed];
  }

  // A stored chunk: the tracks from position `from` up to `to`.
  function packRange(tracks, from, to) {
    to = Math.min(tracks.length, to);
    var out = new Array(Math.max(0, to - from));
    for (var i = from; i < to; i++) out[i - from] = packTrack(tracks[i]);
    return out;
  }

  function chunkCount(n) { return Math.ceil(n / CHUNK_SIZE); }

  function validMeta(meta) {
    return !!meta && typeof meta === 'object' && meta.version === STORE_VERSION &&
      Number.isInteger(meta.count) && meta.count >= 0 && meta.chunkSize === CHUNK_SIZE;
  }

  // Rebuilds a library from what the store held. Anything that does not look
  // like our own data is dropped entry by entry, so one damaged chunk costs
  // only its own tracks, and a damaged meta record gives an empty library.
  function unpackLibrary(meta, chunks) {
    var lib = new Library();
    if (!validMeta(meta) || !Array.isArray(chunks)) return lib;
    for (var c = 0; c < chunks.length; c++) {
      var chunk = chunks[c];
      if (!Array.isArray(chunk)) continue;
      for (var i = 0; i < chunk.length; i++) {
        var e = chunk[i];
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

  var REPEAT = ['off', 'all', 'one'];

  function defaultSettings() {
    return {
      volume: 0.8, muted: false, shuffle: false, repeat: 'off',
      sortKey: 'index', sortDir: 'asc', lastUrl: null, lastPosition: 0,
      speed: 1, crossfade: 0,
      columns: columnTable().defaultLayout() // the list's columns in order, with their widths
    };
  }

  var SPEED_MIN = 0.5, SPEED_MAX = 2, CROSSFADE_MAX = 10;
  function within(x, lo, hi) { return typeof x === 'number' && isFinite(x) && x >= lo && x <= hi; }

  // Each setting is taken on its own merits: one bad value falls back to its
  // default without costing the others.
  function parseSettings(text) {
    var s = defaultSettings(), raw;
    if (typeof text !== 'string') return s;
    try { raw = JSON.parse(text); } catch (e) { return s; }
    if (!raw || typeof raw !== 'object' || Array.isArray(raw)) return s;
    if (typeof raw.volume === 'number' && raw.volume >= 0 && raw.volume <= 1) s.volume = raw.volume;
    if (typeof raw.muted === 'boolean') s.muted = raw.muted;
    if (typeof raw.shuffle === 'boolean') s.shuffle = raw.shuffle;
    if (REPEAT.indexOf(raw.repeat) >= 0) s.repeat = raw.repeat;
    if (SORT_KEYS.indexOf(raw.sortKey) >= 0) s.sortKey = raw.sortKey;
    if (raw.sortDir === 'asc' || raw.sortDir === 'desc') s.sortDir = raw.sortDir;
    if (typeof raw.lastUrl === 'string' && raw.lastUrl) s.lastUrl = raw.lastUrl;
    if (typeof raw.lastPosition === 'number' && isFinite(raw.lastPosition) && raw.lastPosition >= 0) s.lastPosition = raw.lastPosition;
    if (within(raw.speed, SPEED_MIN, SPEED_MAX)) s.speed = raw.speed;
    if (within(raw.crossfade, 0, CROSSFADE_MAX)) s.crossfade = raw.crossfade;
    s.columns = columnTable().parseLayout(raw.columns);
    return s;
  }

  function serializeSettings(s) {
    return JSON.stringify({
      volume: s.volume, muted: s.muted, shuffle: s.shuffle, repeat: s.repeat,
      sortKey: s.sortKey, sortDir: s.sortDir, lastUrl: s.lastUrl, lastPosition: s.lastPosition,
      speed: s.speed, crossfade: s.crossfade, columns: s.columns
    });
  }

  // ---- text -------------------------------------------------------------

  // The file's own path from the URL the shell made: escapes decoded where
  // they form text (a run that is not UTF-8 stays as written), a drive
  // letter means a Windows path with its own separators.
  function fileUrlToPath(url) {
    var p = String(url).replace(/^file:\/\//, '').replace(/(%[0-9A-Fa-f]{2})+/g, function (run) {
      try { return decodeURIComponent(run); } catch (e) { return run; }
    });
    if (/^\/[A-Za-z]:\//.test(p)) return p.slice(1).replace(/\//g, '\\');
    return p;
  }

  // The folder a file is in, by name: what the media overlay shows as album.
  function folderName(url) {
    var path = fileUrlToPath(url);
    // On Linux a backslash is part of a name, not a separator.
    var parts = path.split(/^[A-Za-z]:\\/.test(path) ? '\\' : '/');
    return parts.length > 1 ? parts[parts.length - 2] : '';
  }

  function formatTime(sec) {
    if (typeof sec !== 'number' || !isFinite(sec) || sec < 0) return '–:––';
    sec = Math.floor(sec);
    var h = Math.floor(sec / 3600), m = Math.floor(sec / 60) % 60, s = sec % 60;
    var ss = (s < 10 ? '0' : '') + s;
    return h ? h + ':' + (m < 10 ? '0' : '') + m + ':' + ss : m + ':' + ss;
  }

  function formatTotal(sec) {
    sec = Math.round(sec || 0);
    var h = Math.floor(sec / 3600), m = Math.floor(sec / 60) % 60;
    if (h >= 24) return Math.floor(h / 24) + ' d ' + (h % 24) + ' h';
    if (h) return h + ' h ' + m + ' min';
    if (m) return m + ' min';
    return sec + ' s';
  }

  function plural(n, one, many) {
    return n.toLocaleString('en-US') + ' ' + (n === 1 ? one : many);
  }

  // The message shown after a batch.
  function batchMessage(r) {
    var parts = [];
    parts.push('Added ' + plural(r.added, 'track', 'tracks'));
    if (r.duplicates) parts.push(r.duplicates.toLocaleString('en-US') + ' already in the library');
    if (r.skipped) parts.push(plural(r.skipped, 'unreadable record', 'unreadable records') + ' ignored');
    return parts.join(' · ');
  }

  return {
    isValidRecord: isValidRecord, fold: fold, keyOf: keyOf, makeTrack: makeTrack, Library: Library,
    SORT_KEYS: SORT_KEYS, sortTracks: sortTracks, naturalKey: naturalKey, naturalOrder: naturalOrder,
    parseQuery: parseQuery, filterTracks: filterTracks, narrows: narrows, matches: matches,
    Shuffle: Shuffle, shuffleInPlace: shuffleInPlace, stepIndex: stepIndex,
    STORE_VERSION: STORE_VERSION, CHUNK_SIZE: CHUNK_SIZE, packTrack: packTrack, packRange: packRange,
    chunkCount: chunkCount, validMeta: validMeta, unpackLibrary: unpackLibrary,
    defaultSettings: defaultSettings, parseSettings: parseSettings, serializeSettings: serializeSettings,
    fileUrlToPath: fileUrlToPath, folderName: folderName, formatTime: formatTime, formatTotal: formatTotal, plural: plural, batchMessage: batchMessage
  };
});
