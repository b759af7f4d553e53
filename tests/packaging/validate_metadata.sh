#!/usr/bin/env bash
# The desktop entry passes its validator with nothing to say (no hints either),
# and the AppStream metainfo passes its own with no error or warning.
# Usage: validate_metadata.sh DESKTOP_ENTRY METAINFO
set -uo pipefail
failed=0
desktop=$(desktop-file-validate "$1" 2>&1) || failed=1
[ -z "$desktop" ] || { echo "$desktop"; failed=1; }
metainfo=$(appstreamcli validate --no-net --no-color "$2" 2>&1) || failed=1
echo "$metainfo"
! grep -q '^[EW]:' <<<"$metainfo" || failed=1
exit "$failed"
