/* Sonabel player: the page's own context menu for the selection, and no
   engine menu or navigation anywhere: a right-click or a drop never takes
   the user away from the player. */
import { plural } from './core/text.js';
import { pathFromUrl } from './core/paths.js';
import { $, el, focusBack } from './dom.js';
import { enqueue } from './playing.js';
import { view } from './shown.js';
import * as selection from './selection.js';
import { playFromList } from './playback.js';
import { rowTrack, render, scrollToTrack } from './view.js';
import { removeSelection } from './list_input.js';
import { showTrackInfo } from './track_info.js';
import { addPlaylistItems } from './playlist_actions.js';
import { openMenuAt, wireMenu } from './menus.js';
import { announce } from './status.js';

/** @typedef {import('./library.js').Track} Track */

const menu = /** @type {HTMLElement} */ ($('context-menu'));
/** @type {HTMLElement[]} */
let items = [];
/** @type {HTMLElement | null} */
let returnFocus = null;

/** @param {string} text */
export function copyText(text) {
  const done = () => { announce('Copied the file location'); };
  const fallback = () => {
    const area = document.createElement('textarea');
    area.value = text;
    document.body.appendChild(area);
    area.select();
    let ok = false;
    try { ok = document.execCommand('copy'); } catch (e) { /* no clipboard */ }
    area.remove();
    if (ok) done(); else announce('The file location could not be copied');
  };
  if (navigator.clipboard && navigator.clipboard.writeText) navigator.clipboard.writeText(text).then(done, fallback);
  else fallback();
}

/** @type {Record<string, (tracks: Track[]) => void>} */
const commands = {
  play: (tracks) => { playFromList(tracks[0]); },
  playNext: (tracks) => {
    enqueue(tracks, true);
    announce(plural(tracks.length, 'track', 'tracks') + ' to play next');
  },
  enqueue: (tracks) => {
    enqueue(tracks, false);
    announce('Added ' + plural(tracks.length, 'track', 'tracks') + ' to the queue');
  },
  remove: () => { removeSelection(); },
  copyLocation: (tracks) => { copyText(tracks.map((t) => pathFromUrl(t.url)).join('\n')); },
  info: (tracks) => { showTrackInfo(tracks[0]); }
};

/** @param {boolean} refocus */
export function closeMenu(refocus) {
  if (menu.hidden) return;
  menu.hidden = true;
  if (refocus && returnFocus) returnFocus.focus({ preventScroll: true });
}

/** @param {number} x @param {number} y */
function open(x, y) {
  const n = selection.selectedCount();
  if (!n) return;
  // The playlist entries change with the playlists (playlist_actions.js).
  [].slice.call(menu.querySelectorAll('.playlist-entry')).forEach((/** @type {Element} */ b) => { b.remove(); });
  addPlaylistItems(menu, commands);
  items = Array.prototype.slice.call(menu.querySelectorAll('[role=menuitem]'));
  items[4].textContent = n === 1 ? 'Copy file location' : 'Copy file locations';
  returnFocus = focusBack();
  openMenuAt(menu, x, y, items);
}

function openAtCursor() {
  const row = document.getElementById('active-row') || el.viewport.querySelector('.row.selected');
  const box = (row || el.viewport).getBoundingClientRect();
  open(box.left + 40, box.top + box.height);
}

// From the keyboard on the list: the menu key or Shift+F10.
export function openMenuFromKeyboard() {
  if (!selection.selectedCount() && selection.cursor) selection.selectOnly(selection.cursor);
  scrollToTrack(selection.cursor);
  render();
  openAtCursor();
}

export function wireContextMenu() {
  // A file dropped on the window would otherwise replace the page with it.
  ['dragover', 'drop'].forEach((type) => {
    window.addEventListener(type, (e) => { e.preventDefault(); });
  });

  document.addEventListener('contextmenu', (e) => {
    e.preventDefault();
    const target = /** @type {Element} */ (e.target);
    if (target.closest && target.closest('#context-menu')) return;
    const t = rowTrack(target);
    if (!t) {
      // The keyboard's menu key on the list targets the list itself.
      if (target === el.grid && menu.hidden) openMenuFromKeyboard(); else closeMenu(false);
      return;
    }
    if (!selection.isSelected(t)) selection.selectOnly(t);
    // The keyboard's menu key arrives with no pointer position.
    if (e.clientX === 0 && e.clientY === 0) openAtCursor(); else open(e.clientX, e.clientY);
  });

  menu.addEventListener('click', (e) => {
    const b = /** @type {HTMLButtonElement | null} */ (/** @type {Element} */ (e.target).closest('[role=menuitem]'));
    if (!b || b.disabled) return;
    const tracks = selection.selectedInView();
    closeMenu(true);
    if (tracks.length) commands[/** @type {string} */ (b.getAttribute('data-command'))](tracks);
  });

  wireMenu(menu, () => items, closeMenu);
}

