#!/usr/bin/env bash
# The long options that `gbkhex-cli --help` names and those that its man page
# names must be the same set.
# Usage: man_page_options.sh GBKHEX_CLI MAN_PAGE_SOURCE
set -euo pipefail
cli=$1 page=$2

long_options() { grep -oE -- '--[a-z][a-z0-9-]*' | sort -u; }
help=$("$cli" --help | long_options)
# roff writes a hyphen as \-.
manual=$(sed 's/\\-/-/g' "$page" | long_options)

[ -n "$help" ] || { echo "FAIL: --help names no options"; exit 1; }
only_help=$(comm -23 <(echo "$help") <(echo "$manual"))
only_manual=$(comm -13 <(echo "$help") <(echo "$manual"))
[ -z "$only_help" ] || echo "FAIL: in --help, not in the man page:" $only_help
[ -z "$only_manual" ] || echo "FAIL: in the man page, not in --help:" $only_manual
[ -z "$only_help$only_manual" ] && echo "$(wc -l <<<"$help") options in both"
