#!/usr/bin/env bash
# gbkhex-cli against what a firmware build would use instead: iconv piped into
# xxd, and Python's str.encode('gbk'); its string literals against iconv | xxd
# -i too; and a string table of ENTRIES entries as one header against the same
# texts through the C format. Whole processes, timed by hyperfine in rounds
# whose command order rotates, so that no tool always runs on a warm or a cold
# machine; the ratios are of the medians over all rounds. Then peak memory
# (/usr/bin/time) for the benchmark text and for a text of a few hundred MB.
#
# Environment: CHARS (1000000), ENTRIES (10000, about 1 MB), ROUNDS (5), RUNS
# per round (10), LARGE_COPIES (90 copies of the text, about 216 MB), JOBS (2);
# BASELINE, the path of another gbkhex-cli (an earlier build), timed in the
# same rounds.
set -euo pipefail
cd "$(dirname "$0")/.."

chars=${CHARS:-1000000}
entries=${ENTRIES:-10000}
rounds=${ROUNDS:-5}
runs=${RUNS:-10}
copies=${LARGE_COPIES:-90}
work=build/bench-cli
mkdir -p "$work"

cmake --preset release >/dev/null
cmake --build --preset release --target gbkhex-cli -j "${JOBS:-2}" >/dev/null
cli=$PWD/build/release/cli/gbkhex-cli
input=$PWD/$work/input.txt
python3 bench/make_cli_input.py "$chars" "$input"
echo "input: $chars characters, $(stat -c %s "$input") bytes of UTF-8"
table=$PWD/$work/table.txt texts=$PWD/$work/texts.txt
python3 bench/make_cli_input.py --table "$entries" "$table" "$texts"
echo "table: $entries entries, $(stat -c %s "$table") bytes; the same texts: $(stat -c %s "$texts") bytes"

declare -A command=(
  [gbkhex-cli-c]="$cli --format c $input"
  [iconv-xxd-i]="iconv -f UTF-8 -t CP936 $input | xxd -i"
  [python-c]="python3 $PWD/bench/python_gbk.py c < $input"
  [gbkhex-cli-hex]="$cli --format hex $input"
  [iconv-xxd-p]="iconv -f UTF-8 -t CP936 $input | xxd -p"
  [python-hex]="python3 $PWD/bench/python_gbk.py hex < $input"
  [gbkhex-cli-string]="$cli --format string $input"
  [gbkhex-cli-table]="$cli --table $table"
  [gbkhex-cli-texts-c]="$cli --format c $texts"
)
baseline=${BASELINE:-}
if [ -n "$baseline" ]; then
  command[baseline-c]="$baseline --format c $input"
  command[baseline-hex]="$baseline --format hex $input"
fi

# Every tool must make the same bytes, or the timing compares different work.
iconv -f UTF-8 -t CP936 "$input" > "$work/iconv.bin"
for format in c hex; do
  eval "${command[gbkhex-cli-$format]}" > "$work/cli.$format"
  eval "${command[python-$format]}" > "$work/python.$format"
  cmp -s "$work/cli.$format" "$work/python.$format" ||
    { echo "gbkhex-cli and Python differ in the $format format" >&2; exit 1; }
  if [ -n "$baseline" ]; then
    eval "${command[baseline-$format]}" | cmp -s - "$work/cli.$format" ||
      { echo "gbkhex-cli and the baseline differ in the $format format" >&2; exit 1; }
  fi
done
xxd -r -p "$work/cli.hex" | cmp -s - "$work/iconv.bin" ||
  { echo "gbkhex-cli's bytes differ from iconv's" >&2; exit 1; }
# The literals and the header hold the same text: --decode gives it back.
eval "${command[gbkhex-cli-string]}" 2>/dev/null | "$cli" --decode | cmp -s - "$input" ||
  { echo "gbkhex-cli's string literals do not decode to the input" >&2; exit 1; }
eval "${command[gbkhex-cli-table]}" | "$cli" --decode | cmp -s - <(tr -d '\n' < "$texts") ||
  { echo "the table's header does not decode to its texts" >&2; exit 1; }
echo "outputs checked: gbkhex-cli = Python (both formats), bytes = iconv's, literals and header decode"

