/* Sonabel player: the Albums, Artists and Folders views, and the header
   above a list of one album, artist, folder or playlist. Like the track
   list, only what is on screen is in the page; covers are tried only for
   albums on screen, by <img>, one candidate file after another. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state, model = P.model;
  var $ = P.$;
  Object.assign(el, {
    browse: $('browse'), browseSpacer: $('browse-spacer'), listHead: $('list-head'), listCover: $('list-cover'),
    listTitle: $('list-title'), listSub: $('list-sub'), listPlay: $('list-play'), listRename: $('list-rename'),
    listExport: $('list-export'), listDelete: $('list-delete')
  });
  var TILE_W = 168, TILE_H = 214, LINE_H = 40, OVERSCAN = 2;

  // ---- covers -----------------------------------------------------------------

  var covers = new Map(); // album id -> url found, or '' when none was

  // Shows an album's cover in `img`, trying the candidates in turn.
  function showCover(img, album) {
    var known = covers.get(album.id);
    img.dataset.album = album.id;
    if (known !== undefined) { setCover(img, known); return; }
    var list = core.layout.coverCandidates(album.id), i = 0;
    img.onerror = function () {
      if (img.dataset.album !== album.id) return;
      if (++i < list.length) img.src = list[i];
      else { covers.set(album.id, ''); setCover(img, ''); }
    };
    img.onload = function () { if (img.dataset.album === album.id) { covers.set(album.id, list[i]); img.classList.remove('none'); } };
    img.classList.add('none');
    img.src = list[0];
  }
  function setCover(img, url) {
    img.onerror = img.onload = null;
    img.classList.toggle('none', !url);
    if (url) img.src = url; else img.removeAttribute('src');
  }
  P.albumCover = function (id) { return covers.get(id); };

  // ---- what each view lists -----------------------------------------------------

  function matchesTerms(key, artistKey, albumKey, terms) {
    for (var i = 0; i < terms.length; i++) {
      var t = terms[i];
      var hay = t.field === 'artist' ? artistKey : t.field === 'album' ? albumKey : key;
      if (hay.indexOf(t.text) < 0) return false;
    }
    return true;
  }

  function albumKeys(a) {
    if (a.keys) return a.keys;
    var artist = core.fold(a.artist), album = core.fold(a.title);
    return (a.keys = { artist: artist, album: album, all: album + '\u0000' + artist + '\u0000' + core.fold(a.folder.name) });
  }

  var expanded = new Set();

  function folderRows(idx) {
    var top = core.indexes.treeTop(idx), out = [];
    var roots = top ? [top] : idx.roots;
    (function walk(list, depth) {
      for (var i = 0; i < list.length; i++) {
        var f = list[i];
        if (!f.total) continue;
        out.push({ folder: f, depth: depth });
        if (expanded.has(f.url) || (depth === 0 && !expanded.has('-' + f.url))) walk(f.children, depth + 1);
      }
    })(roots, 0);
    return out;
  }

  var items = [], itemsFor = '';

  function computeItems() {
    var src = P.browse.source, idx = P.indexes(), terms = state.terms;
    if (src.kind === 'albums') {
      items = idx.albums.filter(function (a) {
        var k = albumKeys(a);
        return !terms.length || matchesTerms(k.all, k.artist, k.album, terms);
      });
    } else if (src.kind === 'artists') {
      items = idx.artists.filter(function (a) { return !terms.length || matchesTerms(a.key, a.key, '\u0001', terms); });
    } else {
      items = folderRows(idx);
      if (terms.length) items = items.filter(function (r) { var k = core.fold(r.folder.name); return matchesTerms(k, '\u0001', k, terms); });
    }
  }

  // ---- the catalogue views ---------------------------------------------------

  var pool = [];

  function columns() { return Math.max(1, Math.floor((el.browse.clientWidth - 16) / TILE_W)); }

  function render() {
    var src = P.browse.source;
    if (!P.isCatalogue(src)) return;
    var albums = src.kind === 'albums', cols = albums ? columns() : 1, h = albums ? TILE_H : LINE_H;
    var lines = Math.ceil(items.length / cols);
    el.browseSpacer.style.height = (lines * h + 16) + 'px';
    var top = el.browse.scrollTop, height = el.browse.clientHeight || 600;
    var first = Math.max(0, Math.floor(top / h) - OVERSCAN), last = Math.min(lines, Math.ceil((top + height) / h) + OVERSCAN);
    var n = 0;
    for (var line = first; line < last; line++) {
      for (var c = 0; c < cols; c++) {
        var k = line * cols + c;
        if (k >= items.length) break;
        var node = pool[n] || (pool[n] = makeNode());
        n++;
        fill(node, items[k], src.kind, k);
        node.style.transform = 'translate(' + (albums ? 8 + c * TILE_W : 0) + 'px,' + (8 + line * h) + 'px)';
      }
    }
    for (; n < pool.length; n++) { pool[n].hidden = true; pool[n].item = null; }
  }
  P.renderBrowseList = render;

  function makeNode() {
    var node = document.createElement('div');
    node.setAttribute('role', 'option');
    var img = document.createElement('img');
    img.alt = '';
    img.className = 'tile-cover';
    var chevron = document.createElement('span');
    chevron.className = 'chevron';
    var name = document.createElement('div');
    name.className = 'item-name';
    var sub = document.createElement('div');
    sub.className = 'item-sub';
    node.append(img, chevron, name, sub);
    node.parts = { img: img, chevron: chevron, name: name, sub: sub };
    el.browse.appendChild(node);
    return node;
  }

  function fill(node, item, kind, k) {
    var p = node.parts;
    node.hidden = false;
    node.className = 'item ' + kind;
    node.item = item;
    node.dataset.index = String(k);
    node.classList.toggle('cursor', k === P.browse.catalogueCursor);
    node.setAttribute('aria-selected', k === P.browse.catalogueCursor ? 'true' : 'false');
    if (kind === 'albums') {
      p.name.textContent = item.title;
      p.sub.textContent = item.artist + ' \u00b7 ' + core.plural(item.tracks.length, 'track', 'tracks');
      if (p.img.dataset.album !== item.id) showCover(p.img, item);
      p.img.hidden = false;
      p.chevron.hidden = true;
      node.style.paddingLeft = '';
    } else if (kind === 'artists') {
      p.name.textContent = item.name;
      p.sub.textContent = core.plural(item.albums.length, 'album', 'albums') + ' \u00b7 ' + core.plural(item.tracks.length, 'track', 'tracks');
      p.img.hidden = true;
      p.chevron.hidden = true;
      node.style.paddingLeft = '';
    } else {
      var f = item.folder, open = f.children.length && folderOpen(f, item.depth);
      p.name.textContent = f.name || '/';
      p.sub.textContent = core.plural(f.total, 'track', 'tracks');
      p.img.hidden = true;
      p.chevron.hidden = false;
      p.chevron.textContent = f.children.length ? (open ? '\u25be' : '\u25b8') : '';
      node.style.paddingLeft = (12 + item.depth * 18) + 'px';
    }
  }

  function folderOpen(f, depth) { return expanded.has(f.url) || (depth === 0 && !expanded.has('-' + f.url)); }

  function toggleFolder(row) {
    var f = row.folder;
    if (row.depth === 0) { var k = '-' + f.url; if (expanded.has(k)) expanded.delete(k); else expanded.add(k); }
    else if (expanded.has(f.url)) expanded.delete(f.url); else expanded.add(f.url);
    computeItems();
    render();
  }

  // Opens what an item stands for as a list of tracks.
  function open(item, kind) {
    if (kind === 'albums') model.setSource({ kind: 'album', id: item.id });
    else if (kind === 'artists') model.setSource({ kind: 'artist', id: item.key });
    else model.setSource({ kind: 'folder', id: item.folder.url });
  }

  function nodeOf(target) {
    while (target && target !== el.browse) { if (target.item) return target; target = target.parentNode; }
    return null;
  }

  el.browse.addEventListener('click', function (e) {
    var node = nodeOf(e.target);
    if (!node) return;
    var kind = P.browse.source.kind;
    P.browse.catalogueCursor = Number(node.dataset.index);
    if (kind === 'folders' && e.target === node.parts.chevron) { toggleFolder(node.item); return; }
    open(node.item, kind);
  });
  el.browse.addEventListener('keydown', function (e) {
    var kind = P.browse.source.kind, cols = kind === 'albums' ? columns() : 1;
    var at = P.browse.catalogueCursor === undefined ? -1 : P.browse.catalogueCursor;
    var step = { ArrowDown: cols, ArrowUp: -cols, ArrowRight: kind === 'albums' ? 1 : 0, ArrowLeft: kind === 'albums' ? -1 : 0 }[e.key];
    if (step !== undefined) {
      e.preventDefault();
      e.stopPropagation();
      if (kind === 'folders' && (e.key === 'ArrowRight' || e.key === 'ArrowLeft') && items[at]) {
        var open = folderOpen(items[at].folder, items[at].depth);
        if ((e.key === 'ArrowRight') !== open) toggleFolder(items[at]);
        return;
      }
      P.browse.catalogueCursor = Math.max(0, Math.min(items.length - 1, at + step));
      var line = Math.floor(P.browse.catalogueCursor / cols), h = kind === 'albums' ? TILE_H : LINE_H;
      if (line * h < el.browse.scrollTop) el.browse.scrollTop = line * h;
      else if ((line + 1) * h + 16 > el.browse.scrollTop + el.browse.clientHeight) el.browse.scrollTop = (line + 1) * h + 16 - el.browse.clientHeight;
      render();
    } else if (e.key === 'Enter' && items[at]) {
      e.preventDefault();
      e.stopPropagation();
      open(items[at], kind);
    }
  });
  el.browse.addEventListener('scroll', function () { requestAnimationFrame(render); }, { passive: true });
  window.addEventListener('resize', function () { requestAnimationFrame(render); });

  // ---- which of the two shows, and the header -----------------------------------

  P.renderBrowse = function () {
    var src = P.browse.source, catalogue = P.isCatalogue(src), hasTracks = P.lib.size() > 0;
    el.browse.hidden = !catalogue || !hasTracks;
    el.grid.hidden = catalogue;
    if (catalogue && hasTracks) {
      el.noResults.hidden = true;
      var key = src.kind + state.terms.map(function (t) { return t.field + ':' + t.text; }).join(' ') + P.lib.version;
      if (key !== itemsFor) { computeItems(); itemsFor = key; }
      render();
    }
    showHead(src);
  };

  function showHead(src) {
    var idx, title = '', sub = '', album = null, playlist = null;
    if (src.kind === 'album' && (album = P.indexes().albumById.get(src.id))) {
      title = album.title; sub = album.artist;
    } else if (src.kind === 'artist' && (idx = P.indexes().artistByKey.get(src.id))) {
      title = idx.name; sub = core.plural(idx.albums.length, 'album', 'albums');
    } else if (src.kind === 'folder') {
      title = core.layout.baseName(src.id); sub = core.playlistFile.pathFromUrl(src.id);
    } else if (src.kind === 'playlist' && (playlist = P.playlists.get(src.id))) {
      title = playlist.name; sub = 'Playlist';
    } else if (src.kind === 'smart') {
      title = core.playlists.SMART[src.id].name; sub = 'Smart list';
    }
    el.listHead.hidden = !title;
    if (!title) return;
    el.listTitle.textContent = title;
    var seconds = 0, known = 0;
    state.view.forEach(function (t) { if (t.duration !== null) { seconds += t.duration; known++; } });
    el.listSub.textContent = sub + ' \u00b7 ' + core.plural(state.view.length, 'track', 'tracks') + (known ? ' \u00b7 ' + core.formatTotal(seconds) : '');
    el.listCover.hidden = !album;
    if (album && el.listCover.dataset.album !== album.id) showCover(el.listCover, album);
    el.listRename.hidden = el.listExport.hidden = el.listDelete.hidden = !playlist;
    el.listPlay.disabled = !state.view.length;
  }

  el.listPlay.addEventListener('click', function () {
    var t = state.view[0];
    if (t) { P.selectOnly(t); P.selectionChanged(); P.playFromList(t); }
  });

  // Back to where the view was when the user comes back to it.
  model.on('shown', function (d) {
    if (!d || !d.source) return;
    if (P.isCatalogue(d.source)) { el.browse.scrollTop = d.top; render(); } else { el.viewport.scrollTop = d.top; P.render(); }
  });
})();
