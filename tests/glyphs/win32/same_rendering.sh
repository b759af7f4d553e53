#!/usr/bin/env bash
# The Windows build's FreeType, libpng and zlib (static, built from Debian's
# source packages) against Debian's own shared libraries: one program, built
# both ways, draws the same glyphs of several fonts (outlines hinted by each
# font's hinter, the auto-hinter, embedded bitmaps; 1 bit and grey) and must
# write the same PNG and the same placements, byte for byte.
# Usage: same_rendering.sh PROBE_EXE WINE HOST_CXX PROBE_SOURCE WORK_DIR
set -euo pipefail
exe=$1 wine=$2 cxx=$3 source=$4 work=$5
mkdir -p "$work"
rm -f "$work"/linux.* "$work"/windows.*

native="$work/freetype_png_probe"
# shellcheck disable=SC2046 # pkg-config's flags are words
"$cxx" -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror "$source" -o "$native" \
  $(pkg-config --cflags --libs freetype2 libpng zlib)
loaded=$(ldd "$native")
for library in libfreetype.so.6 libpng16.so.16 libz.so.1; do
  if ! grep -q "$library => /lib\|$library => /usr/lib" <<< "$loaded"; then
    echo "FAIL: the native probe does not load Debian's $library"
    exit 1
  fi
done

fonts=/usr/share/fonts
renders=(
  "$fonts/opentype/unifont/unifont.otf" 0 16 mono
  "$fonts/opentype/unifont/unifont.otf" 0 24 grey
  "$fonts/opentype/noto/NotoSansCJK-Regular.ttc" 2 16 mono
  "$fonts/opentype/noto/NotoSansCJK-Regular.ttc" 2 24 grey
  "$fonts/truetype/wqy/wqy-microhei.ttc" 1 16 mono
  "$fonts/truetype/wqy/wqy-microhei.ttc" 0 24 grey
  "$fonts/truetype/wqy/wqy-zenhei.ttc" 2 12 mono
  "$fonts/truetype/wqy/wqy-zenhei.ttc" 0 16 grey
  "$fonts/truetype/liberation/LiberationSans-Regular.ttf" 0 16 mono
  "$fonts/truetype/liberation/LiberationSans-Regular.ttf" 0 24 grey
)
windows_renders=()
for argument in "${renders[@]}"; do
  # Wine's drive Z: is the root of the file system.
  [[ $argument == /* ]] && argument="Z:$argument"
  windows_renders+=("$argument")
done

"$native" "$work/linux.png" "$work/linux.txt" "${renders[@]}"
"$wine" "$exe" "Z:$work/windows.png" "Z:$work/windows.txt" "${windows_renders[@]}"

failed=0
for kind in txt png; do
  if ! cmp "$work/linux.$kind" "$work/windows.$kind"; then
    failed=1
    [ "$kind" = txt ] && diff "$work/linux.txt" "$work/windows.txt" | head -n 20
  fi
done
head -n 1 "$work/linux.txt"
glyphs=$(grep -c ' advance ' "$work/linux.txt")
if [ "$failed" -ne 0 ]; then
  echo "FAIL: FreeType and libpng for Windows draw or encode other bytes than Linux's ($work)"
  exit 1
fi
echo "same bytes on Linux and Windows: $glyphs glyphs in $((${#renders[@]} / 4)) renders," \
  "a PNG of $(stat -c %s "$work/linux.png") bytes"
