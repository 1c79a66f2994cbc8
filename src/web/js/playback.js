/* Sonabel player: what plays. Loading a track, moving through the list in
   order or shuffled, repeat, and what the audio element reports back. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state, settings = P.settings;
  var audio = P.audio;

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

  // Loads a track and, unless told otherwise, plays it.
  function playTrack(t, opts) {
    opts = opts || {};
    if (!t) return;
    state.current = t;
    state.direction = opts.direction || 1;
    state.restoring = opts.position ? opts.position : null;
    state.wantPlay = !opts.paused;
    if (state.shuffle && opts.force) state.shuffleStale = true;
    settings.lastUrl = t.url;
    settings.lastPosition = opts.position || 0;
    P.saveNow();
    el.seek.value = '0';
    el.elapsed.textContent = core.formatTime(opts.position || 0);
    el.total.textContent = core.formatTime(t.duration);
    el.seek.max = String(t.duration || 0);
    audio.src = t.url;
    P.showNowPlaying();
    if (opts.paused) audio.load();
    else startPlaying();
    P.render();
  }
  P.playTrack = playTrack;

  function startPlaying() {
    state.wantPlay = true;
    var p = audio.play();
    // A file that cannot play is handled by the error event; a refused
    // autoplay just leaves us paused.
    if (p && p.catch) p.catch(function () {});
  }
  P.startPlaying = startPlaying;

  P.unload = function () {
    state.current = null;
    audio.removeAttribute('src');
    audio.load();
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

  P.togglePlay = function () {
    if (!state.current) {
      var t = state.cursor && state.view.indexOf(state.cursor) >= 0 ? state.cursor : null;
      if (!t) t = settings.shuffle ? pickShuffle(1, true) : firstPlayable(0, 1, false);
      if (t) playTrack(t, { force: true });
      return;
    }
    if (audio.paused) {
      if (state.current.bad && !audio.currentSrc) { playTrack(state.current, { force: true }); return; }
      startPlaying();
    } else pause();
  };

  // Pausing on purpose; wantPlay tells a failing load whether to move on.
  function pause() {
    state.wantPlay = false;
    audio.pause();
  }
  P.pause = pause;

  function syncShuffle() {
    if (!state.shuffle) state.shuffle = new core.Shuffle(state.view, Math.random, state.current || undefined);
    else if (state.shuffleStale) state.shuffle.sync(state.view);
    state.shuffleStale = false;
    // Playing something chosen by hand: the pass continues after it.
    if (state.current && state.shuffle.current() !== state.current) state.shuffle.moveTo(state.current);
  }

  function pickShuffle(dir, auto) {
    syncShuffle();
    var sh = state.shuffle, wrap = settings.repeat === 'all' || !auto;
    for (var tries = 0; tries <= state.view.length; tries++) {
      var t = dir > 0 ? sh.next(wrap) : sh.previous();
      if (t === undefined) return null;
      if (playable(t)) return t;
    }
    return null;
  }

  function firstPlayable(start, dir, wrap) {
    var view = state.view;
    for (var k = 0, n = start; k < view.length; k++) {
      if (n < 0 || n >= view.length) {
        if (!wrap) return null;
        n = (n + view.length) % view.length;
      }
      if (playable(view[n])) return view[n];
      n += dir;
    }
    return null;
  }

  // Moves to the next or previous track. `auto` is the end of a track or a
  // skip: then repeat-off stops at the end of the list.
  function step(dir, auto) {
    var t;
    if (settings.shuffle) t = pickShuffle(dir, auto);
    else {
      var view = state.view;
      var at = state.current ? view.indexOf(state.current) : -1;
      var wrap = settings.repeat === 'all' || !auto;
      var start = at < 0 ? (dir > 0 ? 0 : view.length - 1) : at + dir;
      t = firstPlayable(start, dir, wrap);
    }
    if (t) { playTrack(t, { direction: dir }); return true; }
    if (auto) {
      pause();
      if (state.current && !state.current.bad) audio.currentTime = 0;
    }
    return false;
  }
  P.step = step;

  P.previous = function () {
    if (state.current && audio.currentTime > 3) { audio.currentTime = 0; return; }
    if (!step(-1, false) && state.current) audio.currentTime = 0;
  };

  P.seekBy = function (sec) {
    if (!state.current || !isFinite(audio.duration)) return;
    audio.currentTime = Math.max(0, Math.min(audio.duration, audio.currentTime + sec));
  };

  audio.addEventListener('ended', function () {
    if (settings.repeat === 'one') { audio.currentTime = 0; startPlaying(); return; }
    step(1, true);
  });

  audio.addEventListener('error', function () {
    var t = state.current;
    if (!t || !audio.getAttribute('src')) return;
    t.bad = true;
    P.store.touch(P.lib, t.index, t.index);
    reportBad(t);
    P.render();
    // A track loaded paused (the one restored at start) is only marked.
    if (!state.wantPlay) return;
    state.failures++;
    // One pass over the list finding nothing playable ends the attempt.
    if (state.failures > state.view.length) { state.failures = 0; pause(); P.updatePlayButton(); return; }
    if (!step(state.direction, true)) { P.updatePlayButton(); P.render(); }
  });

  // The duration can arrive after the metadata (see probe() in durations.js).
  function takeDuration() {
    var t = state.current;
    if (!t || !isFinite(audio.duration) || t.duration === audio.duration) return;
    if (P.lib.setDuration(t, audio.duration)) { P.store.touch(P.lib, t.index, t.index); P.updateStatus(); }
    el.seek.max = String(audio.duration);
    el.total.textContent = core.formatTime(audio.duration);
    P.render();
  }
  audio.addEventListener('durationchange', takeDuration);

  audio.addEventListener('loadedmetadata', function () {
    var t = state.current;
    if (!t) return;
    takeDuration();
    if (t.bad) { t.bad = false; P.store.touch(P.lib, t.index, t.index); }
    el.seek.max = String(isFinite(audio.duration) ? audio.duration : 0);
    el.total.textContent = core.formatTime(audio.duration);
    if (state.restoring) {
      audio.currentTime = Math.min(state.restoring, audio.duration || 0);
      state.restoring = null;
    }
    P.updatePosition();
    P.render();
  });

  audio.addEventListener('playing', function () { state.failures = 0; P.updatePlayButton(); });
  audio.addEventListener('play', function () { P.updatePlayButton(); });
  audio.addEventListener('pause', function () { P.updatePlayButton(); P.saveNow(); });
  audio.addEventListener('timeupdate', function () {
    if (state.current && state.current.duration === null) takeDuration();
    P.updatePosition();
    var now = Date.now();
    if (now - state.lastSave > 3000) P.saveNow();
  });
  audio.addEventListener('seeked', function () { P.updatePosition(); });
})();
