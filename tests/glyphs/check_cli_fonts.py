#!/usr/bin/env python3
"""Holds gbkhex-cli --glyphs with real Chinese fonts to FreeType's own rendering,
read through python3-freetype, and to a C compiler reading its header back:
- --bpp 2, 4 and 8 in every row and column layout and bit order: the header
  compiles as C and C++, and the tables it prints back are the anti-aliased
  rendering scaled to the levels, on the baseline its first comment states,
  wide and narrow glyphs alike; the comments draw the lit pixels; with --clip,
  the one warning counts the glyphs and pixels that the cells cut;
- a glyph that would lose ink at the face's place but fits its cell moves the
  fewest whole pixels that keep it whole, and one line counts the glyphs moved;
- without --clip, every glyph larger than its cell is an error at its place,
  its sides and its excess counted, and nothing is written; --clip names the
  first ten glyphs it cut;
- a family name and --face: "Noto Sans CJK SC" is face 2 of its collection,
  and the header's first comment names the family, style, face and baseline.
Prints "N passed, N failed".
"""

import argparse
import os
import re
import sys

import freetype

from check_fonts import (HANZI, NOTO, ZEN_HEI, expected_placement, place, render_grey,
                         twice_em_top)
from check_glyph_header import COMPILES, Cli, code_of, compile_and_print
from check_fit import place_levels, quantized
from check_glyphs import check, is_wide, lay_out, results

LAYOUTS = ["rows-msb", "rows-lsb-invert", "columns-msb-invert", "columns-lsb"]
SAMPLE = "Agjy%@|~" + "中菜骨，。Ａαж" + "".join(chr(cp) for cp in HANZI[::300])
SIDES = ("above", "below", "left of", "right of")


def expected_cells(face, size, baseline, depth):
    """code point -> (cell, lost, moved, excess) as FreeType renders it on that
    baseline, moved the fewest whole pixels that keep its ink in the cell where
    it fits the cell, else cut at the face's place."""
    cells = {}
    for character in SAMPLE:
        cp = ord(character)
        cell_width = size if is_wide(cp) else (size + 1) // 2
        rendered = render_grey(face, cp)
        cell, larger, moved, excess = place_levels(*quantized(rendered, depth), baseline,
                                                   cell_width, size, character)
        lost = place(rendered, baseline, size, cell_width, depth)[1] if larger else [0, 0, 0, 0]
        cells[cp] = (cell, lost, moved, excess)
    return cells


def header_baseline(header):
    found = re.search(r"baseline (-?\d+) rows from the cell's top, ([^.]*)\.", header)
    return (int(found.group(1)), found.group(2)) if found else (None, None)


def commented_lit(header):
    """code -> the pixels that the comment before its bitmap draws as not dark."""
    drawn = {}
    for code, rows in re.findall(r"/\* 0X([0-9A-F]+) U\+[0-9A-F]{4}[^\r\n]*\r\n((?:   \S+\r\n)+)\*/",
                                 header):
        drawn[int(code, 16)] = [[pixel != "." for pixel in row.strip()] for row in rows.splitlines()]
    return drawn


def lost_text(lost):
    parts = [f"{n} pixel{'s' if n != 1 else ''} {side} its cell" for n, side in zip(lost, SIDES) if n]
    return parts[0] if len(parts) == 1 else ", ".join(parts[:-1]) + " and " + parts[-1]


