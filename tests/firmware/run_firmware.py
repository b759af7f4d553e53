#!/usr/bin/env python3
"""The guides' C examples in firmware that runs. For an ATmega328P (avr-gcc,
simavr), an 8051 (SDCC --model-large, s51) and a Cortex-M3 (arm-none-eabi-gcc,
qemu-system-arm -M mps2-an385), and natively with gcc, a program of several C
files is built from the headers gbkhex-cli writes (a --table, --glyphs at 1 bpp
in pages and at 4 bpp in rows, --whole gb2312) and from the examples of
docs/glyphs.md and docs/whole-font.md, each one fenced C block found by the
function it defines and copied as it stands there; once with --source and once
without. The firmware prints over its UART (simif on the 8051, semihosting on
the Cortex-M3) what it reads, and each line is held to what is worked out here:
- the strings' bytes and NAME_len, against Python's codecs;
- a frame that lcd_text draws from the 1-bit glyphs, against unifont.hex;
- each character's RGB565 pixels from st7789_glyph's blend of the 4-bit
  glyphs, against the blend worked out from the header read back;
- font_locate (NAME_offset) and the SPI font_glyph walking every string, the
  bytes each code takes and its offset against Python's codecs and the
  GB 2312 grid; on the Cortex-M3 the whole image is in its flash, read in place
  (font_glyph_in_flash) and through an emulated SPI flash, and its glyphs are
  held to unifont.hex; elsewhere the emulated flash holds a pattern of its
  addresses, which tells whether the right bytes were asked for;
- each string once in the program's image with --source.
Every example compiles with -Wall -Wextra -pedantic -Werror (--Werror on SDCC).
Prints the programs' sizes, and "N passed, N failed".
Usage: run_firmware.py --cli GBKHEX_CLI --hex unifont.hex --docs DOCS --work DIR
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import textwrap
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "glyphs"))
from check_glyphs import cell_pixels, check, lay_out, read_hex, results  # noqa: E402

TABLE = [("menu_main", "主菜单"), ("menu_back", "返回 <"), ("status_ok", "运行正常"),
         ("edge", "€A啰~")]  # the euro sign's one byte 80, and a code outside GB 2312
FRAME_TEXTS = TABLE[:3]
FG, BG = 0xFD20, 0x11C7  # the blend's colours, every channel between its ends
SIMULATOR_SECONDS = 60  # each run; s51 takes about 6 s on a busy 2-core machine
GREY_FONT = "Noto Sans Mono CJK SC"

# What each target prints with, how it stops, and how its flash is read.
PLATFORM = {
    "avr": r"""
#include <avr/io.h>
#include <avr/interrupt.h>
#include <avr/sleep.h>
void out_char(char c) {
  while (!(UCSR0A & (1 << UDRE0))) {}
  UCSR0A |= 1 << TXC0;
  UDR0 = (unsigned char)c;
}
void platform_start(void) { UCSR0B = 1 << TXEN0; }
void platform_stop(void) {
  while (!(UCSR0A & (1 << TXC0))) {}
  cli();
  sleep_cpu();
}
""",
    "mcs51": r"""
static volatile unsigned char __xdata __at(0xFFFF) simulator;
void out_char(char c) {
  simulator = 'w';
  simulator = (unsigned char)c;
}
void platform_start(void) {}
void platform_stop(void) { simulator = 's'; }
""",
    "arm": r"""
extern unsigned long __data_load[], __data_start[], __data_end[], __bss_start[], __bss_end[];
extern unsigned long __stack_top[];
int main(void);
void reset(void);
static int semihost(int operation, const void *argument) {
  register int r0 __asm__("r0") = operation;
  register const void *r1 __asm__("r1") = argument;
  __asm__ volatile("bkpt 0xAB" : "+r"(r0) : "r"(r1) : "memory");
  return r0;
}
static const struct {
  unsigned long *stack;
  void (*reset)(void);
} vectors __attribute__((section(".vectors"), used)) = {__stack_top, reset};
void reset(void) {
  unsigned long *from = __data_load, *to = __data_start;
  while (to < __data_end) *to++ = *from++;
  for (to = __bss_start; to < __bss_end; ++to) *to = 0;
  main();
  for (;;) {}
}
void out_char(char c) { semihost(0x03, &c); }
void platform_start(void) {}
void platform_stop(void) {
  semihost(0x18, (const void *)0x20026); /* application exit */
}
""",
    "host": r"""