rm -f "$work"/round-*.json "$work/hyperfine.log"
# A pipeline like iconv | xxd runs on two cores when it can have them, so how
# busy the machine is changes its time far more than gbkhex-cli's.
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "timing: $rounds rounds of $runs runs (3 warmups) per command, order rotating by round;"
echo "python: whole input read, decoded, str.encode('gbk'), then bytes.hex / a 256-token table"
for round in $(seq "$rounds"); do
  for format in c hex string table; do
    case $format in
      c) names=(gbkhex-cli-c iconv-xxd-i python-c ${baseline:+baseline-c}) ;;
      hex) names=(gbkhex-cli-hex iconv-xxd-p python-hex ${baseline:+baseline-hex}) ;;
      string) names=(gbkhex-cli-string iconv-xxd-i) ;;
      table) names=(gbkhex-cli-table gbkhex-cli-texts-c) ;;
    esac
    # Rotate the order by round.
    shift_by=$((round % ${#names[@]}))
    names=("${names[@]:shift_by}" "${names[@]:0:shift_by}")
    args=()
    for name in "${names[@]}"; do args+=(-n "$name" "${command[$name]}"); done
    # The table's two commands are one process each: they run without a
    # shell, whose start would take a third of their time (the other groups
    # hold pipelines, for which every command of theirs gets one).
    shell=()
    [ "$format" = table ] && shell=(--shell=none)
    # hyperfine's warnings about outliers on a shared machine go to the log.
    hyperfine "${shell[@]}" --style none --warmup 3 --runs "$runs" \
      --export-json "$work/round-$round-$format.json" "${args[@]}" >/dev/null 2>>"$work/hyperfine.log"
  done
done

python3 - "$work" <<'PY'
import glob, json, statistics, sys
times = {}
for path in glob.glob(sys.argv[1] + "/round-*.json"):
    for result in json.load(open(path))["results"]:
        times.setdefault(result["command"], []).extend(result["times"])
median = {name: statistics.median(t) * 1000 for name, t in times.items()}
targets = {"iconv-xxd-i": 5.0, "iconv-xxd-p": 2.0}
for fmt in ("c", "hex"):
    ours = median[f"gbkhex-cli-{fmt}"]
    print(f"\n--format {fmt}: gbkhex-cli median {ours:.1f} ms over {len(times[f'gbkhex-cli-{fmt}'])} runs")
    for other in (("iconv-xxd-i" if fmt == "c" else "iconv-xxd-p"), f"python-{fmt}"):
        ratio = median[other] / ours
        goal = targets.get(other)
        verdict = "" if goal is None else f"  (target >= {goal:g}x: {'met' if ratio >= goal else 'MISSED'})"
        print(f"  {other:12s} {median[other]:7.1f} ms   gbkhex-cli is {ratio:5.1f}x faster{verdict}")
    if f"baseline-{fmt}" in median:
        before = median[f"baseline-{fmt}"]
        print(f"  baseline     {before:7.1f} ms   this build takes {ours / before:5.2f}x its time")
        for other in ("iconv-xxd-i" if fmt == "c" else "iconv-xxd-p",):
            print(f"  {other:12s} is {median[other] / before:5.1f}x the baseline's time")
ours = median["gbkhex-cli-string"]
ratio = median["iconv-xxd-i"] / ours
print(f"\n--format string: gbkhex-cli median {ours:.1f} ms over {len(times['gbkhex-cli-string'])} runs")
print(f"  iconv-xxd-i  {median['iconv-xxd-i']:7.1f} ms   gbkhex-cli is {ratio:5.1f}x faster"
      f"  (target >= 5x: {'met' if ratio >= 5 else 'MISSED'})")
table, texts = median["gbkhex-cli-table"], median["gbkhex-cli-texts-c"]
ratio = table / texts
print(f"\n--table: {table:.1f} ms; the same texts through --format c: {texts:.1f} ms;"
      f" the table takes {ratio:4.2f}x their time  (target <= 2x: {'met' if ratio <= 2 else 'MISSED'})")
PY

# Peak resident memory and wall time of one run, from /usr/bin/time -v.
measure() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null |
    awk -F': ' '/Maximum resident/ {kb = $2} /Elapsed/ {t = $2} END {print kb " KB, " t " elapsed"}'
}
echo
echo "peak resident memory (/usr/bin/time -v):"
for format in c hex string; do
  echo "  gbkhex-cli --format $format, benchmark text: $(measure "$cli" --format "$format" "$input")"
done
echo "  gbkhex-cli --table, $entries entries: $(measure "$cli" --table "$table")"
echo "  iconv alone, benchmark text: $(measure iconv -f UTF-8 -t CP936 "$input")"
echo "  python3 hex, benchmark text: $(measure sh -c "${command[python-hex]}")"

large=$PWD/$work/large.txt
trap 'rm -f "$large"' EXIT
for _ in $(seq "$copies"); do cat "$input"; done > "$large"
echo "  large text: $(stat -c %s "$large") bytes"
for format in c hex string; do
  echo "  gbkhex-cli --format $format, large text: $(measure "$cli" --format "$format" "$large")"
done
# The hex format carries no state from one character to the next, so the large
# text's output must be the benchmark text's output, repeated.
large_sum=$("$cli" --format hex "$large" | md5sum)
repeated_sum=$(for _ in $(seq "$copies"); do cat "$work/cli.hex"; done | md5sum)
[ "$large_sum" = "$repeated_sum" ] || { echo "large text output differs" >&2; exit 1; }
echo "  large text output checked against the benchmark text's, repeated"
