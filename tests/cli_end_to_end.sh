#!/usr/bin/env bash
# gbkhex-cli as a build runs it: a real process, real files and pipes, and the
# --array output compiled by the C and C++ compilers, its bytes compared with
# what iconv makes of the same text.
# Usage: cli_end_to_end.sh GBKHEX_CLI C_COMPILER CXX_COMPILER
# GBKHEX_CLI_LAUNCHER, when set, runs the program (e.g. wine for the .exe).
set -euo pipefail
cli_program=$1 cc=$2 cxx=$3
launcher=${GBKHEX_CLI_LAUNCHER:-}
cli() { $launcher "$cli_program" "$@"; }
cli=cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Runs the command after --, keeping stdout in out, stderr in err and the exit status in status.
run() { set +e; "$@" >out 2>err; status=$?; set -e; }

expect_status() {
  [ "$status" -eq "$1" ] || fail "$2: exit status $status, expected $1 ($(cat err))"
}

cat > main.c <<'C'
#include <stdio.h>
#include "text.h"
int main(void) {
  if (sizeof text != text_len) return 2;
  return fwrite(text, 1, text_len, stdout) == text_len ? 0 : 1;
}
C

# Texts whose arrays end inside a line, exactly on a full line (16 and 32 bytes),
# and that hold LF and CR LF line breaks.
printf '欢迎使用\n十六进制 0123456789\r\nABC' > mixed.txt
printf 'ABCDEFGHIJKLMNOP' > line16.txt
printf '十六进制十六进制\r\n中文ABCDEFGHIJKL' > line32.txt
for input in mixed.txt line16.txt line32.txt; do
  iconv -f UTF-8 -t CP936 "$input" > want.bin
  "$cli" --array text "$input" > text.h
  for compile in "$cc -std=c99" "$cxx -x c++ -std=c++17"; do
    if $compile -Wall -Wextra -pedantic -Werror main.c -o main 2>compile.log; then
      ./main > got.bin && cmp -s want.bin got.bin || fail "$input: $compile: bytes differ from iconv"
    else
      fail "$input: $compile does not compile the array: $(cat compile.log)"
    fi
  done
done

# Standard input, "-" and a file give the same output; a byte-order mark is skipped.
"$cli" --format c mixed.txt > from_file
"$cli" --format c < mixed.txt > from_stdin
cat mixed.txt | "$cli" --format c - > from_pipe
cmp -s from_file from_stdin && cmp -s from_file from_pipe || fail "stdin and file outputs differ"
{ printf '\xEF\xBB\xBF'; cat mixed.txt; } | "$cli" --format c > from_bom
cmp -s from_file from_bom || fail "byte-order mark not skipped"

run "$cli" --bogus mixed.txt
expect_status 2 "unknown option"
[ ! -s out ] && grep -q '^Usage: gbkhex-cli' err || fail "unknown option: no usage on stderr"

run "$cli" mixed.txt no-such-file.txt
expect_status 1 "missing file"
grep -q 'no-such-file.txt' err || fail "missing file not named: $(cat err)"

printf 'AB\xC3\x28' > bad.txt
run "$cli" bad.txt
expect_status 1 "invalid UTF-8"
[ "$(cat out)" = "41 42 " ] || fail "output before the bad sequence lost: '$(cat out)'"
grep -q 'bad.txt:1:3: error: invalid UTF-8 (byte C3) at byte offset 2' err || fail "bad offset: $(cat err)"

# The firmware recipe: the header included twice in each of two files of one
# program, as C and as C++. C keeps a copy of the bytes in each file that uses
# them, C++17 one for the whole program: counted in the linked program.
cat > user.c <<'C'
#include "text.h"
#include "text.h"
const unsigned char *user_text(void) { return text; }
unsigned long user_len(void) { return text_len; }
C
cat > recipe.c <<'C'
#include <stdio.h>
#include <string.h>
#include "text.h"
#include "text.h"
const unsigned char *user_text(void);
unsigned long user_len(void);
int main(void) {
  if (user_len() != text_len || memcmp(user_text(), text, text_len) != 0) return 2;
  return fwrite(text, 1, text_len, stdout) == text_len ? 0 : 1;
}
C
printf '显示屏的字库只有国标二三一二' > recipe.txt
iconv -f UTF-8 -t CP936 recipe.txt > want.bin
"$cli" --array text recipe.txt > text.h
for build in "c 2 $cc -std=c99" "c 2 $cc -std=c17" "c++ 1 $cxx -x c++ -std=c++17" \
  "c++ 2 $cxx -x c++ -std=c++11"; do
  read -r language copies compile <<<"$build"
  if $compile -O2 -Wall -Wextra -pedantic -Werror user.c recipe.c -o recipe 2>compile.log; then
    ./recipe > got.bin && cmp -s want.bin got.bin || fail "recipe, $compile: bytes differ from iconv"
    found=$(LC_ALL=C grep -aoF -f want.bin recipe | wc -l)
    [ "$found" -eq "$copies" ] || fail "recipe, $compile: $found copies of the bytes, expected $copies"
  else
    fail "recipe, $compile: does not build: $(cat compile.log)"
  fi
done

run "$cli" --array linux recipe.txt
expect_status 2 "a predefined macro as the array name"
grep -q "array name 'linux' is a macro" err || fail "no reason for refusing 'linux': $(cat err)"

