#!/usr/bin/env python3
"""Holds the glyph library to GNU Unifont's own bitmaps (unifont.hex).

Runs glyph_dump (natively, or under Wine with --launcher) and checks:
- every character that code page 936 encodes exactly, controls left out, drawn
  from unifont.otf at 16 px in rows/msb, against unifont.hex; the characters
  without a glyph must be those that unifont.hex lacks;
- a sample of wide and narrow characters in every scan, bit order and invert,
  laid out here from unifont.hex's pixels;
- the preview PNG of that sample, decoded here, pixel by pixel;
- BDF and PCF fonts made here from unifont.hex, one of 12 px whose glyphs
  stick out of their cells (cut, and the lost pixels counted), and sizes that a
  bitmap font does not have;
- under Wine, installed fonts by family name;
- the messages for fonts that cannot be opened.
Prints "N passed, N failed".
"""

import argparse
import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib

SCANS = ["rows", "columns", "pages", "tiles"]
LAYOUTS = [f"{scan}-{bits}{inv}" for scan in SCANS for bits in ("msb", "lsb")
           for inv in ("", "-invert")]
# The picture's grey levels and geometry, as glyphs/preview.h gives them.
DARK, BEYOND, GRID, SCALE, COLUMNS = 255, 224, 160, 4, 16

WENQUANYI = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

results = {"passed": 0, "failed": 0}


def check(ok, what, detail=""):
    results["passed" if ok else "failed"] += 1
    if not ok:
        print(f"FAIL: {what}" + (f"\n{detail}" if detail else ""))


