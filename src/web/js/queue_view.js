/* Sonabel player: the Up next panel. Renders the queue from the play
   context; reorder by dragging or Alt+Up/Down, Delete removes an entry. */
import { $ } from './dom.js';
import { on } from './events.js';
import * as playing from './playing.js';
import { step } from './playback.js';
import { tagsOf } from './track_tags.js';

/** @typedef {import('./library.js').Track} Track */

const panel = $('queue-panel'), list = $('queue-list'), toggle = $('queue-toggle');
const clearBtn = $('queue-clear'), empty = $('queue-empty'), stopAfter = $('stop-after');
let dragFrom = -1;

/** @param {Track} t @param {number} i */
function item(t, i) {
  const tags = tagsOf(t); // as the list shows it
  const li = document.createElement('li');
  li.className = 'queue-item';
  li.draggable = true;
  li.tabIndex = 0;
  li.setAttribute('data-pos', String(i));
  const text = document.createElement('span');
  text.className = 'queue-text';
  const title = document.createElement('span');
  title.className = 'queue-title';
  title.textContent = tags.title;
  const artist = document.createElement('span');
  artist.className = 'queue-artist';
  artist.textContent = tags.artist;
  text.appendChild(title);
  text.appendChild(artist);
  li.title = tags.title + ' \u2014 ' + tags.artist;
  const rm = document.createElement('button');
  rm.type = 'button';
  rm.className = 'icon-btn queue-remove';
  rm.setAttribute('aria-label', 'Remove ' + tags.title + ' from the queue');
  rm.tabIndex = -1;
  rm.textContent = '\u00d7';
  li.appendChild(text);
  li.appendChild(rm);
  return li;
}

/** @param {number} [focusAt] */
function render(focusAt) {
  const q = playing.queued();
  while (list.firstChild) list.removeChild(list.firstChild);
  for (let i = 0; i < q.length; i++) list.appendChild(item(q[i], i));
  empty.hidden = q.length > 0;
  clearBtn.disabled = q.length === 0;
  stopAfter.checked = playing.stopsAfter();
  toggle.title = q.length ? 'Up next (' + q.length + ')' : 'Up next';
  if (focusAt !== undefined && list.children.length) list.children[Math.max(0, Math.min(focusAt, q.length - 1))].focus();
}

/** @param {boolean} on */
function show(on) {
  panel.hidden = !on;
  toggle.setAttribute('aria-pressed', on ? 'true' : 'false');
  document.body.classList.toggle('queue-open', on);
  if (on) render();
}
export function toggleQueue() { show(panel.hidden); }

/** @param {any} node */
function posOf(node) {
  const li = node && node.closest ? node.closest('.queue-item') : null;
  return li ? Number(li.getAttribute('data-pos')) : -1;
}

export function wireQueueView() {
  on('playing', () => { render(); });
  toggle.addEventListener('click', toggleQueue);
  list.addEventListener('click', (/** @type {MouseEvent} */ e) => {
    if (/** @type {Element} */ (e.target).closest('.queue-remove')) playing.unqueue(posOf(e.target));
  });
  list.addEventListener('dblclick', (/** @type {MouseEvent} */ e) => {
    const i = posOf(e.target);
    if (i < 0) return;
    // Play it now: everything queued before it stays queued.
    const t = playing.queued()[i];
    playing.unqueue(i);
    playing.enqueue([t], true);
    step(1, false);
  });
  list.addEventListener('keydown', (/** @type {KeyboardEvent} */ e) => {
    const i = posOf(e.target);
    if (i < 0) return;
    e.stopPropagation();
    if (e.altKey && (e.key === 'ArrowUp' || e.key === 'ArrowDown')) {
      e.preventDefault();
      const to = i + (e.key === 'ArrowUp' ? -1 : 1);
      playing.moveQueued(i, to);
      render(to);
    } else if (e.key === 'ArrowUp' || e.key === 'ArrowDown') {
      e.preventDefault();
      const next = list.children[i + (e.key === 'ArrowUp' ? -1 : 1)];
      if (next) next.focus();
    } else if (e.key === 'Delete' || e.key === 'Backspace') {
      e.preventDefault();
      playing.unqueue(i);
      render(i);
    } else if (e.key === 'Escape') {
      show(false);
      toggle.focus();
    }
  });
  list.addEventListener('dragstart', (/** @type {DragEvent} */ e) => {
    dragFrom = posOf(e.target);
    const data = /** @type {DataTransfer} */ (e.dataTransfer);
    data.effectAllowed = 'move';
    try { data.setData('text/plain', String(dragFrom)); } catch (x) { /* engine without it */ }
  });
  list.addEventListener('dragover', (/** @type {DragEvent} */ e) => { if (dragFrom >= 0) /** @type {DataTransfer} */ (e.dataTransfer).dropEffect = 'move'; });
  list.addEventListener('drop', (/** @type {DragEvent} */ e) => {
    const to = posOf(e.target);
    if (dragFrom >= 0 && to >= 0 && to !== dragFrom) playing.moveQueued(dragFrom, to);
    dragFrom = -1;
  });
  list.addEventListener('dragend', () => { dragFrom = -1; });
  clearBtn.addEventListener('click', () => { playing.clearQueue(); });
  stopAfter.addEventListener('change', () => { playing.setStopAfter(stopAfter.checked); });
  render();
}
