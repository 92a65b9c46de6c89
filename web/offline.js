'use strict';
// Where the page is served over http(s), the service worker (sw.js) keeps
// the site's files for the visits that follow, so the page loads and runs
// with the network off. Opened from a file, the page has no worker and
// needs none. It registers once the page has loaded, so as not to compete
// with the first prompt.
if ('serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
  addEventListener('load', () => {
    // The policy lets no string stand for a script's address: this one names the worker.
    const worker = window.trustedTypes
      ? trustedTypes.createPolicy('simeq-worker', { createScriptURL: () => 'sw.js' })
        .createScriptURL('')
      : 'sw.js';
    navigator.serviceWorker.register(worker).catch((error) => {
      console.warn(`simeq will not work offline here: ${error.message}`);
    });
  });
}
