'use strict';
// The browser test's rows for what the page promises beyond its runs: it
// works offline once served, a new release replaces the old one whole, it
// can be installed (manifest and icons), its policy refuses a connection,
// axe-core finds nothing wrong at any state, and Tab reaches every button.
//
// Each row is `async (t) => [actual, expected]`, where `t` holds what the
// browser test has: { url, site, modules, open(context, url),
// newContext(options, violationsExpected), untilKeyWait(page, input),
// pressKey(page), tabOrder: { key, ended } }; rows marked `http` run only
// from a server.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { serve } = require('./browser.js');
const { policyViolations, axeViolations } = require('./page_checks.js');
const { writeWorker } = require('../../web/site_release.js');

const PHONE = {
  viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true,
};
const DESKTOP = { viewport: { width: 1280, height: 800 } };

// Resolves once a service worker controls pages of `page`'s folder; fails after 30 s.
const workerReady = (page) => page.evaluate(() => Promise.race([
  navigator.serviceWorker.ready.then(() => true),
  new Promise((resolve, reject) => setTimeout(() => reject(new Error('no service worker')), 30000)),
]));

// Once `page` has had its service worker take over, cuts the network of
// `context`: what the browser test does after its first page from a server.
async function goOffline(context, page) {
  await workerReady(page);
  await context.setOffline(true);
}

// The width and height in a PNG file's header.
const pngSize = (bytes) => `${bytes.readUInt32BE(16)}x${bytes.readUInt32BE(20)}`;

// The manifest as chromium reads it, whether the page can be installed, and
// each icon as it loads: [src, HTTP status, type, size in its header].
async function manifestAndIcons(t) {
  const context = await t.newContext();
  const page = await t.open(context, t.url);
  await workerReady(page);
  const cdp = await context.newCDPSession(page);
  const { url, errors } = await cdp.send('Page.getAppManifest');
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  const manifest = await (await context.request.get(url)).json();
  const icons = [];
  for (const icon of manifest.icons) {
    const response = await context.request.get(new URL(icon.src, url).href);
    const body = await response.body();
    icons.push([icon.src, response.status(), response.headers()['content-type'], pngSize(body)]);
  }
  await context.close();
  const fields = ['name', 'short_name', 'description', 'display', 'start_url', 'scope']
    .map((field) => typeof manifest[field]);
  // Playwright's contexts are chromium's off-the-record ones, where nothing
  // is installed; that is the test's doing, not the page's.
  const refusals = installabilityErrors.map(({ errorId }) => errorId)
    .filter((id) => id !== 'in-incognito');
  return [
    [errors, refusals, fields, new URL(manifest.scope, url).href, icons],
    [[], [], fields.map(() => 'string'), new URL('./', t.url).href, manifest.icons.map(
      ({ src, sizes }) => [src, 200, 'image/png', sizes])],
  ];
}

// A copy of the site in a folder of its own under a served root, so that a
// page outside the site's scope can watch its service worker.
async function servedCopy(site) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'simeq-site-'));
  const folder = path.join(root, 'site');
  fs.cpSync(site, folder, { recursive: true });
  const server = await serve(root);
  return {
    folder, base: server.base, url: `${server.base}site/index.html`,
    stop() { server.stop(); fs.rmSync(root, { recursive: true, force: true }); },
  };
}

// Whether a page runs the new release, by its title.
const releaseShown = (page) => page.evaluate(() => document.title.startsWith('2 '));

