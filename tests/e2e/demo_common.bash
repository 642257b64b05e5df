# Shared steps of the demo end-to-end tests, sourced by tests/e2e/demo_*.sh. The scripts run
# under their own virtual display; each demo runs from the build folder with "dane" beside it.

source "$(dirname "${BASH_SOURCE[0]}")/window_common.bash"

# Re-runs the calling script under a 1024x768 virtual display unless it already has one.
run_under_display() {
  if [ -z "${TVK_E2E_DISPLAY:-}" ]; then
    TVK_E2E_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
  fi
}

# Prepares a scratch folder and the window-closing helper.
demo_setup() {
  bindir=$(cd "$1" && pwd)
  work=$(mktemp -d)
  trap 'rm -rf "$work"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; true' EXIT
  cc -o "$work/close_window" "$(dirname "$0")/demo_close_window.c" -lX11
  failures=0
}

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Starts the program from the build folder and waits for its window (wid) to show the logo,
# which every demo draws once it has loaded (slow builds take a while).
start_demo() {
  local diff
  (cd "$bindir" && exec "./$1") &
  pid=$!
  wait_for_window Tarvok
  for _ in $(seq 60); do
    shot probe.png
    diff=$(logo_difference probe.png)
    [ "$diff" -le 40 ] 2>/dev/null && break
    sleep 0.5
  done
  sleep 1
}

# Moves the pointer to (x, y) inside the window and lets a few frames pass.
move_mouse() {
  xdotool mousemove --window "$wid" "$1" "$2"
  sleep 1
}

# The window's picture, cut from the whole screen: capturing the window itself makes the
# capture tool wait for a visibility event that may never come.
shot() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  timeout 30 import -window root "$work/screen.png"
  convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$1"
}

# Holds a key long enough for a frame of the slowest (sanitizer) build to see it.
hold_key() {
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool keydown "$1"
  sleep "${2:-1}"
  xdotool keyup "$1"
}

close_window() { "$work/close_window" "$wid"; }

# Waits for the program to end and checks its exit code is 0.
expect_clean_exit() {
  local how=$1 rc
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "still running after $how"
    kill "$pid"
  fi
  rc=0
  wait "$pid" || rc=$?
  pid=""
  [ "$rc" -eq 0 ] || fail "exit code $rc after $how"
}

expect_log() {
  local log=$1 line
  shift
  for line in "$@"; do
    grep -qxF -- "$line" "$bindir/$log" || fail "$log lacks the line: $line"
  done
  [ "$(tail -n 1 "$bindir/$log")" = "The End." ] || fail "$log does not end with The End."
}

# The number of pixels in the box (x, y, w, h) of a shot for which the fx test holds.
count_pixels() {
  convert "$work/$1" -crop "$4x$5+$2+$3" +repage -fx "$6 ? 1 : 0" -format "%[fx:round(mean*w*h)]" info:
}

# Checks that at least min pixels of the box pass the test: expect_pixels what shot x y w h test min
expect_pixels() {
  local what=$1 n
  n=$(count_pixels "$2" "$3" "$4" "$5" "$6" "$7")
  [ "$n" -ge "$8" ] || fail "$what: $n pixels of ($3,$4 ${5}x$6) pass '$7', expected at least $8"
}

# How many pixels inside the logo's place, top-left corner at (648, 486), differ from the
# inside of dane/logo.png.
logo_difference() {
  convert "$work/$1" -crop 128x90+660+498 +repage "$work/logo_seen.png"
  convert "$bindir/dane/logo.png" -crop 128x90+12+12 +repage -background black -flatten \
    "$work/logo_want.png"
  compare -metric AE -fuzz 6% "$work/logo_seen.png" "$work/logo_want.png" null: 2>&1 || true
}

expect_logo() {
  local diff
  diff=$(logo_difference "$1")
  [ "$diff" -le 40 ] 2>/dev/null || fail "logo not at (648, 486): $diff pixels differ"
}

# The arrow's white body and black edge lie just below and right of the pointer at (x, y).
expect_cursor() {
  expect_pixels "cursor body" "$1" $(($2 + 3)) $(($3 + 8)) 3 6 "r>0.95&&g>0.95&&b>0.95" 16
  expect_pixels "cursor edge" "$1" "$2" $(($3 + 4)) 2 10 "r<0.2&&g<0.2&&b<0.2" 6
}

# Escape ends the running program with exit code 0 and a complete log.
expect_escape_ends() {
  hold_key Escape
  expect_clean_exit Escape
  expect_log "$1" "Application: Tarvok" "Init done." "Finishing.."
}

# Starts the program again and closes its window: it ends with exit code 0 and a complete log.
expect_close_ends() {
  start_demo "$1"
  close_window
  expect_clean_exit "closing the window"
  expect_log "$2" "Init done." "Finishing.."
}

finish() {
  if [ "$failures" -eq 0 ]; then
    echo "e2e $1: passed"
    exit 0
  fi
  echo "e2e $1: $failures failed"
  exit 1
}

# Keeps a shot for the README when TVK_SHOTS_DIR names a folder.
keep_shot() {
  [ -n "${TVK_SHOTS_DIR:-}" ] && cp "$work/$1" "$TVK_SHOTS_DIR/$2"
  true
}
