// The player's pure modules as one namespace, for the Node suites.
import * as library from '../../src/web/js/core/library.js';
import * as order from '../../src/web/js/core/order.js';
import * as shuffle from '../../src/web/js/core/shuffle.js';
import * as stored from '../../src/web/js/core/stored_library.js';
import * as settingsFormat from '../../src/web/js/core/settings_format.js';
import * as text from '../../src/web/js/core/text.js';
import * as paths from '../../src/web/js/core/paths.js';
import * as tags from '../../src/web/js/core/tags.js';
import * as columns from '../../src/web/js/core/column_table.js';
import * as indexes from '../../src/web/js/core/indexes.js';
import * as query from '../../src/web/js/core/query.js';
import * as playlistFile from '../../src/web/js/core/playlist_file.js';
import * as playlists from '../../src/web/js/core/playlists.js';
import * as chunks from '../../src/web/js/core/chunk_layout.js';
import * as context from '../../src/web/js/core/play_context.js';

export const core = Object.assign({}, library, order, shuffle, stored, settingsFormat, text, paths, tags, columns,
  indexes, query, playlistFile, playlists, chunks, context);
