#!/usr/bin/env bash
# gbkhex-cli.exe follows the user's UI language where no environment variable
# names one: Chinese for zh-CN, English otherwise (zh-TW too, until a
# Traditional catalog exists). Wine takes the UI language from the locale it
# starts in; cmd then clears the variables, so that only the UI language speaks.
# Usage: ui_language.sh WINE GBKHEX_CLI_EXE
set -euo pipefail
wine=$1
exe=$(winepath -w "$2" 2>/dev/null)
failures=0
for case in "zh_CN.UTF-8:gbkhex-cli: 未知选项 '--bogus'" \
  "en_US.UTF-8:gbkhex-cli: unknown option '--bogus'" \
  "zh_TW.UTF-8:gbkhex-cli: unknown option '--bogus'"; do
  locale=${case%%:*} expected=${case#*:}
  got=$(LC_ALL=$locale "$wine" cmd /c "set LC_ALL=&& set LANG=&& set LANGUAGE=&& $exe --bogus" \
    2>&1 | head -n 1 | tr -d '\r' || true)
  if [ "$got" != "$expected" ]; then
    echo "FAIL: UI language of $locale: got '$got', expected '$expected'"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] && echo "gbkhex-cli.exe speaks the UI language of zh_CN, en_US and zh_TW"
[ "$failures" -eq 0 ]
