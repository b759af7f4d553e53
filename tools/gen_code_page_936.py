#!/usr/bin/env python3
"""Writes the code page 936 tables of convert/ from Microsoft's best-fit table.

Usage: tools/gen_code_page_936.py [--check] [SOURCE [OUTPUT_DIR]]
  SOURCE      defaults to tools/data/bestfit936.txt
  OUTPUT_DIR  defaults to convert/
  --check     writes nothing; fails, naming the file, where a committed table
              differs from what SOURCE gives

Two files come out:
- code_page_936_table.cpp, from WCTABLE: the code that
  WideCharToMultiByte(936, 0, ...) gives every UTF-16 unit, best fit included;
  units not listed convert to the default character 0x3F. Stored as 256 pages
  of 256 codes, indexed by the high byte of the unit; identical pages once.
- code_page_936_decode_table.cpp, from MBTABLE and the DBCSTABLEs: the unit that
  every one-byte and two-byte code decodes to, and a bit for every unit that
  decoding its code gives back (an exact unit, as opposed to a best fit or '?').
"""

import hashlib
import os
import sys

DEFAULT_CHAR = 0x3F
EXPECTED_UNITS = 24482
LEADS = range(0x81, 0xFF)
TRAILS = range(0x40, 0xFF)  # 0x7F never trails, and its cell stays empty
NO_UNIT = 0xFFFF  # a noncharacter: no code decodes to it

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def records(path):
    """(section, fields) for every record; comments may hold bytes of the code page itself."""
    section = None
    with open(path, "rb") as f:
        for raw in f:
            line = raw.split(b";", 1)[0].decode("ascii").strip()
            if not line:
                continue
            fields = line.split()
            if fields[0] in ("CODEPAGE", "CPINFO", "MBTABLE", "DBCSRANGE", "DBCSTABLE",
                             "WCTABLE", "ENDCODEPAGE"):
                section = fields[0]
            yield section, fields


def read_tables(path):
    codes = [DEFAULT_CHAR] * 0x10000
    single = {}
    double = {}
    declared = {}  # records each table header announces, by (section, lead byte)
    held = {}  # records each table holds
    lead = None
    for section, fields in records(path):
        if fields[0] == section:
            if section == "DBCSTABLE":
                # The tables follow DBCSRANGE's lead bytes in order.
                lead = LEADS.start if lead is None else lead + 1
            if section in ("MBTABLE", "WCTABLE", "DBCSTABLE"):
                declared[section, lead] = int(fields[1])
            if section == "DBCSRANGE" and fields[1] != "1":
                sys.exit("expected one lead byte range")
            continue
        first, second = int(fields[0], 16), int(fields[1], 16)
        held[section, lead] = held.get((section, lead), 0) + 1
        if section == "DBCSRANGE":
            if (first, second) != (LEADS.start, LEADS.stop - 1):
                sys.exit(f"lead bytes {first:#x}..{second:#x}, expected 0x81..0xfe")
        elif section == "MBTABLE":
            single[first] = second
        elif section == "DBCSTABLE":
            if first not in TRAILS or first == 0x7F:
                sys.exit(f"trail byte {first:#x} under lead byte {lead:#x}")
            double[lead << 8 | first] = second
        elif section == "WCTABLE":
            if not (0 <= first <= 0xFFFF and 0 <= second <= 0xFFFF):
                sys.exit(f"value out of range: {fields}")
            if second > 0xFF and second >> 8 not in LEADS:
                sys.exit(f"two-byte code with a bad lead byte: {fields}")
            codes[first] = second
    check_counts(declared, held, single, double, lead)
    return codes, single, double


def check_counts(declared, held, single, double, last_lead):
    for table, count in declared.items():
        if held.get(table, 0) != count:
            sys.exit(f"{table[0]} declares {count} records, holds {held.get(table, 0)}")
    if declared.get(("WCTABLE", last_lead)) != EXPECTED_UNITS:
        sys.exit(f"WCTABLE should list {EXPECTED_UNITS} units")
    if last_lead != LEADS.stop - 1:
        sys.exit(f"the DBCSTABLEs end at lead byte {last_lead:#x}, expected 0xfe")
    if any(b in single for b in LEADS):
        sys.exit("a lead byte is also a one-byte code")
    units = list(single.values()) + list(double.values())
    if NO_UNIT in units:
        sys.exit("a code decodes to U+FFFF, which the tables use for 'no character'")
    if any(0xD800 <= u <= 0xDFFF for u in units):
        sys.exit("a code decodes to a surrogate half, which no UTF-8 can hold")


