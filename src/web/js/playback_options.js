/* Sonabel player: the playback options beside the volume: speed,
   crossfade and the sleep timer. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, $ = P.$, settings = P.settings;
  var toggle = $('options-toggle'), panel = $('playback-options');
  var speed = $('speed'), speedValue = $('speed-value');
  var crossfade = $('crossfade'), crossfadeValue = $('crossfade-value');
  var sleep = $('sleep-timer'), sleepLeft = $('sleep-left');

  function show(open) {
    panel.hidden = !open;
    toggle.setAttribute('aria-expanded', open ? 'true' : 'false');
    if (open) speed.focus();
  }
  toggle.addEventListener('click', function () { show(panel.hidden); });
  panel.addEventListener('keydown', function (e) {
    // The panel's own keys: arrows move its sliders, not the list or the track.
    e.stopPropagation();
    if (e.key === 'Escape') { show(false); toggle.focus(); }
  });
  document.addEventListener('pointerdown', function (e) {
    if (!panel.hidden && !panel.contains(e.target) && !toggle.contains(e.target)) show(false);
  });

  function speedText(x) { return (Math.round(x * 100) / 100) + '\u00d7'; }
  P.showPlaybackOptions = function () {
    speed.value = String(settings.speed);
    speedValue.textContent = speedText(settings.speed);
    speed.setAttribute('aria-valuetext', speedText(settings.speed));
    P.setFill(speed, settings.speed - 0.5, 1.5);
    crossfade.value = String(settings.crossfade);
    crossfadeValue.textContent = settings.crossfade ? settings.crossfade + ' s' : 'Off';
    crossfade.setAttribute('aria-valuetext', crossfadeValue.textContent);
    P.setFill(crossfade, settings.crossfade, 10);
    toggle.classList.toggle('is-set', settings.speed !== 1 || settings.crossfade > 0 || !!P.sleepTimer.remaining() || sleep.value === 'track');
  };

  speed.addEventListener('input', function () {
    P.model.setSetting('speed', Number(speed.value), true);
    P.applyOutput();
    P.showPlaybackOptions();
  });
  crossfade.addEventListener('input', function () {
    P.model.setSetting('crossfade', Number(crossfade.value), true);
    P.showPlaybackOptions();
  });

  sleep.addEventListener('change', function () {
    P.sleepTimer.start(sleep.value === 'track' ? 'track' : Number(sleep.value));
  });
  var ticking = 0;
  function showSleep() {
    var left = P.sleepTimer.remaining();
    if (!left && sleep.value !== 'track') sleep.value = '0';
    sleepLeft.textContent = left ? P.core.formatTime(left / 1000) + ' left' : sleep.value === 'track' ? 'after this track' : '';
    clearTimeout(ticking);
    if (left) ticking = setTimeout(showSleep, 1000 - left % 1000 + 20);
    P.showPlaybackOptions();
  }
  P.sleepTimer.onChange(showSleep);
  // "End of track" is the queue's stop-after: when that is done or turned
  // off, so is the timer.
  P.model.on('playing', function () {
    if (sleep.value === 'track' && !P.playing.stopAfter) showSleep(sleep.value = '0');
  });

  P.showPlaybackOptions();
})();
