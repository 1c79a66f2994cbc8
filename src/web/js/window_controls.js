/* Sonabel player: the window buttons. The shell does the work; without it
   they are hidden (see main.js). */
import { el } from './dom.js';
import { loadPinned, savePinned } from './storage.js';
import { callNative } from './native.js';
import { saveNow } from './settings.js';
import { store } from './library.js';

let pinned = loadPinned();

export function showPinned() {
  el.pin.setAttribute('aria-pressed', pinned ? 'true' : 'false');
  el.pin.title = pinned ? 'Keep on top (on)' : 'Keep on top';
}

export function wireWindowControls() {
  el.pin.addEventListener('click', () => {
    pinned = !pinned;
    savePinned(pinned);
    showPinned();
    callNative('setAlwaysOnTop');
  });
  el.min.addEventListener('click', () => { callNative('minimizeWindow'); });
  el.max.addEventListener('click', () => { callNative('maximizeWindow'); });
  // Closing waits for pending writes, but never more than a second.
  el.close.addEventListener('click', () => {
    saveNow();
    store.settle(1000).then(() => { callNative('closeWindow'); });
  });
}
