'use strict';
// A small screenshot for the README: the page's pixels reduced to a palette
// of their most frequent distinct colours (the edges of text take the nearest)
// and written as an indexed PNG, a fraction of the size of the full-colour one.

const fs = require('node:fs');
const zlib = require('node:zlib');

// The CRC-32 of PNG chunks (node's zlib.crc32 is too new for Debian's node).
const crcTable = Array.from({ length: 256 }, (_, n) => {
  for (let k = 0; k < 8; k++) n = n & 1 ? 0xedb88320 ^ (n >>> 1) : n >>> 1;
  return n >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// One PNG chunk: length, type, data, CRC of type and data.
function chunk(type, data) {
  const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
  const length = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(body));
  return Buffer.concat([length, body, crc]);
}

// Saves what `page` shows as an indexed PNG of at most `colours` colours.
async function savePageImage(page, file, colours = 32) {
  const shot = (await page.screenshot()).toString('base64');
  const { width, height, palette, pixels } = await page.evaluate(async ([png, n]) => {
    const bitmap = await createImageBitmap(new Blob([Uint8Array.from(atob(png), (c) => c.charCodeAt(0))]));
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    const rgba = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    const rgb = (i) => (rgba[i] << 16) | (rgba[i + 1] << 8) | rgba[i + 2];
    const count = new Map();
    for (let i = 0; i < rgba.length; i += 4) count.set(rgb(i), (count.get(rgb(i)) || 0) + 1);
    const distance = (a, b) => [16, 8, 0].reduce((sum, s) => sum + (((a >> s) & 255) - ((b >> s) & 255)) ** 2, 0);
    // The most frequent colours, each unlike those already kept, so a thin line's colour stays.
    const kept = [];
    for (const c of [...count.keys()].sort((a, b) => count.get(b) - count.get(a))) {
      if (kept.length < n && kept.every((k) => distance(c, k) > 1200)) kept.push(c);
    }
    const nearest = new Map();
    for (const c of count.keys()) {
      nearest.set(c, kept.reduce((best, k, i) => (distance(c, k) < distance(c, kept[best]) ? i : best), 0));
    }
    let indices = '';
    for (let i = 0; i < rgba.length; i += 4) indices += String.fromCharCode(nearest.get(rgb(i)));
    return { width: bitmap.width, height: bitmap.height, palette: kept, pixels: btoa(indices) };
  }, [shot, colours]);
  const indices = Buffer.from(pixels, 'base64');
  const rows = [];
  for (let y = 0; y < height; y++) rows.push(Buffer.from([0]), indices.subarray(y * width, (y + 1) * width));
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 3, 0, 0, 0], 8);  // 8-bit indices into a palette, no interlace
  const plte = Buffer.from(palette.flatMap((c) => [c >> 16, (c >> 8) & 255, c & 255]));
  fs.writeFileSync(file, Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header), chunk('PLTE', plte),
    chunk('IDAT', zlib.deflateSync(Buffer.concat(rows), { level: 9 })),
    chunk('IEND', Buffer.alloc(0)),
  ]));
}

module.exports = { savePageImage };