#include <stdio.h>
#include <stdlib.h>
void out_char(char c) { putchar(c); }
void platform_start(void) {}
void platform_stop(void) { exit(0); }
""",
}

LINKER_SCRIPT = """MEMORY { FLASH (rx) : ORIGIN = 0, LENGTH = 4M  RAM (rwx) : ORIGIN = 0x20000000, LENGTH = 4M }
SECTIONS {
  .text : { KEEP(*(.vectors)) *(.text*) *(.rodata*) . = ALIGN(4); } > FLASH
  .data : { __data_start = .; *(.data*) . = ALIGN(4); __data_end = .; } > RAM AT > FLASH
  __data_load = LOADADDR(.data);
  .bss : { __bss_start = .; *(.bss*) *(COMMON) . = ALIGN(4); __bss_end = .; } > RAM
  __stack_top = ORIGIN(RAM) + LENGTH(RAM);
}
"""

# Printing, shared by every file of the harness.
OUTPUT_H = r"""
void out_char(char c);
void out_text(const char *text);
void out_hex(unsigned long value, int digits);
void out_byte(unsigned char byte);
void out_end(void);
#ifdef __AVR__
#include <avr/pgmspace.h>
#define HARNESS_READ(p) pgm_read_byte(p)
#else
#define HARNESS_READ(p) (*(p))
#endif
"""

MAIN_C = r"""
#include "output.h"
#include "strings.h"
void platform_start(void);
void platform_stop(void);
void draw_frame(void);
void blend(const unsigned char *s, unsigned long n);
void locate(const unsigned char *s, unsigned long n);
void in_flash(const unsigned char *s, unsigned long n);

void out_text(const char *text) { while (*text) out_char(*text++); }
void out_hex(unsigned long value, int digits) {
  while (digits >= 2) out_byte((unsigned char)(value >> (4 * (digits -= 2))));
  if (digits) out_char("0123456789ABCDEF"[value & 15]);
}
void out_byte(unsigned char byte) {
  out_char("0123456789ABCDEF"[byte >> 4]);
  out_char("0123456789ABCDEF"[byte & 15]);
}
void out_end(void) { out_char('\n'); }

static void string(char tag, const unsigned char *s, unsigned long n) {
  unsigned long i;
  out_char('S');
  out_char(tag);
  out_char(' ');
  out_hex(n, 4);
  out_char(' ');
  for (i = 0; i < n; ++i) out_byte(HARNESS_READ(s + i));
  out_end();
}

