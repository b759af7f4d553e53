#!/usr/bin/env python3
"""The same job done in Python, for the comparison: read all of standard input,
decode it as UTF-8, encode it with str.encode('gbk'), and write the bytes in
gbkhex's hex format ("CA AE ") or C format ("0XCA," in 80-character lines ending
in CR LF). It uses Python's fastest plain tools: bytes.hex for hex, a table of
the 256 tokens joined in one pass for C.
Usage: python_gbk.py hex|c < input.txt
"""
import sys

TOKENS = [b"0X%02X," % b for b in range(256)]


def main():
    data = sys.stdin.buffer.read().decode("utf-8").encode("gbk")
    if sys.argv[1] == "hex":
        out = (data.hex(" ").upper() + " ").encode("ascii") if data else b""
    else:
        body = b"".join(map(TOKENS.__getitem__, data))
        lines = [body[i:i + 80] for i in range(0, len(body), 80)]
        out = b"\r\n".join(lines)
        if body and len(body) % 80 == 0:
            out += b"\r\n"
    sys.stdout.buffer.write(out)


if __name__ == "__main__":
    main()
