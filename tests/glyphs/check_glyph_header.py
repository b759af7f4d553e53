#!/usr/bin/env python3
"""Holds gbkhex-cli --glyphs to GNU Unifont's own bitmaps (unifont.hex), through
a C compiler: the header that the real program writes is compiled as C and as
C++, and a program built from it prints its tables back. Checks:
- a text of wide and narrow characters (each twice, LF and CR LF between
  lines): the codes sorted, every bitmap in two layouts, the sizes and counts,
  and the glyph that each bitmap's comment draws;
- a text of wide characters only, and one of narrow ones only, whose other
  table is empty;
- the preview picture, pixel by pixel;
- the faults of a text (control characters, characters without a glyph, among
  the charset's own), every one at its place, and nothing written, the
  picture included;
- a string table's texts, escapes resolved, with -o, --type and --attribute,
  and its faults;
- options that go only with --glyphs, and bad values;
- with --readme, the glyphs guide's Make and CMake recipes as they stand there, and
  its firmware code drawing the table's strings;
- with --same-as, that another build (Linux, for the .exe under Wine) writes
  the very same header, from Unifont and, 1 bit and 4 bits a pixel, from Noto
  Sans CJK SC and WenQuanYi Zen Hei.
Runs natively, or the .exe under Wine with --launcher. Prints "N passed, N failed".
"""

import argparse
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_glyphs import (Program, cell_pixels, check, check_preview, encodes_exactly,  # noqa: E402
                          is_wide, lay_out, read_hex, results, sample_of)

PRINT_TABLES = r"""
#include <stdio.h>
#include "glyphs.h"
#include "glyphs.h"
static void print(char kind, unsigned count, const unsigned short *codes,
                  const unsigned char *bitmaps, unsigned size) {
  unsigned i, k;
  for (i = 0; i < count; ++i) {
    printf("%c %04X ", kind, codes[i]);
    for (k = 0; k < size; ++k) printf("%02X", bitmaps[i * size + k]);
    printf("\n");
  }
}
int main(void) {
  /* Constant expressions in C too. */
  static const unsigned char row[g_height * g_wide_width] = {0};
  printf("height %u wide %u narrow %u counts %u %u %u\n", g_height, g_wide_width, g_narrow_width,
         g_wide_count, g_narrow_count, (unsigned)sizeof row);
  print('W', g_wide_count, g_wide_codes, (const unsigned char *)g_wide_bitmaps,
        sizeof g_wide_bitmaps[0]);
  print('N', g_narrow_count, g_narrow_codes, (const unsigned char *)g_narrow_bitmaps,
        sizeof g_narrow_bitmaps[0]);
  return 0;
}
"""
# A second file of the same program, which includes the header too.
OTHER_FILE = '#include "glyphs.h"\nconst unsigned char *other(void) { return g_wide_bitmaps[0]; }\n'

COMPILES = [("{cc}", "c", "-std=c99"), ("{cc}", "c", "-std=c11"), ("{cxx}", "c++", "-std=c++11"),
            ("{cxx}", "c++", "-std=c++17")]


class Cli(Program):
    def __init__(self, program, launcher, work, windows):
        super().__init__(program, launcher, windows)
        self.work = work

    def run(self, *args):
        return self.capture(args, cwd=self.work)


def code_of(character):
    return 0x80 if character == "\u20ac" else int.from_bytes(character.encode("cp936"), "big")


def expected_tables(text, hex_glyphs, layout):
    """(wide rows, narrow rows) as the program prints them."""
    tables = {"W": [], "N": []}
    for character in sorted(set(text) - {"\n", "\r"}, key=code_of):
        wide = is_wide(ord(character))
        pixels = cell_pixels(hex_glyphs[ord(character)], 16 if wide else 8)
        tables["W" if wide else "N"].append(f"{'W' if wide else 'N'} {code_of(character):04X} "
                                            f"{lay_out(pixels, layout)}")
    return tables["W"], tables["N"]


