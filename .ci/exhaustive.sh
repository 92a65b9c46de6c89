#!/usr/bin/env bash
# Runs the slow checks left out of the everyday test presets (CTest label
# "exhaustive"): long random runs of the number format against its
# reference, and ten-million-digit numbers through the number reader in
# memory. The workflow builds the dev preset first if needed.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== exhaustive checks"
cmake --workflow --preset exhaustive
