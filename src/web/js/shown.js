/* Sonabel player: the list shown, changed only here: the tracks of the
   source the sidebar shows (sources.js), in the chosen order, narrowed by
   the search. Every change emits 'shown'. */
import { sortTracks } from './core/order.js';
import { parseSearch, narrowsSearch, searchTracks } from './core/query.js';
import { emit, on } from './events.js';
import { lib } from './library.js';
import { settings, changeSettings } from './settings.js';
import { shownSource } from './sources.js';
import { tagsOf } from './track_tags.js';

/** @typedef {import('./library.js').Track} Track */

/** The tracks shown, in order. @type {Track[]} */
export let view = [];
/** The search terms in force. @type {ReturnType<typeof parseSearch>} */
export let terms = [];
/** The search text. */
export let query = '';

/** @type {Track[] | null} */
let sorted = null;
let sortedFor = '', viewVersion = -1, resorts = 0;

function ordered() {
  const src = shownSource();
  const key = [lib.version, src.stamp, settings.sortKey, settings.sortDir, resorts].join(' ');
  if (!sorted || sortedFor !== key) {
    sorted = sortTracks(src.tracks, settings.sortKey, settings.sortDir, tagsOf);
    sortedFor = key;
  }
  return sorted;
}

// Recomputes the list. Typing that only narrows the search filters the
// previous result, which keeps keystrokes cheap on large libraries.
/** @param {string} [reason] */
export function refreshView(reason) {
  const next = parseSearch(query), base = ordered();
  const narrower = viewVersion === lib.version && reason === 'search' && narrowsSearch(terms, next);
  view = searchTracks(narrower ? view : base, next, tagsOf);
  terms = next;
  viewVersion = lib.version;
  emit('shown', { reason });
}

/** @param {string} text */
export function setQuery(text) {
  query = text;
  refreshView('search');
}

/** @param {string} key @param {'asc' | 'desc'} dir */
export function setSort(key, dir) {
  changeSettings({ sortKey: key, sortDir: dir });
  refreshView();
}

// What is known of the tracks changed what the order is (durations come in
// while sorted by time): the next refresh sorts again.
export function resortLater() { resorts++; }

export function wireShown() {
  // A change of membership or order; what is learnt of single tracks only
  // needs their rows drawn again (view.js).
  on('library', (d) => { if (!(d && (d.duration || d.bad || d.played))) refreshView(); });
}