def compile_and_print(work, compilers, name, compile_list=COMPILES):
    """The tables as each compiled program prints them; all must agree."""
    with open(os.path.join(work, "print.c"), "w") as source:
        source.write(PRINT_TABLES)
    with open(os.path.join(work, "other.c"), "w") as source:
        source.write(OTHER_FILE)
    printed = None
    for compiler, language, standard in compile_list:
        command = [compiler.format(**compilers), "-x", language, standard, "-Wall", "-Wextra",
                   "-Werror", "-pedantic", "print.c", "other.c", "-o", "print"]
        built = subprocess.run(command, cwd=work, capture_output=True, text=True)
        if built.returncode != 0:
            check(False, f"{name}: {' '.join(command[:4])} does not compile it", built.stderr[:2000])
            continue
        output = subprocess.run(["./print"], cwd=work, capture_output=True, text=True).stdout
        if printed is not None:
            check(output == printed, f"{name}: {standard} prints other tables")
        printed = output
    return (printed or "\n").splitlines()


def commented_glyphs(header):
    """code -> the rows that the comment before its bitmap draws."""
    drawn = {}
    for code, rows in re.findall(r"/\* 0X([0-9A-F]+) U\+[0-9A-F]{4}[^\r\n]*\r\n((?:   [#.]+\r\n)+)\*/",
                                 header):
        drawn[int(code, 16)] = [[pixel == "#" for pixel in row.strip()] for row in rows.splitlines()]
    return drawn


def check_header(cli, work, compilers, hex_glyphs, font, text, name, layouts):
    """Writes the glyphs of `text` in each layout and holds them to unifont.hex."""
    with open(os.path.join(work, "text.txt"), "w", newline="") as text_file:
        text_file.write(text)
    for layout in layouts:
        scan, bits, *invert = layout.split("-")
        status, header, err = cli.run("--glyphs", "g", "--font", font, "--scan", scan,
                                      "--bit-order", bits, *(["--invert"] if invert else []),
                                      "text.txt")
        check(status == 0 and err == "", f"{name} {layout}: exit status {status}: {err}")
        with open(os.path.join(work, "glyphs.h"), "wb") as header_file:
            header_file.write(header)
        header = header.decode("utf-8")
        want_wide, want_narrow = expected_tables(text, hex_glyphs, layout)
        compile_list = COMPILES if layout == layouts[0] else COMPILES[::3]
        printed = compile_and_print(work, compilers, f"{name} {layout}", compile_list)
        sizes = f"height 16 wide 16 narrow 8 counts {len(want_wide)} {len(want_narrow)} 256"
        check(printed[0] == sizes, f"{name} {layout}: {printed[0]}, want {sizes}")
        got_wide = [line for line in printed if line.startswith("W ")]
        got_narrow = [line for line in printed if line.startswith("N ")]
        for kind, got, want in (("wide", got_wide, want_wide), ("narrow", got_narrow, want_narrow)):
            wrong = [f"got {g}\nwant {w}" for g, w in zip(got, want) if g != w]
            check(len(got) == len(want) and not wrong,
                  f"{name} {layout}: {kind} table: {len(got)} glyphs, {len(want)} wanted, "
                  f"{len(wrong)} differ", "\n".join(wrong[:3]))
        drawn = commented_glyphs(header)
        want_drawn = {code_of(c): cell_pixels(hex_glyphs[ord(c)], 16 if is_wide(ord(c)) else 8)
                      for c in set(text) - {"\n", "\r"}}
        check(drawn == want_drawn, f"{name} {layout}: the comments draw other glyphs "
              f"({len(drawn)} drawn, {len(want_drawn)} wanted)")
        check(header.startswith('/* Glyphs written by gbkhex-cli from the font "unifont.otf":\r\n'
                                '   family "Unifont", style "Regular", at 16 px, 1 bit a pixel;\r\n'
                                "   baseline 14 rows from the cell's top, from the extent of the "
                                "font's ideographs.\r\n"),
              f"{name}: the first comment does not name the font: {header[:120]!r}")


