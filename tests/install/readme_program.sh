#!/usr/bin/env bash
# The first program shown in the README is examples/first_game.cpp, word for word, so the
# program the tests build is the one a reader copies.
set -euo pipefail
src=$1
shown=$(awk '/^```cpp$/ { inside = 1; next } inside && /^```$/ { exit } inside' "$src/README.md")
if ! diff <(echo "$shown") "$src/examples/first_game.cpp"; then
  echo "FAIL: the README's first program differs from examples/first_game.cpp"
  exit 1
fi
echo "readme program: 1 passed, 0 failed"
