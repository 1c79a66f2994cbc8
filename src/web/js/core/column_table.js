/* Sonabel player: the library list's columns: what each shows, how wide it
   starts and may go, what it sorts by; and the stored choice of columns,
   their order and widths. No DOM here, so that Node can test it. */
import { formatTime } from './text.js';
import { folderPath } from './paths.js';

/** @typedef {import('./library.js').Track} Track */
/** @typedef {import('./tags.js').Tags} Tags */

const MAX_WIDTH = 800;
const DAY = new Intl.DateTimeFormat(undefined, { year: 'numeric', month: 'short', day: 'numeric' });

/** @param {number} n */
function count(n) { return n ? String(n) : ''; }

// key (also the sort key), label (the header), name (the menu; "Sort by
// …"), cls (the cells' class), width (px to start with; for flexible
// columns what they need to be worth showing), min, flex (share of the
// room left while not resized), end (right-aligned), extra (not shown
// until chosen; the first to go when the list is narrow), text(track,
// tags), tip (a tooltip), inferred (shown as guessed); order (its place
// in the table, set below).
/**
 * @typedef {object} Column
 * @property {string} key
 * @property {string} label
 * @property {string} name
 * @property {string} cls
 * @property {number} width
 * @property {number} min
 * @property {number} [flex]
 * @property {boolean} [end]
 * @property {boolean} [extra]
 * @property {(t: Track, l: Tags) => string} text
 * @property {(t: Track, l: Tags) => string} [tip]
 * @property {(l: Tags) => boolean} [inferred]
 * @property {number} order
 */

const COLUMNS = /** @type {Column[]} */ (/** @type {Omit<Column, 'order'>[]} */ ([
  { key: 'index', label: '#', name: 'Number added', cls: 'c-num', width: 64, min: 36,
    text: function (t) { return String(t.index + 1); } },
  { key: 'title', label: 'Title', name: 'Title', cls: 'c-title', width: 120, min: 80, flex: 3,
    text: function (t, l) { return l.title; }, tip: function (t, l) { return l.title; } },
  { key: 'artist', label: 'Artist', name: 'Artist', cls: 'c-artist', width: 120, min: 60, flex: 2,
    text: function (t, l) { return l.artist; }, inferred: function (l) { return l.artistInferred; } },
  { key: 'album', label: 'Album', name: 'Album', cls: 'c-album', width: 120, min: 60, flex: 2, extra: true,
    text: function (t, l) { return l.album; } },
  { key: 'albumArtist', label: 'Album artist', name: 'Album artist', cls: 'c-albumartist', width: 120, min: 60, flex: 2, extra: true,
    text: function (t, l) { return l.albumArtist; } },
  { key: 'trackNo', label: 'No.', name: 'Track number', cls: 'c-trackno', width: 64, min: 48, end: true, extra: true,
    text: function (t, l) { return count(l.track); } },
  { key: 'format', label: 'Format', name: 'Format', cls: 'c-format', width: 88, min: 56,
    text: function (t) { return t.format; } },
  { key: 'duration', label: 'Time', name: 'Duration', cls: 'c-dur', width: 72, min: 52, end: true,
    text: function (t) { return t.duration === null ? '' : formatTime(t.duration); } },
  { key: 'plays', label: 'Plays', name: 'Plays', cls: 'c-plays', width: 80, min: 56, end: true, extra: true,
    text: function (t) { return count(t.plays); } },
  { key: 'added', label: 'Added', name: 'Date added', cls: 'c-added', width: 100, min: 60, extra: true,
    text: function (t) { return t.added ? DAY.format(t.added) : ''; } },
  { key: 'folder', label: 'Folder', name: 'Folder', cls: 'c-folder', width: 120, min: 60, flex: 2, extra: true,
    text: function (t, l) { return l.folder.name; }, tip: function (t) { return folderPath(t.url); } }
]));
// A Map, so that a stored key such as "constructor" finds nothing.
const BY_KEY = new Map(COLUMNS.map(function (c, i) { c.order = i; return [c.key, c]; }));

/** @param {string} key */
function byKey(key) { return BY_KEY.get(key) || null; }

/** @param {Column} col @param {number} w */
function clampWidth(col, w) { return Math.round(Math.max(col.min, Math.min(MAX_WIDTH, w))); }

// The chosen columns as stored: one entry per column, in the order shown; width null
// while the column keeps its own.
/** @typedef {{ key: string, width: number | null }} ColumnEntry */

/** @returns {ColumnEntry[]} */
function defaultColumns() {
  return COLUMNS.filter(function (c) { return !c.extra; }).map(function (c) { return { key: c.key, width: null }; });
}

// Unknown and repeated columns are dropped, widths kept within bounds,
// and Title is always there; anything that is not a list of columns
// gives the default.
/** @param {unknown} raw @returns {ColumnEntry[]} */
function parseColumns(raw) {
  if (!Array.isArray(raw)) return defaultColumns();
  /** @type {ColumnEntry[]} */
  const out = [];
  /** @type {Set<string>} */
  const seen = new Set();
  for (let i = 0; i < raw.length; i++) {
    const e = raw[i], col = e && typeof e === 'object' && typeof e.key === 'string' ? byKey(e.key) : null;
    if (!col || seen.has(col.key)) continue;
    seen.add(col.key);
    const w = e.width;
    out.push({ key: col.key, width: typeof w === 'number' && isFinite(w) ? clampWidth(col, w) : null });
  }
  if (!out.length) return defaultColumns();
  if (!seen.has('title')) out.splice(out[0].key === 'index' ? 1 : 0, 0, { key: 'title', width: null });
  return out;
}

// The chosen columns with a column added at its place in the table's order, or
// taken out; Title stays.
/** @param {ColumnEntry[]} chosen @param {string} key */
function toggle(chosen, key) {
  const col = byKey(key), out = chosen.filter(function (e) { return e.key !== key; });
  if (!col || key === 'title') return chosen;
  if (out.length < chosen.length) return out;
  let at = 0;
  out.forEach(function (e, i) { if (/** @type {Column} */ (byKey(e.key)).order < col.order) at = i + 1; });
  out.splice(at, 0, { key: key, width: null });
  return out;
}

// The chosen columns with one column's width set (null: its own again).
/** @param {ColumnEntry[]} chosen @param {string} key @param {number | null} width @returns {ColumnEntry[]} */
function withWidth(chosen, key, width) {
  return chosen.map(function (e) {
    return e.key !== key ? e : { key: key, width: width === null ? null : clampWidth(/** @type {Column} */ (byKey(key)), width) };
  });
}

// The chosen columns with a column moved one place towards `dir` (-1 or 1).
/** @param {ColumnEntry[]} chosen @param {string} key @param {number} dir */
function moved(chosen, key, dir) {
  const out = chosen.slice(), i = out.findIndex(function (e) { return e.key === key; }), j = i + dir;
  if (i < 0 || j < 0 || j >= out.length) return chosen;
  const e = out[i]; out[i] = out[j]; out[j] = e;
  return out;
}

export { COLUMNS, MAX_WIDTH, byKey, defaultColumns, parseColumns, toggle, withWidth, moved };
