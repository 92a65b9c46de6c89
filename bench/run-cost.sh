#!/usr/bin/env bash
# Start-to-finish cost of one scripted run of simeq, against the floor.
#
# Measures a release simeq (workflow preset cost, in build/cost) and the
# same linked fully statically, as the release's Linux downloads are (preset
# cost-static, in build/cost-static), or with --binary only the program
# PATH, which it does not build. The floor is bench/floor.c (gcc -O2, glibc
# linked dynamically, as a C program is normally built). Each program runs
# once under callgrind on one golden transcript's input (by default
# elimination_basic: the answers 2 2 3 13 4 -1 5); the script prints their
# user-space instruction counts (Ir, dynamic loader included) and the ratios
# to the floor.
#
# Each run reads its input from a file, writes to /dev/null, has no terminal
# (setsid), and an empty environment: the loader's start-up work grows with
# the size of the environment, by the same amount for both programs, so an
# empty one keeps the counts reproducible and the ratio at its strictest.
#
# Usage: bench/run-cost.sh [--binary PATH] [--transcript NAME] [--max-ratio R]
# (exit status 1 if a measured program's ratio is above R)
set -euo pipefail

binary=""
max_ratio=""
transcript=elimination_basic
while [[ $# -gt 0 ]]; do
  case $1 in
    --binary) binary=${2:?} ;;
    --max-ratio) max_ratio=${2:?} ;;
    --transcript) transcript=${2:?} ;;
    *)
      echo "usage: $0 [--binary PATH] [--transcript NAME] [--max-ratio R]" >&2
      exit 2
      ;;
  esac
  shift 2
done

root=$(cd "$(dirname "$0")/.." && pwd)
golden=$root/tests/transcripts/$transcript.out
work=$root/build/cost-run
mkdir -p "$work"

for tool in cmake gcc valgrind setsid od; do
  command -v "$tool" >/dev/null || { echo "run-cost.sh: $tool is missing" >&2; exit 2; }
done

# The programs measured, and for each the names of its count, its ratio and
# its profile.
if [[ -n $binary ]]; then
  [[ -x $binary ]] || { echo "run-cost.sh: $binary is not a program" >&2; exit 2; }
  programs=("$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")")
  names=(simeq)
  ratio_names=(ratio)
  files=(simeq)
else
  echo "== building simeq (Release) in $root/build/cost"
  (cd "$root" && cmake --workflow --preset cost >/dev/null)
  echo "== building simeq (Release, fully static) in $root/build/cost-static"
  (cd "$root" && cmake --workflow --preset cost-static >/dev/null)
  programs=("$root/build/cost/src/simeq" "$root/build/cost-static/src/simeq")
  names=(simeq "simeq static")
  ratio_names=(ratio "static ratio")
  files=(simeq static)
fi

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

# Every program must write exactly the golden transcript.
for program in "${programs[@]}" "$work/floor"; do
  run_plain "$work/out.txt" "$program"
  if ! cmp -s "$work/out.txt" "$golden"; then
    echo "run-cost.sh: $program does not write $golden" >&2
    exit 1
  fi
done

if nm -C "${programs[0]}" 2>/dev/null | grep -q 'std::ios_base::Init'; then
  echo "note: simeq links the iostream start-up (std::ios_base::Init)"
fi

# Prints the Ir total of one run of "$@" under callgrind; fails, saying
# why, if the run or its profile does not give one.
count_instructions() {
  local profile=$1 total
  shift
  rm -f "$profile"
  if ! env -i timeout 300 setsid -w valgrind --tool=callgrind --callgrind-out-file="$profile" "$@" \
    <"$work/input.txt" >/dev/null 2>"$profile.log"; then
    cat "$profile.log" >&2
    echo "run-cost.sh: callgrind could not run $*" >&2
    return 1
  fi
  total=$(awk '/^(summary|totals):/ { print $2; exit }' "$profile")
  if [[ -z $total ]]; then
    echo "run-cost.sh: no instruction count in $profile" >&2
    return 1
  fi
  echo "$total"
}

echo "== measuring with callgrind"
counts=()
for i in "${!programs[@]}"; do
  # set -e does not reach into a command substitution: check each count.
  count=$(count_instructions "$work/${files[i]}.callgrind" "${programs[i]}") || exit 1
  counts+=("$count")
done
floor_ir=$(count_instructions "$work/floor.callgrind" "$work/floor") || exit 1
for i in "${!programs[@]}"; do
  printf '%-13s %10d instructions\n' "${names[i]}" "${counts[i]}"
done
printf 'floor         %10d instructions\n' "$floor_ir"
over=0
for i in "${!programs[@]}"; do
  ratio=$(awk -v a="${counts[i]}" -v b="$floor_ir" 'BEGIN { printf "%.3f", a / b }')
  printf '%-13s %10s\n' "${ratio_names[i]}" "$ratio"
  if [[ -n $max_ratio ]] && awk -v r="$ratio" -v m="$max_ratio" 'BEGIN { exit !(r > m) }'; then
    echo "run-cost.sh: ${ratio_names[i]} $ratio is above $max_ratio" >&2
    over=1
  fi
done
echo "profiles: $(printf '%s.callgrind, ' "${files[@]/#/$work/}")$work/floor.callgrind (callgrind_annotate)"
exit "$over"
