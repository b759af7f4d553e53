#!/usr/bin/env python3
"""Holds the glyph library to FreeType's own rendering of real Chinese fonts,
read through another binding (python3-freetype), and checks:
- GNU Unifont, Noto Sans CJK SC, WenQuanYi Zen Hei and Micro Hei and AR PL UKai
  at 12, 16 and 24 px: the baseline that the font's rule gives (its BASE em box,
  or the medians of its ideographs' outline boxes, read here on their own), and
  every GB 2312 hanzi pixel for pixel as FreeType renders it on that baseline,
  the pixels beyond the cell counted by side; at most 1 hanzi in 50 may lose any;
- 2, 4 and 8 bits a pixel: wide and narrow glyphs in every row and column
  layout, bit order and invert, against the anti-aliased rendering scaled to the
  levels; their grey preview; pages and tiles refused;
- faces of a collection, installed families by name (fontconfig), blank glyphs,
  and malformed fonts refused with their name.
Prints "N passed, N failed".
"""

import argparse
import ctypes
import os
import struct
import sys

import freetype
import freetype.raw

from check_glyphs import Dump, check, check_preview, is_wide, lay_out, results

NOTO = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
NOTO_BOLD = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"
ZEN_HEI = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
MICRO_HEI = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
UKAI = "/usr/share/fonts/truetype/arphic/ukai.ttc"
# file, face, family, what places the baseline
FONTS = [
    ("/usr/share/fonts/opentype/unifont/unifont.otf", 0, "Unifont", "ideographs"),
    (NOTO, 2, "Noto Sans CJK SC", "em-box"),
    (ZEN_HEI, 0, "WenQuanYi Zen Hei", "ideographs"),
    (MICRO_HEI, 0, "WenQuanYi Micro Hei", "ideographs"),
    (UKAI, 0, "AR PL UKai CN", "ideographs"),
]
SIZES = (12, 16, 24)
GREY_LAYOUTS = [f"{scan}-{bits}{inv}" for scan in ("rows", "columns") for bits in ("msb", "lsb")
                for inv in ("", "-invert")]


def gb2312(leads, trails):
    characters = []
    for lead in leads:
        for trail in trails:
            try:
                characters.append(ord(bytes([lead, trail]).decode("gb2312")))
            except UnicodeDecodeError:
                pass
    return characters


HANZI = gb2312(range(0xB0, 0xF8), range(0xA1, 0xFF))
# The library's sample of common hanzi: three from each of the first 40 rows.
SAMPLE = gb2312(range(0xB0, 0xD8), (0xA1, 0xC1, 0xE1))


def sfnt_table(path, face, tag):
    with open(path, "rb") as font:
        data = font.read()
    directory = struct.unpack(">I", data[12 + 4 * face:16 + 4 * face])[0] if data[:4] == b"ttcf" else 0
    for i in range(struct.unpack(">H", data[directory + 4:directory + 6])[0]):
        entry = directory + 12 + 16 * i
        name, _, offset, length = struct.unpack(">4sIII", data[entry:entry + 16])
        if name == tag:
            return data[offset:offset + length]
    return None


def base_em_top(base, units_per_em):
    """The top of the em box that BASE states for 'hani': 'ideo' plus an em."""
    u16 = lambda at: struct.unpack(">H", base[at:at + 2])[0]
    axis = u16(4)
    tags, scripts = axis + u16(axis), axis + u16(axis + 2)
    names = [base[tags + 2 + 4 * i:tags + 6 + 4 * i] for i in range(u16(tags))]
    for i in range(u16(scripts)):
        record = scripts + 2 + 6 * i
        if base[record:record + 4] == b"hani":
            script = scripts + u16(record + 4)
            values = script + u16(script)
            coordinate = values + u16(values + 4 + 2 * names.index(b"ideo"))
            return struct.unpack(">h", base[coordinate + 2:coordinate + 4])[0] + units_per_em
    raise SystemExit("no 'hani' script in BASE")


