#!/usr/bin/env bash
# The headers that gbkhex-cli writes (string tables of constants and of
# literals, with and without a 00 terminator, a <stdint.h> type, attributes,
# texts holding */, a final \, quotes and escapes, and --array's headers)
# compile and link from two C and two C++ files of one program, each including
# every header twice, with -Wall -Wextra -Werror -pedantic, under C99 to C23
# and C++11 to C++23, with GCC and Clang; each file prints every entry's bytes,
# which must be the texts as iconv encodes them, and the 00 byte where one is
# asked. The same again with --source: each header declares, a C file of its
# own defines, and the C++ files link to those C definitions; NAME_len is an
# array bound, a case label and a static initialiser in C. MinGW links the
# program for Windows.
# Usage: header_oracle.sh GBKHEX_CLI
# GBKHEX_CLI_LAUNCHER, when set, runs the program (e.g. wine for the .exe).
set -euo pipefail
cli_program=$1
launcher=${GBKHEX_CLI_LAUNCHER:-}
cli() { $launcher "$cli_program" "$@"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir text split

# The texts: how the table writes each one, and the text itself (printf's
# escapes). The last two need --nul or a literal, which can be empty.
long=$(for _ in $(seq 100); do printf '显示'; done)end
table_forms=(
  '主菜单' '十六进制 0123456789' 'a */ b /* c' 'ends in \' '??= ??/ trigraphs'
  '"say \"hi\"\tTAB\r\nCRLF"' '€ 5' 'ABCDEFGHIJKLMNOP' "$long" '"  padded  "' '""'
)
texts=(
  '主菜单' '十六进制 0123456789' 'a */ b /* c' 'ends in \\' '??= ??/ trigraphs'
  'say "hi"\tTAB\r\nCRLF' '€ 5' 'ABCDEFGHIJKLMNOP' "$long" '  padded  ' ''
)

# NAME TERMINATED for every entry (1 when a 00 byte follows its text).
: > entries
# Style, whether its entries end in a 00 byte, and its options.
styles=(
  "v1 0 --table"
  "v2 1 --table --type 'const uint8_t' --attribute '__attribute__((section(\".rodata.lcd\")))' --nul"
  "v3 1 --table --format string"
  "v4 1 --table --format string --type 'const uint8_t' --attribute '__attribute__((aligned(4)))' --nul"
)
failures=0
for style in "${styles[@]}"; do
  read -r name terminated options <<<"$style"
  eval "set -- $options"
  count=${#texts[@]}
  [ "$terminated" = 1 ] || count=$((count - 1))  # constants cannot be empty
  {
    echo "# The texts of style $name"
    for ((i = 0; i < count; i++)); do
      printf '%s_%d = %s\n' "$name" "$i" "${table_forms[i]}"
      printf "${texts[i]//%/%%}" > "text/${name}_$i"
      echo "${name}_$i $terminated" >> entries
    done
  } > "t_$name.txt"
  cli "$@" -o "h_$name.h" "t_$name.txt" 2>cli.log || { echo "FAIL: $name: exit $?: $(cat cli.log)"; failures=$((failures + 1)); }
  cli "$@" -o "split/h_$name.h" --source "split/s_$name.c" "t_$name.txt" 2>cli.log ||
    { echo "FAIL: $name --source: exit $?: $(cat cli.log)"; failures=$((failures + 1)); }
done
# One text as --array writes it: constants, with --nul, and a literal.
printf "${texts[8]}" > text.txt
for single in "single_c 0" "single_n 1 --nul" \
  "single_s 1 --format string --type 'const uint8_t' --attribute '__attribute__((aligned(2)))'"; do
  read -r name terminated options <<<"$single"
  eval "set -- $options"
  cli --array "$name" "$@" -o "h_$name.h" text.txt 2>cli.log || { echo "FAIL: $name: exit $?: $(cat cli.log)"; failures=$((failures + 1)); }
  cli --array "$name" "$@" -o "split/h_$name.h" --source "split/s_$name.c" text.txt 2>cli.log ||
    { echo "FAIL: $name --source: exit $?: $(cat cli.log)"; failures=$((failures + 1)); }
  cp text.txt "text/$name"
  echo "$name $terminated" >> entries
done
[ "$failures" -eq 0 ] || exit 1

# What every file must print: NAME LENGTH HEX (the whole array, terminator included).
while read -r name terminated; do
  hex=$(iconv -f UTF-8 -t CP936 "text/$name" | od -An -v -tx1 | tr -d ' \n' | tr a-f A-F)
  length=$(( ${#hex} / 2 ))
  [ "$terminated" = 1 ] && hex="${hex}00"
  echo "$name $length $hex"
done < entries > want-one
for _ in 1 2 3 4; do cat want-one; done > want

{
  for header in h_*.h; do echo "#include \"$header\""; echo "#include \"$header\""; done
} > all.h
awk '{ print "  P(" $1 ");" }' entries > print.inc
for unit in c1 c2 p1 p2; do
  {
    echo '#include <stdio.h>'
    echo '#include "all.h"'
    case $unit in p*) echo 'extern "C" {' ;; esac
    echo "void print_$unit(void);"
    case $unit in p*) echo '}' ;; esac
    echo 'static void print_entry(const char *name, const unsigned char *bytes, size_t size,'
    echo '                        unsigned long length) {'
    echo '  size_t i;'
    echo '  printf("%s %lu ", name, length);'
    echo '  for (i = 0; i < size; i++) printf("%02X", (unsigned)bytes[i]);'
    echo '  printf("\n");'
    echo '}'
    echo '#define P(n) print_entry(#n, (const unsigned char *)n, sizeof n, n##_len)'
    echo "void print_$unit(void) {"
    echo '#include "print.inc"'
    echo '}'
  } > "$unit.${unit:0:1}"
done
mv p1.p p1.cpp; mv p2.p p2.cpp
cat >> c1.c <<'C'
/* NAME_len is a constant expression in C: an array bound, a case label and a
   static initialiser. */
unsigned char bound[v1_0_len];
static const unsigned long initialised = v3_1_len;
int length_case(unsigned long n);
int length_case(unsigned long n) {
  switch (n) {
    case v1_0_len: return bound[0] + (int)sizeof bound;
    case single_c_len: return 1;
    default: return (int)initialised;
  }
}
C
cat >> p1.cpp <<'CPP'
extern "C" {
void print_c1(void);
void print_c2(void);
void print_p2(void);
}
int main() {
  print_c1();
  print_c2();
  print_p1();
  print_p2();
  return 0;
}
CPP

flags="-Wall -Wextra -Werror -pedantic"
programs=0
cp all.h print.inc c1.c c2.c p1.cpp p2.cpp split/
# Builds one program: C compiler and standard, C++ compiler and standard; in
# split/, with the definitions of --source compiled as C.
build() (
  local cc=$1 cstd=$2 cxx=$3 cxxstd=$4 out=$5 dir=${out%%/*} name=${out#*/} source
  [ "$dir" != "$out" ] || dir=.
  cd "$dir" &&
    $cc -std="$cstd" $flags -c c1.c -o "$name.c1.o" && $cc -std="$cstd" $flags -c c2.c -o "$name.c2.o" &&
    $cxx -std="$cxxstd" $flags -c p1.cpp -o "$name.p1.o" &&
    $cxx -std="$cxxstd" $flags -c p2.cpp -o "$name.p2.o" || return 1
  for source in s_*.c; do
    [ -e "$source" ] || continue
    $cc -std="$cstd" $flags -c "$source" -o "$name.${source%.c}.o" || return 1
  done
  $cxx "$name".*.o -o "$name"
)
pids=() names=()
for pair in gcc:g++ clang:clang++; do
  cc=${pair%:*} cxx=${pair#*:}
  command -v "$cc" >/dev/null && command -v "$cxx" >/dev/null || continue
  for standards in c99:c++11 c11:c++17 c17:c++2b c2x:c++17 c99:c++14 c2x:c++20; do
    for dir in . split; do
      out="$dir/$cc-${standards/:/-}"
      ( build "$cc" "${standards%:*}" "$cxx" "${standards#*:}" "$out" > "$out.log" 2>&1 ) &
      pids+=($!) names+=("$out")
      if [ ${#pids[@]} -ge 2 ]; then wait "${pids[0]}" || true; pids=("${pids[@]:1}"); fi
    done
  done
done
wait || true
for out in "${names[@]}"; do
  programs=$((programs + 1))
  if [ ! -x "$out" ]; then
    echo "FAIL: $out does not build:"; head -20 "$out.log"; failures=$((failures + 1))
  elif ! "./$out" > "$out.got" || ! cmp -s want "$out.got"; then
    echo "FAIL: $out prints other bytes:"; diff want "$out.got" | head -10; failures=$((failures + 1))
  fi
done
[ "$programs" -gt 0 ] || { echo "no C and C++ compiler"; exit 1; }

if command -v x86_64-w64-mingw32-gcc >/dev/null && command -v x86_64-w64-mingw32-g++ >/dev/null; then
  for standards in c99:c++11 c2x:c++2b; do
    out="mingw-${standards/:/-}.exe"
    [ "$standards" = c99:c++11 ] || out="split/$out"
    if build x86_64-w64-mingw32-gcc "${standards%:*}" x86_64-w64-mingw32-g++ "${standards#*:}" \
      "$out" > mingw.log 2>&1; then
      programs=$((programs + 1))
    else
      echo "FAIL: $out does not build:"; head -20 mingw.log; failures=$((failures + 1))
    fi
  done
fi
[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "$programs programs of two C and two C++ files built, half of them with --source; each printed the bytes of $(wc -l < entries) entries"
