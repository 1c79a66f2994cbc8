/* Sonabel player: the track list's columns on screen: the header, one
   grid template that the header and the rows share, the columns a narrow
   list has no room for, and resizing by a header's edge or Alt+←/→ (with
   Shift, the column moves instead). */
import { byKey, withWidth, moved } from './core/column_table.js';
import { el } from './dom.js';
import { on } from './events.js';
import { settings, setSetting } from './settings.js';
import { showSort } from './sorting.js';
import { resetRows } from './view.js';
import { openColumnMenu } from './column_menu.js';
import { source } from './sources.js';

/** @typedef {{ key: string, width: number | null }} ColumnEntry */

const head = el.head, strip = /** @type {HTMLElement} */ (head.parentNode);
// Format goes at 640 px and below, # at 560 px, where the stylesheet
// narrows the other columns.
/** @type {Record<string, MediaQueryList>} */
const narrow = { format: window.matchMedia('(max-width: 640px)'), index: window.matchMedia('(max-width: 560px)') };
const STEP = 16; // px per Alt+arrow

/** The column definitions on screen, in order. @type {any[]} */
export let shownColumns = [];
/** Their entries in the chosen columns. @type {ColumnEntry[]} */
let entries = [];
/** The columns while an edge is dragged, saved when let go. @type {ColumnEntry[] | null} */
let dragging = null;
let shownKeys = '';

// An album shows its track numbers, chosen or not.
function chosenColumns() {
  const chosen = dragging || settings.columns;
  if (source.kind !== 'album' || chosen.some((/** @type {ColumnEntry} */ e) => e.key === 'trackNo')) return chosen;
  const at = chosen[0] && chosen[0].key === 'index' ? 1 : 0;
  return chosen.slice(0, at).concat([{ key: 'trackNo', width: null }], chosen.slice(at));
}
// The room a column needs: the grid squeezes a column to its least width
// before anything would clip, but Title keeps its starting width while it
// takes the room left over.
/** @param {ColumnEntry} e */
function need(e) { const col = byKey(e.key); return e.key === 'title' && !e.width ? col.width : col.min; }

// The chosen columns there is room for. Columns beyond the default set
// go first, the rightmost first, and all of them where Format goes.
/** @param {ColumnEntry[]} list */
function fitting(list) {
  list = list.filter((e) => !(narrow[e.key] && narrow[e.key].matches) && !(byKey(e.key).extra && narrow.format.matches));
  const room = el.viewport.clientWidth - 32; // the rows' padding and margins
  if (room <= 0) return list; // not on screen; decided once it is
  let total = list.reduce((sum, e) => sum + need(e), 0);
  for (let i = list.length - 1; i >= 0 && total > room; i--) {
    if (!byKey(list[i].key).extra) continue;
    total -= need(list[i]);
    list.splice(i, 1);
  }
  return list;
}

// The first column that takes the room left over, or past the end when
// every column has a width of its own (an empty track takes it then).
/** @param {ColumnEntry[]} list */
function flexAt(list) {
  for (let i = 0; i < list.length; i++) if (!list[i].width && byKey(list[i].key).flex) return i;
  return list.length;
}

/** @param {ColumnEntry} e */
function gridTrack(e) {
  const col = byKey(e.key);
  if (e.width) return 'minmax(' + col.min + 'px, ' + e.width + 'px)';
  if (col.flex) return 'minmax(' + need(e) + 'px, ' + col.flex + 'fr)';
  // The stylesheet narrows the default columns in narrow windows.
  return 'minmax(' + col.min + 'px, var(--w-' + col.key + ', ' + col.width + 'px))';
}

function buildHead() {
  const active = /** @type {HTMLElement | null} */ (document.activeElement);
  const focused = active && head.contains(active) ? /** @type {HTMLElement} */ (active.parentNode).getAttribute('data-column') : null;
  head.textContent = '';
  shownColumns.forEach((col) => {
    const h = document.createElement('div');
    h.setAttribute('role', 'columnheader');
    h.className = col.cls + (col.end ? ' end' : '');
    h.setAttribute('data-key', col.key); // what it sorts by
    h.setAttribute('data-column', col.key);
    const b = document.createElement('button');
    b.type = 'button';
    b.className = 'sort';
    // The name starts with the words shown, as a voice user says them.
    b.setAttribute('aria-label', col.label === col.name ? 'Sort by ' + col.name.toLowerCase() : col.label + ', sort by ' + col.name.toLowerCase());
    const label = document.createElement('span');
    label.className = 'label';
    label.textContent = col.label;
    b.appendChild(label);
    const arrow = document.createElement('i');
    arrow.className = 'arrow';
    arrow.setAttribute('aria-hidden', 'true');
    b.appendChild(arrow);
    const grip = document.createElement('span');
    grip.className = 'grip';
    grip.setAttribute('aria-hidden', 'true');
    grip.title = 'Drag to resize; double-click for the usual width';
    h.appendChild(b);
    h.appendChild(grip);
    head.appendChild(h);
  });
  showSort();
  if (focused) focusHeader(focused);
}

