/* Sonabel player: the status line and the passing messages. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state;

  P.updateStatus = function () {
    var lib = P.lib;
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
  };

  // A passing message; with `undo`, it offers to take the removal back and
  // stays longer (Ctrl+Z works until the next removal either way).
  // `undo` may also be a function that takes back something else.
  var toastTimer = 0, undoAction = null;
  P.announce = function (msg, opts) {
    var undo = !!(opts && opts.undo);
    undoAction = undo && typeof opts.undo === 'function' ? opts.undo : null;
    el.toastText.textContent = msg;
    el.toastUndo.hidden = !undo;
    el.toast.classList.add('show');
    clearTimeout(toastTimer);
    toastTimer = setTimeout(function () {
      if (document.activeElement === el.toastUndo) el.grid.focus();
      el.toast.classList.remove('show');
      el.toastUndo.hidden = true;
    }, undo ? 12000 : 5000);
  };
  el.toastUndo.addEventListener('click', function () { (undoAction || P.undoRemoval)(); el.grid.focus(); });
})();
