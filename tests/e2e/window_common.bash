# Steps the window end-to-end scripts share, sourced where the virtual display is: finding a
# program's window by its title and waiting for the program (pid) to end.

# Sets wid to the window titled exactly $1, waiting up to ten seconds; without one, ends the
# program and the script.
wait_for_window() {
  wid=""
  for _ in $(seq 100); do
    wid=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && return 0
    sleep 0.1
  done
  echo "FAIL: no window titled $1"
  kill "$pid" 2>/dev/null
  exit 1
}

# Waits up to ten seconds for the program to end after $1 and takes its exit status (the
# caller's set -e fails on a non-zero one); a program still running is killed and fails.
expect_exit_after() {
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: still running after $1"
    kill "$pid"
    exit 1
  fi
  wait "$pid"
}
