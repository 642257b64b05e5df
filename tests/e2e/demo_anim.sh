#!/usr/bin/env bash
# The animation demo draws the running character over the scrolling wall and floor with its
# texts, cursor and logo; Escape ends it, and so does closing the window, each with exit
# code 0 and a complete log.
set -uo pipefail
source "$(dirname "$0")/demo_common.bash"
run_under_display "$@"
demo_setup "$1"

start_demo anim_demo
move_mouse 600 380
shot run1.png
sleep 1
shot run2.png
keep_shot run1.png anim_demo.png
# The wall above y = 256, the floor below it, black under the floor.
expect_pixels "brick wall" run1.png 0 150 200 60 "r>g+0.15&&r>b+0.2" 8000
expect_pixels "stone floor" run1.png 560 280 200 60 "abs(r-g)<0.08&&abs(g-b)<0.1&&r>0.25" 8000
expect_pixels "below the floor" run1.png 0 470 500 100 "r<0.02&&g<0.02&&b<0.02" 49000
# The runner: blue shorts about its hip at (400, 310), skin and white shoes below.
expect_pixels "runner's shorts" run1.png 360 280 90 70 "b>0.5&&b>r+0.25" 300
expect_pixels "runner's skin" run1.png 300 150 200 300 "r>0.8&&g>0.6&&g<0.8&&b>0.45&&b<0.65" 500
# The scenery scrolls: the two shots differ along the wall.
convert "$work/run1.png" -crop 800x100+0+100 +repage "$work/wall1.png"
convert "$work/run2.png" -crop 800x100+0+100 +repage "$work/wall2.png"
changed=$(compare -metric AE -fuzz 5% "$work/wall1.png" "$work/wall2.png" null: 2>&1 || true)
[ "${changed%% *}" -gt 5000 ] 2>/dev/null || fail "the backdrop did not scroll ($changed pixels changed)"
# "FPS: n" and "Frames: 8" in white at the top left.
expect_pixels "frame-rate text" run1.png 3 3 70 16 "r>0.9&&g>0.9&&b>0.9" 40
expect_pixels "frame-count text" run1.png 3 32 90 16 "r>0.9&&g>0.9&&b>0.9" 60
expect_cursor run1.png 600 380
expect_logo run1.png
expect_escape_ends demo5.log
grep -q "Can't load" "$bindir/demo5.log" && fail "demo5.log reports a load failure"

expect_close_ends anim_demo demo5.log
finish anim_demo
