#!/usr/bin/env bash
# The example program opens a real window under a virtual display, runs frames, shows its
# drawn frame, and ends with exit code 0 on an Escape key press, its log complete.
set -euo pipefail
bindir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -f "$bindir/hello.log"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  source "$3"
  "$1/hello" & pid=$!
  wait_for_window "Tarvok example"
  sleep 1
  import -window root "$2/shot.png"
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool keydown Escape; sleep 0.1; xdotool keyup Escape
  expect_exit_after Escape
' _ "$bindir" "$work" "$(dirname "$(realpath "$0")")/window_common.bash"

log=$(cat "$bindir/hello.log")
for line in "Tarvok Started.." "Application: Tarvok example" "Init done." "The End."; do
  grep -qF "$line" <<<"$log" || { echo "log lacks: $line"; echo "$log"; exit 1; }
done

# The window is centred on the 1024x768 screen at (112, 84): its inside is the clear colour
# 0x203040, and the sprite drawn at (200, 150) shows its red and green tiles.
expect_pixel() {
  local got
  got=$(convert "$work/shot.png" -format "%[pixel:p{$1,$2}]" info:)
  [ "$got" = "$3" ] || { echo "pixel at ($1,$2) is $got, expected $3"; exit 1; }
}
expect_pixel 200 200 "srgb(32,48,64)"
expect_pixel 320 242 "srgb(224,64,32)"
expect_pixel 352 242 "srgb(32,192,64)"
expect_pixel 320 274 "srgb(32,192,64)"
expect_pixel 352 274 "srgb(224,64,32)"
expect_pixel 311 242 "srgb(32,48,64)"
echo "e2e hello: 1 passed, 0 failed"