def check_grey(cli, work, compilers, font, face, size, depth, first_comment):
    what = f"{font} {size} px --bpp {depth}"
    for layout in LAYOUTS:
        scan, bits, *invert = layout.split("-")
        status, out, err = cli.run("--glyphs", "g", "--font", font, "--size", str(size), "--bpp",
                                   str(depth), "--scan", scan, "--bit-order", bits, "--clip",
                                   *(["--invert"] if invert else []), "sample.txt")
        header = out.decode("utf-8")
        baseline, _ = header_baseline(header)
        check(status == 0 and baseline is not None, f"{what} {layout}: status {status}", err)
        if status != 0 or baseline is None:
            continue
        check(header.startswith(first_comment), f"{what}: first comment {header[:300]!r}")
        cells = expected_cells(face, size, baseline, depth)
        cut = [(chr(cp), sum(cells[cp][1])) for cp in dict.fromkeys(map(ord, SAMPLE))
               if any(cells[cp][1])]
        lost = sum(pixels for _, pixels in cut)
        moved = sum(cells[cp][2] != (0, 0) for cp in cells)
        named = ", ".join(f"U+{ord(c):04X} '{c}'" for c, _ in cut[:10])
        warning = ([f"gbkhex-cli: warning: {len(cut)} glyph{'s' if len(cut) != 1 else ''} lost "
                    f"{lost} pixel{'s' if lost != 1 else ''} "
                    f"{'outside their cells' if len(cut) != 1 else 'outside its cell'} (--clip): "
                    f"{named}{f' and {len(cut) - 10} more' if len(cut) > 10 else ''}"]
                   if cut else [])
        warning += ([f"gbkhex-cli: warning: {moved} glyph{'s' if moved != 1 else ''} moved from "
                     "the face's place by the fewest whole pixels that keep all "
                     f"{'their ink in their cells' if moved != 1 else 'its ink in its cell'}, as "
                     f"{'the comments before their bitmaps say' if moved != 1 else 'the comment before its bitmap says'}"]
                    if moved else [])
        check(moved > 0 and err.splitlines() == warning, f"{what} {layout}: {err!r}, want "
              f"{warning}")
        with open(os.path.join(work, "glyphs.h"), "wb") as header_file:
            header_file.write(out)
        compile_list = COMPILES if layout == LAYOUTS[0] else COMPILES[::3]
        printed = compile_and_print(work, compilers, f"{what} {layout}", compile_list)
        ordered = sorted(cells, key=lambda cp: code_of(chr(cp)))
        want = [f"{'W' if is_wide(cp) else 'N'} {code_of(chr(cp)):04X} "
                f"{lay_out(cells[cp][0], layout, depth)}" for cp in ordered]
        got = sorted(printed[1:], key=lambda line: (line[0] != "W", line))
        want = sorted(want, key=lambda line: (line[0] != "W", line))
        wrong = [f"got  {g}\nwant {w}" for g, w in zip(got, want) if g != w]
        check(len(got) == len(want) and not wrong,
              f"{what} {layout}: {len(got)} glyphs printed, {len(want)} wanted, {len(wrong)} differ",
              "\n".join(wrong[:2]))
        if layout == LAYOUTS[0]:
            # Ten characters draw the levels: a level nearer to dark than to the
            # first step above it may be drawn dark.
            drawn = commented_lit(header)
            maximum = (1 << depth) - 1
            wrong = [cp for cp, (cell, *_) in cells.items()
                     if len(drawn.get(code_of(chr(cp)), [])) != size or
                     any(lit != (level != 0) and not (lit is False and 18 * level <= maximum)
                         for row, drawn_row in zip(cell, drawn[code_of(chr(cp))])
                         for level, lit in zip(row, drawn_row))]
            check(not wrong, f"{what}: the comments draw other pixels for {wrong[:5]}")


def check_lost_pixel_faults(cli, work, face, size, depth):
    """Each glyph that its cell would cut, an error at its place: one character a line."""
    with open(os.path.join(work, "cut.txt"), "w", encoding="utf-8", newline="") as text:
        text.write("\n".join(SAMPLE) + "\n")
    status, out, err = cli.run("--glyphs", "g", "--font", ZEN_HEI, "--size", str(size), "--bpp",
                               str(depth), "--baseline", str(size - 1), "cut.txt")
    cells = expected_cells(face, size, size - 1, depth)

    def larger(excess, width):
        parts = [f"{n} pixel{'s' if n != 1 else ''} {way}"
                 for n, way in zip(excess, ("wider", "taller")) if n > 0]
        return f": its ink is {' and '.join(parts)} than its {width} x {size} cell"

    def ways(c):
        narrow = [] if is_wide(ord(c)) else [
            "--narrow-font to draw the narrow cells from a face made for them"] + (
            [] if face.is_fixed_width else ["a monospaced face"])
        listed = ["--fit or --em to draw it at a smaller em"] + narrow + ["--clip to accept the cut"]
        return ", ".join(listed[:-1]) + ", or " + listed[-1]

    want = [f"cut.txt:{line}:1: error: U+{ord(c):04X} '{c}' would lose {lost_text(cells[ord(c)][1])}"
            f"{larger(cells[ord(c)][3], size if is_wide(ord(c)) else (size + 1) // 2)}; use {ways(c)}"
            for line, c in enumerate(SAMPLE, 1) if any(cells[ord(c)][1])]
    check(len(want) > 5 and status == 1 and out == b"" and err.splitlines() == want,
          f"lost pixels as faults: status {status}, {len(err.splitlines())} lines, "
          f"{len(want)} wanted", "\n".join(set(err.splitlines()) ^ set(want)))


