#!/usr/bin/env python3
"""Holds each translated document to its English original: the same fenced
code blocks in the same order. Comments in shell, Makefile, CMake, batch and
C blocks may be translated, so those blocks are compared with their comments
stripped and their blanks collapsed; every other block (program output, a
string table) must match byte for byte. Prints each difference.
Usage: check_code_blocks.py ENGLISH.md TRANSLATED.md [ENGLISH.md TRANSLATED.md]...
"""
import re
import sys

FENCE = re.compile(r"^( *)```(\w*)\n(.*?)^\1```", re.S | re.M)
HASH_COMMENTED = {"sh", "make", "cmake"}


def strip_comments(language, code):
    if language in HASH_COMMENTED:
        code = re.sub(r"(^|[ \t])#.*$", "", code, flags=re.M)
    elif language == "bat":
        code = re.sub(r"^\s*(rem\b|::).*$", "", code, flags=re.M | re.I)
    elif language == "c":
        code = re.sub(r"/\*.*?\*/|//[^\n]*", "", code, flags=re.S)
    else:
        return code
    lines = (" ".join(line.split()) for line in code.splitlines())
    return "\n".join(line for line in lines if line)


def code_blocks(path):
    with open(path, encoding="utf-8") as text:
        body = text.read()
    blocks = []
    for indent, language, code in FENCE.findall(body):
        code = re.sub(rf"^{indent}", "", code, flags=re.M)
        blocks.append((language, strip_comments(language, code)))
    return blocks


def differences(english, translated):
    ours, theirs = code_blocks(english), code_blocks(translated)
    if len(ours) != len(theirs):
        yield f"{translated}: {len(theirs)} code blocks, {english} has {len(ours)}"
    for number, (block, other) in enumerate(zip(ours, theirs), 1):
        if block != other:
            yield (f"{translated}: code block {number} ({other[0] or 'plain'}) differs from "
                   f"{english}'s ({block[0] or 'plain'}):\n--- English\n{block[1]}\n--- translated\n{other[1]}")


def main(paths):
    if not paths or len(paths) % 2:
        print(__doc__)
        return 2
    pairs = list(zip(paths[::2], paths[1::2]))
    faults = [fault for english, translated in pairs for fault in differences(english, translated)]
    for fault in faults:
        print(fault)
    print(f"{len(pairs)} documents compared, {len(faults)} differences")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
