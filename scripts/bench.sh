#!/usr/bin/env bash
# Runs the benchmark several times and prints the median of each headline
# figure over the runs, with every run's JSON report kept.
#   scripts/bench.sh [-b build-dir] [-n runs] [-o out-dir] [-- tool options]
# e.g. scripts/bench.sh -n 5                      (the full flight, five runs)
#      scripts/bench.sh -n 3 -- --ab bloom        (bloom on/off, alternating)
# The tool runs from the run layout's bin/ folder; without a DISPLAY it starts
# its own Xvfb (Mesa llvmpipe, 800 x 600).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
runs=3
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    -b) build=$2; shift 2 ;;
    -n) runs=$2; shift 2 ;;
    -o) out=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "usage: $0 [-b build-dir] [-n runs] [-o out-dir] [-- tool options]" >&2; exit 2 ;;
  esac
done
out=${out:-$(mktemp -d /tmp/ulmera-bench.XXXXXX)}
mkdir -p "$out"
# The tool runs from another folder, so the reports need an absolute path.
out=$(cd "$out" && pwd)
bin=$build/run/bin
reports=()
for i in $(seq 1 "$runs"); do
  report=$out/run-$i.json
  (cd "$bin" && ./world-of-ulmera-bench --report "$report" "$@" | sed -n '/^World Of Ulmera benchmark/,$p')
  reports+=("$report")
done
python3 - "${reports[@]}" <<'PY'
import json, statistics, sys
runs = [json.load(open(p)) for p in sys.argv[1:]]
def med(get):
    values = [get(r) for r in runs]
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else float('nan')
print("\nmedian of %d runs (reports in %s)" % (len(runs), sys.argv[1].rsplit('/', 1)[0]))
print("  startup_ms.total           %8.1f" % med(lambda r: r["startup_ms"]["total"]))
for part in runs[0]["startup_ms"]["parts"]:
    print("    %-24s %8.1f" % (part, med(lambda r: r["startup_ms"]["parts"][part])))
def configs(r):
    return [("a", r["ab"]["a"]), ("b", r["ab"]["b"])] if r.get("ab") else [("", r)]
for index, (label, _) in enumerate(configs(runs[0])):
    pick = lambda r: configs(r)[index][1]
    if label:
        print("  [%s] %s" % (label, runs[0]["ab"][label]["name"]))
    for seg in pick(runs[0])["frame_ms"]:
        print("  frame_ms.%-8s median %7.2f  p95 %7.2f  p99 %7.2f  max %7.2f" % (seg,
              med(lambda r: pick(r)["frame_ms"][seg]["median"]), med(lambda r: pick(r)["frame_ms"][seg]["p95"]),
              med(lambda r: pick(r)["frame_ms"][seg]["p99"]), med(lambda r: pick(r)["frame_ms"][seg]["max"])))
    passes = pick(runs[0])["passes_ms"]
    print("  passes_ms " + "  ".join("%s %.2f" % (p, med(lambda r: pick(r)["passes_ms"][p]))
                                     for p in passes if passes[p] is not None))
print("  peak_rss_mb                %8.1f" % med(lambda r: r["peak_rss_mb"]))
PY
