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
[ "$(cat out)" = AB ] && grep -q 'bad-dump.txt:1:7: error: the bytes 81 20 .* at byte offset 6' err ||
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
  script -qec "$cli_program two.txt -o two.out" /dev/null < /dev/null > tty.out
  [ ! -s tty.out ] && cmp -s two.out <(printf '41 42 ') || fail "terminal, -o: $(od -An -c two.out)"
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

# A string table: one header, its faults all at once at their line and
# display column, and its characters.
cat > table.txt <<'TABLE'
# menu
menu_main = 主菜单
	greeting  = "Hi, \"you\"\r\n"
TABLE
"$cli" --table table.txt > table.h
cat > table.c <<'C'
#include <stdio.h>
#include "table.h"
int main(void) {
  return fwrite(menu_main, 1, menu_main_len, stdout) == menu_main_len &&
         fwrite(greeting, 1, greeting_len, stdout) == greeting_len ? 0 : 1;
}
C
printf '主菜单Hi, "you"\r\n' | iconv -f UTF-8 -t CP936 > want.bin
if $cc -std=c99 -Wall -Wextra -pedantic -Werror table.c -o table 2>compile.log; then
  ./table > got.bin && cmp -s want.bin got.bin || fail "table: bytes differ from iconv"
else
  fail "table: $cc does not compile the header: $(cat compile.log)"
fi
"$cli" --decode table.h > back.txt
[ "$(cat back.txt)" = "$(printf '主菜单Hi, "you"\r\n')" ] || fail "table header does not decode: $(cat back.txt)"
printf 'ok = 十\n\tµ = 1\nmenu = 十µ€ 😀\nmenu = 2\nmenu_len = 3\nx = "a\\q"\n' > faulty.txt
run "$cli" --table faulty.txt
expect_status 1 "a table with faults"
[ "$(cat err)" = "faulty.txt:2:9: error: expected NAME = text, a comment (#) or a blank line; NAME is ASCII letters, digits and _
faulty.txt:3:10: error: U+00B5 'µ' has no exact code in GBK (code page 936)
faulty.txt:3:13: error: U+1F600 '😀' has no exact code in GBK (code page 936)
faulty.txt:4:1: error: the name 'menu' is given twice (lines 3 and 4)
faulty.txt:5:1: error: the name 'menu_len' is the length constant of 'menu' (lines 3 and 5)
faulty.txt:6:7: error: unknown escape in a quoted text (it knows \\\" \\\\ \\n \\r \\t)" ] ||
  fail "table faults: $(cat err)"
"$cli" --table --list table.txt > list.txt
[ "$(sed -n 2p list.txt)" = "$(printf '主\tU+4E3B\tE4 B8 BB\tD6 F7\t5487\t1')" ] ||
  fail "--table --list: $(cat list.txt)"

# C string literals of every code, as a C compiler reads them: exact text
# against iconv, and back through --decode; every unit of UTF-16 (the
# surrogates in pairs, U+0000 aside) with --lossy, against the same bytes as
# C constants.
literal_program() {  # NAME: a program that prints the literal in NAME.lit
  { echo '#include <stdio.h>'; echo 'static const char s[] ='; cat "$1.lit"; echo ';'
    echo 'int main(void) { return fwrite(s, 1, sizeof s - 1, stdout) == sizeof s - 1 ? 0 : 1; }'
  } > "$1.c"
  $cc -std=c99 -Wall -Wextra -Werror "$1.c" -o "$1" 2>compile.log && ./"$1" > "$1.bin" ||
    fail "$1: the literal does not compile: $(head -3 compile.log)"
}
python3 -c '
import sys
text = "".join(chr(u) for u in range(1, 0x10000) if not 0xD800 <= u <= 0xDFFF)
exact = "".join(c for c in text if c.encode("cp936", "replace").decode("cp936") == c or c == "\u20ac")
sys.stdout.buffer.write(exact.encode("utf-8"))
units = b"".join(u.to_bytes(2, "little") for u in range(1, 0x10000) if not 0xD800 <= u <= 0xDFFF)
pairs = b"".join(h.to_bytes(2, "little") + (0xDC00 + (h - 0xD800)).to_bytes(2, "little") for h in range(0xD800, 0xDC00))
open("all-units.txt", "wb").write(b"\xff\xfe" + units + pairs)
' > exact.txt
run "$cli" --format string exact.txt
expect_status 0 "--format string of every exact code"
cp out exact.lit
literal_program exact
iconv -f UTF-8 -t CP936 exact.txt | cmp -s - exact.bin || fail "--format string: the compiled bytes are not iconv's"
"$cli" --decode exact.lit | cmp -s - exact.txt || fail "--format string: --decode does not give the text back"
if [ -f all-units.txt ]; then
  "$cli" --format string --lossy all-units.txt > lossy.lit 2>/dev/null
  literal_program lossy
  { echo 'static const unsigned char b[] = {'; "$cli" --format c --lossy all-units.txt 2>/dev/null; echo '};'
    echo '#include <stdio.h>'
    echo 'int main(void) { return fwrite(b, 1, sizeof b, stdout) == sizeof b ? 0 : 1; }'
  } > constants.c
  $cc -std=c99 constants.c -o constants && ./constants > constants.bin
  cmp -s lossy.bin constants.bin || fail "--format string --lossy: other bytes than the C format's"
fi

# -o: the bytes of standard output, for every action; after any failure the
# old file is as it was and no other file is left in its folder.
for form in "--format hex" "--format c" "--format string" "--array a" "--table" "--list" "--decode"; do
  input=mixed.txt
  case $form in --table) input=table.txt ;; --decode) input=exact.lit ;; esac
  "$cli" $form "$input" > stdout.out
  "$cli" $form -o file.out "$input" && cmp -s stdout.out file.out || fail "$form -o: not the bytes of standard output"
done
mkdir kept
printf 'the old header\n' > kept/strings.h
listing() { ls -A kept; cat kept/strings.h; }
before=$(listing)
printf 'x = \xC3\x28\n' > ill-formed.txt
for case in "bad input:--table ill-formed.txt" "unencodable text:--table faulty.txt" \
  "unencodable text:inexact.txt" "no such input:no-such-file.txt"; do
  run "$cli" ${case#*:} -o kept/strings.h
  expect_status 1 "-o, ${case%%:*}"
  [ "$(listing)" = "$before" ] || fail "-o, ${case%%:*}: the folder changed: $(listing)"
done
run "$cli" --table table.txt -o no-such-folder/strings.h
expect_status 1 "-o into a folder that does not exist"
grep -q 'cannot write no-such-folder/strings.h' err || fail "-o, missing folder: $(cat err)"
if [ "$(id -u)" != 0 ]; then
  chmod a-w kept
  run "$cli" --table table.txt -o kept/strings.h
  chmod u+w kept
  expect_status 1 "-o into a folder that cannot be written"
  [ "$(listing)" = "$before" ] || fail "-o, unwritable folder: the folder changed"
fi
"$cli" --table table.txt -o kept/strings.h && cmp -s kept/strings.h table.h ||
  fail "-o: the header did not replace the old file"
"$cli" --table table.txt -o 字符串.h && cmp -s 字符串.h table.h || fail "-o: a Chinese file name"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "all end-to-end checks passed"
