/* Sonabel player: the Albums, Artists and Folders views, and the header
   above a list of one album, artist, folder or playlist. Like the track
   list, only what is on screen is in the page; covers are tried only for
   albums on screen, by <img>, one candidate file after another. */
import { fold, plural, formatTotal } from './core/text.js';
import { baseName, pathFromUrl } from './core/paths.js';
import { treeTop } from './core/indexes.js';
import { matchesAll } from './core/query.js';
import { SMART } from './core/playlists.js';
import { el } from './dom.js';
import { on } from './events.js';
import { lib } from './library.js';
import { setSetting, changeSettings } from './settings.js';
import { view, terms } from './shown.js';
import { source, setSource, indexes, isCatalogue, sourceKey, playlists, shownSource, discCount } from './sources.js';
import { playOnly } from './playback.js';
import { render as renderList } from './view.js';
import { clearSearch } from './search.js';
import { showCover } from './covers.js';

const TILE_W = 168, TILE_H = 214, LINE_H = 40, OVERSCAN = 2;

// ---- what each view lists -----------------------------------------------------

// A key no search text contains (terms are folded and never hold \u0001).
const NONE = '\u0001';

function albumKeys(a) {
  if (a.keys) return a.keys;
  const artist = fold(a.artist), album = fold(a.title);
  return (a.keys = { own: album + '\u0000' + artist, folder: fold(a.folder.name), artist, album });
}

const expanded = new Set();

function folderRows(idx) {
  const top = treeTop(idx), out = [];
  const roots = top ? [top] : idx.roots;
  (function walk(list, depth) {
    for (let i = 0; i < list.length; i++) {
      const f = list[i];
      if (!f.total) continue;
      out.push({ folder: f, depth: depth });
      if (expanded.has(f.url) || (depth === 0 && !expanded.has('-' + f.url))) walk(f.children, depth + 1);
    }
  })(roots, 0);
  return out;
}

let items = [], itemsFor = '';
// The item the keyboard is on in a catalogue view; none until one is picked.
let catalogueCursor = -1;

// A catalogue view opened anew from the sidebar starts without one.
export function resetCatalogueCursor() { catalogueCursor = -1; }

function computeItems() {
  const src = source, idx = indexes();
  if (src.kind === 'albums') {
    items = idx.albums.filter(function (a) {
      return matchesAll(albumKeys(a), terms);
    });
  } else if (src.kind === 'artists') {
    // An artist has no album to look in; NONE matches no term.
    items = idx.artists.filter(function (a) { return matchesAll({ own: a.key, folder: '', artist: a.key, album: NONE }, terms); });
  } else {
    items = folderRows(idx);
    if (terms.length) items = items.filter(function (r) { const k = fold(r.folder.name); return matchesAll({ own: k, folder: '', artist: NONE, album: k }, terms); });
  }
}

// ---- the catalogue views ---------------------------------------------------

const pool = [];

function columns() { return Math.max(1, Math.floor((el.browse.clientWidth - 16) / TILE_W)); }

function render() {
  const src = source;
  if (!isCatalogue(src)) return;
  const albums = src.kind === 'albums', cols = albums ? columns() : 1, h = albums ? TILE_H : LINE_H;
  const lines = Math.ceil(items.length / cols);
  el.browseSpacer.style.height = (lines * h + 16) + 'px';
  const top = el.browse.scrollTop, height = el.browse.clientHeight || 600;
  const first = Math.max(0, Math.floor(top / h) - OVERSCAN), last = Math.min(lines, Math.ceil((top + height) / h) + OVERSCAN);
  let n = 0;
  for (let line = first; line < last; line++) {
    for (let c = 0; c < cols; c++) {
      const k = line * cols + c;
      if (k >= items.length) break;
      const node = pool[n] || (pool[n] = makeNode());
      n++;
      fill(node, items[k], src.kind, k);
      node.style.transform = 'translate(' + (albums ? 8 + c * TILE_W : 0) + 'px,' + (8 + line * h) + 'px)';
    }
  }
  for (; n < pool.length; n++) { pool[n].hidden = true; pool[n].item = null; }
}

function makeNode() {
  const node = /** @type {any} */ (document.createElement('div'));
  node.setAttribute('role', 'option');
  const img = document.createElement('img');
  img.alt = '';
  img.className = 'tile-cover';
  const chevron = document.createElement('span');
  chevron.className = 'chevron';
  const name = document.createElement('div');
  name.className = 'item-name';
  const sub = document.createElement('div');
  sub.className = 'item-sub';
  node.append(img, chevron, name, sub);
  node.parts = { img: img, chevron: chevron, name: name, sub: sub };
  el.browse.appendChild(node);
  return node;
}

