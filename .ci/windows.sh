#!/usr/bin/env bash
# Windows check: cross-compiles simeq.exe with mingw-w64, makes sure it needs
# no DLL beyond those of Windows, and runs every golden transcript against it
# under wine. Each run has no console, so the closing key wait must return at
# once; the output, with CR LF read as LF, must equal NAME.out byte for byte.
# Then wine runs it on a pseudo-terminal, where it has a real console, and
# keys are pressed at the closing wait (tests/program/key_wait_win32_test.py).
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib/common.sh
source .ci/lib/transcripts.sh
ensure_packages cmake ninja-build g++-mingw-w64-x86-64 wine wine64 python3

echo "== windows build (mingw-w64)"
cmake --workflow --preset windows
exe=build/windows/src/simeq.exe

echo "== DLLs simeq.exe imports"
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
echo "$dlls"
unexpected=$(echo "$dlls" | grep -viE '^(kernel32|msvcrt|ucrtbase)\.dll$|^api-ms-win-' || true)
if [[ -n "$unexpected" ]]; then
  echo "simeq.exe needs DLLs that Windows does not ship: $unexpected"
  exit 1
fi

echo "== golden transcripts under wine"
start_wine_prefix

transcripts_status=0
check_transcripts "wine, golden transcripts" crlf wine "$exe" || transcripts_status=$?

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "== key presses on a console (wine on a pseudo-terminal)"
console_status=0
timeout 600 python3 tests/program/key_wait_win32_test.py "$exe" >"$work/console" 2>&1 || console_status=$?
cat "$work/console"

passed=$(grep -c '^PASSED:' "$work/console" || true)
failed=$(grep -c '^FAILED:' "$work/console" || true)
if ((console_status != 0)) && ((failed == 0)); then
  failed=1
  echo "FAILED: the console key test ended with status $console_status"
fi
echo "wine, key presses: $passed passed, $failed failed"
((transcripts_status == 0 && failed == 0 && passed > 0))
