#!/usr/bin/env bash
# Profiles a short benchmark flight under callgrind and prints how the
# instructions of the frames divide between the project's own code (the
# benchmark executable, which links the engine statically) and the GL driver
# and the other libraries. Only the frames are counted (collection is switched
# on inside FrameDriver::frame and glFinish); llvmpipe runs single-threaded so
# its rasterisation happens inside those calls.
#   scripts/profile.sh [build-dir] [tool options]
# e.g. scripts/profile.sh build --max-frames 20   (the first 20 frames only; the
# whole short flight takes a long time under callgrind).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
out=$(mktemp -d /tmp/ulmera-profile.XXXXXX)
cd "$build/run/bin"
LP_NUM_THREADS=0 valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
  --collect-atstart=no --toggle-collect='zel::FrameDriver::frame(*' --toggle-collect=glFinish \
  ./world-of-ulmera-bench --short --no-pass-timing --report "$out/report.json" "$@" >"$out/bench.log" 2>&1
python3 - "$out/callgrind.out" "$(readlink -f ./world-of-ulmera-bench)" <<'PY'
import collections, re, sys
path, exe = sys.argv[1], sys.argv[2]
names = {}            # compressed "(n)" ids of object names
cost = collections.Counter()
ob = "???"
skip_next = False
def resolve(text):
    m = re.match(r"\((\d+)\)\s*(.*)", text)
    if not m:
        return text.strip()
    if m.group(2):
        names[m.group(1)] = m.group(2).strip()
    return names.get(m.group(1), "???")
for line in open(path, errors="replace"):
    if skip_next:            # the inclusive cost line after calls= is not self cost
        skip_next = False
        continue
    if line.startswith("ob="):
        ob = resolve(line[3:])
    elif line.startswith(("cob=", "cfi=", "cfl=")):
        if line.startswith("cob="):
            resolve(line[4:])
    elif line.startswith("calls="):
        skip_next = True
    elif line[:1].isdigit() or line[:1] in "+-*":
        parts = line.split()
        if len(parts) >= 2:
            cost[ob] += int(parts[1])
total = sum(cost.values())
if not total:
    sys.exit("no instructions collected")
own = cost.get(exe, 0)
import json
frames = 0
try:
    report = json.load(open(path.rsplit("/", 1)[0] + "/report.json"))
    frames = report["frame_ms"]["overall"]["count"]
except Exception:
    pass
print("instructions in frames: %d%s" % (total, " (%d frames, %d per frame)" % (frames, total // frames) if frames else ""))
print("  %-60s %6.2f %%" % ("project code (" + exe.rsplit('/', 1)[-1] + ")", 100.0 * own / total))
for name, c in cost.most_common(12):
    if name != exe:
        print("  %-60s %6.2f %%" % (name[-60:], 100.0 * c / total))
print("project code share: %.2f %%" % (100.0 * own / total))
PY
echo "callgrind output: $out/callgrind.out"
