/* Sonabel player: playlists as M3U8 files. Export writes absolute paths in
   UTF-8; import turns absolute paths into the file URLs the shell would
   have made for them, so that tracks already in the library are found. */
(function (root, factory) {
  var m3u = factory(root.SonabelCore ? root.SonabelCore.layout : require('./layout.js'));
  if (typeof module !== 'undefined' && module.exports) module.exports = m3u;
  else root.SonabelCore.playlistFile = m3u;
})(typeof self !== 'undefined' ? self : this, function (layout) {
  'use strict';

  var WINDOWS_URL = /^file:\/\/\/[A-Za-z]:\//;
  var UNC_URL = /^file:\/\/\/\/\//;

  function decodePath(p) {
    return p.split('/').map(layout.decodeSegment).join('/');
  }

  // The absolute path of a file URL: C:\Music\a.mp3, \\server\share\a.mp3
  // or /home/me/a.mp3. Anything that is not a file URL is kept as it is,
  // which players read as a URL.
  function pathFromUrl(url) {
    if (WINDOWS_URL.test(url) || UNC_URL.test(url)) return decodePath(url.slice(8)).replace(/\//g, '\\');
    if (/^file:\/\/\//.test(url)) return decodePath(url.slice(7));
    return url;
  }

  // A path as the shell's file URL: on Windows "file:///" and the path with
  // "/" for "\"; elsewhere "file://" and the path, "\" and control bytes
  // escaped. Both escape %, # and ?.
  function encodeCommon(p) {
    return p.replace(/%/g, '%25').replace(/#/g, '%23').replace(/\?/g, '%3F');
  }

  function urlFromPath(p) {
    if (/^[A-Za-z]:[\\/]/.test(p) || /^\\\\[^\\]/.test(p)) return 'file:///' + encodeCommon(p).replace(/\\/g, '/');
    if (p.charAt(0) === '/') {
      return 'file://' + encodeCommon(p).replace(/[\\\u0000-\u001f\u007f]/g, function (c) {
        return '%' + (c.charCodeAt(0) < 16 ? '0' : '') + c.charCodeAt(0).toString(16).toUpperCase();
      });
    }
    return null;
  }

  // A record for a file named in a playlist, as the shell would deliver it.
  function recordFromUrl(url) {
    var name = layout.baseName(url);
    var dot = name.lastIndexOf('.');
    var stem = dot > 0 ? name.slice(0, dot) : name;
    var format = dot > 0 ? name.slice(dot + 1).replace(/[a-z]/g, function (c) { return c.toUpperCase(); }) : '';
    var split = stem.indexOf(' - ');
    return split >= 0
      ? { title: stem.slice(split + 3), artist: stem.slice(0, split), url: url, format: format }
      : { title: stem, artist: layout.NO_ARTIST, url: url, format: format };
  }

  function oneLine(s) { return String(s).replace(/[\r\n]+/g, ' '); }

  // `tracks` carry title, artist, url and duration (seconds or null).
  function exportM3u8(name, tracks) {
    var windows = tracks.some(function (t) { return WINDOWS_URL.test(t.url) || UNC_URL.test(t.url); });
    var lines = ['#EXTM3U'];
    if (name) lines.push('#PLAYLIST:' + oneLine(name));
    tracks.forEach(function (t) {
      var seconds = typeof t.duration === 'number' && isFinite(t.duration) ? Math.round(t.duration) : -1;
      lines.push('#EXTINF:' + seconds + ',' + oneLine(t.artist ? t.artist + ' - ' + t.title : t.title));
      lines.push(pathFromUrl(t.url));
    });
    var eol = windows ? '\r\n' : '\n';
    return lines.join(eol) + eol;
  }

  // { name, urls, skipped }: the file URLs of the entries in order, and the
  // entries that name no absolute path (relative paths cannot be resolved
  // from a file input, which does not say where the playlist was).
  function parseM3u8(text) {
    var lines = String(text).replace(/^\ufeff/, '').split(/\r\n|\n|\r/);
    var out = { name: '', urls: [], skipped: [] };
    lines.forEach(function (raw) {
      var line = raw.trim();
      if (!line) return;
      if (line.charAt(0) === '#') {
        if (/^#PLAYLIST:/i.test(line)) out.name = line.slice(10).trim();
        return;
      }
      var url = null;
      if (/^file:/i.test(line)) url = urlFromPath(pathFromUrl('file:' + line.slice(5).replace(/^\/\/localhost\//i, '///')));
      else url = urlFromPath(line);
      if (url) out.urls.push(url); else out.skipped.push(line);
    });
    return out;
  }

  // The library's track for a URL. Windows paths ignore case, so a
  // playlist written by another program still finds C:\MUSIC\a.mp3.
  function Matcher(tracks) {
    this.exact = new Map();
    this.folded = new Map();
    for (var i = 0; i < tracks.length; i++) {
      var t = tracks[i];
      this.exact.set(t.url, t);
      if (WINDOWS_URL.test(t.url) || UNC_URL.test(t.url)) {
        var k = t.url.toLowerCase();
        if (!this.folded.has(k)) this.folded.set(k, t);
      }
    }
  }

  Matcher.prototype.find = function (url) {
    return this.exact.get(url) || ((WINDOWS_URL.test(url) || UNC_URL.test(url)) && this.folded.get(url.toLowerCase())) || null;
  };

  // The file name a playlist is offered under: its name without the
  // characters Windows forbids in a file name.
  function fileName(name) {
    var base = String(name || '').replace(/[\u0000-\u001f<>:"/\\|?*]+/g, ' ').replace(/\s+/g, ' ').replace(/[. ]+$/, '').trim();
    return (base || 'Playlist') + '.m3u8';
  }

  return {
    pathFromUrl: pathFromUrl, urlFromPath: urlFromPath, recordFromUrl: recordFromUrl,
    exportM3u8: exportM3u8, parseM3u8: parseM3u8, Matcher: Matcher, fileName: fileName
  };
});
