#!/usr/bin/env bash
# Start-to-finish cost of one scripted run of simeq, against the floor.
#
# Builds a release simeq in build/cost, the same linked fully statically (as
# the release's Linux downloads are) in build/cost-static, and bench/floor.c
# (gcc -O2, glibc linked dynamically, as a C program is normally built), runs
# each once under callgrind on one golden transcript's input (by default
# elimination_basic: the answers 2 2 3 13 4 -1 5) and prints their
# user-space instruction counts (Ir, dynamic loader included) and the ratios
# to the floor.
#
# Each run reads its input from a file, writes to /dev/null, has no terminal
# (setsid), and an empty environment: the loader's start-up work grows with
# the size of the environment, by the same amount for both programs, so an
# empty one keeps the counts reproducible and the ratio at its strictest.
#
# Usage: bench/run-cost.sh [--transcript NAME] [--max-ratio R] [--max-static-ratio S]
# (exit status 1 if simeq's ratio is above R or the static one's above S)
set -euo pipefail

max_ratio=""
max_static_ratio=""
transcript=elimination_basic
while [[ $# -gt 0 ]]; do
  case $1 in
    --max-ratio) max_ratio=${2:?} ;;
    --max-static-ratio) max_static_ratio=${2:?} ;;
    --transcript) transcript=${2:?} ;;
    *)
      echo "usage: $0 [--transcript NAME] [--max-ratio R] [--max-static-ratio S]" >&2
      exit 2
      ;;
  esac
  shift 2
done

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/cost
golden=$root/tests/transcripts/$transcript.out
work=$build/cost-run
mkdir -p "$work"

for tool in cmake gcc valgrind setsid od; do
  command -v "$tool" >/dev/null || { echo "run-cost.sh: $tool is missing" >&2; exit 2; }
done

echo "== building simeq (Release) in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSIMEQ_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target simeq -j2 >/dev/null
simeq=$build/src/simeq

echo "== building simeq (Release, fully static) in $build-static"
cmake -S "$root" -B "$build-static" -DCMAKE_BUILD_TYPE=Release -DSIMEQ_BUILD_TESTS=OFF \
  -DSIMEQ_STATIC=ON >/dev/null
cmake --build "$build-static" --target simeq -j2 >/dev/null
static=$build-static/src/simeq

echo "== building the floor (gcc -O2, dynamic glibc)"
{
  echo "static const unsigned char kTranscript[] = {"
  od -An -v -tx1 "$golden" | sed -E 's/ ([0-9a-f]{2})/0x\1,/g'
  echo "};"
} >"$work/transcript.h"
gcc -O2 -I"$work" "$root/bench/floor.c" -o "$work/floor"

cp "$root/tests/transcripts/$transcript.in" "$work/input.txt"

# Runs "$@" the way the measurement does, output to $out.
run_plain() {
  local out=$1
  shift
  env -i timeout 60 setsid -w "$@" <"$work/input.txt" >"$out"
}

# Both programs must write exactly the golden transcript.
for program in "$simeq" "$static" "$work/floor"; do
  run_plain "$work/out.txt" "$program"
  if ! cmp -s "$work/out.txt" "$golden"; then
    echo "run-cost.sh: $program does not write $golden" >&2
    exit 1
  fi
done

if nm -C "$simeq" 2>/dev/null | grep -q 'std::ios_base::Init'; then
  echo "note: simeq links the iostream start-up (std::ios_base::Init)"
fi

# Prints the Ir total of one run of "$@" under callgrind.
count_instructions() {
  local profile=$1
  shift
  env -i timeout 300 setsid -w valgrind --tool=callgrind --callgrind-out-file="$profile" "$@" \
    <"$work/input.txt" >/dev/null 2>"$profile.log"
  awk '/^(summary|totals):/ { print $2; exit }' "$profile"
}

echo "== measuring with callgrind"
simeq_ir=$(count_instructions "$work/simeq.callgrind" "$simeq")
static_ir=$(count_instructions "$work/static.callgrind" "$static")
floor_ir=$(count_instructions "$work/floor.callgrind" "$work/floor")
ratio=$(awk -v a="$simeq_ir" -v b="$floor_ir" 'BEGIN { printf "%.3f", a / b }')
static_ratio=$(awk -v a="$static_ir" -v b="$floor_ir" 'BEGIN { printf "%.3f", a / b }')

printf 'simeq         %10d instructions\n' "$simeq_ir"
printf 'simeq static  %10d instructions\n' "$static_ir"
printf 'floor         %10d instructions\n' "$floor_ir"
printf 'ratio         %10s\n' "$ratio"
printf 'static ratio  %10s\n' "$static_ratio"
echo "profiles: $work/simeq.callgrind, $work/static.callgrind, $work/floor.callgrind (callgrind_annotate)"

if [[ -n $max_ratio ]] && awk -v r="$ratio" -v m="$max_ratio" 'BEGIN { exit !(r > m) }'; then
  echo "run-cost.sh: ratio $ratio is above $max_ratio" >&2
  exit 1
fi
if [[ -n $max_static_ratio ]] &&
  awk -v r="$static_ratio" -v m="$max_static_ratio" 'BEGIN { exit !(r > m) }'; then
  echo "run-cost.sh: static ratio $static_ratio is above $max_static_ratio" >&2
  exit 1
fi
