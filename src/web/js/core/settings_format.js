/* Sonabel player: the settings as stored, each value checked on its own. */
import { SORT_KEYS } from './order.js';
import { defaultColumns, parseColumns } from './column_table.js';
import { SMART } from './playlists.js';

/**
 * @typedef {object} Settings
 * @property {number} volume
 * @property {boolean} muted
 * @property {boolean} shuffle
 * @property {'off' | 'all' | 'one'} repeat
 * @property {string} sortKey
 * @property {'asc' | 'desc'} sortDir
 * @property {string | null} lastUrl
 * @property {number} lastPosition
 * @property {number} speed
 * @property {number} crossfade
 * @property {import('./column_table.js').ColumnEntry[]} columns
 * @property {import('../sources.js').Source | null} view the view last shown
 * @property {number} viewTop how far it was scrolled
 */

const REPEAT = ['off', 'all', 'one'];

/** @returns {Settings} */
function defaultSettings() {
  return {
    volume: 0.8, muted: false, shuffle: false, repeat: 'off',
    sortKey: 'index', sortDir: 'asc', lastUrl: null, lastPosition: 0,
    speed: 1, crossfade: 0,
    columns: defaultColumns(), // the list's columns in order, with their widths
    view: null, viewTop: 0
  };
}

const WHOLE = ['library', 'albums', 'artists', 'folders'], ONE = ['album', 'artist', 'folder'];

// A view as stored, if it is one the sidebar could show; whether it still
// exists is for the page to find out.
/** @param {any} v @returns {import('../sources.js').Source | null} */
function parseView(v) {
  if (!v || typeof v !== 'object') return null;
  if (WHOLE.indexOf(v.kind) >= 0 && v.id === null) return { kind: v.kind, id: null };
  if (v.kind === 'smart' && Object.prototype.hasOwnProperty.call(SMART, v.id)) return { kind: 'smart', id: v.id };
  if (v.kind === 'playlist' && Number.isInteger(v.id) && v.id > 0) return { kind: 'playlist', id: v.id };
  if (ONE.indexOf(v.kind) >= 0 && typeof v.id === 'string' && v.id) return { kind: v.kind, id: v.id };
  return null;
}

const SPEED_MIN = 0.5, SPEED_MAX = 2, CROSSFADE_MAX = 10;
/** @param {unknown} x @param {number} lo @param {number} hi */
function within(x, lo, hi) { return typeof x === 'number' && isFinite(x) && x >= lo && x <= hi; }

// Each setting is taken on its own merits: one bad value falls back to its
// default without costing the others.
/** @param {unknown} text */
function parseSettings(text) {
  const s = defaultSettings();
  let raw;
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
  s.columns = parseColumns(raw.columns);
  s.view = parseView(raw.view);
  if (s.view && typeof raw.viewTop === 'number' && isFinite(raw.viewTop) && raw.viewTop >= 0) s.viewTop = raw.viewTop;
  return s;
}

/** @param {Readonly<Settings>} s */
function serializeSettings(s) {
  return JSON.stringify({
    volume: s.volume, muted: s.muted, shuffle: s.shuffle, repeat: s.repeat,
    sortKey: s.sortKey, sortDir: s.sortDir, lastUrl: s.lastUrl, lastPosition: s.lastPosition,
    speed: s.speed, crossfade: s.crossfade, columns: s.columns, view: s.view, viewTop: s.viewTop
  });
}

export { defaultSettings, parseSettings, serializeSettings };
