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
    P.store.dirty.clear();
    if (early.length) {
      var before = lib.size();
      lib.addRecords(early);
      P.store.touch(lib, before);
    }
    state.sorted = null;
    P.refreshView();
    if (lib.size()) P.warmSearch();
    if (settings.lastUrl && lib.byUrl.has(settings.lastUrl)) {
      var t = lib.byUrl.get(settings.lastUrl);
      state.cursor = state.anchor = t;
      P.playTrack(t, { paused: true, position: settings.lastPosition });
      var n = state.view.indexOf(t);
      if (n >= 0) el.viewport.scrollTop = Math.max(0, n * P.ROW_H - el.viewport.clientHeight / 2);
      P.render();
    }
    state.ready = true;
    if (window.performance && performance.mark) performance.mark('sonabel-ready');
    document.documentElement.setAttribute('data-ready', 'true');
    return P.lib.size();
  });
})();
