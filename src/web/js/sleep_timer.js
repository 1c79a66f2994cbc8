/* Sonabel player: the sleep timer. After the chosen time playback fades out
   and pauses; "End of track" stops after the current track. It lasts for
   this run only: nobody expects the player to fall asleep by itself the
   next day. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, settings = P.settings;
  var FADE_OUT_MS = 5000, TICK_MS = 50;

  var endsAt = 0, timer = 0, fadeTimer = 0, listeners = [];

  function changed() { listeners.forEach(function (fn) { fn(); }); }

  function stopFadeOut() {
    if (!fadeTimer) return;
    clearInterval(fadeTimer);
    fadeTimer = 0;
    P.applyOutput();
  }

  function fallAsleep() {
    timer = 0;
    endsAt = 0;
    var start = performance.now();
    fadeTimer = setInterval(function () {
      var k = (performance.now() - start) / FADE_OUT_MS;
      if (k < 1 && !P.audio.paused) { P.audio.volume = settings.volume * (1 - k); return; }
      stopFadeOut();
      if (!P.audio.paused) {
        P.pause();
        P.announce('Sleep timer: playback paused');
      }
      changed();
    }, TICK_MS);
    changed();
  }

  P.sleepTimer = {
    // `minutes` may be a fraction; 'track' stops after the current track.
    start: function (minutes) {
      P.sleepTimer.cancel();
      if (minutes === 'track') {
        P.model.setStopAfter(true);
      } else if (minutes > 0) {
        endsAt = Date.now() + minutes * 60000;
        timer = setTimeout(fallAsleep, minutes * 60000);
      }
      changed();
    },
    cancel: function () {
      clearTimeout(timer);
      timer = 0;
      endsAt = 0;
      stopFadeOut();
      changed();
    },
    // Milliseconds left, or 0 when no time is set.
    remaining: function () { return endsAt ? Math.max(0, endsAt - Date.now()) : 0; },
    onChange: function (fn) { listeners.push(fn); }
  };
})();
