#!/usr/bin/python3
"""A 1,000-item site inventory in one zefro-estimate --inventory run against 1,000 separate runs of the
same items, as whole processes: wall-clock time and peak memory.

    cmake -S . -B build -DZEFRO_BUILD_BENCHMARKS=ON && cmake --build build -j2
    tools/bench/compare_inventory.py build [--repetitions N]

The inventory is the benchmark's own (bench/bench_inventory.cpp, every class, containment and entry of
the catalogue), copied out of BM_SiteInventoryEstimates. Each separate run is zefro-estimate --json for
the item (its entry by number, the "voce" column), and, for the GIS side, the same with --at and --crs
--export of the item's areas. The separate runs' distances are checked against risultati.json's, item by
item. Prints "key: value" lines, which tools/docs/benchmarks.py writes into docs/benchmarks.md.
"""

import argparse
import csv
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

CRS = "EPSG:32632"  # the georeferenced sample sheet's system, where the benchmark places its items


def timed(command):
    """Wall-clock seconds and peak resident memory (MB) of one process; its standard output."""
    started = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    output = process.stdout.read()
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit("failed (%d): %s" % (process.returncode, " ".join(command)))
    return time.monotonic() - started, usage.ru_maxrss / 1024.0, output


def separate_command(program, row, gis_file=None):
    command = [program, "--name", row["sostanza"], "--class", row["classe"], "--hypothesis", row["ipotesi"],
               "--containment", row["detenzione"], "--json"]
    if row["voce"]:
        command += ["--range", row["voce"]]
    if gis_file:
        command += ["--at", "%s,%s" % (row["est"], row["nord"]), "--crs", CRS, "--export", gis_file]
    return command


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build_dir")
    parser.add_argument("--repetitions", type=int, default=3, help="of each one-run command (default 3)")
    args = parser.parse_args()
    bench = os.path.join(args.build_dir, "bench", "zefro_bench")
    program = os.path.abspath(os.path.join(args.build_dir, "zefro-estimate"))
    for needed in (bench, program):
        if not os.access(needed, os.X_OK):
            sys.exit("no %s (configure with -DZEFRO_BUILD_BENCHMARKS=ON and build)" % needed)

    with tempfile.TemporaryDirectory() as scratch:
        inventory = os.path.join(scratch, "inventario.csv")
        subprocess.run([bench, "--benchmark_filter=^BM_SiteInventoryEstimates"], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=dict(os.environ, ZEFRO_BENCH_INVENTORY_COPY=inventory))
        with open(inventory, encoding="utf-8", newline="") as opened:
            rows = list(csv.DictReader(opened, delimiter=";"))

        one_run = {}
        for name, extra in (("inventory, PDF", []), ("inventory, PDF and GIS file", ["--crs", CRS])):
            figures = [timed([program, "--inventory", inventory, "--out-dir", os.path.join(scratch, "sito"),
                              "--overwrite"] + extra)[:2] for _ in range(args.repetitions)]
            one_run[name] = (statistics.median(f[0] for f in figures), max(f[1] for f in figures))
        with open(os.path.join(scratch, "sito", "risultati.json"), encoding="utf-8") as opened:
            estimated = {item["id"]: item["estimate"]["distances"] for item in json.load(opened)["items"]}

        separate = {}
        differing = 0
        for name, gis in (("separate runs, --json", False), ("separate runs, --json and --export", True)):
            started = time.monotonic()
            peak = 0.0
            for row in rows:
                gis_file = os.path.join(scratch, "%s.gpkg" % row["id"]) if gis else None
                _, memory, output = timed(separate_command(program, row, gis_file))
                peak = max(peak, memory)
                if json.loads(output)["distances"] != estimated.get(row["id"]):
                    differing += 1
            separate[name] = (time.monotonic() - started, peak)

    print("items: %d" % len(rows))
    for name, (seconds, memory) in list(one_run.items()) + list(separate.items()):
        print("%s: %.2f s, peak %.0f MB" % (name, seconds, memory))
    print("items whose separate run gives other distances: %d" % differing)
    print("ratio separate / inventory, PDF and GIS file: %.0f" % (
        separate["separate runs, --json and --export"][0] / one_run["inventory, PDF and GIS file"][0]))
    if differing:
        sys.exit("the separate runs do not give the inventory's distances")


if __name__ == "__main__":
    main()
