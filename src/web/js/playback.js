/* Sonabel player: what plays. Loading a track, moving through the list in
   order or shuffled, repeat, and what the audio element reports back. The
   playing element is decks.audio, which changes when a track loaded ahead
   takes over (see decks.js). */
import { formatTime } from './core/text.js';
import { el, afterPaint } from './dom.js';
import { on } from './events.js';
import { settings, changeSettings, saveNow, sinceSaved } from './settings.js';
import { setBad, setDuration } from './library.js';
import * as playing from './playing.js';
import { view } from './shown.js';
import { cursor, selectOnly } from './selection.js';
import { audio, onAudio, takeAhead, loadAhead, emptyDeck, hasPlayed } from './decks.js';
import { endFade } from './crossfade.js';
import { announce, updateStatus } from './status.js';
import { render } from './view.js';
import { showNowPlaying, updatePlayButton, updatePosition, setFill } from './transport.js';

/** @typedef {import('./library.js').Track} Track */

/** The track loaded on the playing deck, playing or paused. @type {Track | null} */
export let loaded = null;
/** @type {number | null} a stored position waiting for the metadata */
export let restoring = null;
let direction = 1, wantPlay = false, failures = 0;
const reported = new Set();

/** Whether playback should go on (a failing load moves on only then). */
export function wantsPlay() { return wantPlay; }

// Tracks already known to be unplayable are passed over; each is still
// reported once, whoever found it out first.
/** @param {Track | null} t */
function playable(t) {
  if (!t) return false;
  if (t.bad) reportBad(t);
  return !t.bad;
}

/** @param {Track} t */
function reportBad(t) {
  if (reported.has(t.url)) return;
  reported.add(t.url);
  announce('Can\u2019t play \u201c' + t.title + '\u201d \u2014 skipped');
}

// Loads a track and, unless told otherwise, plays it. A track already
// loaded ahead starts at once; `fade` keeps the one before it sounding.
/** @param {Track} t @param {{ paused?: boolean, later?: boolean, position?: number, direction?: number, fade?: boolean, force?: boolean }} [opts] */
export function playTrack(t, opts = {}) {
  if (!t) return null;
  if (!opts.fade) endFade();
  const ahead = !opts.position && takeAhead(t, opts.fade);
  loaded = t;
  direction = opts.direction || 1;
  restoring = opts.position ? opts.position : null;
  wantPlay = !opts.paused;
  changeSettings({ lastUrl: t.url, lastPosition: opts.position || 0 });
  el.seek.value = '0';
  el.elapsed.textContent = formatTime(opts.position || 0);
  el.total.textContent = formatTime(t.duration);
  el.seek.max = String(t.duration || 0);
  if (ahead) {
    // Its metadata came while it waited.
    if (audio.readyState >= 1) metadataIn();
  } else if (opts.later) {
    // The first file opened in a run brings up the engine's media
    // framework, which holds the page for a few hundred ms: not before the
    // list is on screen.
    afterPaint(() => { if (loaded === t && audio.getAttribute('src') !== t.url) { audio.src = t.url; audio.load(); } });
  } else {
    audio.src = t.url;
  }
  showNowPlaying();
  if (opts.paused) { if (!ahead && !opts.later) audio.load(); } else startPlaying();
  updatePlayButton();
  render();
  return ahead;
}

export function startPlaying() {
  wantPlay = true;
  // Played before the load put off at start-up was made.
  if (loaded && !audio.getAttribute('src')) audio.src = loaded.url;
  // Loaded paused and never played (the track restored at start): it would
  // start late on some audio servers (see decks.js), so it is loaded
  // afresh, at its position.
  if (loaded && audio.readyState >= 1 && !hasPlayed(audio) && audio.getAttribute('src') === loaded.url) {
    if (restoring === null && audio.currentTime > 0) restoring = audio.currentTime;
    audio.src = loaded.url;
  }
  const p = audio.play();
  // A file that cannot play is handled by the error event; a refused
  // autoplay just leaves us paused.
  if (p && p.catch) p.catch(() => {});
}

export function unload() {
  loaded = null;
  endFade();
  loadAhead(null);
  emptyDeck(audio);
  changeSettings({ lastUrl: null, lastPosition: 0 });
  el.elapsed.textContent = '0:00';
  el.total.textContent = '0:00';
  el.seek.value = '0';
  setFill(el.seek, 0, 0);
  showNowPlaying();
  updatePlayButton();
}

// The user picked a track: the list shown now becomes the context, and
// a file known to be unplayable is tried again (and reported again).
/** @param {Track | null} t */
export function playFromList(t) {
  if (!t) return;
  reported.delete(t.url);
  playing.startContext(view, t, settings.shuffle);
  playTrack(t, { force: true });
}

