#!/usr/bin/env bash
# On a screen of the window's size (so a full-screen mode exists), Alt+Enter switches a running
# program to full screen and back: the window stays the same one and covers the screen, the
# frame drawn after each switch fills the back buffer corner to corner, and the log is clean.
# It runs once on each device.
set -euo pipefail
bindir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for renderer in soft gl; do
  export TVK_RENDERER=$renderer
  xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    set -u
    source "$3"
    "$1/event_log" "$2/events.log" & pid=$!
    wait_for_window "Tarvok events"
    sleep 0.5
    xdotool windowfocus --sync "$wid"
    for step in full windowed; do
      xdotool key alt+Return
      sleep 0.8
      xdotool getwindowgeometry --shell "$wid" > "$2/$step.geometry"
      import -window root "$2/$step.png"
    done
    xdotool key F12
    expect_exit_after F12
  ' _ "$bindir" "$work" "$(dirname "$(realpath "$0")")/window_common.bash"

  log=$(cat "$work/events.log")
  fail() { echo "$renderer: $1"; echo "$log"; exit 1; }
  for line in "Mode: 800 x 600 x X8R8G8B8" "mode windowed=0 size=800x600 window kept" \
              "mode windowed=1 size=800x600 window kept" "The End."; do
    grep -qxF "$line" <<<"$log" || fail "log lacks: $line"
  done
  sed -n '/^Init done/,$p' <<<"$log" | grep -q "^Can't" && fail "an error was logged while switching"
  device="software"
  [ "$renderer" = gl ] && device="OpenGL"
  grep -q "^Renderer: $device" <<<"$log" || fail "the log names another device"

  for step in full windowed; do
    grep -qx "X=0" "$work/$step.geometry" && grep -qx "Y=0" "$work/$step.geometry" &&
      grep -qx "WIDTH=800" "$work/$step.geometry" && grep -qx "HEIGHT=600" "$work/$step.geometry" ||
      fail "$step: window does not cover the screen: $(tr '\n' ' ' < "$work/$step.geometry")"
    # White squares in the four corners of the back buffer, blue between them.
    for point in 0,0 799,0 0,599 799,599 784,584 400,300 16,16; do
      expected="srgb(255,255,255)"
      case $point in 400,300|16,16) expected="srgb(32,64,128)" ;; esac
      got=$(convert "$work/$step.png" -format "%[pixel:p{$point}]" info:)
      [ "$got" = "$expected" ] || fail "$step: pixel at ($point) is $got, expected $expected"
    done
  done
done
echo "e2e fullscreen_alt_enter: 2 passed, 0 failed"
