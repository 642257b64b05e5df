#!/usr/bin/env bash
# Installs the engine into a temporary prefix, checks what a game sees there (public headers
# only, each compiling on its own; a shared library exporting only the public interface), then
# builds two games outside the tree against it, one through find_package(tarvok) and one
# through pkg-config, and runs each on the software device under a virtual display: its frame
# must show the square.
# The README's first program must build against the same install.
set -euo pipefail
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cxx=${CXX:-c++}
read -ra flags <<<"${CXXFLAGS:-}"
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
includes=$prefix/include/tarvok

[ "$(cd "$includes/engine" && ls)" = "$(printf 'tvk.h\ntvk_export.h')" ] ||
  fail "private engine headers installed: $(ls "$includes/engine")"
[ ! -e "$includes/platform" ] || fail "platform headers installed"
while read -r header; do
  echo "#include \"$header\"" | "$cxx" -std=c++20 -fsyntax-only -I"$includes" -x c++ - ||
    fail "$header does not compile on its own from the install"
done < <(cd "$includes" && find . -name '*.h' -printf '%P\n')

shared=$(find "$prefix" -name 'libtvk.so' | head -n 1)
if [ -n "$shared" ]; then
  internal=$(nm -DC --defined-only "$shared" | grep -E 'TVK_Impl|gfx::|os::|image::' || true)
  [ -z "$internal" ] || fail "libtvk.so exports internal symbols: $internal"
fi

cmake -S "$src/tests/install" -B "$work/cmake-game" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" >/dev/null || fail "find_package(tarvok) failed"
cmake --build "$work/cmake-game" >/dev/null || fail "the CMake game does not build"

pcdir=$(dirname "$(find "$prefix" -name tarvok.pc)")
export PKG_CONFIG_PATH=$pcdir
read -ra pc_cflags <<<"$(pkg-config --cflags tarvok)"
read -ra pc_libs <<<"$(pkg-config --libs tarvok)"
"$cxx" -std=c++20 "${flags[@]}" "${pc_cflags[@]}" "$src/tests/install/game.cpp" \
  -o "$work/game_pkgconfig" "${pc_libs[@]}" || fail "the pkg-config game does not build"
"$cxx" -std=c++20 "${flags[@]}" "${pc_cflags[@]}" "$src/examples/first_game.cpp" \
  -o "$work/first_game" "${pc_libs[@]}" || fail "the README's first program does not build"

# The square (0x30C060) covers (100, 80)-(164, 144) on a 0x102030 screen.
export LD_LIBRARY_PATH=$(dirname "${shared:-$pcdir/x}")${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
export TVK_RENDERER=soft
for game in "$work/cmake-game/game_cmake" "$work/game_pkgconfig"; do
  shot=$work/$(basename "$game").bmp
  xvfb-run -a -s "-screen 0 640x480x24" "$game" "$shot" || fail "$(basename "$game") failed"
  pixel=$(convert "$shot" -format '%[pixel:p{120,100}]' info:)
  [ "$pixel" = "srgb(48,192,96)" ] || fail "$(basename "$game") drew $pixel at (120,100)"
done
echo "installed games: 2 passed, 0 failed"
