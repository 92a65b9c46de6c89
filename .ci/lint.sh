#!/usr/bin/env bash
# Static checks: every C and C++ file as clang-format would write it (any
# difference fails), the JavaScript of web/, tests/web/ and bench/ through
# ESLint (eslint.config.js; every finding is an error), clang-tidy on the
# sources of src/ that this platform compiles (.clang-tidy; every finding is
# an error), and the manual page as built, with its version and date filled
# in, through groff and mandoc (any warning fails). Configures the cost preset
# for its compile commands and the page. Installs the tools if they are
# missing: ESLint with npm ci from web/package-lock.json into build/lint/npm
# (the source tree is left alone).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

source .ci/lib/common.sh
ensure_packages g++ cmake ninja-build git clang-format clang-tidy groff-base mandoc
ensure_npm

echo "== clang-format"
git ls-files -z '*.cc' '*.h' '*.c' | xargs -0 clang-format --dry-run --Werror

echo "== eslint"
npm_dir=$root/build/lint/npm
# Installed afresh when the pinned versions change; installed.json, a copy
# of the lock file written once the install has succeeded, tells.
if ! cmp -s web/package-lock.json "$npm_dir/installed.json"; then
  rm -rf "$npm_dir"
  mkdir -p "$npm_dir"
  cp web/package.json web/package-lock.json "$npm_dir/"
  # No install scripts and no browser download (playwright-core is pinned in
  # the same file).
  (cd "$npm_dir" &&
    PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
  cp web/package-lock.json "$npm_dir/installed.json"
fi
NODE_PATH=$npm_dir/node_modules "$npm_dir/node_modules/.bin/eslint" eslint.config.js web tests/web bench

echo "== clang-tidy on src/"
cmake --preset cost >/dev/null
build=$root/build/cost
# The sources this platform compiles, as the compile commands list them.
mapfile -t sources < <(grep -o '"file": "[^"]*"' "$build/compile_commands.json" |
  sed 's/"file": "\(.*\)"/\1/' | grep "^$root/src/" | sort -u)
if ((${#sources[@]} == 0)); then
  echo "lint.sh: no sources of src/ in $build/compile_commands.json" >&2
  exit 1
fi
clang-tidy -p "$build" --quiet "${sources[@]}"

echo "== manual page"
page=$build/docs/simeq.1
lint=$(groff -man -ww -z "$page" 2>&1)
if [[ -n $lint ]]; then
  echo "$lint" >&2
  echo "lint.sh: groff warns about $page" >&2
  exit 1
fi
lint=$(mandoc -T lint "$page" 2>&1 || true)
if [[ -n $lint ]]; then
  echo "$lint" >&2
  echo "lint.sh: mandoc warns about $page" >&2
  exit 1
fi
echo "== lint passed"
