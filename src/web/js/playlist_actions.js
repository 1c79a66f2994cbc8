/* Sonabel player: what the user does with playlists: make, rename and
   delete them (with undo), add tracks by menu or drag, reorder by drag or
   Alt+Up/Down, and export or import M3U8 files. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state, model = P.model;
  var m3u = core.playlistFile;

  function urlsOf(tracks) { return tracks.map(function (t) { return t.url; }); }

  function selected() {
    return state.view.filter(function (t) { return state.selection.has(t); });
  }

  P.addToPlaylist = function (id, tracks) {
    var p = P.playlists.get(id);
    if (!p || !tracks.length) return;
    var r = model.addToPlaylist(id, urlsOf(tracks));
    P.announce('Added ' + core.plural(r.added, 'track', 'tracks') + ' to \u201c' + p.name + '\u201d' +
      (r.already ? ' \u00b7 ' + r.already.toLocaleString('en-US') + ' already in it' : ''));
  };

  P.newPlaylist = function (tracks) {
    var p = model.createPlaylist('New playlist', tracks ? urlsOf(tracks) : []);
    model.setSource({ kind: 'playlist', id: p.id });
    P.renamePlaylist(p.id);
    return p;
  };

  // Renames in place, in the sidebar: Enter keeps, Escape or an empty name
  // leaves the name as it was.
  P.renamePlaylist = function (id) {
    var li = [].find.call(el.sidePlaylists.children, function (x) { return x.source.id === id; });
    var p = P.playlists.get(id);
    if (!li || !p) return;
    var input = document.createElement('input');
    input.className = 'side-rename';
    input.value = p.name;
    input.setAttribute('aria-label', 'Playlist name');
    li.textContent = '';
    li.appendChild(input);
    input.focus();
    input.select();
    var done = false;
    function finish(keep) {
      if (done) return;
      done = true;
      if (keep && input.value.trim() && input.value !== p.name) model.renamePlaylist(id, input.value);
      else model.emit('playlists');
    }
    input.addEventListener('keydown', function (e) {
      e.stopPropagation(); // typing is not a player shortcut
      if (e.key === 'Enter') finish(true);
      else if (e.key === 'Escape') finish(false);
    });
    input.addEventListener('blur', function () { finish(true); });
    input.addEventListener('click', function (e) { e.stopPropagation(); });
  };

  P.deletePlaylist = function (id) {
    var removed = model.deletePlaylist(id);
    if (!removed) return;
    P.announce('Deleted \u201c' + removed.playlist.name + '\u201d', {
      undo: function () { model.restorePlaylist(removed); model.setSource({ kind: 'playlist', id: id }); }
    });
  };

  function currentPlaylist() {
    return P.browse.source.kind === 'playlist' ? P.playlists.get(P.browse.source.id) : null;
  }

  // Positions in the playlist of the given tracks.
  function positionsOf(p, tracks) {
    var at = new Map(p.urls.map(function (u, i) { return [u, i]; }));
    return tracks.map(function (t) { return at.get(t.url); }).filter(function (i) { return i !== undefined; }).sort(function (a, b) { return a - b; });
  }

  // Reordering means something only in the playlist's own order.
  function reorderable() {
    return currentPlaylist() && P.settings.sortKey === 'index' && P.settings.sortDir === 'asc' && !state.terms.length;
  }

  function moveSelection(delta) {
    var p = currentPlaylist(), pos = positionsOf(p, selected());
    if (!pos.length) return;
    var to = delta < 0 ? pos[0] - 1 : pos[pos.length - 1] + 2;
    if (to < 0 || to > p.urls.length) return;
    model.movePlaylistEntries(p.id, pos, to);
    P.scrollToIndex(state.view.indexOf(state.cursor));
  }

  el.grid.addEventListener('keydown', function (e) {
    if (!e.altKey || (e.key !== 'ArrowUp' && e.key !== 'ArrowDown') || !reorderable()) return;
    e.preventDefault();
    e.stopPropagation();
    moveSelection(e.key === 'ArrowUp' ? -1 : 1);
  });

  // ---- dragging rows ------------------------------------------------------------

  el.viewport.addEventListener('dragstart', function (e) {
    var t = P.rowTrack(e.target);
    if (!t) return;
    if (!state.selection.has(t)) { P.selectOnly(t); P.selectionChanged(); }
    P.dragged = selected();
    e.dataTransfer.effectAllowed = 'copyMove';
    e.dataTransfer.setData('text/plain', P.dragged.map(function (x) { return P.layoutOf(x).title; }).join('\n'));
  });
  el.viewport.addEventListener('dragend', function () { P.dragged = null; });
  el.viewport.addEventListener('dragover', function (e) {
    if (P.dragged && reorderable()) { e.preventDefault(); e.dataTransfer.dropEffect = 'move'; }
  });
  el.viewport.addEventListener('drop', function (e) {
    if (!P.dragged || !reorderable()) return;
    e.preventDefault();
    var box = el.viewport.getBoundingClientRect();
    var to = Math.max(0, Math.round((e.clientY - box.top + el.viewport.scrollTop) / P.ROW_H));
    var p = currentPlaylist();
    model.movePlaylistEntries(p.id, positionsOf(p, P.dragged), Math.min(to, p.urls.length));
    P.dragged = null;
  });

  // ---- the track menu's playlist entries (see context_menu.js) -----------------

  P.addMenuItems = function (menu) {
    [].slice.call(menu.querySelectorAll('.playlist-entry')).forEach(function (b) { b.remove(); });
    var commands = P.menuCommands;
    function entry(label, command, fn) {
      var b = document.createElement('button');
      b.type = 'button';
      b.className = 'playlist-entry';
      b.setAttribute('role', 'menuitem');
      b.setAttribute('data-command', command);
      b.textContent = label;
      commands[command] = fn;
      menu.appendChild(b);
    }
    entry('New playlist from selection', 'newPlaylist', function (tracks) { P.newPlaylist(tracks); });
    P.playlists.lists.forEach(function (p) {
      entry('Add to \u201c' + p.name + '\u201d', 'addTo' + p.id, function (tracks) { P.addToPlaylist(p.id, tracks); });
    });
    var p = currentPlaylist();
    if (p) entry('Remove from this playlist', 'removeFromPlaylist', function (tracks) { model.removePlaylistEntries(p.id, positionsOf(p, tracks)); });
  };

  // ---- the header's playlist buttons, export and import --------------------------

  el.listRename.addEventListener('click', function () { var p = currentPlaylist(); if (p) P.renamePlaylist(p.id); });
  el.listDelete.addEventListener('click', function () { var p = currentPlaylist(); if (p) P.deletePlaylist(p.id); });

  // Saved through a download: the Linux shell asks where, WebView2 shows
  // its own prompt.
  P.exportPlaylist = function (id) {
    var p = P.playlists.get(id);
    if (!p) return;
    var tracks = P.playlists.tracksOf(id, P.lib.byUrl).map(function (t) {
      var lay = P.layoutOf(t);
      return { title: lay.title, artist: lay.artist === core.layout.NO_ARTIST ? '' : lay.artist, url: t.url, duration: t.duration };
    });
    var a = document.createElement('a');
    a.href = URL.createObjectURL(new Blob([m3u.exportM3u8(p.name, tracks)], { type: 'audio/x-mpegurl' }));
    a.download = m3u.fileName(p.name);
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(function () { URL.revokeObjectURL(a.href); }, 60000);
  };
  el.listExport.addEventListener('click', function () { var p = currentPlaylist(); if (p) P.exportPlaylist(p.id); });

  // Entries already in the library are matched to it; others join it as
  // the shell would have delivered them.
  P.importPlaylist = function (text, fileName) {
    var parsed = m3u.parseM3u8(text);
    var match = new m3u.Matcher(P.lib.tracks), urls = [], fresh = [];
    parsed.urls.forEach(function (u) {
      var t = match.find(u);
      if (t) urls.push(t.url); else { fresh.push(m3u.recordFromUrl(u)); urls.push(u); }
    });
    if (fresh.length) model.addRecords(fresh, 0, fresh.length, { added: 0, duplicates: 0, skipped: 0 });
    var name = parsed.name || String(fileName || '').replace(/\.m3u8?$/i, '') || 'Imported playlist';
    var p = model.createPlaylist(name, urls);
    model.setSource({ kind: 'playlist', id: p.id });
    P.announce('Imported \u201c' + p.name + '\u201d: ' + core.plural(p.urls.length, 'track', 'tracks') +
      (fresh.length ? ' \u00b7 ' + fresh.length.toLocaleString('en-US') + ' new to the library' : '') +
      (parsed.skipped.length ? ' \u00b7 ' + core.plural(parsed.skipped.length, 'entry', 'entries') + ' without an absolute path skipped' : ''));
    return p;
  };

  var input = P.$('import-playlist');
  P.$('import-playlist-btn').addEventListener('click', function () { input.click(); });
  input.addEventListener('change', function () {
    var file = input.files && input.files[0];
    input.value = '';
    if (!file) return;
    file.text().then(function (text) { P.importPlaylist(text, file.name); }, function () {
      P.announce('The playlist file could not be read');
    });
  });
})();
