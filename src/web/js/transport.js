/* Sonabel player: the player bar. What is playing, the transport buttons,
   the seek bar, shuffle, repeat, volume and mute. */
import { formatTime } from './core/text.js';
import { el } from './dom.js';
import { on } from './events.js';
import { lib } from './library.js';
import { settings, setSetting, changeSettings } from './settings.js';
import { setShuffleOrder } from './playing.js';
import { audio, applyOutput } from './decks.js';
import { loaded, restoring, togglePlay, step, previous, seekTo } from './playback.js';
import { updateMediaMetadata } from './media_session.js';
import { announce } from './status.js';
import { tagsOf } from './track_tags.js';
import { showCover } from './covers.js';

let seeking = false;
/** Whether the user is dragging the seek bar. */
export function isSeeking() { return seeking; }

export function showNowPlaying() {
  const t = loaded, tags = t ? tagsOf(t) : null;
  el.nowTitle.textContent = tags ? tags.title : 'Nothing playing';
  el.nowArtist.textContent = tags ? tags.artist : '';
  el.nowFormat.textContent = t ? t.format : '';
  el.nowTitle.title = tags ? tags.title : '';
  el.nowArtist.title = tags ? tags.artist : '';
  document.title = tags ? tags.title + ' \u2014 ' + tags.artist + ' \u00b7 Sonabel' : 'Sonabel';
  el.seek.disabled = !t;
  updateMediaMetadata();
  // The overlay gets the cover too, once it is found.
  showCover(el.nowCover, tags ? tags.folder.albumUrl : null, () => { updateMediaMetadata(); });
}

// The played part of a range is drawn from this custom property.
/** @param {HTMLElement} range @param {number} value @param {number} max */
export function setFill(range, value, max) {
  const p = max > 0 && isFinite(max) ? Math.max(0, Math.min(100, value / max * 100)) : 0;
  range.style.setProperty('--fill', p.toFixed(2) + '%');
}

// Nothing to play: an empty library and nothing loaded.
function showPlayable() {
  const none = !lib.size() && !loaded;
  el.play.disabled = el.next.disabled = el.shuffle.disabled = el.prev.disabled = none;
}

export function updatePlayButton() {
  showPlayable();
  const playing = !audio.paused && !!loaded;
  el.play.classList.toggle('is-playing', playing);
  el.play.setAttribute('aria-label', playing ? 'Pause' : 'Play');
  el.play.title = playing ? 'Pause (Space)' : 'Play (Space)';
  document.body.classList.toggle('is-playing', playing);
  if ('mediaSession' in navigator) navigator.mediaSession.playbackState = loaded ? (playing ? 'playing' : 'paused') : 'none';
}

export function updatePosition() {
  if (!loaded) return;
  const pos = restoring !== null ? restoring : audio.currentTime;
  if (!seeking) {
    el.seek.value = String(pos);
    setFill(el.seek, pos, audio.duration);
  }
  el.elapsed.textContent = formatTime(pos);
  el.seek.setAttribute('aria-valuetext', formatTime(pos) + ' of ' + formatTime(audio.duration));
  if (restoring === null) setSetting('lastPosition', audio.currentTime || 0, 'later');
  if ('mediaSession' in navigator && navigator.mediaSession.setPositionState && isFinite(audio.duration) && audio.duration > 0) {
    try {
      navigator.mediaSession.setPositionState({
        duration: audio.duration, position: Math.min(audio.currentTime, audio.duration), playbackRate: audio.playbackRate || 1
      });
    } catch (e) { /* stale values during a change of track */ }
  }
}

export function showShuffle() {
  el.shuffle.setAttribute('aria-pressed', settings.shuffle ? 'true' : 'false');
  el.shuffle.title = settings.shuffle ? 'Shuffle: on' : 'Shuffle: off';
}

/** @type {Record<string, string>} */
const REPEAT_LABEL = { off: 'Repeat: off', all: 'Repeat: all', one: 'Repeat: one' };
export function showRepeat() {
  el.repeat.setAttribute('data-mode', settings.repeat);
  el.repeat.setAttribute('aria-label', REPEAT_LABEL[settings.repeat]);
  el.repeat.title = REPEAT_LABEL[settings.repeat];
}

export function showVolume() {
  applyOutput();
  el.volume.value = String(settings.volume);
  setFill(el.volume, settings.muted ? 0 : settings.volume, 1);
  el.volume.setAttribute('aria-valuetext', Math.round(settings.volume * 100) + '%');
  el.mute.setAttribute('aria-pressed', settings.muted ? 'true' : 'false');
  el.mute.setAttribute('aria-label', 'Mute');
  el.mute.classList.toggle('is-muted', settings.muted || settings.volume === 0);
}

export function toggleMute() { setSetting('muted', !settings.muted); showVolume(); }

// Louder or softer by `step` (of 1); a change of volume unmutes.
/** @param {number} step */
export function changeVolume(step) {
  const volume = Math.round(Math.max(0, Math.min(1, settings.volume + step)) * 100) / 100;
  changeSettings(volume > 0 && settings.muted ? { volume, muted: false } : { volume }, 'soon');
  showVolume();
  announce('Volume ' + Math.round(volume * 100) + '%');
}

export function wireTransport() {
  on('library', showPlayable);
  on('playing', showPlayable);
  el.seek.addEventListener('input', () => {
    seeking = true;
    el.elapsed.textContent = formatTime(Number(el.seek.value));
    setFill(el.seek, Number(el.seek.value), Number(el.seek.max));
  });
  el.seek.addEventListener('change', () => {
    seeking = false;
    if (loaded && isFinite(audio.duration)) seekTo(Number(el.seek.value));
  });
  el.play.addEventListener('click', () => { togglePlay(); });
  el.next.addEventListener('click', () => { step(1, false); });
  el.prev.addEventListener('click', () => { previous(); });
  el.shuffle.addEventListener('click', () => {
    setSetting('shuffle', !settings.shuffle);
    setShuffleOrder(settings.shuffle); // a fresh pass each time it is turned on
    showShuffle();
  });
  el.repeat.addEventListener('click', () => {
    setSetting('repeat', settings.repeat === 'off' ? 'all' : settings.repeat === 'all' ? 'one' : 'off');
    showRepeat();
    announce(REPEAT_LABEL[settings.repeat]);
  });
  el.volume.addEventListener('input', () => {
    const volume = Number(el.volume.value);
    changeSettings(volume > 0 && settings.muted ? { volume, muted: false } : { volume }, 'soon');
    showVolume();
  });
  el.mute.addEventListener('click', () => { toggleMute(); });
}
