/* Sonabel player: the sidebar. Library, the catalogue views, the smart
   lists and the playlists; tracks dragged onto a playlist join it. */
import { plural } from './core/text.js';
import { el } from './dom.js';
import { on } from './events.js';
import { source, setSource, playlists, isCatalogue, sourceKey } from './sources.js';
import { resetCatalogueCursor } from './browse_list.js';
import { renamePlaylist, deletePlaylist, addToPlaylist, newPlaylist, dragged, endDrag } from './playlist_actions.js';


const VIEWS = [
  ['library', null, 'Library'], ['albums', null, 'Albums'], ['artists', null, 'Artists'], ['folders', null, 'Folders'],
  ['smart', 'recent', 'Recently added'], ['smart', 'most', 'Most played'], ['smart', 'never', 'Never played']
];

function item(list, src, label) {
  const li = /** @type {any} */ (document.createElement('li'));
  li.className = 'side-item kind-' + src.kind;
  li.setAttribute('role', 'option');
  li.tabIndex = -1;
  li.source = src;
  const name = document.createElement('span');
  name.className = 'side-name';
  name.textContent = label;
  li.appendChild(name);
  list.appendChild(li);
  return li;
}

function showPlaylists() {
  el.sidePlaylists.textContent = '';
  playlists.lists.forEach(function (p) {
    const li = item(el.sidePlaylists, { kind: 'playlist', id: p.id }, p.name);
    li.title = plural(p.urls.length, 'track', 'tracks');
  });
  if (source.kind === 'playlist' && !playlists.get(source.id)) setSource({ kind: 'library', id: null });
  showCurrent();
}

function showCurrent() {
  const key = sourceKey(source);
  // An album, artist or folder opened from a catalogue view keeps that view lit.
  const parent = { album: 'albums:', artist: 'artists:', folder: 'folders:' }[source.kind];
  [].forEach.call(document.querySelectorAll('.side-item'), function (li) {
    const k = sourceKey(li.source), on = k === key || k === parent;
    li.classList.toggle('current', on);
    li.setAttribute('aria-selected', on ? 'true' : 'false');
    li.tabIndex = on ? 0 : -1;
  });
}

function sideItem(target) {
  while (target && !(target.source && target.classList)) target = target.parentNode;
  return target;
}

export function wireSidebar() {
  VIEWS.forEach(function (v) { item(el.sideViews, { kind: v[0], id: v[1] }, v[2]); });
  el.sidebar.addEventListener('click', function (e) {
    const li = sideItem(e.target);
    if (!li) return;
    if (isCatalogue(li.source) && sourceKey(li.source) !== sourceKey(source)) resetCatalogueCursor();
    setSource(li.source);
  });
  el.sidebar.addEventListener('dblclick', function (e) {
    const li = sideItem(e.target);
    if (li && li.source.kind === 'playlist') renamePlaylist(li.source.id);
  });
  el.sidebar.addEventListener('keydown', function (e) {
    const li = sideItem(e.target);
    if (!li) return;
    const all = [].slice.call(document.querySelectorAll('.side-item')), at = all.indexOf(li);
    if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      const next = all[at + (e.key === 'ArrowDown' ? 1 : -1)];
      if (next) { setSource(next.source); next.focus(); }
    } else if (li.source.kind === 'playlist' && e.key === 'F2') renamePlaylist(li.source.id);
    else if (li.source.kind === 'playlist' && e.key === 'Delete') deletePlaylist(li.source.id);
    else return;
    e.preventDefault();
    e.stopPropagation();
  });

  // Rows dragged from the track list carry the selection.
  el.sidePlaylists.addEventListener('dragover', function (e) {
    const li = sideItem(e.target);
    if (!li || !dragged()) return;
    e.preventDefault();
    e.dataTransfer.dropEffect = 'copy';
    li.classList.add('drop');
  });
  el.sidePlaylists.addEventListener('dragleave', function (e) {
    const li = sideItem(e.target);
    if (li) li.classList.remove('drop');
  });
  el.sidePlaylists.addEventListener('drop', function (e) {
    const li = sideItem(e.target);
    const tracks = dragged();
    if (!li || !tracks) return;
    e.preventDefault();
    li.classList.remove('drop');
    addToPlaylist(li.source.id, tracks);
    endDrag();
  });

  el.newPlaylist.addEventListener('click', function () { newPlaylist(); });

  on('playlists', showPlaylists);
  on('shown', showCurrent);
  showPlaylists();
}
