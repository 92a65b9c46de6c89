'use strict';
// The page's service worker, where the page is served over http(s): it keeps
// the files of one release of the site on the first visit and serves them
// from then on, so the page loads and runs with the network off.
//
// The build puts the release before this script (site_release.js):
// `release.hash`, named from the site's content, and `release.files`, each
// file's name and the base64 sha256 of its bytes. A new worker fetches every
// file afresh (past the browser's HTTP cache) and keeps them only if each is
// the one its release names, so a site caught halfway through an upload is
// not kept and the next visit tries again. It serves only from its own
// release's cache, and takes over only once no page of the older worker is
// open (no skipWaiting): a page never runs a mix of two releases. Once it has
// taken over, the caches of older releases in its folder are removed (copies
// of the page in other folders of the same host keep theirs). It asks the
// network for nothing but the site's own files, and answers nothing else.

const scope = self.registration.scope;
const cacheName = `simeq ${scope} ${release.hash}`;

// The base64 sha256 of `bytes`.
async function digestOf(bytes) {
  const hash = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return btoa(String.fromCharCode(...hash));
}

// Fetches every file of the release, checks it, and keeps them all in the
// release's cache; fails, keeping nothing, if any is missing or another.
async function keepRelease() {
  try {
    const fetched = await Promise.all(Object.entries(release.files).map(async ([name, digest]) => {
      const response = await fetch(name, { cache: 'reload' });
      if (!response.ok) throw new Error(`${name}: HTTP ${response.status}`);
      if ((await digestOf(await response.clone().arrayBuffer())) !== digest) {
        throw new Error(`${name} is not the one of release ${release.hash}`);
      }
      return [name, response];
    }));
    const cache = await caches.open(cacheName);
    await Promise.all(fetched.map(([name, response]) => cache.put(name, response)));
    await cache.put(scope, await cache.match('index.html'));  // the folder is its page
  } catch (error) {
    await caches.delete(cacheName);
    throw error;
  }
}

// Removes the caches of this folder's other releases.
async function removeOlderReleases() {
  const names = await caches.keys();
  const older = names.filter((name) => name.startsWith(`simeq ${scope} `) && name !== cacheName);
  await Promise.all(older.map((name) => caches.delete(name)));
}

// The release's file that `url` names (the folder itself is index.html), or
// null for anything else.
function fileOf(url) {
  const { origin, pathname } = new URL(url);
  const folder = new URL(scope);
  if (origin !== folder.origin || !pathname.startsWith(folder.pathname)) return null;
  const name = pathname.slice(folder.pathname.length) || 'index.html';
  return Object.prototype.hasOwnProperty.call(release.files, name) ? name : null;
}

// Where the browser can (chromium's static routes), it takes the release's files from the cache
// itself, without starting this worker at all: a load is then as quick as from its own cache.
// A request the routes do not name (another method, a query) comes to the fetch handler, as
// every request does where the browser has no routes or refuses these.
function routeToCache(event) {
  const refused = (error) => console.warn(`simeq: the browser refused the routes: ${error}`);
  if (!event.addRoutes || !self.URLPattern) return null;
  const paths = ['', ...Object.keys(release.files)].map((name) => new URL(name, scope).pathname);
  try {
    return event.addRoutes(paths.map((pathname) => ({
      condition: { urlPattern: new URLPattern({ pathname, search: '' }), requestMethod: 'GET' },
      source: { cacheName },
    }))).catch(refused);
  } catch (error) {
    return refused(error);
  }
}

self.addEventListener('install', (event) => {
  event.waitUntil(Promise.all([routeToCache(event), keepRelease()]));
});

self.addEventListener('activate', (event) => event.waitUntil(removeOlderReleases()));

self.addEventListener('fetch', (event) => {
  const name = event.request.method === 'GET' && fileOf(event.request.url);
  if (!name) return;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(name))
    .then((kept) => kept || fetch(event.request)));
});