// Puts the keyboard on a column's header button; false when not shown.
/** @param {string} key */
export function focusHeader(key) {
  const h = /** @type {HTMLElement | null} */ (head.querySelector('[data-column="' + key + '"] button'));
  if (h) h.focus();
  return !!h;
}

function apply() {
  entries = fitting(chosenColumns());
  const flex = flexAt(entries);
  el.grid.style.setProperty('--columns', entries.map(gridTrack).join(' ') + (flex === entries.length ? ' minmax(0, 1fr)' : ''));
  // The header leaves room for the list's scroll bar, so that the two line up.
  el.grid.style.setProperty('--scrollbar', Math.max(0, el.viewport.offsetWidth - el.viewport.clientWidth) + 'px');
  const keys = entries.map((e) => e.key).join(' ');
  if (keys !== shownKeys) {
    shownKeys = keys;
    shownColumns = entries.map((e) => byKey(e.key));
    buildHead();
    el.grid.setAttribute('aria-colcount', String(entries.length));
    resetRows();
  }
  // The last column's right edge is the list's, unless an empty track follows.
  const cells = head.children;
  for (let i = 0; i < cells.length; i++) /** @type {HTMLElement} */ (cells[i].lastChild).hidden = i === cells.length - 1 && flex < cells.length;
}

/** @param {string} key @param {number | null} width @param {boolean} save */
function setWidth(key, width, save) {
  const next = withWidth(chosenColumns(), key, width);
  if (save) { dragging = null; setSetting('columns', next); } else { dragging = next; apply(); }
}

// The column that the edge after header `i` resizes. Left of the column
// that takes the room left over, that is the column before the edge;
// from there on the one after it, which grows leftwards, so that the
// edge follows the pointer either way.
/** @param {Element} grip */
function edgeColumn(grip) {
  const i = Array.prototype.indexOf.call(head.children, grip.parentNode);
  return i < flexAt(entries) ? { at: i, sign: 1 } : { at: i + 1, sign: -1 };
}

/** @param {Element} cell @param {string | null} key */
function menuBelow(cell, key) {
  const box = cell.getBoundingClientRect();
  openColumnMenu(box.left, box.bottom, key);
}

export function wireColumns() {
  apply();
  on('settings', (key) => { if (key === 'columns') apply(); });
  on('shown', (d) => { if (d && d.source) apply(); });
  new ResizeObserver(() => { apply(); }).observe(el.viewport);

  head.addEventListener('pointerdown', (e) => {
    const grip = /** @type {Element} */ (e.target).closest('.grip');
    if (!grip || e.button !== 0) return;
    e.preventDefault();
    const target = edgeColumn(grip), key = entries[target.at].key, x0 = e.clientX;
    const start = head.children[target.at].getBoundingClientRect().width;
    let width = start;
    /** @param {PointerEvent} ev */
    function move(ev) {
      width = start + target.sign * (ev.clientX - x0);
      setWidth(key, width, false);
    }
    function end() {
      window.removeEventListener('pointermove', move);
      window.removeEventListener('pointerup', end);
      window.removeEventListener('pointercancel', end);
      document.body.classList.remove('resizing');
      if (dragging) setWidth(key, width, true);
    }
    document.body.classList.add('resizing');
    window.addEventListener('pointermove', move);
    window.addEventListener('pointerup', end);
    window.addEventListener('pointercancel', end);
  });

  head.addEventListener('dblclick', (e) => {
    const grip = /** @type {Element} */ (e.target).closest('.grip');
    if (grip) setWidth(entries[edgeColumn(grip).at].key, null, true);
  });

  head.addEventListener('keydown', (e) => {
    const cell = /** @type {Element} */ (e.target).closest('[role=columnheader]');
    if (!cell) return;
    const key = /** @type {string} */ (cell.getAttribute('data-column'));
    if (e.key === 'ContextMenu' || (e.key === 'F10' && e.shiftKey)) {
      e.preventDefault();
      e.stopPropagation();
      menuBelow(cell, key);
    } else if (e.altKey && (e.key === 'ArrowLeft' || e.key === 'ArrowRight')) {
      e.preventDefault();
      e.stopPropagation();
      const dir = e.key === 'ArrowLeft' ? -1 : 1;
      if (e.shiftKey) setSetting('columns', moved(settings.columns, key, dir));
      else setWidth(key, cell.getBoundingClientRect().width + dir * STEP, true);
    }
  });

  // The engine's menu never shows; the header's own does.
  strip.addEventListener('contextmenu', (e) => {
    e.preventDefault();
    e.stopPropagation();
    const cell = /** @type {Element} */ (e.target).closest('[role=columnheader]');
    const key = cell && cell.getAttribute('data-column');
    // The menu key arrives without a pointer position.
    if (e.clientX === 0 && e.clientY === 0 && cell) menuBelow(cell, key);
    else openColumnMenu(e.clientX, e.clientY, key);
  });
}
