#!/usr/bin/env bash
# Benchmark smoke run: builds the bench preset and runs every benchmark once,
# briefly, so that the benchmarks keep building and running. Nothing is
# timed or compared here; bench/run-cost.sh (run by .ci/package.sh) holds the
# start-up cost. Installs Google Benchmark if it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib/common.sh
ensure_packages g++ cmake ninja-build libbenchmark-dev

echo "== benchmarks: build"
cmake --workflow --preset bench

ran=0
for benchmark in build/bench/bench/*_bench; do
  [[ -x $benchmark ]] || continue
  echo "== benchmarks: $benchmark (smoke run)"
  timeout 300 "$benchmark" --benchmark_min_time=0.01
  ran=$((ran + 1))
done
if ((ran == 0)); then
  echo "bench.sh: the bench preset built no benchmark in build/bench/bench" >&2
  exit 1
fi
echo "== benchmarks: $ran ran"
