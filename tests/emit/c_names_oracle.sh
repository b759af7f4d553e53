#!/usr/bin/env bash
# Every name that the array-name check refuses for a standard header must fail
# to compile, in C or C++ with GCC or Clang, as the header gbkhex-cli writes
# declares it after that standard header; names it accepts must compile in all
# of them. One file per header holds every name, each declaration on lines of
# its own between declarations that must compile, and the compilers' error lines
# tell which names failed.
# Usage: c_names_oracle.sh ORACLE_FILES_PROGRAM
set -euo pipefail
oracle=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

compilers=()
for cc in gcc clang; do command -v $cc >/dev/null && compilers+=("$cc -x c -std=c99" "$cc -x c -std=c2x"); done
for cxx in g++ clang++; do
  command -v $cxx >/dev/null && compilers+=("$cxx -x c++ -std=c++11" "$cxx -x c++ -std=c++2b")
done
[ ${#compilers[@]} -gt 0 ] || { echo "no C compiler"; exit 1; }

# Accepted names: some look like the refused ones, some are function-like macros.
accepted="text title menu_1 str mem SIZE WIDTH int8 uint8 INT8_C UINTMAX_C INT_MAX2 stdio"
"$oracle" names --check $accepted > verdicts
if grep -v ' ok$' verdicts; then echo "FAIL: names above should be accepted"; exit 1; fi

"$oracle" names > refused
headers=$(cut -f1 refused | sort -u)
for header in $headers; do
  {
    echo "#include <$header>"
    echo '#if (defined(__cplusplus) && __cplusplus >= 201703L)'
    echo '#define GBKHEX_LINKAGE inline'
    echo '#else'
    echo '#define GBKHEX_LINKAGE static'
    echo '#endif'
    for name in $accepted; do
      echo "GBKHEX_LINKAGE const unsigned char $name[] = {0X41,};"
      echo "#define ${name}_len 1u"
    done
    n=0
    for name in $(awk -v h="$header" '$1 == h { print $2 }' refused); do
      echo "GBKHEX_LINKAGE const unsigned char $name[] = {0X41,}; /* name $name */"
      echo "#define ${name}_len 1u /* name $name */"
      echo "GBKHEX_LINKAGE const unsigned char gbkhex_ok_$n[] = {0X41,};"
      n=$((n + 1))
    done
  } > "$header.c"
done

# One compile per header and compiler, two at a time.
pids=()
for header in $headers; do
  for i in "${!compilers[@]}"; do
    compiler=${compilers[$i]}
    limit=-fmax-errors=0
    case $compiler in clang*) limit=-ferror-limit=0 ;; esac
    ( $compiler -fsyntax-only -w $limit "$header.c" > "$header.$i.log" 2>&1 || true ) &
    pids+=($!)
    if [ ${#pids[@]} -ge 2 ]; then wait "${pids[0]}"; pids=("${pids[@]:1}"); fi
  done
done
wait

failures=0
for header in $headers; do
  # The lines on which some compiler reported an error.
  cat "$header".*.log | sed -n "s/^$header\.c:\([0-9]*\):[0-9]*: error:.*/\1/p" | sort -un > bad-lines
  awk 'NR == FNR { bad[$1] = 1; next }
       match($0, /\/\* name [A-Za-z0-9_]+/) {
         name = substr($0, RSTART + 8, RLENGTH - 8); seen[name] = 1
         if (FNR in bad) failed[name] = 1
         next
       }
       FNR in bad { print "FAIL: an error on a line that must compile: " FILENAME ":" FNR ": " $0 }
       END { for (n in seen) if (!(n in failed)) print "FAIL: compiles: " n }' \
    bad-lines "$header.c" > verdict
  if [ -s verdict ]; then
    sed "s|compiles: |compiles after <$header>, yet is refused: |" verdict
    failures=$((failures + $(wc -l < verdict)))
  fi
done
count=$(wc -l < refused)
[ "$failures" -eq 0 ] || { echo "$failures failure(s) of $count names"; exit 1; }
echo "all $count refused names fail to compile; the accepted names compile (${#compilers[@]} compilers)"
