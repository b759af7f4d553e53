#!/usr/bin/env bash
# The headers of --table, --array and --glyphs in real firmware, built by the
# compilers that small MCUs are programmed with, with the options that the
# firmware guide's table gives for each, as written there: a program of two C files
# (and the definitions of --source) must hold each string's bytes once, in
# the memory the options name, and no storage for any NAME_len.
# - sdcc -mmcs51: the map's CONST area is the strings' bytes once (twice for
#   a header without --source, as the README warns); a 40,000-byte text's
#   length holds as a constant expression (_Static_assert, --std-c11).
# - avr-gcc -mmcu=atmega328p: everything in .progmem, nothing in .data, each
#   string once in the image; the README's glyph lookup reads through lpm.
# - arm-none-eabi-gcc -mcpu=cortex-m3 -Os: the arrays in .rodata, or in the
#   section that --attribute names, each once in the image.
# A compiler that is not installed is skipped with a message.
# Usage: firmware_compilers.sh GBKHEX_CLI docs/firmware.md docs/glyphs.md
set -euo pipefail
cli=$(realpath "$1")
readme=$(realpath "$2") glyphs_guide=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

failures=0 checked=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; checked=$((checked + 1)); }

# The options of the README's row for COMPILER, as words.
readme_options() {
  awk -F'|' -v compiler="$1" '
    /^##+ On a small MCU/ { section = 1; next }
    section && /^##/ { exit }
    section && index($2, " " compiler " ") == 1 { print $4; exit }' "$readme" |
    sed 's/^ *`//; s/` *$//'
}

printf 'title = 主菜单\nback = "返回 <<"\nstatus = 运行正常\n' > strings.txt
texts=('主菜单' '返回 <<' '运行正常')
total=0
for text in "${texts[@]}"; do total=$((total + $(printf '%s' "$text" | iconv -f UTF-8 -t CP936 | wc -c))); done

# How often each text's bytes stand in the binary FILE, as "N N N".
occurrences() {
  python3 - "$1" "${texts[@]}" <<'PY'
import sys
image = open(sys.argv[1], "rb").read()
print(" ".join(str(image.count(text.encode("cp936"))) for text in sys.argv[2:]))
PY
}

# The program's two C files: NAME_len as an array bound, a case label and a
# static initialiser, and each array read.
cat > main.c <<'C'
#include "strings.h"
unsigned char other(unsigned char i);
static unsigned char copy[title_len];
static unsigned int lengths[] = {title_len, back_len, status_len};
unsigned char pick(unsigned int n) {
  switch (n) {
    case title_len: return title[0];
    case back_len: return back[0];
    default: return status[0];
  }
}
int main(void) {
  copy[0] = (unsigned char)(pick(lengths[0]) + other(1) + sizeof title);
  return copy[0];
}
C
cat > other.c <<'C'
#include "strings.h"
unsigned char other(unsigned char i) { return (unsigned char)(title[i] + back[i] + status[i]); }
C

