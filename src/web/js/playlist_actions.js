/* Sonabel player: what the user does with playlists: make, rename and
   delete them (with undo), add tracks by menu or drag, reorder by drag or
   Alt+Up/Down, and export or import M3U8 files. */
import { plural } from './core/text.js';
import { NO_ARTIST } from './core/tags.js';
import * as m3u from './core/playlist_file.js';
import { $, el } from './dom.js';
import { lib, addRecords } from './library.js';
import { settings } from './settings.js';
import { terms } from './shown.js';
import * as selection from './selection.js';
import * as sources from './sources.js';
import { rowTrack, scrollToTrack, ROW_H } from './view.js';
import { announce } from './status.js';
import { tagsOf } from './track_tags.js';

/** @typedef {import('./library.js').Track} Track */

// The rows being dragged, from the track list onto a playlist or within one.
/** @type {Track[] | null} */
let dragging = null;
export function dragged() { return dragging; }
export function endDrag() { dragging = null; }


function urlsOf(tracks) { return tracks.map(function (t) { return t.url; }); }

export function addToPlaylist(id, tracks) {
  const p = sources.playlists.get(id);
  if (!p || !tracks.length) return;
  const r = sources.addToPlaylist(id, urlsOf(tracks));
  announce('Added ' + plural(r.added, 'track', 'tracks') + ' to \u201c' + p.name + '\u201d' +
    (r.already ? ' \u00b7 ' + r.already.toLocaleString('en-US') + ' already in it' : ''));
}

export function newPlaylist(tracks) {
  const p = sources.createPlaylist('New playlist', tracks ? urlsOf(tracks) : []);
  sources.setSource({ kind: 'playlist', id: p.id });
  renamePlaylist(p.id);
  return p;
}

// Renames in place, in the sidebar: Enter keeps, Escape or an empty name
// leaves the name as it was.
export function renamePlaylist(id) {
  const li = [].find.call(el.sidePlaylists.children, function (x) { return x.source.id === id; });
  const p = sources.playlists.get(id);
  if (!li || !p) return;
  const input = document.createElement('input');
  input.className = 'side-rename';
  input.value = p.name;
  input.setAttribute('aria-label', 'Playlist name');
  li.textContent = '';
  li.appendChild(input);
  input.focus();
  input.select();
  let done = false;
  function finish(keep) {
    if (done) return;
    done = true;
    if (keep && input.value.trim() && input.value !== p.name) sources.renamePlaylist(id, input.value);
    else sources.showPlaylistsAgain();
  }
  input.addEventListener('keydown', function (e) {
    e.stopPropagation(); // typing is not a player shortcut
    if (e.key === 'Enter') finish(true);
    else if (e.key === 'Escape') finish(false);
  });
  input.addEventListener('blur', function () { finish(true); });
  input.addEventListener('click', function (e) { e.stopPropagation(); });
}

export function deletePlaylist(id) {
  const removed = sources.deletePlaylist(id);
  if (!removed) return;
  announce('Deleted \u201c' + removed.playlist.name + '\u201d', {
    undo: function () { sources.restorePlaylist(removed); sources.setSource({ kind: 'playlist', id: id }); }
  });
}

function currentPlaylist() {
  return sources.source.kind === 'playlist' ? sources.playlists.get(sources.source.id) : null;
}

// Positions in the playlist of the given tracks.
function positionsOf(p, tracks) {
  const at = new Map(p.urls.map(function (u, i) { return [u, i]; }));
  return tracks.map(function (t) { return at.get(t.url); }).filter(function (i) { return i !== undefined; }).sort(function (a, b) { return a - b; });
}

// Reordering means something only in the playlist's own order.
function reorderable() {
  return currentPlaylist() && settings.sortKey === 'index' && settings.sortDir === 'asc' && !terms.length;
}

function moveSelection(delta) {
  const p = currentPlaylist(), pos = positionsOf(p, selection.selectedInView());
  if (!pos.length) return;
  const to = delta < 0 ? pos[0] - 1 : pos[pos.length - 1] + 2;
  if (to < 0 || to > p.urls.length) return;
  sources.movePlaylistEntries(p.id, pos, to);
  scrollToTrack(selection.cursor);
}

// ---- the track menu's playlist entries (see context_menu.js) -----------------

export function addPlaylistItems(menu, commands) {
  function entry(label, command, fn) {
    const b = document.createElement('button');
    b.type = 'button';
    b.className = 'playlist-entry';
    b.setAttribute('role', 'menuitem');
    b.setAttribute('data-command', command);
    b.textContent = label;
    commands[command] = fn;
    menu.appendChild(b);
  }
  entry('New playlist from selection', 'newPlaylist', function (tracks) { newPlaylist(tracks); });
  sources.playlists.lists.forEach(function (p) {
    entry('Add to \u201c' + p.name + '\u201d', 'addTo' + p.id, function (tracks) { addToPlaylist(p.id, tracks); });
  });
  const p = currentPlaylist();
  if (p) entry('Remove from this playlist', 'removeFromPlaylist', function (tracks) { sources.removePlaylistEntries(p.id, positionsOf(p, tracks)); });
}

