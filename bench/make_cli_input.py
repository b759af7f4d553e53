#!/usr/bin/env python3
"""Writes the benchmark text: N characters of UTF-8, 70 % Chinese characters
from GBK and 30 % ASCII (printable, with a line break now and then).

The Chinese characters are the GB2312 hanzi (GBK rows B0..F7), which every tool
in the comparison converts, so none of them stops early on a character it
cannot map. The text is the same on every run (fixed seed).
Usage: make_cli_input.py CHARACTERS OUTPUT
"""
import random
import sys


def gb2312_hanzi():
    hanzi = []
    for lead in range(0xB0, 0xF8):
        for trail in range(0xA1, 0xFF):
            if lead == 0xD7 and trail > 0xF9:  # the five empty cells of row D7
                continue
            hanzi.append(bytes([lead, trail]).decode("gbk"))
    return hanzi


def main():
    count, path = int(sys.argv[1]), sys.argv[2]
    rng = random.Random(936)
    hanzi = gb2312_hanzi()
    ascii_chars = [chr(c) for c in range(0x20, 0x7F)]
    chars = []
    for _ in range(count):
        if rng.random() < 0.7:
            chars.append(rng.choice(hanzi))
        elif rng.random() < 1 / 40:
            chars.append("\n")
        else:
            chars.append(rng.choice(ascii_chars))
    with open(path, "w", encoding="utf-8", newline="") as out:
        out.write("".join(chars))


if __name__ == "__main__":
    main()
