/* Sonabel player: what is known of one track, in a dialog: from the track
   menu, Ctrl+I or Alt+Enter on the list. Escape closes it and the keyboard
   goes back where it was. */
import { formatTime } from './core/text.js';
import { pathFromUrl, folderPath } from './core/paths.js';
import { $, el, focusBack } from './dom.js';
import { on } from './events.js';
import { cursor, selectedInView } from './selection.js';
import { copyText } from './context_menu.js';
import { tagsOf } from './track_tags.js';

/** @typedef {import('./library.js').Track} Track */

const dialog = /** @type {HTMLDialogElement} */ ($('track-info')), list = $('info-list');
/** @type {Track | null} */
let shown = null;
/** @type {HTMLElement | null} */
let returnFocus = null;

/** @param {number} ms @param {string} none */
function when(ms, none) { return ms ? new Date(ms).toLocaleString() : none; }

/** @param {string} label @param {string} value @param {boolean} [inferred] */
function row(label, value, inferred) {
  const dt = document.createElement('dt');
  dt.textContent = label;
  const dd = document.createElement('dd');
  dd.textContent = value;
  if (inferred) dd.className = 'inferred';
  list.appendChild(dt);
  list.appendChild(dd);
  return dd;
}

const copy = document.createElement('button');
copy.type = 'button';
copy.className = 'btn small';
copy.textContent = 'Copy';
copy.setAttribute('aria-label', 'Copy the path');

// Italics mark what the folders and the file name say rather than the record.
/** @param {Track} t */
function fill(t) {
  const l = tagsOf(t), unknown = 'Unknown';
  list.textContent = '';
  row('Title', l.title, l.titleInferred);
  row('Artist', l.artist, l.artistInferred);
  row('Album', l.album || unknown, !!l.album);
  row('Album artist', l.albumArtist || unknown, !!l.albumArtist);
  row('Track number', l.track ? l.track + (l.disc ? ' (disc ' + l.disc + ')' : '') : unknown, !!l.track);
  row('Format', t.format || unknown);
  row('Duration', t.duration === null ? unknown : formatTime(t.duration));
  row('Plays', t.plays.toLocaleString());
  row('Last played', when(t.lastPlayed, 'Never'));
  row('Date added', when(t.added, unknown));
  row('Folder', folderPath(t.url) || unknown);
  const path = row('Path', '');
  const text = document.createElement('span');
  text.className = 'info-path';
  text.textContent = pathFromUrl(t.url);
  path.appendChild(text);
  path.appendChild(copy);
}

/** @param {Track | null} t */
export function showTrackInfo(t) {
  if (!t) return;
  shown = t;
  fill(t);
  if (dialog.open) return;
  returnFocus = focusBack();
  dialog.showModal();
  $('info-close').focus();
}

export function wireTrackInfo() {
  copy.addEventListener('click', () => { if (shown) copyText(pathFromUrl(shown.url)); });
  $('info-close').addEventListener('click', () => { dialog.close(); });
  dialog.addEventListener('close', () => {
    shown = null;
    if (returnFocus && returnFocus.isConnected) returnFocus.focus({ preventScroll: true }); else el.grid.focus();
  });
  // A play counted or a duration learnt while it shows.
  on('library', (d) => {
    if (shown && d && (d.played === shown || d.duration === shown)) fill(shown);
  });
  // The first selected track, else the one at the cursor.
  el.grid.addEventListener('keydown', (e) => {
    const ctrl = e.ctrlKey || e.metaKey;
    if (!(ctrl && !e.altKey && !e.shiftKey && (e.key === 'i' || e.key === 'I')) && !(e.altKey && !ctrl && e.key === 'Enter')) return;
    e.preventDefault();
    e.stopPropagation();
    showTrackInfo(selectedInView()[0] || cursor);
  });
}
