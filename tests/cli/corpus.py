#!/usr/bin/env python3
"""A corpus of gbkhex-cli runs: what one build of the program does, kept so that
another build can be held to it byte for byte.

Each case is one invocation, run in a fresh folder of its own with its input
files given by relative names, and its standard input (a pipe, or a file
redirected). What a case yields is its exit status, its standard output, its
standard error, and every file that the run left in its folder new or changed
(with its permissions), or removed.

  corpus.py record BINARY OUTDIR [--launcher CMD]   runs every case, stores each in OUTDIR/CASE
  corpus.py compare DIR_A DIR_B                     names every case that differs, and how
  corpus.py digest DIR > EXPECTED                   one line a case: its name and a sha256
  corpus.py check BINARY EXPECTED [--launcher CMD]  runs every case against such a file
  corpus.py list                                    the cases' names and command lines

A before/after check of a change that must not change what the program does:

  corpus.py record OLD/gbkhex-cli before
  corpus.py record NEW/gbkhex-cli after
  corpus.py compare before after          # "N passed, N failed"; exit status 1 on a difference

and the same for the Windows build under Wine, with WINEPREFIX (and WINEDEBUG=-all)
in the environment:

  corpus.py record OLD/gbkhex-cli.exe before-wine --launcher wine
  corpus.py record NEW/gbkhex-cli.exe after-wine --launcher wine
  corpus.py compare before-wine after-wine

A BINARY whose name ends in .exe leaves out the cases marked Linux-only, which
need Linux's devices or a terminal. Under a launcher the cases run one at a time
(--jobs), as Wine's font selection needs; its recordings take a few minutes. Every case runs with LC_ALL=C.UTF-8 and umask 022, whatever
the caller's. tests/cli/corpus.expected is the digest of the Linux build; the
cli_corpus test checks each build against it.
"""

import argparse
import concurrent.futures
import hashlib
import os
import pty
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time

UNIFONT = "/usr/share/fonts/opentype/unifont/unifont.otf"
CASE_TIMEOUT = 120

# ---------------------------------------------------------------------------
# The cases


class Link:
    """A symbolic link in a case's folder, for a font too large to copy."""

    def __init__(self, target):
        self.target = target


class Folder:
    """An empty folder in a case's folder."""


class Mode:
    """A file with permissions of its own."""

    def __init__(self, data, mode):
        self.data = data
        self.mode = mode


class Case:
    def __init__(self, name, args, files, stdin, stdin_file, stdin_folder, stdout, linux_only):
        self.name = name
        self.args = args
        self.files = files  # relative path -> bytes, Link, Folder or Mode
        self.stdin = stdin  # bytes through a pipe, or None for an empty pipe
        self.stdin_file = stdin_file  # or a file of the folder, opened for reading
        self.stdin_folder = stdin_folder  # or the folder itself, which no read can take
        self.stdout = stdout  # "file"; "full", /dev/full; or "terminal", which standard error shares
        self.linux_only = linux_only


CASES = []


def case(name, *args, files=None, stdin=None, stdin_file=None, stdin_folder=False, stdout="file",
         linux_only=False):
    assert all(c.isalnum() or c in "-_" for c in name), name
    assert all(c.name != name for c in CASES), name
    # Linux's devices and terminals: Wine has the one under other names and
    # makes a console of the other.
    linux_only = linux_only or stdin_folder or stdout != "file"
    CASES.append(Case(name, list(args), files or {}, stdin, stdin_file, stdin_folder, stdout, linux_only))


def u8(text):
    return text.encode("utf-8")


def utf16(text, big_endian=False, bom=True):
    data = text.encode("utf-16-be" if big_endian else "utf-16-le")
    if bom:
        data = (b"\xfe\xff" if big_endian else b"\xff\xfe") + data
    return data


class Numbers:
    """Numbers that are the same on every machine and every Python."""

    def __init__(self, seed):
        self.state = seed

    def below(self, limit):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2**64
        return (self.state >> 33) % limit


def gb2312_characters():
    found = []
    for lead in range(0xB0, 0xD8):
        for trail in range(0xA1, 0xFF):
            try:
                found.append(bytes([lead, trail]).decode("gb2312"))
            except UnicodeDecodeError:
                pass
    return found


HANZI = gb2312_characters()


def mixed_text(seed, size, line_break="\n"):
    """UTF-8 text of about `size` bytes: words of ASCII and runs of Chinese."""
    numbers = Numbers(seed)
    parts = []
    total = 0
    while total < size:
        if numbers.below(3) == 0:
            word = "".join(chr(0x61 + numbers.below(26)) for _ in range(1 + numbers.below(8)))
        else:
            word = "".join(HANZI[numbers.below(len(HANZI))] for _ in range(1 + numbers.below(6)))
        word += line_break if numbers.below(8) == 0 else " "
        parts.append(word)
        total += len(u8(word))
    return u8("".join(parts))


# Bitmap fonts written here, their glyphs drawn by rule, so that no font file
# beyond Unifont is needed.
FONT_CODES = (0x41, 0x61, 0x4E2D, 0x6587)


def corpus_glyphs(pixels):
    """(code, width, rows): each row the bits of its pixels, the leftmost in the high bit of whole bytes."""
    glyphs = []
    for code in FONT_CODES:
        width = pixels if code > 0x7F else pixels // 2
        padded = (width + 7) // 8 * 8
        rows = []
        for y in range(pixels):
            bits = 0
            for x in range(width):
                edge = x in (0, width - 1) or y in (0, pixels - 1)
                bits = bits << 1 | (edge or (x * 7 + y * 3 + code) % 5 == 0)
            rows.append(bits << (padded - width))
        glyphs.append((code, width, rows))
    return glyphs


