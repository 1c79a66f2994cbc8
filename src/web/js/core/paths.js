/* Sonabel player: file URLs as the shell makes them, and the paths they
   stand for. Every place that shows or writes a path takes it from here:
   C:\Music\a.mp3, \\server\share\a.mp3 or /home/me/a.mp3. */

// One segment of a file URL as the shell writes it. Bytes that are not
// UTF-8 stay escaped; the ASCII escapes (%, #, ?, \) are read back.
/** @param {string} s */
function decodeSegment(s) {
  if (s.indexOf('%') < 0) return s;
  try { return decodeURIComponent(s); } catch (e) {
    return s.replace(/%([0-7][0-9A-Fa-f])/g, function (m, h) { return String.fromCharCode(parseInt(h, 16)); });
  }
}

// Where a URL's path begins: after "scheme://" (file URLs) or the scheme.
/** @param {string} url */
function pathStart(url) {
  const i = url.indexOf('://');
  return i >= 0 ? i + 3 : url.indexOf(':') + 1;
}

// The folder URL a track's file is in, without a trailing slash; null at
// the top.
/** @param {string} url */
function parentUrl(url) {
  const i = url.lastIndexOf('/');
  return i >= pathStart(url) ? url.slice(0, i) : null;
}

/** @param {string} url */
function baseName(url) {
  return decodeSegment(url.slice(url.lastIndexOf('/') + 1));
}

// The decoded folder names of a folder URL, from the top.
/** @param {string} folderUrl */
function segments(folderUrl) {
  const path = folderUrl.slice(pathStart(folderUrl));
  const parts = path.split('/'), out = [];
  for (let i = 0; i < parts.length; i++) if (parts[i]) out.push(decodeSegment(parts[i]));
  return out;
}

const WINDOWS_URL = /^file:\/\/\/[A-Za-z]:\//;
const UNC_URL = /^file:\/\/\/\/\//;

/** @param {string} p */
function decodePath(p) {
  return p.split('/').map(decodeSegment).join('/');
}

// The absolute path of a file URL: C:\Music\a.mp3, \\server\share\a.mp3
// or /home/me/a.mp3. Anything that is not a file URL is kept as it is,
// which players read as a URL.
/** @param {string} url */
function pathFromUrl(url) {
  if (WINDOWS_URL.test(url) || UNC_URL.test(url)) return decodePath(url.slice(8)).replace(/\//g, '\\');
  if (/^file:\/\/\//.test(url)) return decodePath(url.slice(7));
  return url;
}

// A path as the shell's file URL: on Windows "file:///" and the path with
// "/" for "\"; elsewhere "file://" and the path, "\" and control bytes
// escaped. Both escape %, # and ?.
/** @param {string} p */
function encodeCommon(p) {
  return p.replace(/%/g, '%25').replace(/#/g, '%23').replace(/\?/g, '%3F');
}

/** @param {string} p */
function urlFromPath(p) {
  if (/^[A-Za-z]:[\\/]/.test(p) || /^\\\\[^\\]/.test(p)) return 'file:///' + encodeCommon(p).replace(/\\/g, '/');
  if (p.charAt(0) === '/') {
    return 'file://' + encodeCommon(p).replace(/[\\\u0000-\u001f\u007f]/g, function (c) {
      return '%' + (c.charCodeAt(0) < 16 ? '0' : '') + c.charCodeAt(0).toString(16).toUpperCase();
    });
  }
  return null;
}

// Windows file URLs, drive or network share: their paths ignore case.
/** @param {string} url */
function isWindowsUrl(url) { return WINDOWS_URL.test(url) || UNC_URL.test(url); }

// The path of the folder a file is in, as the system writes it.
/** @param {string} url */
function folderPath(url) {
  const up = parentUrl(url);
  if (up === null) return '';
  const p = pathFromUrl(up + '/');
  return p.length > 3 ? p.slice(0, -1) : p; // "/" and "C:\" keep theirs
}

export { decodeSegment, parentUrl, baseName, segments, pathFromUrl, urlFromPath, isWindowsUrl, folderPath };
