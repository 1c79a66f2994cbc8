// The page-free parts of browsing: what the folder layout says, the
// indexes, search over album and folder, playlists and M3U8 files.
import { test, describe } from 'node:test';
import assert from 'node:assert/strict';
import { core } from './core_modules.mjs';

const { buildIndexes, treeTop, tracksUnder, parseSearch, searchTracks, narrowsSearch, Playlists, unpackPlaylists, SMART } = core;
const m3u = core;

// A library of the given file URLs, each record named as the shell names it.
function library(urls) {
  const lib = new core.Library();
  lib.addRecords(urls.map((u) => m3u.recordFromUrl(u)));
  return lib;
}

describe('folder layout', () => {
  const M = 'file:///home/listener/Music';
  // [url, expected layout fields]
  const cases = [
    [`${M}/Night Owls/Slow River/01 - Intro.mp3`,
      { title: 'Intro', artist: 'Night Owls', album: 'Slow River', albumArtist: 'Night Owls', track: 1, disc: 0, artistInferred: true }],
    [`${M}/Night Owls/Slow River/02 - Guest - Duet.mp3`,
      { title: 'Duet', artist: 'Guest', track: 2, artistInferred: true, titleInferred: true }],
    [`${M}/Night Owls/Slow River/03. Glass.flac`, { title: 'Glass', artist: 'Night Owls', track: 3, titleInferred: true }],
    [`${M}/Night Owls/Slow River/1-05 Title.ogg`, { title: 'Title', disc: 1, track: 5 }],
    [`${M}/Night Owls/Slow River/07 Night Owls - Cold.mp3`, { title: 'Cold', artist: 'Night Owls', track: 7, titleInferred: false }],
    [`${M}/Night Owls/Slow River/Night Owls - 04 - North.mp3`, { title: 'North', artist: 'Night Owls', track: 4, artistInferred: false }],
    [`${M}/Night Owls/Slow River/CD2/03 - Paper.mp3`, { album: 'Slow River', albumArtist: 'Night Owls', disc: 2, track: 3 }],
    [`${M}/Night Owls/Slow River/06.mp3`, { title: '06', track: 6 }],
    // Names that begin with a number without being numbered.
    [`${M}/Mix/50 Cent - In da Club.mp3`, { artist: '50 Cent', title: 'In da Club', track: 0 }],
    [`${M}/Mix/99 Luftballons.mp3`, { title: '99 Luftballons', track: 0 }],
    [`${M}/Mix/1999 - Party.mp3`, { artist: '1999', title: 'Party', track: 0, artistInferred: false }],
    // Folders that hold music without naming it.
    [`${M}/Mix/05 Song.mp3`, { album: 'Mix', albumArtist: '', artist: 'Local Music', track: 5 }],
    [`${M}/loose.mp3`, { album: '', albumArtist: '', artist: 'Local Music' }],
    ['file:///home/listener/Album/a.mp3', { album: 'Album', albumArtist: '' }],
    ['file:///C:/Users/Ann/Music/Artist/Album/a.mp3', { album: 'Album', albumArtist: 'Artist' }],
    ['file:///C:/Users/Ann/Music/Album/a.mp3', { album: 'Album', albumArtist: '' }],
    ['file:///D:/Artist/Album/a.mp3', { album: 'Album', albumArtist: 'Artist' }],
    ['file:///D:/a.mp3', { album: '', albumArtist: '' }],
    ['file:///media/ann/USB/Artist/Album/a.mp3', { album: 'Album', albumArtist: 'Artist' }],
    ['file:///media/ann/USB/Album/a.mp3', { album: 'Album', albumArtist: '' }],
    // Escapes the shell writes are read back; bytes that are not UTF-8 stay escaped.
    ['file:///srv/m/Été/Slow %231/a.mp3', { album: 'Slow #1', albumArtist: 'Été' }],
    ['file:///srv/m/B%FFd/Al%5Cbum/a.mp3', { album: 'Al\\bum', albumArtist: 'B%FFd' }],
  ];
  for (const [url, want] of cases) {
    test(url.slice(url.indexOf('/', 8)), () => {
      const lib = library([url]);
      const got = new core.TagCache().of(lib.tracks[0]);
      for (const [k, v] of Object.entries(want)) assert.equal(got[k], v, k);
    });
  }

  test('the record stays as delivered', () => {
    const lib = library([`${M}/A/B/01 - Intro.mp3`]);
    new core.TagCache().of(lib.tracks[0]);
    assert.deepEqual(core.packTrack(lib.tracks[0]).slice(0, 6), ['Intro', '01', `${M}/A/B/01 - Intro.mp3`, 'MP3', null, 0]);
  });

  test('cover candidates: four names, three types, in order; capitalised too where case matters', () => {
    const win = core.coverCandidates('file:///C:/M/A');
    assert.equal(win.length, 12);
    assert.deepEqual(win.slice(0, 4), ['file:///C:/M/A/cover.jpg', 'file:///C:/M/A/cover.jpeg', 'file:///C:/M/A/cover.png', 'file:///C:/M/A/folder.jpg']);
    assert.equal(win[11], 'file:///C:/M/A/AlbumArtSmall.png');
    const nix = core.coverCandidates('file:///m/Slow %231');
    assert.equal(nix.length, 66);
    for (const name of ['Folder.jpg', 'COVER.JPG', 'cover.PNG', 'AlbumArtSmall.JPG']) assert.ok(nix.includes(`file:///m/Slow %231/${name}`), name);
  });
});

