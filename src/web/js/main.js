/* Sonabel player: start-up, and the map of the page's code.

   core/        no DOM, tested by Node directly: the library model
                (library.js), orders (order.js), search (query.js), what a
                track's folders and file name say (tags.js), paths and file
                URLs (paths.js), the play context (play_context.js),
                playlists and M3U8 files, the stored formats.
   state        each piece has one owner, which alone changes it and emits
                its event through events.js: library.js, shown.js (the list
                shown), selection.js, playing.js (context and Up next),
                settings.js, sources.js (the sidebar's source, playlists);
                undo.js keeps the way back from the last destructive action.
   storage.js   IndexedDB and local storage.
   views        view.js and column_view.js (the track list), browse_list.js
                (albums, artists, folders, list headers), sidebar.js,
                queue_view.js, transport.js (the player bar), status.js,
                track_info.js, the menus, narrow.js (drawer and popover
                in narrow windows).
   playback     playback.js (what plays), decks.js (two audio elements),
                crossfade.js, durations.js, play_stats.js, sleep_timer.js,
                media_session.js.
   input        keyboard.js, list_input.js, search.js, sorting.js,
                import.js (the shell's batches), window_controls.js.

   Modules only define things when loaded; what they wire up and in which
   order is decided here. */
import { el, afterPaint } from './dom.js';
import { hasShell } from './native.js';
import { lib, store, adoptStored } from './library.js';
import { settings, wireSettings } from './settings.js';
import { restoreContext, contextTrack, markCurrent } from './playing.js';
import { refreshView, view, wireShown } from './shown.js';
import { placeCursor } from './selection.js';
import { restorePlaylists, wireSources } from './sources.js';
import { wireStatus, announce } from './status.js';
import { wireDecks } from './decks.js';
import { wireColumns } from './column_view.js';
import { wireView, render, ROW_H } from './view.js';
import { wireListInput } from './list_input.js';
import { wireSorting, showSort } from './sorting.js';
import { wireSearch } from './search.js';
import { wirePlayback, resumeLast } from './playback.js';
import { wireTransport, showShuffle, showRepeat, showVolume, updatePlayButton } from './transport.js';
import { addTracksBatch, importButtons, warmSearch, wireImport } from './import.js';
import { wireClearing } from './clearing.js';
import { wireWindowControls, showPinned } from './window_controls.js';
import { wireContextMenu } from './context_menu.js';
import { wireColumnMenu } from './column_menu.js';
import { wireTrackInfo } from './track_info.js';
import { wireQueueView } from './queue_view.js';
import { wireKeyboard } from './keyboard.js';
import { setupMediaSession } from './media_session.js';
import { wireDurations, startProbing } from './durations.js';
import { wireCrossfade } from './crossfade.js';
import { wirePlaybackOptions } from './playback_options.js';
import { wireSleepTimer } from './sleep_timer.js';
import { wirePlayStats } from './play_stats.js';
import { wireBrowseList, restoreView } from './browse_list.js';
import { wireSidebar } from './sidebar.js';
import { wirePlaylistActions, fileSaved } from './playlist_actions.js';
import { wireNarrow } from './narrow.js';
import { debugHandle } from './debug.js';

/** @type {any} */
const page = window;

// The shell's entry point: batches of tracks, and where a download went;
// `ready` lets a caller wait for the stored library to be back (tests,
// benchmarks).
page.sonabel = { addTracksBatch, fileSaved, ready: null, debug: debugHandle };

let saveFailReported = false;
store.onfail = () => {
  if (saveFailReported) return;
  saveFailReported = true;
  announce('The library could not be saved; it will be tried again with the next change');
};

// The stored library is read while the page wires itself up.
const storedLibrary = store.load();

// Listeners run in the order wired: the list shown is recomputed before
// the views that draw it.
wireShown();
wireSources();
wireSettings();
wireStatus();
wireDecks();
wireColumns();
wireView();
wireListInput();
wireSorting();
wireSearch();
wirePlayback();
wireTransport();
wireImport();
wireClearing();
wireWindowControls();
wireContextMenu();
wireColumnMenu();
wireTrackInfo();
wireQueueView();
wireKeyboard();
wireDurations();
wireCrossfade();
wirePlaybackOptions();
wireSleepTimer();
wirePlayStats();
wireBrowseList();
wireSidebar();
wirePlaylistActions();
wireNarrow();

if (!hasShell) {
  document.body.classList.add('no-bridge');
  importButtons.forEach((b) => {
    b.disabled = true;
    b.setAttribute('aria-describedby', 'unavailable-note');
    b.title = 'Unavailable: adding music needs the Sonabel app';
  });
  el.unavailable.hidden = false;
  /** @type {HTMLElement} */ (document.querySelector('.winctl')).hidden = true;
}

showPinned();
showShuffle();
showRepeat();
showVolume();
showSort();
setupMediaSession();
updatePlayButton();
refreshView();

page.sonabel.ready = storedLibrary.then((/** @type {any} */ stored) => {
  adoptStored(stored);
  if (lib.size()) warmSearch();
  restoreContext(store.context, lib.tracks);
  restorePlaylists(store.playlists);
  const lastView = settings.view;
  restoreView(lastView, settings.viewTop);
  const t = contextTrack() || (settings.lastUrl && lib.byUrl.get(settings.lastUrl));
  if (t) {
    markCurrent(t);
    placeCursor(t);
    resumeLast(t, settings.lastPosition);
    const n = view.indexOf(t);
    // Without a view of its own to come back to, the list opens at it.
    if (n >= 0 && !lastView) el.viewport.scrollTop = Math.max(0, n * ROW_H - el.viewport.clientHeight / 2);
    render();
  }
  updatePlayButton();
  afterPaint(startProbing); // the background pass over the whole library
  performance.mark('sonabel-ready');
  document.documentElement.setAttribute('data-ready', 'true');
  return lib.size();
});
