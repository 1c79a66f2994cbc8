/* Sonabel player: the track list. Only the rows in view are in the page;
   a small pool of row elements is moved and refilled as the list scrolls. */
import { plural } from './core/text.js';
import { el } from './dom.js';
import { on } from './events.js';
import { lib } from './library.js';
import { view } from './shown.js';
import { source, numberOf, discCount } from './sources.js';
import { cursor, isSelected, selectedCount } from './selection.js';
import { loaded } from './playback.js';
import { shownColumns } from './column_view.js';
import { queueProbes } from './durations.js';
import { updateStatus } from './status.js';
import { renderBrowse } from './browse_list.js';
import { tagsOf } from './track_tags.js';

/** @typedef {import('./library.js').Track} Track */
/** @typedef {HTMLDivElement & { track: Track | null, cols: any[], cells: HTMLElement[], durShown?: number | null, playsShown?: number, numberShown?: number, discsShown?: boolean }} Row */

export const ROW_H = 36;
const OVERSCAN = 6;

/** The row elements. @type {Row[]} */
const pool = [];

/** The tracks of the rows on screen, for the duration probes. */
export function tracksOnScreen() {
  const out = [];
  for (let i = 0; i < pool.length; i++) if (!pool[i].hidden && pool[i].track) out.push(/** @type {Track} */ (pool[i].track));
  return out;
}

// The list's size, the empty and no-match notes and the status, after the
// list shown changed.
function showList() {
  el.spacer.style.height = (view.length * ROW_H) + 'px';
  el.grid.setAttribute('aria-rowcount', String(view.length + 1));
  const emptyLib = lib.size() === 0;
  el.empty.hidden = !emptyLib;
  el.noResults.hidden = emptyLib || view.length > 0;
  el.noResultsText.textContent = 'Nothing in ' + (source.kind === 'library' ? 'the library' : 'this list') + ' matches your search. Press Escape to clear it.';
  el.grid.classList.toggle('is-empty', emptyLib);
  updateStatus();
  render();
  renderBrowse();
}

// A row with a cell for each column shown (column_view.js).
function makeRow() {
  const row = /** @type {Row} */ (document.createElement('div'));
  row.className = 'row';
  row.setAttribute('role', 'row');
  row.draggable = true; // onto a playlist, or to reorder one
  row.tabIndex = -1; // see list_input.js
  const cols = row.cols = shownColumns;
  row.cells = [];
  for (let i = 0; i < cols.length; i++) {
    const c = document.createElement('div');
    c.className = 'cell ' + cols[i].cls + (cols[i].end ? ' end' : '');
    c.setAttribute('role', 'gridcell');
    const span = document.createElement('span');
    span.className = 'txt';
    c.appendChild(span);
    row.cells.push(span);
    row.appendChild(c);
    if (cols[i].key === 'title') {
      const badge = document.createElement('span');
      badge.className = 'badge';
      badge.textContent = 'can\u2019t play';
      c.appendChild(badge);
    }
  }
  row.track = null;
  el.viewport.appendChild(row);
  return row;
}

// New rows for another set of columns.
export function resetRows() {
  pool.forEach((row) => { row.remove(); });
  pool.length = 0;
  render();
}

let renderQueued = false;
function queueRender() {
  if (renderQueued) return;
  renderQueued = true;
  requestAnimationFrame(() => { renderQueued = false; render(); });
}

export function render() {
  const top = el.viewport.scrollTop;
  const height = el.viewport.clientHeight || 600;
  const first = Math.max(0, Math.floor(top / ROW_H) - OVERSCAN);
  const last = Math.min(view.length, Math.ceil((top + height) / ROW_H) + OVERSCAN);
  const need = last - first;
  while (pool.length < need) pool.push(makeRow());
  let activeSet = false;
  // An album of several discs numbers its tracks 1-05, 2-01…, a line above
  // each disc's first.
  const discs = discCount() > 1;
  for (let i = 0; i < pool.length; i++) {
    const row = pool[i];
    if (i >= need) {
      if (!row.hidden) { row.hidden = true; row.track = null; row.removeAttribute('id'); }
      continue;
    }
    const n = first + i, t = view[n];
    row.hidden = false;
    row.style.transform = 'translateY(' + (n * ROW_H) + 'px)';
    row.setAttribute('aria-rowindex', String(n + 2));
    const number = numberOf(t); // a playlist's own, which changes with the source
    if (row.track !== t || row.durShown !== t.duration || row.playsShown !== t.plays || row.numberShown !== number || row.discsShown !== discs) {
      // What the folders say, marked where it replaces the record.
      const tags = tagsOf(t), cols = row.cols;
      for (let c = 0; c < cols.length; c++) {
        const col = cols[c], cell = row.cells[c];
        cell.textContent = col.key === 'index' ? String(number + 1)
          : col.key === 'trackNo' && discs && tags.track ? tags.disc + '-' + String(tags.track).padStart(2, '0') : col.text(t, tags);
        if (col.tip) cell.title = col.tip(t, tags); // long texts are cut short with an ellipsis
        if (col.inferred) cell.classList.toggle('inferred', col.inferred(tags));
      }
      row.track = t;
      row.durShown = t.duration;
      row.playsShown = t.plays;
      row.numberShown = number;
      row.discsShown = discs;
    }
    const sel = isSelected(t);
    row.classList.toggle('selected', sel);
    row.setAttribute('aria-selected', sel ? 'true' : 'false');
    row.classList.toggle('playing', t === loaded);
    if (t === loaded) row.setAttribute('aria-current', 'true'); else row.removeAttribute('aria-current');
    row.classList.toggle('bad', t.bad);
    row.classList.toggle('odd', n % 2 === 1);
    row.classList.toggle('disc-start', discs && n > 0 && tagsOf(view[n - 1]).disc !== tagsOf(t).disc);
    if (t === cursor) { row.id = 'active-row'; row.classList.add('cursor'); activeSet = true; }
    else if (row.id) { row.removeAttribute('id'); row.classList.remove('cursor'); }
    else row.classList.remove('cursor');
  }
  if (activeSet) el.grid.setAttribute('aria-activedescendant', 'active-row');
  else el.grid.removeAttribute('aria-activedescendant');
  queueProbes();
}

function showSelectionInfo() {
  const n = selectedCount();
  el.selInfo.textContent = n ? plural(n, 'track', 'tracks') + ' selected' : '';
  el.removeSel.disabled = n === 0;
  render();
}

// The track of the row an event happened in, or null.
/** @param {any} target @returns {Track | null} */
export function rowTrack(target) {
  while (target && target !== el.viewport) {
    if (target.track !== undefined && target.classList && target.classList.contains('row')) return target.track;
    target = target.parentNode;
  }
  return null;
}

/** @param {number} n */
export function scrollToIndex(n) {
  if (n < 0) return;
  const top = n * ROW_H, vt = el.viewport.scrollTop, h = el.viewport.clientHeight;
  if (top < vt) el.viewport.scrollTop = top;
  else if (top + ROW_H > vt + h) el.viewport.scrollTop = top + ROW_H - h;
}

// A track's row into view, when it is in the list.
/** @param {Track | null} t */
export function scrollToTrack(t) { if (t) scrollToIndex(view.indexOf(t)); }

export function wireView() {
  on('shown', (d) => { if (!d || !d.leaving) showList(); });
  on('selection', showSelectionInfo);
  on('library', (d) => {
    if (d && (d.duration || d.bad || d.played)) queueRender();
  });
  el.viewport.addEventListener('scroll', queueRender, { passive: true });
  window.addEventListener('resize', queueRender);
}
