#!/usr/bin/env bash
# A C compiler reads the literals that the writer makes of every code (and of
# every byte beside a hexadecimal digit, and of runs of '?') as exactly those
# bytes: GCC and Clang, in C99 (where trigraphs are on) and C++11. Without
# -pedantic, which asks C99's limit of 4095 characters of every literal.
# Usage: string_literal_oracle.sh ORACLE_FILES_PROGRAM
set -euo pipefail
oracle=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$oracle" literal .

failures=0 builds=0
for compile in "gcc -x c -std=c99" "clang -x c -std=c99" "g++ -x c++ -std=c++11" \
  "clang++ -x c++ -std=c++11"; do
  command -v "${compile%% *}" >/dev/null || continue
  builds=$((builds + 1))
  if $compile -Wall -Wextra -Werror -Wtrigraphs literal.c -o literal 2>compile.log; then
    ./literal > got.bin
    cmp -s want.bin got.bin || { echo "FAIL: $compile: the compiled bytes differ"; failures=$((failures + 1)); }
  else
    echo "FAIL: $compile: $(head -5 compile.log)"; failures=$((failures + 1))
  fi
done
[ "$builds" -gt 0 ] || { echo "no C compiler"; exit 1; }
[ "$failures" -eq 0 ] || exit 1
echo "$builds compilers read the literals of $(stat -c %s want.bin) bytes as those bytes"
