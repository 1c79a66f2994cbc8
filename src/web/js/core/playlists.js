/* Sonabel player: playlists and the smart lists. A playlist holds track
   URLs, which stay the same between runs; the library resolves them. */
import { fold } from './text.js';

/** @typedef {import('./library.js').Track} Track */
/** @typedef {{ id: number, name: string, urls: string[] }} Playlist */
/** What undo needs to put a deleted playlist back. @typedef {{ playlist: Playlist, position: number }} RemovedPlaylist */

const STORE_VERSION = 1;

class Playlists {
  constructor() {
    /** @type {Playlist[]} */
    this.lists = [];
    this.nextId = 1;
    this.version = 0; // bumped on every change, for views and saves
  }

  /** @param {number} id */
  get(id) {
    for (let i = 0; i < this.lists.length; i++) if (this.lists[i].id === id) return this.lists[i];
    return null;
  }

  // A name no other playlist has: "Mix", then "Mix 2", "Mix 3"…
  /** @param {string} name @param {Playlist} [except] */
  freeName(name, except) {
    const base = String(name || '').replace(/\s+/g, ' ').trim() || 'New playlist';
    const taken = new Set(this.lists.filter(function (p) { return p !== except; }).map(function (p) { return fold(p.name); }));
    if (!taken.has(fold(base))) return base;
    for (let n = 2; ; n++) if (!taken.has(fold(base + ' ' + n))) return base + ' ' + n;
  }

  /** @param {string} name @param {readonly string[]} [urls] @returns {Playlist} */
  create(name, urls) {
    const p = { id: this.nextId++, name: this.freeName(name), urls: [] };
    this.lists.push(p);
    if (urls) this.add(p.id, urls);
    this.version++;
    return p;
  }

  /** @param {number} id @param {string} name */
  rename(id, name) {
    const p = this.get(id);
    if (!p || !String(name || '').trim()) return false;
    p.name = this.freeName(name, p);
    this.version++;
    return true;
  }

  /** @param {number} id @returns {RemovedPlaylist | null} */
  remove(id) {
    for (let i = 0; i < this.lists.length; i++) {
      if (this.lists[i].id === id) {
        const p = this.lists.splice(i, 1)[0];
        this.version++;
        return { playlist: p, position: i };
      }
    }
    return null;
  }

  /** @param {RemovedPlaylist | null | undefined} removed */
  restore(removed) {
    if (!removed || this.get(removed.playlist.id)) return false;
    this.lists.splice(Math.min(removed.position, this.lists.length), 0, removed.playlist);
    this.version++;
    return true;
  }

  // Adds URLs not in the playlist yet, at `at` (the end by default).
  // Returns { added, already }.
  /** @param {number} id @param {readonly string[]} urls @param {number} [at] */
  add(id, urls, at) {
    const p = this.get(id), result = { added: 0, already: 0 };
    if (!p) return result;
    const have = new Set(p.urls);
    /** @type {string[]} */
    const fresh = [];
    for (let i = 0; i < urls.length; i++) {
      if (have.has(urls[i])) result.already++;
      else { have.add(urls[i]); fresh.push(urls[i]); }
    }
    const where = at === undefined ? p.urls.length : Math.max(0, Math.min(at, p.urls.length));
    p.urls = p.urls.slice(0, where).concat(fresh, p.urls.slice(where));
    result.added = fresh.length;
    if (fresh.length) this.version++;
    return result;
  }

  // Moves the entries at `positions` together, in their order, so that
  // they begin before what was at `to` (the length: the end).
  /** @param {number} id @param {readonly number[]} positions @param {number} to */
  move(id, positions, to) {
    const p = this.get(id);
    if (!p || !positions.length) return false;
    const picked = new Set(positions.filter(function (i) { return i >= 0 && i < p.urls.length; }));
    if (!picked.size) return false;
    /** @type {string[]} */
    const moving = [];
    /** @type {string[]} */
    const rest = [];
    let before = 0;
    for (let i = 0; i < p.urls.length; i++) {
      if (picked.has(i)) { moving.push(p.urls[i]); if (i < to) before++; } else rest.push(p.urls[i]);
    }
    const at = Math.max(0, Math.min(to - before, rest.length));
    const next = rest.slice(0, at).concat(moving, rest.slice(at));
    const same = next.every(function (u, k) { return u === p.urls[k]; });
    p.urls = next;
    if (!same) this.version++;
    return !same;
  }

