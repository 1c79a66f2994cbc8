/* Sonabel player: the playback options beside the volume: speed,
   crossfade and the sleep timer. */
import { formatTime } from './core/text.js';
import { $ } from './dom.js';
import { on } from './events.js';
import { settings, setSetting } from './settings.js';
import { stopsAfter } from './playing.js';
import { applyOutput } from './decks.js';
import { setFill } from './transport.js';
import { startSleepTimer, sleepRemaining, sleepChoice, onSleepChange, trackTimerEnded } from './sleep_timer.js';

const toggle = $('options-toggle'), panel = $('playback-options');
const speed = $('speed'), speedValue = $('speed-value');
const crossfade = $('crossfade'), crossfadeValue = $('crossfade-value');
const sleep = /** @type {HTMLSelectElement} */ ($('sleep-timer')), sleepLeft = $('sleep-left');

/** @param {boolean} open */
function show(open) {
  panel.hidden = !open;
  toggle.setAttribute('aria-expanded', open ? 'true' : 'false');
  showSleep();
  if (open) speed.focus();
}

/** @param {number} x */
function speedText(x) { return (Math.round(x * 100) / 100) + '\u00d7'; }

export function showPlaybackOptions() {
  speed.value = String(settings.speed);
  speedValue.textContent = speedText(settings.speed);
  speed.setAttribute('aria-valuetext', speedText(settings.speed));
  setFill(speed, settings.speed - 0.5, 1.5);
  crossfade.value = String(settings.crossfade);
  crossfadeValue.textContent = settings.crossfade ? settings.crossfade + ' s' : 'Off';
  crossfade.setAttribute('aria-valuetext', crossfadeValue.textContent);
  setFill(crossfade, settings.crossfade, 10);
  toggle.classList.toggle('is-set', settings.speed !== 1 || settings.crossfade > 0 || !!sleepChoice());
}

// The menu always reads what runs: a choice left half made (arrow keys,
// then Escape) goes back to it.
let ticking = 0;
function showSleep() {
  const left = sleepRemaining(), choice = sleepChoice();
  const want = String(choice);
  if (document.activeElement !== sleep && Array.prototype.some.call(sleep.options, (/** @type {HTMLOptionElement} */ o) => o.value === want)) sleep.value = want;
  sleepLeft.textContent = left ? formatTime(left / 1000) + ' left' : choice === 'track' ? 'after this track' : '';
  clearTimeout(ticking);
  if (left) ticking = setTimeout(showSleep, 1000 - left % 1000 + 20);
  showPlaybackOptions();
}

export function wirePlaybackOptions() {
  toggle.addEventListener('click', () => { show(panel.hidden); });
  panel.addEventListener('keydown', (/** @type {KeyboardEvent} */ e) => {
    // The panel's own keys: arrows move its sliders, not the list or the track.
    e.stopPropagation();
    if (e.key === 'Escape') { show(false); toggle.focus(); }
  });
  document.addEventListener('pointerdown', (e) => {
    if (!panel.hidden && !panel.contains(e.target) && !toggle.contains(e.target)) show(false);
  });
  speed.addEventListener('input', () => {
    setSetting('speed', Number(speed.value), 'soon');
    applyOutput();
    showPlaybackOptions();
  });
  crossfade.addEventListener('input', () => {
    setSetting('crossfade', Number(crossfade.value), 'soon');
    showPlaybackOptions();
  });
  sleep.addEventListener('change', () => {
    const value = sleep.value === 'track' ? 'track' : Number(sleep.value);
    if (value !== sleepChoice()) startSleepTimer(value);
  });
  sleep.addEventListener('blur', showSleep);
  onSleepChange(showSleep);
  on('playing', () => { if (!stopsAfter()) trackTimerEnded(); });
  showPlaybackOptions();
}