describe('indexes', () => {
  const urls = [
    'file:///m/Music/Owls/River/02 - Two.mp3',
    'file:///m/Music/Owls/River/01 - One.mp3',
    'file:///m/Music/Owls/Sea/CD2/01 - Late.mp3',
    'file:///m/Music/Owls/Sea/CD1/01 - Early.mp3',
    'file:///m/Music/Sampler/Ann - Song.mp3',
    'file:///m/Music/Sampler/Bob - Tune.mp3',
    'file:///m/Music/ann - Solo.mp3',
  ];
  const lib = library(urls);
  const idx = buildIndexes(lib.tracks, new core.TagCache());
  const titles = (ts) => ts.map((t) => t.title);

  test('albums: one per album folder, discs merged, tracks in disc and track order', () => {
    assert.deepEqual(idx.albums.map((a) => [a.artist, a.title, titles(a.tracks)]), [
      ['ann', 'Music', ['Solo']],
      ['Owls', 'River', ['One', 'Two']],
      ['Owls', 'Sea', ['Early', 'Late']],
      ['Various artists', 'Sampler', ['Song', 'Tune']],
    ]);
  });

  test('artists: grouped without case, with their tracks and albums', () => {
    assert.deepEqual(idx.artists.map((a) => [a.name, a.tracks.length, a.albums.length]), [['Ann', 2, 2], ['Bob', 1, 1], ['Owls', 4, 2]]);
  });

  test('folder tree: counts from the leaves up, names in order, opening below the single chain', () => {
    const top = treeTop(idx);
    assert.equal(top.url, 'file:///m/Music');
    assert.equal(top.total, 7);
    assert.deepEqual(top.children.map((f) => [f.name, f.total]), [['Owls', 4], ['Sampler', 2]]);
    assert.deepEqual(titles(tracksUnder(idx.folders.get('file:///m/Music/Owls/Sea'))), ['Early', 'Late']);
  });
});