def check_faults(cli, work, font):
    """Every fault of a text at its place, in input order, and no header."""
    lines = ["十六\t进制", "A\u0001B \ue000", "µ€ x\x7f", "\U0001F600中\x0b"]
    with open(os.path.join(work, "faults.txt"), "w", newline="") as text_file:
        text_file.write("\r\n".join(lines) + "\n")
    # The picture of a run with faults is not written, and no new file is left.
    kept = os.path.join(work, "kept.png")
    with open(kept, "wb") as picture:
        picture.write(b"old")
    files = sorted(os.listdir(work))
    status, out, err = cli.run("--glyphs", "g", "--font", font, "--preview", "kept.png",
                               "faults.txt")
    with open(kept, "rb") as picture:
        check(picture.read() == b"old" and sorted(os.listdir(work)) == files,
              "a run with faults touched the picture or left a file behind")
    control = "is a control character, which no glyph shows (only line breaks may stand in the " \
              "text, and are left out)"
    no_glyph = f"has no glyph in the font '{font}' (Unifont)"
    want = [f"faults.txt:1:5: error: U+0009 {control}",
            f"faults.txt:2:2: error: U+0001 {control}",
            f"faults.txt:2:5: error: U+E000 '\ue000' {no_glyph}",
            "faults.txt:3:1: error: U+00B5 'µ' has no exact code in GBK (code page 936)",
            f"faults.txt:3:5: error: U+007F {control}",
            "faults.txt:4:1: error: U+1F600 '\U0001F600' has no exact code in GBK (code page 936)",
            f"faults.txt:4:5: error: U+000B {control}"]
    check(status == 1 and out == b"" and err.splitlines() == want,
          f"faults: exit status {status}, {len(out)} bytes out", err)
    # --lossy writes µ as the bytes of μ, so the glyph of μ takes its place.
    status, out, err = cli.run("--glyphs", "g", "--font", font, "--lossy", "faults.txt")
    substituted = "faults.txt:3:1: warning: 2 characters have no exact code in GBK (code page 936) " \
                  "and were written as the gbkhex window writes them; the first is U+00B5 'µ'"
    check(status == 1 and out == b"" and
          err.splitlines() == [w for w in want if "exact code" not in w] + [substituted],
          f"faults with --lossy: exit status {status}", err)


def check_table(cli, work, compilers, hex_glyphs, font):
    """The glyphs of a string table's texts, escapes resolved, with -o, --type and
    --attribute; its faults at their places in the lines."""
    lines = ["# The main menu", "", "menu_main  = 主菜单", 'menu_back  = "返回\\n<\\"\\\\ "',
             "  status_ok = 运行正常 ", 'crlf = "\\r\\n"']
    with open(os.path.join(work, "table.txt"), "w", newline="") as table:
        table.write("\r\n".join(lines) + "\r\n")
    texts = "主菜单" + "返回<\"\\ " + "运行正常"
    options = ["--type", "const uint8_t", "--attribute", "__attribute__((aligned(4)))"]
    status, out, err = cli.run("--table", "--glyphs", "g", "--font", font, *options,
                               "-o", "glyphs.h", "table.txt")
    check(status == 0 and out == b"" and err == "", f"table: exit status {status}: {err}")
    with open(os.path.join(work, "glyphs.h"), encoding="utf-8", newline="") as header_file:
        header = header_file.read()
    check("const unsigned short g_wide_codes[] __attribute__((aligned(4))) = {" in header and
          "const uint8_t g_narrow_bitmaps[][16] __attribute__((aligned(4))) = {" in header and
          "#include <stdint.h>" in header, "table: --type and --attribute not as asked")
    printed = compile_and_print(work, compilers, "table", COMPILES[::3])
    want_wide, want_narrow = expected_tables(texts, hex_glyphs, "rows-msb")
    check(printed[1:] == want_wide + want_narrow, "table: the glyphs are not its texts' characters",
          "\n".join(printed[1:4]))

    # A fault anywhere leaves -o's file as it was; each is placed in its line.
    with open(os.path.join(work, "table.txt"), "a", newline="") as table:
        table.write('tab = "A\\tB"\npua = \ue000\n')
    status, out, err = cli.run("--table", "--glyphs", "g", "--font", font, "-o", "glyphs.h",
                               "table.txt")
    with open(os.path.join(work, "glyphs.h"), encoding="utf-8", newline="") as header_file:
        kept = header_file.read() == header
    check(status == 1 and kept and err.splitlines() == [
        "table.txt:7:9: error: U+0009 is a control character, which no glyph shows (only line "
        "breaks may stand in the text, and are left out)",
        f"table.txt:8:7: error: U+E000 '\ue000' has no glyph in the font '{font}' (Unifont)"],
          f"table faults: exit status {status}, header kept: {kept}", err)