// Plays a track of the list as the one selected (a double-click, Enter).
/** @param {Track | null} t */
export function playOnly(t) {
  if (!t) return;
  selectOnly(t);
  playFromList(t);
}

export function togglePlay() {
  if (!loaded) {
    const t = cursor && view.indexOf(cursor) >= 0 ? cursor : null;
    if (t) { playFromList(t); return; }
    if (!view.length) return;
    playing.startContext(view, null, settings.shuffle);
    const first = playing.advance(1, { playable });
    if (first) playTrack(first, { force: true });
    return;
  }
  if (audio.paused) {
    if (loaded.bad && !audio.currentSrc) { playTrack(loaded, { force: true }); return; }
    startPlaying();
  } else pause();
}

// Pausing on purpose; wantPlay tells a failing load whether to move on.
export function pause() {
  wantPlay = false;
  endFade();
  audio.pause();
}

// Moves to the next or previous track of the queue and the context.
// `auto` is the end of a track or a skip: then repeat-off stops at the end
// of the context. `paused` loads it without playing.
// `fade` is a crossfade into the next track (see crossfade.js).
/** @param {number} dir @param {boolean} auto @param {boolean} [paused] @param {boolean} [fade] */
export function step(dir, auto, paused, fade) {
  const t = playing.advance(dir, { auto, repeat: settings.repeat, playable });
  if (t) { playTrack(t, { direction: dir, paused, fade }); return true; }
  if (auto) {
    pause();
    if (loaded && !loaded.bad) audio.currentTime = 0;
  }
  return false;
}

export function previous() {
  if (loaded && audio.currentTime > 3) { seekTo(0); return; }
  if (!step(-1, false) && loaded) seekTo(0);
}

/** @param {number} sec */
export function seekTo(sec) {
  endFade();
  audio.currentTime = sec;
}

/** @param {number} sec */
export function seekBy(sec) {
  if (!loaded || !isFinite(audio.duration)) return;
  seekTo(Math.max(0, Math.min(audio.duration, audio.currentTime + sec)));
}

// The duration can arrive after the metadata (see probe() in durations.js).
function takeDuration() {
  const t = loaded;
  if (!t || !isFinite(audio.duration) || t.duration === audio.duration) return;
  if (setDuration(t, audio.duration)) updateStatus();
  el.seek.max = String(audio.duration);
  el.total.textContent = formatTime(audio.duration);
  render();
}

function metadataIn() {
  const t = loaded;
  if (!t) return;
  takeDuration();
  if (t.bad) setBad(t, false);
  el.seek.max = String(isFinite(audio.duration) ? audio.duration : 0);
  el.total.textContent = formatTime(audio.duration);
  if (restoring) {
    audio.currentTime = Math.min(restoring, audio.duration || 0);
    restoring = null;
  }
  updatePosition();
  render();
}

export function wirePlayback() {
  onAudio('ended', () => {
    if (playing.stopsAfter()) {
      // Stop after this track: the next one waits, loaded, for Play.
      playing.setStopAfter(false);
      if (!step(1, true, true)) pause();
      return;
    }
    if (settings.repeat === 'one') { audio.currentTime = 0; startPlaying(); return; }
    step(1, true);
  });

  // The playing track was removed: play goes on with the one after it.
  on('library', (d) => {
    if (!d || !d.removed || !loaded || d.removed.indexOf(loaded) < 0) return;
    const wasPlaying = !audio.paused;
    if (!step(1, true, !wasPlaying)) unload();
  });

  onAudio('error', () => {
    const t = loaded;
    if (!t || !audio.getAttribute('src')) return;
    setBad(t, true);
    reportBad(t);
    render();
    // A track loaded paused (the one restored at start) is only marked.
    if (!wantPlay) return;
    failures++;
    // One pass over the list finding nothing playable ends the attempt.
    if (failures > playing.contextSize()) { failures = 0; pause(); updatePlayButton(); return; }
    if (!step(direction, true)) { updatePlayButton(); render(); }
  });

  onAudio('durationchange', takeDuration);
  onAudio('loadedmetadata', metadataIn);
  onAudio('playing', () => { failures = 0; updatePlayButton(); });
  onAudio('play', () => { updatePlayButton(); });
  onAudio('pause', () => { updatePlayButton(); saveNow(); });
  onAudio('timeupdate', () => {
    if (loaded && loaded.duration === null) takeDuration();
    updatePosition();
    if (sinceSaved() > 3000) saveNow();
  });
  onAudio('seeked', () => { updatePosition(); });
}

// Where the last run left off: loaded, paused, at its position.
/** @param {Track} t @param {number} position */
export function resumeLast(t, position) {
  playTrack(t, { paused: true, later: true, position });
}

