#!/usr/bin/env bash
# Checks from outside Windows what gbkhex.exe carries and needs: its icon,
# manifest and version resources, and that it imports nothing but Windows' own
# DLLs. The expected names and version come from the build.
# Usage: check-exe.sh GBKHEX_EXE OBJDUMP MAJOR.MINOR.PATCH VERSION_TEXT COMPANY PRODUCT
set -uo pipefail
exe=$1 objdump=$2 version_numbers=$3 version_text=$4 company=$5 product=$6
passed=0 failed=0

check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
  fi
}

# The bytes of a file or of standard input as " xx xx ...", one line.
hex_bytes() { od -An -tx1 -v "$@" | tr -s ' \n' '  ' | sed 's/ *$//'; }
# A text as the UTF-16LE bytes that resources hold, in the same form.
utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | hex_bytes; }
# A number as the four bytes of a little-endian WORD pair high.low, e.g. "01 00 00 00".
word_pair() { printf '%02x %02x %02x %02x' $(($2 & 255)) $(($2 >> 8)) $(($1 & 255)) $(($1 >> 8)); }

contains() { grep -Eq -- "$2" <<<"$1"; }

listing=$(wrestool -l "$exe")
check "icon in Chinese (PRC)" contains "$listing" '--type=3 .*--language=2052'
check "icon group in Chinese (PRC)" contains "$listing" '--type=14 .*--language=2052'
check "version record in Chinese (PRC)" contains "$listing" '--type=16 .*--language=2052'
check "manifest" contains "$listing" '--type=24 --name=1 '

icons=$(wrestool -x -t14 "$exe" | icotool -l - 2>/dev/null)
check "a 48 x 47 icon in 256 colours" contains "$icons" '--width=48 --height=47 --bit-depth=8'

manifest=$(wrestool -x --raw -t24 "$exe")
check "manifest asks for common controls 6" contains "$manifest" \
  'name="Microsoft.Windows.Common-Controls" version="6\.0\.0\.0"'
check "manifest declares per-monitor dpi awareness" contains "$manifest" '>PerMonitorV2'

version=$(wrestool -x --raw -t16 "$exe" | hex_bytes)
# VS_FIXEDFILEINFO: signature, structure version, then file and product
# version, each as two little-endian DWORDs (major.minor, patch.0).
IFS=. read -r major minor patch <<<"$version_numbers"
fixed="$(word_pair "$major" "$minor") $(word_pair "$patch" 0)"
check "file and product version $major,$minor,$patch,0" contains "$version" \
  "bd 04 ef fe 00 00 01 00 $fixed $fixed"
check "string table 080404B0" contains "$version" "$(utf16 080404B0) 00 00"
check "translation 0x0804, 1200" contains "$version" "$(utf16 Translation) 00 00( 00 00)? 04 08 b0 04"

string_value() {  # key, value: the key, its padding, then the value and its terminator
  check "$1 is \"$2\"" contains "$version" "$(utf16 "$1") 00 00( 00 00)?$(utf16 "$2") 00 00"
}
string_value FileVersion "$version_text"
string_value ProductVersion "$version_text"
string_value CompanyName "$company"
string_value ProductName "$product"
string_value OriginalFilename "$product.exe"

check "it imports nothing but Windows' own DLLs" \
  "$(dirname "$0")/../../win32/check-imports.sh" "$exe" "$objdump"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
