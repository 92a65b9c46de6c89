'use strict';
// What the browser test and the page-load benchmark share: Debian's
// chromium through playwright-core, and python3's static server.

const { spawn } = require('node:child_process');
const path = require('node:path');

// Starts headless chromium through the playwright-core in `modules` (a
// node_modules folder); playwright gives it a fresh profile of its own.
function launchChromium(modules) {
  const { chromium } = require(path.resolve(modules, 'playwright-core'));
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run', '--disable-gpu', '--disable-quic'],
  });
}

// Serves `folder` on 127.0.0.1 at a free port; resolves with the base URL
// and a function that stops the server.
function serve(folder) {
  return new Promise((resolve, reject) => {
    const server = spawn('python3',
      ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', folder],
      { stdio: ['ignore', 'pipe', 'ignore'] });
    server.on('error', reject);
    server.stdout.on('data', (data) => {
      const port = /port (\d+)/.exec(String(data));
      if (port) resolve({ base: `http://127.0.0.1:${port[1]}/`, stop: () => server.kill() });
    });
  });
}

module.exports = { launchChromium, serve };
