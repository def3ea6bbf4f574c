#!/usr/bin/python3
"""Builds and runs the benchmark program and writes its figures to docs/benchmarks.md.

    tools/docs/benchmarks.py [BUILD_DIR] [--filter REGEX] [--repetitions N] [--no-xlrd] [--no-inventory]
                             [--no-elements]

BUILD_DIR (default build-bench/) is configured with -DZEFRO_BUILD_BENCHMARKS=ON when it is not
yet, and zefro_bench is built in it; an existing build folder keeps its other settings. The figures
are read from Google Benchmark's JSON output. What each benchmark does and what its figures should
be is in docs/benchmarks-explained.md, which this script does not touch. Unless told not to, it also
times the 1,000-item inventory against 1,000 separate runs (tools/bench/compare_inventory.py) and writes
those figures, with the inventory benchmarks', into README's table between its markers; and the
vulnerable elements against SQLite (tools/bench/compare_elements.py), into README's elements table.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import figures  # noqa: E402

UNITS = {"ns": "ns", "us": "µs", "ms": "ms", "s": "s"}


def build(build_dir):
    """Configures (benchmarks on) and builds zefro_bench; the program's path."""
    configure = ["cmake", "-DZEFRO_BUILD_BENCHMARKS=ON"]
    if os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
        configure += [build_dir]
    else:
        configure += ["-S", figures.ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"]
    subprocess.run(configure, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j", str(os.cpu_count() or 1), "--target", "zefro_bench"],
                   check=True)
    return os.path.join(build_dir, "bench", "zefro_bench")


def run_benchmarks(program, repetitions, benchmark_filter):
    """Google Benchmark's JSON report of one run: every benchmark's aggregates."""
    with tempfile.TemporaryDirectory() as scratch:
        report = os.path.join(scratch, "report.json")
        command = [program, "--benchmark_repetitions=%d" % repetitions, "--benchmark_report_aggregates_only=true",
                   "--benchmark_min_time=0.2", "--benchmark_out_format=json", "--benchmark_out=" + report]
        if benchmark_filter:
            command.append("--benchmark_filter=" + benchmark_filter)
        subprocess.run(command, check=True)
        with open(report, encoding="utf-8") as opened:
            return json.load(opened)


def xlrd_comparison(build_dir):
    """The class lookup's reads against python3-xlrd (tools/bench/compare_class_lookup.sh), by field."""
    script = os.path.join(figures.ROOT, "tools", "bench", "compare_class_lookup.sh")
    output = figures.run(["bash", script, build_dir])
    return dict(line.split(": ", 1) for line in output.splitlines() if ": " in line)


def script_comparison(build_dir, script):
    """The "key: value" lines of a comparison script in tools/bench/ (compare_inventory.py: the inventory
    in one run against separate runs; compare_elements.py: the vulnerable elements against SQLite)."""
    output = figures.run(["/usr/bin/python3", os.path.join(figures.ROOT, "tools", "bench", script), build_dir])
    return dict(line.split(": ", 1) for line in output.splitlines() if ": " in line)


# README's tables, each between its markers: name -> (begin, end).
README_MARKERS = {
    "inventory": ("<!-- inventory speed: written by tools/docs/benchmarks.py -->", "<!-- end of inventory speed -->"),
    "elements": ("<!-- elements speed: written by tools/docs/benchmarks.py -->", "<!-- end of elements speed -->"),
}


def medians(report, prefix):
    """The median entry of each benchmark whose name starts with `prefix`, by name."""
    return {entry["run_name"].split("/")[0]: entry for entry in report.get("benchmarks", [])
            if entry.get("aggregate_name") == "median" and entry["run_name"].startswith(prefix)}


def time_text(entry):
    return "%s %s" % (significant(entry["real_time"]), UNITS.get(entry["time_unit"], entry["time_unit"]))


def readme_table(name, report, build_dir, header, rows, closing):
    """One of README's tables: when and where it was measured, the rows, a closing sentence."""
    context = report.get("context", {})
    load = context.get("load_avg") or [0.0]
    busy = load[0] > context.get("num_cpus", os.cpu_count() or 1)
    begin, end = README_MARKERS[name]
    lines = [begin, "",
             "Measured %s on %s; load average %.2f at the start%s." % (
                 figures.today(), figures.machine_line(build_dir), load[0],
                 " (a busy machine: the wall-clock times are longer than on an idle one)" if busy else ""),
             "", "| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    lines += ["", closing, "", end]
    return "\n".join(lines)


def inventory_table(report, comparison, build_dir):
    """The inventory benchmarks' medians and the whole-process comparison."""
    rows = []
    for run_name, entry in medians(report, "BM_SiteInventory").items():
        what = ("in the program: read, estimated, CSV and JSON" if "Estimates" in run_name
                else "in the program: also the PDF and the GIS file")
        rows.append(("%s (`%s`)" % (what, run_name), time_text(entry), ""))
    for key in ("inventory, PDF", "inventory, PDF and GIS file", "separate runs, --json",
                "separate runs, --json and --export"):
        if key in comparison:
            seconds, memory = comparison[key].split(", peak ")
            command = ("one `zefro-estimate --inventory` run" if key.startswith("inventory")
                       else "1,000 `zefro-estimate` runs")
            rows.append(("%s, %s" % (command, key.split(", ", 1)[1]), seconds, memory))
    return readme_table("inventory", report, build_dir, ("1,000 items", "Time", "Peak memory"), rows,
                        "Every separate run gave the inventory's distances (%s differing)."
                        % comparison.get("items whose separate run gives other distances", "?"))


def elements_table(report, comparison, build_dir):
    """The elements benchmarks' medians (the comparison's own run where the report has none) and SQLite's
    whole processes."""
    entries = medians(report, "BM_Elements")

    def zefro(case, what, benchmark):
        if benchmark in entries:
            entry = entries[benchmark]
            peak = ", peak %.0f MB" % entry["peak_rss_MB"] if "peak_rss_MB" in entry else ""
            return time_text(entry) + peak
        return comparison.get("%s, ZEFRO %s" % (case, what), "—")

    rows = []
    for case, matching, reading, target in (
            ("100,000 points, 1,000-item site", "BM_ElementsPointsAgainstSite", "BM_ElementsPointsRead", "1 s"),
            ("10,000 buildings, one estimate", "BM_ElementsBuildingsAgainstEstimate", "BM_ElementsBuildingsRead",
             "100 ms")):
        rows.append(("%s (matching at most %s)" % (case, target), zefro(case, "reading", reading),
                     zefro(case, "matching", matching), comparison.get(case + ", ogrinfo with SQLite", "—")))
    huge = "1,000,000 points, site's region"
    rows.append(("%s (%s of them in it)" % (huge, comparison.get(huge + ", elements read, ZEFRO", "?")),
                 zefro(huge, "reading", "BM_ElementsHugeLayerRegion"), "—",
                 comparison.get(huge + ", ogrinfo with SQLite", "—")))
    return readme_table("elements", report, build_dir,
                        ("Elements against areas", "ZEFRO: reading the layer", "ZEFRO: matching",
                         "`ogrinfo` with SQLite, whole process"), rows,
                        "Counts of the elements each area reaches (and of those in the region) that differ "
                        "between SQLite and ZEFRO: %s." % comparison.get("counts that differ", "?"))


def write_readme_table(name, table):
    path = os.path.join(figures.ROOT, "README.md")
    with open(path, encoding="utf-8") as opened:
        text = opened.read()
    begin_marker, end_marker = README_MARKERS[name]
    begin, end = text.find(begin_marker), text.find(end_marker)
    if begin < 0 or end < begin:
        sys.exit("README.md has no %s speed markers" % name)
    figures.write(path, text[:begin] + table + text[end + len(end_marker):])


def significant(value):
    """Three significant figures, no exponent."""
    if value == 0:
        return "0"
    if abs(value) >= 10000:
        return "{:,.0f}".format(value)
    text = "%.3g" % value
    if "e" in text:
        text = "%.0f" % value if abs(value) >= 1 else "%.6f" % value
    return text


def counter_names(entry):
    standard = {"name", "family_index", "per_family_instance_index", "run_name", "run_type", "repetitions",
                "repetition_index", "threads", "aggregate_name", "aggregate_unit", "iterations", "real_time",
                "cpu_time", "time_unit", "label", "error_occurred", "error_message"}
    return [key for key in entry if key not in standard]


def rows(report):
    """One table row per benchmark: its median, spread, CPU median, repetitions and other figures."""
    by_run = {}
    for entry in report.get("benchmarks", []):
        by_run.setdefault(entry.get("run_name", entry["name"]), []).append(entry)
    lines = []
    for name, entries in by_run.items():
        failed = next((e for e in entries if e.get("error_occurred")), None)
        if failed:
            lines.append("| `%s` | failed: %s | | | | |" % (name, failed.get("error_message", "?")))
            continue
        aggregate = {e.get("aggregate_name", "single"): e for e in entries}
        median = aggregate.get("median") or aggregate.get("single") or entries[0]
        spread = aggregate.get("stddev")
        unit = UNITS.get(median["time_unit"], median["time_unit"])
        runs = str(median.get("repetitions", 1))
        others = ", ".join("%s %s" % (key, significant(median[key])) for key in counter_names(median))
        lines.append("| `%s` | %s %s | %s | %s %s | %s | %s |" % (
            name, significant(median["real_time"]), unit,
            "± %s %s" % (significant(spread["real_time"]), unit) if spread else "—",
            significant(median["cpu_time"]), unit, runs, others or ""))
    return lines


def document(report, build_dir, command, comparison, inventory, elements):
    context = report.get("context", {})
    load = context.get("load_avg")
    text = figures.generated_notice("tools/docs/benchmarks.py")
    text += "# Benchmark figures\n\n"
    text += ("What each benchmark does, what its figures mean and what they should be: "
             "[benchmarks-explained.md](benchmarks-explained.md). This file says what one run measured.\n\n")
    text += "- Date: %s\n" % context.get("date", figures.today())
    text += "- Commit: `%s`\n" % figures.commit()
    text += "- Machine: %s\n" % figures.machine_line(build_dir)
    if load:
        text += "- Load average when the run started: %s\n" % ", ".join("%.2f" % value for value in load)
        if load[0] > context.get("num_cpus", os.cpu_count() or 1):
            text += ("- The machine was busy (a load above its cores): other work shared the processors, so "
                     "the wall-clock times are longer than on an idle machine; the CPU times suffer less.\n")
    text += "- Command: `%s`\n\n" % command
    text += ("Times are wall-clock times of one iteration: the median of the repetitions and, as spread, "
             "their standard deviation. CPU is the median CPU time of the process per iteration. Other "
             "figures are the benchmark's own counters, the median over the repetitions.\n\n")
    text += "| Benchmark | Median | Spread | CPU | Repetitions | Other figures |\n|---|---|---|---|---|---|\n"
    text += "\n".join(rows(report)) + "\n"
    if comparison:
        text += ("\nThe class lookup's reads against python3-xlrd on the same workbooks "
                 "(`tools/bench/compare_class_lookup.sh`):\n\n")
        for key in ("rows read", "zefro reader median", "python3-xlrd median", "ratio xlrd / zefro"):
            if key in comparison:
                text += "- %s: %s\n" % (key, comparison[key])
    if inventory:
        text += ("\nThe 1,000-item inventory in one run against 1,000 separate runs, as whole processes "
                 "(`tools/bench/compare_inventory.py`):\n\n")
        for key, value in inventory.items():
            text += "- %s: %s\n" % (key, value)
    if elements:
        text += ("\nThe vulnerable elements each damage area reaches, against SQLite (`ogrinfo -dialect sqlite`, "
                 "the GeoPackages' R-trees, SpatiaLite's ST_Intersects) on the benchmarks' data, as whole "
                 "processes (`tools/bench/compare_elements.py`):\n\n")
        for key, value in elements.items():
            text += "- %s: %s\n" % (key, value)
    return text


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build_dir", nargs="?", default=os.path.join(figures.ROOT, "build-bench"))
    parser.add_argument("--filter", help="only the benchmarks whose names match this regular expression")
    parser.add_argument("--repetitions", type=int, default=5,
                        help="for benchmarks that set no count of their own (default 5)")
    parser.add_argument("--no-xlrd", action="store_true", help="leave out the comparison with python3-xlrd")
    parser.add_argument("--no-inventory", action="store_true",
                        help="leave out the inventory against separate runs (and README's table)")
    parser.add_argument("--no-elements", action="store_true",
                        help="leave out the vulnerable elements against SQLite (and README's table)")
    parser.add_argument("--readme-only", action="store_true",
                        help="write README's tables only, docs/benchmarks.md left as it is "
                             "(with --filter 'SiteInventory|Elements')")
    parser.add_argument("--output", default=os.path.join(figures.ROOT, "docs", "benchmarks.md"))
    args = parser.parse_args()

    build_dir = os.path.abspath(args.build_dir)
    program = build(build_dir)
    report = run_benchmarks(program, args.repetitions, args.filter)
    comparison = None if args.no_xlrd or args.readme_only else xlrd_comparison(build_dir)
    inventory = None if args.no_inventory else script_comparison(build_dir, "compare_inventory.py")
    elements = None if args.no_elements else script_comparison(build_dir, "compare_elements.py")
    command = "tools/docs/benchmarks.py BUILD --repetitions %d%s%s%s%s" % (
        args.repetitions, " --filter '%s'" % args.filter if args.filter else "", " --no-xlrd" if args.no_xlrd else "",
        " --no-inventory" if args.no_inventory else "", " --no-elements" if args.no_elements else "")
    if not args.readme_only:
        figures.write(args.output, document(report, build_dir, command, comparison, inventory, elements))
    if inventory:
        write_readme_table("inventory", inventory_table(report, inventory, build_dir))
    if elements:
        write_readme_table("elements", elements_table(report, elements, build_dir))
    failed = [e["name"] for e in report.get("benchmarks", []) if e.get("error_occurred")]
    if failed:
        sys.exit("benchmarks failed: %s" % ", ".join(failed))


if __name__ == "__main__":
    main()
