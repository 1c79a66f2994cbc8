/* Sonabel player: two audio elements, so that the next track is loaded
   before the current one ends and a change of track waits for nothing.
   The element playing the current track is always P.audio and has the id
   "audio"; the other holds what comes next. Volume, mute and speed apply to
   both, so a track taken over sounds as the last one did. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, $ = P.$, settings = P.settings;
  var decks = P.decks = [$('audio'), $('audio-next')];
  var waiting = null; // the track loaded on the other deck

  function other() { return decks[0] === P.audio ? decks[1] : decks[0]; }
  P.otherDeck = other;

  // Listens on both; only what the playing one says is heard.
  P.onAudio = function (type, fn) {
    decks.forEach(function (d) {
      d.addEventListener(type, function (e) { if (e.target === P.audio) fn(e); });
    });
  };

  P.applyOutput = function () {
    decks.forEach(function (d) {
      d.volume = settings.volume;
      d.muted = settings.muted;
      // A new source starts at the default rate: set both.
      d.defaultPlaybackRate = settings.speed;
      d.playbackRate = settings.speed;
    });
  };

  function empty(d) {
    d.pause();
    d.removeAttribute('src');
    d.load();
  }
  P.emptyDeck = empty;

  // Loads `t` (or nothing) on the other deck.
  P.loadAhead = function (t) {
    var d = other();
    if (t === waiting && (!t || d.getAttribute('src') === t.url)) return;
    waiting = t;
    if (!t) { empty(d); return; }
    d.preload = 'auto';
    d.src = t.url;
  };

  P.waitingTrack = function () {
    var d = other();
    return waiting && d.getAttribute('src') === waiting.url && !d.error ? waiting : null;
  };

  // Makes the deck holding `t` the playing one. The deck left behind is
  // emptied, unless `keep` (a crossfade still needs it); it is returned.
  P.takeAhead = function (t, keep) {
    if (!t || P.waitingTrack() !== t) return null;
    var left = P.audio, d = other();
    waiting = null;
    left.id = 'audio-next';
    d.id = 'audio';
    P.audio = P.el.audio = d;
    if (!keep) empty(left);
    return left;
  };

  // What to have ready, when a track has started or what comes next changed.
  var aheadTimer = 0;
  function planAhead() {
    clearTimeout(aheadTimer);
    aheadTimer = setTimeout(function () {
      // A crossfade still sounds on the other deck; it plans again when done.
      if (P.fading) return;
      var next = null;
      if (P.state.current && settings.repeat !== 'one') {
        next = P.playing.peekNext({ repeat: settings.repeat, playable: function (t) { return !t.bad; } });
        if (next === P.state.current) next = null;
      }
      P.loadAhead(next);
    }, 300);
  }
  P.planAhead = planAhead;
  P.onAudio('playing', planAhead);
  P.model.on('playing', planAhead);
  P.model.on('settings', function (key) { if (key === 'repeat' || key === 'shuffle') planAhead(); });
})();
