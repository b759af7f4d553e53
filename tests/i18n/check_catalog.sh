#!/usr/bin/env bash
# A catalog that msgfmt --check accepts, with every message translated and none
# fuzzy, that holds every message of the code: xgettext's .pot of the sources
# against it (msgcmp).
# Usage: check_catalog.sh PO SOURCE_DIR XGETTEXT_OPTION... -- SOURCE...
set -euo pipefail
po=$1 source_dir=$2
shift 2
options=()
while [[ $1 != -- ]]; do options+=("$1"); shift; done
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

statistics=$(msgfmt --check --statistics -o "$work/catalog.mo" "$po" 2>&1)
echo "$statistics"
if ! grep -qE '^[0-9]+ translated messages\.$' <<<"$statistics"; then
  echo "$po: untranslated or fuzzy entries" >&2
  exit 1
fi
(cd "$source_dir" && xgettext "${options[@]}" -o "$work/code.pot" "$@")
msgcmp "$po" "$work/code.pot"
