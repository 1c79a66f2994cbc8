/* Sonabel player: what is known of one track, in a dialog: from the track
   menu, Ctrl+I or Alt+Enter on the list. Escape closes it and the keyboard
   goes back where it was. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state;
  var dialog = P.$('track-info'), list = P.$('info-list');
  var shown = null, returnFocus = null;

  function when(ms, none) { return ms ? new Date(ms).toLocaleString() : none; }

  function row(label, value, inferred) {
    var dt = document.createElement('dt');
    dt.textContent = label;
    var dd = document.createElement('dd');
    dd.textContent = value;
    if (inferred) dd.className = 'inferred';
    list.appendChild(dt);
    list.appendChild(dd);
    return dd;
  }

  var copy = document.createElement('button');
  copy.type = 'button';
  copy.className = 'btn small';
  copy.textContent = 'Copy';
  copy.setAttribute('aria-label', 'Copy the path');
  copy.addEventListener('click', function () { if (shown) P.copyText(core.fileUrlToPath(shown.url)); });

  // Italics mark what the folders and the file name say rather than the record.
  function fill(t) {
    var l = P.layoutOf(t), unknown = 'Unknown';
    list.textContent = '';
    row('Title', l.title, l.titleInferred);
    row('Artist', l.artist, l.artistInferred);
    row('Album', l.album || unknown, !!l.album);
    row('Album artist', l.albumArtist || unknown, !!l.albumArtist);
    row('Track number', l.track ? l.track + (l.disc ? ' (disc ' + l.disc + ')' : '') : unknown, !!l.track);
    row('Format', t.format || unknown);
    row('Duration', t.duration === null ? unknown : core.formatTime(t.duration));
    row('Plays', t.plays.toLocaleString());
    row('Last played', when(t.lastPlayed, 'Never'));
    row('Date added', when(t.added, unknown));
    row('Folder', core.columns.folderPath(t.url) || unknown);
    var path = row('Path', '');
    var text = document.createElement('span');
    text.className = 'info-path';
    text.textContent = core.fileUrlToPath(t.url);
    path.appendChild(text);
    path.appendChild(copy);
  }

  P.showTrackInfo = function (t) {
    if (!t) return;
    shown = t;
    fill(t);
    if (dialog.open) return;
    returnFocus = document.activeElement;
    if (typeof dialog.showModal === 'function') dialog.showModal(); else dialog.setAttribute('open', '');
    P.$('info-close').focus();
  };

  P.$('info-close').addEventListener('click', function () { dialog.close(); });
  dialog.addEventListener('close', function () {
    shown = null;
    if (returnFocus && returnFocus.isConnected) returnFocus.focus({ preventScroll: true }); else el.grid.focus();
  });

  // A play counted or a duration learnt while it shows.
  P.model.on('library', function (d) {
    if (shown && d && (d.played === shown || d.duration === shown)) fill(shown);
  });

  // The first selected track, else the one at the cursor.
  el.grid.addEventListener('keydown', function (e) {
    var ctrl = e.ctrlKey || e.metaKey;
    if (!(ctrl && !e.altKey && !e.shiftKey && (e.key === 'i' || e.key === 'I')) && !(e.altKey && !ctrl && e.key === 'Enter')) return;
    e.preventDefault();
    e.stopPropagation();
    var first = state.view.find(function (t) { return state.selection.has(t); });
    P.showTrackInfo(first || state.cursor);
  });
})();
