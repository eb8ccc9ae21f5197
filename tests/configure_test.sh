#!/bin/sh
# Usage: configure_test.sh SOURCE_DIR
# A plain configure, as packagers and most users type it, gives an optimised build; a build type
# given, None included, is kept; and no placeholder address or homepage reaches the packages'
# metadata.
set -eu
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

configure() {
  dir=$work/$1
  shift
  cmake -S "$src" -B "$dir" -G "Unix Makefiles" -DVDX9_BUILD_TESTS=OFF "$@" >"$dir.log" 2>&1 ||
    { cat "$dir.log"; fail "configure $*"; }
}

configure plain
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$work/plain/CMakeCache.txt" || fail "no Release by default"
grep -q -- '-O[23s]' "$work/plain/CMakeFiles/vdx9.dir/flags.make" || fail "plain build not optimised"
configure none -DCMAKE_BUILD_TYPE=None
grep -q '^CMAKE_BUILD_TYPE:STRING=None$' "$work/none/CMakeCache.txt" || fail "None not kept"

if grep -rl 'example\.org' "$work/plain" --include='CPack*Config.cmake' --include=copyright \
  --include='*changelog*'; then
  fail "a placeholder address in the packages' metadata"
fi
echo "plain configure: Release, optimised; None kept; no placeholder metadata"
