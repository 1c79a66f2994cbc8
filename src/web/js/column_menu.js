/* Sonabel player: the menu of the list's columns, from a right-click on
   the header or the menu key on a header button: a check item for each
   column but Title, which always shows, and a way back to the usual
   widths or columns. It stays open while columns are ticked. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, model = P.model, table = P.core.columns;
  var menu = P.$('column-menu');
  var returnKey = null, returnFocus = null;

  function chosen(key) { return P.settings.columns.some(function (e) { return e.key === key; }); }

  function item(role, label, command) {
    var b = document.createElement('button');
    b.type = 'button';
    b.setAttribute('role', role);
    b.setAttribute('data-command', command);
    b.textContent = label;
    menu.appendChild(b);
    return b;
  }

  function fill() {
    menu.textContent = '';
    table.COLUMNS.forEach(function (c) {
      if (c.key !== 'title') item('menuitemcheckbox', c.name, c.key).setAttribute('aria-checked', String(chosen(c.key)));
    });
    var line = document.createElement('div');
    line.className = 'menu-line';
    line.setAttribute('role', 'separator');
    menu.appendChild(line);
    item('menuitem', 'Reset widths', 'resetWidths');
    item('menuitem', 'Reset columns', 'reset');
  }

  function items() { return Array.prototype.slice.call(menu.querySelectorAll('button')); }

  function close(refocus) {
    if (menu.hidden) return;
    menu.hidden = true;
    if (!refocus) return;
    // The header may have been built anew meanwhile.
    if (!(returnKey && P.columns.focusHeader(returnKey)) && returnFocus) returnFocus.focus({ preventScroll: true });
  }

  // At (x, y), kept inside the window; `key` is the column it was opened on.
  P.openColumnMenu = function (x, y, key) {
    if (P.closeMenu) P.closeMenu(false);
    fill();
    returnKey = key || null;
    returnFocus = menu.hidden ? document.activeElement : returnFocus;
    menu.hidden = false;
    var w = menu.offsetWidth, h = menu.offsetHeight;
    menu.style.left = Math.max(4, Math.min(x, window.innerWidth - w - 4)) + 'px';
    menu.style.top = Math.max(4, Math.min(y, window.innerHeight - h - 4)) + 'px';
    items()[0].focus();
  };

  menu.addEventListener('click', function (e) {
    var b = e.target.closest('button');
    if (!b) return;
    var command = b.getAttribute('data-command');
    if (command === 'reset') model.setSetting('columns', table.defaultLayout());
    else if (command === 'resetWidths') model.setSetting('columns', P.settings.columns.map(function (c) { return { key: c.key, width: null }; }));
    else {
      model.setSetting('columns', table.toggle(P.settings.columns, command));
      b.setAttribute('aria-checked', String(chosen(command)));
      return;
    }
    close(true);
  });

  P.wireMenu(menu, items, close);
})();
