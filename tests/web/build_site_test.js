'use strict';
// The site's build on small pages of its own: what the page names is inlined, whatever the order
// of the attributes, and a page that would still name a local file it lacks fails the build.
//
//   NODE_PATH=/usr/share/nodejs node --test build_site_test.js   (EMSCRIPTEN in the environment)

const test = require('node:test');
const assert = require('node:assert');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const builder = path.join(__dirname, '..', '..', 'web', 'build_site.js');

// Builds a site from `page` with a stylesheet a.css and a script b.js beside it.
function build(page) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'simeq-site-'));
  fs.writeFileSync(path.join(folder, 'index.html'), page);
  fs.writeFileSync(path.join(folder, 'a.css'), 'p { color: red; }');
  fs.writeFileSync(path.join(folder, 'b.js'), "'use strict';\nconst answer = 42;\n");
  const site = path.join(folder, 'site');
  const run = spawnSync(process.execPath, [builder, process.env.EMSCRIPTEN, folder, folder, site],
    { encoding: 'utf8' });
  const built = run.status === 0 ? fs.readFileSync(path.join(site, 'index.html'), 'utf8') : null;
  fs.rmSync(folder, { recursive: true });
  return { status: run.status, built };
}

test('what the page names is inlined, whatever the order of the attributes', () => {
  const { status, built } = build(
    "<link href=a.css rel='stylesheet'><script defer src=\"b.js\"></script><a href='#x'>x</a>");
  assert.strictEqual(status, 0);
  assert.match(built, /<style>p\{color:red\}<\/style><script data-file="b.js">"use strict";/);
});

test('a page that still names a local file fails the build', () => {
  const stray = ['<img alt="" src="logo.png">', "<link rel=icon href='icon.png'>",
    '<link rel="stylesheet" href="missing.css">', '<a href="notes/other.html">x</a>'];
  for (const page of stray) assert.notStrictEqual(build(page).status, 0, page);
});
