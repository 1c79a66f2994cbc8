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

  // `source` returns the library to write; writes wait until load() is done,
  // so nothing can overwrite stored tracks before they were read.
  function LibraryStore(source) {
    this.source = source;
    this.loaded = false;
    this.db = null;
    this.dirty = new Set();   // chunk numbers to write
    this.timer = 0;
    this.writing = null;
    this.lastChunks = 0;      // chunks that exist in the store
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
        var allReq = st.getAll(IDBKeyRange.bound(0, Infinity));
        tx.oncomplete = function () {
          var chunks = allReq.result || [];
          self.lastChunks = chunks.length;
          mark('sonabel-read');
          resolve(core.unpackLibrary(metaReq.result, chunks));
          mark('sonabel-unpacked');
        };
        tx.onerror = tx.onabort = function () { resolve(new core.Library()); };
      });
    }).catch(function () { return new core.Library(); }).then(function (lib) {
      self.loaded = true;
      return lib;
    });
  };

  // Marks chunks for writing; `from` (a position) means every chunk from it on.
  LibraryStore.prototype.touch = function (lib, from, to) {
    if (from < 0) return;
    var last = Math.max(core.chunkCount(lib.size()), this.lastChunks);
    var a = Math.floor(from / core.CHUNK_SIZE);
    var b = to === undefined ? last - 1 : Math.floor(to / core.CHUNK_SIZE);
    for (var c = a; c <= b; c++) this.dirty.add(c);
    this.schedule();
  };

  LibraryStore.prototype.schedule = function () {
    var self = this;
    clearTimeout(this.timer);
    this.timer = setTimeout(function () { self.flush(); }, 400);
  };

  // Writes the dirty chunks and the meta record in one transaction, so a
  // reload never sees half an update.
  LibraryStore.prototype.flush = function () {
    var self = this;
    clearTimeout(this.timer);
    if (!this.loaded || !this.db || !this.dirty.size) return Promise.resolve();
    if (this.writing) {
      return this.writing.then(function () { return self.flush(); });
    }
    var lib = this.source();
    var chunks = Array.from(this.dirty);
    this.dirty.clear();
    var count = core.chunkCount(lib.size());
    this.writing = new Promise(function (resolve) {
      function failed(e) {
        if (e && e.preventDefault) e.preventDefault();
        // Nothing of it was written: keep the chunks for the next attempt.
        chunks.forEach(function (c) { self.dirty.add(c); });
        resolve(false);
      }
      var tx;
      try {
        tx = self.db.transaction(STORE, 'readwrite');
        tx.oncomplete = function () { self.lastChunks = count; resolve(true); };
        tx.onerror = tx.onabort = failed;
        var st = tx.objectStore(STORE);
        // A snapshot: removing or clearing makes a new array, and tracks
        // added meanwhile are beyond `size` and go with the next write.
        var tracks = lib.tracks, size = tracks.length, i = 0;
        chunks.sort(function (a, b) { return a - b; });
        // One chunk per step, each asked for when the previous is stored:
        // the transaction stays one (all or nothing), while the page gets
        // to paint between chunks instead of freezing for a large library.
        var next = function () {
          if (i >= chunks.length) {
            st.put({ version: core.STORE_VERSION, count: size, chunkSize: core.CHUNK_SIZE }, 'meta');
            return;
          }
          var c = chunks[i++];
          var req = c < count ? st.put(core.packChunk(tracks, c), c) : st.delete(c);
          req.onsuccess = next;
        };
        next();
      } catch (e) {
        if (tx) { try { tx.abort(); } catch (e2) { failed(); } } else failed();
      }
    }).then(function (ok) {
      self.writing = null;
      if (!ok && self.onfail) self.onfail();
    });
    return this.writing;
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
