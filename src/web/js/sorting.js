/* Sonabel player: sorting by a column header. The headers come and go
   with the columns shown (column_view.js), so they are looked up each time. */
import { el } from './dom.js';
import { settings } from './settings.js';
import { setSort } from './shown.js';
import { cursor } from './selection.js';
import { scrollToTrack } from './view.js';

export function showSort() {
  el.head.querySelectorAll('[role=columnheader]').forEach((h) => {
    const on = h.getAttribute('data-key') === settings.sortKey;
    h.setAttribute('aria-sort', on ? (settings.sortDir === 'asc' ? 'ascending' : 'descending') : 'none');
  });
}

export function wireSorting() {
  el.head.addEventListener('click', (e) => {
    const b = /** @type {Element} */ (e.target).closest('button.sort');
    if (!b) return;
    const key = /** @type {string} */ (/** @type {Element} */ (b.parentNode).getAttribute('data-key'));
    setSort(key, settings.sortKey === key && settings.sortDir === 'asc' ? 'desc' : 'asc');
    showSort();
    scrollToTrack(cursor);
  });
}
