'use strict';
// PNG files of indexed colour, as the page's icons and the README's
// screenshot are written: 8-bit indices into a palette, each row filtered by
// its difference from the row above (which suits flat colour), deflated by
// node's zlib. The same pixels give the same bytes.

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

// The PNG file of a `width` by `height` image whose pixels are `indices`
// (a byte each, row by row) into `palette`, colours as 0xRRGGBB; `alpha`,
// if given, is each palette colour's opacity (0 to 255).
function indexedPng(width, height, indices, palette, alpha = null) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 3, 0, 0, 0], 8);  // 8-bit indices into a palette, no interlace
  const rows = Buffer.alloc(height * (width + 1));
  for (let y = 0; y < height; y++) {
    rows[y * (width + 1)] = 2;  // "Up"
    for (let x = 0; x < width; x++) {
      const above = y ? indices[(y - 1) * width + x] : 0;
      rows[y * (width + 1) + 1 + x] = (indices[y * width + x] - above) & 0xff;
    }
  }
  const plte = Buffer.from(palette.flatMap((c) => [(c >>> 16) & 255, (c >>> 8) & 255, c & 255]));
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header), chunk('PLTE', plte),
    ...(alpha ? [chunk('tRNS', Buffer.from(alpha))] : []),
    chunk('IDAT', zlib.deflateSync(rows, { level: 9 })),
    chunk('IEND', Buffer.alloc(0)),
  ]);
}

module.exports = { indexedPng };
