/* Sonabel player: what plays. Loading a track, moving through the list in
   order or shuffled, repeat, and what the audio element reports back. The
   playing element is P.audio, which changes when a track loaded ahead
   takes over (see decks.js). */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state, settings = P.settings;

  // Tracks already known to be unplayable are passed over; each is still
  // reported once, whoever found it out first.
  function playable(t) {
    if (!t) return false;
    if (t.bad) reportBad(t);
    return !t.bad;
  }

  function reportBad(t) {
    if (state.reported.has(t.url)) return;
    state.reported.add(t.url);
    P.announce('Can\u2019t play \u201c' + t.title + '\u201d \u2014 skipped');
  }

  // Loads a track and, unless told otherwise, plays it. A track already
  // loaded ahead starts at once; `fade` keeps the one before it sounding.
  function playTrack(t, opts) {
    opts = opts || {};
    if (!t) return;
    if (!opts.fade && P.endFade) P.endFade();
    var ahead = !opts.position && P.takeAhead(t, opts.fade);
    state.current = t;
    state.direction = opts.direction || 1;
    state.restoring = opts.position ? opts.position : null;
    state.wantPlay = !opts.paused;
    settings.lastUrl = t.url;
    settings.lastPosition = opts.position || 0;
    P.saveNow();
    el.seek.value = '0';
    el.elapsed.textContent = core.formatTime(opts.position || 0);
    el.total.textContent = core.formatTime(t.duration);
    el.seek.max = String(t.duration || 0);
    if (ahead) {
      // Its metadata came while it waited.
      if (P.audio.readyState >= 1) metadataIn();
    } else {
      P.audio.src = t.url;
    }
    P.showNowPlaying();
    if (opts.paused) { if (!ahead) P.audio.load(); } else startPlaying();
    P.updatePlayButton();
    P.render();
    return ahead;
  }
  P.playTrack = playTrack;

  function startPlaying() {
    state.wantPlay = true;
    var p = P.audio.play();
    // A file that cannot play is handled by the error event; a refused
    // autoplay just leaves us paused.
    if (p && p.catch) p.catch(function () {});
  }
  P.startPlaying = startPlaying;

  P.unload = function () {
    state.current = null;
    if (P.endFade) P.endFade();
    P.loadAhead(null);
    P.emptyDeck(P.audio);
    settings.lastUrl = null;
    settings.lastPosition = 0;
    P.saveNow();
    el.elapsed.textContent = '0:00';
    el.total.textContent = '0:00';
    el.seek.value = '0';
    P.setFill(el.seek, 0, 0);
    P.showNowPlaying();
    P.updatePlayButton();
  };

  // The user picked a track: the list shown now becomes the context, and
  // a file known to be unplayable is tried again (and reported again).
  P.playFromList = function (t) {
    if (!t) return;
    state.reported.delete(t.url);
    P.model.startContext(t);
    playTrack(t, { force: true });
  };

  P.togglePlay = function () {
    if (!state.current) {
      var t = state.cursor && state.view.indexOf(state.cursor) >= 0 ? state.cursor : null;
      if (t) { P.playFromList(t); return; }
      if (!state.view.length) return;
      P.playing.start(state.view, null, settings.shuffle);
      t = P.model.advance(1, { playable: playable });
      if (t) playTrack(t, { force: true });
      return;
    }
    if (P.audio.paused) {
      if (state.current.bad && !P.audio.currentSrc) { playTrack(state.current, { force: true }); return; }
      startPlaying();
    } else pause();
  };

  // Pausing on purpose; wantPlay tells a failing load whether to move on.
  function pause() {
    state.wantPlay = false;
    if (P.endFade) P.endFade();
    P.audio.pause();
  }
  P.pause = pause;

  // Moves to the next or previous track of the queue and the context.
  // `auto` is the end of a track or a skip: then repeat-off stops at the end
  // of the context. `paused` loads it without playing.
  // `fade` is a crossfade into the next track (see crossfade.js).
  function step(dir, auto, paused, fade) {
    var t = P.model.advance(dir, { auto: auto, repeat: settings.repeat, playable: playable });
    if (t) { playTrack(t, { direction: dir, paused: paused, fade: fade }); return true; }
    if (auto) {
      pause();
      if (state.current && !state.current.bad) P.audio.currentTime = 0;
    }
    return false;
  }
  P.step = step;

  P.previous = function () {
    if (state.current && P.audio.currentTime > 3) { P.seekTo(0); return; }
    if (!step(-1, false) && state.current) P.seekTo(0);
  };

  P.seekTo = function (sec) {
    if (P.endFade) P.endFade();
    P.audio.currentTime = sec;
  };

  P.seekBy = function (sec) {
    var audio = P.audio;
    if (!state.current || !isFinite(audio.duration)) return;
    P.seekTo(Math.max(0, Math.min(audio.duration, audio.currentTime + sec)));
  };

  P.onAudio('ended', function () {
    if (P.playing.stopAfter) {
      // Stop after this track: the next one waits, loaded, for Play.
      P.model.setStopAfter(false);
      if (!step(1, true, true)) pause();
      return;
    }
    if (settings.repeat === 'one') { P.audio.currentTime = 0; startPlaying(); return; }
    step(1, true);
  });

  // The playing track was removed: play goes on with the one after it.
  P.model.on('playing', function (d) {
    if (!d || !d.removedCurrent) return;
    var wasPlaying = !P.audio.paused;
    if (!step(1, true, !wasPlaying)) P.unload();
  });

  P.onAudio('error', function () {
    var t = state.current;
    if (!t || !P.audio.getAttribute('src')) return;
    P.model.setBad(t, true);
    reportBad(t);
    P.render();
    // A track loaded paused (the one restored at start) is only marked.
    if (!state.wantPlay) return;
    state.failures++;
    // One pass over the list finding nothing playable ends the attempt.
    if (state.failures > P.playing.list.length + P.playing.queue.length) { state.failures = 0; pause(); P.updatePlayButton(); return; }
    if (!step(state.direction, true)) { P.updatePlayButton(); P.render(); }
  });

  // The duration can arrive after the metadata (see probe() in durations.js).
  function takeDuration() {
    var t = state.current, audio = P.audio;
    if (!t || !isFinite(audio.duration) || t.duration === audio.duration) return;
    if (P.model.setDuration(t, audio.duration)) P.updateStatus();
    el.seek.max = String(audio.duration);
    el.total.textContent = core.formatTime(audio.duration);
    P.render();
  }
  P.onAudio('durationchange', takeDuration);

  function metadataIn() {
    var t = state.current, audio = P.audio;
    if (!t) return;
    takeDuration();
    if (t.bad) P.model.setBad(t, false);
    el.seek.max = String(isFinite(audio.duration) ? audio.duration : 0);
    el.total.textContent = core.formatTime(audio.duration);
    if (state.restoring) {
      audio.currentTime = Math.min(state.restoring, audio.duration || 0);
      state.restoring = null;
    }
    P.updatePosition();
    P.render();
  }
  P.onAudio('loadedmetadata', metadataIn);

  P.onAudio('playing', function () { state.failures = 0; P.updatePlayButton(); });
  P.onAudio('play', function () { P.updatePlayButton(); });
  P.onAudio('pause', function () { P.updatePlayButton(); P.saveNow(); });
  P.onAudio('timeupdate', function () {
    if (state.current && state.current.duration === null) takeDuration();
    P.updatePosition();
    var now = Date.now();
    if (now - state.lastSave > 3000) P.saveNow();
  });
  P.onAudio('seeked', function () { P.updatePosition(); });
})();
