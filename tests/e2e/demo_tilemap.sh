#!/usr/bin/env bash
# The tile-map demo draws its map, frame rate, cursor and logo; Escape ends it, and so does
# closing the window, each with exit code 0 and a complete log.
set -uo pipefail
source "$(dirname "$0")/demo_common.bash"
run_under_display "$@"
demo_setup "$1"

start_demo tilemap_demo
move_mouse 300 200
shot map.png
keep_shot map.png tilemap_demo.png
# Ground: the dirt path down column 10 at the bottom; the grass left of it.
expect_pixels "path" map.png 515 560 20 30 "r>0.6&&r<0.85&&g>0.5&&b>0.3&&b<0.5" 300
expect_pixels "grass" map.png 560 556 10 10 "g>0.45&&g>r+0.1&&g>b+0.2" 50
# Objects: the house's red roof and its door.
expect_pixels "roof" map.png 660 85 30 20 "r>0.6&&g<0.3&&b<0.3" 300
expect_pixels "door" map.png 668 160 14 20 "r>0.4&&r<0.55&&g>0.25&&g<0.35" 150
# "FPS: n" in black in the top-left corner.
expect_pixels "frame-rate text" map.png 3 3 70 16 "r<0.15&&g<0.15&&b<0.15" 40
expect_cursor map.png 300 200
expect_logo map.png
expect_escape_ends demo6.log

expect_close_ends tilemap_demo demo6.log
finish tilemap_demo
