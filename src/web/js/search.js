/* Sonabel player: the search box. */
import { el } from './dom.js';
import { query, setQuery } from './shown.js';
import { clearSelection } from './selection.js';
import { loaded } from './playback.js';
import { scrollToTrack } from './view.js';

// Empties the search; false when there was nothing to clear.
export function clearSearch() {
  if (!query && !el.search.value) return false;
  el.search.value = '';
  setQuery('');
  scrollToTrack(loaded);
  return true;
}

export function wireSearch() {
  el.search.addEventListener('input', () => {
    clearSelection();
    el.viewport.scrollTop = 0;
    setQuery(el.search.value);
  });
}
