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

  var toastTimer = 0;
  P.announce = function (msg) {
    el.toast.textContent = msg;
    el.toast.classList.add('show');
    clearTimeout(toastTimer);
    toastTimer = setTimeout(function () { el.toast.classList.remove('show'); }, 5000);
  };
})();
