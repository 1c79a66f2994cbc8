/* Sonabel player: text of the player's own: folded for search and sort,
   times, counts and the message after a batch. */

// Search and sort compare folded text: lower case without accents, so that
// "cafe" finds "Café" and sorting does not split on case.
const MARKS = /[\u0300-\u036f]/g;
const NON_ASCII = /[^\x00-\x7f]/;
/** @param {string} s */
function fold(s) {
  const lower = s.toLowerCase();
  // Pure ASCII is by far the common case and needs no normalisation.
  return NON_ASCII.test(lower) ? lower.normalize('NFD').replace(MARKS, '') : lower;
}

/** @param {number | null | undefined} sec */
function formatTime(sec) {
  if (typeof sec !== 'number' || !isFinite(sec) || sec < 0) return '–:––';
  sec = Math.floor(sec);
  const h = Math.floor(sec / 3600), m = Math.floor(sec / 60) % 60, s = sec % 60;
  const ss = (s < 10 ? '0' : '') + s;
  return h ? h + ':' + (m < 10 ? '0' : '') + m + ':' + ss : m + ':' + ss;
}

/** @param {number | null | undefined} sec */
function formatTotal(sec) {
  sec = Math.round(sec || 0);
  const h = Math.floor(sec / 3600), m = Math.floor(sec / 60) % 60;
  if (h >= 24) return Math.floor(h / 24) + ' d ' + (h % 24) + ' h';
  if (h) return h + ' h ' + m + ' min';
  if (m) return m + ' min';
  return sec + ' s';
}

/** @param {number} n @param {string} one @param {string} many */
function plural(n, one, many) {
  return n.toLocaleString('en-US') + ' ' + (n === 1 ? one : many);
}

// The message shown after a batch.
/** @param {import('./library.js').BatchResult} r */
function batchMessage(r) {
  const parts = [];
  parts.push('Added ' + plural(r.added, 'track', 'tracks'));
  if (r.duplicates) parts.push(r.duplicates.toLocaleString('en-US') + ' already in the library');
  if (r.skipped) parts.push(plural(r.skipped, 'unreadable record', 'unreadable records') + ' ignored');
  return parts.join(' · ');
}

export { fold, formatTime, formatTotal, plural, batchMessage };