int main(void) {
  platform_start();
@STRINGS@
  draw_frame();
@TEXTS@
  out_char('E');
  out_end();
  platform_stop();
  return 0;
}
"""

DRAW1_C = r"""
#include "output.h"
static unsigned char frame[8][128];
void draw_frame(void) {
  int page, x;
@FRAME@
  for (page = 0; page < 6; ++page) {
    out_char('F');
    out_hex((unsigned long)page, 1);
    out_char(' ');
    for (x = 0; x < 64; ++x) out_byte(frame[page][x]);
    out_end();
  }
}
"""

DRAW4_C = r"""
#include "output.h"
static unsigned hash;
static void send_pixel(unsigned short pixel) { hash = (unsigned)((hash * 31u + pixel) & 0xFFFFu); }
void blend(const unsigned char *s, unsigned long n);
void blend(const unsigned char *s, unsigned long n) {
  const unsigned char *end = s + n;
  while (s < end) {
    int width;
    const unsigned char *glyph = font_glyph(s, &width);
    hash = 0;
    if (glyph) st7789_glyph(glyph, width, @FG@, @BG@, send_pixel);
    out_char('B');
    out_char(' ');
    out_hex((unsigned long)width, 2);
    out_char(' ');
    out_hex(glyph ? hash : 0xFFFFFu, glyph ? 4 : 5);
    out_end();
    s += width == font_wide_width ? 2 : 1;
  }
}
"""

SPI_C = r"""
#include "output.h"
static unsigned char selected, step;
static unsigned long address;
#ifdef FLASH_IMAGE
extern const unsigned char _binary_font_bin_start[];
static unsigned char flash_byte(unsigned long at) { return _binary_font_bin_start[at]; }
#else
static unsigned char flash_byte(unsigned long at) {
  return (unsigned char)(at * 7u + (at >> 8) * 13u + (at >> 16) * 29u);
}
#endif
void spi_select(void) { selected = 1; step = 0; }
void spi_deselect(void) { selected = 0; }
/* A W25Q64 that knows READ DATA (03) and a 24-bit address. */
unsigned char spi_transfer(unsigned char byte) {
  if (!selected) return 0xFF;
  if (step == 0) { step = byte == 0x03 ? 1 : 9; address = 0; return 0xFF; }
  if (step < 4) { address = address << 8 | byte; ++step; return 0xFF; }
  if (step == 9) return 0xFF;
  return flash_byte(address++ & 0xFFFFFFul);
}
"""

WHOLE_C = r"""
#include "output.h"
void spi_select(void);
void spi_deselect(void);
unsigned char spi_transfer(unsigned char byte);
@LOCATE@
@SPI@
void locate(const unsigned char *s, unsigned long n);
void locate(const unsigned char *s, unsigned long n) {
  const unsigned char *end = s + n;
  while (s < end) {
    long offset;
    unsigned char glyph[font_wide_bytes];
    int width, i;
    const int length = font_locate(s, &offset);
    out_char('L');
    out_char(' ');
    out_hex((unsigned long)length, 1);
    out_char(' ');
    out_hex((unsigned long)offset, 8);
    out_end();
    out_char('G');
    out_char(' ');
    out_hex((unsigned long)font_glyph(s, glyph, &width), 1);
    out_char(' ');
    out_hex((unsigned long)width, 2);
    out_char(' ');
    for (i = 0; width && i < (width == font_wide_width ? (int)font_wide_bytes : (int)font_narrow_bytes); ++i)
      out_byte(glyph[i]);
    out_end();
    s += length;
  }
}
"""

FLASH_C = r"""
#include "output.h"
@LOCATE@
@IN_FLASH@
void in_flash(const unsigned char *s, unsigned long n);
void in_flash(const unsigned char *s, unsigned long n) {
  const unsigned char *end = s + n;
  while (s < end) {
    const unsigned char *glyph;
    int width, i;
    const int length = font_glyph_in_flash(s, &glyph, &width);
    out_char('M');
    out_char(' ');
    out_hex((unsigned long)length, 1);
    out_char(' ');
    out_hex((unsigned long)width, 2);
    out_char(' ');
    for (i = 0; glyph && i < (length == 2 ? (int)font_wide_bytes : (int)font_narrow_bytes); ++i)
      out_hex(glyph[i], 2);
    out_end();
    s += length;
  }
}
"""


def gbk(text):
    """Code page 936's bytes; Python's codec lacks the euro sign's one byte 80."""
    return b"".join(b"\x80" if c == "€" else c.encode("cp936") for c in text)


def c_blocks(path):
    """{function name: the fenced C block that defines it}, dedented."""
    with open(path, encoding="utf-8") as guide:
        text = guide.read()
    blocks = {}
    for indent, body in re.findall(r"^( *)```c\n(.*?)^\1```$", text, re.S | re.M):
        body = textwrap.dedent(body)
        for name in re.findall(r"^static [\w \*]*?\b(\w+)\([^;{]*\)\s*\{", body, re.M):
            blocks[name] = body
    return blocks


def run(command, cwd, timeout=120):
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True, timeout=timeout)
    return done.returncode, done.stdout + done.stderr


class Target:
    def __init__(self, name, compile_command, link, simulate, options_row, image):
        self.name = name
        self.compile_command = compile_command  # (source, object, defines) -> command
        self.link = link                        # (objects, folder) -> command list
        self.simulate = simulate                # folder -> (command, where the output is)
        self.options_row = options_row          # the firmware guide's row for its compiler
        self.image = image                      # whether the whole image is in its flash


def gcc_like(compiler, flags):
    def compile_command(source, obj, defines):
        return [compiler, *flags, *defines, "-c", source, "-o", obj]
    return compile_command


def sdcc_compile(source, obj, defines):
    return ["sdcc", "-mmcs51", "--model-large", "--std-c99", "--Werror", *defines, "-c", source,
            "-o", obj]


