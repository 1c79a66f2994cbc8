/* Sonabel player: two audio elements, so that the next track is loaded
   before the current one ends and a change of track waits for nothing.
   `audio` is always the element playing the current track, with the id
   "audio"; the other holds what comes next. Volume, mute and speed apply to
   both, so a track taken over sounds as the last one did.

   An element that has loaded but never played must not wait like that on
   a PulseAudio server: its stream, created corked when the element
   prerolled, reports a clock that has run on since then, so play() would
   schedule the first sample that far into the stream and the server plays
   silence until it comes (measured in WebKitGTK with GStreamer's
   pulsesink: 12.6 s of silence after 12.6 s of waiting). A stream that has
   played once and was then paused keeps a true clock. So the waiting deck
   is primed: played muted until the server has timed the stream, then
   paused and put back to its start. A track that was loaded paused and
   never played (the one restored at start) is loaded afresh when it
   starts (see playback.js). */
import { $ } from './dom.js';
import { on } from './events.js';
import { settings } from './settings.js';
import { peekNext } from './playing.js';
import { loaded } from './playback.js';
import { isFading } from './crossfade.js';

/** @typedef {import('./library.js').Track} Track */

const decks = /** @type {HTMLAudioElement[]} */ ([$('audio'), $('audio-next')]);
/** The element playing the current track. */
export let audio = decks[0];
/** @type {Track | null} the track loaded on the other deck */
let waiting = null;
/** Decks that have played since their source was set. */
const played = new WeakSet();
// The deck being primed, and how to stop that.
/** @type {{ deck: HTMLAudioElement, stop: () => void } | null} */
let priming = null;
// Played this far the server has timed the stream (a few timing updates).
const PRIMED_AT_S = 0.2;

/** Whether `d` has played since its source was set. @param {HTMLAudioElement} d */
export function hasPlayed(d) { return played.has(d); }

export function otherDeck() { return decks[0] === audio ? decks[1] : decks[0]; }

// Listens on both; only what the playing one says is heard.
/** @param {string} type @param {(e: Event) => void} fn */
export function onAudio(type, fn) {
  decks.forEach((d) => d.addEventListener(type, (e) => { if (e.target === audio) fn(e); }));
}

export function applyOutput() {
  decks.forEach((d) => {
    d.volume = settings.volume;
    d.muted = settings.muted || (!!priming && priming.deck === d);
    // A new source starts at the default rate: set both.
    d.defaultPlaybackRate = settings.speed;
    d.playbackRate = settings.speed;
  });
}

/** @param {HTMLAudioElement} d */
export function emptyDeck(d) {
  if (priming && priming.deck === d) priming.stop();
  d.pause();
  d.removeAttribute('src');
  d.load();
}

// Loads `t` (or nothing) on the other deck.
/** @param {Track | null} t */
export function loadAhead(t) {
  const d = otherDeck();
  if (t === waiting && (!t || d.getAttribute('src') === t.url)) return;
  waiting = t;
  if (!t) { emptyDeck(d); return; }
  if (priming && priming.deck === d) priming.stop();
  d.preload = 'auto';
  d.src = t.url;
  prime(d);
}

// Plays the waiting deck muted until the server has timed its stream, then
// pauses it back at its start (see the top of this file).
/** @param {HTMLAudioElement} d */
function prime(d) {
  function ready() {
    if (d === audio || played.has(d) || d.error) { stop(); return; }
    d.muted = true;
    const p = d.play();
    if (p && p.catch) p.catch(stop);
  }
  function progress() {
    if (d.currentTime < PRIMED_AT_S && !d.ended) return;
    d.removeEventListener('timeupdate', progress);
    if (d === audio) { stop(); return; }
    d.pause();
    d.currentTime = 0;
    // Heard again only once it is paused and back at its start.
    d.addEventListener('seeked', stop, { once: true });
  }
  function stop() {
    d.removeEventListener('canplay', ready);
    d.removeEventListener('timeupdate', progress);
    d.removeEventListener('seeked', stop);
    if (priming && priming.deck === d) priming = null;
    d.muted = settings.muted;
  }
  priming = { deck: d, stop };
  d.addEventListener('canplay', ready, { once: true });
  d.addEventListener('timeupdate', progress);
}

export function waitingTrack() {
  const d = otherDeck();
  return waiting && d.getAttribute('src') === waiting.url && !d.error ? waiting : null;
}

// Makes the deck holding `t` the playing one. The deck left behind is
// emptied, unless `keep` (a crossfade still needs it); it is returned.
/** @param {Track} t @param {boolean} [keep] */
export function takeAhead(t, keep) {
  if (!t || waitingTrack() !== t) return null;
  const left = audio, d = otherDeck();
  // Taken before it was primed: it plays from its start, heard.
  if (priming && priming.deck === d) {
    priming.stop();
    if (d.currentTime > 0) d.currentTime = 0;
  }
  waiting = null;
  left.id = 'audio-next';
  d.id = 'audio';
  audio = d;
  if (!keep) emptyDeck(left);
  return left;
}

// What to have ready, when a track has started or what comes next changed.
let aheadTimer = 0;
export function planAhead() {
  clearTimeout(aheadTimer);
  aheadTimer = setTimeout(() => {
    // A crossfade still sounds on the other deck; it plans again when done.
    if (isFading()) return;
    let next = null;
    if (loaded && settings.repeat !== 'one') {
      next = peekNext({ repeat: settings.repeat, playable: (/** @type {Track} */ t) => !t.bad });
      if (next === loaded) next = null;
    }
    loadAhead(next);
  }, 300);
}

export function wireDecks() {
  decks.forEach((d) => {
    d.addEventListener('playing', () => { played.add(d); });
    d.addEventListener('loadstart', () => { played.delete(d); });
  });
  onAudio('playing', planAhead);
  on('playing', planAhead);
  on('settings', (key) => { if (key === 'repeat' || key === 'shuffle') planAhead(); });
}