# Text that code page 936 cannot hold exactly: refused where it is, or with
# --lossy written as the window writes it, with one line of warning.
printf 'ab\n\xe5\x8d\x81\xc2\xb5 \xc3\xbe' > inexact.txt
run "$cli" inexact.txt
expect_status 1 "a best-fit character"
[ "$(cat out)" = "61 62 0A CA AE " ] || fail "output before the inexact character: '$(cat out)'"
[ "$(cat err)" = "inexact.txt:2:3: error: U+00B5 'µ' has no exact code in GBK (code page 936)
inexact.txt:2:5: error: U+00FE 'þ' has no exact code in GBK (code page 936)" ] ||
  fail "inexact character: $(cat err)"
run "$cli" --lossy inexact.txt
expect_status 0 "--lossy"
[ "$(cat out)" = "61 62 0A CA AE A6 CC 20 74 " ] || fail "--lossy output: '$(cat out)'"
grep -q '^inexact.txt:2:3: warning: 2 characters have no exact code' err ||
  fail "--lossy warning: $(cat err)"
printf '\xe4\xb8\xad\xe5\x95\xb0' > gbk-only.txt
run "$cli" --charset gb2312 gbk-only.txt
expect_status 1 "--charset gb2312 on a GBK-only character"
grep -q "gbk-only.txt:1:3: error: U+5570 '啰' is not in GB2312" err || fail "gb2312: $(cat err)"

# The way back: every output form, and xxd's, decodes to the text.
for form in "--format hex" "--format c" "--array back"; do
  "$cli" $form mixed.txt > dump.txt
  "$cli" --decode dump.txt > back.txt && cmp -s mixed.txt back.txt || fail "$form: no round trip"
done
if command -v xxd >/dev/null; then
  iconv -f UTF-8 -t CP936 mixed.txt > mixed.bin
  xxd -i mixed.bin | "$cli" --decode > back.txt && cmp -s mixed.txt back.txt ||
    fail "xxd -i output does not decode to the text"
fi
printf '41 42 81 20' > bad-dump.txt
run "$cli" --decode bad-dump.txt
expect_status 1 "--decode of an undefined sequence"
[ "$(cat out)" = AB ] && grep -q 'bad-dump.txt: the bytes 81 20 .* at byte offset 6' err ||
  fail "--decode of an undefined sequence: '$(cat out)' $(cat err)"

# A file name in Chinese, converted and named in messages as it was given.
cp inexact.txt 中文名.txt
run "$cli" --lossy 中文名.txt
expect_status 0 "a Chinese file name"
grep -q '^中文名.txt:2:3: warning' err || fail "Chinese file name: $(cat err)"

# On a terminal the output ends with a line break (which the pty turns into
# CR LF), so that the prompt starts a line of its own; into a pipe, never.
if [ -z "$launcher" ] && command -v script >/dev/null; then
  printf 'AB' > two.txt
  script -qec "$cli_program two.txt" /dev/null < /dev/null > tty.out
  cmp -s tty.out <(printf '41 42 \r\n') || fail "terminal: $(od -An -c tty.out)"
  script -qec "$cli_program two.txt | cat" /dev/null < /dev/null > tty.out
  cmp -s tty.out <(printf '41 42 ') || fail "terminal, through a pipe: $(od -An -c tty.out)"
fi

# Text in other forms than UTF-8: UTF-16 with a byte-order mark (both byte
# orders, as iconv writes them) gives the UTF-8 text's output; GBK bytes are
# refused with a hint, and taken with --from gbk; UTF-16 without a mark is
# refused for its NUL bytes, with a hint too.
"$cli" --format c mixed.txt > want.txt
for order in UTF-16LE UTF-16BE; do
  { [ $order = UTF-16LE ] && printf '\xFF\xFE' || printf '\xFE\xFF'; iconv -f UTF-8 -t $order mixed.txt; } > utf16.txt
  "$cli" --format c utf16.txt > got.txt && cmp -s want.txt got.txt || fail "$order: not the UTF-8 output"
done
iconv -f UTF-8 -t CP936 mixed.txt > gbk.txt
run "$cli" gbk.txt
expect_status 1 "GBK bytes as UTF-8"
grep -q '^gbk.txt:1:1: error: invalid UTF-8 (byte BB) at byte offset 0; the file looks like GBK already: use --from gbk$' err ||
  fail "GBK hint: $(head -1 err)"
"$cli" --from gbk --format c gbk.txt > got.txt && cmp -s want.txt got.txt || fail "--from gbk: not the UTF-8 output"
printf "ABC" | iconv -f UTF-8 -t UTF-16LE > utf16le.txt
run "$cli" utf16le.txt
expect_status 1 "UTF-16 without a byte-order mark"
grep -q '^utf16le.txt:1:2: error: U+0000 (NUL), which would end a C string early; the input looks like UTF-16 without a byte-order mark$' err ||
  fail "NUL: $(head -1 err)"

# A read that fails is an error, not the end of the input.
run "$cli" < /
expect_status 1 "a directory as standard input"
grep -q 'standard input: read error' err || fail "directory as standard input: $(cat err)"

if [ -w /dev/full ]; then
  for option in --help --version; do
    set +e; "$cli" $option > /dev/full 2>err; status=$?; set -e
    expect_status 1 "$option to a full device"
    grep -q 'cannot write the output: ' err || fail "$option: no reason given: $(cat err)"
  done
  set +e; "$cli" mixed.txt > /dev/full 2>err; status=$?; set -e
  expect_status 1 "write to a full device"
  grep -q 'cannot write the output' err || fail "write error not reported: $(cat err)"
fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "all end-to-end checks passed"
