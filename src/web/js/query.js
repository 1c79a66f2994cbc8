/* Sonabel player: search over what a track shows: title, artist, album,
   album artist and folder, with "artist:" and "album:" to look in one
   field only. `artist:"night owls"` keeps its words together. */
(function (root, factory) {
  var query = factory(root.SonabelCore || require('./core.js'));
  if (typeof module !== 'undefined' && module.exports) module.exports = query;
  else root.SonabelCore.query = query;
})(typeof self !== 'undefined' ? self : this, function (core) {
  'use strict';
  var fold = core.fold;
  var FIELDS = { artist: 'artist', album: 'album' };
  var TERM = /(?:(\w+):)?(?:"([^"]*)"?|(\S+))/g;

  // [{ field: null | 'artist' | 'album', text }], every text folded.
  function parseSearch(text) {
    var s = fold(String(text || '')).replace(/\u0000/g, ''), out = [], m;
    TERM.lastIndex = 0;
    while ((m = TERM.exec(s))) {
      var field = m[1] && FIELDS[m[1]] ? m[1] : null;
      var value = m[2] !== undefined ? m[2].trim() : m[3];
      // A prefix still waiting for its value, as while it is typed.
      if (!m[1] && /^\w+:$/.test(value) && FIELDS[value.slice(0, -1)]) continue;
      // An unknown prefix is part of the word: "live:" searches for "live:".
      if (m[1] && !field) value = m[1] + ':' + value;
      if (field && !value) continue;
      if (value) out.push({ field: field, text: value });
    }
    return out;
  }

  // Folded texts a track is searched in, kept with its layout.
  function keysOf(lay) {
    if (lay.keys) return lay.keys;
    // Album and folder texts are the folder's, made once for all its tracks.
    var f = lay.folder;
    if (!f.searchKey) {
      f.albumKey = fold(f.album);
      f.searchKey = [f.albumKey, fold(f.albumArtist), fold(f.name)].join('\u0000');
    }
    var artist = fold(lay.artist);
    return (lay.keys = {
      own: fold(lay.title) + '\u0000' + artist,
      artist: lay.artist === lay.albumArtist ? artist : artist + '\u0000' + fold(lay.albumArtist),
      album: f.albumKey,
      folder: f.searchKey
    });
  }

  function matchTerm(k, term) {
    if (term.field === 'artist') return k.artist.indexOf(term.text) >= 0;
    if (term.field === 'album') return k.album.indexOf(term.text) >= 0;
    return k.own.indexOf(term.text) >= 0 || k.folder.indexOf(term.text) >= 0;
  }

  // The tracks, in their order, whose every term matches. `layoutOf` gives
  // a track's layout (a layout.LayoutCache's `of`).
  function searchTracks(tracks, terms, layoutOf) {
    if (!Array.isArray(terms)) terms = parseSearch(terms);
    if (!terms.length) return tracks;
    var out = [];
    outer: for (var i = 0; i < tracks.length; i++) {
      var k = keysOf(layoutOf(tracks[i]));
      for (var j = 0; j < terms.length; j++) if (!matchTerm(k, terms[j])) continue outer;
      out.push(tracks[i]);
    }
    return out;
  }

  // Whether every track that matches `terms` also matched `prev`, so that
  // a keystroke may search the previous result instead of everything.
  function narrowsSearch(prev, terms) {
    if (!prev || !prev.length) return false;
    return prev.every(function (p) {
      return terms.some(function (t) { return (p.field === null || p.field === t.field) && t.text.indexOf(p.text) >= 0; });
    });
  }

  return { parseSearch: parseSearch, searchTracks: searchTracks, narrowsSearch: narrowsSearch };
});