README_TABLE = '# The main menu\nmenu_main  = 主菜单\nmenu_back  = "返回 <"\nstatus_ok  = 运行正常\n'
README_TEXTS = ["主菜单", "返回 <", "运行正常"]
# Draws the README table's strings with the README's lcd_text, and prints the frame.
README_MAIN = r"""
#include <stdio.h>
int main(void) {
  static unsigned char frame[8][128];
  int page, y, x;
  lcd_text(frame, 0, 0, menu_main, menu_main_len);
  lcd_text(frame, 2, 0, menu_back, menu_back_len);
  lcd_text(frame, 4, 0, status_ok, status_ok_len);
  for (page = 0; page < 8; page += 2) {
    for (y = 0; y < 16; ++y) {
      for (x = 0; x < 128; ++x) putchar(frame[page + y / 8][x] >> (y % 8) & 1 ? '#' : '.');
      putchar('\n');
    }
  }
  return 0;
}
"""


def readme_blocks(readme):
    """The fenced blocks of the glyphs guide: [(language, text)]."""
    with open(readme, encoding="utf-8") as readme_file:
        return re.findall(r"^```(\w+)\n(.*?)^```$", readme_file.read(), re.S | re.M)


def check_readme(readme, cli_program, tools, hex_glyphs, work):
    """The README's glyph recipes for Make and CMake, run as they stand there, and its
    firmware code compiled with the headers they make: what it draws is Unifont's."""
    blocks = readme_blocks(readme)
    make_recipe = next(body for language, body in blocks if language == "make")
    cmake_recipe = next(body for language, body in blocks if language == "cmake")
    firmware = "".join(body for language, body in blocks if language == "c" and
                       re.search(r"^static [^;]*\b(font_glyph|lcd_text)\(", body, re.M))
    os.makedirs(os.path.join(work, "bin"), exist_ok=True)
    link = os.path.join(work, "bin", "gbkhex-cli")
    if not os.path.lexists(link):
        os.symlink(os.path.abspath(cli_program), link)
    environment = dict(os.environ, PATH=os.path.join(work, "bin") + os.pathsep + os.environ["PATH"])
    rows = []
    for text in README_TEXTS + ["", ""]:
        cells = [cell_pixels(hex_glyphs[ord(c)], 16 if is_wide(ord(c)) else 8) for c in text]
        for y in range(16):
            row = "".join("#" if lit else "." for cell in cells for lit in cell[y])
            rows.append((row + "." * 128)[:128])
    want = "\n".join(rows[:64]) + "\n"

    def build(name, files, commands, program, picture):
        folder = os.path.join(work, name)
        os.makedirs(folder, exist_ok=True)
        for file_name, content in files.items():
            with open(os.path.join(folder, file_name), "w", encoding="utf-8") as out:
                out.write(content)
        for command in commands:
            done = subprocess.run(command, cwd=folder, env=environment, capture_output=True,
                                  text=True)
            if done.returncode != 0:
                return check(False, f"README {name}: {' '.join(command)} fails",
                             done.stdout[-1500:] + done.stderr[-1500:])
        drawn = subprocess.run([program], cwd=folder, capture_output=True, text=True).stdout
        check(drawn == want, f"README {name}: the firmware code draws other pixels", drawn[:600])
        check(os.path.exists(os.path.join(folder, picture)), f"README {name}: no picture made")

    sources = {"strings.txt": README_TABLE, "main.c": firmware + README_MAIN}
    build("make", dict(sources, Makefile="CFLAGS = -std=c99 -Wall -Wextra -pedantic -Werror\n" +
                       make_recipe),
          [[tools["make"], "main.o"], [tools["cc"], "main.o", "-o", "main"]], "./main", "font.png")
    cmake_lists = ("cmake_minimum_required(VERSION 3.20)\nproject(recipe C)\n"
                   "add_executable(firmware main.c)\n"
                   "target_compile_options(firmware PRIVATE -std=c99 -Wall -Wextra -pedantic "
                   "-Werror)\n" + cmake_recipe)
    build("cmake", dict(sources, **{"CMakeLists.txt": cmake_lists}),
          [[tools["cmake"], "-S", ".", "-B", "build"], [tools["cmake"], "--build", "build"]],
          "build/firmware", "build/font.png")


