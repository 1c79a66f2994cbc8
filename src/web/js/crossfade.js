/* Sonabel player: the change from one track to the next, without a gap.
   The next track waits loaded on the other deck (decks.js). An element
   still takes a moment from play() to its first audio, so the next one is
   started that much before the current one ends. With a crossfade set, it
   starts that many seconds before the end instead, and the two are mixed
   with equal power, so the loudness holds through the change. Only tracks
   longer than twice the fade are faded; anything the user does to playback
   (pause, seek, skip) ends a fade at once. */
import { settings } from './settings.js';
import { stopsAfter } from './playing.js';
import { audio, otherDeck, waitingTrack, emptyDeck, applyOutput, planAhead, onAudio } from './decks.js';
import { loaded, wantsPlay, step } from './playback.js';
import { isSeeking } from './transport.js';

const TICK_MS = 50;
// From play() to the first audio of a loaded element: what Chromium takes
// (bench/gap.mjs) until a change here has been measured. Engines and audio
// servers differ (WebKit on PulseAudio starts a primed element at once), and
// starting too early is heard as an overlap, too late as a gap.
let startLead = 0.08;
let fade = null;    // { from: the element ending, start, length (ms), ramp, timer }
let joinTimer = 0;

function tick() {
  if (!fade) return;
  const k = Math.min(1, (performance.now() - fade.start) / fade.length);
  if (fade.ramp) {
    fade.from.volume = settings.volume * Math.cos(k * Math.PI / 2);
    audio.volume = settings.volume * Math.sin(k * Math.PI / 2);
  }
  if ((fade.ramp && k >= 1) || fade.from.ended || fade.from.paused) endFade();
}

export function endFade() {
  clearTimeout(joinTimer);
  joinTimer = 0;
  if (!fade) return;
  const f = fade;
  fade = null;
  clearInterval(f.timer);
  if (f.from !== audio) emptyDeck(f.from);
  applyOutput();
  planAhead();
}

/** Whether two tracks are sounding, one fading into the other. */
export function isFading() { return !!fade; }

// Seconds of the current track left to play, at its speed.
function left(a) { return (a.duration - a.currentTime) / (a.playbackRate || 1); }

// Whether the end of the current track would go on to the one waiting.
function joinable(a) {
  if (fade || !loaded || a.paused || !wantsPlay() || isSeeking()) return false;
  if (settings.repeat === 'one' || stopsAfter() || !isFinite(a.duration)) return false;
  return !!waitingTrack() && otherDeck().readyState >= 3;
}

// Once the element started at `askedAt` reports a position, when its first
// sample was heard is known: the lead for the next change.
/** @param {HTMLAudioElement} d @param {number} askedAt */
function measureLead(d, askedAt) {
  function heard() {
    if (d.paused || d.currentTime <= 0) return;
    d.removeEventListener('timeupdate', heard);
    const lead = (performance.now() - d.currentTime * 1000 / (d.playbackRate || 1) - askedAt) / 1000;
    if (lead > -0.05 && lead < 0.5) startLead = Math.max(0.01, (startLead + lead) / 2);
  }
  d.addEventListener('timeupdate', heard);
  setTimeout(() => { d.removeEventListener('timeupdate', heard); }, 2000);
}

// Starts the waiting track now, the current one still sounding.
function begin(a, seconds, ramp) {
  if (ramp) otherDeck().volume = 0;
  else measureLead(otherDeck(), performance.now());
  fade = { from: a, start: performance.now(), length: Math.max(seconds, 0.05) * 1000, ramp: ramp, timer: 0 };
  step(1, true, false, true);
  if (audio === a) {
    // Something else came next after all: play goes on as usual.
    fade = null;
    applyOutput();
    return;
  }
  fade.timer = setInterval(tick, TICK_MS);
}

export function wireCrossfade() {
  onAudio('timeupdate', function () {
    const a = audio, len = settings.crossfade;
    if (joinTimer || !joinable(a)) return;
    const rest = left(a);
    if (len && a.duration > 2 * len && otherDeck().duration > 2 * len) {
      if (rest <= len) begin(a, rest, true);
      return;
    }
    // Position reports come about four times a second: aim between them.
    if (rest > 0.5) return;
    joinTimer = setTimeout(function () {
      joinTimer = 0;
      if (audio === a && joinable(a) && left(a) < startLead + 0.1) begin(a, left(a), false);
    }, Math.max(0, (rest - startLead) * 1000));
  });
}