def decode(code, single, double):
    return single.get(code) if code <= 0xFF else double.get(code)


def paginate(codes):
    pages, page_of_high_byte, known = [], [], {}
    default_page = tuple([DEFAULT_CHAR] * 256)
    known[default_page] = 0
    pages.append(default_page)
    for high in range(256):
        page = tuple(codes[high * 256:(high + 1) * 256])
        if page not in known:
            known[page] = len(pages)
            pages.append(page)
        page_of_high_byte.append(known[page])
    return pages, page_of_high_byte


def rows(values, per_row, width, indent="    "):
    return [indent + " ".join(f"0x{v:0{width}X}," for v in values[i:i + per_row])
            for i in range(0, len(values), per_row)]


def header(source_digest, what):
    return [
        "// Generated by tools/gen_code_page_936.py; do not edit.",
        f"// Source: bestfit936.txt, sha256 {source_digest}",
        what,
        "// clang-format off",
        "",
        "#include \"code_page_936_table.h\"",
        "",
        "namespace gbkhex::detail {",
        "",
    ]


def render_encoding(codes, source_digest):
    pages, page_of_high_byte = paginate(codes)
    out = header(source_digest, "// Code page 936 code of every UTF-16 unit, as "
                                "WideCharToMultiByte(936, 0, ...) gives it.")
    out.append("const std::uint8_t kCodePage936PageOfHighByte[256] = {")
    for row in range(0, 256, 16):
        out.append("    " + " ".join(f"{p}," for p in page_of_high_byte[row:row + 16]))
    out.append("};")
    out.append("")
    out.append(f"const std::uint16_t kCodePage936Pages[{len(pages)}][256] = {{")
    for page in pages:
        out.append("    {")
        out.extend(rows(page, 8, 4, "        "))
        out.append("    },")
    out.append("};")
    out.append("")
    out.append("}  // namespace gbkhex::detail")
    return "\n".join(out) + "\n"


def render_decoding(codes, single, double, source_digest):
    out = header(source_digest, "// The unit that every code of code page 936 decodes to, "
                                "and which units decoding gives back.")
    out.append("const std::uint16_t kCodePage936SingleByteUnits[256] = {")
    out.extend(rows([single.get(b, NO_UNIT) for b in range(256)], 8, 4))
    out.append("};")
    out.append("")
    out.append(f"const std::uint16_t kCodePage936DoubleByteUnits[{len(LEADS)}][{len(TRAILS)}] = {{")
    for lead in LEADS:
        out.append(f"    {{  // lead byte {lead:02X}")
        out.extend(rows([double.get(lead << 8 | t, NO_UNIT) for t in TRAILS], 8, 4, "        "))
        out.append("    },")
    out.append("};")
    out.append("")
    words = [0] * (0x10000 // 64)
    for unit, code in enumerate(codes):
        if decode(code, single, double) == unit:
            words[unit // 64] |= 1 << (unit % 64)
    out.append(f"const std::uint64_t kCodePage936ExactUnits[{len(words)}] = {{")
    out.extend(rows(words, 4, 16))
    out.append("};")
    out.append("")
    out.append("}  // namespace gbkhex::detail")
    return "\n".join(out) + "\n"


def read_text(path):
    with open(path, encoding="ascii", newline="") as f:
        return f.read()


def main(args):
    check = "--check" in args
    args = [a for a in args if a != "--check"]
    if len(args) > 2 or any(a.startswith("-") for a in args):
        sys.exit(__doc__)
    source = args[0] if args else os.path.join(ROOT, "tools", "data", "bestfit936.txt")
    target_dir = args[1] if len(args) > 1 else os.path.join(ROOT, "convert")
    with open(source, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    codes, single, double = read_tables(source)
    outputs = {
        "code_page_936_table.cpp": render_encoding(codes, digest),
        "code_page_936_decode_table.cpp": render_decoding(codes, single, double, digest),
    }
    stale = []
    for name, text in outputs.items():
        path = os.path.join(target_dir, name)
        if check:
            if not os.path.exists(path) or read_text(path) != text:
                stale.append(path)
            continue
        with open(path, "w", encoding="ascii", newline="\n") as f:
            f.write(text)
        print(f"wrote {path}")
    if stale:
        sys.exit("differs from what the reference table gives: " + ", ".join(stale))
    if check:
        print(f"{len(outputs)} tables match {source}")


if __name__ == "__main__":
    main(sys.argv[1:])
