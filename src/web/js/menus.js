/* Sonabel player: what every menu of the page does: it opens at a point
   kept inside the window, arrow keys, Home and End move among its items,
   Escape and Tab close it and give focus back, and a click elsewhere,
   leaving the window or resizing it closes it. */

// Shows `menu` at (x, y), moved in where the window is too small for it,
// and puts the keyboard on its first item.
/** @param {HTMLElement} menu @param {number} x @param {number} y @param {HTMLElement[]} items */
export function openMenuAt(menu, x, y, items) {
  menu.hidden = false;
  const w = menu.offsetWidth, h = menu.offsetHeight;
  menu.style.left = Math.max(4, Math.min(x, window.innerWidth - w - 4)) + 'px';
  menu.style.top = Math.max(4, Math.min(y, window.innerHeight - h - 4)) + 'px';
  if (items.length) items[0].focus();
}

/** @param {HTMLElement} menu @param {() => HTMLElement[]} itemsOf @param {(refocus: boolean) => void} close */
export function wireMenu(menu, itemsOf, close) {
  menu.addEventListener('keydown', (e) => {
    const list = itemsOf(), i = list.indexOf(/** @type {HTMLElement} */ (document.activeElement));
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
  document.addEventListener('mousedown', (e) => {
    if (!menu.hidden && !menu.contains(/** @type {Node} */ (e.target))) close(false);
  }, true);
  window.addEventListener('blur', () => { close(false); });
  window.addEventListener('resize', () => { close(false); });
}
