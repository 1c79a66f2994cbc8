/* Sonabel player: the window buttons. The shell does the work; without it
   they are hidden (see app.js). */
(function () {
  'use strict';
  var P = window.SonabelPlayer, el = P.el;

  var pinned = P.Store.loadPinned();
  P.showPinned = function () {
    el.pin.setAttribute('aria-pressed', pinned ? 'true' : 'false');
    el.pin.title = pinned ? 'Keep on top (on)' : 'Keep on top';
  };
  el.pin.addEventListener('click', function () {
    pinned = !pinned;
    P.Store.savePinned(pinned);
    P.showPinned();
    P.callNative('setAlwaysOnTop');
  });
  el.min.addEventListener('click', function () { P.callNative('minimizeWindow'); });
  el.max.addEventListener('click', function () { P.callNative('maximizeWindow'); });
  // Closing waits for pending writes, but never more than a second.
  el.close.addEventListener('click', function () {
    P.saveNow();
    P.store.settle(1000).then(function () { P.callNative('closeWindow'); });
  });
})();
