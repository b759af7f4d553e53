#!/usr/bin/env bash
# gbkhex-cli as a build runs it: a real process, real files and pipes, and the
# --array output compiled by the C and C++ compilers, its bytes compared with
# what iconv makes of the same text.
# Usage: cli_end_to_end.sh GBKHEX_CLI C_COMPILER CXX_COMPILER
set -euo pipefail
cli=$1 cc=$2 cxx=$3
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
grep -q 'bad.txt: invalid UTF-8 at byte offset 2' err || fail "bad offset: $(cat err)"

if [ -w /dev/full ]; then
  set +e; "$cli" mixed.txt > /dev/full 2>err; status=$?; set -e
  expect_status 1 "write to a full device"
  grep -q 'cannot write the output' err || fail "write error not reported: $(cat err)"
fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "all end-to-end checks passed"