def check_usage(cli, font):
    cases = [(["--font", font, "x"], "--font goes only with --glyphs"),
             (["--scan", "pages", "x"], "--scan goes only with --glyphs"),
             (["--preview", "p.png", "x"], "--preview goes only with --glyphs"),
             (["--invert", "x"], "--invert goes only with --glyphs"),
             (["--glyphs", "g", "--format", "c", "x"], "--glyphs cannot be combined with --format"),
             (["--glyphs", "g", "--size", "300", "x"], "--size '300' is no pixel size from 1 to 256"),
             (["--glyphs", "g", "--size", "16px", "x"], "--size '16px' is no pixel size"),
             (["--glyphs", "int", "x"], "glyph table name 'int' is a keyword"),
             (["--glyphs", "g", "--type", "const char", "x"], "--type 'const char' names a byte "
              "type that is or may be signed"),
             (["--glyphs", "g", "--list", "x"], "--glyphs cannot be combined with --list")]
    for args, message in cases:
        status, out, err = cli.run(*args)
        check(status == 2 and out == b"" and err.startswith(f"gbkhex-cli: {message}"),
              f"{' '.join(args)}: exit status {status}: {err.splitlines()[:1]}")


def check_same_as(cli, other, font, other_font):
    for options in ([], ["--scan", "pages", "--bit-order", "lsb", "--invert"]):
        status, mine, _ = cli.run("--glyphs", "g", "--font", font, *options, "sample.txt")
        other_status, theirs, _ = other.run("--glyphs", "g", "--font", other_font, *options,
                                            "sample.txt")
        check(status == 0 and other_status == 0 and mine == theirs and len(mine) > 10000,
              f"{' '.join(options) or 'the default layout'}: {other.command[-1]} writes another "
              f"header ({len(theirs)} bytes, here {len(mine)})")


