#!/usr/bin/env python3
"""Holds gbkhex-cli --whole --image to GNU Unifont's own bitmaps (unifont.hex),
with every offset worked out here again from the layouts' definitions:
- GB 2312 (94 x 94 zones and positions, each cell the character that Python's
  gb2312 codec reads there) and GBK (126 x 190 lead and trail bytes, each the
  character of Microsoft's code page 936 table), then the 95 narrow cells:
  every cell of both images, in every scan and bit order, and with --invert,
  against unifont.hex's glyph of its character, all dark where there is none;
- the counts of empty cells on standard error;
- the GB 2312 image's preview, pixel by pixel;
- NAME_offset, through a C program that gcc builds from each header, for
  every sequence of one or two bytes, against the formulas written again here;
  the header compiled as C99 to C23 and C++11 to C++23 with -Werror, and with
  sdcc -mmcs51 and avr-gcc (16-bit int) where they are installed;
- the whole-font guide's table of image sizes, against the headers' NAME_image_size and
  the files' sizes;
- --whole's usage: input files beside it, --table, no --glyphs.
With --same-as, only that another build (Linux, for the .exe under Wine)
writes the very same image and header. Prints "N passed, N failed".
"""

import argparse
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_glyphs import (GRID, DARK, Program, cell_pixels, check, decode_png,  # noqa: E402
                          lay_out, read_hex, results)

LAYOUTS = [f"{scan}-{bits}" for scan in ("rows", "columns", "pages", "tiles")
           for bits in ("msb", "lsb")]

OFFSETS = r"""
#include <stdio.h>
#include "image.h"
int main(void) {
  unsigned char s[3] = {0, 0, 0};
  int lead, trail;
  for (lead = 0; lead < 256; ++lead) {
    for (trail = 0; trail < 256; ++trail) {
      s[0] = (unsigned char)lead;
      s[1] = (unsigned char)trail;
      printf("%ld\n", font_offset(s));
    }
  }
  return 0;
}
"""


def gb2312_cells():
    """(code, character or None) of every cell of the GB 2312 grid, by Python's codec."""
    cells = []
    for zone in range(1, 95):
        for position in range(1, 95):
            code = bytes([0xA0 + zone, 0xA0 + position])
            try:
                cells.append((code, code.decode("gb2312")))
            except UnicodeDecodeError:
                cells.append((code, None))
    return cells


def code_page_936(reference):
    """Microsoft's table: two-byte code -> character."""
    table, lead = {}, None
    with open(reference, encoding="latin-1") as lines:
        for line in lines:
            found = re.match(r"DBCSTABLE \d+\s*;LeadByte = 0x([0-9a-f]{2})", line)
            if found:
                lead = int(found.group(1), 16)
                continue
            if line.startswith("WCTABLE"):
                break
            found = re.match(r"0x([0-9a-f]{2})\s+0x([0-9a-f]{4})", line)
            if lead is not None and found:
                table[bytes([lead, int(found.group(1), 16)])] = chr(int(found.group(2), 16))
    return table


def gbk_cells(reference):
    table = code_page_936(reference)
    return [(bytes([lead, trail]), table.get(bytes([lead, trail])))
            for lead in range(0x81, 0xFF) for trail in range(0x40, 0xFF) if trail != 0x7F]


def narrow_cells():
    return [(bytes([byte]), chr(byte)) for byte in range(0x20, 0x7F)]


def expected_offset(charset, s, wide_bytes, narrow_bytes, wide_cells):
    """The formulas of the layouts, for the bytes s (two of them)."""
    lead, trail = s
    if 0x20 <= lead <= 0x7E:
        return wide_cells * wide_bytes + (lead - 0x20) * narrow_bytes
    if charset == "gb2312":
        if 0xA1 <= lead <= 0xFE and 0xA1 <= trail <= 0xFE:
            return ((lead - 0xA0 - 1) * 94 + (trail - 0xA0 - 1)) * wide_bytes
    elif 0x81 <= lead <= 0xFE and 0x40 <= trail <= 0xFE and trail != 0x7F:
        return ((lead - 0x81) * 190 + (trail - 0x40 - (trail > 0x7F))) * wide_bytes
    return -1


