'use strict';
// Time to the first prompt in the browser, and the bytes of the page.
//
//   node bench/page_load.js SITE NODE_MODULES [LOADS]
//
// In one headless chromium session (Debian's), loads two pages from a local
// static server, LOADS times each (20 unless given), interleaved: the simeq
// page, and a floor page that writes the same banner and menu prompt into
// the same terminal with no WebAssembly: the simeq page as the site has it
// (its stylesheets and markup, the graph as drawn at the first prompt, so
// that the terminal has the same size) with no script but the terminal's
// (xterm.js, web/terminal.js). Each load is timed from navigation to the
// frame that first shows the prompt. Prints both medians and their
// ratio, and the bytes of simeq's own files in the site (all but the
// terminal library). Measures; checks nothing.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { launchChromium, serve } = require('../tests/web/browser.js');

const [site, modules, loadsArgument] = process.argv.slice(2);
const loads = Number(loadsArgument || 20);
const transcript = path.join(__dirname, '..', 'tests', 'transcripts', 'driver_choice_3.out');
const promptEnd = "'1 And 2' --> ";

// The floor page made from the site's `index` and `graph`, the inside of the
// graph's section at the first prompt: the banner and prompt, from the
// transcript, written into the terminal by a script after the page's own.
function floorPage(index, graph) {
  const text = fs.readFileSync(transcript, 'latin1');
  const banner = text.slice(0, text.indexOf(promptEnd) + promptEnd.length);
  const write = `<script>createTerminal(document.getElementById('terminal')).write(${JSON.stringify(banner)});</script>`;
  const kept = [' src="xterm.js"', ' data-file="terminal.js"'];
  return index
    .replace(/<script([^>]*)>[\s\S]*?<\/script>\n?/g, (tag, attributes) => (kept.includes(attributes) ? tag : ''))
    .replace('</body>', `${write}\n</body>`)
    .replace(/(<section id="graph"[^>]*>)<\/section>/, (tag, start) => `${start}${graph}</section>`);
}

// Milliseconds from navigation to the frame that first shows the prompt,
// and what the graph's section holds then. The terminal draws its rows in an
// animation frame, which is painted once drawn: the time is taken when the
// prompt enters the rows, by an observer that is there before the page's
// own scripts. (A check in an animation frame of its own would run before or
// after the terminal's, by the order in which the two were asked for, and so
// see the prompt a frame late some of the time.)
async function timeToPrompt(context, url) {
  const page = await context.newPage();
  await page.addInitScript((end) => {
    const observer = new MutationObserver(() => {
      const rows = document.querySelector('.xterm-rows');
      if (!rows || !rows.textContent.includes(end)) return;
      window.promptShownAt = performance.now();
      observer.disconnect();
    });
    observer.observe(document, { childList: true, subtree: true, characterData: true });
  }, promptEnd);
  await page.goto(url, { waitUntil: 'commit' });
  const ms = await (await page.waitForFunction(() => window.promptShownAt)).jsonValue();
  const graph = await page.evaluate(() => document.getElementById('graph').innerHTML);
  await page.close();
  return { ms, graph };
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

(async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'simeq-bench-'));
  fs.cpSync(site, folder, { recursive: true });
  const own = fs.readdirSync(site).filter((name) => !name.startsWith('xterm.'));
  const bytes = own.reduce((sum, name) => sum + fs.statSync(path.join(site, name)).size, 0);
  const server = await serve(folder);
  const browser = await launchChromium(modules);
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  const times = { simeq: [], floor: [] };
  try {
    // Warm-up loads, not counted; the first gives the floor its graph.
    const { graph } = await timeToPrompt(context, server.base + 'index.html');
    const index = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
    fs.writeFileSync(path.join(folder, 'floor.html'), floorPage(index, graph));
    await timeToPrompt(context, server.base + 'floor.html');
    for (let i = 0; i < loads; i++) {
      const order = i % 2 ? ['floor', 'simeq'] : ['simeq', 'floor'];
      for (const which of order) {
        const { ms } = await timeToPrompt(context, server.base + (which === 'simeq' ? 'index.html' : 'floor.html'));
        times[which].push(ms);
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
