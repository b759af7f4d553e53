#!/usr/bin/env python3
"""gbkhex-cli's messages in the language and encoding that the environment asks
for, held to Python's own reading of the catalog (gettext) and its GBK codec.

Usage: messages_language.py GBKHEX_CLI ZH_CN_MO

Each environment runs a fault with a place, a warning, a bad command line and
--help. English environments must give exactly the bytes of LC_ALL=C; Chinese
ones the catalog's sentences after the untranslated prefixes, in UTF-8 or, for
a GBK locale, in GBK; --help wrapped at 80 columns, never starting a line with
closing punctuation."""

import gettext
import os
import subprocess
import sys
import tempfile
import unicodedata

CLI, MO = sys.argv[1], sys.argv[2]
ZH = gettext.GNUTranslations(open(MO, "rb"))

# Environment, whether messages are Chinese, the encoding they come in.
CASES = [
    ({"LANG": "C"}, False, None),
    ({"LANG": "en_US.UTF-8"}, False, None),
    ({"LANG": "zh_CN.UTF-8"}, True, "utf-8"),
    ({"LANG": "zh_CN.GBK"}, True, "gbk"),
    ({"LANG": "zh_CN.GB18030"}, True, "gbk"),
    ({"LANG": "zh_SG.UTF-8"}, True, "utf-8"),
    ({"LANG": "zh"}, True, "utf-8"),
    ({"LANG": "zh_TW.UTF-8"}, False, None),
    ({"LANG": "zh_HK.UTF-8"}, False, None),
    ({"LANG": "en_US.UTF-8", "LANGUAGE": "zh_CN"}, True, "utf-8"),
    ({"LANG": "en_US.UTF-8", "LANGUAGE": "en:zh_CN"}, False, None),
    ({"LANG": "C", "LANGUAGE": "zh_CN"}, False, None),
    ({"LANG": "zh_CN.UTF-8", "LC_ALL": "C"}, False, None),
    ({"LANG": "en_US.UTF-8", "LC_MESSAGES": "zh_CN.UTF-8"}, True, "utf-8"),
]

EMOJI = "\U0001F600"


def run(env, *args):
    clean = {k: v for k, v in os.environ.items()
             if k not in ("LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_CTYPE")}
    clean.update(env)
    done = subprocess.run([CLI, *args], cwd=FOLDER, env=clean, capture_output=True)
    return done.returncode, done.stdout, done.stderr


def runs(env):
    return {
        "fault": run(env, "in.txt"),
        "warning": run(env, "--lossy", "in.txt"),
        "usage": run(env, "--bogus"),
        "help": run(env, "--help"),
    }


def expect(condition, what):
    if not condition:
        raise AssertionError(what)


def check_help(text):
    for line in text.splitlines():
        columns = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line)
        expect(columns <= 80, f"--help line of {columns} columns: {line!r}")
        first = line.lstrip(" ")[:1]
        expect(first == "" or first not in "，。、；：？！）」", f"--help line starts badly: {line!r}")
    expect(ZH.gettext("show this help and exit") in text, "--help is not in Chinese")


def check_chinese(got, encoding):
    def text(raw):
        return raw.decode(encoding, errors="surrogateescape")

    character = f"U+1F600 '{EMOJI}'"
    status, _, err = got["fault"]
    fault = ZH.gettext("%s has no exact code in GBK (code page 936)") % character
    if encoding == "gbk":
        # The character that GBK lacks stays as its UTF-8 bytes.
        expected = b"in.txt:1:3: error: " + fault.replace(character, "\0").encode("gbk")
        expected = expected.replace(b"\0", f"U+1F600 '".encode() + EMOJI.encode() + b"'")
        expect(err.rstrip(b"\n") == expected, f"fault: {err!r}")
    else:
        expect(text(err) == f"in.txt:1:3: error: {fault}\n", f"fault: {err!r}")
    expect(status == 1, "fault's status")

    _, _, err = got["warning"]
    warning = ZH.ngettext(
        "%s character has no exact code in GBK (code page 936) and was written as the %s window "
        "writes it",
        "%s characters have no exact code in GBK (code page 936) and were written as the %s "
        "window writes them", 1) % ("1", "gbkhex")
    expect(text(err).startswith(f"in.txt:1:3: warning: {warning}"), f"warning: {err!r}")

    status, _, err = got["usage"]
    lines = text(err).splitlines()
    expect(lines[0] == "gbkhex-cli: " + ZH.gettext("unknown option '%s'") % "--bogus",
           f"usage error: {lines[0]!r}")
    expect(lines[1].startswith(ZH.gettext("Usage: ") + "gbkhex-cli "), f"usage: {lines[1]!r}")
    expect(status == 2, "usage error's status")

    check_help(text(got["help"][1]))


with tempfile.TemporaryDirectory() as FOLDER:
    with open(os.path.join(FOLDER, "in.txt"), "w", encoding="utf-8") as f:
        f.write(f"ab{EMOJI}\n")
    english = runs({"LC_ALL": "C"})
    failures = 0
    for env, chinese, encoding in CASES:
        got = runs(env)
        try:
            if chinese:
                check_chinese(got, encoding)
            else:
                expect(got == english, "not the bytes of LC_ALL=C")
        except AssertionError as error:
            failures += 1
            print(f"{env}: {error}")
    sys.exit(1 if failures else 0)
