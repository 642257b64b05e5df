#!/usr/bin/env bash
# The font tutorial prints its frame rate with the bitmap font, shows cursor and logo, saves
# one shot per frame while the left arrow is held, and ends with exit code 0 when its window
# closes. Its log names the font texture and holds one line per glyph record.
set -uo pipefail
source "$(dirname "$0")/demo_common.bash"
run_under_display "$@"
demo_setup "$1"

rm -f "$bindir"/shot[0-9][0-9][0-9].bmp
start_demo font_tutorial
move_mouse 250 320
shot font.png
keep_shot font.png font_tutorial.png
# "FPS n" in light orange (255, 224, 96) at the top left, nothing else lit up there.
expect_pixels "frame-rate text" font.png 3 3 80 20 "r>0.9&&g>0.75&&g<0.95&&b>0.25&&b<0.5" 40
expect_pixels "black screen" font.png 100 100 400 300 "r<0.02&&g<0.02&&b<0.02" 119000
expect_cursor font.png 250 320
expect_logo font.png

hold_key Left 1.0
sleep 0.5
shots=$(find "$bindir" -maxdepth 1 -name 'shot[0-9][0-9][0-9].bmp' | wc -l)
[ "$shots" -ge 3 ] || fail "holding Left saved $shots shots"
[ -f "$bindir/shot000.bmp" ] && [ -f "$bindir/shot$(printf %03d $((shots - 1))).bmp" ] ||
  fail "the shots are not numbered 000 to $((shots - 1))"
size=$(identify -format "%wx%h" "$bindir/shot000.bmp" 2>/dev/null)
[ "$size" = "800x600" ] || fail "shot000.bmp is $size, not 800x600"
rm -f "$bindir"/shot[0-9][0-9][0-9].bmp

# Escape does not end the tutorial; closing the window does.
hold_key Escape
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "Escape ended the tutorial"
close_window
expect_clean_exit "closing the window"

log=$bindir/TVK_tut02.log
expect_log TVK_tut02.log "Loading font 'dane/font.png'..." "ok." "Init done." "Finishing.."
# One line per 14-byte glyph record after the texture name and its 0x10 end byte.
fnt=$bindir/dane/font.fnt
name_end=$(od -An -v -tu1 "$fnt" | tr -s ' ' '\n' | sed '/^$/d' | awk 'NR > 1 && $1 == 16 { print NR - 1; exit }')
records=$((($(stat -c %s "$fnt") - name_end - 1) / 14))
glyph_lines=$(sed -n '/^ok\.$/,/^Finishing\.\.$/p' "$log" | sed '1d;$d' | LC_ALL=C grep -c '^.$')
[ "$glyph_lines" -eq "$records" ] || fail "$glyph_lines glyph lines in the log, $records records"
finish font_tutorial
