/* Sonabel player: where the library and the settings are kept. The library
   lives in IndexedDB in chunks of packed tracks (see core.js), which keeps
   100,000 tracks to a few dozen records that load in one pass. */
(function (root) {
  'use strict';
  var core = root.SonabelCore;
  var DB_NAME = 'sonabel';
  var STORE = 'library';
  var SETTINGS_KEY = 'sonabel.settings';
  var PIN_KEY = 'sonabel.alwaysOnTop';

  // Marks for the benchmark's restore figures.
  function mark(name) {
    try { performance.mark(name); } catch (e) { /* no timing here */ }
  }

  function openDb() {
    return new Promise(function (resolve, reject) {
      var req;
      try { req = indexedDB.open(DB_NAME, 1); } catch (e) { reject(e); return; }
      req.onupgradeneeded = function () {
        if (!req.result.objectStoreNames.contains(STORE)) req.result.createObjectStore(STORE);
      };
      req.onsuccess = function () { resolve(req.result); };
      req.onerror = function () { reject(req.error); };
      req.onblocked = function () { reject(new Error('database blocked')); };
    });
  }

  // Structural changes (a batch, a removal, a clear) go out in the next
  // task; duration and playability updates are gathered for at most this long.
  var GATHER_MS = 1000;

  // `source` returns the library to write and `contextSource` the play
  // context as stored (see play_context.js); writes wait until load() is
  // done, so nothing can overwrite stored tracks before they were read.
  function LibraryStore(source, contextSource) {
    this.source = source;
    this.contextSource = contextSource || function () { return null; };
    this.loaded = false;
    this.db = null;
    this.dirty = new Set();   // chunk numbers to write
    this.contextDirty = false;
    this.playlistsDirty = false;
    this.playlistsSource = function () { return null; };
    this.timer = 0;
    this.due = Infinity;      // when the pending timer fires
    this.writing = null;
    this.lastChunks = 0;      // chunks that exist in the store
    this.context = null;      // the stored play context, as load() found it
  }

  // Resolves with a library; any failure (no IndexedDB, damaged records)
  // gives an empty one, so the page always starts.
  LibraryStore.prototype.load = function () {
    var self = this;
    return openDb().then(function (db) {
      self.db = db;
      return new Promise(function (resolve) {
        var tx = db.transaction(STORE, 'readonly');
        var st = tx.objectStore(STORE);
        var metaReq = st.get('meta');
        var contextReq = st.get('context');
        var playlistsReq = st.get('playlists');
        var allReq = st.getAll(IDBKeyRange.bound(0, Infinity));
        tx.oncomplete = function () {
          var chunks = allReq.result || [];
          self.lastChunks = chunks.length;
          self.context = contextReq.result === undefined ? null : contextReq.result;
          self.playlists = playlistsReq.result === undefined ? null : playlistsReq.result;
          mark('sonabel-read');
          resolve(core.unpackLibrary(metaReq.result, chunks));
          mark('sonabel-unpacked');
        };
        tx.onerror = tx.onabort = function () { resolve(new core.Library()); };
      });
    }).catch(function () { return new core.Library(); }).then(function (lib) {
      self.loaded = true;
      if (self.dirty.size || self.contextDirty || self.playlistsDirty) self.schedule(0);
      return lib;
    });
  };

  // Marks chunks for writing; `from` (a position) means every chunk from it
  // on. Membership changes are written in the next task.
  LibraryStore.prototype.touch = function (lib, from, to) {
    if (from < 0) return;
    this.markChunks(lib, from, to);
    this.changedAt = Date.now(); // for the benchmark's save latency
    this.contextDirty = true; // positions in the context may have moved
    this.schedule(0);
  };

  // One track's duration or playability changed: gathered with others.
  LibraryStore.prototype.touchTrack = function (lib, t) {
    this.markChunks(lib, t.index, t.index);
    this.schedule(GATHER_MS);
  };

  LibraryStore.prototype.touchContext = function () {
    this.contextDirty = true;
    this.schedule(0);
  };

  LibraryStore.prototype.touchPlaylists = function () {
    this.playlistsDirty = true;
    this.schedule(0);
  };

  LibraryStore.prototype.markChunks = function (lib, from, to) {
    var last = Math.max(core.chunkCount(lib.size()), this.lastChunks);
    var a = Math.floor(from / core.CHUNK_SIZE);
    var b = to === undefined ? last - 1 : Math.floor(to / core.CHUNK_SIZE);
    for (var c = a; c <= b; c++) this.dirty.add(c);
  };

  // A later change never postpones a write already due: a steady stream of
  // updates (scrolling measures durations) cannot starve the store.
  LibraryStore.prototype.schedule = function (delay) {
    var self = this, due = Date.now() + delay;
    if (this.timer && due >= this.due) return;
    clearTimeout(this.timer);
    this.due = due;
    this.timer = setTimeout(function () { self.timer = 0; self.due = Infinity; self.flush(); }, delay);
  };

  LibraryStore.prototype.pending = function () {
    return this.dirty.size > 0 || this.contextDirty || this.playlistsDirty || !!this.writing;
  };

  // Writes the dirty chunks, the meta record and the play context in one
  // transaction, every request issued from this one task: a reload never
  // sees half an update, and a page going away cannot cut one short.
  LibraryStore.prototype.flush = function () {
    var self = this;
    clearTimeout(this.timer);
    this.timer = 0;
    this.due = Infinity;
    if (!this.loaded || !this.db || !(this.dirty.size || this.contextDirty || this.playlistsDirty)) return this.writing || Promise.resolve();
    if (this.writing) {
      return this.writing.then(function () { return self.flush(); });
    }
    var lib = this.source();
    var chunks = Array.from(this.dirty);
    var withContext = this.contextDirty, withPlaylists = this.playlistsDirty;
    this.dirty.clear();
    this.contextDirty = false;
    this.playlistsDirty = false;
    var count = core.chunkCount(lib.size());
    this.writing = new Promise(function (resolve) {
      function failed(e) {
        if (e && e.preventDefault) e.preventDefault();
        // Nothing of it was written: keep it for the next attempt.
        chunks.forEach(function (c) { self.dirty.add(c); });
        if (withContext) self.contextDirty = true;
        if (withPlaylists) self.playlistsDirty = true;
        resolve(false);
      }
      var tx;
      try {
        tx = self.db.transaction(STORE, 'readwrite');
        tx.oncomplete = function () { self.lastChunks = count; self.savedAt = Date.now(); resolve(true); };
        tx.onerror = tx.onabort = failed;
        var st = tx.objectStore(STORE);
        // A snapshot: removing or clearing makes a new array, and tracks
        // added meanwhile are beyond `size` and go with the next write.
        var tracks = lib.tracks, size = tracks.length;
        for (var i = 0; i < chunks.length; i++) {
          var c = chunks[i];
          if (c < count) st.put(core.packChunk(tracks, c), c); else st.delete(c);
        }
        st.put({ version: core.STORE_VERSION, count: size, chunkSize: core.CHUNK_SIZE }, 'meta');
        if (withContext) st.put(self.contextSource(), 'context');
        if (withPlaylists) st.put(self.playlistsSource(), 'playlists');
        if (tx.commit) tx.commit();
        self.issuedAt = Date.now();
      } catch (e) {
        if (tx) { try { tx.abort(); } catch (e2) { failed(); } } else failed();
      }
    }).then(function (ok) {
      self.writing = null;
      if (!ok && self.onfail) self.onfail();
      return ok;
    });
    return this.writing;
  };

  // Resolves once what is pending is written, or after `limit` ms at most.
  LibraryStore.prototype.settle = function (limit) {
    var done = this.flush();
    return Promise.race([done, new Promise(function (r) { setTimeout(r, limit); })]);
  };

  function loadSettings() {
    try { return core.parseSettings(localStorage.getItem(SETTINGS_KEY)); } catch (e) { return core.defaultSettings(); }
  }

  function saveSettings(s) {
    try { localStorage.setItem(SETTINGS_KEY, core.serializeSettings(s)); } catch (e) { /* storage full or off */ }
  }

  // Keep-on-top lasts as long as the window does, like the shell's own flag.
  function loadPinned() {
    try { return sessionStorage.getItem(PIN_KEY) === '1'; } catch (e) { return false; }
  }

  function savePinned(on) {
    try { sessionStorage.setItem(PIN_KEY, on ? '1' : '0'); } catch (e) { /* ignore */ }
  }

  root.SonabelStore = {
    LibraryStore: LibraryStore, loadSettings: loadSettings, saveSettings: saveSettings,
    loadPinned: loadPinned, savePinned: savePinned, SETTINGS_KEY: SETTINGS_KEY, DB_NAME: DB_NAME
  };
})(self);
