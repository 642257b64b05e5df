#!/usr/bin/env bash
# cpack makes the Debian package; it holds the headers, the library, the CMake package and
# the pkg-config file under /usr, and depends on the Debian packages of the engine's libraries.
set -euo pipefail
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$work" >"$work/log" 2>&1) || { cat "$work/log"; fail "cpack"; }
deb=$(find "$work" -maxdepth 1 -name 'tarvok_*.deb')
[ -n "$deb" ] || fail "no tarvok_*.deb written"

contents=$(dpkg-deb --contents "$deb" | awk '{ print $NF }')
for path in ./usr/include/tarvok/engine/tvk.h ./usr/include/tarvok/kit/draw/sprite.h \
    ./usr/lib/cmake/tarvok/tarvokConfig.cmake ./usr/lib/cmake/tarvok/tarvokConfigVersion.cmake \
    ./usr/lib/cmake/tarvok/tarvokTargets.cmake ./usr/lib/pkgconfig/tarvok.pc; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
grep -qE '^\./usr/lib/libtvk\.(a|so)$' <<<"$contents" || fail "the package lacks the library"
grep -qF tvk_impl.h <<<"$contents" && fail "the package holds a private header"

depends=$(dpkg-deb --field "$deb" Depends)
for package in libsdl2 libminizip fonts-liberation2; do
  grep -qF "$package" <<<"$depends" || fail "Depends lacks $package: $depends"
done
echo "debian package: 1 passed, 0 failed"
