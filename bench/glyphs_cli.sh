#!/usr/bin/env bash
# gbkhex-cli --glyphs end to end, whole processes timed by hyperfine: the glyphs
# of every GBK character (21,886: a whole font for a display) and of a usual
# firmware's few hundred, beside --format c over the same texts as a baseline
# of reading and checking them, and a whole GBK font image. Environment: RUNS
# (20), JOBS (2).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-20}
work=build/bench-glyphs
mkdir -p "$work"
cmake --preset release >/dev/null
cmake --build --preset release --target gbkhex-cli -j "${JOBS:-2}" >/dev/null
cli=$PWD/build/release/cli/gbkhex-cli

python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
every = [chr(c) for c in range(0x20, 0x7F)]
for lead in range(0x81, 0xFF):
    for trail in range(0x40, 0xFF):
        try:
            c = bytes([lead, trail]).decode("cp936")
        except UnicodeDecodeError:
            continue
        if not 0xE000 <= ord(c) < 0xF900:  # the user-defined area, which Unifont leaves empty
            every.append(c)
# A menu's worth: 300 of GB 2312's most common characters, with ASCII.
common = [bytes([lead, trail]).decode("gb2312") for lead in range(0xB0, 0xB4)
          for trail in range(0xA1, 0xFF)][:300]
menu = [f"Menu {i:02} " + "".join(common[i * 15:(i + 1) * 15]) + " OK" for i in range(20)]
for name, lines in (("every", ["".join(every[i:i + 40]) for i in range(0, len(every), 40)]),
                    ("menu", menu)):
    with open(f"{work}/{name}.txt", "w") as text:
        text.write("\n".join(lines) + "\n")
    print(f"{name}.txt: {len(set(''.join(lines)))} distinct characters")
PY

for name in every menu; do
  glyphs=$("$cli" --glyphs g "$work/$name.txt" | grep -c '^/\* 0X')
  echo "$name.txt: $glyphs glyphs in the header"
  hyperfine -N --warmup 3 --runs "$runs" --export-json "$work/$name.json" \
    -n "glyphs-$name" "$cli --glyphs g $work/$name.txt" \
    -n "format-c-$name" "$cli --format c $work/$name.txt" >/dev/null
  python3 - "$work/$name.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
glyphs, baseline = (r for r in results.values())
print(f"  {glyphs['command']}: median {glyphs['median'] * 1000:.1f} ms "
      f"(min {glyphs['min'] * 1000:.1f}, max {glyphs['max'] * 1000:.1f}); "
      f"{baseline['command']}: {baseline['median'] * 1000:.2f} ms; "
      f"ratio {glyphs['median'] / baseline['median']:.1f}")
PY
done

# A whole font image: every cell of GBK from the default font, and from Noto
# Sans CJK SC at 24 px, 4 bits a pixel, as firmware's external flash takes it.
noto=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
hyperfine -N --warmup 2 --runs "$runs" --export-json "$work/whole.json" \
  -n "whole-gbk-unifont-16" "$cli --glyphs g --whole gbk --image $work/whole.bin -o $work/whole.h" \
  -n "whole-gbk-noto-24-4bpp" \
  "$cli --glyphs g --whole gbk --font $noto --face 2 --size 24 --bpp 4 --clip --image $work/whole.bin -o $work/whole.h" \
  2>/dev/null >/dev/null
python3 - "$work/whole.json" <<'PY'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f"  {r['command']}: median {r['median'] * 1000:.0f} ms "
          f"(min {r['min'] * 1000:.0f}, max {r['max'] * 1000:.0f})")
PY
