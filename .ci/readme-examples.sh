#!/usr/bin/env bash
# README examples: runs every indented code block of the README's section
# "Using it in scripts", as it stands there, in order, each as a bash script
# of its own (errexit, nounset, pipefail) in one scratch folder where
# ./build is this tree's build folder. Each runs in a session of its own,
# with no controlling terminal and under a timeout, so that no closing wait
# can hold it, and must end with status 0. The release and windows presets
# are built first, since the examples run what they build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

source .ci/common.sh
ensure_packages g++ cmake make g++-mingw-w64-x86-64 wine wine64

# A failure inside an && list does not stop a set -e script by itself.
echo "== the programs the examples run (presets release and windows)"
cmake --preset release >/dev/null && cmake --build --preset release >/dev/null || exit 1
cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null || exit 1

# wine keeps its folder with the Windows check's, under build/.
start_wine_prefix

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/blocks" "$work/run"
ln -s "$root/build" "$work/run/build"

# Each block, its four leading blanks taken off, into blocks/NN.
awk -v dir="$work/blocks" '
  /^## / { inside = ($0 == "## Using it in scripts"); next }
  inside && /^    / { if (!open) { file = sprintf("%s/%02d", dir, ++n); open = 1 }
                      print substr($0, 5) > file; next }
  open { close(file); open = 0 }
' README.md

passed=0
for block in "$work"/blocks/*; do
  [[ -f $block ]] || break
  echo "== example $(basename "$block"):"
  sed 's/^/    /' "$block"
  status=0
  (cd "$work/run" && timeout 120 setsid -w bash -euo pipefail "$block" </dev/null) || status=$?
  if ((status != 0)); then
    echo "readme-examples.sh: example $(basename "$block") ended with status $status" >&2
    exit 1
  fi
  passed=$((passed + 1))
done
if ((passed == 0)); then
  echo "readme-examples.sh: no code block in the README's section \"Using it in scripts\"" >&2
  exit 1
fi
echo "README examples: $passed passed"
