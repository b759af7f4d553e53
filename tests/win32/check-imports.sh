#!/usr/bin/env bash
# Checks that a Windows program imports nothing but Windows' own DLLs, so that
# it starts on a machine without mingw. Usage: check-imports.sh EXE OBJDUMP
set -uo pipefail
exe=$1 objdump=$2
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "FAIL: no imports read from $exe"; exit 1; }
failed=0
for dll in $imports; do
  case "$dll" in
    kernel32.dll | user32.dll | gdi32.dll | shell32.dll | comctl32.dll | ole32.dll | oleacc.dll | \
      oleaut32.dll | advapi32.dll | msvcrt.dll | api-ms-win-*.dll) ;;
    *) failed=$((failed + 1)) && echo "FAIL: imports $dll, which Windows does not ship" ;;
  esac
done
[ "$failed" -eq 0 ] && echo "imports only Windows' own DLLs:" $imports
