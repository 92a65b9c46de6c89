'use strict';
// A small screenshot for the README: the page's pixels reduced to a palette
// of their most frequent distinct colours (the edges of text take the nearest)
// and written as an indexed PNG, a fraction of the size of the full-colour one.

const fs = require('node:fs');
const { indexedPng } = require('../../web/icons/png.js');

// Saves what `page` shows as an indexed PNG of at most `colours` colours.
async function savePageImage(page, file, colours = 32) {
  const shot = (await page.screenshot()).toString('base64');
  const { width, height, palette, pixels } = await page.evaluate(async ([png, n]) => {
    const bytes = Uint8Array.from(atob(png), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes]));
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    const rgba = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    const rgb = (i) => (rgba[i] << 16) | (rgba[i + 1] << 8) | rgba[i + 2];
    const count = new Map();
    for (let i = 0; i < rgba.length; i += 4) count.set(rgb(i), (count.get(rgb(i)) || 0) + 1);
    const distance = (a, b) => [16, 8, 0]
      .reduce((sum, s) => sum + (((a >> s) & 255) - ((b >> s) & 255)) ** 2, 0);
    // The most frequent colours, each unlike those already kept, so a thin line's colour stays.
    const kept = [];
    for (const c of [...count.keys()].sort((a, b) => count.get(b) - count.get(a))) {
      if (kept.length < n && kept.every((k) => distance(c, k) > 1200)) kept.push(c);
    }
    const nearest = new Map();
    for (const c of count.keys()) {
      nearest.set(c,
        kept.reduce((best, k, i) => (distance(c, k) < distance(c, kept[best]) ? i : best), 0));
    }
    let indices = '';
    for (let i = 0; i < rgba.length; i += 4) indices += String.fromCharCode(nearest.get(rgb(i)));
    return { width: bitmap.width, height: bitmap.height, palette: kept, pixels: btoa(indices) };
  }, [shot, colours]);
  fs.writeFileSync(file, indexedPng(width, height, Buffer.from(pixels, 'base64'), palette));
}

module.exports = { savePageImage };
