/* Sonabel player: play counts. A track counts as played once it has been
   heard for half its length (four minutes at most), once each time it is
   played through; jumping ahead with the seek bar is not hearing it. Media
   events do not bubble, so they are caught on their way down to whichever
   element plays the current track. */
import { countPlay } from './library.js';
import { audio } from './decks.js';
import { loaded } from './playback.js';

const ENOUGH_SECONDS = 240;

let track = null, heard = 0, lastTime = 0, counted = false;

function restart(t, at) { track = t; heard = 0; lastTime = at; counted = false; }

function needed(a) {
  const d = isFinite(a.duration) ? a.duration : (track && track.duration) || 0;
  return d > 0 ? Math.min(d / 2, ENOUGH_SECONDS) : Infinity;
}

function countOnce() {
  if (counted || !track) return;
  counted = true;
  countPlay(track);
}

export function wirePlayStats() {
  document.addEventListener('timeupdate', function (e) {
    const a = /** @type {HTMLAudioElement} */ (e.target);
    if (a !== audio || !loaded) return;
    if (track !== loaded) { restart(loaded, a.currentTime); return; }
    const step = a.currentTime - lastTime;
    lastTime = a.currentTime;
    // Updates come about four times a second; a longer step is a seek.
    if (step > 0 && step < 2 * Math.max(1, a.playbackRate || 1)) heard += step;
    if (heard >= needed(a)) countOnce();
  }, true);

  document.addEventListener('ended', function (e) {
    const a = /** @type {HTMLAudioElement} */ (e.target);
    if (a !== audio || track !== loaded) return;
    if (heard + (a.currentTime - lastTime) >= needed(a) - 0.5) countOnce();
    // Repeat one plays the same track again: that is another play.
    restart(track, 0);
  }, true);
}
