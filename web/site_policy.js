'use strict';
// The page's Content-Security-Policy, made from the page itself: the page
// loads nothing but its own files and connects to nothing. Its inline
// scripts and stylesheets are allowed by the sha256 of their text, so the
// build writes the policy last, into the page as it will be served.

const crypto = require('node:crypto');

// The sources, 'sha256-...' each, of the inline `element`s (script or style)
// of `html`: their text exactly as it stands between the tags.
function inlineHashes(html, element) {
  const pattern = new RegExp(`<${element}(\\s[^>]*)?>([\\s\\S]*?)</${element}>`, 'gi');
  return [...html.matchAll(pattern)]
    .filter(([, attributes = '']) => !/\ssrc=/i.test(attributes))
    .map(([, , text]) => crypto.createHash('sha256').update(text, 'utf8').digest('base64'))
    .map((hash) => `'sha256-${hash}'`);
}

// The policy for `html`. Scripts: the site's own files, the page's inline
// ones, and WebAssembly compiled from the program's module. Styles: the
// inline ones, and the site's own files where the page links any. Images,
// the manifest and the service worker: the site's own files. Nothing else:
// no connection, no plugin, no frame, no form sent, no other base address.
function policyFor(html) {
  const ownStyleFiles = /<link\s[^>]*rel="stylesheet"/i.test(html) ? ["'self'"] : [];
  const directives = [
    ['default-src', "'none'"],
    ['script-src', "'self'", ...new Set(inlineHashes(html, 'script')), "'wasm-unsafe-eval'"],
    ['style-src', ...ownStyleFiles, ...new Set(inlineHashes(html, 'style'))],
    ['img-src', "'self'"],
    ['connect-src', "'none'"],
    ['object-src', "'none'"],
    ['base-uri', "'none'"],
    ['form-action', "'none'"],
    ['worker-src', "'self'"],
    ['manifest-src', "'self'"],
  ];
  const full = directives.map((words) => (words.length > 1 ? words : [...words, "'none'"]));
  return full.map((words) => words.join(' ')).join('; ');
}

// `html` with its policy in a meta element right after <meta charset>, so
// that it governs everything that follows.
function withPolicy(html) {
  const charset = /<meta charset="utf-8">\n?/i.exec(html);
  if (!charset) throw new Error('the page has no <meta charset="utf-8"> to put its policy after');
  const meta = `<meta http-equiv="Content-Security-Policy" content="${policyFor(html)}">\n`;
  const at = charset.index + charset[0].length;
  return html.slice(0, at) + meta + html.slice(at);
}

module.exports = { policyFor, withPolicy };
