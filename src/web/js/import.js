/* Sonabel player: bringing tracks in. The import buttons ask the shell for
   a chooser; the shell answers with window.sonabel.addTracksBatch. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core;

  // Runs the search code over the whole library while the page is idle, so
  // the first real keystroke finds it compiled and every track's folder
  // layout and search texts made. A slice at a time: for 100,000 tracks
  // that is about half a second of work, which must not hold up a frame.
  var WARM_SLICE = 5000, WARM_TERMS = [{ field: null, text: '\u0001' }];
  var warmTimer = 0;
  P.warmSearch = function () {
    clearTimeout(warmTimer);
    var from = 0;
    function slice() {
      var tracks = P.lib.tracks, to = Math.min(tracks.length, from + WARM_SLICE);
      core.query.searchTracks(tracks.slice(from, to), WARM_TERMS, P.layoutOf);
      from = to;
      if (from < tracks.length) warmTimer = setTimeout(slice, 0);
    }
    warmTimer = setTimeout(slice, 1000);
  };

  // A batch is taken in two steps: the first rows at once, so they show
  // without waiting for the rest of a large batch, then the rest in the next
  // task. Batches that come meanwhile wait their turn.
  var FIRST_STEP = 2000;
  var batches = [];

  P.addTracksBatch = function (records) {
    try {
      if (!Array.isArray(records)) return;
      // "#" follows the files' own order: by path, numbers by value.
      batches.push({ records: core.naturalOrder(records), pos: 0, result: { added: 0, duplicates: 0, skipped: 0 } });
      if (batches.length === 1) ingest(FIRST_STEP);
    } catch (e) {
      // Whatever the shell hands us must never break the page.
    }
  };

  // Clearing the library drops what has not been taken in yet.
  P.dropBatches = function () { batches = []; };

  // Runs fn once the next frame is on screen. A timer task alone would run
  // before the frame; a hidden window paints no frames, hence the fallback.
  function afterPaint(fn) {
    var done = false;
    function once() { if (!done) { done = true; fn(); } }
    requestAnimationFrame(function () { setTimeout(once, 0); });
    setTimeout(once, 100);
  }

  function ingest(step) {
    var job = batches[0];
    if (!job) return;
    try {
      var end = Math.min(job.records.length, job.pos + step);
      P.model.addRecords(job.records, job.pos, end, job.result);
      job.pos = end;
    } catch (e) {
      job.pos = job.records.length;
    }
    if (job.pos < job.records.length) { afterPaint(function () { ingest(Infinity); }); return; }
    batches.shift();
    P.announce(core.batchMessage(job.result));
    if (job.result.added) P.warmSearch();
    if (batches.length) setTimeout(function () { ingest(FIRST_STEP); }, 0);
  }

  var importButtons = P.importButtons = Array.prototype.slice.call(document.querySelectorAll('[data-action]'));
  var importing = false;

  function setImportBusy(busy) {
    importing = busy;
    importButtons.forEach(function (b) {
      if (P.bridge) b.disabled = busy;
      b.classList.toggle('busy', busy);
    });
  }

  function runImport(action) {
    if (!P.bridge || importing) return;
    setImportBusy(true);
    P.callNative(action).then(function () { setImportBusy(false); });
  }

  importButtons.forEach(function (b) {
    b.addEventListener('click', function () { runImport(b.getAttribute('data-action')); });
  });
})();