describe('sorting by what the columns show', () => {
  const lib = library([
    'file:///m/Music/Owls/Sea/02 - Late.mp3', 'file:///m/Music/Owls/River/10 - Ten.mp3',
    'file:///m/Music/Ann/Alpha/Zed - 01 - Last.mp3', 'file:///m/Music/loose.mp3', 'file:///m/Music/Owls/River/2 - Two.mp3',
  ]);
  lib.tracks.forEach((t, i) => { t.plays = [3, 0, 5, 0, 1][i]; t.added = [2000, 1000, 0, 3000, 1000][i]; });
  const cache = new core.TagCache(), lay = (t) => cache.of(t);
  const sorted = (key, dir, by = lay) => core.sortTracks(lib.tracks, key, dir, by).map((t) => lay(t).title);
  // Equal keys keep the order added; unknown numbers (no track number, no date) stay last.
  const cases = [
    ['title', 'asc', ['Last', 'Late', 'loose', 'Ten', 'Two']],          // the shown title, not "01 - Last"
    ['artist', 'asc', ['loose', 'Two', 'Ten', 'Late', 'Last']],          // "Owls" as the folder says, album by album
    ['album', 'asc', ['loose', 'Last', 'Two', 'Ten', 'Late']],           // an album in track order
    ['album', 'desc', ['Late', 'Ten', 'Two', 'Last', 'loose']],
    ['albumArtist', 'asc', ['loose', 'Last', 'Two', 'Ten', 'Late']],
    ['trackNo', 'asc', ['Last', 'Late', 'Two', 'Ten', 'loose']],
    ['trackNo', 'desc', ['Ten', 'Two', 'Late', 'Last', 'loose']],
    ['folder', 'asc', ['Last', 'loose', 'Two', 'Ten', 'Late']],          // natural order within a folder
    ['plays', 'desc', ['Last', 'Late', 'Two', 'loose', 'Ten']],
    ['added', 'asc', ['Ten', 'Two', 'Late', 'loose', 'Last']],
    ['added', 'desc', ['loose', 'Late', 'Two', 'Ten', 'Last']],
  ];
  for (const [key, dir, want] of cases) test(`${key} ${dir}`, () => assert.deepEqual(sorted(key, dir), want));
  test('an album of several discs goes disc by disc, from its folders and from its names', () => {
    const discs = library(['file:///m/Music/Owls/Box/CD2/01 - Able.mp3', 'file:///m/Music/Owls/Box/CD1/03 - Zed.mp3',
      'file:///m/Music/Ann/Set/2-01 Able.mp3', 'file:///m/Music/Ann/Set/1-05 Zed.mp3']);
    const shown = (key) => core.sortTracks(discs.tracks, key, 'asc', lay).map((t) => `${lay(t).album} ${lay(t).title}`);
    assert.deepEqual(shown('album'), ['Box Zed', 'Box Able', 'Set Zed', 'Set Able']);
    assert.deepEqual(shown('artist'), ['Set Zed', 'Set Able', 'Box Zed', 'Box Able']);
  });
  test('without a layout, columns that need one keep the order given', () => {
    assert.deepEqual(sorted('album', 'asc', null), ['Late', 'Ten', 'Last', 'loose', 'Two']);
  });
});

describe('search', () => {
  const lib = library([
    'file:///m/Music/Night Owls/Slow River/01 - Intro.mp3',
    'file:///m/Music/Night Owls/Glass/Guest - River Song.mp3',
    'file:///m/Music/Various/Live at Home/Band - Opening.mp3',
  ]);
  const cache = new core.TagCache();
  const find = (q) => searchTracks(lib.tracks, q, (t) => cache.of(t)).map((t) => t.title);
  const cases = [
    ['', ['Intro', 'River Song', 'Opening']],
    ['river', ['Intro', 'River Song']],               // album of one, title of the other
    ['album:river', ['Intro']],
    ['artist:owls', ['Intro', 'River Song']],          // album artist counts
    ['artist:guest', ['River Song']],
    ['artist:"night owls" glass', ['River Song']],
    ['home', ['Opening']],                              // folder name
    ['album:', ['Intro', 'River Song', 'Opening']],    // a prefix alone is no term
    ['live: ', []],                                      // unknown prefix is text
    ['ÉTÉ', []],
    ['owls intro', ['Intro']],
  ];
  for (const [q, want] of cases) test(JSON.stringify(q), () => assert.deepEqual(find(q), want));

  test('narrowing: only queries that cannot match more', () => {
    const p = parseSearch;
    assert.ok(narrowsSearch(p('riv'), p('river')));
    assert.ok(narrowsSearch(p('riv'), p('album:river')));
    assert.ok(!narrowsSearch(p('album:riv'), p('river')));
    assert.ok(!narrowsSearch(p('river song'), p('river')));
    assert.ok(!narrowsSearch([], p('x')));
    // Only the known fields are fields: the rest are words.
    assert.deepEqual(p('constructor:foo'), [{ field: null, text: 'constructor:foo' }]);
  });
});

