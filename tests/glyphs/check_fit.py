#!/usr/bin/env python3
"""Holds gbkhex-cli's whole GB 2312 images from real Chinese fonts to FreeType's
own rendering, read through python3-freetype:
- every cell but the box-drawing characters' (U+2500 to U+257F, cut at the
  cell's edges) is the rendering at the em that the header states, at the
  face's one place (its baseline, the pen at the cell's left), or where the ink
  would not fit there, moved the fewest whole pixels that bring it inside;
- at the em equal to the size, only glyphs whose ink is larger than their
  cells are refused, and --clip cuts those at the face's place;
- --fit refuses none, and the glyphs it names as setting each em are larger
  than their cells at the em above;
- --narrow-font draws the narrow cells from its own face, and a second --font
  fills the cells of the characters that the first lacks.
--matrix runs the four fonts at 12, 16 and 24 px, 1 and 4 bits a pixel, and
prints the counts. Prints "N passed, N failed".
"""

import argparse
import ctypes
import os
import re
import subprocess
import sys
import time

import freetype
import freetype.raw

from check_fonts import MICRO_HEI, NOTO, UKAI, ZEN_HEI, expected_placement, twice_em_top
from check_glyphs import cell_pixels, check, read_hex, results

UNIFONT = "/usr/share/fonts/opentype/unifont/unifont.otf"
# file, face, family, what places the baseline
FONTS = {"noto": (NOTO, 2, "em-box"), "zenhei": (ZEN_HEI, 0, "ideographs"),
         "microhei": (MICRO_HEI, 0, "ideographs"), "ukai": (UKAI, 0, "ideographs"),
         "unifont": (UNIFONT, 0, "ideographs")}


def gb2312_cells():
    """The characters of the image's cells in order (None for a dark one):
    the 94 x 94 grid, then the 95 narrow cells."""
    cells = []
    for zone in range(0xA1, 0xFF):
        for position in range(0xA1, 0xFF):
            try:
                cells.append(bytes([zone, position]).decode("gb2312"))
            except UnicodeDecodeError:
                cells.append(None)
    return cells + [chr(code) for code in range(0x20, 0x7F)]


CELLS = gb2312_cells()
WIDE_CELLS = 94 * 94


def is_box_drawing(character):
    return 0x2500 <= ord(character) <= 0x257F