# Chinese fonts that Debian users have, by file and face: a Windows build must
# write the very same header from the same file, 1 bit a pixel and grey.
CJK_FONTS = [("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 2),
             ("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", 0)]


def check_same_as_for_cjk_fonts(cli, other, work, folder):
    hanzi = [bytes([lead, trail]).decode("gb2312") for lead in range(0xB0, 0xF8)
             for trail in range(0xA1, 0xFF, 7) if (lead, trail) < (0xD7, 0xFA)]
    with open(os.path.join(work, "cjk.txt"), "w", encoding="utf-8", newline="") as text_file:
        text_file.write("".join(hanzi[::3]) + "\nMenu gjy 0123，。\n")
    for path, face in CJK_FONTS:
        if not os.path.exists(path):
            check(False, f"{path} is not installed")
            continue
        shutil.copy(path, folder)
        copy = cli.path(os.path.join(folder, os.path.basename(path)))
        for depth in ("1", "4"):
            options = ["--face", str(face), "--size", "16", "--bpp", depth, "--clip", "cjk.txt"]
            status, mine, my_err = cli.run("--glyphs", "g", "--font", copy, *options)
            other_status, theirs, their_err = other.run("--glyphs", "g", "--font", path, *options)
            check(status == 0 and other_status == 0 and mine == theirs and my_err == their_err and
                  len(mine) > 10000,
                  f"{os.path.basename(path)} --bpp {depth}: {other.command[-1]} writes another "
                  f"header ({len(theirs)} bytes, here {len(mine)}; status {status})",
                  my_err + their_err)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True, help="gbkhex-cli")
    parser.add_argument("--launcher", help="what runs it (wine)")
    parser.add_argument("--same-as", help="another gbkhex-cli, whose header must be the same")
    parser.add_argument("--compare-only", action="store_true", help="only the check of --same-as")
    parser.add_argument("--font", required=True, help="unifont.otf")
    parser.add_argument("--hex", required=True, help="unifont.hex")
    parser.add_argument("--cc", required=True)
    parser.add_argument("--cxx", required=True)
    parser.add_argument("--work", required=True, help="a folder for the files made here")
    parser.add_argument("--readme", help="README.md, whose glyph recipes are run")
    parser.add_argument("--make", default="make")
    parser.add_argument("--cmake", default="cmake")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    cli = Cli(args.cli, args.launcher, args.work, bool(args.launcher))
    compilers = {"cc": args.cc, "cxx": args.cxx}
    hex_glyphs = read_hex(args.hex)
    font = cli.path(args.font)

    gbk = [cp for cp in range(0x20, 0x10000) if not 0xD800 <= cp < 0xE000 and
           not 0x7F <= cp < 0xA0 and cp in hex_glyphs and encodes_exactly(cp)] + [0x20AC]
    sample = "".join(chr(cp) for cp in sample_of(sorted(gbk)))
    lines = [sample[i:i + 20] * 2 for i in range(0, len(sample), 20)]
    text = "\r\n".join(lines[:3]) + "\n" + "\n".join(lines[3:]) + "\n"
    with open(os.path.join(args.work, "sample.txt"), "w", newline="") as text_file:
        text_file.write(text)
    if args.same_as:
        # Here from a folder with a Chinese name, which a Windows build must reach in UTF-16.
        folder = os.path.join(args.work, "字体")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(args.font, folder)
        copy = cli.path(os.path.join(folder, os.path.basename(args.font)))
        check_same_as(cli, Cli(args.same_as, None, args.work, False), copy, args.font)
        check_same_as_for_cjk_fonts(cli, Cli(args.same_as, None, args.work, False), args.work,
                                    folder)
    if args.compare_only:
        return finish()
    check_header(cli, args.work, compilers, hex_glyphs, font, text, "wide and narrow",
                 ["rows-msb", "pages-lsb-invert", "columns-msb", "tiles-lsb"])
    wide_only = "".join(c for c in sample if is_wide(ord(c)))
    check_header(cli, args.work, compilers, hex_glyphs, font, wide_only, "wide only", ["rows-msb"])
    check_header(cli, args.work, compilers, hex_glyphs, font, "Menu 0123\n", "narrow only",
                 ["rows-msb"])

    # The picture of the first text's glyphs, in table order: wide, then narrow.
    status, _, err = cli.run("--glyphs", "g", "--font", font, "--preview", "preview.png",
                             "sample.txt")
    check(status == 0, f"--preview: exit status {status}: {err}")
    ordered = sorted(set(sample), key=lambda c: (not is_wide(ord(c)), code_of(c)))
    check_preview(os.path.join(args.work, "preview.png"),
                  [cell_pixels(hex_glyphs[ord(c)], 16 if is_wide(ord(c)) else 8) for c in ordered])

    check_faults(cli, args.work, font)
    check_table(cli, args.work, compilers, hex_glyphs, font)
    check_usage(cli, font)
    if args.readme:
        check_readme(args.readme, args.cli, {"make": args.make, "cmake": args.cmake, "cc": args.cc},
                     hex_glyphs, os.path.join(args.work, "readme"))

    return finish()


def finish():
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
