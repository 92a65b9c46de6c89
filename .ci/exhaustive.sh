#!/usr/bin/env bash
# Runs the slow checks left out of the everyday test presets (CTest label
# "exhaustive"): long random runs of the number format against its
# references, and ten-million-digit numbers through the number reader in
# memory. Builds the dev preset first if needed.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== exhaustive checks"
cmake --preset dev && cmake --build --preset dev && ctest --preset exhaustive
