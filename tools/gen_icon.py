#!/usr/bin/env python3
"""Draws the program icon: a small LCD module showing 中 above its GBK bytes D6D0.

Writes, from nothing but the standard library:
  app/gbkhex.png            48 x 47, 8-bit indexed with a 256-entry palette
  app/gbkhex.ico            the same image as one 8 bpp icon entry with its AND mask
  app/icons/gbkhex-48.png   the same image on a 48 x 48 canvas, for icon themes that
                            expect square sizes
  app/icons/gbkhex-N.png    the same image at the theme's other sizes, N x N with an
                            alpha channel: resampled by area, so that larger sizes
                            keep the pixels' hard edges; below 48 the glyph is drawn
                            again on the pixel grid with 1-pixel strokes, where a
                            resampled one would blur, and the byte digits are left out

Run by hand from the repository root; the output is committed:
  tools/gen_icon.py [output-directory]
"""

import math
import struct
import sys
import zlib
from pathlib import Path

WIDTH, HEIGHT = 48, 47
THEME_SIZES = (16, 24, 32, 48, 64, 128, 256)
INK = (28, 40, 20)
PALETTE_SIZE = 256
TRANSPARENT = None

# 中: a box crossed by a stroke that runs from top to bottom, 2-pixel strokes.
GLYPH_ZHONG = [
    "       ##       ",
    "       ##       ",
    "       ##       ",
    "       ##       ",
    " ############## ",
    " ############## ",
    " ##    ##    ## ",
    " ##    ##    ## ",
    " ##    ##    ## ",
    " ##    ##    ## ",
    " ############## ",
    " ############## ",
    "       ##       ",
    "       ##       ",
    "       ##       ",
    "       ##       ",
    "       ##       ",
]

# 4 x 5 digits for the byte pair under the glyph; 0 is round and D is square
# so that the two read apart.
SMALL_DIGITS = {
    "D": ["### ", "#  #", "#  #", "#  #", "### "],
    "6": [" ## ", "#   ", "### ", "#  #", " ## "],
    "0": [" ## ", "#  #", "#  #", "#  #", " ## "],
}


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def blank():
    return [[TRANSPARENT] * WIDTH for _ in range(HEIGHT)]


def inside_rounded(x, y, left, top, right, bottom, radius):
    """Whether pixel (x, y) lies in the rectangle with corners cut to `radius`."""
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius + radius // 2


def draw_body(img):
    left, top, right, bottom, radius = 0, 1, 47, 45, 5
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if not inside_rounded(x, y, left, top, right, bottom, radius):
                continue
            edge = not inside_rounded(x, y, left + 1, top + 1, right - 1, bottom - 1, radius - 1)
            if edge:
                img[y][x] = (20, 24, 30)
            elif not inside_rounded(x, y, left + 2, top + 2, right - 2, bottom - 2, radius - 2):
                # A lit upper-left rim and a shaded lower-right rim.
                img[y][x] = (120, 132, 146) if x + y < 48 else (40, 46, 54)
            else:
                img[y][x] = lerp((92, 104, 118), (50, 58, 68), (y - top) / (bottom - top))


def draw_screen(img):
    left, top, right, bottom = 5, 5, 42, 35
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x in (left, right) or y in (top, bottom):
                img[y][x] = (16, 20, 24)
            else:
                # The yellow-green of a reflective panel, brighter towards the top.
                img[y][x] = lerp((196, 222, 120), (150, 184, 76), (y - top) / (bottom - top))
    # A shadow along the inner top and left edges makes the panel sit below the bezel.
    for x in range(left + 1, right):
        img[top + 1][x] = lerp(img[top + 1][x], (60, 76, 40), 0.45)
    for y in range(top + 2, bottom):
        img[y][left + 1] = lerp(img[y][left + 1], (60, 76, 40), 0.35)


def put_bitmap(img, rows, left, top):
    ink = INK
    for dy, row in enumerate(rows):
        for dx, cell in enumerate(row):
            if cell == "#":
                # The faint second image that liquid-crystal segments cast.
                sx, sy = left + dx + 1, top + dy + 1
                if img[sy][sx] != ink:
                    img[sy][sx] = lerp(img[sy][sx], ink, 0.28)
    for dy, row in enumerate(rows):
        for dx, cell in enumerate(row):
            if cell == "#":
                img[top + dy][left + dx] = ink


def draw_text(img):
    put_bitmap(img, GLYPH_ZHONG, 16, 8)
    x = 14
    for ch in "D6D0":
        put_bitmap(img, SMALL_DIGITS[ch], x, 28)
        x += 5


def draw_keys(img):
    # A power lamp and three keys under the panel.
    lamp = (230, 60, 40)
    for y, x in ((39, 8), (39, 9), (40, 8), (40, 9)):
        img[y][x] = lamp
    img[39][8] = (255, 170, 150)
    for left in (22, 29, 36):
        for y in range(38, 42):
            for x in range(left, left + 5):
                top_lit = y == 38 or x == left
                img[y][x] = (170, 178, 188) if top_lit else (120, 128, 138)
        for x in range(left, left + 5):
            img[42][x] = (30, 34, 40)


def draw(with_text=True):
    img = blank()
    draw_body(img)
    draw_screen(img)
    if with_text:
        draw_text(img)
    draw_keys(img)
    return img


