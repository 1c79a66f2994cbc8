/* Sonabel player: the sidebar. Library, the catalogue views, the smart
   lists and the playlists; tracks dragged onto a playlist join it. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, model = P.model;
  var $ = P.$;
  el.sideViews = $('side-views');
  el.sidePlaylists = $('side-playlists');
  el.newPlaylist = $('new-playlist');

  var VIEWS = [
    ['library', null, 'Library'], ['albums', null, 'Albums'], ['artists', null, 'Artists'], ['folders', null, 'Folders'],
    ['smart', 'recent', 'Recently added'], ['smart', 'most', 'Most played'], ['smart', 'never', 'Never played']
  ];

  function item(list, src, label) {
    var li = document.createElement('li');
    li.className = 'side-item kind-' + src.kind;
    li.setAttribute('role', 'option');
    li.tabIndex = -1;
    li.source = src;
    var name = document.createElement('span');
    name.className = 'side-name';
    name.textContent = label;
    li.appendChild(name);
    list.appendChild(li);
    return li;
  }

  VIEWS.forEach(function (v) { item(el.sideViews, { kind: v[0], id: v[1] }, v[2]); });

  function showPlaylists() {
    el.sidePlaylists.textContent = '';
    P.playlists.lists.forEach(function (p) {
      var li = item(el.sidePlaylists, { kind: 'playlist', id: p.id }, p.name);
      li.title = core.plural(p.urls.length, 'track', 'tracks');
    });
    if (P.browse.source.kind === 'playlist' && !P.playlists.get(P.browse.source.id)) model.setSource({ kind: 'library', id: null });
    showCurrent();
  }

  function showCurrent() {
    var key = P.sourceKey(P.browse.source);
    // An album, artist or folder opened from a catalogue view keeps that view lit.
    var parent = { album: 'albums:', artist: 'artists:', folder: 'folders:' }[P.browse.source.kind];
    [].forEach.call(document.querySelectorAll('.side-item'), function (li) {
      var k = P.sourceKey(li.source), on = k === key || k === parent;
      li.classList.toggle('current', on);
      li.setAttribute('aria-selected', on ? 'true' : 'false');
      li.tabIndex = on ? 0 : -1;
    });
  }

  function sideItem(target) {
    while (target && !(target.source && target.classList)) target = target.parentNode;
    return target;
  }

  el.sidebar = $('sidebar');
  el.sidebar.addEventListener('click', function (e) {
    var li = sideItem(e.target);
    if (!li) return;
    if (P.isCatalogue(li.source) && P.sourceKey(li.source) !== P.sourceKey(P.browse.source)) P.browse.catalogueCursor = undefined;
    model.setSource(li.source);
  });
  el.sidebar.addEventListener('dblclick', function (e) {
    var li = sideItem(e.target);
    if (li && li.source.kind === 'playlist') P.renamePlaylist(li.source.id);
  });
  el.sidebar.addEventListener('keydown', function (e) {
    var li = sideItem(e.target);
    if (!li) return;
    var all = [].slice.call(document.querySelectorAll('.side-item')), at = all.indexOf(li);
    if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      var next = all[at + (e.key === 'ArrowDown' ? 1 : -1)];
      if (next) { model.setSource(next.source); next.focus(); }
    } else if (li.source.kind === 'playlist' && e.key === 'F2') P.renamePlaylist(li.source.id);
    else if (li.source.kind === 'playlist' && e.key === 'Delete') P.deletePlaylist(li.source.id);
    else return;
    e.preventDefault();
    e.stopPropagation();
  });

  // Rows dragged from the track list carry the selection.
  el.sidePlaylists.addEventListener('dragover', function (e) {
    var li = sideItem(e.target);
    if (!li || !P.dragged) return;
    e.preventDefault();
    e.dataTransfer.dropEffect = 'copy';
    li.classList.add('drop');
  });
  el.sidePlaylists.addEventListener('dragleave', function (e) {
    var li = sideItem(e.target);
    if (li) li.classList.remove('drop');
  });
  el.sidePlaylists.addEventListener('drop', function (e) {
    var li = sideItem(e.target);
    if (!li || !P.dragged) return;
    e.preventDefault();
    li.classList.remove('drop');
    P.addToPlaylist(li.source.id, P.dragged);
    P.dragged = null;
  });

  el.newPlaylist.addEventListener('click', function () { P.newPlaylist(); });

  model.on('playlists', showPlaylists);
  model.on('shown', showCurrent);
  showPlaylists();
})();
