#!/usr/bin/env python3
"""Follows every relative link and picture of the given Markdown files: the
file must exist, and a #fragment must name a heading of its target, as
GitHub-style renderers make anchors of headings. Prints each broken link.
Usage: check_links.py FILE.md...
"""
import os
import re
import sys


def anchors(path):
    """The anchors of a Markdown file's headings, outside fenced code."""
    found, fenced = set(), False
    with open(path, encoding="utf-8") as text:
        for line in text:
            if line.lstrip().startswith("```"):
                fenced = not fenced
            elif not fenced and re.match(r"#{1,6} ", line):
                title = line.lstrip("#").strip().lower()
                found.add(re.sub(r"[^\w\- ]", "", title).replace(" ", "-"))
    return found


def links(path):
    with open(path, encoding="utf-8") as text:
        body = re.sub(r"^ *```.*?^ *```", "", text.read(), flags=re.S | re.M)
    return re.findall(r"\]\(([^)\s]+)\)", body)


def main(paths):
    broken = checked = 0
    for path in paths:
        for link in links(path):
            if re.match(r"[a-z]+:", link):
                continue
            target, _, fragment = link.partition("#")
            target = os.path.normpath(os.path.join(os.path.dirname(path), target)) if target else path
            checked += 1
            if not os.path.isfile(target):
                print(f"{path}: {link}: no file {target}")
                broken += 1
            elif fragment and target.endswith(".md") and fragment not in anchors(target):
                print(f"{path}: {link}: {target} has no heading '{fragment}'")
                broken += 1
    print(f"{checked} links followed, {broken} broken")
    return 1 if broken or not checked else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
