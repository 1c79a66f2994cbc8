/* Sonabel player: the system's media keys and media overlay, through the
   Media Session API where the engine has it. */
import { loaded, togglePlay, startPlaying, pause, previous, step, seekBy, seekTo } from './playback.js';
import { updatePosition } from './transport.js';
import { SEEK_STEP } from './keyboard.js';
import { tagsOf } from './track_tags.js';
import { coverOf } from './covers.js';

// What the list shows for the track, album and cover included.
export function updateMediaMetadata() {
  if (!('mediaSession' in navigator)) return;
  const t = loaded, tags = t && tagsOf(t), cover = tags && coverOf(tags.folder.albumUrl);
  try {
    navigator.mediaSession.metadata = tags && typeof MediaMetadata === 'function'
      ? new MediaMetadata({ title: tags.title, artist: tags.artist, album: tags.album || tags.folder.name, artwork: cover ? [{ src: cover }] : [] })
      : null;
  } catch (e) { /* engine without metadata support */ }
}

export function setupMediaSession() {
  if (!('mediaSession' in navigator)) return;
  const ms = navigator.mediaSession;
  /** @type {Record<string, (d: any) => void>} */
  const handlers = {
    play: () => { if (!loaded) togglePlay(); else startPlaying(); },
    pause: () => { pause(); },
    stop: () => { pause(); },
    previoustrack: () => { previous(); },
    nexttrack: () => { step(1, false); },
    seekbackward: (d) => { seekBy(-((d && d.seekOffset) || SEEK_STEP)); },
    seekforward: (d) => { seekBy((d && d.seekOffset) || SEEK_STEP); },
    seekto: (d) => {
      if (!d || typeof d.seekTime !== 'number' || !loaded) return;
      seekTo(d.seekTime);
      updatePosition();
    }
  };
  Object.keys(handlers).forEach((name) => {
    try { ms.setActionHandler(/** @type {MediaSessionAction} */ (name), handlers[name]); } catch (e) { /* action not known here */ }
  });
}
