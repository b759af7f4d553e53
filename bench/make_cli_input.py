#!/usr/bin/env python3
"""Writes the benchmark text: N characters of UTF-8, 70 % Chinese characters
from GBK and 30 % ASCII (printable, with a line break now and then).

The Chinese characters are the GB2312 hanzi (GBK rows B0..F7), which every tool
in the comparison converts, so none of them stops early on a character it
cannot map. The text is the same on every run (fixed seed).

With --table: a string table of ENTRIES entries of 30 to 40 such characters
each (about 1 MB for 10,000), and beside it the same texts, one a line, for
the C format to convert.
Usage: make_cli_input.py CHARACTERS OUTPUT
       make_cli_input.py --table ENTRIES TABLE TEXTS
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


def table(entries, table_path, texts_path):
    rng = random.Random(14)
    hanzi = gb2312_hanzi()
    # A text stands as it is: no quote to open it, no blank at either end.
    inner = [chr(c) for c in range(0x20, 0x7F)]
    edge = [c for c in inner if c not in ' "']
    lines, texts = [], []
    for i in range(entries):
        length = rng.randint(30, 40)
        text = [rng.choice(hanzi) if rng.random() < 0.7 else rng.choice(inner) for _ in range(length)]
        for end in (0, -1):
            if text[end] in ' "':
                text[end] = rng.choice(edge)
        texts.append("".join(text))
        lines.append(f"entry_{i} = {texts[-1]}")
    with open(table_path, "w", encoding="utf-8", newline="") as out:
        out.write("\n".join(lines) + "\n")
    with open(texts_path, "w", encoding="utf-8", newline="") as out:
        out.write("\n".join(texts) + "\n")


def main():
    if sys.argv[1] == "--table":
        table(int(sys.argv[2]), sys.argv[3], sys.argv[4])
        return
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
