'use strict';
// Time to the first prompt in the browser, and the bytes of the site.
//
//   node bench/page_load.js SITE NODE_MODULES [LOADS]
//
// In one headless chromium session (Debian's), loads two pages from a local static server,
// LOADS times each (20 unless given), interleaved: the simeq page, and the floor page, the
// site's index.html with no script at all (its HTML and stylesheets, the banner and menu prompt
// as static text in #console). Two kinds of load:
//   cold: a phone-class device, 390 px wide, chromium's Fast 3G (562.5 ms round trip,
//         1.44 Mb/s down), the CPU slowed 4 times, no cache;
//   warm: after one visit, the cache kept, the CPU slowed 4 times, a 1280 px window.
// Each load is timed from navigation to the frame that first shows the prompt (an observer,
// there before the page's own scripts, sees the prompt enter #console and notes the next
// animation frame, and tells it through the console), the same way for both pages. For simeq
// it also notes when the program itself waits for the first line (data-state="input"): until
// then a line typed is kept for the program, which has not started. Prints the medians, the
// ratios to the floor, the requests before the first prompt and the site's bytes. Measures;
// checks nothing.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { launchChromium, serve } = require('../tests/web/browser.js');

const [site, modules, loadsArgument] = process.argv.slice(2);
const loads = Number(loadsArgument || 20);
const promptEnd = "'1 And 2' --> ";

const kinds = {
  cold: {
    context: { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true,
      hasTouch: true },
    network: { offline: false, latency: 562.5, downloadThroughput: 180000,
      uploadThroughput: 84375 },
    cache: false,
  },
  warm: { context: { viewport: { width: 1280, height: 800 } }, network: null, cache: true },
};

// The floor page: the site's `index` with every script element taken out.
const floorPage = (index) => index.replace(/<script\b[^>]*>[\s\S]*?<\/script>\n?/g, '');

// Milliseconds from navigation to the frame that shows the prompt, to the program's first read
// (null for the floor), and the requests made until the prompt was shown.
async function timeToPrompt(context, url, kind) {
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', { cacheDisabled: !kind.cache });
  if (kind.network) await cdp.send('Network.emulateNetworkConditions', kind.network);
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
  let requests = 0;
  page.on('request', () => { requests++; });
  // The page tells its times through the console: waiting for them with page.waitForFunction
  // would put playwright's own script into the page, on its main thread, while it loads.
  const told = (what) => page.waitForEvent('console', {
    predicate: (message) => message.text().startsWith(`${what} `), timeout: 60000,
  }).then((message) => Number(message.text().split(' ')[1]));
  const shownTold = told('shown');
  const readyTold = url.endsWith('floor.html') ? null : told('ready');
  await page.addInitScript((end) => {
    let seen = false;
    let ready = false;
    const observer = new MutationObserver(() => {
      const working = document.getElementById('console');
      if (!seen && working && working.textContent.includes(end)) {
        seen = true;
        requestAnimationFrame(() => console.log(`shown ${performance.now()}`));
      }
      if (!ready && document.body && document.body.dataset.state === 'input') {
        ready = true;
        console.log(`ready ${performance.now()}`);
      }
    });
    observer.observe(document, { childList: true, subtree: true, characterData: true,
      attributes: true, attributeFilter: ['data-state'] });
  }, promptEnd);
  await page.goto(url, { waitUntil: 'commit' });
  const shown = await shownTold;
  const before = requests;
  const ready = readyTold && await readyTold;
  await cdp.detach();
  await page.close();
  return { shown, ready, requests: before };
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

(async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'simeq-bench-'));
  fs.cpSync(site, folder, { recursive: true });
  const files = fs.readdirSync(site);
  const bytes = files.reduce((sum, name) => sum + fs.statSync(path.join(site, name)).size, 0);
  fs.writeFileSync(path.join(folder, 'floor.html'),
    floorPage(fs.readFileSync(path.join(site, 'index.html'), 'utf8')));
  const server = await serve(folder);
  const browser = await launchChromium(modules);
  const pages = { simeq: server.base + 'index.html', floor: server.base + 'floor.html' };
  try {
    for (const [name, kind] of Object.entries(kinds)) {
      const context = await browser.newContext(kind.context);
      const times = { simeq: [], floor: [] };
      let ready = [];
      let requests = 0;
      // One visit each first, not counted: the warm loads find the cache filled.
      for (const which of ['simeq', 'floor']) await timeToPrompt(context, pages[which], kind);
      for (let i = 0; i < loads; i++) {
        for (const which of i % 2 ? ['floor', 'simeq'] : ['simeq', 'floor']) {
          const load = await timeToPrompt(context, pages[which], kind);
          times[which].push(load.shown);
          if (which === 'simeq') {
            ready.push(load.ready);
            requests = load.requests;
          }
        }
      }
      await context.close();
      const [simeq, floor] = [median(times.simeq), median(times.floor)];
      ready = median(ready);
      console.log(`${name}, median of ${loads} loads: prompt shown: ` +
        `simeq ${simeq.toFixed(0)} ms, ` +
        `floor ${floor.toFixed(0)} ms, ratio ${(simeq / floor).toFixed(3)}; program reading: ` +
        `${ready.toFixed(0)} ms, ${(ready / floor).toFixed(3)} times the floor; ` +
        `${requests} request(s) before the prompt`);
    }
  } finally {
    await browser.close();
    server.stop();
    fs.rmSync(folder, { recursive: true, force: true });
  }
  console.log(`the site (${files.sort().join(' ')}): ${bytes} bytes`);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
