'use strict';
// The release a site's service worker keeps: every file of the site but the
// worker itself, with the base64 sha256 of its bytes, and a hash of them all
// that names the release. The worker (sw.js) finds it on its first line.

const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

const WORKER = 'sw.js';

// The names of the files under `folder`, relative to it with '/', sorted.
function filesIn(folder, prefix = '') {
  return fs.readdirSync(path.join(folder, prefix), { withFileTypes: true }).flatMap((entry) => {
    const name = prefix ? `${prefix}/${entry.name}` : entry.name;
    return entry.isDirectory() ? filesIn(folder, name) : [name];
  }).sort();
}

// The release of the site in `site`: { hash, files: { name: digest } }.
function releaseOf(site) {
  const files = {};
  for (const name of filesIn(site).filter((name) => name !== WORKER)) {
    const bytes = fs.readFileSync(path.join(site, name));
    files[name] = crypto.createHash('sha256').update(bytes).digest('base64');
  }
  const whole = crypto.createHash('sha256').update(JSON.stringify(files)).digest('hex');
  return { hash: whole.slice(0, 16), files };
}

// Writes the worker `code` into `site` as sw.js, after the line that holds
// the site's release as it is now; run once every other file is written.
function writeWorker(site, code) {
  const line = `const release=${JSON.stringify(releaseOf(site))};`;
  fs.writeFileSync(path.join(site, WORKER), `${line}\n${code.replace(/^const release=.*\n/, '')}`);
}

module.exports = { releaseOf, writeWorker, WORKER };
