/* Sonabel player: the change from one track to the next, without a gap.
   The next track waits loaded on the other deck (decks.js). An element
   still takes a moment from play() to its first audio, so the next one is
   started that much before the current one ends. With a crossfade set, it
   starts that many seconds before the end instead, and the two are mixed
   with equal power, so the loudness holds through the change. Only tracks
   longer than twice the fade are faded; anything the user does to playback
   (pause, seek, skip) ends a fade at once. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, state = P.state, settings = P.settings;
  var TICK_MS = 50;
  // From play() to the first audio of a loaded element, measured in
  // Chromium (bench/gap.mjs).
  var START_LEAD_S = 0.08;
  var fade = null;    // { from: the element ending, start, length (ms), ramp, timer }
  var joinTimer = 0;

  P.fading = false;

  function tick() {
    if (!fade) return;
    var k = Math.min(1, (performance.now() - fade.start) / fade.length);
    if (fade.ramp) {
      fade.from.volume = settings.volume * Math.cos(k * Math.PI / 2);
      P.audio.volume = settings.volume * Math.sin(k * Math.PI / 2);
    }
    if ((fade.ramp && k >= 1) || fade.from.ended || fade.from.paused) P.endFade();
  }

  P.endFade = function () {
    clearTimeout(joinTimer);
    joinTimer = 0;
    if (!fade) return;
    var f = fade;
    fade = null;
    P.fading = false;
    clearInterval(f.timer);
    if (f.from !== P.audio) P.emptyDeck(f.from);
    P.applyOutput();
    P.planAhead();
  };

  // Seconds of the current track left to play, at its speed.
  function left(a) { return (a.duration - a.currentTime) / (a.playbackRate || 1); }

  // Whether the end of the current track would go on to the one waiting.
  function joinable(a) {
    if (fade || !state.current || a.paused || !state.wantPlay || state.seeking) return false;
    if (settings.repeat === 'one' || P.playing.stopAfter || !isFinite(a.duration)) return false;
    return !!P.waitingTrack() && P.otherDeck().readyState >= 3;
  }

  // Starts the waiting track now, the current one still sounding.
  function begin(a, seconds, ramp) {
    if (ramp) P.otherDeck().volume = 0;
    fade = { from: a, start: performance.now(), length: Math.max(seconds, 0.05) * 1000, ramp: ramp, timer: 0 };
    P.fading = true;
    P.step(1, true, false, true);
    if (P.audio === a) {
      // Something else came next after all: play goes on as usual.
      fade = null;
      P.fading = false;
      P.applyOutput();
      return;
    }
    fade.timer = setInterval(tick, TICK_MS);
  }

  P.onAudio('timeupdate', function () {
    var a = P.audio, len = settings.crossfade;
    if (joinTimer || !joinable(a)) return;
    var rest = left(a);
    if (len && a.duration > 2 * len && P.otherDeck().duration > 2 * len) {
      if (rest <= len) begin(a, rest, true);
      return;
    }
    // Position reports come about four times a second: aim between them.
    if (rest > 0.5) return;
    joinTimer = setTimeout(function () {
      joinTimer = 0;
      if (P.audio === a && joinable(a) && left(a) < START_LEAD_S + 0.1) begin(a, left(a), false);
    }, Math.max(0, (rest - START_LEAD_S) * 1000));
  });
})();
