#!/usr/bin/env bash
# Runs the slow checks left out of the everyday test presets (CTest label
# "exhaustive"): a million random doubles through the number format against
# its exact reference. Builds the dev preset first if needed.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== exhaustive checks"
cmake --preset dev && cmake --build --preset dev && ctest --preset exhaustive