// A site served once, then replaced by a new release: a page open meanwhile
// keeps the old one; once no page of it is left and the new worker
// has taken over, pages get the new one, with the network on, and off (at
// the folder's address, where an installed page starts),
// and only the new release's cache is left, holding just the site's files.
async function updatedSite(t) {
  const copy = await servedCopy(t.site);
  const context = await t.newContext();
  try {
    const first = await t.open(context, copy.url);
    await workerReady(first);
    await first.close();
    const index = path.join(copy.folder, 'index.html');
    fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('<title>', '<title>2 '));
    writeWorker(copy.folder, fs.readFileSync(path.join(copy.folder, 'sw.js'), 'utf8'));
    // python's server tells times to the second and answers a check of the worker made in the
    // second of the first visit with 304 Not Modified: the new release is dated later.
    const later = Date.now() / 1000 + 5;
    for (const name of ['index.html', 'sw.js']) {
      fs.utimesSync(path.join(copy.folder, name), later, later);
    }
    const second = await t.open(context, copy.url);
    const meanwhile = await releaseShown(second);
    // The new worker, once installed, waits for the old one's last page to close. The check
    // for it is asked again every 2 s while none is installing: a check the browser made on
    // its own, or an install that failed on a busy machine, leaves nothing else to wait for.
    await second.evaluate(async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      const old = registration.active;
      const ask = () => registration.update().catch(() => {});
      for (let i = 0; !registration.waiting; i++) {
        if (i === 1200) {
          const same = registration.active === old;
          throw new Error(`no new worker installed (the same one active: ${same})`);
        }
        if (i % 40 === 0 && !registration.installing) await ask();
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
    });
    await second.close();
    const outside = await context.newPage();
    await outside.goto(copy.base);
    await outside.evaluate(async (scope) => {
      for (let i = 0; ; i++) {
        const registration = await navigator.serviceWorker.getRegistration(scope);
        if (!registration.waiting && registration.active.state === 'activated') return;
        if (i === 600) throw new Error('the new worker did not take over');
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
    }, `${copy.base}site/`);
    await outside.close();
    const third = await t.open(context, copy.url);
    const kept = await third.evaluate(async () => {
      const names = await caches.keys();
      const files = names.length === 1 ? await (await caches.open(names[0])).keys() : [];
      const paths = files.map((request) => new URL(request.url).pathname);
      return [names.length, paths.map((name) => name.replace(/^\/site\//, '')).sort()];
    });
    const after = await releaseShown(third);
    await context.setOffline(true);
    const offline = await releaseShown(await t.open(context, `${copy.base}site/`));  // start_url
    const files = fs.readdirSync(copy.folder).filter((name) => name !== 'sw.js').sort();
    return [[meanwhile, after, offline, kept],
      [false, true, true, [1, ['', ...files]]]];
  } finally {
    await context.close();
    copy.stop();
  }
}

// A fetch from the page is refused by its policy, and counted as a violation.
async function fetchRefused(t) {
  const context = await t.newContext({}, true);
  const page = await t.open(context, t.url);
  const fetched = await page.evaluate(
    () => fetch('index.html').then(() => 'fetched', () => 'refused'));
  const violations = await policyViolations(page);
  await context.close();
  const directives = violations.map((violation) => violation.split(' ')[0]);
  return [[fetched, directives], ['refused', ['connect-src']]];
}

// What axe-core finds at the first prompt, the closing wait and after the
// end of the elimination run, in a desktop window and on a phone.
async function accessible(t) {
  const found = [];
  for (const [device, options] of [['desktop', DESKTOP], ['phone', PHONE]]) {
    const context = await t.newContext(options);
    const page = await t.open(context, t.url);
    found.push([device, 'first prompt', await axeViolations(page, t.modules)]);
    await t.untilKeyWait(page, '2\n2\n3\n13\n4\n-1\n5\n');
    found.push([device, 'closing wait', await axeViolations(page, t.modules)]);
    await t.pressKey(page);
    await page.waitForFunction(() => window.simeq.state === 'ended');
    found.push([device, 'ended', await axeViolations(page, t.modules)]);
    await context.close();
  }
  return [found, found.map(([device, state]) => [device, state, []])];
}

// What has the focus in `page`, named by its id, label or text, and
// whether the focus is shown.
const focused = (page) => page.evaluate(() => {
  const element = document.activeElement;
  if (!element || element === document.body) return ['(none)', true];
  const style = getComputedStyle(element);
  const outline = style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) > 0;
  const shown = element.matches(':focus-visible') && (outline || style.boxShadow !== 'none');
  const name = element.id ? `#${element.id}`
    : element.getAttribute('aria-label') || element.textContent.trim();
  return [name, shown];
});

// Walks the focus with `key` (Tab or Shift+Tab) through `count` elements
// of `page`, passing over moments when it is outside the page.
async function walk(page, key, count) {
  const seen = [];
  for (let i = 0; i < count + 2 && seen.length < count; i++) {
    await page.keyboard.press(key);
    const [name, shown] = await focused(page);
    if (name !== '(none)') seen.push([name, shown]);
  }
  return seen;
}

// At the closing wait and after the end, from the first of the elements
// `t.tabOrder` lists for that state (the first a selector, each named as
// `focused` names it): Tab goes through the rest in order, each focus shown,
// and on past the last (out of the page, or round to the first); Shift+Tab
// goes back through them all in reverse. The run waits on meanwhile.
async function tabOrder(t) {
  const context = await t.newContext(DESKTOP);
  const page = await t.open(context, t.url);
  await t.untilKeyWait(page, '2\n2\n3\n13\n4\n-1\n5\n');
  const actual = [];
  const expected = [];
  for (const state of ['key', 'ended']) {
    if (state === 'ended') {
      await t.pressKey(page);
      await page.waitForFunction(() => window.simeq.state === 'ended');
    }
    const names = t.tabOrder[state];
    await page.focus(names[0]);
    const forward = await walk(page, 'Tab', names.length);
    const back = await walk(page, 'Shift+Tab', names.length);
    actual.push([state, forward, back, await page.evaluate(() => window.simeq.state)]);
    const order = names.map((name) => [name, true]);
    expected.push([state, [...order.slice(1), order[0]], [...order].reverse(), state]);
  }
  await context.close();
  return [actual, expected];
}

const rows = [
  { name: 'the manifest and its icons load, and the page can be installed', http: true,
    run: manifestAndIcons },
  { name: 'an updated site replaces the old one whole', http: true, run: updatedSite },
  { name: 'a fetch from the page is refused by its policy', run: fetchRefused },
  { name: 'axe finds no violation at any state, on a desktop and on a phone', run: accessible },
  { name: 'Tab and Shift+Tab reach every button in order, each focus shown, none kept',
    run: tabOrder },
];

module.exports = { rows, goOffline, workerReady };
