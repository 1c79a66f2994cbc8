/* Sonabel player: playlists as M3U8 files. Export writes absolute paths in
   UTF-8; import turns absolute paths into the file URLs the shell would
   have made for them, so that tracks already in the library are found. */
import { baseName, pathFromUrl, urlFromPath, isWindowsUrl } from './paths.js';
import { NO_ARTIST } from './tags.js';

/** @typedef {import('./library.js').Track} Track */

// A record for a file named in a playlist, as the shell would deliver it.
/** @param {string} url @returns {import('./library.js').TrackRecord} */
function recordFromUrl(url) {
  const name = baseName(url);
  const dot = name.lastIndexOf('.');
  const stem = dot > 0 ? name.slice(0, dot) : name;
  const format = dot > 0 ? name.slice(dot + 1).replace(/[a-z]/g, function (c) { return c.toUpperCase(); }) : '';
  const split = stem.indexOf(' - ');
  return split >= 0
    ? { title: stem.slice(split + 3), artist: stem.slice(0, split), url: url, format: format }
    : { title: stem, artist: NO_ARTIST, url: url, format: format };
}

/** @param {unknown} s */
function oneLine(s) { return String(s).replace(/[\r\n]+/g, ' '); }

/** @param {string} name @param {readonly Pick<Track, 'title' | 'artist' | 'url' | 'duration'>[]} tracks */
function exportM3u8(name, tracks) {
  const windows = tracks.some(function (t) { return isWindowsUrl(t.url); });
  const lines = ['#EXTM3U'];
  if (name) lines.push('#PLAYLIST:' + oneLine(name));
  tracks.forEach(function (t) {
    const seconds = typeof t.duration === 'number' && isFinite(t.duration) ? Math.round(t.duration) : -1;
    lines.push('#EXTINF:' + seconds + ',' + oneLine(t.artist ? t.artist + ' - ' + t.title : t.title));
    lines.push(pathFromUrl(t.url));
  });
  const eol = windows ? '\r\n' : '\n';
  return lines.join(eol) + eol;
}

// { name, urls, skipped }: the file URLs of the entries in order, and the
// entries that name no absolute path (relative paths cannot be resolved
// from a file input, which does not say where the playlist was).
/** @param {string} text */
function parseM3u8(text) {
  const lines = String(text).replace(/^\ufeff/, '').split(/\r\n|\n|\r/);
  /** @type {{ name: string, urls: string[], skipped: string[] }} */
  const out = { name: '', urls: [], skipped: [] };
  lines.forEach(function (raw) {
    const line = raw.trim();
    if (!line) return;
    if (line.charAt(0) === '#') {
      if (/^#PLAYLIST:/i.test(line)) out.name = line.slice(10).trim();
      return;
    }
    let url = null;
    if (/^file:/i.test(line)) url = urlFromPath(pathFromUrl('file:' + line.slice(5).replace(/^\/\/localhost\//i, '///')));
    else url = urlFromPath(line);
    if (url) out.urls.push(url); else out.skipped.push(line);
  });
  return out;
}

// The library's track for a URL. Windows paths ignore case, so a
// playlist written by another program still finds C:\MUSIC\a.mp3.
class Matcher {
  /** @param {readonly Track[]} tracks */
  constructor(tracks) {
    /** @type {Map<string, Track>} */
    this.exact = new Map();
    /** @type {Map<string, Track>} */
    this.folded = new Map();
    for (let i = 0; i < tracks.length; i++) {
      const t = tracks[i];
      this.exact.set(t.url, t);
      if (isWindowsUrl(t.url)) {
        const k = t.url.toLowerCase();
        if (!this.folded.has(k)) this.folded.set(k, t);
      }
    }
  }

  /** @param {string} url */
  find(url) {
    return this.exact.get(url) || (isWindowsUrl(url) && this.folded.get(url.toLowerCase())) || null;
  }
}

// The file name a playlist is offered under: its name without the
// characters Windows forbids in a file name.
/** @param {string} name */
function fileName(name) {
  const base = String(name || '').replace(/[\u0000-\u001f<>:"/\\|?*]+/g, ' ').replace(/\s+/g, ' ').replace(/[. ]+$/, '').trim();
  return (base || 'Playlist') + '.m3u8';
}

export { recordFromUrl, exportM3u8, parseM3u8, Matcher, fileName };
