// Short real audio files made with sox, and a music folder full of the names
// and shapes that break importers.
//
//   const clips = await makeClips(folder);          // { mp3, wav, flac, ogg, aiff } paths
//   const tree = await makeHostileTree(root, clips); // { root, expected: [{path, name}...] }
//
// Names are Buffers where they are not UTF-8, so every byte is as intended.

import { execFile } from 'node:child_process';
import { copyFileSync, mkdirSync, opendirSync, statSync, symlinkSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { promisify } from 'node:util';

const run = promisify(execFile);

export async function makeClips(folder) {
  mkdirSync(folder, { recursive: true });
  const clips = {};
  for (const format of ['mp3', 'wav', 'flac', 'ogg', 'aiff']) {
    clips[format] = path.join(folder, `clip.${format}`);
    await run('sox', ['-n', '-r', '44100', '-c', '2', clips[format], 'synth', '0.4', 'sine', '440', 'vol', '0.2']);
  }
  return clips;
}

const AUDIO_EXTENSIONS = new Set(['.mp3', '.wav', '.ogg', '.m4a', '.flac', '.aac', '.aiff', '.webm']);

// The extension as the shell takes it: from the last dot, none for ".mp3".
export function extensionOf(name) {
  const dot = name.lastIndexOf('.');
  return dot <= 0 || name === '..' ? '' : name.slice(dot);
}

export function isAudioName(name) {
  return AUDIO_EXTENSIONS.has(extensionOf(name).replace(/[A-Z]/g, (c) => c.toLowerCase()));
}

// A path as bytes, so that names which are not UTF-8 stay exactly as given.
export function joinBytes(...parts) {
  const pieces = [];
  parts.forEach((part, i) => {
    if (i) pieces.push(Buffer.from('/'));
    pieces.push(Buffer.isBuffer(part) ? part : Buffer.from(part));
  });
  return Buffer.concat(pieces);
}

function place(root, parts, clip) {
  const target = joinBytes(root, ...parts);
  mkdirSync(joinBytes(root, ...parts.slice(0, -1)), { recursive: true });
  if (clip) copyFileSync(clip, target);
  else writeFileSync(target, 'not audio\n');
  return target;
}

export function makeHostileTree(root, clips) {
  mkdirSync(root, { recursive: true });
  const latin1 = Buffer.from([0x63, 0x61, 0x66, 0xe9]); // "caf" + a byte that is not UTF-8
  const files = [
    [['top.mp3'], clips.mp3],
    [['Mixed Case.FLAC'], clips.flac],
    [['Album', 'Night Owls - Slow River.ogg'], clips.ogg],
    [['Album', 'Deeper', 'Say "Hi" - it\'s me.wav'], clips.wav],
    [['Album', 'Deeper', 'back\\slash.mp3'], clips.mp3],
    [['Album', 'Deeper', 'Slow #1 at 100% why?.mp3'], clips.mp3],
    [['Album', 'Deeper', 'Café Été - Ünïcödé.flac'], clips.flac],
    [['Album', 'Deeper', '🎵 emoji 🎶.ogg'], clips.ogg],
    [['Album', 'Deeper', 'line\nbreak.wav'], clips.wav],
    [['Album', 'Deeper', Buffer.concat([latin1, Buffer.from(' bytes.wav')])], clips.wav],
    [['Album', 'Deeper', 'Sound.AIFF'], clips.aiff],
    [['Album', 'Deeper', 'in ogg.Webm'], clips.ogg], // sniffed by content, so it plays
    [['Decoys', '.mp3'], clips.mp3],
    [['Decoys', 'song.mp3.bak'], clips.mp3],
    [['Decoys', 'a.opus'], clips.ogg],
    [['Decoys', 'b.aif'], clips.aiff],
    [['Decoys', 'notes.txt'], null],
    [['Locked', 'hidden.mp3'], clips.mp3],
  ];
  for (const [parts, clip] of files) place(root, parts, clip);
  symlinkSync('..', path.join(root, 'Album', 'loop')); // a cycle back to the root
  return { root, locked: path.join(root, 'Locked') };
}

// What a depth-first pre-order walk in listing order should deliver, skipping
// folders it cannot open and never entering links to folders.
export function expectedWalk(folder, canEnter = () => true) {
  const found = [];
  const dir = opendirSync(Buffer.isBuffer(folder) ? folder : Buffer.from(folder), { encoding: 'buffer' });
  try {
    for (let entry; (entry = dir.readSync()); ) {
      const full = joinBytes(folder, entry.name);
      if (entry.isDirectory()) {
        if (canEnter(full)) found.push(...expectedWalk(full, canEnter));
      } else if ((entry.isFile() || (entry.isSymbolicLink() && isFileTarget(full))) && isAudioName(entry.name.toString('utf8'))) {
        found.push(full);
      }
    }
  } finally {
    dir.closeSync();
  }
  return found;
}

function isFileTarget(full) {
  try {
    return statSync(full).isFile();
  } catch {
    return false;
  }
}

// Length of the valid UTF-8 sequence at `i`, or 0.
function validSequenceLength(bytes, i) {
  const lead = bytes[i];
  const length = lead < 0x80 ? 1 : lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3 : lead >= 0xf0 && lead <= 0xf4 ? 4 : 0;
  if (!length || i + length > bytes.length) return 0;
  try {
    new TextDecoder('utf-8', { fatal: true }).decode(bytes.subarray(i, i + length));
    return length;
  } catch {
    return 0;
  }
}

// The record the shell should deliver for a file, worked out independently.
export function expectedRecord(pathBytes) {
  const name = pathBytes.subarray(pathBytes.lastIndexOf(0x2f) + 1);
  const text = name.toString('utf8');
  const extension = extensionOf(text);
  const stem = text.slice(0, text.length - extension.length);
  const split = stem.indexOf(' - ');
  let url = 'file://';
  for (let i = 0; i < pathBytes.length; ) {
    const byte = pathBytes[i];
    const length = validSequenceLength(pathBytes, i);
    const special = byte === 0x25 || byte === 0x23 || byte === 0x3f || byte === 0x5c || byte < 0x20 || byte === 0x7f;
    if (length === 0 || (length === 1 && special)) {
      url += '%' + byte.toString(16).toUpperCase().padStart(2, '0');
      i += 1;
    } else {
      url += pathBytes.subarray(i, i + length).toString('utf8');
      i += length;
    }
  }
  return {
    title: split >= 0 ? stem.slice(split + 3) : stem,
    artist: split >= 0 ? stem.slice(0, split) : 'Local Music',
    url,
    format: extension.slice(1).replace(/[a-z]/g, (c) => c.toUpperCase()),
  };
}
