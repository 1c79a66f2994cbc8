/* Sonabel player: two audio elements, so that the next track is loaded
   before the current one ends and a change of track waits for nothing.
   `audio` is always the element playing the current track, with the id
   "audio"; the other holds what comes next. Volume, mute and speed apply to
   both, so a track taken over sounds as the last one did. */
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

export function otherDeck() { return decks[0] === audio ? decks[1] : decks[0]; }

// Listens on both; only what the playing one says is heard.
/** @param {string} type @param {(e: Event) => void} fn */
export function onAudio(type, fn) {
  decks.forEach((d) => d.addEventListener(type, (e) => { if (e.target === audio) fn(e); }));
}

export function applyOutput() {
  decks.forEach((d) => {
    d.volume = settings.volume;
    d.muted = settings.muted;
    // A new source starts at the default rate: set both.
    d.defaultPlaybackRate = settings.speed;
    d.playbackRate = settings.speed;
  });
}

/** @param {HTMLAudioElement} d */
export function emptyDeck(d) {
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
  d.preload = 'auto';
  d.src = t.url;
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
  onAudio('playing', planAhead);
  on('playing', planAhead);
  on('settings', (key) => { if (key === 'repeat' || key === 'shuffle') planAhead(); });
}