// ---- the header's playlist buttons, export and import --------------------------

// Saved through a download: the Linux shell asks where, WebView2 shows
// its own prompt.
export function exportPlaylist(id) {
  const p = sources.playlists.get(id);
  if (!p) return;
  const tracks = sources.playlists.tracksOf(id, lib.byUrl).map(function (t) {
    const lay = tagsOf(t);
    return { title: lay.title, artist: lay.artist === NO_ARTIST ? '' : lay.artist, url: t.url, duration: t.duration };
  });
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([m3u.exportM3u8(p.name, tracks)], { type: 'audio/x-mpegurl' }));
  a.download = m3u.fileName(p.name);
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(function () { URL.revokeObjectURL(a.href); }, 60000);
  // The Linux shell says where it went (fileSaved); WebView2 shows its own
  // download bar with the place.
  announce('Exported \u201c' + p.name + '\u201d as ' + a.download);
}

// The shell wrote a download to `path`, or could not (null).
/** @param {string | null} path */
export function fileSaved(path) {
  announce(path ? 'Saved to ' + path : 'The file could not be saved');
}
// Entries already in the library are matched to it; others join it as
// the shell would have delivered them.
export function importPlaylist(text, fileName) {
  const parsed = m3u.parseM3u8(text);
  const match = new m3u.Matcher(lib.tracks), urls = [], fresh = [];
  parsed.urls.forEach(function (u) {
    const t = match.find(u);
    if (t) urls.push(t.url); else { fresh.push(m3u.recordFromUrl(u)); urls.push(u); }
  });
  if (fresh.length) addRecords(fresh, 0, fresh.length, { added: 0, duplicates: 0, skipped: 0 });
  const name = parsed.name || String(fileName || '').replace(/\.m3u8?$/i, '') || 'Imported playlist';
  const p = sources.createPlaylist(name, urls);
  sources.setSource({ kind: 'playlist', id: p.id });
  announce('Imported \u201c' + p.name + '\u201d: ' + plural(p.urls.length, 'track', 'tracks') +
    (fresh.length ? ' \u00b7 ' + fresh.length.toLocaleString('en-US') + ' new to the library' : '') +
    (parsed.skipped.length ? ' \u00b7 ' + plural(parsed.skipped.length, 'entry', 'entries') + ' without an absolute path skipped' : ''));
  return p;
}

export function wirePlaylistActions() {
  el.grid.addEventListener('keydown', function (e) {
    if (!e.altKey || (e.key !== 'ArrowUp' && e.key !== 'ArrowDown') || !reorderable()) return;
    e.preventDefault();
    e.stopPropagation();
    moveSelection(e.key === 'ArrowUp' ? -1 : 1);
  });

  // ---- dragging rows ------------------------------------------------------------

  el.viewport.addEventListener('dragstart', function (e) {
    const t = rowTrack(e.target);
    if (!t) return;
    if (!selection.isSelected(t)) { selection.selectOnly(t); }
    dragging = selection.selectedInView();
    e.dataTransfer.effectAllowed = 'copyMove';
    e.dataTransfer.setData('text/plain', dragging.map(function (x) { return tagsOf(x).title; }).join('\n'));
  });
  el.viewport.addEventListener('dragend', function () { dragging = null; });
  el.viewport.addEventListener('dragover', function (e) {
    if (dragging && reorderable()) { e.preventDefault(); e.dataTransfer.dropEffect = 'move'; }
  });
  el.viewport.addEventListener('drop', function (e) {
    if (!dragging || !reorderable()) return;
    e.preventDefault();
    const box = el.viewport.getBoundingClientRect();
    const to = Math.max(0, Math.round((e.clientY - box.top + el.viewport.scrollTop) / ROW_H));
    const p = currentPlaylist();
    sources.movePlaylistEntries(p.id, positionsOf(p, dragging), Math.min(to, p.urls.length));
    dragging = null;
  });

  el.listRename.addEventListener('click', function () { const p = currentPlaylist(); if (p) renamePlaylist(p.id); });
  el.listDelete.addEventListener('click', function () { const p = currentPlaylist(); if (p) deletePlaylist(p.id); });

  el.listExport.addEventListener('click', function () { const p = currentPlaylist(); if (p) exportPlaylist(p.id); });

  const input = $('import-playlist');
  $('import-playlist-btn').addEventListener('click', function () { input.click(); });
  input.addEventListener('change', function () {
    const file = input.files && input.files[0];
    input.value = '';
    if (!file) return;
    file.text().then(function (text) { importPlaylist(text, file.name); }, function () {
      announce('The playlist file could not be read');
    });
  });
}
