#!/usr/bin/env bash
# The firmware guide's string-table recipes, run as they stand there: the Make rule
# and the CMake custom command, each on a sample table, the header compiled
# into a program whose bytes are held to iconv's; a table changed makes the
# header again, and a table with a fault fails the build and leaves the header
# as it was, with no file beside it.
# Usage: readme_recipes.sh docs/firmware.md GBKHEX_CLI C_COMPILER
set -euo pipefail
readme=$(cd "$(dirname "$1")" && pwd)/$(basename "$1") cli=$2 cc=$3
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
# The recipes call gbkhex-cli by name.
mkdir "$work/bin"
ln -s "$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")" "$work/bin/gbkhex-cli"
export PATH="$work/bin:$PATH"
cd "$work"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The first block of LANGUAGE after the heading "In a firmware build".
recipe() {
  awk -v fence="\`\`\`$1" '
    /^##+ In a firmware build/ { section = 1; next }
    section && /^##/ { exit }
    section && $0 == fence { inside = 1; next }
    inside && /^```/ { exit }
    inside { print }' "$readme"
}
recipe make > make.recipe
recipe cmake > cmake.recipe
[ -s make.recipe ] && [ -s cmake.recipe ] || { echo "FAIL: the guide has no Make or CMake recipe"; exit 1; }

write_table() {  # the status line's text
  printf '# The main menu\nmenu_main  = 主菜单\nmenu_back  = "返回 <"\nstatus_ok  = %s\n' "$1" > "$2/strings.txt"
}
cat > main.c <<'C'
#include <stdio.h>
#include "strings.h"
int main(void) {
  return fwrite(menu_main, 1, menu_main_len, stdout) == menu_main_len &&
         fwrite(menu_back, 1, menu_back_len, stdout) == menu_back_len &&
         fwrite(status_ok, 1, status_ok_len, stdout) == status_ok_len ? 0 : 1;
}
C
want() { printf '主菜单返回 <%s' "$1" | iconv -f UTF-8 -t CP936; }

# Make, in a folder of its own.
mkdir make && cp main.c make/ && write_table 运行正常 make
{ echo "CFLAGS = -std=c99 -Wall -Wextra -pedantic -Werror"; cat make.recipe; } > make/Makefile
if make -C make main.o > make.log 2>&1 && $cc make/main.o -o make/main; then
  make/main | cmp -s - <(want 运行正常) || fail "Make: the program's bytes are not iconv's"
  make -C make -q strings.h || fail "Make: the header is not up to date after the build"
  before=$(cat make/strings.h)
  echo 'status_bad = 温度µ' >> make/strings.txt
  if make -C make main.o > make.log 2>&1; then fail "Make: a table with a fault built"; fi
  grep -q "strings.txt:5:18: error: U+00B5 'µ' is not in GB2312" make.log ||
    fail "Make: the fault is not named: $(cat make.log)"
  [ "$(cat make/strings.h)" = "$before" ] || fail "Make: the failed build changed the header"
  [ "$(ls -A make | sort | tr '\n' ' ')" = "Makefile main main.c main.o strings.h strings.txt " ] ||
    fail "Make: the failed build left a file behind: $(ls -A make)"
else
  fail "Make: the recipe does not build: $(cat make.log)"
fi

# CMake: a firmware target that the recipe adds the header to.
mkdir cmake && cp main.c cmake/ && write_table 运行正常 cmake
{
  echo "cmake_minimum_required(VERSION 3.20)"
  echo "project(recipe C)"
  echo "add_executable(firmware main.c)"
  cat cmake.recipe
} > cmake/CMakeLists.txt
if cmake -S cmake -B cmake/build > cmake.log 2>&1 && cmake --build cmake/build >> cmake.log 2>&1; then
  cmake/build/firmware | cmp -s - <(want 运行正常) || fail "CMake: the program's bytes are not iconv's"
  write_table 待机 cmake
  cmake --build cmake/build >> cmake.log 2>&1 || fail "CMake: no build after the table changed"
  cmake/build/firmware | cmp -s - <(want 待机) || fail "CMake: the header was not made again"
else
  fail "CMake: the recipe does not build: $(cat cmake.log)"
fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "the README's Make and CMake recipes build, and make the header again when the table changes"