def read_hex(path):
    """unifont.hex: code point -> (width, rows as integers, leftmost pixel high)."""
    glyphs = {}
    with open(path) as hex_file:
        for line in hex_file:
            code, bits = line.strip().split(":")
            width = len(bits) // 4  # 16 rows of width/4 hex digits
            rows = [int(bits[i:i + width // 4], 16) for i in range(0, len(bits), width // 4)]
            glyphs[int(code, 16)] = (width, rows)
    return glyphs


def cell_pixels(hex_glyph, cell_width, height=16):
    """The glyph as it must stand in its cell: at the left, cut at the right."""
    width, rows = hex_glyph
    return [[x < width and bool(rows[y] >> (width - 1 - x) & 1) for x in range(cell_width)]
            for y in range(height)]


def lay_out(pixels, layout, depth=1):
    """The bytes of a cell of pixels (their levels, or lit as True) of `depth`
    bits each in a layout, from the layouts' definitions."""
    scan, bits, *invert = layout.split("-")
    height, width = len(pixels), len(pixels[0])
    if scan == "rows":
        groups = [[pixels[y][x] for x in range(width)] for y in range(height)]
    elif scan == "columns":
        groups = [[pixels[y][x] for y in range(height)] for x in range(width)]
    elif scan == "pages":
        groups = [[pixels[y][x] for y in range(top, min(top + 8, height))]
                  for top in range(0, height, 8) for x in range(width)]
    else:
        groups = [[pixels[y][x] for x in range(left, min(left + 8, width))]
                  for left in range(0, width, 8) for y in range(height)]
    out, per_byte = bytearray(), 8 // depth
    for group in groups:
        for start in range(0, len(group), per_byte):
            byte = 0
            for k, level in enumerate(group[start:start + per_byte]):
                byte |= int(level) << (8 - depth * (k + 1) if bits == "msb" else depth * k)
            out.append(byte ^ 0xFF if invert else byte)
    return out.hex().upper()


def is_wide(code_point):
    """Whether code page 936 gives the character two bytes; Python's codec has
    no single-byte euro sign, which Windows' code page 936 has (0x80)."""
    if code_point == 0x20AC:
        return False
    return len(chr(code_point).encode("cp936")) == 2


class Program:
    """A program run natively, or with a launcher (wine) as a Windows program,
    which takes paths as Windows names them."""

    def __init__(self, program, launcher, windows):
        self.command = ([launcher] if launcher else []) + [program]
        self.windows = windows

    def path(self, path):
        return "Z:" + path.replace("/", "\\") if self.windows else path

    def capture(self, args, cwd=None):
        """The exit status, standard output (bytes) and standard error (text)."""
        # Into files, not pipes: a wineserver started by the run would hold a
        # pipe open until it ends, seconds later.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run(self.command + list(args), stdout=out, stderr=err, cwd=cwd)
            out.seek(0)
            err.seek(0)
            return done.returncode, out.read(), err.read().decode("utf-8")


class Dump(Program):
    def run(self, font, size, *args):
        arguments = [font, str(size), *args]
        status, out, err = self.capture(arguments)
        return subprocess.CompletedProcess(self.command + arguments, status, out.decode("utf-8"),
                                           err)

    def glyphs(self, font, size, *args):
        """Face, {(code point, layout): (width, hex)}, {code points without glyph};
        the face's fields (family, style, file, face, baseline, rule, shift), the
        pixels lost (code point: [above, below, left, right]) and the blank
        glyphs are kept as self.face, self.lost and self.blank."""
        done = self.run(font, size, *args)
        self.last_stderr = done.stderr
        if done.returncode != 0:
            raise SystemExit(f"glyph_dump {font} failed: {done.stderr}")
        lines = done.stdout.splitlines()
        self.face = dict(field.split("=", 1) for field in lines[0].split("|"))
        laid_out, missing, self.lost, self.blank = {}, set(), {}, set()
        for line in lines[1:]:
            fields = line.split()
            code_point = int(fields[0], 16)
            if fields[1] == "none":
                missing.add(code_point)
            elif fields[1] == "lost":
                self.lost[code_point] = [int(n) for n in fields[2:]]
            elif fields[1] == "blank":
                self.blank.add(code_point)
            else:
                laid_out[(code_point, fields[1])] = (int(fields[2]), fields[3])
        return self.face, laid_out, missing


def compare(what, laid_out, expected_pixels, layouts):
    """expected_pixels: code point -> pixels of its cell."""
    expected = {(cp, layout): (len(pixels[0]), lay_out(pixels, layout))
                for cp, pixels in expected_pixels.items() for layout in layouts}
    compare_bytes(what, laid_out, expected)


def compare_bytes(what, laid_out, expected):
    """expected: (code point, layout) -> (cell width, bytes in hex)."""
    failures = [f"U+{cp:04X} {layout}: got {laid_out.get((cp, layout))}, want {want}"
                for (cp, layout), want in expected.items() if laid_out.get((cp, layout)) != want]
    check(not failures, f"{what}: {len(failures)} of {len(expected)} differ",
          "\n".join(failures[:5]))


def rows_msb(hex_glyph, cell_width):
    """unifont.hex's own digits, each row widened or cut to the cell."""
    width, rows = hex_glyph
    digits = cell_width // 4
    shifted = [row << (cell_width - width) if cell_width >= width else row >> (width - cell_width)
               for row in rows]
    return cell_width, "".join(f"{row:0{digits}X}" for row in shifted)


def check_every_gbk_character(dump, font, hex_glyphs):
    face, laid_out, missing = dump.glyphs(font, 16, "--time", "rows-msb")
    print(dump.last_stderr.strip())
    check((face["family"], face["baseline"], face["shift"]) == ("Unifont", "14", "0"),
          f"family and baseline: {face}")
    check(not dump.lost, f"glyphs that lose pixels: {sorted(dump.lost)[:10]}")
    drawn_points = {code_point for code_point, _ in laid_out}
    lacking = sorted(cp for cp in drawn_points if cp not in hex_glyphs)
    check(not lacking, f"glyphs drawn that unifont.hex lacks: {lacking[:10]}")
    expected = {(cp, "rows-msb"): rows_msb(hex_glyphs[cp], 16 if is_wide(cp) else 8)
                for cp in drawn_points if cp in hex_glyphs}
    compare_bytes("every GBK character in rows-msb", laid_out, expected)
    blank = {cp for cp in drawn_points if cp in hex_glyphs and not any(hex_glyphs[cp][1])}
    check(dump.blank == blank, f"blank glyphs {sorted(dump.blank)[:10]}, want {sorted(blank)[:10]}")
    check(not any(cp in hex_glyphs for cp in missing),
          f"no glyph for characters that unifont.hex has: {sorted(missing & hex_glyphs.keys())[:10]}")
    python_gbk = {cp for cp in range(0x20, 0x10000) if not 0xD800 <= cp < 0xE000
                  and not 0x7F <= cp < 0xA0 and encodes_exactly(cp)}
    windows_only = drawn_points - python_gbk
    check(windows_only == {0x20AC} and python_gbk <= drawn_points,
          f"the characters drawn are not Python's GBK plus the euro sign: {sorted(windows_only)[:10]}"
          f" / {sorted(python_gbk - drawn_points)[:10]}")
    check(all(0xE000 <= cp < 0xF900 for cp in missing),
          f"characters outside the private use area without a glyph: {sorted(missing)[:10]}")
    wide = sum(1 for cp in drawn_points if is_wide(cp))
    print(f"{len(drawn_points) + len(missing)} characters: {wide} wide and "
          f"{len(drawn_points) - wide} narrow drawn, {len(missing)} (private use) without a glyph")
    return sorted(drawn_points)


def encodes_exactly(code_point):
    try:
        return chr(code_point).encode("cp936").decode("cp936") == chr(code_point)
    except UnicodeError:
        return False


def sample_of(characters):
    sample = characters[::97]
    # ASCII letters and the space, the euro sign, Greek and Cyrillic letters that
    # Unifont draws 8 pixels wide in a wide cell, a fullwidth letter, 中.
    sample += [0x20, 0x41, 0x67, 0x7E, 0x20AC, 0x3B1, 0x416, 0xFF21, 0x4E2D, 0x3000]
    return list(dict.fromkeys(sample))


def decode_png(data):
    """8-bit grey PNG -> (width, height, rows of bytes)."""
    check(data[:8] == b"\x89PNG\r\n\x1a\n", "the preview is a PNG file")
    position, chunks, idat = 8, {}, b""
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b"IDAT":
            idat += body
        chunks.setdefault(kind, body)
        position += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    if (depth, colour, interlace) != (8, 0, 0):
        raise SystemExit(f"preview is not 8-bit grey without interlace: {depth} {colour} {interlace}")
    raw, rows, previous = zlib.decompress(idat), [], bytearray(width)
    for y in range(height):
        line = raw[y * (width + 1):(y + 1) * (width + 1)]
        kind, row = line[0], bytearray(line[1:])
        for x in range(width):
            left = row[x - 1] if x else 0
            up, up_left = previous[x], previous[x - 1] if x else 0
            if kind == 1:
                row[x] = (row[x] + left) & 0xFF
            elif kind == 2:
                row[x] = (row[x] + up) & 0xFF
            elif kind == 3:
                row[x] = (row[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else up_left
                row[x] = (row[x] + predictor) & 0xFF
        rows.append(row)
        previous = row
    return width, height, rows


def check_preview(path, cells, max_level=1):
    """cells: the cells' pixels (levels up to max_level, or lit as True), in order."""
    with open(path, "rb") as png:
        width, height, rows = decode_png(png.read())
    slot_width = max(len(c[0]) for c in cells) * SCALE
    slot_height = max(len(c) for c in cells) * SCALE
    columns = min(COLUMNS, len(cells))
    grid_rows = -(-len(cells) // columns)
    expected = [bytearray([GRID]) * (columns * (slot_width + 1) + 1)
                for _ in range(grid_rows * (slot_height + 1) + 1)]
    for i, pixels in enumerate(cells):
        left = 1 + i % columns * (slot_width + 1)
        top = 1 + i // columns * (slot_height + 1)
        for y in range(slot_height):
            for x in range(slot_width):
                inside = y // SCALE < len(pixels) and x // SCALE < len(pixels[0])
                level = int(pixels[y // SCALE][x // SCALE]) if inside else 0
                expected[top + y][left + x] = (
                    DARK - (level * DARK + max_level // 2) // max_level if inside else BEYOND)
    check((width, height) == (len(expected[0]), len(expected)),
          f"preview size {width} x {height}, want {len(expected[0])} x {len(expected)}")
    wrong = [(x, y) for y, row in enumerate(rows[:len(expected)])
             for x in range(min(width, len(expected[0]))) if row[x] != expected[y][x]]
    check(not wrong, f"preview: {len(wrong)} pixels differ, first at {wrong[:3]}")


def write_bdf(path, glyphs, size, ascent, family, descent=None):
    """glyphs: code point -> (width, height, x offset, y offset, rows, leftmost pixel high).
    The font's ascent and descent span its size unless a descent is given."""
    descent = size - ascent if descent is None else descent
    lines = ["STARTFONT 2.1", f"FONT -gbkhex-{family.replace(' ', '')}-Medium-R-Normal--{size}-"
             f"{size * 10}-75-75-C-{size * 5}-ISO10646-1", f"SIZE {size} 75 75",
             f"FONTBOUNDINGBOX {size + 2} {size + 2} -1 {ascent - size - 1}",
             "STARTPROPERTIES 6", f"FONT_ASCENT {ascent}", f"FONT_DESCENT {descent}",
             f"PIXEL_SIZE {size}", f'FAMILY_NAME "{family}"', 'CHARSET_REGISTRY "ISO10646"',
             'CHARSET_ENCODING "1"', "ENDPROPERTIES", f"CHARS {len(glyphs)}"]
    for code_point, (width, height, x_offset, y_offset, rows) in glyphs.items():
        digits = (width + 7) // 8 * 2
        lines += [f"STARTCHAR U+{code_point:04X}", f"ENCODING {code_point}", "SWIDTH 500 0",
                  f"DWIDTH {width} 0", f"BBX {width} {height} {x_offset} {y_offset}", "BITMAP"]
        lines += [f"{row << (digits * 4 - width):0{digits}X}" for row in rows]
        lines.append("ENDCHAR")
    lines.append("ENDFONT")
    with open(path, "w") as bdf:
        bdf.write("\n".join(lines) + "\n")


def check_bitmap_fonts(dump, work, hex_glyphs, sample, bdftopcf):
    from_hex = {cp: (hex_glyphs[cp][0], 16, 0, -2, hex_glyphs[cp][1]) for cp in sample}
    bdf = os.path.join(work, "unifont-sample.bdf")
    write_bdf(bdf, from_hex, 16, 14, "Unifont Sample")
    fonts = [bdf]
    if bdftopcf:
        pcf = os.path.join(work, "unifont-sample.pcf")
        subprocess.run([bdftopcf, "-o", pcf, bdf], check=True)
        fonts.append(pcf)
    codes = ",".join(f"{cp:04X}" for cp in sample)
    expected = {cp: cell_pixels(hex_glyphs[cp], 16 if is_wide(cp) else 8) for cp in sample}
    for font in fonts:
        face, laid_out, _ = dump.glyphs(dump.path(font), 16, "--chars", codes, "rows-msb")
        check((face["family"], face["baseline"], face["rule"]) == ("Unifont Sample", "14", "bitmap"),
              f"{font}: {face}")
        compare(os.path.basename(font), laid_out, expected, ["rows-msb"])

    # 12 px, ascent 9: cells of 6 x 12 and 12 x 12, so that rows, columns and
    # bands end in part bytes; 中's bitmap sticks out of its cell by one pixel on
    # all four sides. Each bitmap has a lit border inside a dark ring, so that a
    # pixel put one off shows.
    rng = random.Random(936)

    def framed(w, h):
        def bit(x, y):
            ring = min(x, y, w - 1 - x, h - 1 - y)
            return 1 if ring == 0 else 0 if ring == 1 else rng.getrandbits(1)
        return [sum(bit(x, y) << (w - 1 - x) for x in range(w)) for y in range(h)]

    odd = {0x41: (5, 11, 1, -2), 0x4E2D: (14, 14, -1, -4)}
    odd_glyphs = {cp: (w, h, dx, dy, framed(w, h)) for cp, (w, h, dx, dy) in odd.items()}
    twelve = os.path.join(work, "odd-12.bdf")
    write_bdf(twelve, odd_glyphs, 12, 9, "Odd Twelve")
    expected, expected_lost = {}, {}
    for cp, (w, h, dx, dy, rows) in odd_glyphs.items():
        cell_width = 12 if is_wide(cp) else 6
        top = 9 - (dy + h)
        expected[cp] = [[0 <= x - dx < w and 0 <= y - top < h and
                         bool(rows[y - top] >> (w - 1 - (x - dx)) & 1)
                         for x in range(cell_width)] for y in range(12)]
        # Lit pixels beyond the cell, by side; beyond a corner counts above or below.
        lost = [0, 0, 0, 0]
        for row in range(h):
            for column in range(w):
                if rows[row] >> (w - 1 - column) & 1:
                    y, x = top + row, dx + column
                    side = 0 if y < 0 else 1 if y >= 12 else 2 if x < 0 else 3 if x >= cell_width else None
                    if side is not None:
                        lost[side] += 1
        if any(lost):
            expected_lost[cp] = lost
    face, laid_out, _ = dump.glyphs(dump.path(twelve), 12, "--chars", "0041,4E2D", *LAYOUTS)
    check(face["baseline"] == "9", f"{twelve}: {face}")
    compare("12 px glyphs cut at their cells, in every layout", laid_out, expected, LAYOUTS)
    check(dump.lost == expected_lost, f"pixels lost: {dump.lost}, want {expected_lost}")
    refused = dump.run(dump.path(twelve), 13, "rows-msb")
    check(refused.returncode == 1 and "has no 13 px size (its sizes: 12)" in refused.stderr,
          f"a bitmap font at a size it lacks: {refused.stderr.strip()}")
    # A 12 px font whose ascent and descent span 15 rows, as WenQuanYi's bitmap
    # fonts' do, its hanzi 11 rows from one below the baseline: the cell is
    # centred on the library's sample of common hanzi (three from each of GB
    # 2312's rows B0 to D7), so they come out whole; there is no 15 px size.
    hanzi = [ord(bytes([lead, trail]).decode("gb2312"))
             for lead in range(0xB0, 0xD8) for trail in (0xA1, 0xC1, 0xE1)]
    tall_glyphs = {cp: (12, 11, 0, -1, framed(12, 11)) for cp in hanzi}
    tall = os.path.join(work, "tall-12.bdf")
    write_bdf(tall, tall_glyphs, 12, 12, "Tall Twelve", descent=3)
    codes = ",".join(f"{cp:04X}" for cp in hanzi)
    face, laid_out, _ = dump.glyphs(dump.path(tall), 12, "--chars", codes, "rows-msb")
    check((face["baseline"], face["rule"]) == ("11", "ideographs") and not dump.lost,
          f"{tall}: {face}, pixels lost {dump.lost}")
    expected = {cp: [[0] * 12] + [[bool(row >> (11 - x) & 1) for x in range(12)] for row in rows]
                for cp, (_, _, _, _, rows) in tall_glyphs.items()}
    compare("a bitmap font's cell centred on its hanzi", laid_out, expected, ["rows-msb"])
    refused = dump.run(dump.path(tall), 15, "rows-msb")
    check(refused.returncode == 1 and "has no 15 px size (its sizes: 12)" in refused.stderr,
          f"a bitmap font at its ascent and descent: {refused.stderr.strip()}")


def check_refusals(dump, work, hex_file):
    missing = dump.run(dump.path(os.path.join(work, "no-such-font.otf")), 16, "rows-msb")
    check(missing.returncode == 1 and "no-such-font.otf" in missing.stderr,
          f"a missing font file: {missing.stderr.strip()}")
    not_font = dump.run(dump.path(hex_file), 16, "rows-msb")
    check(not_font.returncode == 1 and "is not a font file" in not_font.stderr,
          f"a file that is no font: {not_font.stderr.strip()}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump", required=True, help="the glyph_dump program")
    parser.add_argument("--launcher", help="what runs it (wine)")
    parser.add_argument("--font", required=True, help="unifont.otf")
    parser.add_argument("--hex", required=True, help="unifont.hex")
    parser.add_argument("--work", required=True, help="a folder for the files made here")
    parser.add_argument("--bdftopcf", help="makes the PCF font from the BDF one")
    args = parser.parse_args()
    windows = bool(args.launcher)
    dump = Dump(args.dump, args.launcher, windows)
    os.makedirs(args.work, exist_ok=True)
    hex_glyphs = read_hex(args.hex)
    font = dump.path(args.font)

    characters = check_every_gbk_character(dump, font, hex_glyphs)
    sample = sample_of(characters)
    codes = ",".join(f"{cp:04X}" for cp in sample)
    preview = os.path.join(args.work, "sample-preview.png")
    _, laid_out, _ = dump.glyphs(font, 16, "--chars", codes, "--preview", dump.path(preview),
                                 *LAYOUTS)
    expected = {cp: cell_pixels(hex_glyphs[cp], 16 if is_wide(cp) else 8) for cp in sample}
    compare(f"{len(sample)} characters in {len(LAYOUTS)} layouts", laid_out, expected, LAYOUTS)
    check_preview(preview, [expected[cp] for cp in sample])

    if windows:
        # The same font installed (Wine sees the system's fonts), by its family name.
        _, by_name, _ = dump.glyphs("Unifont", 16, "--family", "--chars", codes, "rows-msb")
        compare("the installed family Unifont by name", by_name, expected, ["rows-msb"])
        if os.path.exists(WENQUANYI):
            _, from_file, _ = dump.glyphs(dump.path(WENQUANYI), 16, "--chars", codes, "rows-msb")
            # Its traditional Chinese name, which Wine knows it by beside the English one.
            _, by_chinese_name, _ = dump.glyphs("文泉驛微米黑", 16, "--family", "--chars", codes,
                                                "rows-msb")
            check(by_chinese_name == from_file, "an installed family by its Chinese name")
        # Wine only stands another font in for 宋体: not the glyphs asked for.
        stand_in = dump.run("宋体", 16, "--family", "rows-msb")
        check(stand_in.returncode == 1 and
              "no installed font family is named '宋体'" in stand_in.stderr,
              f"a family that is not installed: {stand_in.stderr.strip()}")
    check_bitmap_fonts(dump, args.work, hex_glyphs, sample, args.bdftopcf)
    check_refusals(dump, args.work, args.hex)

    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