  /** @param {number} id @param {readonly number[]} positions @returns {string[]} */
  removeEntries(id, positions) {
    const p = this.get(id);
    if (!p) return [];
    const drop = new Set(positions);
    /** @type {string[]} */
    const gone = [];
    p.urls = p.urls.filter(function (u, i) { if (drop.has(i)) { gone.push(u); return false; } return true; });
    if (gone.length) this.version++;
    return gone;
  }

  // A track that leaves the library leaves every playlist.
  /** @param {Set<string>} urls */
  dropUrls(urls) {
    let changed = false;
    this.lists.forEach(function (p) {
      const kept = p.urls.filter(function (u) { return !urls.has(u); });
      if (kept.length !== p.urls.length) { p.urls = kept; changed = true; }
    });
    if (changed) this.version++;
    return changed;
  }

  // The tracks of a playlist that the library has, in playlist order.
  /** @param {number} id @param {Map<string, Track>} byUrl */
  tracksOf(id, byUrl) {
    const p = this.get(id);
    /** @type {Track[]} */
    const out = [];
    if (!p) return out;
    for (let i = 0; i < p.urls.length; i++) { const t = byUrl.get(p.urls[i]); if (t) out.push(t); }
    return out;
  }

  pack() {
    return {
      version: STORE_VERSION, nextId: this.nextId,
      lists: this.lists.map(function (p) { return { id: p.id, name: p.name, urls: p.urls.slice() }; })
    };
  }
}

// Whatever was stored, a usable set: damaged entries are dropped one by
// one, never the whole set for one of them.
/** @param {any} raw */
function unpackPlaylists(raw) {
  const out = new Playlists();
  if (!raw || typeof raw !== 'object' || raw.version !== STORE_VERSION || !Array.isArray(raw.lists)) return out;
  const ids = new Set();
  raw.lists.forEach(function (/** @type {any} */ p) {
    if (!p || !Number.isInteger(p.id) || p.id < 1 || ids.has(p.id) || typeof p.name !== 'string' || !Array.isArray(p.urls)) return;
    ids.add(p.id);
    const seen = new Set();
    const urls = p.urls.filter(function (/** @type {unknown} */ u) { return typeof u === 'string' && u && !seen.has(u) && seen.add(u); });
    out.lists.push({ id: p.id, name: out.freeName(p.name), urls: urls });
    out.nextId = Math.max(out.nextId, p.id + 1);
  });
  if (Number.isInteger(raw.nextId) && raw.nextId > out.nextId) out.nextId = raw.nextId;
  return out;
}

// ---- smart lists --------------------------------------------------------
// Tracks carry `added` and `lastPlayed` (ms since the epoch, 0 when
// unknown) and `plays`.

const RECENT_LIMIT = 500;

/** @type {Record<string, { name: string, pick: (tracks: Track[]) => Track[] }>} */
const SMART = {
  recent: {
    name: 'Recently added',
    pick: function (tracks) {
      // The order added is the index; a stored time, when known, ranks first.
      return tracks.slice().sort(function (a, b) { return (b.added || 0) - (a.added || 0) || b.index - a.index; }).slice(0, RECENT_LIMIT);
    }
  },
  most: {
    name: 'Most played',
    pick: function (tracks) {
      return tracks.filter(function (t) { return t.plays > 0; })
        .sort(function (a, b) { return b.plays - a.plays || (b.lastPlayed || 0) - (a.lastPlayed || 0) || a.index - b.index; });
    }
  },
  never: {
    name: 'Never played',
    pick: function (tracks) { return tracks.filter(function (t) { return !t.plays; }); }
  }
};

export { Playlists, unpackPlaylists, SMART, STORE_VERSION as PLAYLISTS_VERSION };
