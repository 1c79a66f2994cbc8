/* Sonabel player: where the library and the settings are kept. The library
   lives in IndexedDB in chunks of packed tracks (see core/stored_library.js),
   which keeps 100,000 tracks to a few dozen records that load in one pass. */
import { Library } from './core/library.js';
import { STORE_VERSION, CHUNK_SIZE, packRange, unpackLibrary } from './core/stored_library.js';
import { ChunkLayout } from './core/chunk_layout.js';
import { parseSettings, serializeSettings, defaultSettings } from './core/settings_format.js';

const DB_NAME = 'sonabel';
const STORE = 'library';
const SETTINGS_KEY = 'sonabel.settings';
const PIN_KEY = 'sonabel.alwaysOnTop';

/** @typedef {import('./core/library.js').Track} Track */

// Marks for the benchmark's restore figures.
/** @param {string} name */
function mark(name) {
  try { performance.mark(name); } catch (e) { /* no timing here */ }
}

/** @returns {Promise<IDBDatabase>} */
function openDb() {
  return new Promise(function (resolve, reject) {
    let req;
    try { req = indexedDB.open(DB_NAME, 1); } catch (e) { reject(e); return; }
    req.onupgradeneeded = function () {
      if (!req.result.objectStoreNames.contains(STORE)) req.result.createObjectStore(STORE);
    };
    req.onsuccess = function () { resolve(req.result); };
    req.onerror = function () { reject(req.error); };
    req.onblocked = function () { reject(new Error('database blocked')); };
  });
}

// Structural changes (a batch, a removal, a clear) go out at once;
// duration and playability updates are gathered for at most this long.
const GATHER_MS = 1000;

// `source` returns the library to write and `contextSource` the play
// context as stored (see core/play_context.js); writes wait until load() is
// done, so nothing can overwrite stored tracks before they were read.
class LibraryStore {
  /** @param {() => Library} source @param {() => unknown} [contextSource] */
  constructor(source, contextSource) {
    this.source = source;
    this.contextSource = contextSource || function () { return null; };
    this.loaded = false;
    /** @type {IDBDatabase | null} */
    this.db = null;
    /** @type {Set<number>} */
    this.dirty = new Set();   // chunk numbers to write
    this.layout = new ChunkLayout(CHUNK_SIZE);
    this.contextDirty = false;
    this.playlistsDirty = false;
    /** @type {() => unknown} */
    this.playlistsSource = function () { return null; };
    this.timer = 0;
    this.due = Infinity;      // when the pending timer fires
    /** @type {Promise<boolean> | null} */
    this.writing = null;
    /** @type {unknown} */
    this.context = null;      // the stored play context, as load() found it
    /** @type {unknown} */
    this.playlists = null;    // the stored playlists, likewise
    /** @type {null | (() => void)} called when a write failed */
    this.onfail = null;
    this.changedAt = 0;       // for the benchmark's save latency
    this.issuedAt = 0;
    this.savedAt = 0;
  }

  // Resolves with a library; any failure (no IndexedDB, damaged records)
  // gives an empty one, so the page always starts.
  /** @returns {Promise<Library>} */
  load() {
    const self = this;
    return openDb().then(function (db) {
      self.db = db;
      return new Promise(/** @param {(lib: Library) => void} resolve */ function (resolve) {
        const tx = db.transaction(STORE, 'readonly');
        const st = tx.objectStore(STORE);
        const metaReq = st.get('meta');
        const contextReq = st.get('context');
        const playlistsReq = st.get('playlists');
        const allReq = st.getAll(IDBKeyRange.bound(0, Infinity));
        tx.oncomplete = function () {
          const chunks = allReq.result || [];
          self.context = contextReq.result === undefined ? null : contextReq.result;
          self.playlists = playlistsReq.result === undefined ? null : playlistsReq.result;
          mark('sonabel-read');
          const lib = unpackLibrary(metaReq.result, chunks);
          // Damaged chunks are laid out anew with the next write.
          self.layout.read(chunks.map(function (/** @type {unknown} */ c) { return Array.isArray(c) ? c.length : 0; }), lib.size())
            .forEach(function (c) { self.dirty.add(c); });
          resolve(lib);
          mark('sonabel-unpacked');
        };
        tx.onerror = tx.onabort = function () { resolve(new Library()); };
      });
    }).catch(function () { return new Library(); }).then(function (lib) {
      self.loaded = true;
      if (self.contextDirty || self.playlistsDirty) self.schedule(0);
      return lib;
    });
  }

  // Everything from position `from` on changed (a batch, an undo). Changes
  // made before the stored library is read are not this library's: the
  // page adds an early batch again once it is.
  /** @param {Library} lib @param {number} from */
  touch(lib, from) {
    if (from < 0 || !this.loaded) return;
    this.changed(this.layout.relayout(from, lib.size()));
  }

  // Tracks left the library; they still hold their old positions.
  /** @param {Library} lib @param {readonly Track[]} removed */
  touchRemoved(lib, removed) {
    if (!removed.length || !this.loaded) return;
    this.changed(this.layout.remove(removed.map(function (/** @type {Track} */ t) { return t.index; }), lib.size()));
  }

  // Membership changes are written at once, before the views catch up
  // with them: a large batch keeps the page busy for a while after.
  /** @param {number[]} chunks */
  changed(chunks) {
    for (let i = 0; i < chunks.length; i++) this.dirty.add(chunks[i]);
    this.changedAt = Date.now(); // for the benchmark's save latency
    this.contextDirty = true; // positions in the context may have moved
    this.flush();
  }

