/* Sonabel player: the state, one owner per piece, each changed only
   through the changes named here. Views subscribe with P.model.on(piece, fn)
   and render from the state; no other file writes these pieces.

   library   P.lib (core.Library)
             addRecords, removeTracks, undoRemoval, clearLibrary,
             setDuration, setBad, countPlay              emits 'library'
   shown     P.state.view, from the search and the sort
             setQuery, setSort                           emits 'shown'
   playing   P.playing (PlayContext: context, position, queue)
             startContext, enqueue, unqueue, moveQueued,
             clearQueue, advance, setStopAfter          emits 'playing'
   settings  P.settings
             setSetting                                  emits 'settings'
   playlists P.playlists, and the source the list shows (browse.js)
             createPlaylist, renamePlaylist, …, setSource emits 'playlists'

   Every library and context change reaches the store (store.js) at once;
   duration and playability updates are gathered there. */
(function () {
  'use strict';
  var P = window.SonabelPlayer;
  var listeners = { library: [], shown: [], playing: [], settings: [], playlists: [] };

  var model = P.model = {
    on: function (piece, fn) { listeners[piece].push(fn); },
    emit: function (piece, detail) {
      var l = listeners[piece];
      for (var i = 0; i < l.length; i++) l[i](detail);
    }
  };

  P.playing = new window.SonabelPlayContext.PlayContext();

  // ---- library -----------------------------------------------------------

  // Adds part of a batch (see import.js); returns the counts so far.
  model.addRecords = function (records, from, to, result) {
    var lib = P.lib, before = lib.size(), added = result.added;
    lib.addRecords(records, from, to, result);
    if (result.added > added) {
      P.store.touch(lib, before);
      model.emit('library', { added: result.added - added });
    }
    return result;
  };

  // The last removal, until the next one: what undoRemoval puts back.
  var lastRemoval = null;

  // Removes the tracks in `gone` (a Set) from the library, the context and
  // the queue. Returns how many went.
  model.removeTracks = function (gone) {
    if (!gone.size) return 0;
    var removed = [];
    var loaded = P.state.current;
    var wasCurrent = !!(loaded && gone.has(loaded));
    var from = P.lib.remove(gone, removed);
    if (from < 0) return 0;
    P.playing.remove(gone);
    lastRemoval = { tracks: removed };
    P.store.touchRemoved(P.lib, removed);
    model.emit('library', { removed: removed });
    model.emit('playing', { removedCurrent: wasCurrent });
    return removed.length;
  };

  model.canUndo = function () { return !!lastRemoval; };

  // Returns how many came back.
  model.undoRemoval = function () {
    if (!lastRemoval) return 0;
    var back = lastRemoval.tracks;
    lastRemoval = null;
    var n = back.filter(function (t) { return !P.lib.byUrl.has(t.url); }).length;
    var from = P.lib.restore(back);
    if (from < 0) return 0;
    P.store.touch(P.lib, from);
    model.emit('library', { restored: back });
    return n;
  };

  model.clearLibrary = function () {
    return model.removeTracks(new Set(P.lib.tracks));
  };

  model.setDuration = function (t, seconds) {
    if (P.lib.byUrl.get(t.url) !== t || !P.lib.setDuration(t, seconds)) return false;
    P.store.touchTrack(P.lib, t);
    model.emit('library', { duration: t });
    return true;
  };

  model.setBad = function (t, bad) {
    if (t.bad === bad || P.lib.byUrl.get(t.url) !== t) return;
    t.bad = bad;
    P.store.touchTrack(P.lib, t);
    model.emit('library', { bad: t });
  };

  // A track played through (see play_stats.js): counted, with the time.
  model.countPlay = function (t) {
    if (P.lib.byUrl.get(t.url) !== t) return;
    P.lib.countPlay(t, Date.now());
    P.store.touchTrack(P.lib, t);
    model.emit('library', { played: t });
  };

  // ---- shown list ----------------------------------------------------------

  model.setQuery = function (text) {
    P.el.search.value = text;
    P.refreshView('search');
    model.emit('shown');
  };

  model.setSort = function (key, dir) {
    P.settings.sortKey = key;
    P.settings.sortDir = dir;
    P.saveNow();
    P.state.sorted = null;
    P.refreshView();
    model.emit('shown');
  };

  // ---- play context and queue ----------------------------------------------

  // Playback starts from the shown list: it becomes the context.
  model.startContext = function (track) {
    var view = P.state.view;
    P.playing.start(view.indexOf(track) >= 0 ? view : [track], track, P.settings.shuffle);
    P.store.touchContext();
    model.emit('playing');
  };

  model.enqueue = function (tracks, first) {
    if (!tracks.length) return;
    P.playing.enqueue(tracks, first);
    P.store.touchContext();
    model.emit('playing');
  };

  function queueChange(fn) {
    return function () {
      fn.apply(null, arguments);
      P.store.touchContext();
      model.emit('playing');
    };
  }
  model.unqueue = queueChange(function (i) { P.playing.unqueue(i); });
  model.moveQueued = queueChange(function (from, to) { P.playing.moveQueued(from, to); });
  model.clearQueue = queueChange(function () { P.playing.clearQueue(); });
  model.setStopAfter = queueChange(function (on) { P.playing.stopAfter = !!on; });
  model.setShuffleOrder = queueChange(function (on) { P.playing.setShuffle(on); });

  // The next or previous track as the context and queue have it, or null.
  model.advance = function (dir, opts) {
    var t = dir > 0 ? P.playing.next(opts) : P.playing.previous(opts);
    P.store.touchContext();
    model.emit('playing');
    return t;
  };

  // ---- settings ------------------------------------------------------------

  model.setSetting = function (key, value, soon) {
    P.settings[key] = value;
    if (soon) P.saveSoon(); else P.saveNow();
    model.emit('settings', key);
  };

  P.store.contextSource = function () { return P.playing.toStored(); };
})();