def macros(header):
    return {name: int(value) for name, value in
            re.findall(r"#define font_(\w+) (\d+)u?L*", header)}


class Checker:
    def __init__(self, args):
        self.cli = Program(args.cli, args.launcher, bool(args.launcher))
        self.work = args.work
        self.args = args

    def run(self, name, *options):
        """The header (text), the image (bytes) and standard error of one run."""
        header, image = f"{self.work}/{name}.h", f"{self.work}/{name}.bin"
        status, _, err = self.cli.capture(["--glyphs", "font", *options,
                                           "--image", self.cli.path(image),
                                           "-o", self.cli.path(header)])
        check(status == 0, f"{name}: exit status {status}", err)
        if status != 0:
            return "", b"", err
        with open(header, newline="") as text, open(image, "rb") as data:
            return text.read(), data.read(), err

    def check_cells(self, charset, cells, hex_glyphs):
        wide_cells = len(cells) - 95
        expected = {}
        layouts = LAYOUTS[:1] if self.args.one_layout else LAYOUTS
        for layout in layouts + ["rows-msb-invert"]:
            if layout.endswith("invert") and charset == "gbk":
                continue
            scan, bits, *invert = layout.split("-")
            options = ["--whole", charset, "--scan", scan, "--bit-order", bits]
            header, image, err = self.run(f"{charset}-{layout}",
                                          *options, *(["--invert"] if invert else []))
            if not header:
                continue
            sizes = macros(header)
            wide, narrow = sizes["wide_bytes"], sizes["narrow_bytes"]
            check((wide, narrow, sizes["narrow_offset"], sizes["image_size"], len(image)) ==
                  (32, 16, wide_cells * 32, wide_cells * 32 + 95 * 16, wide_cells * 32 + 95 * 16),
                  f"{charset} {layout}: sizes {sizes}, image {len(image)} bytes")
            wrong = []
            for index, (code, character) in enumerate(cells):
                width = 16 if len(code) == 2 else 8
                offset = (index * wide if len(code) == 2
                          else wide_cells * wide + (code[0] - 0x20) * narrow)
                key = (character, width, layout)
                if key not in expected:
                    glyph = hex_glyphs.get(ord(character)) if character else None
                    pixels = (cell_pixels(glyph, width) if glyph
                              else [[False] * width for _ in range(16)])
                    expected[key] = lay_out(pixels, layout)
                got = image[offset:offset + (wide if width == 16 else narrow)].hex().upper()
                if got != expected[key]:
                    wrong.append(f"{code.hex().upper()} {character!r}")
            check(not wrong, f"{charset} {layout}: {len(wrong)} cells differ, first {wrong[:5]}")
        return err

    def check_counts(self, err, lines):
        for line in lines:
            check(line in err, f"standard error says {line!r}", err)

    def check_preview(self, cells, hex_glyphs):
        png = f"{self.work}/gb2312.png"
        _, _, err = self.run("gb2312-preview", "--whole", "gb2312",
                             "--preview", self.cli.path(png))
        with open(png, "rb") as data:
            width, height, rows = decode_png(data.read())
        check((width, height) == (94 * 17 + 1, 95 * 17 + 1), f"preview {width} x {height}")
        wrong = 0
        for index, (code, character) in enumerate(cells):
            cell_width = 16 if len(code) == 2 else 8
            band, column = divmod(index, 94) if len(code) == 2 else (94, code[0] - 0x20)
            left, top = 1 + column * (cell_width + 1), 1 + band * 17
            glyph = hex_glyphs.get(ord(character)) if character else None
            pixels = cell_pixels(glyph, cell_width) if glyph else None
            for y in range(16):
                for x in range(cell_width):
                    lit = bool(pixels and pixels[y][x])
                    wrong += rows[top + y][left + x] != (0 if lit else DARK)
                wrong += rows[top + y][left + cell_width] != GRID
        check(wrong == 0, f"preview: {wrong} pixels differ")

    def check_offsets(self, charset, wide_cells):
        header, _, _ = self.run(f"{charset}-offsets", "--whole", charset)
        if not header:
            return
        folder = f"{self.work}/{charset}-c"
        os.makedirs(folder, exist_ok=True)
        with open(f"{folder}/image.h", "w", newline="") as out:
            out.write(header)
        with open(f"{folder}/offsets.c", "w") as out:
            out.write(OFFSETS)
        program = f"{folder}/offsets"
        built = subprocess.run([self.args.cc, "-std=c99", "-Wall", "-Wextra", "-pedantic",
                                "-Werror", "-o", program, f"{folder}/offsets.c"],
                               capture_output=True, text=True)
        check(built.returncode == 0, f"{charset}: gcc builds the offsets' program", built.stderr)
        if built.returncode != 0:
            return
        printed = subprocess.run([program], capture_output=True, text=True).stdout.split()
        wrong = [f"{lead:02X} {trail:02X}: {printed[lead * 256 + trail]}"
                 for lead in range(256) for trail in range(256)
                 if int(printed[lead * 256 + trail]) !=
                 expected_offset(charset, (lead, trail), 32, 16, wide_cells)]
        check(not wrong, f"{charset}: font_offset wrong for {len(wrong)} sequences: {wrong[:5]}")
        self.check_compilers(charset, folder)

    def check_compilers(self, charset, folder):
        source = f"{folder}/use.c"
        with open(source, "w") as out:
            out.write('#include "image.h"\nlong at(const unsigned char *s) '
                      "{ return font_offset(s); }\n" + self.readme_flash_read())
        strict = ["-Wall", "-Wextra", "-pedantic", "-Werror", "-fsyntax-only"]
        for compiler, standards, language in ((self.args.cc, ("c89", "c99", "c11", "c17", "c2x"),
                                               "c"),
                                              (self.args.cxx, ("c++11", "c++14", "c++17",
                                                               "c++20", "c++2b"), "c++")):
            for standard in standards:
                done = subprocess.run([compiler, "-x", language, f"-std={standard}", *strict,
                                       source], capture_output=True, text=True)
                check(done.returncode == 0, f"{charset}: {compiler} -std={standard}", done.stderr)
        for compiler, options in (("sdcc", ["-mmcs51", "-c"]),
                                  ("avr-gcc", ["-mmcu=atmega328p", "-Os", "-Wall", "-Wextra",
                                               "-pedantic", "-Werror", "-c"])):
            if not shutil.which(compiler):
                print(f"SKIP: {compiler} is not installed")
                continue
            done = subprocess.run([compiler, *options, "use.c", "-o", f"use-{compiler}.o"
                                   if compiler == "avr-gcc" else "use.rel"],
                                  cwd=folder, capture_output=True, text=True)
            quiet = "warning" not in (done.stdout + done.stderr).lower()
            check(done.returncode == 0 and quiet, f"{charset}: {compiler} compiles the header",
                  done.stdout + done.stderr)

    def readme_flash_read(self):
        """The whole-font guide's read of one glyph from the flash (its code for
        the text, then the SPI read), with the SPI functions it leaves to the
        firmware declared, as a C file that uses it."""
        if not self.args.readme:
            return ""
        with open(self.args.readme, encoding="utf-8") as readme:
            text = readme.read()
        locate = re.search(r'```c\n#include "font.h"\n(.*?static int font_locate.*?)```', text, re.S)
        spi = re.search(r'```c\n(#define FONT_BASE.*?)```', text, re.S)
        check(locate is not None and spi is not None, "the guide reads a glyph from the flash in C")
        return ("void spi_select(void);\nvoid spi_deselect(void);\n"
                "unsigned char spi_transfer(unsigned char byte);\n"
                + (locate.group(1) + spi.group(1) if locate and spi else "")
                + "int use(const unsigned char *s, unsigned char *glyph, int *width) "
                  "{ return font_glyph(s, glyph, width); }\n")

    def check_other_forms(self):
        """The image inside the header, without --image, and a text's glyphs in
        an image of their own: the same bytes as the bitmaps of the header."""
        header, image, _ = self.run("gb2312-offsets-again", "--whole", "gb2312")
        inside = f"{self.work}/gb2312-inside.h"
        status, _, err = self.cli.capture(["--glyphs", "font", "--whole", "gb2312", "-o",
                                           self.cli.path(inside)])
        with open(inside, newline="") as text:
            array = text.read()
        numbers = array[array.index("font_image[]"):]
        check(status == 0 and bytes(int(n, 16) for n in re.findall(r"0X([0-9A-F]{2})", numbers))
              == image and array.startswith(header[:-len("#endif\r\n")]),
              "without --image the header holds the image as font_image[]", err)
        self.check_source(image)
        text_file = f"{self.work}/text.txt"
        with open(text_file, "w", encoding="utf-8") as text:
            text.write("字形abc中文\n")
        status, out, _ = self.cli.capture(["--glyphs", "font", self.cli.path(text_file)])
        bitmaps = [bytes(int(n, 16) for n in re.findall(r"0X([0-9A-F]{2})", body))
                   for body in re.findall(r"\*/\r\n\{\r\n(.*?)\}", out.decode(), re.DOTALL)]
        header, image, _ = self.run("text", self.cli.path(text_file))
        sizes = macros(header)
        check(image == b"".join(bitmaps) and len(bitmaps) == 7 and
              sizes["narrow_offset"] == 4 * 32 and sizes["image_size"] == len(image) and
              "font_wide_bitmaps" not in header and "font_wide_codes" in header,
              "a text's --image holds the header's bitmaps in its order", header)

    def check_source(self, image):
        """--source: the header declares font_image, the source defines it with
        the image's bytes, and a C++ file links to that C definition."""
        folder = f"{self.work}/source"
        os.makedirs(folder, exist_ok=True)
        status, _, err = self.cli.capture(["--glyphs", "font", "--whole", "gb2312", "--source",
                                           self.cli.path(f"{folder}/font.c"), "-o",
                                           self.cli.path(f"{folder}/font.h")])
        with open(f"{folder}/font.h", newline="") as text:
            header = text.read()
        with open(f"{folder}/font.c", newline="") as text:
            source = text.read()
        check(status == 0 and f"extern const unsigned char font_image[{len(image)}];" in header
              and bytes(int(n, 16) for n in re.findall(r"0X([0-9A-F]{2})", source)) == image,
              "with --source the header declares font_image and the source defines it", err)
        cxx = shutil.which("g++")
        if self.args.launcher or not cxx:
            return
        with open(f"{folder}/use.cpp", "w") as out:
            out.write('#include "font.h"\nint main() {\n'
                      '  const unsigned char a[] = {0xB0, 0xA1};\n'  # the first hanzi, 啊
                      f'  return sizeof font_image == {len(image)} &&\n'
                      f'    font_image[font_offset(a) + 5] == {image[15 * 94 * 32 + 5]} ? 0 : 1;\n}}\n')
        built = subprocess.run([self.args.cc, "-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror",
                                "-c", "-o", f"{folder}/font.o", f"{folder}/font.c"],
                               capture_output=True, text=True)
        linked = subprocess.run([cxx, "-std=c++11", "-Wall", "-Wextra", "-pedantic", "-Werror",
                                 "-o", f"{folder}/use", f"{folder}/use.cpp", f"{folder}/font.o"],
                                capture_output=True, text=True)
        ran = subprocess.run([f"{folder}/use"]).returncode if linked.returncode == 0 else -1
        check(built.returncode == 0 and ran == 0,
              "a C++ file reads font_image that the source defines", built.stderr + linked.stderr)

    def check_readme_sizes(self):
        with open(self.args.readme, encoding="utf-8") as readme:
            text = readme.read()
        rows = re.findall(r"^\| (\d+) px \| (\d) \| (\d+) \| (\d+) \| ([\d,]+) \| ([\d,]+) \|$",
                          text, re.MULTILINE)
        check(len(rows) == 12, f"the guide's size table has 12 rows, not {len(rows)}")
        for size, bpp, wide, narrow, *images in rows:
            for charset, image in zip(("gb2312", "gbk"), images):
                header, data, _ = self.run(f"size-{charset}-{size}-{bpp}", "--whole", charset,
                                           "--size", size, "--bpp", bpp, "--clip")
                got = macros(header) if header else {}
                check((got.get("wide_bytes"), got.get("narrow_bytes"), got.get("image_size"),
                       len(data)) == (int(wide), int(narrow), int(image.replace(",", "")),
                                      int(image.replace(",", ""))),
                      f"guide: {charset} at {size} px, {bpp} bpp is {image} bytes; got {got}")

    def check_usage(self):
        for args, says in ((["--glyphs", "font", "--whole", "gbk", "text.txt"], "reads no input"),
                           (["--glyphs", "font", "--whole", "gbk", "-"], "reads no input"),
                           (["--glyphs", "font", "--whole", "gbk", "--table"], "--table"),
                           (["--whole", "gbk"], "--glyphs"),
                           (["--glyphs", "font", "--whole", "big5"], "gb2312 or gbk")):
            status, out, err = self.cli.capture(args)
            check(status == 2 and says in err and not out, f"{args}: exit 2 naming {says!r}", err)

    def same_as(self, other):
        """The header, the image and the picture, byte for byte."""
        native = Program(other, None, False)
        for options in (["--whole", "gbk"],
                        ["--whole", "gb2312", "--scan", "columns", "--bit-order", "lsb"]):
            mine, theirs = f"{self.work}/same-{options[1]}", f"{self.work}/native-{options[1]}"
            header, image, _ = self.run("same-" + options[1], "--font",
                                        self.cli.path(self.args.font), *options,
                                        "--preview", self.cli.path(mine + ".png"))
            native.capture(["--glyphs", "font", "--font", self.args.font, *options,
                            "--preview", theirs + ".png", "--image", theirs + ".bin",
                            "-o", theirs + ".h"])
            with open(theirs + ".h", newline="") as other_header, \
                    open(theirs + ".bin", "rb") as other_image, \
                    open(theirs + ".png", "rb") as other_png, open(mine + ".png", "rb") as png:
                check((header, image, png.read()) ==
                      (other_header.read(), other_image.read(), other_png.read()),
                      f"{options}: the same header, image and picture as {other}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--launcher")
    parser.add_argument("--hex", default="/usr/share/unifont/unifont.hex")
    parser.add_argument("--font", default="/usr/share/fonts/opentype/unifont/unifont.otf")
    parser.add_argument("--reference", required=True)
    parser.add_argument("--readme")
    parser.add_argument("--cc", default="cc")
    parser.add_argument("--cxx", default="c++")
    parser.add_argument("--same-as")
    # The guide's sizes and the other layouts are the optimised build's to check.
    parser.add_argument("--one-layout", action="store_true")
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    checker = Checker(args)
    if args.same_as:
        checker.same_as(args.same_as)
    else:
        hex_glyphs = read_hex(args.hex)
        gb2312 = gb2312_cells() + narrow_cells()
        gbk = gbk_cells(args.reference) + narrow_cells()
        err = checker.check_cells("gb2312", gb2312, hex_glyphs)
        checker.check_counts(err, ["warning: 1,391 codes read no character in GB 2312"])
        err = checker.check_cells("gbk", gbk, hex_glyphs)
        user_defined = sum(1 for _, c in gbk if c and 0xE000 <= ord(c) <= 0xF8FF)
        checker.check_counts(err, [f"warning: {user_defined:,} user-defined codes have no glyph"])
        checker.check_preview(gb2312, hex_glyphs)
        checker.check_offsets("gb2312", 94 * 94)
        checker.check_offsets("gbk", 126 * 190)
        checker.check_other_forms()
        if args.readme and not args.one_layout:
            checker.check_readme_sizes()
        checker.check_usage()
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