def twice_em_top(path, face_index, face, rule):
    """The em box's top in halves of a font unit, read here as the rule says."""
    if rule == "em-box":
        return 2 * base_em_top(sfnt_table(path, face_index, b"BASE"), face.units_per_EM)
    bottoms, tops = [], []
    for code_point in SAMPLE:
        index = face.get_char_index(code_point)
        if index:
            face.load_glyph(index, freetype.FT_LOAD_NO_SCALE)
            box = face.glyph.outline.get_bbox()
            bottoms.append(box.yMin)
            tops.append(box.yMax)
    # The library's median of an even count is the upper middle value.
    upper = lambda values: sorted(values)[len(values) // 2]
    return upper(bottoms) + upper(tops) + face.units_per_EM


def expected_placement(twice_top, units_per_em, size):
    """The baseline (rows) and the shift (64ths) that would put the em box on the cell."""
    top = (2 * twice_top * 64 * size + 2 * units_per_em) // (4 * units_per_em)
    baseline = (2 * top + 64) // 128
    return baseline, max(-31, min(31, 64 * baseline - top))


def render_grey(face, code_point):
    """FreeType's anti-aliased bitmap of a character: (left, top, rows of
    coverage, full coverage), an embedded 1-bit bitmap as it is."""
    face.load_glyph(face.get_char_index(code_point), freetype.FT_LOAD_DEFAULT)
    slot = face.glyph
    if slot.format == freetype.FT_GLYPH_FORMAT_OUTLINE:
        slot.render(freetype.FT_RENDER_MODE_NORMAL)
    bitmap = slot._FT_GlyphSlot.contents.bitmap
    pitch = bitmap.pitch
    data = ctypes.string_at(bitmap.buffer, bitmap.rows * pitch) if bitmap.rows else b""
    if bitmap.pixel_mode == freetype.FT_PIXEL_MODE_MONO:
        rows = [[data[r * pitch + c // 8] >> (7 - c % 8) & 1 for c in range(bitmap.width)]
                for r in range(bitmap.rows)]
        return slot.bitmap_left, slot.bitmap_top, rows, 1
    rows = [list(data[r * pitch:r * pitch + bitmap.width]) for r in range(bitmap.rows)]
    return slot.bitmap_left, slot.bitmap_top, rows, 255


def place(rendered, baseline, size, cell_width, depth):
    """The cell's levels and the lit pixels beyond it (above, below, left, right)."""
    left, top, rows, full = rendered
    maximum = (1 << depth) - 1
    cell = [[0] * cell_width for _ in range(size)]
    lost = [0, 0, 0, 0]
    for r, row in enumerate(rows):
        y = baseline - top + r
        for c, coverage in enumerate(row):
            level = (coverage * maximum + full // 2) // full
            if not level:
                continue
            x = left + c
            if y < 0 or y >= size:
                lost[0 if y < 0 else 1] += 1
            elif x < 0 or x >= cell_width:
                lost[2 if x < 0 else 3] += 1
            else:
                cell[y][x] = level
    return cell, lost


def place_mono(face, code_point, shift, baseline, size):
    """A hanzi's monochrome rendering in its cell, as its rows in hex (rows-msb),
    and the lit pixels beyond it; rows are integers here, the leftmost pixel
    high, for the 100,000 glyphs to be quick."""
    face.load_glyph(face.get_char_index(code_point), freetype.FT_LOAD_TARGET_MONO)
    slot = face.glyph
    if slot.format == freetype.FT_GLYPH_FORMAT_OUTLINE:
        if shift:
            freetype.raw.FT_Outline_Translate(ctypes.byref(slot._FT_GlyphSlot.contents.outline),
                                              0, shift)
        slot.render(freetype.FT_RENDER_MODE_MONO)
    bitmap = slot._FT_GlyphSlot.contents.bitmap
    width, pitch, left = bitmap.width, bitmap.pitch, slot.bitmap_left
    data = ctypes.string_at(bitmap.buffer, bitmap.rows * pitch) if bitmap.rows else b""
    cell, lost = [0] * size, [0, 0, 0, 0]
    beyond_right = min(width, left + width - size)
    for r in range(bitmap.rows):
        bits = int.from_bytes(data[r * pitch:(r + 1) * pitch], "big") >> (pitch * 8 - width)
        y = baseline - slot.bitmap_top + r
        if y < 0 or y >= size:
            lost[0 if y < 0 else 1] += bits.bit_count()
            continue
        if left < 0:
            lost[2] += (bits >> max(0, width + left)).bit_count()
        if beyond_right > 0:
            lost[3] += (bits & ((1 << beyond_right) - 1)).bit_count()
        gap = size - left - width
        cell[y] = (bits << gap if gap >= 0 else bits >> -gap) & ((1 << size) - 1)
    digits = (size + 7) // 8 * 2
    return "".join(f"{row << (digits * 4 - size):0{digits}X}" for row in cell), lost


def check_hanzi_whole(dump, path, face_index, family, rule):
    face = freetype.Face(path, face_index)
    twice_top = twice_em_top(path, face_index, face, rule)
    for size in SIZES:
        fields, laid_out, missing = dump.glyphs(path, size, "--face", str(face_index), "--hanzi",
                                                "rows-msb")
        what = f"{family} {size} px"
        baseline, shift = expected_placement(twice_top, face.units_per_EM, size)
        check((fields["family"], fields["rule"], fields["baseline"]) == (family, rule, str(baseline))
              and fields["shift"] in ("0", str(shift)), f"{what}: {fields}, want baseline {baseline}")
        check(not missing, f"{what}: no glyph for {len(missing)} hanzi")
        face.set_pixel_sizes(0, size)
        wrong, losing = [], 0
        for code_point in HANZI:
            if code_point in missing:
                continue
            rows, lost = place_mono(face, code_point, int(fields["shift"]), int(fields["baseline"]),
                                    size)
            losing += any(lost)
            if (laid_out.get((code_point, "rows-msb")) != (size, rows) or
                    dump.lost.get(code_point, [0, 0, 0, 0]) != lost):
                wrong.append(f"U+{code_point:04X}")
        check(not wrong, f"{what}: {len(wrong)} hanzi differ from FreeType's rendering: {wrong[:5]}")
        check(losing * 50 <= len(HANZI), f"{what}: {losing} hanzi lose pixels beyond their cells")
        print(f"{what}: baseline {fields['baseline']} ({rule}), shift {fields['shift']}/64, "
              f"{losing} of {len(HANZI)} hanzi lose pixels")


def check_grey_levels(dump, work):
    narrow = [ord(c) for c in "Agjy%@|~"]
    wide = [ord(c) for c in "中菜骨，。Ａαж"] + HANZI[::300]
    sample = narrow + wide
    codes = ",".join(f"{cp:04X}" for cp in sample)
    # WenQuanYi Zen Hei Sharp (face 2) draws 12 px from the 1-bit bitmaps it embeds.
    cases = [(NOTO, 2, 24), (ZEN_HEI, 0, 16), (UKAI, 0, 12), (ZEN_HEI, 2, 12)]
    for path, face_index, size in cases:
        face = freetype.Face(path, face_index)
        face.set_pixel_sizes(0, size)
        for depth in (2, 4, 8):
            preview = os.path.join(work, f"grey-{depth}.png")
            fields, laid_out, _ = dump.glyphs(path, size, "--face", str(face_index), "--bpp",
                                              str(depth), "--chars", codes, "--preview", preview,
                                              *GREY_LAYOUTS)
            baseline = int(fields["baseline"])
            check(fields["shift"] == "0", f"grey levels move no outline: {fields}")
            cells, expected, lost = [], {}, {}
            for cp in sample:
                cell_width = size if is_wide(cp) else (size + 1) // 2
                cell, cut = place(render_grey(face, cp), baseline, size, cell_width, depth)
                cells.append(cell)
                if any(cut):
                    lost[cp] = cut
                for layout in GREY_LAYOUTS:
                    expected[(cp, layout)] = (cell_width, lay_out(cell, layout, depth))
            what = f"{os.path.basename(path)} {size} px, {depth} bits a pixel"
            wrong = [f"U+{cp:04X} {layout}" for (cp, layout), want in expected.items()
                     if laid_out.get((cp, layout)) != want]
            check(not wrong, f"{what}: {len(wrong)} of {len(expected)} differ: {wrong[:4]}")
            check(dump.lost == lost, f"{what}: pixels lost {dump.lost}, want {lost}")
            check_preview(preview, cells, (1 << depth) - 1)
    refused = dump.run(NOTO, 16, "--face", "2", "--bpp", "4", "--chars", "4E2D", "pages-msb")
    check(refused.returncode == 1 and "pages hold 1 bit a pixel" in refused.stderr,
          f"pages at 4 bits a pixel: {refused.stderr.strip()}")


def check_faces_and_families(dump, work):
    codes = "9AA8,76F4,0067"  # 骨 and 直 have Japanese forms of their own
    _, by_file, _ = dump.glyphs(NOTO, 16, "--face", "2", "--chars", codes, "rows-msb")
    fields, by_family, _ = dump.glyphs("Noto Sans CJK SC", 16, "--family", "--chars", codes,
                                       "rows-msb")
    check(by_family == by_file and (fields["file"], fields["face"]) == (NOTO, "2"),
          f"'Noto Sans CJK SC' by name: {fields}")
    _, japanese, _ = dump.glyphs(NOTO, 16, "--chars", codes, "rows-msb")
    check(japanese[(0x9AA8, "rows-msb")] != by_file[(0x9AA8, "rows-msb")],
          "the first face, Japanese, draws 骨 in its own form")
    named = {"wenquanyi zen hei mono": ("WenQuanYi Zen Hei Mono", ZEN_HEI),
             "Noto Sans CJK SC:style=Bold": ("Noto Sans CJK SC", NOTO_BOLD),
             "文泉驿微米黑": ("WenQuanYi Micro Hei", MICRO_HEI)}
    for request, (family, path) in named.items():
        fields, _, _ = dump.glyphs(request, 16, "--family", "--chars", "4E2D")
        check((fields["family"], fields["file"]) == (family, path), f"{request}: {fields}")
    refusals = {"Noto Sans CJK QQ": "no installed font family is named 'Noto Sans CJK QQ' "
                                    "(the nearest: 'Noto Sans CJK ",
                "WenQuanYi Zen Hei:style=Italic": "font family 'WenQuanYi Zen Hei' has no style "
                                                  "'Italic' (its styles: Regular)"}
    for request, message in refusals.items():
        refused = dump.run(request, 16, "--family", "rows-msb")
        check(refused.returncode == 1 and message in refused.stderr,
              f"{request}: {refused.stderr.strip()}")
    refused = dump.run(NOTO, 16, "--face", "10", "rows-msb")
    check(refused.returncode == 1 and "has no face 10: it has 10 faces, numbered 0 to 9" in refused.stderr,
          f"face 10 of 10: {refused.stderr.strip()}")
    # WenQuanYi Micro Hei's ℃ is an empty outline; the space is blank by right.
    dump.glyphs(MICRO_HEI, 16, "--chars", "2103,0020,4E2D")
    check(dump.blank == {0x2103, 0x20}, f"blank glyphs: {dump.blank}")

    with open(FONTS[0][0], "rb") as font:
        unifont = font.read()
    malformed = {"cut.otf": unifont[:4096],
                 "many-faces.ttc": b"ttcf\0\1\0\0\0\0\3\xe8" + b"\xff" * 64,
                 "no-tables.otf": unifont[:4] + b"\xff\xff" + b"\0" * 6}
    for name, data in malformed.items():
        path = os.path.join(work, name)
        with open(path, "wb") as font:
            font.write(data)
        refused = dump.run(path, 16, "rows-msb")
        check(refused.returncode == 1 and path in refused.stderr,
              f"malformed {name}: status {refused.returncode}, {refused.stderr.strip()}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump", required=True, help="the glyph_dump program")
    parser.add_argument("--work", required=True, help="a folder for the files made here")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    dump = Dump(args.dump, None, False)
    for path, face_index, family, rule in FONTS:
        check_hanzi_whole(dump, path, face_index, family, rule)
    check_grey_levels(dump, args.work)
    check_faces_and_families(dump, args.work)
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
