/* Sonabel player: start-up. Hands the shell its entry point, shows the
   saved settings and brings the stored library back. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, el = P.el, state = P.state, settings = P.settings;

  window.sonabel = {
    addTracksBatch: P.addTracksBatch,
    // Lets a caller wait for the stored library to be back (tests, bench).
    ready: null
  };

  if (!P.bridge) {
    document.body.classList.add('no-bridge');
    P.importButtons.forEach(function (b) {
      b.disabled = true;
      b.setAttribute('aria-describedby', 'unavailable-note');
      b.title = 'Unavailable: adding music needs the Sonabel app';
    });
    el.unavailable.hidden = false;
    document.querySelector('.winctl').hidden = true;
  }

  P.showPinned();
  P.showShuffle();
  P.showRepeat();
  P.showVolume();
  P.showSort();
  P.setupMediaSession();
  P.updatePlayButton();
  P.refreshView();

  window.sonabel.ready = P.store.load().then(function (stored) {
    // A batch that came in while loading is added after the stored tracks.
    var early = P.lib.tracks;
    var lib = P.lib = stored;
    state.sorted = null;
    if (early.length) P.model.addRecords(early, 0, early.length, { added: 0, duplicates: 0, skipped: 0 });
    P.refreshView();
    if (lib.size()) P.warmSearch();
    P.playing.fromStored(P.store.context, lib.tracks);
    P.restorePlaylists(P.store.playlists);
    var t = P.playing.current || (settings.lastUrl && lib.byUrl.get(settings.lastUrl));
    if (t) {
      P.playing.current = t;
      state.cursor = state.anchor = t;
      P.playTrack(t, { paused: true, position: settings.lastPosition });
      var n = state.view.indexOf(t);
      if (n >= 0) el.viewport.scrollTop = Math.max(0, n * P.ROW_H - el.viewport.clientHeight / 2);
      P.render();
    }
    P.updatePlayButton();
    state.ready = true;
    P.queueProbes(); // the background pass over the whole library
    if (window.performance && performance.mark) performance.mark('sonabel-ready');
    document.documentElement.setAttribute('data-ready', 'true');
    return P.lib.size();
  });
})();