TARGETS = [
    Target("avr", gcc_like("avr-gcc", ["-mmcu=atmega328p", "-Os", "-std=c99", "-Wall", "-Wextra",
                                       "-pedantic", "-Werror"]),
           lambda objects: ["avr-gcc", "-mmcu=atmega328p", *objects, "-o", "prog.elf"],
           lambda folder: (["simavr", "-m", "atmega328p", "-f", "16000000", "prog.elf"], None),
           "avr-gcc", False),
    Target("mcs51", sdcc_compile,
           lambda objects: ["sdcc", "-mmcs51", "--model-large", "--code-size", "65536",
                            "--xram-size", "65280", *objects, "-o", "prog.ihx"],
           lambda folder: (["s51", "-t", "8052", "-I", "if=xram[0xffff],out=uart.txt",
                            "prog.ihx"], "uart.txt"),
           "SDCC", False),
    Target("arm", gcc_like("arm-none-eabi-gcc", ["-mcpu=cortex-m3", "-mthumb", "-Os", "-std=c99",
                                                 "-fno-tree-loop-distribute-patterns",
                                                 "-Wall", "-Wextra", "-pedantic", "-Werror"]),
           lambda objects: ["arm-none-eabi-gcc", "-mcpu=cortex-m3", "-mthumb", "-nostdlib",
                            "-T", "link.ld", *objects, "-lgcc", "-o", "prog.elf"],
           lambda folder: (["qemu-system-arm", "-M", "mps2-an385", "-nographic", "-monitor", "none",
                            "-serial", "none", "-semihosting-config", "enable=on,target=native",
                            "-kernel", "prog.elf"], None),
           "arm-none-eabi-gcc", True),
    Target("host", gcc_like("gcc", ["-O2", "-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror"]),
           lambda objects: ["gcc", *objects, "-o", "prog"],
           lambda folder: (["./prog"], None),
           "arm-none-eabi-gcc", False),
]
TOOLS = {"avr": ["avr-gcc", "simavr"], "mcs51": ["sdcc", "s51"],
         "arm": ["arm-none-eabi-gcc", "arm-none-eabi-objcopy", "qemu-system-arm"], "host": ["gcc"]}


def guide_options(firmware_guide, compiler):
    """The options of the firmware guide's row for `compiler`, as words."""
    with open(firmware_guide, encoding="utf-8") as guide:
        for line in guide:
            cells = [cell.strip() for cell in line.split("|")]
            if len(cells) > 4 and (cells[1] == compiler or cells[1].startswith(compiler + " ")):
                return re.findall(r'"[^"]*"|\'[^\']*\'|\S+', cells[3].strip("`"))
    raise SystemExit(f"the firmware guide has no row for {compiler}")


def unquoted(words):
    return [w[1:-1] if w[:1] in "\"'" else w for w in words]


