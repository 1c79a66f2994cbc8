/* Sonabel player: durations, read from the files' metadata as their rows
   come into view, a few at a time, and stored. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, state = P.state, settings = P.settings;
  var PROBES = 3;          // durations measured at once
  var PROBE_TIMEOUT = 8000;

  var probes = [], probeQueued = 0, inFlight = new Set(), gaveUp = new Set();

  P.queueProbes = function () {
    if (probeQueued) return;
    probeQueued = setTimeout(function () { probeQueued = 0; runProbes(); }, 250);
  };

  function visibleUnknown() {
    var pool = P.pool, out = [];
    for (var i = 0; i < pool.length; i++) {
      var t = pool[i].track;
      if (!pool[i].hidden && t && t.duration === null && !t.bad && !inFlight.has(t) && !gaveUp.has(t)) out.push(t);
    }
    return out;
  }

  function runProbes() {
    var todo = visibleUnknown();
    while (todo.length && inFlight.size < PROBES) probe(todo.shift());
  }

  function probe(t) {
    inFlight.add(t);
    var a = probes.pop() || new Audio();
    a.preload = 'metadata';
    a.muted = true;
    var timer = 0, poll = 0;
    function done(ok) {
      clearTimeout(timer);
      clearInterval(poll);
      a.onloadedmetadata = a.ondurationchange = a.onerror = null;
      a.removeAttribute('src');
      a.load();
      probes.push(a);
      inFlight.delete(t);
      if (ok === 'bad') P.model.setBad(t, true);
      else if (ok && P.model.setDuration(t, a.__d)) P.updateStatus();
      else if (!ok) gaveUp.add(t);
      if (settings.sortKey === 'duration') state.sortedVersion = -1; // order depends on it; re-sort on next change
    }
    function check() {
      if (isFinite(a.duration)) { a.__d = a.duration; done(true); }
    }
    // Some engines report an infinite duration at first for files without a
    // length header and learn the real one shortly after, not always with an
    // event; look again for a while.
    a.onloadedmetadata = function () {
      check();
      if (inFlight.has(t) && !poll) poll = setInterval(check, 250);
    };
    a.ondurationchange = check;
    a.onerror = function () { done('bad'); };
    timer = setTimeout(function () { done(false); }, PROBE_TIMEOUT);
    a.src = t.url;
  }
})();
