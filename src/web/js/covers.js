/* Sonabel player: album covers, from picture files in the album's folder
   (see core/tags.js for the names tried). They are looked for only where an
   album shows (a tile on screen, a list header, the player bar), by <img>,
   one candidate file after another; the first hit is kept for the run. */
import { coverCandidates } from './core/tags.js';

/** album id (its folder URL) -> the cover found, or '' when there is none */
const found = new Map();

/** The cover known for an album: its URL, '' for none, undefined if not yet looked for. */
/** @param {string} albumId @returns {string | undefined} */
export function coverOf(albumId) { return found.get(albumId); }

/** @param {HTMLImageElement} img @param {string} url */
function setCover(img, url) {
  img.onerror = img.onload = null;
  img.classList.toggle('none', !url);
  if (url) img.src = url; else img.removeAttribute('src');
}

// Shows an album's cover in `img` (null: none), trying the candidates in
// turn; `settled` hears what was found.
/** @param {HTMLImageElement} img @param {string | null} albumId @param {(url: string) => void} [settled] */
export function showCover(img, albumId, settled) {
  if (!albumId) { delete img.dataset.album; setCover(img, ''); return; }
  const known = found.get(albumId);
  if (known === undefined && img.dataset.album === albumId && img.onerror) return; // already looking
  img.dataset.album = albumId;
  if (known !== undefined) { setCover(img, known); if (settled) settled(known); return; }
  const list = coverCandidates(albumId);
  let i = 0;
  /** @param {string} url */
  const done = (url) => {
    found.set(albumId, url);
    setCover(img, url);
    if (settled) settled(url);
  };
  img.onerror = () => {
    if (img.dataset.album !== albumId) return;
    if (++i < list.length) img.src = list[i]; else done('');
  };
  img.onload = () => { if (img.dataset.album === albumId) done(list[i]); };
  img.classList.add('none');
  img.src = list[0];
}
