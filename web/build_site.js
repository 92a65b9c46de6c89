'use strict';
// Makes the site from the page's sources: index.html with the page's own
// stylesheets and scripts inlined and minified; simeq.js, the program; the
// terminal library, copied as it is; the web app manifest and its icons;
// and sw.js, the service worker, with the release it keeps
// (site_release.js).
//
//   NODE_PATH=/usr/share/nodejs node build_site.js EMSCRIPTEN SOURCES PROGRAM XTERM SITE
//
// EMSCRIPTEN is emscripten's folder, SOURCES web/, PROGRAM the folder with
// emscripten's simeq.js and simeq.wasm, XTERM the @xterm/xterm package, SITE
// the folder to fill (it is emptied first).
//
// simeq.js is made of the module, simeq.wasm, in base64 (`const simeqWasm`),
// program.js, which instantiates it, and emscripten's loader. It stays a
// file of its own: chromium compiles a large script from a file while it
// arrives, off the page's main thread, where an inline one would be
// compiled on it, and would make index.html large enough to hold back the
// page's first requests. Each inlined script keeps its file's name in
// data-file.
//
// The scripts are minified with what emscripten uses for its own output:
// acorn (Debian's node-acorn, found through NODE_PATH as emscripten finds
// it) parses, emscripten's copy of terser renames the local names and
// prints without blanks or comments. The names at the top of each script
// are left as they are, since the page's scripts share them. The
// stylesheets lose their comments and blanks.

const fs = require('node:fs');
const path = require('node:path');

const acorn = require('acorn');
const { writeWorker } = require('./site_release.js');

const [emscripten, sources, program, xterm, site] = process.argv.slice(2);
const terser = require(path.join(emscripten, 'third_party', 'terser', 'terser.js'));

// Syntax this terser (3.14) cannot take: it fails on the node types, and
// would drop a BigInt literal without a word.
const unsupported = ['ChainExpression', 'PropertyDefinition', 'PrivateIdentifier', 'StaticBlock', 'ImportExpression'];

// The first node in `tree` (acorn's) that the minifier cannot take.
function unsupportedIn(tree) {
  if (!tree || typeof tree !== 'object') return null;
  if (unsupported.includes(tree.type)) return tree;
  if (tree.type === 'Literal' && tree.bigint !== undefined) return tree;
  for (const value of Object.values(tree)) {
    const found = unsupportedIn(value);
    if (found) return found;
  }
  return null;
}

// `code` without comments, blanks and long local names; anything but ASCII
// written as an escape.
function minifyScript(code, name) {
  const parsed = acorn.parse(code, { ecmaVersion: 2022, sourceType: 'script', locations: true });
  const bad = unsupportedIn(parsed);
  if (bad) {
    throw new Error(`${name}:${bad.loc.start.line}: ${bad.bigint ? 'a BigInt literal' : bad.type}: ` +
      "the minifier (emscripten's terser 3.14) cannot take it");
  }
  const tree = terser.AST_Node.from_mozilla_ast(parsed);
  tree.figure_out_scope({});
  tree.compute_char_frequency({});
  tree.mangle_names({});
  return tree.print_to_string({ ascii_only: true });
}

// `css` without comments and blanks; quoted strings are kept as they are.
function minifyStyle(css) {
  return css.split(/("(?:[^"\\]|\\.)*"|'(?:[^'\\]|\\.)*')/).map((part, i) => {
    if (i % 2) return part;
    return part.replace(/\/\*[\s\S]*?\*\//g, '').replace(/\s+/g, ' ')
      .replace(/ ?([{};,>]) ?/g, '$1').replace(/: /g, ':').replace(/;}/g, '}');
  }).join('').trim();
}

// Text that may stand inside a <script> or <style> element.
function inline(text, element, name) {
  if (new RegExp(`</${element}|<!--`, 'i').test(text)) throw new Error(`${name}: cannot be inlined`);
  return text;
}

const script = (folder, name) => minifyScript(fs.readFileSync(path.join(folder, name), 'utf8'), name);

fs.rmSync(site, { recursive: true, force: true });
fs.mkdirSync(site, { recursive: true });
fs.copyFileSync(path.join(xterm, 'lib', 'xterm.js'), path.join(site, 'xterm.js'));
fs.copyFileSync(path.join(xterm, 'css', 'xterm.css'), path.join(site, 'xterm.css'));
const wasm = fs.readFileSync(path.join(program, 'simeq.wasm')).toString('base64');
fs.writeFileSync(path.join(site, 'simeq.js'),
  `const simeqWasm="${wasm}";\n${script(sources, 'program.js')}\n${script(program, 'simeq.js')}\n`);

const page = fs.readFileSync(path.join(sources, 'index.html'), 'utf8')
  .replace(/<!--[\s\S]*?-->\n?/g, '')
  .replace(/^[ \t]+/gm, '')
  .replace(/<link rel="stylesheet" href="([^"]+)">/g, (tag, name) => (name.startsWith('xterm.') ? tag
    : `<style>${inline(minifyStyle(fs.readFileSync(path.join(sources, name), 'utf8')), 'style', name)}</style>`))
  .replace(/<script src="([^"]+)"><\/script>/g, (tag, name) => (['xterm.js', 'simeq.js'].includes(name) ? tag
    : `<script data-file="${name}">${inline(script(sources, name), 'script', name)}</script>`));
fs.writeFileSync(path.join(site, 'index.html'), page);

// What installs the page and keeps it offline where it is served: the
// manifest, its icons, and last the service worker, which names every
// other file of the site.
fs.copyFileSync(path.join(sources, 'manifest.webmanifest'), path.join(site, 'manifest.webmanifest'));
for (const icon of fs.readdirSync(path.join(sources, 'icons')).filter((name) => name.endsWith('.png'))) {
  fs.copyFileSync(path.join(sources, 'icons', icon), path.join(site, icon));
}
writeWorker(site, script(sources, 'sw.js'));
