#!/usr/bin/env bash
# README examples: runs the code blocks of the README and of the notes it
# links to, as they stand there, in order, each as a bash script of its own
# (errexit, nounset, pipefail), in a session of its own with no controlling
# terminal and under a timeout, so that no closing wait can hold it; each
# must end with status 0. First the README's "Quick start" (all but the
# package installation), in this tree; then the README's "Using it in
# scripts" and every block of docs/scripting.md, in one scratch folder where
# ./build is this tree's build folder. The windows preset is built first,
# since the examples under wine run what it builds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

source .ci/lib/common.sh
ensure_packages g++ cmake ninja-build libgtest-dev g++-mingw-w64-x86-64 wine wine64

# A failure inside an && list does not stop a set -e script by itself.
echo "== the Windows program the examples under wine run (preset windows)"
cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null || exit 1

# wine keeps its folder with the Windows check's, under build/.
start_wine_prefix

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/quick" "$work/blocks" "$work/run"
ln -s "$root/build" "$work/run/build"

# Writes each indented code block of file $1 to folder $2 as NN, its four
# leading blanks taken off, numbered on from the blocks already there: the
# blocks of section "## $3" only if $3 is given, and none that installs
# packages (a first line starting with sudo).
extract_blocks() {
  awk -v dir="$2" -v section="$3" -v n="$(find "$2" -type f | wc -l)" '
    /^## / { inside = (section == "" || $0 == "## " section); next }
    inside && /^    / && !open && /^    sudo / { skipping = 1 }
    inside && /^    / { if (skipping) next
                        if (!open) { file = sprintf("%s/%02d", dir, ++n); open = 1 }
                        print substr($0, 5) > file; next }
    open { close(file); open = 0 }
    { skipping = 0 }
  ' "$1"
}

# Runs each block of folder $1 in folder $2; fails unless there is one.
run_blocks() {
  local block status count=0
  for block in "$1"/*; do
    [[ -f $block ]] || break
    echo "== example $(basename "$1")/$(basename "$block"):"
    sed 's/^/    /' "$block"
    status=0
    (cd "$2" && timeout 1800 setsid -w bash -euo pipefail "$block" </dev/null) || status=$?
    if ((status != 0)); then
      echo "readme-examples.sh: example $(basename "$block") ended with status $status" >&2
      exit 1
    fi
    count=$((count + 1))
  done
  if ((count == 0)); then
    echo "readme-examples.sh: no code block in $1's sources" >&2
    exit 1
  fi
  passed=$((passed + count))
}

passed=0
extract_blocks README.md "$work/quick" "Quick start"
run_blocks "$work/quick" "$root"
extract_blocks README.md "$work/blocks" "Using it in scripts"
extract_blocks docs/scripting.md "$work/blocks" ""
run_blocks "$work/blocks" "$work/run"
echo "README examples: $passed passed"
