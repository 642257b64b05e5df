#!/usr/bin/env bash
# The bitmap-font builder: bad arguments print the usage text and fail; a face name and a
# TrueType file each give a .fnt naming the texture and a PNG, the same bytes on every run.
set -euo pipefail
builder=$1/font_builder
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

for args in "" "Arial" "Arial 0 a.fnt a.png" "Arial 16x a.fnt a.png" "--wide Arial 16 a.fnt a.png"; do
  status=0
  # shellcheck disable=SC2086
  "$builder" $args 2> "$work/err" > /dev/null || status=$?
  [ "$status" -eq 2 ] || fail "'$args' exited $status"
  grep -q "^usage: font_builder" "$work/err" || fail "'$args' printed no usage"
done
status=0
"$builder" "$work/none.ttf" 12 "$work/n.fnt" "$work/n.png" 2> /dev/null || status=$?
[ "$status" -eq 1 ] || fail "a missing font file exited $status"

for run in 1 2; do
  "$builder" --bold --texture-name dane/font.png Arial 16 "$work/a$run.fnt" "$work/a$run.png" \
    > /dev/null
done
cmp "$work/a1.fnt" "$work/a2.fnt" || fail ".fnt differs between runs"
cmp "$work/a1.png" "$work/a2.png" || fail "PNG differs between runs"
head -c 14 "$work/a1.fnt" | tail -c 13 | grep -q "^dane/font.png$" || fail "texture name"
# 1 + name + 0x10, then 224 records of 14 bytes.
[ "$(stat -c %s "$work/a1.fnt")" -eq $((1 + 13 + 1 + 224 * 14)) ] || fail ".fnt size"
[ "$(identify -format %wx%h "$work/a1.png")" = 256x256 ] || fail "texture size"

"$builder" --italic /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf 20 "$work/d.fnt" \
  "$work/d.png" | grep -q "DejaVu Sans 20 italic" || fail "TrueType file"
echo "font_builder: ok"
