#!/usr/bin/env bash
# gbkhex-cli(1) as man shows it holds, for every option that `gbkhex-cli
# --help` lists, an entry of its own whose text starts with what --help says
# of it, and no entry that --help does not list. A translated page is held to
# the --help of its locale (its options' section named as it names it).
# Usage: man_page_options.sh GBKHEX_CLI MAN_PAGE [LOCALE SECTION]
set -euo pipefail
cli=$1 page=$2 locale=${3:-C.UTF-8} section=${4:-OPTIONS}

help=$(LC_ALL=$locale "$cli" --help)
# One paragraph a line, no hyphenation, no justification: words as --help has them.
manual=$(LC_ALL=C.UTF-8 MANWIDTH=1000 man -P cat --nh --nj -l "$page" 2>/dev/null)

python3 - "$help" "$manual" "$section" <<'PY'
import re
import sys

help_text, manual, section_name = sys.argv[1], sys.argv[2], sys.argv[3]
WIDE = "[\u2e80-\ua4cf\uac00-\ud7a3\uf900-\ufaff\ufe30-\ufe4f\uff00-\uff60\uffe0-\uffe6]"


def words(text):
    # Chinese breaks lines between ideographs, where no blank stands.
    text = " ".join(text.split())
    return re.sub(f"(?<={WIDE}) | (?={WIDE})", "", text)


def help_entries(text):
    """label -> summary, from the lines of --help that start an option."""
    entries, label = {}, None
    for line in text.splitlines():
        if re.match(r"  -", line):
            label, _, summary = line[2:].partition("  ")
            entries[label] = summary.strip()
        elif label and line.startswith(" " * 20):
            entries[label] += " " + line.strip()
        else:
            label = None
    return entries


def manual_entries(text):
    """tag -> [paragraph, ...], from the OPTIONS section as rendered."""
    section = re.search(f"^{section_name}\\n(.*?)^\\S", text, re.S | re.M)
    if not section:
        sys.exit(f"FAIL: the rendered page has no {section_name} section")
    entries, tag, tags = {}, None, []
    for line in section.group(1).splitlines():
        if re.match(r" {7}\S", line):
            tag = line.strip()
            tags.append(tag)
            entries[tag] = []
        elif tag and re.match(r" {14}\S", line):
            entries[tag].append(line.strip())
    duplicates = sorted({t for t in tags if tags.count(t) > 1})
    if duplicates:
        sys.exit(f"FAIL: more than one entry for {duplicates}")
    return entries


options = help_entries(help_text)
entries = manual_entries(manual)
if not options:
    sys.exit("FAIL: --help lists no options")
failures = []
for label, summary in options.items():
    body = entries.get(label)
    if not body:
        failures.append(f"{label}: no entry of its own in the man page")
        continue
    first = words(body[0]).rstrip(".。")
    if first.lower() != words(summary).lower():
        failures.append(f"{label}: the man page says '{first}', --help '{summary}'")
# The entries that are no option: the paragraph after the last entry starts
# with 7 blanks too, and is no tag.
for tag in entries:
    if tag not in options and entries[tag]:
        failures.append(f"{tag}: in the man page, not in --help")
for failure in failures:
    print("FAIL:", failure)
if failures:
    sys.exit(1)
print(f"{len(options)} options of --help, each with its entry and text in the man page")
PY
