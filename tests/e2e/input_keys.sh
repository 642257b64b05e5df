#!/usr/bin/env bash
# Keys typed fast and mouse use in a real window: every key event carries its own character,
# mouse events carry the lock keys (from the start, before any key), sideways scrolling makes
# no wheel events, and the window made at start is the one kept.
set -euo pipefail
bindir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  source "$3"
  # Caps Lock goes on before the program starts; a client stays connected meanwhile, since
  # the server resets the keyboard when its last client leaves.
  xprop -root -spy >/dev/null & spy=$!
  sleep 0.3
  xdotool key Caps_Lock
  "$1/event_log" "$2/events.log" & pid=$!
  wait_for_window "Tarvok events"
  sleep 0.5
  xdotool windowfocus --sync "$wid"
  xdotool mousemove --window "$wid" 100 100 click 1
  xdotool key Caps_Lock
  xdotool type --delay 0 "Hi!"
  xdotool key --delay 0 Escape b
  xdotool key Caps_Lock
  xdotool mousemove --window "$wid" 120 120 click 3
  xdotool click 6 click 7 click 4
  sleep 0.5
  xdotool key Caps_Lock F12
  expect_exit_after F12
  kill $spy
' _ "$bindir" "$work" "$(dirname "$(realpath "$0")")/window_common.bash"

log=$(cat "$work/events.log")
fail() { echo "$1"; echo "$log"; exit 1; }
# The fields of every event line of a type: "key chr flags wheel".
events() { sed -n "s/^event type=$1 key=\([0-9]*\) chr=\([0-9]*\) flags=0x\(..\) wheel=\(-*[0-9]*\)$/\1 \2 \3 \4/p" <<<"$log"; }
keydown_chars() { events 1 | awk -v k="$1" '$1 == k { print $2 }' | sort -u | tr '\n' ' '; }
expect_chars() {
  local got
  got=$(keydown_chars "$1")
  [ "$got" = "$2 " ] || fail "key $1 went down with characters '$got', expected '$2'"
}

expect_chars 16 0    # Shift types nothing
expect_chars 72 72   # H
expect_chars 73 105  # i
expect_chars 49 33   # !
expect_chars 27 27   # Escape
expect_chars 66 98   # b

# Caps Lock: on at the first click, off while typing, on again at the second click.
buttons=$(events 3)
[ "$(wc -l <<<"$buttons")" = 2 ] || fail "expected two button-down events"
first_flags=$(sed -n 1p <<<"$buttons" | cut -d" " -f3)
second_flags=$(sed -n 2p <<<"$buttons" | cut -d" " -f3)
(( 0x$first_flags & 0x08 )) || fail "first click lacks Caps Lock (flags 0x$first_flags)"
(( 0x$second_flags & 0x08 )) || fail "second click lacks Caps Lock (flags 0x$second_flags)"
while read -r key _ flags _; do
  if [ "$key" = 72 ] || [ "$key" = 73 ]; then
    (( 0x$flags & 0x08 )) && fail "typed letters carry Caps Lock after it was turned off"
  fi
done < <(events 1)

wheels=$(events 6 | cut -d" " -f4 | tr '\n' ' ')
[ "$wheels" = "1 " ] || fail "wheel events '$wheels', expected only one of 1 notch"

grep -qx "window kept" <<<"$log" || fail "the window was made anew"
echo "e2e input_keys: 1 passed, 0 failed"
