#!/usr/bin/env bash
# One class lookup's reads (eleven workbooks, 424 rows) with our reader and with python3-xlrd,
# on the same files: both medians and their ratio.
#
#   cmake -S . -B build -DZEFRO_BUILD_BENCHMARKS=ON && cmake --build build -j2 --target zefro_bench
#   tools/bench/compare_class_lookup.sh build
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-build}"
bench="$build/bench/zefro_bench"
[ -x "$bench" ] || { echo "no benchmark program at $bench (configure with -DZEFRO_BUILD_BENCHMARKS=ON)" >&2; exit 1; }

json="$(mktemp)"
trap 'rm -f "$json"' EXIT
"$bench" --benchmark_filter='^BM_ClassLookupReads$' --benchmark_repetitions=20 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$json" 2>/dev/null

/usr/bin/python3 - "$json" "$here/xlrd_class_lookup.py" <<'PY'
import json
import subprocess
import sys

report = json.load(open(sys.argv[1]))
runs = report.get("benchmarks", [])
failed = [b for b in runs if b.get("error_occurred")]
if failed:
    sys.exit("benchmark failed: %s" % failed[0].get("error_message", "?"))
median = next((b for b in runs if b.get("aggregate_name") == "median"), None)
if median is None:
    sys.exit("benchmark gave no median")
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[median["time_unit"]]
ours = median["real_time"] * scale
folder = median["label"]
line = subprocess.run(["/usr/bin/python3", sys.argv[2], folder, "30"], check=True,
                      capture_output=True, text=True).stdout.split()
fields = dict(item.split("=") for item in line)
theirs = float(fields["median_ms"])
print("workbooks: %s" % folder)
print("rows read: %d (ours) %s (xlrd)" % (int(median.get("rows", 0)), fields["rows"]))
print("zefro reader median: %.3f ms" % ours)
print("python3-xlrd median: %.3f ms" % theirs)
print("ratio xlrd / zefro: %.1f" % (theirs / ours))
PY
