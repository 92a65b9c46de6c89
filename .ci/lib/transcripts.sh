# shellcheck shell=bash
# Sourced by the CI scripts. check_transcripts LABEL NEWLINE COMMAND... runs
# COMMAND once for each golden transcript, tests/transcripts/NAME.in as its
# input, in a new session with no controlling terminal and under a timeout,
# and compares what it writes with NAME.out byte for byte. NEWLINE is "lf",
# or "crlf" for a program that writes every newline as CR LF (a bare LF is
# then a failure). Prints a passed/failed count; fails unless all passed.
check_transcripts() {
  local label=$1 newline=$2
  shift 2
  local work input name status bare passed=0 failed=0
  work=$(mktemp -d)
  for input in tests/transcripts/*.in; do
    name=$(basename "$input" .in)
    status=0
    timeout 60 setsid -w "$@" <"$input" >"$work/raw" 2>"$work/err" || status=$?
    bare=0
    if [[ $newline == crlf ]]; then
      perl -0777 -pe 's/\r\n/\n/g' "$work/raw" >"$work/out"
      bare=$(perl -0777 -ne 'print scalar(() = /(?<!\r)\n/g)' "$work/raw")
    else
      mv "$work/raw" "$work/out"
    fi
    if [[ $status -eq 0 && $bare -eq 0 ]] && cmp -s "tests/transcripts/$name.out" "$work/out"; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "FAILED: $label $name (exit status $status, $bare newlines without CR)"
      diff "tests/transcripts/$name.out" "$work/out" | head -20 || true
      head -c 2000 "$work/err"
    fi
  done
  rm -rf "$work"
  echo "$label: $passed passed, $failed failed"
  ((failed == 0 && passed > 0))
}
