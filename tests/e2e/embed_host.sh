#!/usr/bin/env bash
# A host program runs the engine inside its own window, one System_Start call per frame: after
# 60 frames the engine's window is still inside the host's, a resize of the host resizes the
# back buffer and the drawn frame, and a click and keys in the engine's window reach it.
set -euo pipefail
bindir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  source "$3"
  "$1/embed_host" "$2/host.log" 20 & pid=$!
  for _ in $(seq 100); do
    grep -q "after resize" "$2/host.log" 2>/dev/null && break
    sleep 0.1
  done
  wid=$(xdotool search --name "^Tarvok host$" 2>/dev/null | head -n 1 || true)
  [ -n "$wid" ] || { echo "no host window"; kill $pid; exit 1; }
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  echo "$X $Y" > "$2/origin"
  import -window root "$2/shot.png"
  xdotool mousemove --window "$wid" 400 300 click 1
  xdotool type --delay 0 "x"
  xdotool key Escape
  expect_exit_after Escape
' _ "$bindir" "$work" "$(dirname "$(realpath "$0")")/window_common.bash"

log=$(cat "$work/host.log")
fail() { echo "$1"; echo "$log"; exit 1; }
for line in "after 60 frames: 640x480, embedded" "after resize: 800x600, embedded" \
            "event type=3 key=1 chr=0" "event type=1 key=88 chr=120" "event type=1 key=27 chr=27" \
            "The End."; do
  grep -qxF "$line" <<<"$log" || fail "log lacks: $line"
done

# The engine's clear colour fills the grown host window to its far corner.
read -r x y < "$work/origin"
for point in "$((x + 10)),$((y + 10))" "$((x + 795)),$((y + 595))"; do
  got=$(convert "$work/shot.png" -format "%[pixel:p{$point}]" info:)
  [ "$got" = "srgb(64,160,32)" ] || fail "pixel at ($point) is $got, expected the engine's frame"
done
echo "e2e embed_host: 1 passed, 0 failed"
