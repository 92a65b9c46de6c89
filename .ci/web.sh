#!/usr/bin/env bash
# The page: installs what it lacks (Debian's emscripten and chromium, the
# googletest source the unit tests are built from, python3 for the local
# server, poppler-utils to read the printed page back), then runs the web
# workflow: configure, build (which runs npm ci for the browser tests'
# pinned driver into build/web/npm), and the tests: the unit tests and the
# console's input under node, the page in chromium from file:// and from a
# local server. Last, a short run of the page-load benchmark, which
# measures and checks nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib/common.sh
ensure_packages cmake ninja-build emscripten chromium googletest python3 poppler-utils
ensure_npm

echo "== web (emscripten, node, chromium)"
cmake --workflow --preset web

echo "== page load, briefly (bench/page_load.js)"
node bench/page_load.js build/web/site build/web/npm/node_modules 3