def resample(square, size):
    """The square image at size x size RGBA, each pixel the area-weighted mean of
    the source pixels it covers (colours weighted by their opacity)."""
    scale = len(square) / size
    out = []
    for ty in range(size):
        row = []
        for tx in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            y0, y1 = ty * scale, (ty + 1) * scale
            x0, x1 = tx * scale, (tx + 1) * scale
            for sy in range(math.floor(y0), min(math.ceil(y1), len(square))):
                wy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(math.floor(x0), min(math.ceil(x1), len(square))):
                    colour = square[sy][sx]
                    if colour is TRANSPARENT:
                        continue
                    w = wy * (min(x1, sx + 1) - max(x0, sx))
                    for i in range(3):
                        acc[i] += colour[i] * w
                    acc[3] += w
            area = scale * scale
            alpha = acc[3] / area
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / acc[3]) for c in acc[:3]) + (round(255 * alpha),))
        out.append(row)
    return out


def put_small_glyph(img, size):
    """中 on the pixel grid of a small icon: a box and a stem of whole pixels,
    proportioned like the 48-pixel glyph and centred on the panel."""
    scale = size / 48
    stroke = max(1, round(2 * scale))
    width = round(14 * scale) | 1  # odd, so that the stem sits in the middle
    height = round(17 * scale)
    box_top, box_height = round(4 * scale), max(2 * stroke + 1, round(8 * scale))
    left = round(23.5 * scale - width / 2)
    top = round(20.5 * scale - height / 2)
    ink = INK + (255,)

    def fill(x, y, w, h):
        for yy in range(top + y, top + y + h):
            for xx in range(left + x, left + x + w):
                img[yy][xx] = ink

    fill((width - stroke) // 2, 0, stroke, height)
    fill(0, box_top, width, stroke)
    fill(0, box_top + box_height - stroke, width, stroke)
    fill(0, box_top, stroke, box_height)
    fill(width - stroke, box_top, stroke, box_height)


def theme_icon(size):
    if size >= WIDTH:
        return resample(draw() + [[TRANSPARENT] * WIDTH], size)
    img = resample(draw(with_text=False) + [[TRANSPARENT] * WIDTH], size)
    put_small_glyph(img, size)
    return img


def png_rgba(img):
    height, width = len(img), len(img[0])
    raw = b"".join(b"\0" + b"".join(bytes(c) for c in row) for row in img)
    return (
        b"\x89PNG\r\n\x1a\n"
        + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
        + png_chunk(b"IDAT", zlib.compress(raw, 9))
        + png_chunk(b"IEND", b"")
    )


def palette_of(img):
    """Index 0 is transparent; every colour of the image gets its own entry."""
    colours = sorted({c for row in img for c in row if c is not TRANSPARENT})
    if len(colours) >= PALETTE_SIZE:
        raise SystemExit(f"{len(colours)} colours do not fit a 256-colour palette")
    palette = [(0, 0, 0)] + colours
    palette += [(0, 0, 0)] * (PALETTE_SIZE - len(palette))
    index = {c: i + 1 for i, c in enumerate(colours)}
    index[TRANSPARENT] = 0
    return palette, index


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(img, palette, index):
    height, width = len(img), len(img[0])
    raw = b"".join(b"\0" + bytes(index[c] for c in row) for row in img)
    return (
        b"\x89PNG\r\n\x1a\n"
        + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
        + png_chunk(b"PLTE", b"".join(bytes(c) for c in palette))
        + png_chunk(b"tRNS", b"\0")  # entry 0 fully transparent, the rest opaque
        + png_chunk(b"IDAT", zlib.compress(raw, 9))
        + png_chunk(b"IEND", b"")
    )


def ico(img, palette, index):
    height, width = len(img), len(img[0])
    xor_stride = (width + 3) & ~3
    and_stride = ((width + 31) // 32) * 4
    rows = list(reversed(img))  # DIBs store the bottom row first
    xor = b"".join(
        bytes(index[c] for c in row) + b"\0" * (xor_stride - width) for row in rows
    )
    mask = bytearray()
    for row in rows:
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    image_size = len(xor) + len(mask)
    # The height of an icon's DIB counts the colour image and the mask together.
    header = struct.pack(
        "<IiiHHIIiiII", 40, width, 2 * height, 1, 8, 0, image_size, 0, 0, PALETTE_SIZE, 0
    )
    entry_data = header + colour_table + xor + bytes(mask)
    icon_dir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack(
        "<BBBBHHII", width, height, 0, 0, 1, 8, len(entry_data), 6 + 16
    )
    return icon_dir + entry + entry_data


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "app")
    img = draw()
    palette, index = palette_of(img)
    square = img + [[TRANSPARENT] * WIDTH]
    out.mkdir(parents=True, exist_ok=True)
    (out / "gbkhex.png").write_bytes(png(img, palette, index))
    (out / "gbkhex.ico").write_bytes(ico(img, palette, index))
    icons = out / "icons"
    icons.mkdir(exist_ok=True)
    for size in THEME_SIZES:
        data = png(square, palette, index) if size == WIDTH else png_rgba(theme_icon(size))
        (icons / f"gbkhex-{size}.png").write_bytes(data)


if __name__ == "__main__":
    main()
