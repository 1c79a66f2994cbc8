/* Sonabel player: shuffled passes over a list, and stepping through one. */

/** @template T @param {T[]} a @param {() => number} rng */
function shuffleInPlace(a, rng) {
  for (let i = a.length - 1; i > 0; i--) {
    const j = Math.floor(rng() * (i + 1));
    const x = a[i]; a[i] = a[j]; a[j] = x;
  }
  return a;
}

// A shuffled pass over a pool of items: every item comes once before any
// comes again. `order` holds the pass, `pos` the item now playing.
/** @template T */
class Shuffle {
  /** @param {readonly T[]} items @param {() => number} [rng] @param {T | null} [first] */
  constructor(items, rng, first) {
    this.rng = rng || Math.random;
    /** @type {T[]} */
    this.order = [];
    this.pos = -1;
    this.start(items, first);
  }

  /** @param {readonly T[]} items @param {T | null} [first] */
  start(items, first) {
    const rest = items.filter(function (x) { return x !== first; });
    shuffleInPlace(rest, this.rng);
    this.order = first !== undefined && first !== null && items.indexOf(first) >= 0 ? /** @type {T[]} */ ([first]).concat(rest) : rest;
    this.pos = first !== undefined && first !== null && this.order[0] === first ? 0 : -1;
  }

  /** @returns {T | undefined} */
  current() { return this.pos >= 0 ? this.order[this.pos] : undefined; }

  // Next item of the pass; at its end a new pass when `again`, else undefined.
  /** @param {boolean} again @returns {T | undefined} */
  next(again) {
    if (this.pos + 1 < this.order.length) return this.order[++this.pos];
    if (!again || !this.order.length) return undefined;
    const last = this.order[this.order.length - 1];
    const items = this.order.slice();
    shuffleInPlace(items, this.rng);
    // A new pass should not open with the track that just ended.
    if (items.length > 1 && items[0] === last) {
      const k = 1 + Math.floor(this.rng() * (items.length - 1));
      items[0] = items[k]; items[k] = last;
    }
    this.order = items;
    this.pos = 0;
    return items[0];
  }

  /** @returns {T | undefined} */
  previous() {
    if (this.pos > 0) return this.order[--this.pos];
    return undefined;
  }

  // Makes `item` the current one without disturbing the pass: one not yet
  // played is taken out of the upcoming part, one already played comes again
  // now; either way, what is still upcoming stays upcoming.
  /** @param {T} item */
  moveTo(item) {
    const i = this.order.indexOf(item);
    if (i < 0) return false;
    this.order.splice(i, 1);
    const at = i <= this.pos ? this.pos : this.pos + 1;
    this.order.splice(at, 0, item);
    this.pos = at;
    return true;
  }

  // Follows a changed pool: items gone leave the pass, new items join the part
  // not yet played, at random places; what was played stays played.
  /** @param {readonly T[]} items */
  sync(items) {
    const pool = new Set(items);
    /** @type {Set<T>} */
    const seen = new Set();
    /** @type {T[]} */
    const played = [];
    /** @type {T[]} */
    let upcoming = [];
    for (let i = 0; i < this.order.length; i++) {
      const x = this.order[i];
      if (!pool.has(x)) { continue; }
      seen.add(x);
      if (i <= this.pos) played.push(x); else upcoming.push(x);
    }
    const fresh = [];
    for (let j = 0; j < items.length; j++) if (!seen.has(items[j])) fresh.push(items[j]);
    if (fresh.length) upcoming = shuffleInPlace(upcoming.concat(fresh), this.rng);
    // If the current item left the pool, play goes on with the first upcoming one.
    this.order = played.concat(upcoming);
    this.pos = played.length - 1;
  }
}

// Linear neighbour in a list of `length` items, honouring repeat-all at the
// ends; -1 when there is none.
/** @param {number} length @param {number} pos @param {number} delta @param {boolean} wrap */
function stepIndex(length, pos, delta, wrap) {
  if (!length) return -1;
  const n = pos + delta;
  if (n >= 0 && n < length) return n;
  if (!wrap) return -1;
  return (n % length + length) % length;
}

export { Shuffle, shuffleInPlace, stepIndex };