function fill(node, item, kind, k) {
  const p = node.parts;
  node.hidden = false;
  node.className = 'item ' + kind;
  node.item = item;
  node.dataset.index = String(k);
  node.classList.toggle('cursor', k === catalogueCursor);
  node.setAttribute('aria-selected', k === catalogueCursor ? 'true' : 'false');
  if (kind === 'albums') {
    p.name.textContent = item.title;
    p.sub.textContent = item.artist + ' \u00b7 ' + plural(item.tracks.length, 'track', 'tracks');
    if (p.img.dataset.album !== item.id) showCover(p.img, item.id);
    p.img.hidden = false;
    p.chevron.hidden = true;
    node.style.paddingLeft = '';
  } else if (kind === 'artists') {
    p.name.textContent = item.name;
    p.sub.textContent = plural(item.albums.length, 'album', 'albums') + ' \u00b7 ' + plural(item.tracks.length, 'track', 'tracks');
    p.img.hidden = true;
    p.chevron.hidden = true;
    node.style.paddingLeft = '';
  } else {
    const f = item.folder, isOpen = f.children.length && folderOpen(f, item.depth);
    p.name.textContent = f.name || '/';
    p.sub.textContent = plural(f.total, 'track', 'tracks');
    p.img.hidden = true;
    p.chevron.hidden = false;
    p.chevron.textContent = f.children.length ? (isOpen ? '\u25be' : '\u25b8') : '';
    node.style.paddingLeft = (12 + item.depth * 18) + 'px';
  }
}

function folderOpen(f, depth) { return expanded.has(f.url) || (depth === 0 && !expanded.has('-' + f.url)); }

function toggleFolder(row) {
  const f = row.folder;
  if (row.depth === 0) { const k = '-' + f.url; if (expanded.has(k)) expanded.delete(k); else expanded.add(k); }
  else if (expanded.has(f.url)) expanded.delete(f.url); else expanded.add(f.url);
  computeItems();
  render();
}

// Opens what an item stands for as a list of tracks.
function openItem(item, kind) {
  if (kind === 'albums') setSource({ kind: 'album', id: item.id });
  else if (kind === 'artists') setSource({ kind: 'artist', id: item.key });
  else setSource({ kind: 'folder', id: item.folder.url });
}

function nodeOf(target) {
  while (target && target !== el.browse) { if (target.item) return target; target = target.parentNode; }
  return null;
}

// ---- which of the two shows, and the header -----------------------------------

/** @type {Record<string, string>} */
const VIEW_NAMES = { library: 'Library', albums: 'Albums', artists: 'Artists', folders: 'Folders', album: 'Album', artist: 'Artist', folder: 'Folder', playlist: 'Playlist', smart: 'Smart list' };

export function renderBrowse() {
  const src = source, catalogue = isCatalogue(src), hasTracks = lib.size() > 0;
  if (catalogue) el.browse.setAttribute('aria-label', VIEW_NAMES[src.kind]);
  el.browse.hidden = !catalogue || !hasTracks;
  el.grid.hidden = catalogue;
  if (catalogue && hasTracks) {
    el.noResults.hidden = true;
    const key = src.kind + terms.map(function (t) { return t.field + ':' + t.text; }).join(' ') + lib.version;
    if (key !== itemsFor) { computeItems(); itemsFor = key; }
    render();
  }
  showHead(src);
}

function showHead(src) {
  let idx, title = '', sub = '', album = null, playlist = null;
  if (src.kind === 'album' && (album = indexes().albumById.get(src.id))) {
    title = album.title; sub = album.artist + (discCount() > 1 ? ' \u00b7 ' + discCount() + ' discs' : '');
  } else if (src.kind === 'artist' && (idx = indexes().artistByKey.get(src.id))) {
    title = idx.name; sub = plural(idx.albums.length, 'album', 'albums');
  } else if (src.kind === 'folder') {
    title = baseName(src.id); sub = pathFromUrl(src.id);
  } else if (src.kind === 'playlist' && (playlist = playlists.get(src.id))) {
    title = playlist.name; sub = 'Playlist';
  } else if (src.kind === 'smart') {
    title = SMART[src.id].name; sub = 'Smart list';
  }
  el.listHead.hidden = !title;
  el.viewTitle.textContent = title ? VIEW_NAMES[src.kind] + ': ' + title : VIEW_NAMES[src.kind];
  if (!title) return;
  el.listTitle.textContent = title;
  let seconds = 0;
  let known = 0;
  const all = shownSource().tracks.length;
  view.forEach(function (t) { if (t.duration !== null) { seconds += t.duration; known++; } });
  // A search in force narrows this list too: say so, with the true count.
  const count = terms.length ? view.length.toLocaleString('en-US') + ' of ' + plural(all, 'track', 'tracks') + ' match the search' : plural(all, 'track', 'tracks');
  el.listSub.textContent = sub + ' \u00b7 ' + count + (known ? ' \u00b7 ' + formatTotal(seconds) : '');
  el.listClearSearch.hidden = !terms.length;
  el.listCover.hidden = !album;
  if (album && el.listCover.dataset.album !== album.id) showCover(el.listCover, album.id);
  el.listRename.hidden = el.listExport.hidden = el.listDelete.hidden = !playlist;
  el.listPlay.disabled = !view.length;
}

