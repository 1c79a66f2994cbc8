/* Sonabel player: saving the settings, and everything unsaved when the page
   goes away. */
(function () {
  'use strict';
  var P = window.SonabelPlayer;

  var saveTimer = 0;
  P.saveNow = function () {
    clearTimeout(saveTimer);
    P.state.lastSave = Date.now();
    P.Store.saveSettings(P.settings);
  };
  // For changes that come in runs, such as dragging the volume.
  P.saveSoon = function () {
    clearTimeout(saveTimer);
    saveTimer = setTimeout(P.saveNow, 300);
  };
  window.addEventListener('pagehide', function () { P.saveNow(); P.store.flush(); });
  document.addEventListener('visibilitychange', function () {
    if (document.visibilityState === 'hidden') { P.saveNow(); P.store.flush(); }
  });
})();
