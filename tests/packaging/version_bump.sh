#!/usr/bin/env bash
# A version bump is one line, project(... VERSION ...), and everything follows
# it: the window's texts, gbkhex-cli --version, the Windows version record and
# the Debian package. Builds a copy of the sources with another version.
# Usage: version_bump.sh SOURCE_DIR CMAKE CPACK CXX_COMPILER
set -euo pipefail
source_dir=$1 cmake=$2 cpack=$3 cxx=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
expect() {  # what, actual, expected
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: got '$2', expected '$3'"
    failures=$((failures + 1))
  fi
}

mkdir "$work/src"
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/src" -xf -
sed -i 's/^\(  VERSION \)[0-9.]*$/\12.5.0/' "$work/src/CMakeLists.txt"
changed=$(diff "$source_dir/CMakeLists.txt" "$work/src/CMakeLists.txt" | grep -c '^>' || true)
expect "lines changed for the bump" "$changed" 1

"$cmake" -S "$work/src" -B "$work/build" -DCMAKE_BUILD_TYPE= -DGBKHEX_BUILD_TESTS=OFF \
  -DGBKHEX_BUILD_BENCH=OFF -DGBKHEX_BUILD_QT=OFF >"$work/configure.log" ||
  { cat "$work/configure.log"; exit 1; }
"$cmake" --build "$work/build" --target gbkhex-cli >"$work/build.log" ||
  { cat "$work/build.log"; exit 1; }

expect "gbkhex-cli --version" "$("$work/build/cli/gbkhex-cli" --version)" "gbkhex-cli 2.05"

# The window's version, read through the same header that every front end includes.
cat >"$work/texts.cpp" <<'CPP'
#include <iostream>
#include "window/model/form_layout.h"
int main() { std::cout << gbkhex::layout::kVersion << '\n'; }
CPP
"$cxx" -std=c++20 -I"$work/src" -I"$work/build/generated" "$work/texts.cpp" -o "$work/texts"
expect "the window's version" "$("$work/texts")" "2.05"

rc_header=$work/build/generated/gbkhex/product_rc.h
expect "version record numbers" "$(sed -n 's/^#define GBKHEX_VERSION_NUMBERS //p' "$rc_header")" "2,5,0,0"
expect "version record text" "$(sed -n 's/^#define GBKHEX_VERSION_TEXT //p' "$rc_header")" '"2.05"'

if command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$work/build" && "$cpack" -G DEB >"$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
  deb=$(ls "$work/build/packages/"*.deb)
  expect "package file" "$(basename "$deb")" "gbkhex_2.5.0_amd64.deb"
  expect "package version" "$(dpkg-deb -f "$deb" Version)" "2.5.0"
else
  echo "dpkg-deb or dpkg-shlibdeps missing: the package's version is not checked"
fi

[ "$failures" -eq 0 ] && echo "everything follows version 2.5.0"
