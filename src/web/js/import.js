/* Sonabel player: bringing tracks in. The import buttons ask the shell for
   a chooser; the shell answers with window.sonabel.addTracksBatch. */
import { naturalOrderInSteps } from './core/order.js';
import { batchMessage } from './core/text.js';
import { searchTracks } from './core/query.js';
import { hasShell, callNative } from './native.js';
import { afterPaint } from './dom.js';
import { lib, addRecords } from './library.js';
import { announce } from './status.js';
import { tagsOf } from './track_tags.js';

// Runs the search code over the whole library while the page is idle, so
// the first real keystroke finds it compiled and every track's tags and
// search texts made. A slice at a time: for 100,000 tracks that is about
// half a second of work, which must not hold up a frame.
const WARM_SLICE = 5000, WARM_TERMS = [{ field: null, text: '\u0001' }];
let warmTimer = 0;
export function warmSearch() {
  clearTimeout(warmTimer);
  let from = 0;
  function slice() {
    const tracks = lib.tracks, to = Math.min(tracks.length, from + WARM_SLICE);
    searchTracks(tracks.slice(from, to), WARM_TERMS, tagsOf);
    from = to;
    if (from < tracks.length) warmTimer = setTimeout(slice, 0);
  }
  warmTimer = setTimeout(slice, 1000);
}

// A batch is taken in two steps: the first rows at once, so they show
// without waiting for the rest of a large batch, then the rest in the next
// task, ordered only then. Batches that come meanwhile wait their turn.
const FIRST_STEP = 2000;
/** @type {Array<{ records: any[], rest: null | (() => any[]), pos: number, result: { added: number, duplicates: number, skipped: number } }>} */
let batches = [];

/** @param {unknown} records */
export function addTracksBatch(records) {
  try {
    if (!Array.isArray(records)) return;
    // "#" follows the files' own order: by path, numbers by value.
    const order = naturalOrderInSteps(records, FIRST_STEP);
    batches.push({ records: order.first, rest: order.rest, pos: 0, result: { added: 0, duplicates: 0, skipped: 0 } });
    if (batches.length === 1) ingest(FIRST_STEP);
  } catch (e) {
    // Whatever the shell hands us must never break the page.
  }
}

// Clearing the library drops what has not been taken in yet.
export function dropBatches() { batches = []; }

/** @param {number} step */
function ingest(step) {
  const job = batches[0];
  if (!job) return;
  try {
    if (job.pos + step > job.records.length && job.rest) {
      job.records = job.records.concat(job.rest());
      job.rest = null;
    }
    const end = Math.min(job.records.length, job.pos + step);
    addRecords(job.records, job.pos, end, job.result);
    job.pos = end;
  } catch (e) {
    job.pos = job.records.length;
    job.rest = null;
  }
  if (job.pos < job.records.length || job.rest) { afterPaint(() => { ingest(Infinity); }); return; }
  batches.shift();
  announce(batchMessage(job.result));
  if (job.result.added) warmSearch();
  if (batches.length) setTimeout(() => { ingest(FIRST_STEP); }, 0);
}

/** @type {HTMLButtonElement[]} */
export const importButtons = Array.prototype.slice.call(document.querySelectorAll('[data-action]'));
let importing = false;

/** @param {boolean} busy */
function setImportBusy(busy) {
  importing = busy;
  importButtons.forEach((b) => {
    if (hasShell) b.disabled = busy;
    b.classList.toggle('busy', busy);
  });
}

/** @param {string} action */
function runImport(action) {
  if (!hasShell || importing) return;
  setImportBusy(true);
  callNative(action).then(() => { setImportBusy(false); });
}

export function wireImport() {
  importButtons.forEach((b) => {
    b.addEventListener('click', () => { runImport(/** @type {string} */ (b.getAttribute('data-action'))); });
  });
}
