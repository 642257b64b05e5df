#!/usr/bin/env bash
# Without any display the window cannot be made, and the program says so ("Can't create
# window") instead of drawing into an invisible off-screen window.
set -euo pipefail
bindir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$bindir/event_log" "$work/events.log" \
  >/dev/null 2>&1 || status=$?
log=$(cat "$work/events.log")
[ "$status" = 1 ] || { echo "exit status $status, expected 1"; echo "$log"; exit 1; }
grep -qx "Can't create window" <<<"$log" || { echo "log lacks: Can't create window"; echo "$log"; exit 1; }
grep -q "D3D" <<<"$log" && { echo "a device was made without a display"; echo "$log"; exit 1; }
echo "e2e window_headless: 1 passed, 0 failed"
