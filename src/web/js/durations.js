/* Sonabel player: durations and missing files, read from the files'
   metadata a few at a time: the rows in view first, then the whole library
   in the background, so that totals, the Time sort and the smart lists
   mean something. What is learnt is stored, so after a restart the pass
   goes on with the tracks it had not reached. */
import { lib, setBad, setDuration } from './library.js';
import { settings } from './settings.js';
import { resortLater } from './shown.js';
import { audio } from './decks.js';
import { tracksOnScreen } from './view.js';
import { updateStatus } from './status.js';
import { on } from './events.js';

/** @typedef {import('./library.js').Track} Track */

const PROBES = 3;          // files read at once
const PROBE_TIMEOUT = 8000; // doubled at each of the later tries
const PROBE_TRIES = 3;
const HOLD_AFTER_START = 500; // ms of quiet once a track has started
const HOLD_AT_MOST = 5000;     // a start that never settles holds no longer
// Each file read costs the page a new media pipeline, several ms of its
// one thread: none are started while the user types or scrolls, until
// this long after the last key, wheel turn or press.
const HOLD_FOR_INPUT = 700;

const probes = [];
let pumpQueued = 0;
const inFlight = new Set();
const gaveUp = new Set();
// A file that was slow to answer (a busy disk, an engine still starting
// its decoders) is tried again after the others, with more patience.
const tries = new Map(), retries = [];
// Where the background pass looks next; earlier tracks are known, or are
// being read, or could not be read this run.
let passFrom = 0, passVersion = -1;
// A track being started gets the disk and the decoder to itself.
let heldUntil = 0, starting = false;

function wanted(t) {
  return t && t.duration === null && !t.bad && !inFlight.has(t) && !gaveUp.has(t);
}

// Rows in view wait a moment, so that scrolling past them reads nothing;
// a sooner request moves the pending one up.
let pumpDue = Infinity;
/** @param {number} [delay] */
export function queueProbes(delay) {
  const due = Date.now() + (delay === undefined ? 250 : delay);
  if (pumpQueued && pumpDue <= due) return;
  clearTimeout(pumpQueued);
  pumpDue = due;
  pumpQueued = setTimeout(function () { pumpQueued = 0; pumpDue = Infinity; pump(); }, due - Date.now());
}

function visibleUnknown() { return tracksOnScreen().filter(wanted); }

// The next track of the background pass, or null when it is done.
function nextInLibrary() {
  const tracks = lib.tracks;
  // Removals and undos move positions: look again from the start, which
  // is quick since known tracks are passed over.
  if (passVersion !== lib.version) { passVersion = lib.version; passFrom = 0; }
  while (passFrom < tracks.length && !wanted(tracks[passFrom])) passFrom++;
  return passFrom < tracks.length ? tracks[passFrom++] : null;
}

function nextRetry() {
  while (retries.length && !wanted(retries[0])) retries.shift();
  return retries.shift() || null;
}

let inputUntil = 0;
function pump() {
  if (!passing) return;
  const wait = Math.max(heldUntil, inputUntil) - Date.now();
  if (wait > 0) { queueProbes(wait); return; }
  const todo = visibleUnknown();
  while (inFlight.size < PROBES) {
    const t = todo.length ? todo.shift() : nextInLibrary() || nextRetry();
    if (!t) break;
    probe(t);
  }
}

function finished(t, outcome, seconds) {
  inFlight.delete(t);
  if (outcome === 'bad') setBad(t, true);
  else if (outcome === 'ok' && setDuration(t, seconds)) updateStatus();
  else if (outcome === 'timeout') {
    const n = (tries.get(t) || 1) + 1;
    tries.set(t, n);
    if (n > PROBE_TRIES) gaveUp.add(t); else retries.push(t);
  }
  if (settings.sortKey === 'duration') resortLater(); // the order depends on it
  // The next file in a task of its own, so a page busy with reading
  // durations still paints between them.
  queueProbes(0);
}

function probe(t) {
  inFlight.add(t);
  // Elements are reused: making and dropping one per file costs frames.
  const a = probes.pop() || new Audio();
  a.preload = 'metadata';
  a.muted = true;
  let timer = 0, poll = 0;
  function done(outcome) {
    clearTimeout(timer);
    clearInterval(poll);
    const seconds = a.duration;
    a.onloadedmetadata = a.ondurationchange = a.onerror = null;
    a.removeAttribute('src');
    a.load();
    probes.push(a);
    finished(t, outcome, seconds);
  }
  function check() {
    if (a.duration > 0 && isFinite(a.duration)) done('ok');
  }
  // For files without a length header WebKit reports an infinite or a zero
  // duration at first and the real one some 10 to 30 ms later, not always
  // with an event; look again, often, since that wait is most of a read.
  a.onloadedmetadata = function () {
    check();
    if (inFlight.has(t) && a.onloadedmetadata && !poll) poll = setInterval(check, 15);
  };
  a.ondurationchange = check;
  // An error of the file this element read before can still be queued;
  // starting this file's load has cleared that one.
  a.onerror = function () { if (a.error) done('bad'); };
  // A file whose length stays zero is taken at its word in the end.
  timer = setTimeout(function () { done(a.duration === 0 ? 'ok' : 'timeout'); }, PROBE_TIMEOUT * Math.pow(2, (tries.get(t) || 1) - 1));
  a.src = t.url;
}

function settled(quiet) {
  if (!starting) return;
  starting = false;
  heldUntil = Date.now() + quiet;
  queueProbes(quiet);
}
// The background pass begins once the stored library is on screen, and a
// moment later: the first file read brings up the engine's media framework,
// which holds the page for a few hundred ms.
const PASS_START_DELAY = 1000;
var passing = false;
export function startProbing() {
  passing = true;
  heldUntil = Math.max(heldUntil, Date.now() + PASS_START_DELAY);
  queueProbes(PASS_START_DELAY);
}

export function wireDurations() {
  ['keydown', 'wheel', 'pointerdown', 'scroll'].forEach(function (type) {
    document.addEventListener(type, function () { inputUntil = Date.now() + HOLD_FOR_INPUT; }, { capture: true, passive: true });
  });
  // Media events do not bubble; they are caught on their way down.
  document.addEventListener('loadstart', function (e) {
    if (e.target !== audio) return;
    starting = true;
    heldUntil = Date.now() + HOLD_AT_MOST;
  }, true);
  ['playing', 'pause', 'error', 'emptied'].forEach(function (type) {
    document.addEventListener(type, function (e) {
      if (e.target === audio) settled(HOLD_AFTER_START);
    }, true);
  });
  // A track loaded without playing (the one restored at start) is settled
  // once its metadata is in.
  document.addEventListener('loadedmetadata', function (e) {
    if (e.target === audio && audio.paused) settled(0);
  }, true);

  on('library', function (d) {
    if (d && (d.added || d.restored)) queueProbes();
  });
}
