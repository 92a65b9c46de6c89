#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for a bounded time from its seed
# corpus: fuzz/corpus/TARGET/, and for the dialogue fuzzer every golden
# transcript's input too (tests/transcripts/*.in, never copied into fuzz/).
# Any crash, leak, sanitizer report or failed check makes the script exit
# non-zero. FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib/common.sh
ensure_packages clang-14 libclang-rt-14-dev cmake ninja-build

seconds="${FUZZ_SECONDS:-60}"
targets=(reader_fuzzer number_format_fuzzer dialogue_fuzzer)

echo "== fuzzing: build"
cmake --workflow --preset fuzz

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for target in "${targets[@]}"; do
  echo "== fuzzing: $target for ${seconds}s"
  # The seed corpus is copied, so what the run adds stays out of the tree.
  mkdir -p "$scratch/$target/corpus" "$scratch/$target/artifacts"
  cp fuzz/corpus/"$target"/* "$scratch/$target/corpus/"
  if [[ $target == dialogue_fuzzer ]]; then
    for input in tests/transcripts/*.in; do
      cp "$input" "$scratch/$target/corpus/transcript_$(basename "$input" .in)"
    done
  fi
  if ! ./build/fuzz/fuzz/"$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$scratch/$target/artifacts/" "$scratch/$target/corpus" \
      >"$scratch/$target/log" 2>&1; then
    tail -n 60 "$scratch/$target/log"
    for artifact in "$scratch/$target/artifacts"/*; do
      [[ -e "$artifact" ]] || continue
      echo "-- input that failed ($artifact), as hex:"
      od -A d -t x1 "$artifact" | head -n 40
    done
    echo "== fuzzing: $target FAILED"
    exit 1
  fi
  grep -E "^(Done|stat::number_of_executed_units)" "$scratch/$target/log" || true
done
echo "== fuzzing: all targets ran clean"
