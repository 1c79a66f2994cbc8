/* Sonabel player: what the sidebar shows. The shown list's tracks come from
   a source (the library, a smart list, a playlist, an artist, an album, a
   folder); Albums, Artists and Folders list those first. Each view keeps
   its scroll position and selection for when the user comes back. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state, model = P.model;
  var layoutCache = new core.layout.LayoutCache();

  P.layoutOf = function (t) { return layoutCache.of(t); };
  P.playlists = new core.playlists.Playlists();

  var browse = P.browse = {
    source: { kind: 'library', id: null },
    memory: new Map(),     // view key -> { top, selection, cursor, anchor }
    indexes: null, indexesVersion: -1
  };

  function keyOf(src) { return src.kind + ':' + (src.id === null ? '' : src.id); }
  P.sourceKey = keyOf;

  // The artist, album and folder indexes, rebuilt when the library changed.
  P.indexes = function () {
    if (!browse.indexes || browse.indexesVersion !== P.lib.version) {
      browse.indexes = core.indexes.buildIndexes(P.lib.tracks, layoutCache);
      browse.indexesVersion = P.lib.version;
    }
    return browse.indexes;
  };

  // Views that list things other than tracks.
  P.isCatalogue = function (src) { return src.kind === 'albums' || src.kind === 'artists' || src.kind === 'folders'; };

  var stamp = 0, lastKey = '', lastLib = -1, lastPlaylists = -1;

  // The tracks of the shown source, and whether they come in an order of
  // their own (a playlist, an album, a smart list), which '#' then keeps.
  P.shownSource = function () {
    var src = browse.source, lib = P.lib, idx;
    var key = keyOf(src);
    if (key !== lastKey || lib.version !== lastLib || (src.kind === 'playlist' && P.playlists.version !== lastPlaylists)) {
      stamp++; lastKey = key; lastLib = lib.version; lastPlaylists = P.playlists.version;
    }
    var tracks;
    switch (src.kind) {
      case 'smart': tracks = core.playlists.SMART[src.id].pick(lib.tracks); break;
      case 'playlist': tracks = P.playlists.tracksOf(src.id, lib.byUrl); break;
      case 'album': idx = P.indexes().albumById.get(src.id); tracks = idx ? idx.tracks : []; break;
      case 'artist':
        idx = P.indexes().artistByKey.get(src.id);
        tracks = idx ? [].concat.apply([], idx.albums.map(function (a) {
          return a.tracks.filter(function (t) { return core.fold(layoutCache.of(t).artist) === src.id; });
        })) : [];
        break;
      case 'folder': idx = P.indexes().folders.get(src.id); tracks = idx ? core.indexes.tracksUnder(idx) : []; break;
      default: tracks = P.isCatalogue(src) ? [] : lib.tracks;
    }
    return { tracks: tracks, stamp: stamp };
  };

  // Shows another source; the view left behind is remembered.
  model.setSource = function (src) {
    var old = browse.source;
    if (keyOf(old) === keyOf(src)) return;
    browse.memory.set(keyOf(old), {
      top: P.isCatalogue(old) ? el.browse.scrollTop : el.viewport.scrollTop,
      selection: state.selection, cursor: state.cursor, anchor: state.anchor
    });
    browse.source = src;
    var back = browse.memory.get(keyOf(src));
    state.selection = back ? back.selection : new Set();
    state.cursor = back ? back.cursor : null;
    state.anchor = back ? back.anchor : null;
    state.sorted = null;
    P.refreshView();
    P.selectionChanged();
    model.emit('shown', { source: src, top: back ? back.top : 0 });
  };

  // ---- playlists through the model ------------------------------------------

  function playlistsChanged(detail) {
    P.store.touchPlaylists();
    model.emit('playlists', detail);
    if (browse.source.kind === 'playlist') P.refreshView();
  }
  function change(fn) {
    return function () { var r = fn.apply(null, arguments); playlistsChanged(); return r; };
  }
  model.createPlaylist = change(function (name, urls) { return P.playlists.create(name, urls); });
  model.renamePlaylist = change(function (id, name) { return P.playlists.rename(id, name); });
  model.deletePlaylist = change(function (id) { return P.playlists.remove(id); });
  model.restorePlaylist = change(function (removed) { return P.playlists.restore(removed); });
  model.addToPlaylist = change(function (id, urls, at) { return P.playlists.add(id, urls, at); });
  model.movePlaylistEntries = change(function (id, positions, to) { return P.playlists.move(id, positions, to); });
  model.removePlaylistEntries = change(function (id, positions) { return P.playlists.removeEntries(id, positions); });

  // A track removed from the library leaves its playlists; undoing the
  // removal puts it back in them, where it was.
  var beforeRemoval = null;
  model.on('library', function (d) {
    if (d && d.removed && d.removed.length) {
      var before = new Map(P.playlists.lists.map(function (p) { return [p.id, p.urls]; }));
      if (P.playlists.dropUrls(new Set(d.removed.map(function (t) { return t.url; })))) {
        beforeRemoval = before;
        playlistsChanged();
      } else beforeRemoval = null;
    } else if (d && d.restored && beforeRemoval) {
      var back = new Set(d.restored.map(function (t) { return t.url; }));
      P.playlists.lists.forEach(function (p) {
        var was = beforeRemoval.get(p.id);
        if (!was) return;
        var now = new Set(p.urls);
        p.urls = was.filter(function (u) { return now.has(u) || back.has(u); }).concat(p.urls.filter(function (u) { return was.indexOf(u) < 0; }));
      });
      beforeRemoval = null;
      P.playlists.version++;
      playlistsChanged();
    }
  });

  // The stored playlists, once the store has read them; any made meanwhile
  // are kept too.
  P.restorePlaylists = function (stored) {
    var made = P.playlists.lists;
    P.playlists = core.playlists.unpackPlaylists(stored);
    made.forEach(function (p) { P.playlists.create(p.name, p.urls); });
    if (made.length) P.store.touchPlaylists();
    model.emit('playlists');
  };

  P.store.playlistsSource = function () { return P.playlists.pack(); };
})();
