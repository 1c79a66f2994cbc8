/* Sonabel player: the settings, changed only here. Readers get a frozen
   object, so a write from anywhere else fails at once instead of going
   unsaved. Everything unsaved is written when the page goes away. */
import { loadSettings, saveSettings } from './storage.js';
import { emit } from './events.js';
import { store } from './library.js';

/** @typedef {import('./core/settings_format.js').Settings} Settings */

/** @type {Readonly<Settings>} */
export let settings = Object.freeze(loadSettings());

let saveTimer = 0, lastSave = 0;

export function saveNow() {
  clearTimeout(saveTimer);
  lastSave = Date.now();
  saveSettings(settings);
}

// For changes that come in runs, such as dragging the volume.
function saveSoon() {
  clearTimeout(saveTimer);
  saveTimer = setTimeout(saveNow, 300);
}

/** Milliseconds since the settings were last written. */
export function sinceSaved() { return Date.now() - lastSave; }

// `save`: 'now', 'soon' (a run of changes) or 'later' (with the next save,
// for the play position, which changes several times a second).
/** @param {Partial<Settings>} patch @param {'now' | 'soon' | 'later'} [save] */
export function changeSettings(patch, save = 'now') {
  settings = Object.freeze(Object.assign({}, settings, patch));
  if (save === 'now') saveNow(); else if (save === 'soon') saveSoon();
  Object.keys(patch).forEach((key) => emit('settings', key));
}

/**
 * @template {keyof Settings} K
 * @param {K} key @param {Settings[K]} value @param {'now' | 'soon' | 'later'} [save]
 */
export function setSetting(key, value, save = 'now') { changeSettings({ [key]: value }, save); }

export function wireSettings() {
  window.addEventListener('pagehide', () => { saveNow(); store.flush(); });
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') { saveNow(); store.flush(); }
  });
}
