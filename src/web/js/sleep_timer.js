/* Sonabel player: the sleep timer. After the chosen time playback fades out
   and pauses; "End of track" stops after the current track. It lasts for
   this run only: nobody expects the player to fall asleep by itself the
   next day. */
import { settings } from './settings.js';
import { setStopAfter } from './playing.js';
import { audio, applyOutput, onAudio } from './decks.js';
import { pause } from './playback.js';
import { announce } from './status.js';

const FADE_OUT_MS = 5000, TICK_MS = 50;

let endsAt = 0, timer = 0, fadeTimer = 0, asleep = false;
/** What was chosen: minutes, 'track', or 0 for none. @type {number | 'track'} */
let chosen = 0;
/** @type {Array<() => void>} */
const listeners = [];

function changed() { listeners.forEach((fn) => fn()); }

function stopFadeOut() {
  if (!fadeTimer) return;
  clearInterval(fadeTimer);
  fadeTimer = 0;
  applyOutput();
}

function fallAsleep() {
  timer = 0;
  endsAt = 0;
  chosen = 0;
  const start = performance.now();
  fadeTimer = setInterval(() => {
    const k = (performance.now() - start) / FADE_OUT_MS;
    if (k < 1 && !audio.paused) { audio.volume = settings.volume * (1 - k); return; }
    clearInterval(fadeTimer);
    fadeTimer = 0;
    if (!audio.paused) {
      // The volume comes back with the next play: set now, it would be
      // heard at full before the pause reaches the audio server.
      asleep = true;
      pause();
      announce('Sleep timer: playback paused');
    } else applyOutput();
    changed();
  }, TICK_MS);
  changed();
}

// `minutes` may be a fraction; 'track' stops after the current track.
/** @param {number | 'track'} minutes */
export function startSleepTimer(minutes) {
  cancelSleepTimer();
  if (minutes === 'track') {
    chosen = 'track';
    setStopAfter(true);
  } else if (minutes > 0) {
    chosen = minutes;
    endsAt = Date.now() + minutes * 60000;
    timer = setTimeout(fallAsleep, minutes * 60000);
  }
  changed();
}

export function cancelSleepTimer() {
  clearTimeout(timer);
  timer = 0;
  endsAt = 0;
  chosen = 0;
  stopFadeOut();
  changed();
}

// "End of track" is done, or the stop-after it set was turned off.
export function trackTimerEnded() {
  if (chosen !== 'track') return;
  chosen = 0;
  changed();
}

/** Milliseconds left, or 0 when no time is set. */
export function sleepRemaining() { return endsAt ? Math.max(0, endsAt - Date.now()) : 0; }
/** What runs: minutes, 'track', or 0. */
export function sleepChoice() { return chosen; }
/** @param {() => void} fn */
export function onSleepChange(fn) { listeners.push(fn); }

export function wireSleepTimer() {
  onAudio('play', () => {
    if (asleep) { asleep = false; applyOutput(); }
  });
}