# Runs gbkhex-cli in folder DIR with the README's options for COMPILER, its
# strings.c named SOURCE, then the arguments that follow.
generate() {
  local dir=$1 compiler=$2 source=$3 options
  shift 3
  options=$(readme_options "$compiler")
  options=${options//strings.c/$source}
  [ -n "$options" ] || { fail "the README has no row for $compiler"; return 1; }
  mkdir -p "$dir" && cp strings.txt main.c other.c "$dir"/
  eval "set -- $options \"\$@\""
  (cd "$dir" && "$cli" "$@") || { fail "$compiler: gbkhex-cli $options: exit $?"; return 1; }
}

# The size of SECTION in the object or program FILE, in bytes, from objdump -h.
section_size() {
  local hex
  hex=$("$1" -h "$2" | awk -v s="$3" '$2 == s { print $3 }')
  echo $((16#${hex:-0}))
}

if command -v sdcc >/dev/null; then
  const_size() {  # the CONST area's size in an SDCC map
    local hex
    hex=$(awk '$1 == "CONST" { print $3 }' "$1")
    echo $((16#${hex:-0}))
  }
  sdcc_build() {  # DIR FILE...: links the program and prints the CONST area's size
    local dir=$1
    shift
    (cd "$dir" && for file in "$@"; do sdcc -mmcs51 -c "$file.c" || return 1; done &&
      sdcc -mmcs51 "${@/%/.rel}" -o prog.ihx >/dev/null) && const_size "$dir/prog.map"
  }
  if generate sdcc SDCC strings.c --table -o strings.h strings.txt; then
    const=$(sdcc_build sdcc main other strings) || fail "sdcc: the program does not build"
    if [ "$const" != "$total" ]; then
      fail "sdcc: CONST holds $const bytes, not the strings' $total once"
    elif grep -q '_len' sdcc/prog.map; then
      fail "sdcc: the map has storage for a NAME_len: $(grep _len sdcc/prog.map | head -3)"
    else
      pass "sdcc -mmcs51: CONST $const bytes, each string once, no NAME_len in the map"
    fi
  fi
  # The control: a header that stands alone is one copy a file.
  mkdir alone && cp strings.txt main.c other.c alone/
  (cd alone && "$cli" --table --type "const unsigned char __code" -o strings.h strings.txt)
  const=$(sdcc_build alone main other) || fail "sdcc: the program without --source does not build"
  [ "$const" = $((2 * total)) ] && pass "sdcc: without --source, CONST $const bytes (twice)" ||
    fail "sdcc: without --source CONST holds $const bytes, not twice $total"
  # A text of 40,000 bytes in the 64 KB of code memory.
  mkdir big
  python3 -c 'print("显" * 20000, end="")' > big/text.txt
  cat > big/main.c <<'C'
#include "big.h"
_Static_assert(big_len == 40000, "the length of a 40,000-byte text");
_Static_assert(sizeof big == 40000, "the size of its array");
static unsigned int length = big_len;
int main(void) { return big[length - 1]; }
C
  (cd big && "$cli" --array big --type "const unsigned char __code" -o big.h --source big.c text.txt &&
    sdcc -mmcs51 --std-c11 -c main.c && sdcc -mmcs51 --std-c11 -c big.c &&
    sdcc -mmcs51 --code-size 65536 main.rel big.rel -o prog.ihx >/dev/null) ||
    fail "sdcc: a 40,000-byte text does not build under --std-c11"
  const=$(const_size big/prog.map 2>/dev/null || true)
  [ "$const" = 40000 ] && pass "sdcc --std-c11: big_len == 40000 holds, CONST $const bytes" ||
    fail "sdcc: the 40,000-byte text's CONST is '$const'"
else
  echo "skipped: sdcc is not installed"
fi

if command -v avr-gcc >/dev/null; then
  avr="avr-gcc -mmcu=atmega328p -Os -std=c99 -Wall -Wextra -Werror -pedantic"
  if generate avr avr-gcc strings.c --table -o strings.h strings.txt &&
    generate avr avr-gcc font.c --table --glyphs font --scan pages --bit-order lsb -o font.h \
      strings.txt; then
    # The glyphs guide's lookup and drawing, and a use of them, in a third C file.
    awk '/^```c$/ { inside = 1; text = ""; next } inside && /^```$/ { inside = 0;
      if (text ~ /static [^;]*(font_glyph|lcd_text)\(/) printf "%s", text; next }
      inside { text = text $0 "\n" }' "$glyphs_guide" > avr/lookup.c
    cat >> avr/lookup.c <<'C'
void draw(unsigned char frame[8][128]);
void draw(unsigned char frame[8][128]) { lcd_text(frame, 0, 0, menu_main, menu_main_len); }
C
    printf 'menu_main = 设置\n' > avr/menu.txt
    (cd avr && "$cli" --table --attribute PROGMEM --include avr/pgmspace.h -o menu.h --source menu.c menu.txt &&
      sed -i 's/"strings.h"/"menu.h"/' lookup.c &&
      for file in main other strings font lookup menu; do $avr -c "$file.c" || exit 1; done &&
      $avr main.o other.o strings.o font.o lookup.o menu.o -o prog.elf &&
      avr-objcopy -O binary -j .text prog.elf prog.bin) > avr.log 2>&1 ||
      fail "avr-gcc: the program does not build: $(head -c 1500 avr.log)"
    if [ -f avr/prog.bin ]; then
      outside=$(avr-objdump -h avr/strings.o avr/font.o avr/menu.o |
        awk '($2 == ".data" || $2 ~ /^\.rodata/) && $3 !~ /^0+$/ { print $2 }' | tr '\n' ' ')
      data=$(section_size avr-objdump avr/prog.elf .data)
      progmem=$(section_size avr-objdump avr/strings.o .progmem.data)
      glyphs=$(section_size avr-objdump avr/font.o .progmem.data)
      once=$(occurrences avr/prog.bin)
      lpm=$(avr-objdump -d avr/lookup.o | grep -c 'lpm' || true)
      if [ -n "$outside" ]; then
        fail "avr-gcc: the arrays' objects hold data outside .progmem: $outside"
      elif [ "$data" != 0 ]; then
        fail "avr-gcc: the program has $data bytes of .data"
      elif [ "$progmem" != "$total" ] || [ "$once" != "1 1 1" ]; then
        fail "avr-gcc: strings.o's .progmem.data is $progmem bytes (want $total); the strings stand '$once' times"
      elif [ "$lpm" -lt 3 ]; then
        fail "avr-gcc: the README's glyph lookup reads flash with $lpm lpm instructions"
      else
        pass "avr-gcc -mmcu=atmega328p: .progmem.data $progmem (strings) + $glyphs (glyphs), .data $data, each string once, lookup with $lpm lpm"
      fi
    fi
  fi
else
  echo "skipped: avr-gcc is not installed"
fi

if command -v arm-none-eabi-gcc >/dev/null; then
  arm="arm-none-eabi-gcc -mcpu=cortex-m3 -mthumb -Os -std=c99 -Wall -Wextra -Werror -pedantic"
  for row in arm-none-eabi-gcc "GCC, in a section of its own"; do
    section=.rodata
    [ "$row" = arm-none-eabi-gcc ] || section=.rodata.lcd
    dir=arm-${section#.rodata}
    generate "$dir" "$row" strings.c --table -o strings.h strings.txt || continue
    if (cd "$dir" && for file in main other strings; do $arm -c "$file.c" || exit 1; done &&
      $arm -nostdlib -Wl,-e,main main.o other.o strings.o -o prog.elf &&
      arm-none-eabi-objcopy -O binary prog.elf prog.bin) > arm.log 2>&1; then
      size=$(section_size arm-none-eabi-objdump "$dir/strings.o" "$section")
      once=$(occurrences "$dir/prog.bin")
      [ "$size" = "$total" ] && [ "$once" = "1 1 1" ] &&
        pass "arm-none-eabi-gcc -mcpu=cortex-m3 -Os ($row): $section $size bytes, each string once" ||
        fail "arm-none-eabi-gcc ($row): $section holds '$size' bytes (want $total); the strings stand '$once' times"
    else
      fail "arm-none-eabi-gcc ($row): the program does not build: $(head -c 1500 arm.log)"
    fi
  done
else
  echo "skipped: arm-none-eabi-gcc is not installed"
fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "$checked firmware builds hold each string once"