// Where each view was scrolled to, for when the user comes back to it.
const tops = new Map();
// Off until the stored view is back, so that start-up does not overwrite it.
let remembering = false;

/** @param {HTMLElement} scroller */
function remember(scroller) {
  if (remembering && (scroller === el.browse) === isCatalogue(source)) setSetting('viewTop', scroller.scrollTop, 'soon');
}

// Whether a stored view can still be shown: its playlist, album, artist or
// folder may have gone since.
/** @param {import('./sources.js').Source} view */
function stillThere(view) {
  switch (view.kind) {
    case 'playlist': return !!playlists.get(view.id);
    case 'album': return indexes().albumById.has(view.id);
    case 'artist': return indexes().artistByKey.has(view.id);
    case 'folder': return indexes().folders.has(view.id);
    default: return true;
  }
}

// The view of the last run, scrolled as it was, once the library is back.
/** @param {import('./sources.js').Source | null} view @param {number} top */
export function restoreView(view, top) {
  if (view && stillThere(view)) {
    setSource(view);
    if (isCatalogue(source)) { el.browse.scrollTop = top; render(); } else { el.viewport.scrollTop = top; renderList(); }
  }
  remembering = true;
}

export function wireBrowseList() {
  el.browse.addEventListener('click', function (e) {
    const node = nodeOf(e.target);
    if (!node) return;
    const kind = source.kind;
    catalogueCursor = Number(node.dataset.index);
    if (kind === 'folders' && e.target === node.parts.chevron) { toggleFolder(node.item); return; }
    openItem(node.item, kind);
  });
  el.browse.addEventListener('keydown', function (e) {
    const kind = source.kind, cols = kind === 'albums' ? columns() : 1;
    const at = catalogueCursor;
    const step = { ArrowDown: cols, ArrowUp: -cols, ArrowRight: kind === 'albums' ? 1 : 0, ArrowLeft: kind === 'albums' ? -1 : 0 }[e.key];
    if (step !== undefined) {
      e.preventDefault();
      e.stopPropagation();
      if (kind === 'folders' && (e.key === 'ArrowRight' || e.key === 'ArrowLeft') && items[at]) {
        const isOpen = folderOpen(items[at].folder, items[at].depth);
        if ((e.key === 'ArrowRight') !== isOpen) toggleFolder(items[at]);
        return;
      }
      catalogueCursor = Math.max(0, Math.min(items.length - 1, at + step));
      const line = Math.floor(catalogueCursor / cols), h = kind === 'albums' ? TILE_H : LINE_H;
      if (line * h < el.browse.scrollTop) el.browse.scrollTop = line * h;
      else if ((line + 1) * h + 16 > el.browse.scrollTop + el.browse.clientHeight) el.browse.scrollTop = (line + 1) * h + 16 - el.browse.clientHeight;
      render();
    } else if (e.key === 'Enter' && items[at]) {
      e.preventDefault();
      e.stopPropagation();
      openItem(items[at], kind);
    }
  });
  el.browse.addEventListener('scroll', function () { requestAnimationFrame(render); remember(el.browse); }, { passive: true });
  el.viewport.addEventListener('scroll', function () { remember(el.viewport); }, { passive: true });
  window.addEventListener('resize', function () { requestAnimationFrame(render); });

  el.listPlay.addEventListener('click', function () { playOnly(view[0] || null); });
  el.listClearSearch.addEventListener('click', function () { clearSearch(); });

  // Back to where the view was when the user comes back to it, and after
  // a restart (see restoreView).
  on('shown', function (d) {
    if (d && d.leaving) tops.set(sourceKey(d.leaving), isCatalogue(d.leaving) ? el.browse.scrollTop : el.viewport.scrollTop);
    if (!d || !d.source) return;
    if (remembering) changeSettings({ view: d.source, viewTop: tops.get(sourceKey(d.source)) || 0 }, 'soon');
    const top = tops.get(sourceKey(d.source)) || 0;
    if (isCatalogue(d.source)) { el.browse.scrollTop = top; render(); } else { el.viewport.scrollTop = top; renderList(); }
  });
}