class Face:
    """A face at one em, rendering as the header says: 1 bit a pixel hinted for
    monochrome (its outline moved by `shift` 64ths), or grey levels."""

    def __init__(self, key, em, depth):
        self.path, self.index, self.rule = FONTS[key]
        self.face = freetype.Face(self.path, self.index)
        self.face.set_pixel_sizes(0, em)
        self.em, self.depth, self.shift = em, depth, 0

    def has(self, character):
        return self.face.get_char_index(ord(character)) != 0

    def placement(self, size):
        """The baseline and outline shift that the em box inside the cell gives."""
        twice_top = twice_em_top(self.path, self.index, self.face, self.rule)
        baseline, shift = expected_placement(twice_top, self.face.units_per_EM, self.em)
        return (size - self.em) // 2 + baseline, shift

    def levels(self, character):
        """(left, top, rows of levels at the depth)."""
        mono = self.depth == 1
        self.face.load_glyph(self.face.get_char_index(ord(character)),
                             freetype.FT_LOAD_TARGET_MONO if mono else freetype.FT_LOAD_DEFAULT)
        slot = self.face.glyph
        if slot.format == freetype.FT_GLYPH_FORMAT_OUTLINE:
            if mono and self.shift:
                freetype.raw.FT_Outline_Translate(
                    ctypes.byref(slot._FT_GlyphSlot.contents.outline), 0, self.shift)
            slot.render(freetype.FT_RENDER_MODE_MONO if mono else freetype.FT_RENDER_MODE_NORMAL)
        bitmap = slot._FT_GlyphSlot.contents.bitmap
        pitch = bitmap.pitch
        data = ctypes.string_at(bitmap.buffer, bitmap.rows * pitch) if bitmap.rows else b""
        if bitmap.pixel_mode == freetype.FT_PIXEL_MODE_MONO:
            full, rows = 1, [[data[r * pitch + c // 8] >> (7 - c % 8) & 1
                              for c in range(bitmap.width)] for r in range(bitmap.rows)]
        else:
            full, rows = 255, [list(data[r * pitch:r * pitch + bitmap.width])
                               for r in range(bitmap.rows)]
        return quantized((slot.bitmap_left, slot.bitmap_top, rows, full), self.depth)


def ink_box(left, down, rows):
    """(x0, y0, x1, y1) of the lit levels in the cell's coordinates, or None."""
    xs = [c for row in rows for c, level in enumerate(row) if level]
    ys = [r for r, row in enumerate(rows) if any(row)]
    if not xs:
        return None
    return left + min(xs), down + min(ys), left + max(xs), down + max(ys)


def least_shift(low, high, limit):
    return -low if low < 0 else limit - 1 - high if high >= limit else 0


def place_levels(left, top, rows, baseline, width, height, character):
    """A glyph's levels in its cell as the rule places them: the cell, whether
    the ink is larger than the cell (it then stays at the face's place, cut),
    the move (right, down), and the excess (wider, taller)."""
    down = baseline - top
    box = ink_box(left, down, rows)
    excess = (box[2] - box[0] + 1 - width, box[3] - box[1] + 1 - height) if box else (0, 0)
    larger = max(excess) > 0 and not is_box_drawing(character)
    move = (0, 0)
    if box and max(excess) <= 0 and not is_box_drawing(character):
        move = (least_shift(box[0], box[2], width), least_shift(box[1], box[3], height))
    cell = [[0] * width for _ in range(height)]
    for r, row in enumerate(rows):
        y = down + move[1] + r
        if 0 <= y < height:
            for c, level in enumerate(row):
                if level and 0 <= left + move[0] + c < width:
                    cell[y][left + move[0] + c] = level
    return cell, larger, move, excess


def quantized(rendered, depth):
    """render_grey's (left, top, coverage, full) as levels of `depth` bits."""
    left, top, rows, full = rendered
    maximum = (1 << depth) - 1
    return left, top, [[(c * maximum + full // 2) // full for c in row] for row in rows]


def expected_cell(face, character, baseline, width, height):
    """The cell's levels, and whether the ink is larger than the cell."""
    return place_levels(*face.levels(character), baseline, width, height, character)[:2]


def image_cells(data, size, depth):
    """The image's cells as rows of levels (rows, msb first)."""
    cells, at = [], 0
    for index in range(len(CELLS)):
        width = size if index < WIDE_CELLS else (size + 1) // 2
        per_row = (width * depth + 7) // 8
        cell = []
        for _ in range(size):
            bits = int.from_bytes(data[at:at + per_row], "big")
            shift = per_row * 8
            cell.append([(bits >> (shift - depth * (x + 1))) & ((1 << depth) - 1)
                         for x in range(width)])
            at += per_row
        cells.append(cell)
    return cells


def header_ems(header, size):
    """The wide and narrow ems that the first comment states."""
    ems = re.search(r"wide glyphs at (\d+) px to the em, narrow glyphs at (\d+) px", header)
    return (int(ems.group(1)), int(ems.group(2))) if ems else (size, size)


class Chain:
    """The faces of one kind of cell at one em, in order, each on the baseline
    that its em box gives, which the header must state."""

    def __init__(self, what, keys, em, depth, size, header):
        self.faces = [Face(key, em, depth) for key in keys]
        stated = [int(b) for b in re.findall(r"baseline (-?\d+) rows from the cell's top", header)]
        self.baselines = []
        for face in self.faces:
            baseline, face.shift = face.placement(size)
            face.settled = depth != 1 or not face.shift
            self.baselines.append(baseline)
        check(self.baselines[0] in stated, f"{what}: baseline {self.baselines[0]} not in {stated}")

    def draw(self, character, width, size, cell):
        """The expected cell and whether the ink is larger, or None where no face
        has the character. At 1 bit a pixel the library moves a face's outlines by
        its shift only where its sample of hanzi then loses fewer pixels: the first
        glyph that differs tells which."""
        for face, baseline in zip(self.faces, self.baselines):
            if not face.has(character):
                continue
            want = expected_cell(face, character, baseline, width, size)
            if not face.settled:
                shift, face.shift = face.shift, 0
                other = expected_cell(face, character, baseline, width, size)
                face.shift = shift
                if other[0] != want[0]:
                    face.settled = True
                    if other[0] == cell:
                        want, face.shift = other, 0
            return want
        return None


def compare_image(what, image, header, keys, narrow_keys, size, depth):
    """Every cell against the rendering; returns the glyphs larger than their
    cells and the ems."""
    with open(image, "rb") as data:
        cells = image_cells(data.read(), size, depth)
    ems = header_ems(header, size)
    wide = Chain(what, keys, ems[0], depth, size, header)
    narrow = Chain(what, narrow_keys, ems[1], depth, size, header)
    shared = {(face.path, face.index): face for face in wide.faces} if ems[0] == ems[1] else {}
    wrong, larger = [], []
    for index, character in enumerate(CELLS):
        if character is None:
            continue
        is_wide = index < WIDE_CELLS
        if index == WIDE_CELLS:
            # The same face at the same em moves its outlines alike in both cells.
            for face in narrow.faces:
                if (face.path, face.index) in shared:
                    face.shift = shared[(face.path, face.index)].shift
                    face.settled = True
        width = size if is_wide else (size + 1) // 2
        drawn = (wide if is_wide else narrow).draw(character, width, size, cells[index])
        if drawn is None:
            continue
        larger += [character] if drawn[1] else []
        if cells[index] != drawn[0]:
            wrong.append(f"U+{ord(character):04X}")
    check(not wrong, f"{what}: {len(wrong)} cells differ from FreeType's rendering: {wrong[:8]}")
    return larger, ems


def run(cli, work, fonts, size, depth, *extra):
    image = os.path.join(work, "whole.bin")
    if os.path.exists(image):
        os.remove(image)
    started = time.monotonic()
    status, out, err = cli("--glyphs", "f", *fonts, "--size", str(size), "--bpp", str(depth),
                           "--whole", "gb2312", "--image", image, *extra)
    return status, out.decode("utf-8"), err, image, time.monotonic() - started


def refused(err):
    listed = re.findall(r"^gbkhex-cli: code [0-9A-F ]+, U\+([0-9A-F]{4,5}) ", err, re.M)
    more = re.search(r"(\d+) more errors? not listed", err)
    return {chr(int(code, 16)) for code in listed}, len(listed) + (int(more.group(1)) if more else 0)


def check_at_size(cli, work, key, size):
    """1 bit a pixel at the em of the size: refusals, then --clip's image."""
    path, face, _ = FONTS[key]
    fonts = ["--font", path, "--face", str(face)]
    what = f"{key} {size} px, 1 bit a pixel"
    status, _, err, _, _ = run(cli, work, fonts, size, 1)
    named, count = refused(err)
    status_clip, header, err_clip, image, _ = run(cli, work, fonts, size, 1, "--clip")
    check(status_clip == 0, f"{what} --clip: status {status_clip}", err_clip)
    larger, _ = compare_image(what, image, header, [key], [key], size, 1)
    check(count == len(larger) and named <= set(larger) and status == (1 if larger else 0),
          f"{what}: {count} refused, {len(larger)} larger than their cells", err[:600])
    cut = re.search(r"warning: ([\d,]+) glyphs? lost", err_clip)
    check((int(cut.group(1).replace(",", "")) if cut else 0) == len(larger),
          f"{what} --clip: {cut and cut.group(0)}, {len(larger)} larger")
    return count


def check_fit(cli, work, key, size, depth):
    path, face, _ = FONTS[key]
    what = f"{key} {size} px --fit, {depth} bits a pixel"
    status, header, err, image, seconds = run(cli, work, ["--font", path, "--face", str(face)],
                                              size, depth, "--fit")
    check(status == 0, f"{what}: status {status}", err[:600])
    if status != 0:
        return None
    larger, ems = compare_image(what, image, header, [key], [key], size, depth)
    check(not larger, f"{what}: {len(larger)} glyphs larger than their cells at {ems}")
    # Those named as setting an em are larger than their cells at the em above.
    for cells, em, width in (("wide", ems[0], size), ("narrow", ems[1], (size + 1) // 2)):
        named = re.search(rf"--fit: {cells} glyphs at \d+ px .*?, set by (.*), larger than", err)
        check((em == size) == (named is None), f"{what}: {cells} em {em}, {err}")
        if named:
            face_above = Face(key, em + 1, depth)
            baseline, shift = face_above.placement(size)
            setters = [chr(int(cp, 16)) for cp in re.findall(r"U\+([0-9A-F]{4})", named.group(1))]
            fitting = []
            for character in setters:
                face_above.shift = shift if depth == 1 else 0
                large = expected_cell(face_above, character, baseline, width, size)[1]
                face_above.shift = 0
                if not (large or expected_cell(face_above, character, baseline, width, size)[1]):
                    fitting.append(character)
            check(setters and not fitting, f"{what}: {fitting} of {setters} fit at {em + 1} px")
    return ems, seconds


def check_narrow_font_and_fallback(cli, work, hex_glyphs):
    """--narrow-font unifont after Noto Sans CJK SC: Unifont's own narrow glyphs,
    as unifont.hex draws them; a second --font filling in what the first lacks."""
    status, header, err, image, _ = run(cli, work, ["--font", NOTO, "--face", "2",
                                                    "--narrow-font", UNIFONT], 16, 1, "--clip")
    check(status == 0 and "the narrow glyphs" in header, f"--narrow-font: status {status}", err)
    if status == 0:
        compare_image("Noto 16 px, Unifont's narrow glyphs", image, header, ["noto"],
                      ["unifont", "noto"], 16, 1)
        with open(image, "rb") as data:
            narrow = image_cells(data.read(), 16, 1)[WIDE_CELLS:]
        wrong = [c for c, cell in zip(CELLS[WIDE_CELLS:], narrow)
                 if [[bool(level) for level in row] for row in cell] !=
                 cell_pixels(hex_glyphs[ord(c)], 8)]
        check(not wrong, f"--narrow-font unifont: {wrong[:8]} differ from unifont.hex")
    # AR PL UKai lacks one of GB 2312's characters; Unifont draws it.
    alone = run(cli, work, ["--font", UKAI], 16, 1, "--clip")[2]
    status, header, err, image, _ = run(cli, work, ["--font", UKAI, "--font", UNIFONT], 16, 1,
                                        "--clip")
    check(status == 0 and "1 character has no glyph" in alone and
          "glyphs that the fonts before it lack" in header and "no glyph" not in err,
          f"a second --font: status {status}", alone + err)
    if status == 0:
        compare_image("UKai then Unifont", image, header, ["ukai", "unifont"],
                      ["ukai", "unifont"], 16, 1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True, help="gbkhex-cli")
    parser.add_argument("--work", required=True, help="a folder for the files made here")
    parser.add_argument("--hex", required=True, help="unifont.hex")
    parser.add_argument("--matrix", action="store_true", help="every font, size and depth")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)

    def cli(*arguments):
        done = subprocess.run([args.cli, *arguments], cwd=args.work, capture_output=True)
        return done.returncode, done.stdout, done.stderr.decode("utf-8")

    if args.matrix:
        for key in ("noto", "zenhei", "microhei", "ukai"):
            for size in (12, 16, 24):
                count = check_at_size(cli, args.work, key, size)
                fits = [check_fit(cli, args.work, key, size, depth) for depth in (1, 4)]
                print(f"{key} {size} px: {count} refused at the em of the size; --fit ems "
                      f"(wide, narrow) at 1 bpp {fits[0] and fits[0][0]}, at 4 bpp "
                      f"{fits[1] and fits[1][0]}", flush=True)
    else:
        check_at_size(cli, args.work, "zenhei", 16)
        check_fit(cli, args.work, "noto", 16, 4)
        check_fit(cli, args.work, "ukai", 12, 1)
        check_narrow_font_and_fallback(cli, args.work, read_hex(args.hex))
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