  // One track's duration or playability changed: gathered with others.
  /** @param {Library} lib @param {Track} t */
  touchTrack(lib, t) {
    if (!this.loaded) return;
    this.dirty.add(this.layout.chunkAt(t.index));
    this.schedule(GATHER_MS);
  }

  touchContext() {
    this.contextDirty = true;
    this.schedule(0);
  }

  touchPlaylists() {
    this.playlistsDirty = true;
    this.schedule(0);
  }

  // A later change never postpones a write already due: a steady stream of
  // updates (scrolling measures durations) cannot starve the store.
  /** @param {number} delay */
  schedule(delay) {
    const self = this, due = Date.now() + delay;
    if (this.timer && due >= this.due) return;
    clearTimeout(this.timer);
    this.due = due;
    this.timer = setTimeout(function () { self.timer = 0; self.due = Infinity; self.flush(); }, delay);
  }

  pending() {
    return this.dirty.size > 0 || this.contextDirty || this.playlistsDirty || !!this.writing;
  }

  // Writes the dirty chunks, the meta record and the play context in one
  // transaction, every request issued from this one task: a reload never
  // sees half an update, and a page going away cannot cut one short.
  /** @returns {Promise<boolean | void>} */
  flush() {
    const self = this;
    clearTimeout(this.timer);
    this.timer = 0;
    this.due = Infinity;
    if (!this.loaded || !this.db || !(this.dirty.size || this.contextDirty || this.playlistsDirty)) return this.writing || Promise.resolve();
    // No waiting for a write still in flight: IndexedDB runs transactions
    // on one store in the order they were made, so this one lands after it.
    const lib = this.source();
    if (sumOf(this.layout.sizes) !== lib.size()) {
      // Out of step with the library (never expected): write it all anew
      // rather than let a reader cut the library short.
      this.layout.sizes = [];
      this.layout.relayout(0, lib.size()).forEach(function (c) { self.dirty.add(c); });
    }
    const chunks = Array.from(this.dirty);
    const withContext = this.contextDirty, withPlaylists = this.playlistsDirty;
    this.dirty.clear();
    this.contextDirty = false;
    this.playlistsDirty = false;
    const sizes = this.layout.sizes.slice(), count = sizes.length;
    const write = this.writing = new Promise(/** @param {(ok: boolean) => void} resolve */ function (resolve) {
      /** @param {Event} [e] */
      function failed(e) {
        if (e && e.preventDefault) e.preventDefault();
        // Nothing of it was written: keep it for the next attempt.
        chunks.forEach(function (c) { self.dirty.add(c); });
        if (withContext) self.contextDirty = true;
        if (withPlaylists) self.playlistsDirty = true;
        resolve(false);
      }
      let tx;
      try {
        tx = /** @type {IDBDatabase} */ (self.db).transaction(STORE, 'readwrite');
        tx.oncomplete = function () { self.layout.stored = count; self.savedAt = Date.now(); resolve(true); };
        tx.onerror = tx.onabort = failed;
        const st = tx.objectStore(STORE);
        // A snapshot: removing or clearing makes a new array, and tracks
        // added meanwhile are beyond `size` and go with the next write.
        const tracks = lib.tracks, size = tracks.length;
        const starts = [0];
        for (let k = 0; k < count; k++) starts.push(starts[k] + sizes[k]);
        for (let i = 0; i < chunks.length; i++) {
          const c = chunks[i];
          if (c < count) st.put(packRange(tracks, starts[c], starts[c + 1]), c); else st.delete(c);
        }
        st.put({ version: STORE_VERSION, count: size, chunkSize: CHUNK_SIZE }, 'meta');
        if (withContext) st.put(self.contextSource(), 'context');
        if (withPlaylists) st.put(self.playlistsSource(), 'playlists');
        if (tx.commit) tx.commit();
        self.issuedAt = Date.now();
      } catch (e) {
        if (tx) { try { tx.abort(); } catch (e2) { failed(); } } else failed();
      }
    }).then(function (ok) {
      if (self.writing === write) self.writing = null;
      if (!ok && self.onfail) self.onfail();
      return ok;
    });
    return write;
  }

  // Resolves once what is pending is written, or after `limit` ms at most.
  /** @param {number} limit */
  settle(limit) {
    const done = this.flush();
    return Promise.race([done, new Promise(function (r) { setTimeout(r, limit); })]);
  }
}

/** @param {readonly number[]} list */
function sumOf(list) {
  let n = 0;
  for (let i = 0; i < list.length; i++) n += list[i];
  return n;
}

function loadSettings() {
  try { return parseSettings(localStorage.getItem(SETTINGS_KEY)); } catch (e) { return defaultSettings(); }
}

/** @param {Readonly<import('./core/settings_format.js').Settings>} s */
function saveSettings(s) {
  try { localStorage.setItem(SETTINGS_KEY, serializeSettings(s)); } catch (e) { /* storage full or off */ }
}

// Keep-on-top lasts as long as the window does, like the shell's own flag.
function loadPinned() {
  try { return sessionStorage.getItem(PIN_KEY) === '1'; } catch (e) { return false; }
}

/** @param {boolean} on */
function savePinned(on) {
  try { sessionStorage.setItem(PIN_KEY, on ? '1' : '0'); } catch (e) { /* ignore */ }
}

export { LibraryStore, loadSettings, saveSettings, loadPinned, savePinned, SETTINGS_KEY, DB_NAME };