def check_family_and_face(cli):
    by_name = cli.run("--glyphs", "g", "--font", "Noto Sans CJK SC", "sample.txt", "--clip")
    by_file = cli.run("--glyphs", "g", "--font", NOTO, "--face", "2", "sample.txt", "--clip")
    check(by_name[0] == 0 and by_name == by_file,
          f"'Noto Sans CJK SC' is not face 2 of {NOTO}: status {by_name[0]}", by_name[2])
    japanese = cli.run("--glyphs", "g", "--font", "Noto Sans CJK SC", "--face", "0", "sample.txt",
                       "--clip")
    check(japanese[0] == 0 and b'family "Noto Sans CJK JP", style "Regular", face 0 of the '
          b"collection" in japanese[1] and japanese[1] != by_name[1],
          "--face 0 with a family name: not the collection's first face", japanese[1][:200])
    status, out, err = cli.run("--glyphs", "g", "--font", "Noto Sans CJK QQ", "sample.txt")
    check(status == 1 and out == b"" and err.startswith(
        "gbkhex-cli: no installed font family is named 'Noto Sans CJK QQ' (the nearest: "
        "'Noto Sans CJK "), f"a family not installed: status {status}: {err}")
    status, out, err = cli.run("--glyphs", "g", "--bpp", "2", "--scan", "tiles", "sample.txt")
    check(status == 2 and err.startswith("gbkhex-cli: --scan tiles cannot go with --bpp 2: tiles "
                                         "hold 1 bit a pixel"), f"tiles at 2 bits: {err}")
    status, out, err = cli.run("--glyphs", "g", "--size", "12", "--baseline", "13", "sample.txt")
    check(status == 2 and err.startswith("gbkhex-cli: --baseline '13' is no number of rows from 0 "
                                         "to 12"), f"--baseline beyond --size: {err}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True, help="gbkhex-cli")
    parser.add_argument("--cc", required=True)
    parser.add_argument("--cxx", required=True)
    parser.add_argument("--work", required=True, help="a folder for the files made here")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    cli = Cli(args.cli, None, args.work, False)
    compilers = {"cc": args.cc, "cxx": args.cxx}
    with open(os.path.join(args.work, "sample.txt"), "w", encoding="utf-8", newline="") as text:
        text.write(SAMPLE[:20] + "\n" + SAMPLE[20:] + "\n")

    noto = freetype.Face(NOTO, 2)
    noto.set_pixel_sizes(0, 24)
    baseline, _ = expected_placement(twice_em_top(NOTO, 2, noto, "em-box"), noto.units_per_EM, 24)
    check_grey(cli, args.work, compilers, "Noto Sans CJK SC", noto, 24, 4,
               '/* Glyphs written by gbkhex-cli from the font "NotoSansCJK-Regular.ttc":\r\n'
               '   family "Noto Sans CJK SC", style "Regular", face 2 of the collection, at 24 px, '
               f"4 bits a pixel;\r\n   baseline {baseline} rows from the cell's top, from the "
               "font's ideographic em box.\r\n")
    zen_hei = freetype.Face(ZEN_HEI, 0)
    zen_hei.set_pixel_sizes(0, 16)
    for depth in (2, 8):
        check_grey(cli, args.work, compilers, ZEN_HEI, zen_hei, 16, depth,
                   '/* Glyphs written by gbkhex-cli from the font "wqy-zenhei.ttc":\r\n'
                   '   family "WenQuanYi Zen Hei", style "Regular", face 0 of the collection, at '
                   f"16 px, {depth} bits a pixel;\r\n")
    check_lost_pixel_faults(cli, args.work, zen_hei, 16, 4)
    check_family_and_face(cli)
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
