/* Sonabel player: durations and missing files, read from the files'
   metadata a few at a time: the rows in view first, then the whole library
   in the background, so that totals, the Time sort and the smart lists
   mean something. What is learnt is stored, so after a restart the pass
   goes on with the tracks it had not reached. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, state = P.state, settings = P.settings;
  var PROBES = 3;          // files read at once
  var PROBE_TIMEOUT = 8000; // doubled at each of the later tries
  var PROBE_TRIES = 3;
  var HOLD_AFTER_START = 500; // ms of quiet once a track has started
  var HOLD_AT_MOST = 5000;     // a start that never settles holds no longer

  var probes = [], pumpQueued = 0, inFlight = new Set(), gaveUp = new Set();
  // A file that was slow to answer (a busy disk, an engine still starting
  // its decoders) is tried again after the others, with more patience.
  var tries = new Map(), retries = [];
  // Where the background pass looks next; earlier tracks are known, or are
  // being read, or could not be read this run.
  var passFrom = 0, passVersion = -1;
  // A track being started gets the disk and the decoder to itself.
  var heldUntil = 0, starting = false;

  function wanted(t) {
    return t && t.duration === null && !t.bad && !inFlight.has(t) && !gaveUp.has(t);
  }

  // Rows in view wait a moment, so that scrolling past them reads nothing;
  // a sooner request moves the pending one up.
  var pumpDue = Infinity;
  P.queueProbes = function (delay) {
    var due = Date.now() + (delay === undefined ? 250 : delay);
    if (pumpQueued && pumpDue <= due) return;
    clearTimeout(pumpQueued);
    pumpDue = due;
    pumpQueued = setTimeout(function () { pumpQueued = 0; pumpDue = Infinity; pump(); }, due - Date.now());
  };

  function visibleUnknown() {
    var pool = P.pool, out = [];
    for (var i = 0; i < pool.length; i++) {
      if (!pool[i].hidden && wanted(pool[i].track)) out.push(pool[i].track);
    }
    return out;
  }

  // The next track of the background pass, or null when it is done.
  function nextInLibrary() {
    var tracks = P.lib.tracks;
    // Removals and undos move positions: look again from the start, which
    // is quick since known tracks are passed over.
    if (passVersion !== P.lib.version) { passVersion = P.lib.version; passFrom = 0; }
    while (passFrom < tracks.length && !wanted(tracks[passFrom])) passFrom++;
    return passFrom < tracks.length ? tracks[passFrom++] : null;
  }

  function nextRetry() {
    while (retries.length && !wanted(retries[0])) retries.shift();
    return retries.shift() || null;
  }

  function pump() {
    if (!state.ready) return;
    var wait = heldUntil - Date.now();
    if (wait > 0) { P.queueProbes(wait); return; }
    var todo = visibleUnknown();
    while (inFlight.size < PROBES) {
      var t = todo.length ? todo.shift() : nextInLibrary() || nextRetry();
      if (!t) break;
      probe(t);
    }
  }

  function finished(t, outcome, seconds) {
    inFlight.delete(t);
    if (outcome === 'bad') P.model.setBad(t, true);
    else if (outcome === 'ok' && P.model.setDuration(t, seconds)) P.updateStatus();
    else if (outcome === 'timeout') {
      var n = (tries.get(t) || 1) + 1;
      tries.set(t, n);
      if (n > PROBE_TRIES) gaveUp.add(t); else retries.push(t);
    }
    if (settings.sortKey === 'duration') state.sortedVersion = -1; // order depends on it; re-sort on next change
    // The next file in a task of its own, so a page busy with reading
    // durations still paints between them.
    P.queueProbes(0);
  }

  function probe(t) {
    inFlight.add(t);
    // Elements are reused: making and dropping one per file costs frames.
    var a = probes.pop() || new Audio();
    a.preload = 'metadata';
    a.muted = true;
    var timer = 0, poll = 0;
    function done(outcome) {
      clearTimeout(timer);
      clearInterval(poll);
      var seconds = a.duration;
      a.onloadedmetadata = a.ondurationchange = a.onerror = null;
      a.removeAttribute('src');
      a.load();
      probes.push(a);
      finished(t, outcome, seconds);
    }
    function check() {
      if (isFinite(a.duration)) done('ok');
    }
    // Some engines report an infinite duration at first for files without a
    // length header and learn the real one shortly after, not always with an
    // event; look again for a while.
    a.onloadedmetadata = function () {
      check();
      if (inFlight.has(t) && a.onloadedmetadata && !poll) poll = setInterval(check, 250);
    };
    a.ondurationchange = check;
    // An error of the file this element read before can still be queued;
    // starting this file's load has cleared that one.
    a.onerror = function () { if (a.error) done('bad'); };
    timer = setTimeout(function () { done('timeout'); }, PROBE_TIMEOUT * Math.pow(2, (tries.get(t) || 1) - 1));
    a.src = t.url;
  }

  function settled(quiet) {
    if (!starting) return;
    starting = false;
    heldUntil = Date.now() + quiet;
    P.queueProbes(quiet);
  }
  // Media events do not bubble; they are caught on their way down.
  document.addEventListener('loadstart', function (e) {
    if (e.target !== P.audio) return;
    starting = true;
    heldUntil = Date.now() + HOLD_AT_MOST;
  }, true);
  ['playing', 'pause', 'error', 'emptied'].forEach(function (type) {
    document.addEventListener(type, function (e) {
      if (e.target === P.audio) settled(HOLD_AFTER_START);
    }, true);
  });
  // A track loaded without playing (the one restored at start) is settled
  // once its metadata is in.
  document.addEventListener('loadedmetadata', function (e) {
    if (e.target === P.audio && P.audio.paused) settled(0);
  }, true);

  P.model.on('library', function (d) {
    if (d && (d.added || d.restored)) P.queueProbes();
  });
})();
