/* Sonabel player: the system's media keys and media overlay, through the
   Media Session API where the engine has it. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, state = P.state;
  var SEEK_STEP = P.SEEK_STEP;

  P.updateMediaMetadata = function () {
    if (!('mediaSession' in navigator)) return;
    var t = state.current;
    try {
      navigator.mediaSession.metadata = t && typeof MediaMetadata === 'function'
        ? new MediaMetadata({ title: t.title, artist: t.artist, album: core.folderName(t.url) })
        : null;
    } catch (e) { /* engine without metadata support */ }
  };

  P.setupMediaSession = function () {
    if (!('mediaSession' in navigator)) return;
    var ms = navigator.mediaSession;
    var handlers = {
      play: function () { if (!state.current) P.togglePlay(); else P.startPlaying(); },
      pause: function () { P.pause(); },
      stop: function () { P.pause(); },
      previoustrack: function () { P.previous(); },
      nexttrack: function () { P.step(1, false); },
      seekbackward: function (d) { P.seekBy(-((d && d.seekOffset) || SEEK_STEP)); },
      seekforward: function (d) { P.seekBy((d && d.seekOffset) || SEEK_STEP); },
      seekto: function (d) {
        if (!d || typeof d.seekTime !== 'number' || !state.current) return;
        P.seekTo(d.seekTime);
        P.updatePosition();
      }
    };
    Object.keys(handlers).forEach(function (name) {
      try { ms.setActionHandler(name, handlers[name]); } catch (e) { /* action not known here */ }
    });
  };
})();
