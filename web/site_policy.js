'use strict';
// The page's Content-Security-Policy, made from the page itself: the page
// loads nothing but its own files and connects to nothing. Its inline
// scripts and stylesheets are allowed by the sha256 of their text, so the
// build writes the policy last, into the page as it will be served.

const crypto = require('node:crypto');

// Whether a script element's `attributes` make it one that runs inline:
// no src, and no type but JavaScript's (a data block never runs).
function runsInline(attributes) {
  const type = /\stype=["']?([^"'\s>]*)/i.exec(attributes);
  const javascript = !type || /^(|module|(text|application)\/javascript)$/i.test(type[1]);
  return javascript && !/\ssrc=/i.test(attributes);
}

// The sources, 'sha256-...' each, of the inline `element`s (script or style)
// of `html` that run: their text exactly as it stands between the tags.
function inlineHashes(html, element) {
  const pattern = new RegExp(`<${element}(\\s[^>]*)?>([\\s\\S]*?)</${element}>`, 'gi');
  return [...html.matchAll(pattern)]
    .filter(([, attributes = '']) => element !== 'script' || runsInline(attributes))
    .map(([, , text]) => crypto.createHash('sha256').update(text, 'utf8').digest('base64'))
    .map((hash) => `'sha256-${hash}'`);
}

// The policy for `html`. Scripts: the page's inline ones, the site's own
// files where the page names any, and WebAssembly compiled from the
// program's module. Styles: the inline ones, and the site's own files where
// the page links any. Images, the manifest and the service worker: the
// site's own files. Nothing else: no connection, no plugin, no frame, no
// form sent, no other base address; and no string made into HTML or a
// script's address (Trusted Types), but the worker's, which offline.js
// names through the one policy allowed.
function policyFor(html) {
  const ownScriptFiles = /<script\s[^>]*src=/i.test(html) ? ["'self'"] : [];
  const ownStyleFiles = /<link\s[^>]*rel="stylesheet"/i.test(html) ? ["'self'"] : [];
  const directives = [
    ['default-src', "'none'"],
    ['script-src', ...ownScriptFiles, ...new Set(inlineHashes(html, 'script')),
      "'wasm-unsafe-eval'"],
    ['style-src', ...ownStyleFiles, ...new Set(inlineHashes(html, 'style'))],
    ['img-src', "'self'"],
    ['connect-src', "'none'"],
    ['object-src', "'none'"],
    ['base-uri', "'none'"],
    ['form-action', "'none'"],
    ['worker-src', "'self'"],
    ['manifest-src', "'self'"],
    ['require-trusted-types-for', "'script'"],
    ['trusted-types', 'simeq-worker'],
  ];
  const full = directives.map((words) => (words.length > 1 ? words : [...words, "'none'"]));
  return full.map((words) => words.join(' ')).join('; ');
}

// `html` with its policy in a meta element before anything it governs: right after <meta
// charset> (which must stay within the page's first bytes), or else at the start of <head>, or
// else of the page.
function withPolicy(html) {
  const before = [/<meta charset="utf-8">\n?/i, /<head\b[^>]*>\n?/i, /^(<!doctype[^>]*>\n?)?/i]
    .map((pattern) => pattern.exec(html)).find((found) => found);
  const meta = `<meta http-equiv="Content-Security-Policy" content="${policyFor(html)}">\n`;
  const at = before.index + before[0].length;
  return html.slice(0, at) + meta + html.slice(at);
}

module.exports = { policyFor, withPolicy };
