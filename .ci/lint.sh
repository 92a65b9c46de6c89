#!/usr/bin/env bash
# Static checks: every C and C++ file as clang-format would write it (any
# difference fails), clang-tidy on the sources of src/ that this platform
# compiles (.clang-tidy; every finding is an error), and the manual page as
# built, with its version and date filled in, through groff and mandoc (any
# warning fails). Configures the cost preset for its compile commands and the
# page. Installs the tools if they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

source .ci/lib/common.sh
ensure_packages g++ cmake ninja-build git clang-format clang-tidy groff-base mandoc

echo "== clang-format"
git ls-files -z '*.cc' '*.h' '*.c' | xargs -0 clang-format --dry-run --Werror

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