describe('M3U8', () => {
  const tracks = [
    { title: 'Slow River', artist: 'Night Owls', url: 'file:///C:/Music/Night Owls - Slow River.flac', duration: 241.6 },
    { title: 'Été', artist: 'Local Music', url: 'file:///C:/Music/Slow %231/Été.mp3', duration: null },
  ];

  test('export: absolute Windows paths, durations, CRLF', () => {
    assert.equal(m3u.exportM3u8('Road\ntrip', tracks), [
      '#EXTM3U', '#PLAYLIST:Road trip',
      '#EXTINF:242,Night Owls - Slow River', 'C:\\Music\\Night Owls - Slow River.flac',
      '#EXTINF:-1,Local Music - Été', 'C:\\Music\\Slow #1\\Été.mp3', ''].join('\r\n'));
    assert.equal(m3u.exportM3u8('', [{ title: 'a', artist: '', url: 'file:///home/me/a%5Cb.mp3', duration: 1 }]),
      '#EXTM3U\n#EXTINF:1,a\n/home/me/a\\b.mp3\n');
  });

  test('paths and URLs as the shell writes them, both ways', () => {
    const cases = [
      ['C:\\Music\\a b.mp3', 'file:///C:/Music/a b.mp3'],
      ['C:\\Music\\Slow #1 100%?.mp3', 'file:///C:/Music/Slow %231 100%25%3F.mp3'],
      ['\\\\nas\\share\\a.mp3', 'file://///nas/share/a.mp3'],
      ['/home/me/x\\y.mp3', 'file:///home/me/x%5Cy.mp3'],
      ['/home/me/Été.mp3', 'file:///home/me/Été.mp3'],
    ];
    for (const [p, url] of cases) {
      assert.equal(m3u.urlFromPath(p), url);
      assert.equal(m3u.pathFromUrl(url), p);
    }
  });

  test('import: absolute paths and file URLs become file URLs; relative entries are skipped', () => {
    const text = '\ufeff#EXTM3U\r\n#PLAYLIST: Mine \r\n#EXTINF:1,x\r\nC:/Music/a.mp3\r\n\r\nrelative/b.mp3\r\n' +
      'file:///C:/Music/a%20b.mp3\nfile://localhost/home/me/c.mp3\nhttp://radio/stream\n/home/me/d.ogg\n';
    assert.deepEqual(m3u.parseM3u8(text), {
      name: 'Mine',
      urls: ['file:///C:/Music/a.mp3', 'file:///C:/Music/a b.mp3', 'file:///home/me/c.mp3', 'file:///home/me/d.ogg'],
      skipped: ['relative/b.mp3', 'http://radio/stream'],
    });
  });

  test('an exported playlist comes back to the same tracks; Windows paths match without case', () => {
    const back = m3u.parseM3u8(m3u.exportM3u8('x', tracks));
    assert.deepEqual(back.urls, tracks.map((t) => t.url));
    const match = new m3u.Matcher(tracks);
    assert.equal(match.find('file:///c:/music/night owls - slow river.FLAC'), tracks[0]);
    assert.equal(match.find('file:///home/Me/a.mp3'), null);
    assert.deepEqual(m3u.recordFromUrl('file:///home/me/Slow %231 - Été.Ogg'),
      { title: 'Été', artist: 'Slow #1', url: 'file:///home/me/Slow %231 - Été.Ogg', format: 'OGG' });
  });

  test('file names offered for a playlist', () => {
    for (const [name, file] of [['Road trip', 'Road trip.m3u8'], ['a/b:c?', 'a b c.m3u8'], ['', 'Playlist.m3u8'], ['end. ', 'end.m3u8']]) {
      assert.equal(m3u.fileName(name), file);
    }
  });
});

