#!/usr/bin/env bash
# gbkhex-cli.exe on a console writes its text through WriteConsoleW, so that
# the console shows the characters in its own code page; redirected, the same
# text stays UTF-8. Under Wine a program started on a terminal gets a console
# that writes in the terminal's locale: in a GB18030 locale, 啰 (U+5570) shows
# as the bytes 86 AA, where UTF-8 bytes written past the console would stay
# E5 95 B0. --list, whose first field is the character, goes the same way.
# Usage: console_text.sh WINE GBKHEX_CLI_EXE
set -euo pipefail
wine=$1 exe=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

localedef -i zh_CN -f GB18030 "$work/zh_CN.GB18030" ||
  { echo "FAIL: no GB18030 locale can be made (localedef, from the package locales)"; exit 1; }
printf '\xe5\x95\xb0' > luo.txt
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
on_console() {
  LOCPATH=$work LC_ALL=zh_CN.GB18030 script -qec "$wine $exe $*" /dev/null < /dev/null > console.out || true
}
has() { LC_ALL=C grep -qF "$(printf "$1")" console.out; }

on_console --charset gb2312 luo.txt  # a message, on standard error
# In Chinese, as the locale asks: 不在 GB2312 中 in the console's GB18030.
has "'\x86\xaa' \xb2\xbb\xd4\xda GB2312 \xd6\xd0" ||
  fail "message on the console: $(od -An -c console.out)"
printf '86 AA' > luo-dump.txt
on_console --decode luo-dump.txt
has '\x86\xaa' && ! has '\xe5\x95\xb0' || fail "text on the console: $(od -An -c console.out)"
on_console --list luo.txt  # the list's first field is the character itself
has '\x86\xaa' && has 'U+5570' && ! has '\xe5\x95\xb0' ||
  fail "--list on the console: $(od -An -c console.out)"

"$wine" "$exe" --charset gb2312 luo.txt 2> redirected.err > /dev/null || true
LC_ALL=C grep -qF "$(printf "'\xe5\x95\xb0' is not in GB2312")" redirected.err ||
  fail "redirected message: $(od -An -c redirected.err)"
"$wine" "$exe" --decode luo-dump.txt > redirected.out
cmp -s redirected.out luo.txt || fail "redirected text: $(od -An -c redirected.out)"
"$wine" "$exe" --list luo.txt > redirected.out
LC_ALL=C grep -qF "$(printf '\xe5\x95\xb0\tU+5570')" redirected.out ||
  fail "redirected --list: $(od -An -c redirected.out)"

[ "$failures" -eq 0 ] || exit 1
echo "console and redirected text checked"
