/* Sonabel player: what a track shows, decided in one place: the record as
   the shell delivered it, with what its folders and file name say (see
   core/tags.js). The list, Up next, the player bar, track info and the
   media overlay all show these. */
import { TagCache } from './core/tags.js';

const cache = new TagCache();

/** @param {import('./library.js').Track} t */
export function tagsOf(t) { return cache.of(t); }

export { cache as tagCache };
