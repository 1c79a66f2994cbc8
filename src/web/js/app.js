/* Sonabel player: the page. Library view, playback, import and window
   controls. Track text reaches the DOM only through textContent. */
(function () {
  'use strict';
  var core = window.SonabelCore;
  var Store = window.SonabelStore;

  var ROW_H = 36;
  var OVERSCAN = 6;
  var PROBES = 3;          // durations measured at once
  var PROBE_TIMEOUT = 8000;
  var SEEK_STEP = 5;

  var $ = function (id) { return document.getElementById(id); };
  var el = {
    grid: $('grid'), viewport: $('viewport'), spacer: $('spacer'), empty: $('empty'),
    noResults: $('no-results'), search: $('search'), status: $('status'),
    selInfo: $('selection-info'), removeSel: $('remove-selected'), clearLib: $('clear-library'),
    play: $('play'), prev: $('prev'), next: $('next'), shuffle: $('shuffle'), repeat: $('repeat'),
    seek: $('seek'), elapsed: $('elapsed'), total: $('total'), mute: $('mute'), volume: $('volume'),
    nowTitle: $('now-title'), nowArtist: $('now-artist'), nowFormat: $('now-format'),
    toast: $('toast'), confirm: $('confirm-clear'), audio: $('audio'),
    pin: $('win-pin'), min: $('win-min'), max: $('win-max'), close: $('win-close'),
    unavailable: $('unavailable-note')
  };
  var audio = el.audio;

  // The shell puts this function in place before any script of ours runs.
  var bridge = typeof window.sendNativeAction === 'function';

  var store = new Store.LibraryStore(function () { return lib; });
  var settings = Store.loadSettings();
  var saveFailReported = false;
  store.onfail = function () {
    if (saveFailReported) return;
    saveFailReported = true;
    announce('The library could not be saved; it will be tried again with the next change');
  };
  var lib = new core.Library();
  var state = {
    sorted: null, sortedVersion: -1,
    view: [], terms: [], viewVersion: -1,
    selection: new Set(), anchor: null, cursor: null,
    current: null, shuffle: null, shuffleStale: true,
    reported: new Set(), failures: 0, direction: 1,
    restoring: null, seeking: false, wantPlay: false, lastSave: 0, ready: false
  };

  // ---------------------------------------------------------------- view

  function ordered() {
    if (state.sorted && state.sortedVersion === lib.version) return state.sorted;
    state.sorted = core.sortTracks(lib.tracks, settings.sortKey, settings.sortDir);
    state.sortedVersion = lib.version;
    return state.sorted;
  }

  // Recomputes the visible list. Typing that only narrows the query filters
  // the previous result, which keeps keystrokes cheap on large libraries.
  function refreshView(reason) {
    var terms = core.parseQuery(el.search.value);
    var base = ordered();
    var prev = state.viewVersion === lib.version && reason === 'search' && core.narrows(state.terms, terms);
    state.view = core.filterTracks(prev ? state.view : base, terms);
    state.terms = terms;
    state.viewVersion = lib.version;
    state.shuffleStale = true;
    el.spacer.style.height = (state.view.length * ROW_H) + 'px';
    el.grid.setAttribute('aria-rowcount', String(state.view.length + 1));
    var emptyLib = lib.size() === 0;
    el.empty.hidden = !emptyLib;
    el.noResults.hidden = emptyLib || state.view.length > 0;
    el.grid.classList.toggle('is-empty', emptyLib);
    updateStatus();
    render();
  }

  var pool = [];

  function makeRow() {
    var row = document.createElement('div');
    row.className = 'row';
    row.setAttribute('role', 'row');
    var cls = ['c-num', 'c-title', 'c-artist', 'c-format', 'c-dur'];
    row.cells = [];
    for (var i = 0; i < cls.length; i++) {
      var c = document.createElement('div');
      c.className = 'cell ' + cls[i];
      c.setAttribute('role', 'gridcell');
      var span = document.createElement('span');
      span.className = 'txt';
      c.appendChild(span);
      row.cells.push(span);
      row.appendChild(c);
    }
    var badge = document.createElement('span');
    badge.className = 'badge';
    badge.textContent = 'can\u2019t play';
    row.children[1].appendChild(badge);
    row.track = null;
    el.viewport.appendChild(row);
    return row;
  }

  var renderQueued = false;
  function queueRender() {
    if (renderQueued) return;
    renderQueued = true;
    requestAnimationFrame(function () { renderQueued = false; render(); });
  }

  function render() {
    var view = state.view;
    var top = el.viewport.scrollTop;
    var height = el.viewport.clientHeight || 600;
    var first = Math.max(0, Math.floor(top / ROW_H) - OVERSCAN);
    var last = Math.min(view.length, Math.ceil((top + height) / ROW_H) + OVERSCAN);
    var need = last - first;
    while (pool.length < need) pool.push(makeRow());
    var activeSet = false;
    for (var i = 0; i < pool.length; i++) {
      var row = pool[i];
      if (i >= need) {
        if (!row.hidden) { row.hidden = true; row.track = null; row.removeAttribute('id'); }
        continue;
      }
      var n = first + i, t = view[n];
      row.hidden = false;
      row.style.transform = 'translateY(' + (n * ROW_H) + 'px)';
      row.setAttribute('aria-rowindex', String(n + 2));
      if (row.track !== t || row.durShown !== t.duration) {
        row.cells[0].textContent = String(t.index + 1);
        row.cells[1].textContent = t.title;
        row.cells[2].textContent = t.artist;
        row.cells[3].textContent = t.format;
        row.cells[4].textContent = t.duration === null ? '' : core.formatTime(t.duration);
        row.track = t;
        row.durShown = t.duration;
      }
      var sel = state.selection.has(t);
      row.classList.toggle('selected', sel);
      row.setAttribute('aria-selected', sel ? 'true' : 'false');
      row.classList.toggle('playing', t === state.current);
      if (t === state.current) row.setAttribute('aria-current', 'true'); else row.removeAttribute('aria-current');
      row.classList.toggle('bad', t.bad);
      row.classList.toggle('odd', n % 2 === 1);
      if (t === state.cursor) { row.id = 'active-row'; row.classList.add('cursor'); activeSet = true; }
      else if (row.id) { row.removeAttribute('id'); row.classList.remove('cursor'); }
      else row.classList.remove('cursor');
    }
    if (activeSet) el.grid.setAttribute('aria-activedescendant', 'active-row');
    else el.grid.removeAttribute('aria-activedescendant');
    queueProbes();
  }

  el.viewport.addEventListener('scroll', queueRender, { passive: true });
  window.addEventListener('resize', queueRender);

  function rowTrack(target) {
    while (target && target !== el.viewport) {
      if (target.track !== undefined && target.classList && target.classList.contains('row')) return target.track;
      target = target.parentNode;
    }
    return null;
  }

  function scrollToIndex(n) {
    if (n < 0) return;
    var top = n * ROW_H, vt = el.viewport.scrollTop, h = el.viewport.clientHeight;
    if (top < vt) el.viewport.scrollTop = top;
    else if (top + ROW_H > vt + h) el.viewport.scrollTop = top + ROW_H - h;
  }

  // ---------------------------------------------------------- selection

  function selectOnly(t) {
    state.selection = new Set(t ? [t] : []);
    state.anchor = state.cursor = t;
  }

  function selectRange(from, to, add) {
    var a = state.view.indexOf(from), b = state.view.indexOf(to);
    if (a < 0) a = b;
    if (!add) state.selection = new Set();
    for (var i = Math.min(a, b); i <= Math.max(a, b); i++) state.selection.add(state.view[i]);
    state.cursor = to;
  }

  function selectionChanged() {
    var n = state.selection.size;
    el.selInfo.textContent = n ? core.plural(n, 'track', 'tracks') + ' selected' : '';
    el.removeSel.disabled = n === 0;
    render();
  }

  el.viewport.addEventListener('mousedown', function (e) {
    var t = rowTrack(e.target);
    if (!t || e.button !== 0) return;
    if (e.shiftKey) e.preventDefault(); // no text selection on shift-click
    el.grid.focus({ preventScroll: true });
  });

  el.viewport.addEventListener('click', function (e) {
    var t = rowTrack(e.target);
    if (!t) return;
    if (e.shiftKey && state.anchor) selectRange(state.anchor, t, e.ctrlKey || e.metaKey);
    else if (e.ctrlKey || e.metaKey) {
      if (state.selection.has(t)) state.selection.delete(t); else state.selection.add(t);
      state.anchor = state.cursor = t;
    } else selectOnly(t);
    selectionChanged();
  });

  el.viewport.addEventListener('dblclick', function (e) {
    var t = rowTrack(e.target);
    if (t) { selectOnly(t); selectionChanged(); playTrack(t, { force: true }); }
  });

  function moveCursor(delta, extend) {
    var view = state.view;
    if (!view.length) return;
    var n = state.cursor ? view.indexOf(state.cursor) : -1;
    if (n < 0) n = delta > 0 ? -1 : view.length;
    n = Math.max(0, Math.min(view.length - 1, n + delta));
    var t = view[n];
    if (extend && state.anchor) selectRange(state.anchor, t, false);
    else selectOnly(t);
    scrollToIndex(n);
    selectionChanged();
  }

  function removeSelection() {
    if (!state.selection.size) return;
    var gone = state.selection;
    var n = gone.size;
    if (state.current && gone.has(state.current)) unload();
    var view = state.view, next = null;
    // Keep the cursor near where the removed rows were.
    var at = state.cursor ? view.indexOf(state.cursor) : -1;
    for (var i = at; i >= 0 && i < view.length; i++) if (!gone.has(view[i])) { next = view[i]; break; }
    var from = lib.remove(gone);
    state.selection = new Set();
    state.anchor = state.cursor = next;
    store.touch(lib, from);
    refreshView();
    selectionChanged();
    announce('Removed ' + core.plural(n, 'track', 'tracks'));
  }

  // -------------------------------------------------------------- status

  function updateStatus() {
    var total = lib.size();
    var text;
    if (!total) text = 'No tracks';
    else if (state.terms.length) text = state.view.length.toLocaleString('en-US') + ' of ' + core.plural(total, 'track', 'tracks');
    else text = core.plural(total, 'track', 'tracks');
    if (lib.knownCount) {
      text += ' \u00b7 ' + core.formatTotal(lib.knownSeconds);
      if (lib.knownCount < total) text += ' (durations known for ' + lib.knownCount.toLocaleString('en-US') + ')';
    }
    el.status.textContent = text;
    el.clearLib.disabled = total === 0;
  }

  var toastTimer = 0;
  function announce(msg) {
    el.toast.textContent = msg;
    el.toast.classList.add('show');
    clearTimeout(toastTimer);
    toastTimer = setTimeout(function () { el.toast.classList.remove('show'); }, 5000);
  }

  // -------------------------------------------------------------- import

  // Runs the search code once over the whole library while the page is idle,
  // so the first real keystroke finds it compiled and its strings warm.
  var warmTimer = 0;
  function warmSearch() {
    clearTimeout(warmTimer);
    warmTimer = setTimeout(function () { core.filterTracks(lib.tracks, ['\u0001']); }, 1000);
  }

  // A batch is taken in two steps: the first rows at once, so they show
  // without waiting for the rest of a large batch, then the rest in the next
  // task. Batches that come meanwhile wait their turn.
  var FIRST_STEP = 2000;
  var batches = [];

  function addTracksBatch(records) {
    try {
      if (!Array.isArray(records)) return;
      batches.push({ records: records, pos: 0, result: { added: 0, duplicates: 0, skipped: 0 } });
      if (batches.length === 1) ingest(FIRST_STEP);
    } catch (e) {
      // Whatever the shell hands us must never break the page.
    }
  }

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
      var before = lib.size(), added = job.result.added;
      var end = Math.min(job.records.length, job.pos + step);
      lib.addRecords(job.records, job.pos, end, job.result);
      job.pos = end;
      if (job.result.added > added) {
        store.touch(lib, before);
        refreshView();
      }
    } catch (e) {
      job.pos = job.records.length;
    }
    if (job.pos < job.records.length) { afterPaint(function () { ingest(Infinity); }); return; }
    batches.shift();
    announce(core.batchMessage(job.result));
    if (job.result.added) warmSearch();
    if (batches.length) setTimeout(function () { ingest(FIRST_STEP); }, 0);
  }

  var importButtons = Array.prototype.slice.call(document.querySelectorAll('[data-action]'));
  var importing = false;

  function setImportBusy(busy) {
    importing = busy;
    importButtons.forEach(function (b) {
      if (bridge) b.disabled = busy;
      b.classList.toggle('busy', busy);
    });
  }

  function runImport(action) {
    if (!bridge || importing) return;
    setImportBusy(true);
    callNative(action).then(function () { setImportBusy(false); });
  }

  function callNative(action) {
    if (!bridge) return Promise.resolve(null);
    try {
      return Promise.resolve(window.sendNativeAction(action)).catch(function () { return null; });
    } catch (e) {
      return Promise.resolve(null);
    }
  }

  importButtons.forEach(function (b) {
    b.addEventListener('click', function () { runImport(b.getAttribute('data-action')); });
  });

  // ------------------------------------------------------ window controls

  var pinned = Store.loadPinned();
  function showPinned() {
    el.pin.setAttribute('aria-pressed', pinned ? 'true' : 'false');
    el.pin.title = pinned ? 'Keep on top (on)' : 'Keep on top';
  }
  el.pin.addEventListener('click', function () {
    pinned = !pinned;
    Store.savePinned(pinned);
    showPinned();
    callNative('setAlwaysOnTop');
  });
  el.min.addEventListener('click', function () { callNative('minimizeWindow'); });
  el.max.addEventListener('click', function () { callNative('maximizeWindow'); });
  el.close.addEventListener('click', function () {
    saveNow();
    store.flush().then(function () { callNative('closeWindow'); });
  });

  // ------------------------------------------------------------ playback

  // Tracks already known to be unplayable are passed over; each is still
  // reported once, whoever found it out first.
  function playable(t) {
    if (!t) return false;
    if (t.bad) reportBad(t);
    return !t.bad;
  }

  function reportBad(t) {
    if (state.reported.has(t.url)) return;
    state.reported.add(t.url);
    announce('Can\u2019t play \u201c' + t.title + '\u201d \u2014 skipped');
  }

  function showNowPlaying() {
    var t = state.current;
    el.nowTitle.textContent = t ? t.title : 'Nothing playing';
    el.nowArtist.textContent = t ? t.artist : '';
    el.nowFormat.textContent = t ? t.format : '';
    el.nowTitle.title = t ? t.title : '';
    el.nowArtist.title = t ? t.artist : '';
    document.title = t ? t.title + ' \u2014 ' + t.artist + ' \u00b7 Sonabel' : 'Sonabel';
    el.seek.disabled = !t;
    updateMediaMetadata();
  }

  // Loads a track and, unless told otherwise, plays it.
  function playTrack(t, opts) {
    opts = opts || {};
    if (!t) return;
    state.current = t;
    state.direction = opts.direction || 1;
    state.restoring = opts.position ? opts.position : null;
    state.wantPlay = !opts.paused;
    if (state.shuffle && opts.force) state.shuffleStale = true;
    settings.lastUrl = t.url;
    settings.lastPosition = opts.position || 0;
    saveNow();
    el.seek.value = '0';
    el.elapsed.textContent = core.formatTime(opts.position || 0);
    el.total.textContent = core.formatTime(t.duration);
    el.seek.max = String(t.duration || 0);
    audio.src = t.url;
    showNowPlaying();
    if (opts.paused) audio.load();
    else startPlaying();
    render();
  }

  function startPlaying() {
    state.wantPlay = true;
    var p = audio.play();
    // A file that cannot play is handled by the error event; a refused
    // autoplay just leaves us paused.
    if (p && p.catch) p.catch(function () {});
  }

  function unload() {
    state.current = null;
    audio.removeAttribute('src');
    audio.load();
    settings.lastUrl = null;
    settings.lastPosition = 0;
    saveNow();
    el.elapsed.textContent = '0:00';
    el.total.textContent = '0:00';
    el.seek.value = '0';
    setFill(el.seek, 0, 0);
    showNowPlaying();
    updatePlayButton();
  }

  function togglePlay() {
    if (!state.current) {
      var t = state.cursor && state.view.indexOf(state.cursor) >= 0 ? state.cursor : null;
      if (!t) t = settings.shuffle ? pickShuffle(1, true) : firstPlayable(0, 1, false);
      if (t) playTrack(t, { force: true });
      return;
    }
    if (audio.paused) {
      if (state.current.bad && !audio.currentSrc) { playTrack(state.current, { force: true }); return; }
      startPlaying();
    } else pause();
  }

  // Pausing on purpose; wantPlay tells a failing load whether to move on.
  function pause() {
    state.wantPlay = false;
    audio.pause();
  }

  function syncShuffle() {
    if (!state.shuffle) state.shuffle = new core.Shuffle(state.view, Math.random, state.current || undefined);
    else if (state.shuffleStale) state.shuffle.sync(state.view);
    state.shuffleStale = false;
    // Playing something chosen by hand: the pass continues after it.
    if (state.current && state.shuffle.current() !== state.current) state.shuffle.moveTo(state.current);
  }

  function pickShuffle(dir, auto) {
    syncShuffle();
    var sh = state.shuffle, wrap = settings.repeat === 'all' || !auto;
    for (var tries = 0; tries <= state.view.length; tries++) {
      var t = dir > 0 ? sh.next(wrap) : sh.previous();
      if (t === undefined) return null;
      if (playable(t)) return t;
    }
    return null;
  }

  function firstPlayable(start, dir, wrap) {
    var view = state.view;
    for (var k = 0, n = start; k < view.length; k++) {
      if (n < 0 || n >= view.length) {
        if (!wrap) return null;
        n = (n + view.length) % view.length;
      }
      if (playable(view[n])) return view[n];
      n += dir;
    }
    return null;
  }

  // Moves to the next or previous track. `auto` is the end of a track or a
  // skip: then repeat-off stops at the end of the list.
  function step(dir, auto) {
    var t;
    if (settings.shuffle) t = pickShuffle(dir, auto);
    else {
      var view = state.view;
      var at = state.current ? view.indexOf(state.current) : -1;
      var wrap = settings.repeat === 'all' || !auto;
      var start = at < 0 ? (dir > 0 ? 0 : view.length - 1) : at + dir;
      t = firstPlayable(start, dir, wrap);
    }
    if (t) { playTrack(t, { direction: dir }); return true; }
    if (auto) {
      pause();
      if (state.current && !state.current.bad) audio.currentTime = 0;
    }
    return false;
  }

  function previous() {
    if (state.current && audio.currentTime > 3) { audio.currentTime = 0; return; }
    if (!step(-1, false) && state.current) audio.currentTime = 0;
  }

  function seekBy(sec) {
    if (!state.current || !isFinite(audio.duration)) return;
    audio.currentTime = Math.max(0, Math.min(audio.duration, audio.currentTime + sec));
  }

  audio.addEventListener('ended', function () {
    if (settings.repeat === 'one') { audio.currentTime = 0; startPlaying(); return; }
    step(1, true);
  });

  audio.addEventListener('error', function () {
    var t = state.current;
    if (!t || !audio.getAttribute('src')) return;
    t.bad = true;
    store.touch(lib, t.index, t.index);
    reportBad(t);
    render();
    // A track loaded paused (the one restored at start) is only marked.
    if (!state.wantPlay) return;
    state.failures++;
    // One pass over the list finding nothing playable ends the attempt.
    if (state.failures > state.view.length) { state.failures = 0; pause(); updatePlayButton(); return; }
    if (!step(state.direction, true)) { updatePlayButton(); render(); }
  });

  // The duration can arrive after the metadata (see probe()).
  function takeDuration() {
    var t = state.current;
    if (!t || !isFinite(audio.duration) || t.duration === audio.duration) return;
    if (lib.setDuration(t, audio.duration)) { store.touch(lib, t.index, t.index); updateStatus(); }
    el.seek.max = String(audio.duration);
    el.total.textContent = core.formatTime(audio.duration);
    render();
  }
  audio.addEventListener('durationchange', takeDuration);

  audio.addEventListener('loadedmetadata', function () {
    var t = state.current;
    if (!t) return;
    takeDuration();
    if (t.bad) { t.bad = false; store.touch(lib, t.index, t.index); }
    el.seek.max = String(isFinite(audio.duration) ? audio.duration : 0);
    el.total.textContent = core.formatTime(audio.duration);
    if (state.restoring) {
      audio.currentTime = Math.min(state.restoring, audio.duration || 0);
      state.restoring = null;
    }
    updatePosition();
    render();
  });

  audio.addEventListener('playing', function () { state.failures = 0; updatePlayButton(); });
  audio.addEventListener('play', updatePlayButton);
  audio.addEventListener('pause', function () { updatePlayButton(); saveNow(); });
  audio.addEventListener('timeupdate', function () {
    if (state.current && state.current.duration === null) takeDuration();
    updatePosition();
    var now = Date.now();
    if (now - state.lastSave > 3000) saveNow();
  });
  audio.addEventListener('seeked', updatePosition);

  function setFill(range, value, max) {
    var p = max > 0 && isFinite(max) ? Math.max(0, Math.min(100, value / max * 100)) : 0;
    range.style.setProperty('--fill', p.toFixed(2) + '%');
  }

  function updatePlayButton() {
    var playing = !audio.paused && !!state.current;
    el.play.classList.toggle('is-playing', playing);
    el.play.setAttribute('aria-label', playing ? 'Pause' : 'Play');
    el.play.title = playing ? 'Pause (Space)' : 'Play (Space)';
    document.body.classList.toggle('is-playing', playing);
    if ('mediaSession' in navigator) navigator.mediaSession.playbackState = state.current ? (playing ? 'playing' : 'paused') : 'none';
  }

  function updatePosition() {
    if (!state.current) return;
    var pos = state.restoring !== null && state.restoring !== undefined ? state.restoring : audio.currentTime;
    if (!state.seeking) {
      el.seek.value = String(pos);
      setFill(el.seek, pos, audio.duration);
    }
    el.elapsed.textContent = core.formatTime(pos);
    el.seek.setAttribute('aria-valuetext', core.formatTime(pos) + ' of ' + core.formatTime(audio.duration));
    if (state.restoring === null || state.restoring === undefined) settings.lastPosition = audio.currentTime || 0;
    if ('mediaSession' in navigator && navigator.mediaSession.setPositionState && isFinite(audio.duration) && audio.duration > 0) {
      try {
        navigator.mediaSession.setPositionState({
          duration: audio.duration, position: Math.min(audio.currentTime, audio.duration), playbackRate: audio.playbackRate || 1
        });
      } catch (e) { /* stale values during a change of track */ }
    }
  }

  el.seek.addEventListener('input', function () {
    state.seeking = true;
    el.elapsed.textContent = core.formatTime(Number(el.seek.value));
    setFill(el.seek, Number(el.seek.value), Number(el.seek.max));
  });
  el.seek.addEventListener('change', function () {
    state.seeking = false;
    if (state.current && isFinite(audio.duration)) audio.currentTime = Number(el.seek.value);
  });

  el.play.addEventListener('click', togglePlay);
  el.next.addEventListener('click', function () { step(1, false); });
  el.prev.addEventListener('click', previous);

  function showShuffle() {
    el.shuffle.setAttribute('aria-pressed', settings.shuffle ? 'true' : 'false');
    el.shuffle.title = settings.shuffle ? 'Shuffle: on' : 'Shuffle: off';
  }
  el.shuffle.addEventListener('click', function () {
    settings.shuffle = !settings.shuffle;
    state.shuffle = null; // a fresh pass each time it is turned on
    showShuffle();
    saveNow();
  });

  var REPEAT_LABEL = { off: 'Repeat: off', all: 'Repeat: all', one: 'Repeat: one' };
  function showRepeat() {
    el.repeat.setAttribute('data-mode', settings.repeat);
    el.repeat.setAttribute('aria-label', REPEAT_LABEL[settings.repeat]);
    el.repeat.title = REPEAT_LABEL[settings.repeat];
  }
  el.repeat.addEventListener('click', function () {
    settings.repeat = settings.repeat === 'off' ? 'all' : settings.repeat === 'all' ? 'one' : 'off';
    showRepeat();
    saveNow();
    announce(REPEAT_LABEL[settings.repeat]);
  });

  function showVolume() {
    audio.volume = settings.volume;
    audio.muted = settings.muted;
    el.volume.value = String(settings.volume);
    setFill(el.volume, settings.muted ? 0 : settings.volume, 1);
    el.volume.setAttribute('aria-valuetext', Math.round(settings.volume * 100) + '%');
    el.mute.setAttribute('aria-pressed', settings.muted ? 'true' : 'false');
    el.mute.setAttribute('aria-label', 'Mute');
    el.mute.classList.toggle('is-muted', settings.muted || settings.volume === 0);
  }
  el.volume.addEventListener('input', function () {
    settings.volume = Number(el.volume.value);
    if (settings.volume > 0 && settings.muted) settings.muted = false;
    showVolume();
    saveSoon();
  });
  function toggleMute() { settings.muted = !settings.muted; showVolume(); saveNow(); }
  el.mute.addEventListener('click', toggleMute);

  // ------------------------------------------------------------- sorting

  var headers = Array.prototype.slice.call(document.querySelectorAll('[role=columnheader]'));
  function showSort() {
    headers.forEach(function (h) {
      var on = h.getAttribute('data-key') === settings.sortKey;
      h.setAttribute('aria-sort', on ? (settings.sortDir === 'asc' ? 'ascending' : 'descending') : 'none');
    });
  }
  headers.forEach(function (h) {
    h.querySelector('button').addEventListener('click', function () {
      var key = h.getAttribute('data-key');
      if (settings.sortKey === key) settings.sortDir = settings.sortDir === 'asc' ? 'desc' : 'asc';
      else { settings.sortKey = key; settings.sortDir = 'asc'; }
      state.sorted = null;
      showSort();
      saveNow();
      refreshView();
      if (state.cursor) scrollToIndex(state.view.indexOf(state.cursor));
    });
  });

  // -------------------------------------------------------------- search

  el.search.addEventListener('input', function () {
    if (state.selection.size) { state.selection = new Set(); selectionChanged(); }
    el.viewport.scrollTop = 0;
    refreshView('search');
  });

  function clearSearch() {
    if (!el.search.value) return false;
    el.search.value = '';
    refreshView();
    if (state.current) scrollToIndex(state.view.indexOf(state.current));
    return true;
  }

  // ------------------------------------------------------------ clearing

  function askClear() {
    if (!lib.size()) return;
    if (typeof el.confirm.showModal === 'function') {
      el.confirm.showModal();
      $('confirm-cancel').focus();
    } else if (window.confirm('Clear the library? Your files stay where they are.')) doClear();
  }
  function doClear() {
    batches = [];
    unload();
    lib.clear();
    state.selection = new Set();
    state.anchor = state.cursor = null;
    state.shuffle = null;
    store.touch(lib, 0);
    store.flush();
    el.search.value = '';
    refreshView();
    selectionChanged();
    announce('Library cleared');
  }
  $('confirm-cancel').addEventListener('click', function () { el.confirm.close(); });
  $('confirm-ok').addEventListener('click', function () { el.confirm.close(); doClear(); el.grid.focus(); });
  el.clearLib.addEventListener('click', askClear);
  el.removeSel.addEventListener('click', removeSelection);

  // ------------------------------------------------------------ keyboard

  function isTyping(target) {
    return target === el.search;
  }

  document.addEventListener('mousedown', function () { document.body.classList.add('pointer'); }, true);

  document.addEventListener('keydown', function (e) {
    if (e.key !== 'Control' && e.key !== 'Shift' && e.key !== 'Alt' && e.key !== 'Meta') document.body.classList.remove('pointer');
    if (el.confirm.open) return;
    var t = e.target, key = e.key, ctrl = e.ctrlKey || e.metaKey;
    if (ctrl && !e.altKey && (key === 'f' || key === 'F')) {
      e.preventDefault();
      el.search.focus();
      el.search.select();
      return;
    }
    if (key === 'Escape') {
      if (clearSearch()) e.preventDefault();
      if (t === el.search) el.grid.focus();
      return;
    }
    if (isTyping(t)) {
      if (key === 'Enter' || key === 'ArrowDown') {
        // From the search box straight into the results.
        e.preventDefault();
        el.grid.focus();
        if (key === 'Enter' && state.view.length) { selectOnly(state.view[0]); selectionChanged(); playTrack(state.view[0], { force: true }); }
        else moveCursor(1, false);
      }
      return;
    }
    var onButton = t && t.tagName === 'BUTTON';
    var onRange = t && t.tagName === 'INPUT' && t.type === 'range';
    if (e.altKey) return;
    switch (key) {
      case ' ':
      case 'Spacebar':
        if (onButton) return;
        e.preventDefault();
        togglePlay();
        return;
      case 'ArrowLeft':
      case 'ArrowRight':
        if (ctrl) { e.preventDefault(); if (key === 'ArrowLeft') previous(); else step(1, false); return; }
        if (onRange) return;
        e.preventDefault();
        seekBy(key === 'ArrowLeft' ? -SEEK_STEP : SEEK_STEP);
        return;
      case 'ArrowUp':
      case 'ArrowDown':
        if (onRange) return;
        e.preventDefault();
        moveCursor(key === 'ArrowUp' ? -1 : 1, e.shiftKey);
        el.grid.focus({ preventScroll: true });
        return;
      case 'Home':
      case 'End':
        if (onRange) return;
        e.preventDefault();
        moveCursor(key === 'Home' ? -Infinity : Infinity, e.shiftKey);
        return;
      case 'PageUp':
      case 'PageDown':
        if (onRange) return;
        e.preventDefault();
        moveCursor((key === 'PageUp' ? -1 : 1) * Math.max(1, Math.floor(el.viewport.clientHeight / ROW_H) - 1), e.shiftKey);
        return;
      case 'Enter':
        if (onButton) return;
        e.preventDefault();
        if (state.cursor) playTrack(state.cursor, { force: true });
        return;
      case 'Delete':
        e.preventDefault();
        removeSelection();
        return;
      case 'a':
      case 'A':
        if (!ctrl) return;
        e.preventDefault();
        state.selection = new Set(state.view);
        if (!state.cursor && state.view.length) state.cursor = state.view[0];
        selectionChanged();
        return;
      case 'm':
      case 'M':
        if (ctrl) return;
        e.preventDefault();
        toggleMute();
        return;
    }
  });

  // ------------------------------------------------------- media session

  function updateMediaMetadata() {
    if (!('mediaSession' in navigator)) return;
    var t = state.current;
    try {
      navigator.mediaSession.metadata = t && typeof MediaMetadata === 'function'
        ? new MediaMetadata({ title: t.title, artist: t.artist, album: t.format })
        : null;
    } catch (e) { /* engine without metadata support */ }
  }

  function setupMediaSession() {
    if (!('mediaSession' in navigator)) return;
    var ms = navigator.mediaSession;
    var handlers = {
      play: function () { if (!state.current) togglePlay(); else startPlaying(); },
      pause: pause,
      stop: pause,
      previoustrack: previous,
      nexttrack: function () { step(1, false); },
      seekbackward: function (d) { seekBy(-((d && d.seekOffset) || SEEK_STEP)); },
      seekforward: function (d) { seekBy((d && d.seekOffset) || SEEK_STEP); },
      seekto: function (d) {
        if (!d || typeof d.seekTime !== 'number' || !state.current) return;
        if (d.fastSeek && 'fastSeek' in audio) audio.fastSeek(d.seekTime);
        else audio.currentTime = d.seekTime;
        updatePosition();
      }
    };
    Object.keys(handlers).forEach(function (name) {
      try { ms.setActionHandler(name, handlers[name]); } catch (e) { /* action not known here */ }
    });
  }

  // ----------------------------------------------------- lazy durations

  var probes = [], probeQueued = 0, inFlight = new Set(), gaveUp = new Set();

  function queueProbes() {
    if (probeQueued) return;
    probeQueued = setTimeout(function () { probeQueued = 0; runProbes(); }, 250);
  }

  function visibleUnknown() {
    var out = [];
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
      if (ok === 'bad') {
        t.bad = true;
        store.touch(lib, t.index, t.index);
      } else if (ok && lib.byUrl.get(t.url) === t && lib.setDuration(t, a.__d)) {
        store.touch(lib, t.index, t.index);
        updateStatus();
      } else if (!ok) gaveUp.add(t);
      if (settings.sortKey === 'duration') state.sortedVersion = -1; // order depends on it; re-sort on next change
      queueRender();
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

  // ------------------------------------------------------ settings save

  var saveTimer = 0;
  function saveNow() {
    clearTimeout(saveTimer);
    state.lastSave = Date.now();
    Store.saveSettings(settings);
  }
  function saveSoon() {
    clearTimeout(saveTimer);
    saveTimer = setTimeout(saveNow, 300);
  }
  window.addEventListener('pagehide', function () { saveNow(); store.flush(); });
  document.addEventListener('visibilitychange', function () {
    if (document.visibilityState === 'hidden') { saveNow(); store.flush(); }
  });

  // ---------------------------------------------------------------- start

  window.sonabel = {
    addTracksBatch: addTracksBatch,
    // Lets a caller wait for the stored library to be back (tests, bench).
    ready: null
  };

  if (!bridge) {
    document.body.classList.add('no-bridge');
    importButtons.forEach(function (b) {
      b.disabled = true;
      b.setAttribute('aria-describedby', 'unavailable-note');
      b.title = 'Unavailable: adding music needs the Sonabel app';
    });
    el.unavailable.hidden = false;
    document.querySelector('.winctl').hidden = true;
  }

  showPinned();
  showShuffle();
  showRepeat();
  showVolume();
  showSort();
  setupMediaSession();
  updatePlayButton();
  refreshView();

  window.sonabel.ready = store.load().then(function (stored) {
    // A batch that came in while loading is added after the stored tracks.
    var early = lib.tracks;
    lib = stored;
    store.dirty.clear();
    if (early.length) {
      var before = lib.size();
      lib.addRecords(early);
      store.touch(lib, before);
    }
    state.sorted = null;
    refreshView();
    if (lib.size()) warmSearch();
    if (settings.lastUrl && lib.byUrl.has(settings.lastUrl)) {
      var t = lib.byUrl.get(settings.lastUrl);
      state.cursor = state.anchor = t;
      playTrack(t, { paused: true, position: settings.lastPosition });
      var n = state.view.indexOf(t);
      if (n >= 0) el.viewport.scrollTop = Math.max(0, n * ROW_H - el.viewport.clientHeight / 2);
      render();
    }
    state.ready = true;
    if (window.performance && performance.mark) performance.mark('sonabel-ready');
    document.documentElement.setAttribute('data-ready', 'true');
    return lib.size();
  });
})();
