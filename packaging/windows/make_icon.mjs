// Remakes sonabel.ico from the Linux icon, in the sizes Windows asks for:
// node packaging/windows/make_icon.mjs
// Chromium draws the SVG; sizes below 256 are stored as 32-bit bitmaps with
// their mask, which every Windows reads, and 256 as PNG, as Windows expects.
import { readFile, writeFile } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const sizes = [16, 20, 24, 32, 40, 48, 64, 128, 256];

const svg = await readFile(path.join(here, '../linux/sonabel.svg'), 'utf8');
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox', '--disable-gpu'] });
const page = await browser.newPage();
const images = await page.evaluate(async ({ svg, sizes }) => {
  const image = new Image();
  image.src = 'data:image/svg+xml;base64,' + btoa(svg);
  await image.decode();
  return sizes.map((size) => {
    const canvas = document.createElement('canvas');
    canvas.width = canvas.height = size;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0, size, size);
    return { size, rgba: Array.from(context.getImageData(0, 0, size, size).data), png: canvas.toDataURL('image/png').split(',')[1] };
  });
}, { svg, sizes });
await browser.close();

function bitmapEntry({ size, rgba }) {
  const maskRow = Math.ceil(size / 32) * 4;
  const out = Buffer.alloc(40 + size * size * 4 + maskRow * size);
  out.writeUInt32LE(40, 0);
  out.writeInt32LE(size, 4);
  out.writeInt32LE(size * 2, 8); // colour rows, then the mask's
  out.writeUInt16LE(1, 12);
  out.writeUInt16LE(32, 14);
  let at = 40;
  for (let y = size - 1; y >= 0; y--) {
    for (let x = 0; x < size; x++) {
      const i = (y * size + x) * 4;
      out[at++] = rgba[i + 2];
      out[at++] = rgba[i + 1];
      out[at++] = rgba[i];
      out[at++] = rgba[i + 3];
    }
  }
  for (let y = size - 1; y >= 0; y--, at += maskRow) {
    for (let x = 0; x < size; x++) if (rgba[(y * size + x) * 4 + 3] === 0) out[at + (x >> 3)] |= 0x80 >> (x & 7);
  }
  return out;
}

const entries = images.map((image) => (image.size === 256 ? Buffer.from(image.png, 'base64') : bitmapEntry(image)));
const header = Buffer.alloc(6 + 16 * entries.length);
header.writeUInt16LE(1, 2);
header.writeUInt16LE(entries.length, 4);
let offset = header.length;
entries.forEach((data, i) => {
  const at = 6 + 16 * i;
  header[at] = header[at + 1] = sizes[i] % 256; // 0 means 256
  header.writeUInt16LE(1, at + 4);
  header.writeUInt16LE(32, at + 6);
  header.writeUInt32LE(data.length, at + 8);
  header.writeUInt32LE(offset, at + 12);
  offset += data.length;
});
await writeFile(path.join(here, 'sonabel.ico'), Buffer.concat([header, ...entries]));
