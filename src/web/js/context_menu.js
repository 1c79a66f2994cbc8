/* Sonabel player: the page's own context menu for the selection, and no
   engine menu or navigation anywhere: a right-click or a drop never takes
   the user away from the player. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, core = P.core, el = P.el, state = P.state;
  var menu = P.$('context-menu');
  var items = Array.prototype.slice.call(menu.querySelectorAll('[role=menuitem]'));
  var returnFocus = null;

  // A file dropped on the window would otherwise replace the page with it.
  ['dragover', 'drop'].forEach(function (type) {
    window.addEventListener(type, function (e) { e.preventDefault(); });
  });

  function selectedInOrder() {
    return state.view.filter(function (t) { return state.selection.has(t); });
  }

  function copyText(text) {
    var done = function () { P.announce('Copied the file location'); };
    var fallback = function () {
      var area = document.createElement('textarea');
      area.value = text;
      document.body.appendChild(area);
      area.select();
      var ok = false;
      try { ok = document.execCommand('copy'); } catch (e) { /* no clipboard */ }
      area.remove();
      if (ok) done(); else P.announce('The file location could not be copied');
    };
    if (navigator.clipboard && navigator.clipboard.writeText) navigator.clipboard.writeText(text).then(done, fallback);
    else fallback();
  }
  P.copyText = copyText;

  var commands = {
    play: function (tracks) { P.playFromList(tracks[0]); },
    playNext: function (tracks) {
      P.model.enqueue(tracks, true);
      P.announce(core.plural(tracks.length, 'track', 'tracks') + ' to play next');
    },
    enqueue: function (tracks) {
      P.model.enqueue(tracks, false);
      P.announce('Added ' + core.plural(tracks.length, 'track', 'tracks') + ' to the queue');
    },
    remove: function () { P.removeSelection(); },
    copyLocation: function (tracks) { copyText(tracks.map(function (t) { return core.fileUrlToPath(t.url); }).join('\n')); },
    info: function (tracks) { P.showTrackInfo(tracks[0]); }
  };

  // Others add commands of their own (playlists, see playlist_actions.js).
  P.menuCommands = commands;

  function close(refocus) {
    if (menu.hidden) return;
    menu.hidden = true;
    if (refocus && returnFocus) returnFocus.focus({ preventScroll: true });
  }
  P.closeMenu = close;

  function open(x, y) {
    var n = state.selection.size;
    if (!n) return;
    if (P.addMenuItems) P.addMenuItems(menu);
    items = Array.prototype.slice.call(menu.querySelectorAll('[role=menuitem]'));
    items[4].textContent = n === 1 ? 'Copy file location' : 'Copy file locations';
    returnFocus = document.activeElement;
    menu.hidden = false;
    // Kept inside the window, whatever its size.
    var w = menu.offsetWidth, h = menu.offsetHeight;
    menu.style.left = Math.max(4, Math.min(x, window.innerWidth - w - 4)) + 'px';
    menu.style.top = Math.max(4, Math.min(y, window.innerHeight - h - 4)) + 'px';
    items[0].focus();
  }

  document.addEventListener('contextmenu', function (e) {
    e.preventDefault();
    if (e.target.closest && e.target.closest('#context-menu')) return;
    var t = P.rowTrack(e.target);
    if (!t) {
      // The keyboard's menu key on the list targets the list itself.
      if (e.target === el.grid && menu.hidden) P.openMenuFromKeyboard(); else close(false);
      return;
    }
    if (!state.selection.has(t)) { P.selectOnly(t); P.selectionChanged(); }
    // The keyboard's menu key arrives with no pointer position.
    if (e.clientX === 0 && e.clientY === 0) openAtCursor(); else open(e.clientX, e.clientY);
  });

  function openAtCursor() {
    var row = document.getElementById('active-row') || el.viewport.querySelector('.row.selected');
    var box = (row || el.viewport).getBoundingClientRect();
    open(box.left + 40, box.top + box.height);
  }

  // From the keyboard on the list: the menu key or Shift+F10.
  P.openMenuFromKeyboard = function () {
    if (!state.selection.size && state.cursor) { P.selectOnly(state.cursor); P.selectionChanged(); }
    if (state.cursor) P.scrollToIndex(state.view.indexOf(state.cursor));
    P.render();
    openAtCursor();
  };

  menu.addEventListener('click', function (e) {
    var b = e.target.closest('[role=menuitem]');
    if (!b || b.disabled) return;
    var tracks = selectedInOrder();
    close(true);
    if (tracks.length) commands[b.getAttribute('data-command')](tracks);
  });

  // What every menu of the page does: arrow keys, Home and End move among
  // its items, Escape and Tab close it and give focus back, and a click
  // elsewhere, leaving the window or resizing it closes it.
  P.wireMenu = function (menu, itemsOf, close) {
    menu.addEventListener('keydown', function (e) {
      var list = itemsOf(), i = list.indexOf(document.activeElement);
      e.stopPropagation();
      if (e.key === 'Escape' || e.key === 'Tab') { e.preventDefault(); close(true); return; }
      if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
        e.preventDefault();
        list[(i + (e.key === 'ArrowDown' ? 1 : list.length - 1)) % list.length].focus();
      } else if (e.key === 'Home' || e.key === 'End') {
        e.preventDefault();
        list[e.key === 'Home' ? 0 : list.length - 1].focus();
      }
    });
    document.addEventListener('mousedown', function (e) {
      if (!menu.hidden && !menu.contains(e.target)) close(false);
    }, true);
    window.addEventListener('blur', function () { close(false); });
    window.addEventListener('resize', function () { close(false); });
  };
  P.wireMenu(menu, function () { return items; }, close);
})();
