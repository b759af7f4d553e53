#!/usr/bin/env bash
# gbkhex-cli(1) as man shows it holds, for every option that `gbkhex-cli
# --help` lists, an entry of its own whose text starts with what --help says
# of it, and no entry that --help does not list.
# Usage: man_page_options.sh GBKHEX_CLI MAN_PAGE
set -euo pipefail
cli=$1 page=$2

help=$("$cli" --help)
# One paragraph a line, no hyphenation, no justification: words as --help has them.
manual=$(MANWIDTH=1000 man -P cat --nh --nj -l "$page" 2>/dev/null)

python3 - "$help" "$manual" <<'PY'
import re
import sys

help_text, manual = sys.argv[1], sys.argv[2]


def words(text):
    return " ".join(text.split())


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
    section = re.search(r"^OPTIONS\n(.*?)^\S", text, re.S | re.M)
    if not section:
        sys.exit("FAIL: the rendered page has no OPTIONS section")
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
    first = words(body[0]).rstrip(".")
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
