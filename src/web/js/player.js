/* Sonabel player: the one object the page's scripts share. It holds the
   elements, the settings, the state, the library and its store; each later
   file adds its functions to it and they call one another through it, so
   load order matters only for what a file does at once. Track text reaches
   the DOM only through textContent. */
(function () {
  'use strict';
  var core = window.SonabelCore;
  var Store = window.SonabelStore;

  var $ = function (id) { return document.getElementById(id); };

  var P = window.SonabelPlayer = {
    core: core,
    Store: Store,
    $: $,
    ROW_H: 36,
    SEEK_STEP: 5,
    el: {
      grid: $('grid'), viewport: $('viewport'), spacer: $('spacer'), empty: $('empty'),
      noResults: $('no-results'), search: $('search'), status: $('status'),
      selInfo: $('selection-info'), removeSel: $('remove-selected'), clearLib: $('clear-library'),
      play: $('play'), prev: $('prev'), next: $('next'), shuffle: $('shuffle'), repeat: $('repeat'),
      seek: $('seek'), elapsed: $('elapsed'), total: $('total'), mute: $('mute'), volume: $('volume'),
      nowTitle: $('now-title'), nowArtist: $('now-artist'), nowFormat: $('now-format'),
      toast: $('toast'), toastText: $('toast-text'), toastUndo: $('toast-undo'), confirm: $('confirm-clear'), audio: $('audio'),
      pin: $('win-pin'), min: $('win-min'), max: $('win-max'), close: $('win-close'),
      unavailable: $('unavailable-note')
    },
    // The shell puts this function in place before any script of ours runs.
    bridge: typeof window.sendNativeAction === 'function'
  };
  P.audio = P.el.audio;

  // Replaced by the stored library once it is read (see app.js), so always
  // reach it as P.lib.
  P.store = new Store.LibraryStore(function () { return P.lib; });
  P.settings = Store.loadSettings();
  var saveFailReported = false;
  P.store.onfail = function () {
    if (saveFailReported) return;
    saveFailReported = true;
    P.announce('The library could not be saved; it will be tried again with the next change');
  };
  P.lib = new core.Library();
  P.state = {
    sorted: null, sortedVersion: -1,
    view: [], terms: [], viewVersion: -1,
    selection: new Set(), anchor: null, cursor: null,
    current: null, shuffle: null, shuffleStale: true,
    reported: new Set(), failures: 0, direction: 1,
    restoring: null, seeking: false, wantPlay: false, lastSave: 0, ready: false
  };

  // Asks the shell for something; resolves with null when there is no shell
  // or the call fails, so callers need no error path.
  P.callNative = function (action) {
    if (!P.bridge) return Promise.resolve(null);
    try {
      return Promise.resolve(window.sendNativeAction(action)).catch(function () { return null; });
    } catch (e) {
      return Promise.resolve(null);
    }
  };
})();
