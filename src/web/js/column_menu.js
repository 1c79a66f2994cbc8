/* Sonabel player: the menu of the list's columns, from a right-click on
   the header or the menu key on a header button: a check item for each
   column but Title, which always shows, and a way back to the usual
   widths or columns. It stays open while columns are ticked. */
import { COLUMNS, defaultColumns, toggle } from './core/column_table.js';
import { $ } from './dom.js';
import { settings, setSetting } from './settings.js';
import { focusHeader } from './column_view.js';
import { closeMenu } from './context_menu.js';
import { openMenuAt, wireMenu } from './menus.js';

const menu = /** @type {HTMLElement} */ ($('column-menu'));
/** @type {string | null} */
let returnKey = null;
/** @type {HTMLElement | null} */
let returnFocus = null;

/** @param {string} key */
function chosen(key) { return settings.columns.some((/** @type {{ key: string }} */ e) => e.key === key); }

/** @param {string} role @param {string} label @param {string} command */
function item(role, label, command) {
  const b = document.createElement('button');
  b.type = 'button';
  b.setAttribute('role', role);
  b.setAttribute('data-command', command);
  b.textContent = label;
  menu.appendChild(b);
  return b;
}

function fill() {
  menu.textContent = '';
  COLUMNS.forEach((c) => {
    if (c.key !== 'title') item('menuitemcheckbox', c.name, c.key).setAttribute('aria-checked', String(chosen(c.key)));
  });
  const line = document.createElement('div');
  line.className = 'menu-line';
  line.setAttribute('role', 'separator');
  menu.appendChild(line);
  item('menuitem', 'Reset widths', 'resetWidths');
  item('menuitem', 'Reset columns', 'reset');
}

/** @returns {HTMLElement[]} */
function items() { return Array.prototype.slice.call(menu.querySelectorAll('button')); }

/** @param {boolean} refocus */
function close(refocus) {
  if (menu.hidden) return;
  menu.hidden = true;
  if (!refocus) return;
  // The header may have been built anew meanwhile.
  if (!(returnKey && focusHeader(returnKey)) && returnFocus) returnFocus.focus({ preventScroll: true });
}

// At (x, y); `key` is the column it was opened on.
/** @param {number} x @param {number} y @param {string | null} key */
export function openColumnMenu(x, y, key) {
  closeMenu(false);
  fill();
  returnKey = key || null;
  returnFocus = menu.hidden ? /** @type {HTMLElement} */ (document.activeElement) : returnFocus;
  openMenuAt(menu, x, y, items());
}

export function wireColumnMenu() {
  menu.addEventListener('click', (e) => {
    const b = /** @type {Element} */ (e.target).closest('button');
    if (!b) return;
    const command = /** @type {string} */ (b.getAttribute('data-command'));
    if (command === 'reset') setSetting('columns', defaultColumns());
    else if (command === 'resetWidths') setSetting('columns', settings.columns.map((/** @type {{ key: string }} */ c) => ({ key: c.key, width: null })));
    else {
      setSetting('columns', toggle(settings.columns, command));
      b.setAttribute('aria-checked', String(chosen(command)));
      return;
    }
    close(true);
  });
  wireMenu(menu, items, close);
}
