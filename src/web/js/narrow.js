/* Sonabel player: narrow windows. Below 640 px the sidebar opens as a
   drawer from the Browse button and the volume as a popover from its
   button; in the compact view (below 480 px) Browse opens the library
   with the drawer, then the drawer again, then goes back to what is
   playing. */
import { $, el } from './dom.js';
import { on } from './events.js';

const narrow = window.matchMedia('(max-width: 640px)'), compact = window.matchMedia('(max-width: 479px)');
const browseToggle = $('browse-toggle'), volumeToggle = $('volume-toggle');
const volumeBox = /** @type {HTMLElement} */ (el.volume.parentNode);
const body = document.body;

/** @param {boolean} open @param {boolean} [focus] */
function showDrawer(open, focus) {
  // Below the top bar, whose Browse button closes it again.
  if (open) el.sidebar.style.top = /** @type {HTMLElement} */ (document.querySelector('.topbar')).getBoundingClientRect().bottom + 'px';
  body.classList.toggle('drawer-open', open && narrow.matches);
  browseToggle.setAttribute('aria-expanded', open && narrow.matches ? 'true' : 'false');
  if (open && focus) {
    const current = /** @type {HTMLElement | null} */ (el.sidebar.querySelector('.side-item.current') || el.sidebar.querySelector('.side-item'));
    if (current) current.focus();
  }
}

/** @param {boolean} open */
function showLibrary(open) { body.classList.toggle('library-open', open); }

function browse() {
  const drawerOpen = body.classList.contains('drawer-open');
  if (compact.matches && !body.classList.contains('library-open')) { showLibrary(true); showDrawer(true, true); return; }
  if (drawerOpen && compact.matches) { showDrawer(false); showLibrary(false); browseToggle.focus(); return; }
  showDrawer(!drawerOpen, true);
}

/** @param {boolean} open */
function showVolume(open) {
  volumeBox.classList.toggle('open', open && narrow.matches);
  volumeToggle.setAttribute('aria-expanded', open && narrow.matches ? 'true' : 'false');
  if (open) el.volume.focus();
}

export function wireNarrow() {
  browseToggle.addEventListener('click', browse);
  volumeToggle.addEventListener('click', () => { showVolume(!volumeBox.classList.contains('open')); });
  // Picking a view closes the drawer, even the one shown already; Escape
  // does too, and gives the key back.
  on('shown', (d) => { if (d && d.source && body.classList.contains('drawer-open')) showDrawer(false); });
  el.sidebar.addEventListener('click', (/** @type {MouseEvent} */ e) => {
    if (/** @type {Element} */ (e.target).closest('.side-item')) showDrawer(false);
  });
  el.sidebar.addEventListener('keydown', (/** @type {KeyboardEvent} */ e) => {
    if (e.key === 'Escape' && body.classList.contains('drawer-open')) { e.stopPropagation(); showDrawer(false); browseToggle.focus(); }
  });
  el.volume.addEventListener('keydown', (/** @type {KeyboardEvent} */ e) => {
    if (e.key === 'Escape' && volumeBox.classList.contains('open')) { e.stopPropagation(); showVolume(false); volumeToggle.focus(); }
  });
  document.addEventListener('pointerdown', (e) => {
    const target = /** @type {Node} */ (e.target);
    if (body.classList.contains('drawer-open') && !el.sidebar.contains(target) && !browseToggle.contains(target)) showDrawer(false);
    if (volumeBox.classList.contains('open') && !volumeBox.contains(target)) showVolume(false);
  });
  // Wider again: nothing stays open that the wide layout shows anyway.
  narrow.addEventListener('change', () => { showDrawer(false); showVolume(false); });
  compact.addEventListener('change', () => { showLibrary(false); });
}