def bdf_font(pixels):
    descent = pixels // 8
    glyphs = corpus_glyphs(pixels)
    lines = ["STARTFONT 2.1", "FONT -corpus-Corpus-medium-r-normal--%d-%d0-75-75-c-%d-iso10646-1"
             % (pixels, pixels, pixels * 10), "SIZE %d 75 75" % pixels,
             "FONTBOUNDINGBOX %d %d 0 -%d" % (pixels, pixels, descent), "STARTPROPERTIES 6",
             'FAMILY_NAME "Corpus"', "PIXEL_SIZE %d" % pixels, "FONT_ASCENT %d" % (pixels - descent),
             "FONT_DESCENT %d" % descent, 'CHARSET_REGISTRY "ISO10646"', 'CHARSET_ENCODING "1"',
             "ENDPROPERTIES", "CHARS %d" % len(glyphs)]
    for code, width, rows in glyphs:
        lines += ["STARTCHAR U+%04X" % code, "ENCODING %d" % code, "SWIDTH %d 0" % (width * 1000 // pixels),
                  "DWIDTH %d 0" % width, "BBX %d %d 0 -%d" % (width, pixels, descent), "BITMAP"]
        lines += ["%0*X" % ((width + 7) // 8 * 2, row) for row in rows]
        lines.append("ENDCHAR")
    lines.append("ENDFONT")
    return u8("\n".join(lines) + "\n")


def pcf_font(pixels):
    """The glyphs of bdf_font as a PCF file: most significant byte and bit first, rows padded to bytes."""
    descent = pixels // 8
    glyphs = corpus_glyphs(pixels)
    fmt = 0x0C

    def table(kind, data):
        return kind, struct.pack("<I", fmt) + data

    def metrics(width):
        return struct.pack(">5hH", 0, width, width, pixels - descent, descent, 0)

    strings = b""
    properties = []
    for name, value in (("FAMILY_NAME", "Corpus"), ("PIXEL_SIZE", pixels), ("FONT_ASCENT", pixels - descent),
                        ("FONT_DESCENT", descent), ("CHARSET_REGISTRY", "ISO10646"), ("CHARSET_ENCODING", "1")):
        name_at = len(strings)
        strings += name.encode() + b"\0"
        if isinstance(value, str):
            properties.append(struct.pack(">iBi", name_at, 1, len(strings)))
            strings += value.encode() + b"\0"
        else:
            properties.append(struct.pack(">iBi", name_at, 0, value))
    padding = b"\0" * ((4 - len(properties) % 4) % 4)
    props = (struct.pack(">i", len(properties)) + b"".join(properties) + padding
             + struct.pack(">i", len(strings)) + strings)
    widest = max(width for _, width, _ in glyphs)
    accelerators = (struct.pack(">8B3i", 1, 0, 0, 0, 1, 0, 0, 0, pixels - descent, descent, 0)
                    + metrics(min(width for _, width, _ in glyphs)) + metrics(widest))
    all_metrics = struct.pack(">i", len(glyphs)) + b"".join(metrics(width) for _, width, _ in glyphs)
    bitmaps = [b"".join(row.to_bytes((width + 7) // 8, "big") for row in rows) for _, width, rows in glyphs]
    offsets = [sum(len(b) for b in bitmaps[:i]) for i in range(len(bitmaps))]
    data = b"".join(bitmaps)
    # The size the bitmaps would take with rows padded to 1, 2, 4 and 8 bytes.
    sizes = [sum(len(rows) * -(-width // (8 * pad)) * pad for _, width, rows in glyphs) for pad in (1, 2, 4, 8)]
    bitmap_table = (struct.pack(">i", len(glyphs)) + struct.pack(">%di" % len(glyphs), *offsets)
                    + struct.pack(">4i", *sizes) + data)
    codes = [code for code, _, _ in glyphs]
    low = range(min(c & 0xFF for c in codes), max(c & 0xFF for c in codes) + 1)
    high = range(min(c >> 8 for c in codes), max(c >> 8 for c in codes) + 1)
    indices = [codes.index(h << 8 | l) if h << 8 | l in codes else 0xFFFF for h in high for l in low]
    encodings = (struct.pack(">5h", low[0], low[-1], high[0], high[-1], 0)
                 + struct.pack(">%dH" % len(indices), *indices))
    tables = [table(1, props), table(2, accelerators), table(4, all_metrics), table(8, bitmap_table),
              table(0x20, encodings)]
    at = 8 + 16 * len(tables)
    head = b"\x01fcp" + struct.pack("<i", len(tables))
    body = b""
    for kind, data in tables:
        data += b"\0" * ((4 - len(data) % 4) % 4)
        head += struct.pack("<4I", kind, fmt, len(data), at + len(body))
        body += data
    return head + body


MIXED = u8("欢迎使用\n十六进制 0123456789\r\nABC")
MENU = u8("# The main menu\nmenu_main  = 主菜单\nmenu_back  = \"返回 <\"\nstatus_ok  = 运行正常\n")
SAMPLE = u8("十六")
FONT = {"unifont.otf": Link(UNIFONT)}


def add_basic_cases():
    for form in ("hex", "c", "string"):
        case("format-%s-mixed" % form, "--format", form, "in.txt", files={"in.txt": MIXED})
        case("format-%s-empty" % form, "--format", form, "in.txt", files={"in.txt": b""})
        case("format-%s-nul" % form, "--format", form, "--nul", "in.txt", files={"in.txt": MIXED})
        case("format-%s-nul-empty" % form, "--format", form, "--nul", stdin=b"")
    case("default-format-stdin", stdin=MIXED)
    case("format-c-16-bytes", "--format", "c", stdin=b"ABCDEFGHIJKLMNOP")
    case("format-c-17-bytes", "--format", "c", stdin=b"ABCDEFGHIJKLMNOPQ")
    case("format-c-32-bytes", "--format", "c", stdin=u8("十六进制十六进制\r\n中文ABCDEFGHIJKL"))
    case("format-upper-case-value", "--format", "C", stdin=SAMPLE)
    case("format-attached-value", "--format=string", stdin=SAMPLE)
    # What the literals escape: quotes, backslashes, trigraphs, \x before a
    # hexadecimal digit, control characters, and lines of 80 characters.
    case("string-escapes", "--format", "string",
         stdin=u8('say "hi" \\ ??= ??/ ?? ? ?\t\r\n\x01\x1a\x7f 中A中f中g'))
    case("string-line-filling", "--format", "string", stdin=u8("中" * 50 + "a" * 100 + "\n" * 30))
    case("string-long-literal", "--format", "string", stdin=u8("中" * 2100))
    case("string-4095-bytes", "--format", "string", stdin=b"a" * 4095)
    case("string-4096-bytes", "--format", "string", stdin=b"a" * 4096)
    case("euro-and-private-use", "--format", "c", stdin=u8("€\ue000\ue765\ue766"))
    case("bom-skipped", stdin=b"\xef\xbb\xbf" + SAMPLE)
    case("bom-only", "--format", "c", stdin=b"\xef\xbb\xbf")
    case("bom-after-start", stdin=SAMPLE + b"\xef\xbb\xbf")
    case("ctrl-z-is-text", "--format", "c", stdin=b"a\x1ab\r\n")
    case("all-ascii", "--format", "string", stdin=bytes(range(1, 128)))
    case("gbk-only-characters", stdin=u8("啰嗦䶮"))
    case("fullwidth-and-symbols", "--format", "c", stdin=u8("ＡＢＣ，。《》【】①②ⅰⅱαβАБ─━"))


def add_array_cases():
    case("array-basic", "--array", "text", "in.txt", files={"in.txt": MIXED})
    case("array-string", "--array", "text", "--format", "string", "in.txt", files={"in.txt": MIXED})
    case("array-format-c", "--array", "text", "--format", "c", stdin=SAMPLE)
    case("array-nul", "--array", "text", "--nul", stdin=SAMPLE)
    case("array-string-nul", "--array", "text", "--format", "string", "--nul", stdin=SAMPLE)
    case("array-empty", "--array", "text", stdin=b"")
    case("array-empty-nul", "--array", "text", "--nul", stdin=b"")
    case("array-empty-string", "--array", "text", "--format", "string", stdin=b"")
    case("array-format-hex", "--array", "text", "--format", "hex", stdin=SAMPLE)
    case("array-long-literal", "--array", "text", "--format", "string", stdin=u8("中" * 2100))
    case("array-16-bytes", "--array", "line", stdin=b"ABCDEFGHIJKLMNOP")
    for label, type_ in (("uint8", "const uint8_t"), ("keil", "const unsigned char code"),
                         ("iar", "__flash const unsigned char"), ("uint-least", "const uint_least8_t"),
                         ("volatile", "volatile const unsigned char")):
        case("array-type-" + label, "--array", "text", "--type", type_, stdin=SAMPLE)
    case("array-string-type", "--array", "text", "--format", "string", "--type", "const char", stdin=SAMPLE)
    for label, attribute in (("progmem", "PROGMEM"), ("section", '__attribute__((section(".rodata.lcd")))'),
                             ("empty", ""), ("aligned", "__attribute__((aligned(4)))")):
        case("array-attribute-" + label, "--array", "text", "--attribute", attribute, stdin=SAMPLE)
    case("array-type-and-attribute", "--array", "text", "--type", "const uint8_t", "--attribute",
         "PROGMEM", "--nul", stdin=SAMPLE)
    # What could break the header out of its declaration.
    refused = [("empty", ""), ("semicolon", "char;"), ("brace-open", "char {"), ("brace-close", "char }"),
               ("equals", "char ="), ("hash", "#define"), ("block-comment", "char /* x */"),
               ("line-comment", "char // x"), ("line-break", "const\nchar"), ("tab", "const\tchar"),
               ("backslash", "const \\ char"), ("trigraph", "const ??= char"), ("digraph", "char %:"),
               ("digraph-brace", "char <%"), ("quote", "char \"x"), ("apostrophe", "char 'x"),
               ("open-parenthesis", "__attribute__((x)"), ("close-parenthesis", "char )(")]
    for label, text in refused:
        case("type-refused-" + label, "--array", "text", "--type", text, stdin=SAMPLE)
    for label, text in refused[1:6] + refused[14:]:
        case("attribute-refused-" + label, "--array", "text", "--attribute", text, stdin=SAMPLE)
    case("type-without-array", "--type", "const uint8_t", stdin=SAMPLE)
    case("attribute-without-array", "--attribute", "PROGMEM", stdin=SAMPLE)


def add_name_cases():
    good = ["x", "Menu2", "INT8_C", "lcd_text_01", "code_page", "Main", "gbkhex_own"]
    for name in good:
        case("name-good-" + name, "--array", name, stdin=b"A")
    refused = {"digit": "1abc", "dash": "a-b", "empty": "", "leading-underscore": "_x",
               "double-underscore": "a__b", "trailing-underscore": "x_", "main": "main",
               "own-prefix": "GBKHEX_X", "keyword-c": "int", "keyword-c23": "typeof",
               "keyword-cxx": "class", "keyword-c11": "_Bool", "keil": "code", "keil-sfr16": "sfr16",
               "predefined": "linux", "predefined-win": "WIN32", "errno": "errno",
               "limits": "CHAR_BIT", "stdint-macro": "SIZE_MAX", "stdint-type": "uint8_t",
               "stddef": "size_t", "null": "NULL", "stdio-type": "FILE", "stdio-function": "printf",
               "stdlib": "exit", "string-function": "memcpy", "chinese": "名字", "space": "a b"}
    for label, name in refused.items():
        case("name-refused-" + label, "--array", name, stdin=b"A")
    case("glyph-name-refused", "--glyphs", "for", stdin=b"A", files=FONT)


def add_table_cases():
    case("table-menu", "--table", "strings.txt", files={"strings.txt": MENU})
    case("table-menu-out", "--table", "strings.txt", "-o", "strings.h", files={"strings.txt": MENU})
    case("table-string", "--table", "--format", "string", "strings.txt", files={"strings.txt": MENU})
    case("table-nul", "--table", "--nul", "strings.txt", files={"strings.txt": MENU})
    case("table-string-nul", "--table", "--nul", "--format", "string", "strings.txt", files={"strings.txt": MENU})
    case("table-format-c", "--table", "--format", "c", "strings.txt", files={"strings.txt": MENU})
    case("table-format-hex", "--table", "--format", "hex", "strings.txt", files={"strings.txt": MENU})
    case("table-with-array", "--table", "--array", "x", "strings.txt", files={"strings.txt": MENU})
    case("table-type-attribute", "--table", "--type", "const unsigned char code", "--attribute", "PROGMEM",
         "strings.txt", files={"strings.txt": MENU})
    case("table-stdint-type", "--table", "--type", "const uint8_t", "strings.txt", files={"strings.txt": MENU})
    case("table-stdin-pipe", "--table", stdin=MENU)
    case("table-stdin-file", "--table", stdin_file="strings.txt", files={"strings.txt": MENU})
    case("table-stdin-dash", "--table", "-", stdin=MENU)
    case("table-list", "--table", "--list", "strings.txt", files={"strings.txt": MENU})
    quoted = u8('greeting = "  Hi!\\r\\n"\nquote = "say \\"hi\\" \\\\ done"\ntabbed = "a\\tb"\n'
                'plain = text with "quotes" inside\nspaced =    trailing blanks   \t\n'
                'empty_q = ""\nhash = # not a comment\nequals = a = b\n  indented = yes\n')
    case("table-quoted-escapes", "--table", "--format", "string", "--nul", "t.txt", files={"t.txt": quoted})
    case("table-quoted-constants", "--table", "--nul", "t.txt", files={"t.txt": quoted})
    case("table-crlf", "--table", "t.txt", files={"t.txt": MENU.replace(b"\n", b"\r\n")})
    case("table-no-final-break", "--table", stdin=u8("a = 一\nb = 二"))
    case("table-comments-only", "--table", stdin=u8("# nothing\n\n   \n\t# more\n"))
    case("table-empty-input", "--table", stdin=b"")
    case("table-empty-text", "--table", stdin=u8("a = 一\nb =\nc = \n"))
    case("table-empty-text-nul", "--table", "--nul", stdin=u8("a = 一\nb =\nc = \n"))
    case("table-empty-text-string", "--table", "--format", "string", stdin=u8("a = 一\nb =\n"))
    bad = u8('ok = 好\nno equals here\n= text\n9name = x\nname x = y\nesc = "a\\q"\nopen = "abc\n'
             'after = "abc" x\nint = 1\n_x = 2\na__b = 3\nmain = 4\nGBKHEX_A = 5\nlinux = 6\n'
             'cr = a\rb\nname-dash = 7\n名 = 8\n')
    case("table-bad-lines", "--table", "bad.txt", files={"bad.txt": bad})
    clashes = u8("menu_main = 主菜单\nmenu_temp = 温度µ℃\nmenu_main = 啰嗦\nx = 1\nx_len = 2\n"
                 "y_len = 3\ny = 4\nz = 5\nz = 5\n")
    case("table-clashes-gb2312", "--table", "--charset", "gb2312", "strings.txt", "-o", "strings.h",
         files={"strings.txt": clashes, "strings.h": b"old header\n"})
    case("table-clashes-gbk", "--table", "strings.txt", files={"strings.txt": clashes})
    case("table-two-files", "--table", "a.txt", "b.txt",
         files={"a.txt": u8("one = 一\ntwo = 二\n"), "b.txt": u8("three = 三\n")})
    case("table-clash-across-files", "--table", "a.txt", "b.txt",
         files={"a.txt": u8("one = 一\ntwo = 二\n"), "b.txt": u8("\ntwo = 三\none_len = 4\n")})
    case("table-file-and-stdin", "--table", "a.txt", "-", stdin=u8("three = 三\n"),
         files={"a.txt": u8("one = 一\n")})
    case("table-utf16le", "--table", "t.txt", files={"t.txt": utf16(MENU.decode().replace("\n", "\r\n"))})
    case("table-utf16be", "--table", "t.txt", files={"t.txt": utf16(MENU.decode(), big_endian=True)})
    case("table-from-gbk", "--table", "--from", "gbk", "t.txt", files={"t.txt": MENU.decode().encode("gbk")})
    case("table-lossy", "--table", "--lossy", stdin=u8("a = µ°\nb = þ😀\n"))
    case("table-lossy-gb2312", "--table", "--lossy", "--charset", "gb2312", stdin=u8("a = 啰―・\n"))
    case("table-ill-formed", "--table", stdin=b"a = \xe4\xb8\nb = ok\nc = \xd6\xd0\xce\xc4\n")
    case("table-nul-character", "--table", stdin=b"a = x\x00y\n")
    case("table-many-faults", "--table", stdin=u8("".join("n%d = µ%d\n" % (i, i) for i in range(130))))
    case("table-missing-file", "--table", "a.txt", "missing.txt", files={"a.txt": u8("a = 1\n")})
    case("table-long-literal", "--table", "--format", "string", stdin=u8("a = " + "中" * 2100 + "\nb = x\n"))
    case("table-options-in-guard", "--table", "--nul", "--format", "string", "--type", "const char",
         stdin=MENU)
    case("table-name-with-len", "--table", stdin=u8("a_len = 1\nb = 2\n"))


def add_list_cases():
    case("list-plain", "--list", stdin=MIXED)
    case("list-special-characters", "--list", stdin=u8("a\tb\r\nc\x01\x7f€\ue000\u3000　中中中"))
    case("list-gb2312", "--list", "--charset", "gb2312", stdin=u8("中啰"))
    case("list-gb2312-readings", "--list", "--charset", "gb2312", stdin=u8("―・—·"))
    case("list-lossy", "--list", "--lossy", stdin=u8("µ中þ😀"))
    case("list-fault", "--list", stdin=u8("中µ"))
    case("list-format", "--list", "--format", "c", stdin=SAMPLE)
    case("list-array", "--list", "--array", "x", stdin=SAMPLE)
    case("list-nul", "--list", "--nul", stdin=SAMPLE)
    case("list-out", "--list", "-o", "list.tsv", stdin=SAMPLE)
    case("list-empty", "--list", stdin=b"")
    case("list-from-gbk", "--list", "--from", "gbk", stdin="中文ABC".encode("gbk"))


def add_charset_cases():
    case("gb2312-readings", "--charset", "gb2312", stdin=u8("―・—·"))
    case("gbk-readings", stdin=u8("―・—·"))
    case("gb2312-refused", "--charset", "gb2312", "in.txt", files={"in.txt": u8("中\n啰嗦€\ue000")})
    case("gb2312-lossy", "--charset", "gb2312", "--lossy", stdin=u8("中啰嗦"))
    case("gb2312-upper-case", "--charset", "GB2312", stdin=SAMPLE)
    case("charset-unknown", "--charset", "big5", stdin=SAMPLE)
    case("charset-twice-same", "--charset", "gbk", "--charset", "GBK", stdin=SAMPLE)
    case("charset-twice-different", "--charset", "gbk", "--charset", "gb2312", stdin=SAMPLE)
    inexact = u8("ab\n十µ þ")
    case("inexact", "inexact.txt", files={"inexact.txt": inexact})
    case("inexact-lossy", "--lossy", "inexact.txt", files={"inexact.txt": inexact})
    case("lossy-one", "--lossy", stdin=u8("a°b"))
    case("lossy-emoji", "--lossy", "--format", "c", stdin=u8("a😀b\U00020000"))
    case("lossy-array", "--lossy", "--array", "text", stdin=u8("µ"))
    case("lossy-ill-formed", "--lossy", stdin=b"\xc2\xb5\xff")
    case("lossy-nul", "--lossy", stdin=b"a\x00")
    case("emoji-refused", stdin=u8("a😀b\U0001F600"))
    case("combining-columns", stdin=u8("e\u0301\u0301µ\n\t\tµ\n中\tµ\nＡµ"))


def add_from_cases():
    gbk = "中文 ABC\r\n".encode("gbk") + b"\x80"
    case("from-gbk", "--from", "gbk", "in.txt", files={"in.txt": gbk})
    case("from-gbk-upper-case", "--from", "GBK", stdin=gbk)
    case("from-utf8-explicit", "--from", "utf-8", stdin=SAMPLE)
    case("from-gbk-bad", "--from", "gbk", stdin=b"AB\x81\x20CD\x81\x7f\xff\x80\xfe")
    case("from-gbk-cut-short", "--from", "gbk", stdin=b"AB\xd6\xd0\xd6")
    case("from-gbk-gb2312", "--from", "gbk", "--charset", "gb2312", stdin="中啰".encode("gbk"))
    case("from-gbk-lossy-gb2312", "--from", "gbk", "--charset", "gb2312", "--lossy",
         stdin="中啰".encode("gbk"))
    case("from-gbk-on-utf8", "--from", "gbk", stdin=MIXED)
    case("from-gbk-nul", "--from", "gbk", stdin=b"a\x00b")
    case("from-gbk-array", "--from", "gbk", "--array", "x", stdin=gbk)
    case("from-gbk-bom-not-skipped", "--from", "gbk", stdin=b"\xef\xbb\xbfA")
    case("from-unknown", "--from", "latin1", stdin=SAMPLE)


def add_fault_cases():
    case("utf8-bad-middle", "bad.txt", files={"bad.txt": b"AB\xc3\x28CD"})
    case("utf8-bad-start", stdin=b"\x80abc")
    case("utf8-cut-short", stdin=b"ab\xe4\xb8")
    case("utf8-overlong", stdin=b"a\xc0\x80b\xe0\x80\x80c")
    case("utf8-surrogate", stdin=b"a\xed\xa0\x80b")
    case("utf8-above-max", stdin=b"a\xf4\x90\x80\x80b\xf5\x80")
    case("utf8-stray-continuations", stdin=b"a\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80b")
    case("utf8-looks-like-gbk", "strings.txt", files={"strings.txt": u8("abc\n").replace(b"b", b"\xd6\xd0\xce\xc4")})
    case("utf8-gbk-hint-once-per-file", "a.txt", "b.txt",
         files={"a.txt": b"\xd6\xd0\xd6\xd0\n", "b.txt": b"x\xce\xc4"})
    case("utf8-bad-in-simd-block", stdin=u8("中文" * 8) + b"\xff" + u8("中文" * 8) + b"\xe4\x41" + b"a" * 40)
    case("utf8-bad-after-wide", stdin=u8("中文\t") + b"\xff" + u8("\n  ") + b"\xc3")
    case("utf8-every-lead", stdin=bytes(range(0x80, 0x100)))
    case("utf8-four-byte-cut", stdin=b"ab\xf0\x9f\x98")
    case("nul-utf8", stdin=b"ab\x00cd\x00")
    case("nul-many", stdin=b"\x00" * 150)
    case("utf16-without-bom", stdin="中文ABC".encode("utf-16-le"))
    case("utf16le", "in.txt", files={"in.txt": utf16("中文\r\nABC")})
    case("utf16be", "in.txt", files={"in.txt": utf16("中文\r\nABC", big_endian=True)})
    case("utf16le-array", "--array", "t", stdin=utf16(MIXED.decode()))
    case("utf16le-emoji", stdin=utf16("a😀b"))
    case("utf16le-emoji-lossy", "--lossy", stdin=utf16("a😀b"))
    case("utf16le-lone-high", stdin=utf16("ab") + b"\x00\xd8" + utf16("cd", bom=False))
    case("utf16le-lone-low", stdin=utf16("ab") + b"\x00\xdc" + utf16("cd", bom=False))
    case("utf16be-lone-high-at-end", stdin=utf16("ab", big_endian=True) + b"\xd8\x00")
    case("utf16le-odd-byte", stdin=utf16("ab") + b"\x41")
    case("utf16le-nul", stdin=utf16("a\x00b"))
    case("utf16le-not-in-charset", stdin=utf16("中\nµ\n啰"))
    case("utf16le-gb2312", "--charset", "gb2312", stdin=utf16("中\nµ\n啰"))
    case("utf16-bom-only", stdin=b"\xff\xfe")
    case("faults-100", stdin=u8("µ" * 100))
    case("faults-101", stdin=u8("µ" * 101))
    case("faults-mixed-many", "in.txt", files={"in.txt": (u8("µ\n") + b"\xff\n" + b"\x00\n") * 60})
    case("faults-then-lossy", "--lossy", stdin=(u8("µ") + b"\xff") * 120)
    case("faults-several-files", "a.txt", "b.txt", "c.txt",
         files={"a.txt": u8("ok\nµ"), "b.txt": b"\xff\n", "c.txt": u8("\n\nþ")})
    case("faults-output-before", "--format", "c", stdin=u8("中文" * 20 + "µ" + "中文"))


def add_io_cases():
    case("stdin-dash", "-", stdin=SAMPLE)
    case("stdin-redirected-file", "--format", "c", stdin_file="in.txt", files={"in.txt": MIXED})
    case("stdin-dash-twice", "-", "-", stdin=SAMPLE)
    case("file-dash-file", "--format", "c", "a.txt", "-", "b.txt", stdin=u8("中间"),
         files={"a.txt": u8("前面0123456789"), "b.txt": u8("后面")})
    case("several-files-run-on", "--format", "c", "a.txt", "b.txt",
         files={"a.txt": b"ABCDEFGHIJ", "b.txt": b"KLMNOPQRSTUVWXYZ"})
    case("several-files-array", "--array", "t", "a.txt", "b.txt",
         files={"a.txt": u8("一"), "b.txt": utf16("二")})
    case("missing-file", "in.txt", "missing.txt", files={"in.txt": MIXED})
    case("missing-file-first", "missing.txt", "in.txt", files={"in.txt": MIXED})
    case("missing-file-out", "in.txt", "missing.txt", "-o", "out.txt", files={"in.txt": MIXED})
    case("folder-as-input", "sub", files={"sub": Folder()})
    case("double-dash", "--", "-x.txt", "--format", files={"-x.txt": SAMPLE, "--format": u8("二")})
    case("double-dash-stdin", "--", "-", stdin=SAMPLE)
    case("chinese-file-name", "中文名.txt", files={"中文名.txt": u8("ab\n十µ")})
    case("file-name-with-spaces", "a b.txt", files={"a b.txt": u8("µ")})
    case("stdin-folder", stdin_folder=True)
    case("stdin-folder-decode", "--decode", stdin_folder=True)
    # On a terminal the output ends with a line break, before any message too.
    case("terminal-hex", stdin=SAMPLE, stdout="terminal")
    case("terminal-c", "--format", "c", stdin=b"ABCDEFGHIJKLMNOP", stdout="terminal")
    case("terminal-empty", stdin=b"", stdout="terminal")
    case("terminal-fault", "--format", "c", stdin=u8("十六µ十"), stdout="terminal")
    case("terminal-lossy", "--lossy", stdin=u8("十六µ十"), stdout="terminal")
    case("terminal-list", "--list", stdin=u8("十六"), stdout="terminal")
    case("terminal-decode", "--decode", stdin=b"CA AE 41 81", stdout="terminal")
    case("terminal-output-file", "-o", "out.txt", stdin=SAMPLE, stdout="terminal")
    case("terminal-version", "--version", stdout="terminal")
    case("stdout-full", stdin=SAMPLE, stdout="full")
    case("stdout-full-help", "--help", stdout="full")
    case("stdout-full-version", "--version", stdout="full")


def add_output_cases():
    case("out-written", "-o", "out.txt", stdin=SAMPLE)
    case("out-long-option", "--output", "out.txt", stdin=SAMPLE)
    case("out-attached", "--output=out.txt", stdin=SAMPLE)
    case("out-short-attached", "-oout.txt", stdin=SAMPLE)
    case("out-replaces", "-o", "out.txt", stdin=SAMPLE, files={"out.txt": b"old\n"})
    case("out-fault-untouched", "-o", "out.txt", stdin=u8("十µ"), files={"out.txt": b"old\n"})
    case("out-fault-no-file", "-o", "out.txt", stdin=u8("十µ"))
    case("out-lossy", "--lossy", "-o", "out.txt", stdin=u8("十µ"))
    case("out-into-missing-folder", "-o", "nowhere/out.txt", stdin=SAMPLE)
    case("out-is-folder", "-o", "sub", stdin=SAMPLE, files={"sub": Folder()})
    case("out-in-folder", "-o", "sub/out.h", "--array", "x", stdin=SAMPLE, files={"sub": Folder()})
    case("out-empty-name", "-o", "", stdin=SAMPLE)
    case("out-twice-same", "-o", "a.txt", "--output", "a.txt", stdin=SAMPLE)
    case("out-twice-different", "-o", "a.txt", "-o", "b.txt", stdin=SAMPLE)
    case("out-dev-null", "-o", "/dev/null", stdin=SAMPLE, linux_only=True)
    case("out-dev-full", "-o", "/dev/full", stdin=SAMPLE, linux_only=True)
    case("out-keeps-mode", "-o", "out.txt", stdin=SAMPLE, files={"out.txt": Mode(b"old\n", 0o600)})
    case("out-symlink", "-o", "link.txt", stdin=SAMPLE,
         files={"real.txt": b"old\n", "link.txt": Link("real.txt")})
    case("out-same-as-input", "-o", "in.txt", "in.txt", files={"in.txt": SAMPLE})
    case("out-same-as-table", "--table", "-o", "t.txt", "t.txt", files={"t.txt": MENU})
    case("out-help", "--help", "-o", "help.txt")
    case("out-version", "--version", "-o", "version.txt")
    case("out-version-missing-folder", "--version", "-o", "nowhere/v.txt")
    case("out-decode", "--decode", "-o", "text.txt", stdin=b"CA AE C1 F9")
    case("out-decode-fault", "--decode", "-o", "text.txt", stdin=b"CA AE 81 20", files={"text.txt": b"old\n"})
    case("out-empty-result", "-o", "out.txt", stdin=b"", files={"out.txt": b"old\n"})
    case("out-nul-device-name", "-o", "NUL", stdin=SAMPLE)
    case("out-dash-is-stdout", "--array", "x", "-o", "-", stdin=SAMPLE)
    case("table-fault-stdout-empty", "--table", stdin=u8("a = 十\nb = µ\nc = 六\n"))
    case("array-fault-stdout-empty", "--array", "x", stdin=u8("十六µ"))


def add_source_cases():
    faulty = u8("menu_main = 主菜单\nmenu_temp = 温度µ\n")
    case("source-table", "--table", "strings.txt", "-o", "strings.h", "--source", "strings.c",
         files={"strings.txt": MENU})
    case("source-table-sdcc-literals", "--table", "--format", "string", "--type",
         "const unsigned char __code", "strings.txt", "-o", "strings.h", "--source", "strings.c",
         files={"strings.txt": MENU})
    case("source-array-progmem", "--array", "t", "--attribute", "PROGMEM", "--include", "avr/pgmspace.h",
         "--include", '"board.h"', "--nul", "-o", "t.h", "--source", "t.c", stdin=SAMPLE)
    case("source-glyphs", "--table", "--glyphs", "font", "--font", "unifont.otf", "strings.txt",
         "-o", "font.h", "--source", "font.c", files=dict(FONT, **{"strings.txt": MENU}))
    case("source-other-folder", "--array", "t", "-o", "inc/t.h", "--source", "src/t.c", stdin=SAMPLE,
         files={"inc": Folder(), "src": Folder()})
    case("source-fault-untouched", "--table", "strings.txt", "-o", "strings.h", "--source", "strings.c",
         files={"strings.txt": faulty, "strings.h": b"old h\n", "strings.c": b"old c\n"})
    case("source-without-output", "--array", "t", "--source", "t.c", stdin=SAMPLE)
    case("source-output-dash", "--array", "t", "-o", "-", "--source", "t.c", stdin=SAMPLE)
    case("source-dash", "--array", "t", "-o", "t.h", "--source", "-", stdin=SAMPLE)
    case("source-same-as-output", "--array", "t", "-o", "t.h", "--source", "./t.h", stdin=SAMPLE)
    case("source-with-list", "--table", "--list", "-o", "l.h", "--source", "l.c", stdin=MENU)
    case("source-alone", "--source", "t.c", stdin=SAMPLE)
    case("include-angle-brackets", "--array", "t", "--include", "<avr/io.h>", stdin=SAMPLE)
    case("include-line-break", "--array", "t", "--include", "a.h\n#define x", stdin=SAMPLE)
    case("include-without-header", "--include", "a.h", stdin=SAMPLE)


def add_decode_cases():
    dumps = {
        "hex": b"CA AE C1 F9 0D 0A 41",
        "hex-lower-no-blanks": b"caaec1f90a41",
        "hex-lines": b"CA AE\nC1 F9\r\n\t41 42\n",
        "constants": b"0XCA,0XAE,0XC1,0XF9,\r\n0X0D,0X0A,",
        "xxd-constants": b"0xca, 0xae, 0xc1, 0xf9",
        "xxd-include": b"unsigned char mixed_bin[] = {\n  0xca, 0xae, 0x41\n};\nunsigned int mixed_bin_len = 3;\n",
        "literal": b'"\\xCA\\xAE" "A\\n"',
        "literals-joined": b'"\\xCA" /* c */ "\\xAE"\n// line\n"\\101\\x42\\t\\\\\\"\\?\\a\\b\\f\\v\\0"',
        "literal-octal": b'"\\312\\256\\61\\1\\18"',
        "declaration-literal": b'const char t[] =\n"\\xCA\\xAE" "!";\nconst char u[] = "\\xC1\\xF9";\n',
        "two-arrays": b"const unsigned char a[] = {0XCA,0XAE,};\n/* 0X41 */\nconst unsigned char b[] = {0XC1,0XF9,};\n",
        "empty": b"",
        "blanks": b"  \n\t\r\n",
        "bom": b"\xef\xbb\xbfCA AE",
        "suffixes": b"{0xCAu, 0xAEUL, 202, 0256}",
        "char-constants": b"{'A', 0x41}",
        "odd-digits": b"CA A",
        "malformed": b"CA ZZ AE",
        "malformed-long": b"CA " + b"Q" * 80,
        "malformed-suffix": b"{0xCAuuuu}",
        "undefined": b"41 42 81 20",
        "cut-short": b"41 CA",
        "unterminated-literal": b'"\\xCA',
        "bad-escape": b'"\\q"',
        "declaration-without-literal": b"const char t[] = 5;",
        "non-printable-token": b"CA \x01\x02",
        "too-big-number": b"{0x1CA}",
        "euro-and-ff": b"80 FF A1 A1",
        "nul-byte": b"41 00 42",
    }
    for label, dump in dumps.items():
        case("decode-" + label, "--decode", "dump.txt", files={"dump.txt": dump})
    case("decode-stdin", "--decode", stdin=b"CA AE C1 F9")
    case("decode-several", "--decode", "a.txt", "b.txt", files={"a.txt": b"CA AE", "b.txt": b'"\\xC1\\xF9"'})
    case("decode-fault-then-more", "--decode", "a.txt", "b.txt", "c.txt",
         files={"a.txt": b"41", "b.txt": b"42 81", "c.txt": b"43"})
    case("decode-missing-file", "--decode", "a.txt", "missing.txt", "b.txt",
         files={"a.txt": b"41", "b.txt": b"42"})
    case("decode-utf16-input", "--decode", stdin=utf16("CA AE"))
    case("decode-with-format", "--decode", "--format", "c", stdin=b"41")
    case("decode-with-charset", "--decode", "--charset", "gb2312", stdin=b"41")
    case("decode-with-glyphs", "--decode", "--glyphs", "g", stdin=b"41")
    case("decode-with-table", "--decode", "--table", stdin=b"41")
    # Every output form and back.
    for label, form in (("hex", []), ("c", ["--format", "c"]), ("string", ["--format", "string"]),
                        ("array", ["--array", "t"]), ("array-string", ["--array", "t", "--format", "string"]),
                        ("table", ["--table"])):
        source = MENU if label == "table" else MIXED
        case("roundtrip-" + label, "--decode", "dump.h",
             files={"dump.h": run_reference(form, source)})


def run_reference(form, source):
    """What a dump in `form` holds, written here rather than by the program under test."""
    data = source.decode().encode("gbk")
    if form == []:
        return b"".join(b"%02X " % b for b in data)
    if form == ["--format", "c"]:
        return b"".join(b"0X%02X," % b + (b"\r\n" if i % 16 == 15 else b"") for i, b in enumerate(data))
    if form == ["--format", "string"]:
        return b'"' + b"".join(b"\\x%02X" % b for b in data) + b'"'
    if form == ["--array", "t"]:
        return b"const unsigned char t[] = {\n" + b"".join(b"0X%02X," % b for b in data) + b"\n};\n"
    if form == ["--array", "t", "--format", "string"]:
        return b"const char t[] =\n\"" + b"".join(b"\\x%02X" % b for b in data) + b'";\n'
    lines = []
    for line in source.decode().splitlines():
        if "=" in line and not line.startswith("#"):
            name, text = (part.strip() for part in line.split("=", 1))
            text = text.strip('"').encode("gbk")
            lines.append(b"/* x */\nconst unsigned char %s[] = {%s};\nstatic const unsigned long %s_len = %d;\n"
                         % (name.encode(), b"".join(b"0X%02X," % b for b in text), name.encode(), len(text)))
    return b"".join(lines)


def add_glyph_cases():
    text = u8("菜单 <A1\n返回")
    case("glyphs-default-font", "--glyphs", "font", "in.txt", files={"in.txt": text})
    case("glyphs-font-file", "--glyphs", "font", "--font", "unifont.otf", "in.txt",
         files=dict(FONT, **{"in.txt": text}))
    case("glyphs-font-absolute", "--glyphs", "font", "--font", UNIFONT, stdin=text)
    for scan in ("rows", "columns", "pages", "tiles"):
        for order in ("msb", "lsb"):
            case("glyphs-%s-%s" % (scan, order), "--glyphs", "g", "--font", "unifont.otf", "--scan", scan,
                 "--bit-order", order, stdin=text, files=FONT)
    case("glyphs-invert", "--glyphs", "g", "--font", "unifont.otf", "--invert", stdin=text, files=FONT)
    case("glyphs-invert-pages-lsb", "--glyphs", "g", "--font", "unifont.otf", "--invert", "--scan", "pages",
         "--bit-order", "LSB", stdin=text, files=FONT)
    for size in ("12", "24", "1", "256", "15"):
        case("glyphs-size-" + size, "--glyphs", "g", "--font", "unifont.otf", "--size", size, stdin=text, files=FONT)
    for label, size in (("zero", "0"), ("over", "257"), ("word", "x"), ("unit", "16px"), ("empty", ""),
                        ("negative", "-1")):
        case("glyphs-size-bad-" + label, "--glyphs", "g", "--size", size, stdin=text, files=FONT)
    case("glyphs-preview", "--glyphs", "font", "--font", "unifont.otf", "--preview", "font.png", "-o", "font.h",
         stdin=text, files=FONT)
    case("glyphs-preview-stdout", "--glyphs", "font", "--font", "unifont.otf", "--preview", "font.png",
         "--scan", "pages", stdin=text, files=FONT)
    case("glyphs-preview-fault-untouched", "--glyphs", "font", "--font", "unifont.otf", "--preview", "font.png",
         "-o", "font.h", stdin=u8("菜\t单\ue000"), files=dict(FONT, **{"font.png": b"old png", "font.h": b"old h"}))
    case("glyphs-preview-missing-folder", "--glyphs", "font", "--font", "unifont.otf", "--preview",
         "nowhere/font.png", stdin=text, files=FONT)
    case("glyphs-preview-same-as-output", "--glyphs", "font", "--font", "unifont.otf", "--preview", "font.h",
         "-o", "font.h", stdin=text, files=FONT)
    case("glyphs-preview-dash", "--glyphs", "font", "--font", "unifont.otf", "--preview", "-",
         stdin=text, files=FONT)
    case("glyphs-preview-without-glyphs", "--preview", "font.png", stdin=text)
    case("glyphs-preview-empty-input", "--glyphs", "font", "--font", "unifont.otf", "--preview", "font.png",
         stdin=b"", files=FONT)
    case("glyphs-table", "--glyphs", "font", "--table", "--font", "unifont.otf", "strings.txt",
         files=dict(FONT, **{"strings.txt": MENU}))
    case("glyphs-table-readme", "--table", "--glyphs", "font", "--scan", "pages", "--bit-order", "lsb",
         "--preview", "font.png", "-o", "font.h", "strings.txt", files={"strings.txt": MENU})
    case("glyphs-table-faults", "--table", "--glyphs", "font", "--font", "unifont.otf", "-o", "font.h", "strings.txt",
         files=dict(FONT, **{"strings.txt": MENU + u8('menu_help  = "帮助\\t?"\nicon_logo  = \ue000\nbad line\n')}))
    case("glyphs-type-uint8", "--glyphs", "g", "--font", "unifont.otf", "--type", "const uint8_t", stdin=text,
         files=FONT)
    case("glyphs-type-keil", "--glyphs", "g", "--font", "unifont.otf", "--type", "const unsigned char code",
         "--attribute", "PROGMEM", stdin=text, files=FONT)
    case("glyphs-type-not-unsigned-byte", "--glyphs", "g", "--type", "const char", stdin=text, files=FONT)
    case("glyphs-type-refused", "--glyphs", "g", "--type", "char;", stdin=text, files=FONT)
    case("glyphs-control-character", "--glyphs", "g", "--font", "unifont.otf", stdin=u8("a\tb\x01c\r\nd"), files=FONT)
    case("glyphs-no-glyph", "--glyphs", "g", "--font", "unifont.otf", stdin=u8("a\ue000\ue001b"), files=FONT)
    case("glyphs-lossy", "--glyphs", "g", "--font", "unifont.otf", "--lossy", stdin=u8("µ°a"), files=FONT)
    case("glyphs-charset-gb2312", "--glyphs", "g", "--font", "unifont.otf", "--charset", "gb2312",
         stdin=u8("中啰"), files=FONT)
    case("glyphs-from-gbk", "--glyphs", "g", "--font", "unifont.otf", "--from", "gbk",
         stdin="中文AB".encode("gbk"), files=FONT)
    case("glyphs-ill-formed", "--glyphs", "g", "--font", "unifont.otf", stdin=b"a\xffb", files=FONT)
    case("glyphs-empty", "--glyphs", "g", "--font", "unifont.otf", stdin=b"", files=FONT)
    case("glyphs-ascii-only", "--glyphs", "g", "--font", "unifont.otf", stdin=b"Hello, world!", files=FONT)
    case("glyphs-chinese-only", "--glyphs", "g", "--font", "unifont.otf", stdin=u8("中文中文\n"), files=FONT)
    case("glyphs-euro-and-ff", "--glyphs", "g", "--font", "unifont.otf", "--from", "gbk", stdin=b"\x80\xff",
         files=FONT)
    case("glyphs-missing-font", "--glyphs", "g", "--font", "missing.otf", stdin=text)
    case("glyphs-not-a-font", "--glyphs", "g", "--font", "in.txt", stdin=text, files={"in.txt": text})
    case("glyphs-empty-font-file", "--glyphs", "g", "--font", "empty.ttf", stdin=text, files={"empty.ttf": b""})
    case("glyphs-face-name", "--glyphs", "g", "--font", "Unifont", stdin=text)
    case("glyphs-font-folder", "--glyphs", "g", "--font", "sub", stdin=text, files={"sub": Folder()})
    case("glyphs-bdf", "--glyphs", "g", "--font", "corpus.bdf", stdin=u8("中文Aa"),
         files={"corpus.bdf": bdf_font(16)})
    case("glyphs-bdf-missing-glyph", "--glyphs", "g", "--font", "corpus.bdf", stdin=u8("中国B"),
         files={"corpus.bdf": bdf_font(16)})
    case("glyphs-bdf-wrong-size", "--glyphs", "g", "--font", "corpus.bdf", "--size", "12", stdin=u8("中"),
         files={"corpus.bdf": bdf_font(16)})
    case("glyphs-bdf-small", "--glyphs", "g", "--font", "corpus.bdf", "--size", "8", "--scan", "pages",
         stdin=u8("中文Aa"), files={"corpus.bdf": bdf_font(8)})
    case("glyphs-pcf", "--glyphs", "g", "--font", "corpus.pcf", "--scan", "columns", stdin=u8("中文Aa"),
         files={"corpus.pcf": pcf_font(16)})
    case("glyphs-pcf-small", "--glyphs", "g", "--font", "corpus.pcf", "--size", "8", "--invert", stdin=u8("文a"),
         files={"corpus.pcf": pcf_font(8)})
    case("glyphs-pcf-missing-glyph", "--glyphs", "g", "--font", "corpus.pcf", "--table", stdin=u8("a = 中国\n"),
         files={"corpus.pcf": pcf_font(16)})
    case("glyphs-pcf-wrong-size", "--glyphs", "g", "--font", "corpus.pcf", stdin=u8("中"),
         files={"corpus.pcf": pcf_font(8)})
    case("glyphs-with-format", "--glyphs", "g", "--format", "c", stdin=text)
    case("glyphs-with-array", "--glyphs", "g", "--array", "x", stdin=text)
    case("glyphs-with-list", "--glyphs", "g", "--list", stdin=text)
    case("glyphs-with-nul", "--glyphs", "g", "--nul", stdin=text)
    case("font-without-glyphs", "--font", "unifont.otf", stdin=text, files=FONT)
    case("size-without-glyphs", "--size", "12", stdin=text)
    case("scan-without-glyphs", "--scan", "pages", stdin=text)
    case("bit-order-without-glyphs", "--bit-order", "lsb", stdin=text)
    case("invert-without-glyphs", "--invert", stdin=text)
    case("scan-unknown", "--glyphs", "g", "--scan", "diagonal", stdin=text)
    case("bit-order-unknown", "--glyphs", "g", "--bit-order", "middle", stdin=text)
    case("glyphs-out-missing-folder", "--glyphs", "g", "--font", "unifont.otf", "-o", "nowhere/g.h",
         stdin=text, files=FONT)
    case("glyphs-several-files", "--glyphs", "g", "--font", "unifont.otf", "a.txt", "b.txt", "-",
         stdin=u8("三"), files=dict(FONT, **{"a.txt": u8("一二"), "b.txt": utf16("二三四")}))


def add_usage_cases():
    case("help", "--help")
    case("help-short", "-h")
    case("version", "--version")
    case("help-and-version", "--help", "--version")
    case("help-with-file", "--help", "in.txt", files={"in.txt": SAMPLE})
    case("help-with-format", "--help", "--format", "c")
    case("version-with-file", "--version", "in.txt", files={"in.txt": SAMPLE})
    case("help-with-value", "--help=yes")
    case("unknown-option", "--bogus", "in.txt", files={"in.txt": SAMPLE})
    case("unknown-short-option", "-x")
    case("abbreviated-option", "--arr", "x")
    case("single-dash-long", "-format", "c")
    case("missing-value-format", "--format")
    case("missing-value-array", "in.txt", "--array", files={"in.txt": SAMPLE})
    case("missing-value-output", "-o")
    case("missing-value-glyphs", "--glyphs")
    case("empty-value-format", "--format=", stdin=SAMPLE)
    case("unknown-format", "--format", "xml", stdin=SAMPLE)
    case("format-twice-same", "--format", "c", "--format=C", stdin=SAMPLE)
    case("format-twice-different", "--format", "c", "--format", "hex", stdin=SAMPLE)
    case("flag-with-value", "--nul=1", stdin=SAMPLE)
    case("flag-twice", "--nul", "--nul", stdin=SAMPLE)
    case("table-and-array", "--table", "--array", "x", stdin=SAMPLE)
    case("list-and-type", "--list", "--type", "const uint8_t", stdin=SAMPLE)
    case("decode-and-list", "--decode", "--list", stdin=SAMPLE)
    case("options-after-files", "in.txt", "--format", "c", files={"in.txt": SAMPLE})
    case("dash-h-attached", "-hx")


def add_large_cases():
    big = mixed_text(1, 300_000)
    big_crlf = mixed_text(2, 200_000, "\r\n")
    case("large-hex", "big.txt", files={"big.txt": big})
    case("large-c", "--format", "c", "big.txt", files={"big.txt": big_crlf})
    case("large-string", "--format", "string", stdin=big)
    case("large-array", "--array", "big", "-o", "big.h", "big.txt", files={"big.txt": big_crlf})
    case("large-list", "--list", "big.txt", files={"big.txt": big})
    case("large-utf16", "--format", "c", "big.txt", files={"big.txt": utf16(big.decode())})
    case("large-utf16be", "big.txt", files={"big.txt": utf16(big_crlf.decode(), big_endian=True)})
    case("large-from-gbk", "--from", "gbk", "big.txt", files={"big.txt": big.decode().encode("gbk")})
    case("large-stdin-file", "--format", "c", stdin_file="big.txt", files={"big.txt": big})
    case("large-decode", "--decode", "dump.txt",
         files={"dump.txt": b"".join(b"%02X " % b for b in big.decode().encode("gbk"))})
    case("large-decode-literal", "--decode",
         stdin=b'"' + b"".join(b"\\x%02X" % b for b in big_crlf.decode().encode("gbk")) + b'"')
    # Characters, faults and line breaks that straddle the 64 KiB reads.
    chunk = 64 * 1024
    for at in (chunk - 2, chunk - 1, chunk, chunk + 1):
        case("straddle-character-%d" % at, "--format", "c", stdin=b"a" * at + u8("中") + b"b")
        case("straddle-fault-%d" % at, stdin=b"a" * at + b"\xe4\xb8" + b"b\n\xff")
        case("straddle-crlf-%d" % at, stdin=b"a" * (at - 1) + b"\r\n" + u8("µ"))
        case("straddle-emoji-%d" % at, stdin=b"a" * at + u8("😀") + b"\xc3")
        # An odd `at` leaves the units after it a byte out of step.
        case("straddle-utf16-%d" % at,
             stdin=utf16("a" * (at // 2 - 1)) + (b"\x41" if at % 2 else b"") + utf16("😀µ", bom=False))
        case("straddle-gbk-%d" % at, "--from", "gbk", stdin=b"a" * at + b"\xd6\xd0\x81\x20")
    case("straddle-utf16-lone-high", stdin=utf16("a" * (chunk // 2 - 2)) + b"\x00\xd8" + utf16("b", bom=False))
    case("straddle-nul", stdin=b"a" * (chunk - 1) + b"\x00\x00")
    case("straddle-bom-then-cut", stdin=b"\xef\xbb\xbf" + b"a" * (chunk - 3) + b"\xe4\xb8")
    case("large-cut-short", stdin=big + b"\xe4\xb8")
    case("large-many-faults", stdin=mixed_text(3, 150_000).replace(u8("中"), u8("µ")).replace(b"q", b"\xff"))
    numbers = Numbers(4)
    table = "".join("entry_%d = %s\n" % (i, "".join(HANZI[numbers.below(len(HANZI))]
                                                    for _ in range(1 + numbers.below(12))))
                    for i in range(3000))
    case("large-table", "--table", "-o", "t.h", "t.txt", files={"t.txt": u8(table)})
    case("large-table-stdin", "--table", "--format", "string", stdin=u8(table))
    case("large-table-list", "--table", "--list", stdin_file="t.txt", files={"t.txt": u8(table)})
    case("large-glyphs", "--glyphs", "all", "--font", "unifont.otf", "--scan", "tiles", "-o", "all.h",
         stdin=u8("".join(HANZI[:3000]) + "".join(chr(c) for c in range(0x20, 0x7f))), files=FONT)


add_basic_cases()
add_array_cases()
add_name_cases()
add_table_cases()
add_list_cases()
add_charset_cases()
add_from_cases()
add_fault_cases()
add_io_cases()
add_output_cases()
add_decode_cases()
add_glyph_cases()
add_usage_cases()
add_source_cases()
add_large_cases()

# ---------------------------------------------------------------------------
# Running a case, and what it yields


class Entry:
    """One file of a case's folder that a run made, changed or removed."""

    def __init__(self, kind, mode=0, data=b""):
        self.kind = kind  # "file", "link" (data is its target), "folder" or "removed"
        self.mode = mode
        self.data = data

    def describe(self):
        if self.kind in ("file", "folder"):
            return "%s %04o" % (self.kind, self.mode)
        return self.kind

    def __eq__(self, other):
        return isinstance(other, Entry) and (self.kind, self.mode, self.data) == (other.kind, other.mode, other.data)


class Result:
    def __init__(self, status, stdout, stderr, files):
        self.status = status  # the exit status as text, or "timeout"
        self.stdout = stdout
        self.stderr = stderr
        self.files = files  # relative path -> Entry

    def digest(self):
        sha = hashlib.sha256()

        def part(label, data):
            sha.update(label.encode() + b"\0" + str(len(data)).encode() + b"\0" + data)

        part("status", self.status.encode())
        part("stdout", self.stdout)
        part("stderr", self.stderr)
        for path in sorted(self.files):
            entry = self.files[path]
            part("file %s %s" % (path, entry.describe()), entry.data)
        return sha.hexdigest()


def snapshot(folder):
    found = {}
    for root, folders, names in os.walk(folder):
        for name in folders + names:
            full = os.path.join(root, name)
            path = os.path.relpath(full, folder)
            info = os.lstat(full)
            if os.path.islink(full):
                found[path] = Entry("link", data=os.readlink(full).encode())
            elif os.path.isdir(full):
                found[path] = Entry("folder", info.st_mode & 0o7777)
            else:
                with open(full, "rb") as f:
                    found[path] = Entry("file", info.st_mode & 0o7777, f.read())
    return found


def prepare(case_, folder):
    for path, content in case_.files.items():
        full = os.path.join(folder, path)
        if isinstance(content, Link):
            os.symlink(content.target, full)
        elif isinstance(content, Folder):
            os.mkdir(full)
        else:
            data = content.data if isinstance(content, Mode) else content
            with open(full, "wb") as f:
                f.write(data)
            if isinstance(content, Mode):
                os.chmod(full, content.mode)


def changes(before, after):
    changed = {path: entry for path, entry in after.items() if before.get(path) != entry}
    changed.update({path: Entry("removed") for path in before if path not in after})
    return changed


def run_on_terminal(argv, folder, env, given):
    """Runs with standard output and standard error on one new terminal; returns what it showed."""
    main, other = pty.openpty()
    shown = []

    def read():
        while True:
            try:
                chunk = os.read(main, 65536)
            except OSError:  # EIO: the program and its terminal are gone
                break
            if not chunk:
                break
            shown.append(chunk)

    reader = threading.Thread(target=read)
    reader.start()
    try:
        process = subprocess.run(argv, cwd=folder, env=env, stdout=other, stderr=other, input=given,
                                 timeout=CASE_TIMEOUT)
        status = str(process.returncode)
    except subprocess.TimeoutExpired:
        status = "timeout"
    os.close(other)
    reader.join()
    os.close(main)
    return status, b"".join(shown)


def run_case(case_, command, scratch):
    folder = os.path.join(scratch, case_.name)
    os.mkdir(folder)
    prepare(case_, folder)
    before = snapshot(folder)
    out_path = os.path.join(scratch, case_.name + ".stdout")
    err_path = os.path.join(scratch, case_.name + ".stderr")
    env = dict(os.environ, LC_ALL="C.UTF-8")
    argv = command + case_.args
    # Standard input is a pipe that carries case_.stdin, or a file opened for it.
    given, opened = case_.stdin or b"", None
    if case_.stdin_file is not None:
        opened = os.open(os.path.join(folder, case_.stdin_file), os.O_RDONLY)
    elif case_.stdin_folder:
        opened = os.open(folder, os.O_RDONLY)
    if opened is not None:
        given = None
    stdout = stderr = b""
    try:
        if case_.stdout == "terminal":
            status, stdout = run_on_terminal(argv, folder, env, given)
        else:
            with open("/dev/full" if case_.stdout == "full" else out_path, "wb") as out, \
                    open(err_path, "wb") as err:
                try:
                    process = subprocess.run(argv, cwd=folder, env=env, stdin=opened, stdout=out,
                                             stderr=err, input=given, timeout=CASE_TIMEOUT)
                    status = str(process.returncode)
                except subprocess.TimeoutExpired:
                    status = "timeout"
            if case_.stdout == "file":
                with open(out_path, "rb") as f:
                    stdout = f.read()
            with open(err_path, "rb") as f:
                stderr = f.read()
    finally:
        if opened is not None:
            os.close(opened)
    files = changes(before, snapshot(folder))
    shutil.rmtree(folder)
    return Result(status, stdout, stderr, files)


def selected_cases(binary):
    windows = binary.lower().endswith(".exe")
    return [c for c in CASES if not (windows and c.linux_only)]


def run_all(binary, launcher, jobs):
    command = shlex.split(launcher or "") + [os.path.abspath(binary)]
    # Under Wine, two runs at once now and then fail to select the Unifont of
    # unifont.otf ("an installed font of the same family hides"); one at a time
    # they never did.
    jobs = jobs or (1 if launcher else os.cpu_count() or 1)
    cases = selected_cases(binary)
    os.umask(0o022)
    with tempfile.TemporaryDirectory(prefix="gbkhex-corpus-") as scratch:
        with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
            results = list(pool.map(lambda c: run_case(c, command, scratch), cases))
    return dict(zip((c.name for c in cases), results))


# ---------------------------------------------------------------------------
# Recordings on disk


MARKER = ".gbkhex-corpus"


def store(results, outdir):
    if os.path.exists(outdir):
        if os.listdir(outdir) and not os.path.exists(os.path.join(outdir, MARKER)):
            sys.exit("corpus.py: %s is no recording and not empty; not overwriting it" % outdir)
        shutil.rmtree(outdir)
    os.makedirs(outdir)
    open(os.path.join(outdir, MARKER), "w").close()
    for name, result in results.items():
        folder = os.path.join(outdir, name)
        os.mkdir(folder)
        for part, data in (("status", result.status.encode() + b"\n"), ("stdout", result.stdout),
                           ("stderr", result.stderr)):
            with open(os.path.join(folder, part), "wb") as f:
                f.write(data)
        with open(os.path.join(folder, "files.txt"), "wb") as listing:
            for path in sorted(result.files):
                entry = result.files[path]
                listing.write(b"%s\t%s\t%s\n" % (entry.describe().encode(), path.encode(), entry.data
                                                  if entry.kind == "link" else b""))
                if entry.kind == "file":
                    full = os.path.join(folder, "files", path)
                    os.makedirs(os.path.dirname(full), exist_ok=True)
                    with open(full, "wb") as f:
                        f.write(entry.data)


def load(outdir):
    if not os.path.exists(os.path.join(outdir, MARKER)):
        sys.exit("corpus.py: %s is no recording (see corpus.py record)" % outdir)
    results = {}
    for name in sorted(os.listdir(outdir)):
        folder = os.path.join(outdir, name)
        if not os.path.isdir(folder):
            continue

        def read(*parts):
            with open(os.path.join(folder, *parts), "rb") as f:
                return f.read()

        files = {}
        for line in read("files.txt").splitlines():
            described, path, target = line.decode().split("\t")
            kind, _, mode = described.partition(" ")
            if kind == "file":
                files[path] = Entry(kind, int(mode, 8), read("files", path))
            else:
                files[path] = Entry(kind, int(mode or "0", 8), target.encode())
        results[name] = Result(read("status").decode().strip(), read("stdout"), read("stderr"), files)
    return results


def differences(a, b):
    found = []
    if a.status != b.status:
        found.append("exit status %s, then %s" % (a.status, b.status))
    for part in ("stdout", "stderr"):
        if getattr(a, part) != getattr(b, part):
            found.append(part)
    for path in sorted(set(a.files) | set(b.files)):
        first, second = a.files.get(path), b.files.get(path)
        if first is None or second is None:
            found.append("file %s only in %s" % (path, "the first" if second is None else "the second"))
        elif first != second:
            found.append("file %s (%s, then %s)" % (path, first.describe(), second.describe())
                         if first.describe() != second.describe() else "file %s" % path)
    return found


def summary(passed, failed):
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


# ---------------------------------------------------------------------------
# The commands


def command_record(options):
    start = time.monotonic()
    results = run_all(options.binary, options.launcher, options.jobs)
    store(results, options.outdir)
    print("%d cases recorded in %s (%.1f s)" % (len(results), options.outdir, time.monotonic() - start))
    return 0


def command_compare(options):
    first, second = load(options.dir_a), load(options.dir_b)
    passed = failed = 0
    for name in sorted(set(first) | set(second)):
        if name not in second or name not in first:
            print("%s: only in %s" % (name, options.dir_a if name in first else options.dir_b))
            failed += 1
            continue
        found = differences(first[name], second[name])
        if found:
            print("%s: %s" % (name, "; ".join(found)))
            failed += 1
        else:
            passed += 1
    return summary(passed, failed)


def command_digest(options):
    for name, result in sorted(load(options.dir).items()):
        print("%s %s" % (name, result.digest()))
    return 0


def command_check(options):
    expected = {}
    with open(options.expected) as f:
        for line in f:
            name, digest = line.split()
            expected[name] = digest
    start = time.monotonic()
    results = run_all(options.binary, options.launcher, options.jobs)
    passed = failed = 0
    for name, result in results.items():
        if name not in expected:
            print("%s: not in %s (run corpus.py digest to add it)" % (name, options.expected))
            failed += 1
        elif result.digest() != expected[name]:
            first_line = result.stderr.decode(errors="replace").partition("\n")[0]
            print("%s: differs (exit status %s%s)" % (name, result.status,
                                                     ", stderr: " + first_line if first_line else ""))
            failed += 1
        else:
            passed += 1
    for name in sorted(set(expected) - set(c.name for c in CASES)):
        print("%s: in %s but no longer a case" % (name, options.expected))
        failed += 1
    print("%.1f s" % (time.monotonic() - start))
    return summary(passed, failed)


def command_list(options):
    for c in CASES:
        stdin = " < %s" % c.stdin_file if c.stdin_file else " (stdin %d bytes)" % len(c.stdin) if c.stdin else ""
        stdin += " (on a terminal)" if c.stdout == "terminal" else " > /dev/full" if c.stdout == "full" else ""
        print("%s%s: gbkhex-cli %s%s" % (c.name, " [Linux only]" if c.linux_only else "",
                                         shlex.join(c.args), stdin))
    return 0


def main():
    parser = argparse.ArgumentParser(description="Runs, records and compares the corpus of gbkhex-cli runs.")
    commands = parser.add_subparsers(dest="command", required=True)
    record = commands.add_parser("record", help="run every case and store what each yields")
    record.add_argument("binary")
    record.add_argument("outdir")
    compare = commands.add_parser("compare", help="name every case whose recordings differ")
    compare.add_argument("dir_a")
    compare.add_argument("dir_b")
    digest = commands.add_parser("digest", help="one line a case: its name and the sha256 of what it yields")
    digest.add_argument("dir")
    check = commands.add_parser("check", help="run every case against a digest file")
    check.add_argument("binary")
    check.add_argument("expected")
    for running in (record, check):
        running.add_argument("--launcher", help="a command that runs BINARY, such as wine")
        running.add_argument("--jobs", type=int, help="cases run at once (by default one a core, or with"
                             " --launcher one)")
    commands.add_parser("list", help="the cases and their command lines")
    options = parser.parse_args()
    return {"record": command_record, "compare": command_compare, "digest": command_digest,
            "check": command_check, "list": command_list}[options.command](options)


if __name__ == "__main__":
    sys.exit(main())
