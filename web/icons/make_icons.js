'use strict';
// Draws the page's icons: two crossing lines and the point where they meet,
// in the graph's colours on the page's dark background. Writes, into the
// folder given (this one unless another is named):
//   icon-192.png, icon-512.png   a rounded square, transparent outside it;
//   icon-maskable-512.png        the whole square filled, the drawing inside
//                                the circle a phone's mask always keeps.
// The same drawing gives the same bytes every time (png.js: node's zlib,
// no clock, no metadata), so the PNGs kept beside this file can be made
// again.
//
//   node web/icons/make_icons.js [FOLDER]

const fs = require('node:fs');
const path = require('node:path');
const { indexedPng } = require('./png.js');

const BACKGROUND = [0x10, 0x14, 0x18];
const LINES = [
  { from: [0.14, 0.69], to: [0.86, 0.33], colour: [0x00, 0x72, 0xb2] },  // Eq-1, blue
  { from: [0.27, 0.13], to: [0.71, 0.87], colour: [0xd5, 0x5e, 0x00] },  // Eq-2, vermilion
];
const LINE_WIDTH = 0.075;
const POINT = { radius: 0.065, ring: 0.03, colour: [0xe6, 0xe6, 0xe6] };
const CORNER = 0.19;      // the rounded square's corner radius
const MASK_SCALE = 0.76;  // the maskable drawing fits the central circle of radius 0.4
const SAMPLES = 4;        // per pixel and axis, for smooth edges

// Where the two lines meet.
function crossing([a, b]) {
  const d1 = [a.to[0] - a.from[0], a.to[1] - a.from[1]];
  const d2 = [b.to[0] - b.from[0], b.to[1] - b.from[1]];
  const det = d1[0] * d2[1] - d1[1] * d2[0];
  const t = ((b.from[0] - a.from[0]) * d2[1] - (b.from[1] - a.from[1]) * d2[0]) / det;
  return [a.from[0] + t * d1[0], a.from[1] + t * d1[1]];
}

// Distance from point p to the segment from a to b.
function segmentDistance(p, a, b) {
  const d = [b[0] - a[0], b[1] - a[1]];
  const along = ((p[0] - a[0]) * d[0] + (p[1] - a[1]) * d[1]) / (d[0] ** 2 + d[1] ** 2);
  const t = Math.max(0, Math.min(1, along));
  return Math.hypot(p[0] - a[0] - t * d[0], p[1] - a[1] - t * d[1]);
}

// Whether p lies in the unit square with rounded corners.
function inRoundedSquare([x, y]) {
  const cx = Math.min(Math.max(x, CORNER), 1 - CORNER);
  const cy = Math.min(Math.max(y, CORNER), 1 - CORNER);
  return Math.hypot(x - cx, y - cy) <= CORNER;
}

// The colour [r, g, b, a] of the drawing at p (unit square), before smoothing.
function colourAt(p, maskable) {
  if (!maskable && !inRoundedSquare(p)) return [0, 0, 0, 0];
  const q = maskable ? p.map((v) => 0.5 + (v - 0.5) / MASK_SCALE) : p;
  const point = crossing(LINES);
  const fromPoint = Math.hypot(q[0] - point[0], q[1] - point[1]);
  if (fromPoint <= POINT.radius) return [...POINT.colour, 255];
  if (fromPoint <= POINT.radius + POINT.ring) return [...BACKGROUND, 255];
  for (const line of [...LINES].reverse()) {
    if (segmentDistance(q, line.from, line.to) <= LINE_WIDTH / 2) return [...line.colour, 255];
  }
  return [...BACKGROUND, 255];
}

// The RGBA pixels of a `size` square image, each the mean of its samples.
function draw(size, maskable) {
  const pixels = Buffer.alloc(size * size * 4);
  for (let y = 0; y < size; y++) {
    for (let x = 0; x < size; x++) {
      const sum = [0, 0, 0, 0];
      for (let i = 0; i < SAMPLES * SAMPLES; i++) {
        const dx = ((i % SAMPLES) + 0.5) / SAMPLES;
        const dy = (Math.floor(i / SAMPLES) + 0.5) / SAMPLES;
        const p = [(x + dx) / size, (y + dy) / size];
        const [r, g, b, a] = colourAt(p, maskable);
        sum[0] += r * a;
        sum[1] += g * a;
        sum[2] += b * a;
        sum[3] += a;
      }
      const at = (y * size + x) * 4;
      for (let c = 0; c < 3; c++) pixels[at + c] = sum[3] ? Math.round(sum[c] / sum[3]) : 0;
      pixels[at + 3] = Math.round(sum[3] / (SAMPLES * SAMPLES));
    }
  }
  return pixels;
}

// The PNG file of the RGBA `pixels` of a `size` square, in a palette of the
// colours they use (a drawing this simple has far fewer than 256).
function png(size, pixels) {
  const palette = new Map();
  const indices = Buffer.alloc(size * size);
  for (let i = 0; i < indices.length; i++) {
    const colour = pixels.readUInt32BE(i * 4);
    if (!palette.has(colour)) palette.set(colour, palette.size);
    indices[i] = palette.get(colour);
  }
  if (palette.size > 256) throw new Error(`${palette.size} colours: too many for a palette`);
  const colours = [...palette.keys()];
  return indexedPng(size, size, indices, colours.map((c) => c >>> 8), colours.map((c) => c & 0xff));
}

const folder = process.argv[2] || __dirname;
const icons = [['icon-192.png', 192, false], ['icon-512.png', 512, false],
  ['icon-maskable-512.png', 512, true]];
for (const [name, size, maskable] of icons) {
  fs.writeFileSync(path.join(folder, name), png(size, draw(size, maskable)));
}