describe('playlists', () => {
  const urls = ['a', 'b', 'c', 'd', 'e'];
  const fresh = () => { const pl = new Playlists(); return [pl, pl.create('Mix', urls)]; };

  test('names stay unique without case; an empty name is refused on rename', () => {
    const [pl, mix] = fresh();
    assert.equal(pl.create('mix').name, 'mix 2');
    assert.equal(pl.create('  ').name, 'New playlist');
    assert.equal(pl.rename(mix.id, ' '), false);
    assert.equal(pl.rename(mix.id, 'MIX 2'), true);
    assert.equal(mix.name, 'MIX 2 2');
  });

  test('adding skips what is there, at the end or at a place', () => {
    const [pl, mix] = fresh();
    assert.deepEqual(pl.add(mix.id, ['c', 'x', 'x', 'y'], 1), { added: 2, already: 2 });
    assert.deepEqual(mix.urls, ['a', 'x', 'y', 'b', 'c', 'd', 'e']);
  });

  test('moving keeps the moved entries together and in order', () => {
    // [positions, before, expected]
    const cases = [
      [[0], 2, ['b', 'a', 'c', 'd', 'e']],
      [[4], 0, ['e', 'a', 'b', 'c', 'd']],
      [[1, 3], 5, ['a', 'c', 'e', 'b', 'd']],
      [[3, 1], 0, ['b', 'd', 'a', 'c', 'e']],
      [[0, 4], 2, ['b', 'a', 'e', 'c', 'd']],
      [[2], 2, urls], [[2], 3, urls], [[9], 0, urls],
    ];
    for (const [positions, to, want] of cases) {
      const [pl, mix] = fresh();
      const before = pl.version;
      assert.equal(pl.move(mix.id, positions, to), want !== urls, JSON.stringify([positions, to]));
      assert.deepEqual(mix.urls, want);
      assert.equal(pl.version > before, want !== urls);
    }
  });

  test('deleting can be undone in place; tracks leaving the library leave every playlist', () => {
    const [pl, mix] = fresh();
    const other = pl.create('Other', ['b', 'z']);
    const removed = pl.remove(mix.id);
    assert.deepEqual(pl.lists.map((p) => p.name), ['Other']);
    assert.ok(pl.restore(removed));
    assert.equal(pl.restore(removed), false);
    assert.deepEqual(pl.lists.map((p) => p.name), ['Mix', 'Other']);
    pl.dropUrls(new Set(['b', 'e']));
    assert.deepEqual([mix.urls, other.urls], [['a', 'c', 'd'], ['z']]);
    assert.deepEqual(pl.removeEntries(mix.id, [0, 2]), ['a', 'd']);
    const byUrl = new Map([['c', { title: 'C' }]]);
    assert.deepEqual(pl.tracksOf(mix.id, byUrl), [{ title: 'C' }]);
  });

  test('stored form: round trip, and damaged entries cost only themselves', () => {
    const [pl] = fresh();
    pl.create('Second', ['q']);
    pl.remove(pl.create('Gone').id);
    const back = unpackPlaylists(JSON.parse(JSON.stringify(pl.pack())));
    assert.deepEqual(back.pack(), pl.pack());
    assert.equal(back.create('New').id, 4, 'ids of deleted playlists are not reused');
    const damaged = unpackPlaylists({ version: 1, lists: [
      { id: 1, name: 'ok', urls: ['a', 'a', 3, '', 'b'] }, { id: 1, name: 'same id', urls: [] },
      null, { id: 'x', name: 'n', urls: [] }, { id: 2, name: 'OK', urls: 'a' }, { id: 3, name: 'OK', urls: [] }] });
    assert.deepEqual(damaged.lists.map((p) => [p.id, p.name, p.urls]), [[1, 'ok', ['a', 'b']], [3, 'OK 2', []]]);
    for (const raw of [null, 'x', { version: 2, lists: [] }, { version: 1 }]) assert.equal(unpackPlaylists(raw).lists.length, 0);
  });

  test('smart lists', () => {
    const t = (index, plays, added, lastPlayed) => ({ index, plays, added, lastPlayed });
    const tracks = [t(0, 3, 100, 5), t(1, 0, 300, 0), t(2, 3, 200, 9), t(3, undefined, 0, 0), t(4, 7, 0, 1)];
    const ids = (name) => SMART[name].pick(tracks).map((x) => x.index);
    assert.deepEqual(ids('recent'), [1, 2, 0, 4, 3]);
    assert.deepEqual(ids('most'), [4, 2, 0]);
    assert.deepEqual(ids('never'), [1, 3]);
  });
});
