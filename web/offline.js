'use strict';
// Where the page is served over http(s), the service worker (sw.js) keeps
// the site's files for the visits that follow, so the page loads and runs
// with the network off. Opened from a file, the page has no worker and
// needs none. It registers once the page has loaded, so as not to compete
// with the first prompt.
if ('serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
  addEventListener('load', () => {
    navigator.serviceWorker.register('sw.js').catch((error) => {
      console.warn(`simeq will not work offline here: ${error.message}`);
    });
  });
}
