'use strict';
// ESLint's recommended rules over the JavaScript of web/, tests/web/ and bench/ (.ci/lint.sh runs
// it, with ESLint and these modules from web/package-lock.json, found through NODE_PATH).
//
// The page's scripts are classic scripts that share their top-level names: each is checked with
// the browser's globals and the names the other page scripts declare, and its own top-level names
// are not reported as unused, since other scripts use them. The tests and the benchmark run under
// node and hand functions to the browser (page.evaluate), so they see both sets of globals.

const fs = require('node:fs');
const path = require('node:path');

const js = require('@eslint/js');
const globals = require('globals');

const web = path.join(__dirname, 'web');
// Not page scripts: the site's builder and its modules run under node; run_main.js is linked
// inside emscripten's loader; sw.js is the page's service worker.
const builder = ['build_site.js', 'site_policy.js', 'site_release.js'];
const linkedIntoLoader = 'run_main.js';
const worker = 'sw.js';
const pageScripts = fs.readdirSync(web)
  .filter((name) => name.endsWith('.js') && ![...builder, linkedIntoLoader, worker].includes(name));

// The names a page script declares at its top level.
function topLevelNames(name) {
  const text = fs.readFileSync(path.join(web, name), 'utf8');
  const declaration = /^(?:function|const|let|var|class)\s+([A-Za-z_$][\w$]*)/gm;
  return [...text.matchAll(declaration)].map((match) => match[1]);
}

// Globals that the other page scripts declare, for one of them.
function sharedNames(name) {
  const names = pageScripts.filter((other) => other !== name).flatMap(topLevelNames);
  return Object.fromEntries(names.map((shared) => [shared, 'readonly']));
}

// Globals that come from the site rather than from a page script: the module in base64, which
// emscripten's loader, which the site's builder puts into the page.
const fromTheSite = { createSimeqModule: 'readonly' };

module.exports = [
  js.configs.recommended,
  {
    files: ['**/*.js'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'commonjs', globals: globals.node },
  },
  ...pageScripts.map((name) => ({
    files: [`web/${name}`],
    languageOptions: {
      sourceType: 'script',
      globals: { ...globals.browser, ...fromTheSite, ...sharedNames(name) },
    },
    rules: { 'no-unused-vars': ['error', { vars: 'local' }] },
  })),
  {
    // These are also modules under node, for their tests.
    files: ['web/graph_model.js', 'web/console_input.js', 'web/run_link.js'],
    languageOptions: { globals: { module: 'writable' } },
  },
  {
    files: [`web/${linkedIntoLoader}`],
    languageOptions: {
      sourceType: 'script',
      globals: { Module: 'writable', _main: 'readonly', Asyncify: 'readonly' },
    },
  },
  {
    // The worker's release is the line the site's builder writes before it.
    files: [`web/${worker}`],
    languageOptions: {
      sourceType: 'script', globals: { ...globals.serviceworker, release: 'readonly' },
    },
  },
  {
    files: ['tests/web/**/*.js', 'bench/**/*.js'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
  {
    // Lines within 100 columns.
    files: ['**/*.js'],
    rules: { 'max-len': ['error', { code: 100 }] },
  },
];
