'use strict';
// Makes the site from the page's sources: one file, index.html, with the page's own stylesheets
// and scripts inlined and minified, the program's loader (emscripten's simeq.js) inlined the
// same way, and its module, simeq.wasm, gzipped, in base64, in the data block that names it.
//
//   NODE_PATH=/usr/share/nodejs node build_site.js EMSCRIPTEN SOURCES PROGRAM SITE
//
// EMSCRIPTEN is emscripten's folder, SOURCES web/, PROGRAM the folder with emscripten's simeq.js
// and simeq.wasm, SITE the folder to fill (it is emptied first). A stylesheet link or a script
// with a src, whatever the order of its attributes, is replaced by the file's text; the build
// fails if the page would still name a local file, since the site would then be incomplete.
// Each inlined script keeps its file's name in data-file.
//
// One file, because on a slow network each request before the first prompt costs a round trip.
// The scripts are minified with what emscripten uses for its own output: acorn (Debian's
// node-acorn, found through NODE_PATH as emscripten finds it) parses, emscripten's copy of
// terser renames the local names and prints without blanks or comments. The names at the top
// of each script are left as they are, since the page's scripts share them. The stylesheets
// lose their comments and blanks. The module is gzipped with a fixed header (no name, no time),
// so the same module always gives the same page.

const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');

const acorn = require('acorn');

const [emscripten, sources, program, site] = process.argv.slice(2);
const terser = require(path.join(emscripten, 'third_party', 'terser', 'terser.js'));

// Syntax this terser (3.14) cannot take: it fails on the node types, and would drop a BigInt
// literal without a word.
const unsupported = ['ChainExpression', 'PropertyDefinition', 'PrivateIdentifier', 'StaticBlock',
  'ImportExpression'];

// The first node in `tree` (acorn's) that the minifier cannot take.
function unsupportedIn(tree) {
  if (!tree || typeof tree !== 'object') return null;
  if (unsupported.includes(tree.type)) return tree;
  if (tree.type === 'Literal' && tree.bigint !== undefined) return tree;
  if (tree.type === 'CatchClause' && !tree.param) return { ...tree, type: 'a nameless catch' };
  for (const value of Object.values(tree)) {
    const found = unsupportedIn(value);
    if (found) return found;
  }
  return null;
}

// `code` without comments, blanks and long local names; anything but ASCII written as an escape.
function minifyScript(code, name) {
  const parsed = acorn.parse(code, { ecmaVersion: 2022, sourceType: 'script', locations: true });
  const bad = unsupportedIn(parsed);
  if (bad) {
    const what = bad.bigint ? 'a BigInt literal' : bad.type;
    throw new Error(`${name}:${bad.loc.start.line}: ${what}: ` +
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
  if (new RegExp(`</${element}|<!--`, 'i').test(text)) {
    throw new Error(`${name}: cannot be inlined`);
  }
  return text;
}

// The attributes of the start tag `tag`, by lower-case name, with their values unquoted.
function attributes(tag) {
  const found = {};
  const pattern = /([^\s"'<>/=]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'=<>`]+)))?/g;
  const inside = tag.replace(/^<[a-z]+|\/?>$/gi, '');
  for (const [, name, double, single, bare] of inside.matchAll(pattern)) {
    found[name.toLowerCase()] = double ?? single ?? bare ?? '';
  }
  return found;
}

// The file that the page names `name`: the page's own, or the program's.
function source(name) {
  for (const folder of [sources, program]) {
    const file = path.join(folder, name);
    if (!name.includes('/') && fs.existsSync(file)) return file;
  }
  throw new Error(`index.html names ${name}, which is neither in ${sources} nor in ${program}`);
}

// The module, gzipped with no name and no time in its header, in base64.
function packedModule(name) {
  return zlib.gzipSync(fs.readFileSync(source(name)), { level: 9 }).toString('base64');
}

// The page with every stylesheet and script it names put into it.
function inlined(page) {
  return page
    .replace(/<link\b[^>]*>/gi, (tag) => {
      const { rel, href } = attributes(tag);
      if (!href || (rel || '').toLowerCase() !== 'stylesheet') return tag;
      const css = minifyStyle(fs.readFileSync(source(href), 'utf8'));
      return `<style>${inline(css, 'style', href)}</style>`;
    })
    .replace(/<script\b[^>]*>\s*<\/script>/gi, (tag) => {
      const { src, id, type } = attributes(tag.slice(0, tag.indexOf('>') + 1));
      if (!src) return tag;
      if (type === 'application/octet-stream') {
        return `<script id="${id}" type="${type}">${packedModule(src)}</script>`;
      }
      const code = inline(minifyScript(fs.readFileSync(source(src), 'utf8'), src), 'script', src);
      return `<script data-file="${src}">${code}</script>`;
    });
}

// Every reference in `page` to a file of the site's own (not a fragment, not a URL with a
// scheme), outside the text of its scripts and stylesheets.
function localReferences(page) {
  const tags = page.replace(/(<(script|style)\b[^>]*>)[\s\S]*?(<\/\2>)/gi, '$1$3')
    .replace(/<!--[\s\S]*?-->/g, '');
  const names = [];
  for (const [tag] of tags.matchAll(/<[a-z][^>]*>/gi)) {
    const found = attributes(tag);
    for (const name of ['src', 'href', 'srcset', 'poster', 'data', 'action']) {
      const value = found[name];
      if (value !== undefined && !/^(#|[a-z][a-z0-9+.-]*:)/i.test(value.trim())) names.push(value);
    }
  }
  return names;
}

fs.rmSync(site, { recursive: true, force: true });
fs.mkdirSync(site, { recursive: true });
const page = inlined(fs.readFileSync(path.join(sources, 'index.html'), 'utf8')
  .replace(/<!--[\s\S]*?-->\n?/g, '')
  .replace(/^[ \t]+(?=<)/gm, ''));
const missing = localReferences(page).filter((name) => !fs.existsSync(path.join(site, name)));
if (missing.length > 0) {
  throw new Error(`index.html would still name ${missing.join(', ')}, which the site lacks`);
}
fs.writeFileSync(path.join(site, 'index.html'), page);
