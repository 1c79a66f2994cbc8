/* Sonabel player: a handle for the tests and benchmarks that drive the
   page from outside (window.sonabel.debug). The page itself never uses it. */
import { TagCache } from './core/tags.js';
import { buildIndexes } from './core/indexes.js';
import { lib, store, countPlay } from './library.js';
import * as sources from './sources.js';
import { removeTracks } from './list_input.js';
import { startSleepTimer } from './sleep_timer.js';
import { exportPlaylist } from './playlist_actions.js';
import { audio, loadAhead } from './decks.js';
import { tagsOf } from './track_tags.js';
import { togglePlay } from './playback.js';

export const debugHandle = {
  get lib() { return lib; },
  get playlists() { return sources.playlists; },
  get audio() { return audio; },
  store, countPlay, removeTracks, startSleepTimer, exportPlaylist, loadAhead, tagsOf, togglePlay,
  createPlaylist: sources.createPlaylist, renamePlaylist: sources.renamePlaylist, setSource: sources.setSource,
  dropIndexes: sources.dropIndexes,
  core: { TagCache, buildIndexes }
};
