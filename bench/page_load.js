'use strict';
// Time to the first prompt in the browser, and the bytes of the page.
//
//   node bench/page_load.js SITE NODE_MODULES [LOADS]
//
// In one headless chromium session (Debian's), loads two pages from a local
// static server, LOADS times each (20 unless given), interleaved: the simeq
// page, and a floor page that writes the same banner and menu prompt into
// the same terminal (web/terminal.js, xterm.js) with no WebAssembly. Each
// load is timed from navigation to the first frame whose screen shows the
// prompt. Prints both medians and their ratio, and the bytes of simeq's own
// files in the site (all but the terminal library). Measures; checks nothing.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { launchChromium, serve } = require('../tests/web/browser.js');

const [site, modules, loadsArgument] = process.argv.slice(2);
const loads = Number(loadsArgument || 20);
const transcript = path.join(__dirname, '..', 'tests', 'transcripts', 'driver_choice_3.out');
const promptEnd = "'1 And 2' --> ";

// The floor page: the banner and prompt, from the transcript, written as
// soon as the terminal is open.
function floorPage() {
  const text = fs.readFileSync(transcript, 'latin1');
  const banner = text.slice(0, text.indexOf(promptEnd) + promptEnd.length);
  return `<!doctype html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<link rel="stylesheet" href="xterm.css"><link rel="stylesheet" href="simeq.css"></head>
<body><main id="page"><div id="terminal"></div></main>
<script src="xterm.js"></script><script src="terminal.js"></script>
<script>createTerminal(document.getElementById('terminal')).write(${JSON.stringify(banner)});</script>
</body></html>
`;
}

// Milliseconds from navigation to the first frame with the prompt on screen.
async function timeToPrompt(context, url) {
  const page = await context.newPage();
  await page.goto(url, { waitUntil: 'commit' });
  const at = await page.waitForFunction((end) => {
    const rows = document.querySelector('.xterm-rows');
    return rows && rows.textContent.includes(end) && performance.now();
  }, promptEnd, { polling: 'raf' });
  const ms = await at.jsonValue();
  await page.close();
  return ms;
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

(async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'simeq-bench-'));
  fs.cpSync(site, folder, { recursive: true });
  fs.writeFileSync(path.join(folder, 'floor.html'), floorPage());
  const own = fs.readdirSync(site).filter((name) => !name.startsWith('xterm.'));
  const bytes = own.reduce((sum, name) => sum + fs.statSync(path.join(site, name)).size, 0);
  const server = await serve(folder);
  const browser = await launchChromium(modules);
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  const times = { simeq: [], floor: [] };
  try {
    await timeToPrompt(context, server.base + 'index.html');  // warm-up, not counted
    await timeToPrompt(context, server.base + 'floor.html');
    for (let i = 0; i < loads; i++) {
      const order = i % 2 ? ['floor', 'simeq'] : ['simeq', 'floor'];
      for (const which of order) {
        times[which].push(await timeToPrompt(context, server.base + (which === 'simeq' ? 'index.html' : 'floor.html')));
      }
    }
  } finally {
    await browser.close();
    server.stop();
    fs.rmSync(folder, { recursive: true, force: true });
  }
  const simeq = median(times.simeq);
  const floor = median(times.floor);
  console.log(`time to the first prompt, median of ${loads} loads: simeq ${simeq.toFixed(1)} ms, floor ${floor.toFixed(1)} ms, ratio ${(simeq / floor).toFixed(3)}`);
  console.log(`simeq's own files (${own.sort().join(' ')}): ${bytes} bytes`);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
