#!/usr/bin/env bash
# The API reference builds from the public headers with no warning: every public class,
# function, state and constant carries its contract comment.
set -euo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$src"
if ! (cat Doxyfile; echo "OUTPUT_DIRECTORY=$work"; echo "WARN_AS_ERROR=FAIL_ON_WARNINGS") |
    doxygen - >"$work/log" 2>&1; then
  grep -F "warning:" "$work/log" || cat "$work/log"
  echo "FAIL: the API reference has warnings"
  exit 1
fi
[ -f "$work/html/index.html" ] || { echo "FAIL: no HTML reference written"; exit 1; }
echo "api reference: 1 passed, 0 failed"
