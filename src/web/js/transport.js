/* Sonabel player: the player bar. What is playing, the transport buttons,
   the seek bar, shuffle, repeat, volume and mute. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state, settings = P.settings;

  P.showNowPlaying = function () {
    var t = state.current, lay = t ? P.layoutOf(t) : null; // as the list shows it
    el.nowTitle.textContent = t ? lay.title : 'Nothing playing';
    el.nowArtist.textContent = t ? lay.artist : '';
    el.nowFormat.textContent = t ? t.format : '';
    el.nowTitle.title = t ? lay.title : '';
    el.nowArtist.title = t ? lay.artist : '';
    document.title = t ? lay.title + ' \u2014 ' + lay.artist + ' \u00b7 Sonabel' : 'Sonabel';
    el.seek.disabled = !t;
    P.updateMediaMetadata();
  };

  // The played part of a range is drawn from this custom property.
  function setFill(range, value, max) {
    var p = max > 0 && isFinite(max) ? Math.max(0, Math.min(100, value / max * 100)) : 0;
    range.style.setProperty('--fill', p.toFixed(2) + '%');
  }
  P.setFill = setFill;

  // Nothing to play: an empty library and nothing loaded.
  function showPlayable() {
    var none = !P.lib.size() && !state.current;
    el.play.disabled = el.next.disabled = el.shuffle.disabled = el.prev.disabled = none;
  }
  P.model.on('library', showPlayable);
  P.model.on('playing', showPlayable);

  P.updatePlayButton = function () {
    showPlayable();
    var playing = !P.audio.paused && !!state.current;
    el.play.classList.toggle('is-playing', playing);
    el.play.setAttribute('aria-label', playing ? 'Pause' : 'Play');
    el.play.title = playing ? 'Pause (Space)' : 'Play (Space)';
    document.body.classList.toggle('is-playing', playing);
    if ('mediaSession' in navigator) navigator.mediaSession.playbackState = state.current ? (playing ? 'playing' : 'paused') : 'none';
  };

  P.updatePosition = function () {
    var audio = P.audio;
    if (!state.current) return;
    var pos = state.restoring !== null && state.restoring !== undefined ? state.restoring : audio.currentTime;
    if (!state.seeking) {
      el.seek.value = String(pos);
      setFill(el.seek, pos, audio.duration);
    }
    el.elapsed.textContent = core.formatTime(pos);
    el.seek.setAttribute('aria-valuetext', core.formatTime(pos) + ' of ' + core.formatTime(audio.duration));
    if (state.restoring === null || state.restoring === undefined) settings.lastPosition = audio.currentTime || 0;
    if ('mediaSession' in navigator && navigator.mediaSession.setPositionState && isFinite(audio.duration) && audio.duration > 0) {
      try {
        navigator.mediaSession.setPositionState({
          duration: audio.duration, position: Math.min(audio.currentTime, audio.duration), playbackRate: audio.playbackRate || 1
        });
      } catch (e) { /* stale values during a change of track */ }
    }
  };

  el.seek.addEventListener('input', function () {
    state.seeking = true;
    el.elapsed.textContent = core.formatTime(Number(el.seek.value));
    setFill(el.seek, Number(el.seek.value), Number(el.seek.max));
  });
  el.seek.addEventListener('change', function () {
    state.seeking = false;
    if (state.current && isFinite(P.audio.duration)) P.seekTo(Number(el.seek.value));
  });

  el.play.addEventListener('click', function () { P.togglePlay(); });
  el.next.addEventListener('click', function () { P.step(1, false); });
  el.prev.addEventListener('click', function () { P.previous(); });

  P.showShuffle = function () {
    el.shuffle.setAttribute('aria-pressed', settings.shuffle ? 'true' : 'false');
    el.shuffle.title = settings.shuffle ? 'Shuffle: on' : 'Shuffle: off';
  };
  el.shuffle.addEventListener('click', function () {
    P.model.setSetting('shuffle', !settings.shuffle);
    P.model.setShuffleOrder(settings.shuffle); // a fresh pass each time it is turned on
    P.showShuffle();
  });

  var REPEAT_LABEL = { off: 'Repeat: off', all: 'Repeat: all', one: 'Repeat: one' };
  P.showRepeat = function () {
    el.repeat.setAttribute('data-mode', settings.repeat);
    el.repeat.setAttribute('aria-label', REPEAT_LABEL[settings.repeat]);
    el.repeat.title = REPEAT_LABEL[settings.repeat];
  };
  el.repeat.addEventListener('click', function () {
    P.model.setSetting('repeat', settings.repeat === 'off' ? 'all' : settings.repeat === 'all' ? 'one' : 'off');
    P.showRepeat();
    P.announce(REPEAT_LABEL[settings.repeat]);
  });

  function showVolume() {
    P.applyOutput();
    el.volume.value = String(settings.volume);
    setFill(el.volume, settings.muted ? 0 : settings.volume, 1);
    el.volume.setAttribute('aria-valuetext', Math.round(settings.volume * 100) + '%');
    el.mute.setAttribute('aria-pressed', settings.muted ? 'true' : 'false');
    el.mute.setAttribute('aria-label', 'Mute');
    el.mute.classList.toggle('is-muted', settings.muted || settings.volume === 0);
  }
  P.showVolume = showVolume;
  el.volume.addEventListener('input', function () {
    settings.volume = Number(el.volume.value);
    if (settings.volume > 0 && settings.muted) settings.muted = false;
    showVolume();
    P.saveSoon();
  });
  P.toggleMute = function () { settings.muted = !settings.muted; showVolume(); P.saveNow(); };
  el.mute.addEventListener('click', function () { P.toggleMute(); });
})();