class Expected:
    """What every program must print, worked out on the host."""

    def __init__(self, hex_glyphs, grey_header):
        self.hex = hex_glyphs
        self.grey = read_back(grey_header)

    def strings(self):
        return [f"S{tag} {len(gbk(text)):04X} {gbk(text).hex().upper()}"
                for tag, (_, text) in zip("0123", TABLE)]

    def frame(self):
        frame = [[0] * 128 for _ in range(8)]
        for number, (_, text) in enumerate(FRAME_TEXTS):
            x = 0
            for c in text:
                width = 16 if len(gbk(c)) == 2 else 8
                pixels = cell_pixels(self.hex[ord(c)], width)
                for y in range(16):
                    for column in range(width):
                        if pixels[y][column]:
                            frame[2 * number + y // 8][x + column] |= 1 << (y % 8)
                x += width
        return [f"F{page} " + bytes(frame[page][:64]).hex().upper() for page in range(6)]

    def blend(self, text):
        lines = []
        for c in text:
            code = gbk(c)
            wide = len(code) == 2
            found = self.grey["wide" if wide else "narrow"].get(int.from_bytes(code, "big"))
            width = 16 if wide else 8
            if found is None:
                lines.append(f"B {width:02X} FFFFF")
                continue
            value = 0
            for y in range(16):
                for x in range(width):
                    byte = found[y * ((width + 1) // 2) + x // 2]
                    level = byte & 15 if x % 2 else byte >> 4
                    r = ((FG >> 11) * level + (BG >> 11) * (15 - level) + 7) // 15
                    g = ((FG >> 5 & 63) * level + (BG >> 5 & 63) * (15 - level) + 7) // 15
                    b = ((FG & 31) * level + (BG & 31) * (15 - level) + 7) // 15
                    value = (value * 31 + (r << 11 | g << 5 | b)) & 0xFFFF
            lines.append(f"B {width:02X} {value:04X}")
        return lines

    @staticmethod
    def offset(code):
        """The GB 2312 grid's offset of a code, from the layout's definition."""
        if len(code) == 1:
            return 94 * 94 * 32 + (code[0] - 0x20) * 16 if 0x20 <= code[0] <= 0x7E else -1
        lead, trail = code
        if 0xA1 <= lead <= 0xFE and 0xA1 <= trail <= 0xFE:
            return ((lead - 0xA1) * 94 + trail - 0xA1) * 32
        return -1

    def glyph(self, c, offset, image):
        """The bytes the firmware must read for `c`: unifont.hex's rows in the
        image, or the emulated flash's pattern of its addresses."""
        width = 16 if len(gbk(c)) == 2 else 8
        count = width * 2
        if image:
            return lay_out(cell_pixels(self.hex[ord(c)], width), "rows-msb")
        return bytes((a * 7 + (a >> 8) * 13 + (a >> 16) * 29) & 0xFF
                     for a in range(offset, offset + count)).hex().upper()

    def walk(self, text, image):
        lines = []
        for c in text:
            code = gbk(c)
            # The bytes a code takes, by Python's codec reading the text from there.
            length = len(gbk(code.decode("cp936", "replace")[0])) if code != b"\x80" else 1
            offset = self.offset(code)
            width = 0 if offset < 0 else 16 if length == 2 else 8
            lines.append(f"L {length:X} {offset & 0xFFFFFFFF:08X}")
            lines.append(f"G {length:X} {width:02X} " + (self.glyph(c, offset, image) if width else ""))
        return [line.rstrip() for line in lines]

    def in_flash(self, text):
        lines = []
        for c in text:
            code = gbk(c)
            offset = self.offset(code)
            width = 0 if offset < 0 else 16 if len(code) == 2 else 8
            glyph = self.glyph(c, offset, True) if width else ""
            lines.append(f"M {len(code):X} {width:02X} {glyph}".rstrip())
        return lines

    def all(self, image):
        lines = self.strings() + self.frame()
        for _, text in TABLE:
            lines += self.blend(text) + self.walk(text, image)
            if image:
                lines += self.in_flash(text)
        return lines + ["E"]


def read_back(header):
    """{"wide"|"narrow": {code: glyph bytes}} from a --glyphs header's text."""
    tables = {}
    for kind in ("wide", "narrow"):
        codes = re.search(rf"font_{kind}_codes\[\][^=]*= \{{(.*?)\}};", header, re.S).group(1)
        bitmaps = re.search(rf"font_{kind}_bitmaps\[\]\[\d+\][^=]*= \{{(.*?)\n\}};", header,
                            re.S).group(1)
        glyphs = [bytes(int(n, 16) for n in re.findall(r"0X([0-9A-F]{2})", body))
                  for body in re.findall(r"\{\r?\n(0X.*?)\}",
                                         re.sub(r"/\*.*?\*/", "", bitmaps, flags=re.S), re.S)]
        tables[kind] = dict(zip((int(n, 16) for n in re.findall(r"0X([0-9A-F]+)", codes)), glyphs))
    return tables


class Build:
    def __init__(self, args, blocks, expected):
        self.args, self.blocks, self.expected = args, blocks, expected
        self.sizes = []

    def cli(self, folder, *arguments):
        status, output = run([self.args.cli, *arguments], folder)
        check(status == 0, f"{folder}: gbkhex-cli {' '.join(arguments)}", output)
        return status == 0

    def headers(self, target, folder, source):
        """The headers, and with --source their C files, as the guides' options write them."""
        row = unquoted(guide_options(os.path.join(self.args.docs, "firmware.md"), target.options_row))
        options = [w for i, w in enumerate(row) if w != "--source" and row[i - 1] != "--source"]
        if target.name == "host":
            options = []
        table = os.path.join(folder, "strings.txt")
        with open(table, "w", encoding="utf-8") as out:
            out.writelines(f'{name} = "{text}"\n' for name, text in TABLE)

        def with_source(name):
            return ["--source", name] if source else []
        ok = self.cli(folder, "--table", *options, *with_source("strings.c"), "-o", "strings.h",
                      "strings.txt")
        for sub in ("g1", "g4", "whole", "flash"):
            os.makedirs(os.path.join(folder, sub), exist_ok=True)
        ok &= self.cli(folder, "--table", "--glyphs", "font", "--scan", "pages", "--bit-order", "lsb",
                       *options, *with_source("g1/font.c"), "-o", "g1/font.h", "strings.txt")
        ok &= self.cli(folder, "--table", "--glyphs", "font", "--font", GREY_FONT, "--clip",
                       "--bpp", "4", *options, *with_source("g4/font.c"), "-o", "g4/font.h",
                       "strings.txt")
        ok &= self.cli(folder, "--glyphs", "font", "--whole", "gb2312", "--image", "whole/font.bin",
                       "-o", "whole/font.h")
        if target.image:
            ok &= self.cli(folder, "--glyphs", "font", "--whole", "gb2312", *options,
                           *with_source("flash/font.c"), "-o", "flash/font.h")
        return ok

    def sources(self, target, folder, source):
        """The program's C files: (file, include folder, extra defines)."""
        b = self.blocks
        strings = [f'  string(\'{tag}\', {name}, {name}_len);' for tag, (name, _) in zip("0123", TABLE)]
        texts = []
        for name, _ in TABLE:
            texts.append(f"  blend({name}, {name}_len);\n  locate({name}, {name}_len);")
            if target.image:
                texts.append(f"  in_flash({name}, {name}_len);")
        frame = "\n".join(f"  lcd_text(frame, {2 * i}, 0, {name}, {name}_len);"
                          for i, (name, _) in enumerate(FRAME_TEXTS))
        files = {
            "output.h": OUTPUT_H,
            "platform.c": PLATFORM[target.name],
            "main.c": MAIN_C.replace("@STRINGS@", "\n".join(strings))
                            .replace("@TEXTS@", "\n".join(texts)),
            "draw1.c": b["glyphs"]["font_glyph"] + b["glyphs"]["lcd_text"]
                       + DRAW1_C.replace("@FRAME@", frame),
            "draw4.c": b["glyphs"]["font_glyph"] + b["glyphs"]["st7789_glyph"]
                       + DRAW4_C.replace("@FG@", f"0x{FG:04X}").replace("@BG@", f"0x{BG:04X}"),
            "spi.c": SPI_C,
            "whole.c": WHOLE_C.replace("@LOCATE@", b["whole"]["font_locate"])
                              .replace("@SPI@", b["whole"]["font_glyph"]),
        }
        if target.image:
            files["flash.c"] = FLASH_C.replace("@LOCATE@", b["whole"]["font_locate"]) \
                                      .replace("@IN_FLASH@", b["whole"]["font_glyph_in_flash"])
            files["link.ld"] = LINKER_SCRIPT
        for name, text in files.items():
            with open(os.path.join(folder, name), "w", encoding="utf-8") as out:
                out.write(text)
        # The 4-bit glyphs' arrays take other names, beside the 1-bit ones of one program.
        grey = [f"-Dfont_{kind}_{array}=grey_{kind}_{array}" for kind in ("wide", "narrow")
                for array in ("codes", "bitmaps")]
        units = [("main.c", "", []), ("platform.c", "", []), ("draw1.c", "g1", []),
                 ("draw4.c", "g4", grey), ("spi.c", "", ["-DFLASH_IMAGE"] if target.image else []),
                 ("whole.c", "whole", [])]
        if target.image:
            units.append(("flash.c", "flash", []))
        if source:
            units += [("strings.c", "", []), ("g1/font.c", "g1", []), ("g4/font.c", "g4", grey)]
            if target.image:
                units.append(("flash/font.c", "flash", []))
        return units

    def build(self, target, source):
        variant = "source" if source else "alone"
        folder = os.path.join(self.args.work, f"{target.name}-{variant}")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        what = f"{target.name} ({'with' if source else 'without'} --source)"
        if not self.headers(target, folder, source):
            return
        objects = []
        for unit, include, defines in self.sources(target, folder, source):
            obj = unit.replace("/", "-")[:-2] + (".rel" if target.name == "mcs51" else ".o")
            command = target.compile_command(unit, obj, ["-I."] + ([f"-I{include}"] if include else [])
                                             + defines)
            status, output = run(command, folder)
            quiet = "warning" not in output.lower()
            check(status == 0 and quiet, f"{what}: {unit} compiles without a warning",
                  " ".join(command) + "\n" + output[-2000:])
            if status != 0:
                return
            objects.append(obj)
        if target.image:
            objects.append("font-bin.o")
            status, output = run(["arm-none-eabi-objcopy", "-I", "binary", "-O", "elf32-littlearm",
                                  "-B", "arm", "--rename-section",
                                  ".data=.rodata,alloc,load,readonly,data,contents",
                                  "font.bin", "../font-bin.o"], os.path.join(folder, "whole"))
            check(status == 0, f"{what}: the image as an object", output)
        status, output = run(target.link(objects), folder)
        check(status == 0, f"{what}: links", output[-2000:])
        if status != 0:
            return
        self.simulate(target, folder, what)
        self.measure(target, folder, source)

    def simulate(self, target, folder, what):
        command, output_file = target.simulate(folder)
        started = time.monotonic()
        try:
            # s51 takes its commands on standard input: run until the program stops.
            done = subprocess.run(command, cwd=folder, capture_output=True, text=True,
                                  timeout=SIMULATOR_SECONDS, input="run\nquit\n")
            text = done.stdout + done.stderr
        except subprocess.TimeoutExpired:
            check(False, f"{what}: the simulator stops within {SIMULATOR_SECONDS} s")
            return
        seconds = time.monotonic() - started
        if output_file:
            with open(os.path.join(folder, output_file), encoding="ascii", errors="replace") as out:
                text = out.read()
        if target.name == "avr":  # simavr shows each UART line in colour, its '\n' as '.'
            text = re.sub(r"\x1b\[[0-9;]*m", "", text)
            text = "\n".join(line[:-1] for line in text.splitlines() if line.endswith("."))
        lines = [line.rstrip() for line in text.splitlines() if re.match(r"^[SFBLGME]", line)]
        want = self.expected.all(target.image)
        for number, line in enumerate(want):
            got = lines[number] if number < len(lines) else "(nothing)"
            check(got == line, f"{what}: line {number + 1}", f"got  {got}\nwant {line}")
        print(f"{what}: {len(lines)} lines in {seconds:.1f} s")

    @staticmethod
    def tables(folder, source):
        """The bytes of every array of the strings and of both glyph headers, each
        as the compilers lay it out (the codes as 16-bit words, low byte first)."""
        blocks = [gbk(text) for _, text in TABLE]
        for glyphs in ("g1", "g4"):
            with open(os.path.join(folder, glyphs, "font.c" if source else "font.h"),
                      encoding="utf-8") as header:
                for table in read_back(header.read()).values():
                    blocks.append(b"".join(code.to_bytes(2, "little") for code in table))
                    blocks.append(b"".join(table.values()))
        return blocks

    def measure(self, target, folder, source):
        """Flash and RAM of the program; the bytes of the strings' and glyphs'
        arrays in its flash and in its RAM, and how often each string stands in
        its flash."""
        path = os.path.join(folder, "prog.bin")
        ram_image = b""
        if target.name == "mcs51":
            with open(os.path.join(folder, "prog.mem")) as memory_file:
                memory = memory_file.read()
            flash = int(re.search(r"ROM/EPROM/FLASH\s+\S+\s+\S+\s+(\d+)", memory).group(1))
            ram = int(re.search(r"EXTERNAL RAM\s+\S+\s+\S+\s+(\d+)", memory).group(1))
            run(["objcopy", "-I", "ihex", "-O", "binary", "prog.ihx", "prog.bin"], folder)
            # What SDCC copies into RAM at the start is its XINIT area.
            with open(os.path.join(folder, "prog.map")) as link_map:
                xinit = re.search(r"^XINIT\s+([0-9A-F]+)\s+([0-9A-F]+)", link_map.read(), re.M)
            if xinit:
                start, size = int(xinit.group(1), 16), int(xinit.group(2), 16)
                with open(path, "rb") as image:
                    ram_image = image.read()[start:start + size]
        elif target.name in ("avr", "arm"):
            tool = "avr-size" if target.name == "avr" else "arm-none-eabi-size"
            _, output = run([tool, "-A", "prog.elf"], folder)
            section = dict((m[0], int(m[1])) for m in re.findall(r"^(\.\w+)\s+(\d+)", output, re.M))
            flash = section.get(".text", 0) + section.get(".data", 0)
            ram = section.get(".data", 0) + section.get(".bss", 0)
            objcopy = "avr-objcopy" if target.name == "avr" else "arm-none-eabi-objcopy"
            run([objcopy, "-O", "binary", "-j", ".text", "-j", ".data", "prog.elf", "prog.bin"], folder)
            run([objcopy, "-O", "binary", "-j", ".data", "prog.elf", "data.bin"], folder)
            with open(os.path.join(folder, "data.bin"), "rb") as data:
                ram_image = data.read()
        else:
            return
        with open(path, "rb") as image:
            data = image.read()
        blocks = self.tables(folder, source)
        # Both glyph headers hold the same codes: each such array is counted where it stands.
        unique = set(blocks)
        in_flash = sum(len(block) * data.count(block) for block in unique)
        in_ram = sum(len(block) * ram_image.count(block) for block in unique)
        counts = [data.count(gbk(text)) for _, text in TABLE[:3]]
        check(in_ram == 0, f"{target.name}: no string or glyph in RAM", f"{in_ram} bytes")
        if source:
            once = sum(len(block) for block in blocks)
            check(counts == [1, 1, 1] and in_flash == once,
                  f"{target.name} with --source: each string and glyph table once in the image",
                  f"strings {counts}, tables {in_flash} bytes, not {once}")
        self.sizes.append((target.name, source, flash, ram, in_flash, in_ram, counts))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--hex", required=True)
    parser.add_argument("--docs", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--targets", default="avr,mcs51,arm,host")
    args = parser.parse_args()
    args.cli = os.path.abspath(args.cli)
    os.makedirs(args.work, exist_ok=True)
    blocks = {"glyphs": c_blocks(os.path.join(args.docs, "glyphs.md")),
              "whole": c_blocks(os.path.join(args.docs, "whole-font.md"))}
    for guide, names in (("glyphs", ("font_glyph", "lcd_text", "st7789_glyph")),
                         ("whole", ("font_locate", "font_glyph", "font_glyph_in_flash"))):
        for name in names:
            if name not in blocks[guide]:
                raise SystemExit(f"FAIL: docs/{guide}: no C block defines {name}")
    grey_folder = os.path.join(args.work, "grey")
    os.makedirs(grey_folder, exist_ok=True)
    with open(os.path.join(grey_folder, "strings.txt"), "w", encoding="utf-8") as out:
        out.writelines(f'{name} = "{text}"\n' for name, text in TABLE)
    status, output = run([args.cli, "--table", "--glyphs", "font", "--font", GREY_FONT, "--clip",
                          "--bpp", "4", "-o", "font.h", "strings.txt"], grey_folder)
    if status != 0:
        raise SystemExit(f"FAIL: the 4-bit glyphs: {output}")
    with open(os.path.join(grey_folder, "font.h"), encoding="utf-8") as header:
        expected = Expected(read_hex(args.hex), header.read())
    build = Build(args, blocks, expected)
    for target in TARGETS:
        if target.name not in args.targets.split(","):
            continue
        missing = [tool for tool in TOOLS[target.name] if not shutil.which(tool)]
        if missing:
            print(f"SKIP: {target.name}: {', '.join(missing)} not installed")
            continue
        before = results["passed"]
        started = time.monotonic()
        for source in (True, False):
            build.build(target, source)
        print(f"{target.name}: {results['passed'] - before} checks passed "
              f"in {time.monotonic() - started:.1f} s")
    print("target  --source   flash   RAM  strings+glyphs: flash RAM  each string in flash")
    for name, source, flash, ram, in_flash, in_ram, counts in build.sizes:
        print(f"{name:7} {'yes' if source else 'no':8} {flash:7} {ram:5}  {in_flash:20} {in_ram:3}  "
              f"{counts}")
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] or not results["passed"] else 0


if __name__ == "__main__":
    sys.exit(main())
