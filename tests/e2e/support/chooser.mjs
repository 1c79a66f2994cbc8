// Driving a GTK file or folder chooser with xdotool, the way that has proven
// reliable under Xvfb and openbox.
//
//   const id = await waitForChooser(display, 'Open');
//   await acceptLocation(display, '/tmp/music/a.mp3');   // or a folder

import { setTimeout as sleep } from 'node:timers/promises';

import { findWindows, waitUntil, x11 } from './display.mjs';

// The chooser's window, activated and ready for keys.
export async function waitForChooser(display, title) {
  const id = await waitUntil(async () => (await findWindows(display, { title }))[0], { what: `the "${title}" chooser` });
  await x11(display, 'xdotool', ['windowactivate', '--sync', String(id)]).catch(() => {});
  await sleep(500);
  return id;
}

// Typing "/" opens the location entry, which needs a moment before it takes
// the rest; Delete drops GTK's inline completion of a subfolder, and the
// pause lets the chooser load the folder before Return.
// `beforeReturn` runs just before the confirming key.
export async function acceptLocation(display, location, { beforeReturn = () => {} } = {}) {
  await x11(display, 'xdotool', ['type', '/']);
  await sleep(600);
  await x11(display, 'xdotool', ['type', '--delay', '25', location.slice(1)]);
  await sleep(400);
  await x11(display, 'xdotool', ['key', 'Delete']);
  await sleep(1500);
  beforeReturn();
  await x11(display, 'xdotool', ['key', 'Return']);
}

// A save dialog offers its name with the extension left out of the
// selection, so the whole name is selected before the path is typed.
export async function acceptSaveAs(display, file) {
  await x11(display, 'xdotool', ['key', 'ctrl+a']);
  await sleep(300);
  await x11(display, 'xdotool', ['type', '--delay', '25', file]);
  await sleep(800);
  await x11(display, 'xdotool', ['key', 'Return']);
}
