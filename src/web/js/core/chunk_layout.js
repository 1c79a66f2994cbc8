/* Sonabel player: which tracks each stored chunk holds. Chunks are keyed by
   their place in the library, but need not be full: a removal rewrites only
   the chunks that lost tracks, instead of every chunk after the first one
   removed, so removing a track near the start of 100,000 writes one chunk,
   not twenty. The reader just joins the chunks in key order. No DOM here,
   so Node tests it. */

// `sizes[c]` is how many tracks chunk c holds; they add up to the
// library's size. `stored` is how many chunk keys exist in the store, so
// that keys no longer used get deleted.
class ChunkLayout {
  /** @param {number} full */
  constructor(full) {
    this.full = full;
    /** @type {number[]} */
    this.sizes = [];
    this.stored = 0;
  }

  // The layout of what was read, when the chunks hold the library as it
  // was unpacked; otherwise (entries dropped as damaged) the library is
  // laid out anew and every chunk is due, so a later partial write cannot
  // mix the two layouts. Returns the chunks due for writing.
  /** @param {number[]} chunkLengths @param {number} librarySize @returns {number[]} */
  read(chunkLengths, librarySize) {
    let sum = 0;
    for (let c = 0; c < chunkLengths.length; c++) sum += chunkLengths[c];
    this.stored = chunkLengths.length;
    if (sum === librarySize) { this.sizes = chunkLengths.slice(); return []; }
    this.sizes = [];
    return this.relayout(0, librarySize);
  }

  /** @param {number} c */
  startOf(c) {
    let at = 0;
    for (let i = 0; i < c; i++) at += this.sizes[i];
    return at;
  }

  // The chunk holding position `pos`.
  /** @param {number} pos */
  chunkAt(pos) {
    let at = 0;
    for (let c = 0; c < this.sizes.length; c++) {
      at += this.sizes[c];
      if (pos < at) return c;
    }
    return this.sizes.length - 1;
  }

  // Everything from position `from` on changed (a batch appended, removed
  // tracks put back): the chunks before it stay, the rest are filled anew.
  // Returns the chunks due, including keys to delete.
  /** @param {number} from @param {number} librarySize @returns {number[]} */
  relayout(from, librarySize) {
    let keep = 0, at = 0;
    while (keep < this.sizes.length && at + this.sizes[keep] <= from) at += this.sizes[keep++];
    // A partly filled chunk just before the change takes the new tracks
    // first, and empty ones are not kept ahead of them.
    while (keep > 0 && (this.sizes[keep - 1] === 0 || (at === from && this.sizes[keep - 1] < this.full))) {
      at -= this.sizes[--keep];
    }
    const before = Math.max(this.sizes.length, this.stored);
    this.sizes.length = keep;
    for (; at < librarySize; at += this.full) this.sizes.push(Math.min(this.full, librarySize - at));
    return range(keep, Math.max(before, this.sizes.length));
  }

  // Tracks left the library; `oldPositions` are where they were, in rising
  // order. Only the chunks that held them are due. Once removals have left
  // twice as many chunks as needed, everything is laid out anew.
  /** @param {number[]} oldPositions @param {number} librarySize @returns {number[]} */
  remove(oldPositions, librarySize) {
    /** @type {number[]} */
    const due = [];
    let c = 0;
    let end = this.sizes[0] || 0;
    for (let i = 0; i < oldPositions.length; i++) {
      while (oldPositions[i] >= end && c < this.sizes.length - 1) end += this.sizes[++c];
      // Sizes shrink only once every position is placed, as positions are old.
      if (due[due.length - 1] !== c) due.push(c);
      if (--this.sizes[c] < 0) { this.sizes = []; return this.relayout(0, librarySize); } // out of step: start over
    }
    const needed = Math.ceil(librarySize / this.full);
    if (this.sizes.length > 2 * needed + 1) return this.relayout(0, librarySize);
    return due;
  }

  // The stored keys now match the layout.
  written() { this.stored = this.sizes.length; }
}

/** @param {number} a @param {number} b */
function range(a, b) {
  const out = [];
  for (let c = a; c < b; c++) out.push(c);
  return out;
}

export { ChunkLayout };
