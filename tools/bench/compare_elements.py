#!/usr/bin/python3
"""Which vulnerable elements the damage areas reach: ZEFRO's benchmarks against SQLite (through
ogrinfo -dialect sqlite on the same GeoPackages), the counts checked to be equal.

    cmake -S . -B build -DZEFRO_BUILD_BENCHMARKS=ON && cmake --build build -j2 --target zefro_bench
    tools/bench/compare_elements.py build

The data are the benchmarks' own (bench/bench_elements.cpp), copied out of one run of the BM_Elements
benchmarks: 100,000 points against a 1,000-item site's 8,000 areas, 10,000 building squares against one
estimate's eight areas, and a 1,000,000-point layer read through the site's region. For SQLite the
areas' layer is first appended to a copy of the elements' GeoPackage (not timed: one query sees one
file); then one ogrinfo process per case, timed as a whole, counts per area (slot) the elements that any
area of that slot meets with SpatiaLite's ST_Intersects, the candidates found in the GeoPackage's R-tree
(rtree_<layer>_geom, searched with each area's bounding box). The large layer's count is an R-tree
search of the region, each point's coordinates then checked. Prints "key: value" lines, which
tools/docs/benchmarks.py writes into docs/benchmarks.md and README.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SLOTS = 8
# The site's region, as bench/bench_elements.cpp reads the large layer through it.
SITE_REGION = (478500.0, 5027500.0, 483000.0, 5031500.0)
# Case name, elements' file and layer, areas' file, matching and reading benchmarks.
CASES = (
    ("100,000 points, 1,000-item site", "elementi-punti.gpkg", "elementi", "aree-sito.gpkg",
     "BM_ElementsPointsAgainstSite", "BM_ElementsPointsRead"),
    ("10,000 buildings, one estimate", "edifici.gpkg", "edifici", "aree-stima.gpkg",
     "BM_ElementsBuildingsAgainstEstimate", "BM_ElementsBuildingsRead"),
)
HUGE = ("1,000,000 points, site's region", "elementi-enorme.gpkg", "elementi", "BM_ElementsHugeLayerRegion")


def timed(command):
    """Wall-clock seconds and peak resident memory (MB) of one process; its standard output."""
    started = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    output = process.stdout.read()
    _, status, usage = os.wait4(process.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: %s" % " ".join(command))
    return time.monotonic() - started, usage.ru_maxrss / 1024.0, output.decode("utf-8", "replace")


def reached_query(layer):
    """Per slot, the elements some area of it meets: the R-tree searched with each area's box first
    (CROSS JOIN keeps SQLite from scanning the R-tree whole), then the exact test."""
    return ("SELECT a.slot AS slot, COUNT(DISTINCT e.fid) AS reached FROM aree a "
            "CROSS JOIN rtree_{0}_geom r CROSS JOIN {0} e "
            "WHERE r.minx <= ST_MaxX(a.geom) AND r.maxx >= ST_MinX(a.geom) "
            "AND r.miny <= ST_MaxY(a.geom) AND r.maxy >= ST_MinY(a.geom) "
            "AND e.fid = r.id AND ST_Intersects(a.geom, e.geom) GROUP BY a.slot").format(layer)


def region_query(layer):
    west, south, east, north = SITE_REGION
    return ("SELECT COUNT(*) AS reached FROM rtree_{0}_geom r CROSS JOIN {0} e "
            "WHERE r.minx <= {3} AND r.maxx >= {1} AND r.miny <= {4} AND r.maxy >= {2} AND e.fid = r.id "
            "AND ST_X(e.geom) BETWEEN {1} AND {3} AND ST_Y(e.geom) BETWEEN {2} AND {4}").format(
                layer, west, south, east, north)


def ogr_counts(output):
    """The (slot, count) rows of ogrinfo's answer; the slot None for a query without one."""
    slots = [int(v) for v in re.findall(r"^\s*slot \(Integer\) = (\d+)", output, re.M)]
    counts = [int(v) for v in re.findall(r"^\s*reached \(Integer(?:64)?\) = (\d+)", output, re.M)]
    return dict(zip(slots, counts)) if slots else {None: counts[0] if counts else -1}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build_dir")
    args = parser.parse_args()
    bench = os.path.join(args.build_dir, "bench", "zefro_bench")
    if not os.access(bench, os.X_OK):
        sys.exit("no %s (configure with -DZEFRO_BUILD_BENCHMARKS=ON and build)" % bench)
    for tool in ("ogrinfo", "ogr2ogr"):
        if not shutil.which(tool):
            sys.exit("no %s (Debian package gdal-bin)" % tool)

    lines = []
    differing = 0
    with tempfile.TemporaryDirectory() as scratch:
        copy = os.path.join(scratch, "copia")
        ran = subprocess.run([bench, "--benchmark_filter=^BM_Elements", "--benchmark_format=json"], check=True,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                             env=dict(os.environ, ZEFRO_BENCH_ELEMENTS_COPY=copy, QT_QPA_PLATFORM="offscreen"))
        report = {entry["name"]: entry for entry in json.loads(ran.stdout)["benchmarks"]}
        failed = [name for name, entry in report.items() if entry.get("error_occurred")]
        if failed:
            sys.exit("benchmarks failed: %s" % ", ".join(failed))

        for name, elements, layer, areas, matching, reading in CASES:
            combined = os.path.join(scratch, "insieme-" + elements)
            shutil.copyfile(os.path.join(copy, elements), combined)
            subprocess.run(["ogr2ogr", "-append", combined, os.path.join(copy, areas), "aree"], check=True)
            seconds, memory, output = timed(["ogrinfo", "-q", combined, "-dialect", "sqlite", "-sql",
                                             reached_query(layer)])
            sqlite = ogr_counts(output)
            zefro = {slot: int(report[matching].get("reached_slot%d" % slot, 0)) for slot in range(SLOTS)}
            differing += sum(1 for slot in range(SLOTS) if zefro[slot] != sqlite.get(slot, 0))
            lines += [
                "%s, ZEFRO reading: %.1f ms" % (name, report[reading]["real_time"]),
                "%s, ZEFRO matching: %.1f ms" % (name, report[matching]["real_time"]),
                "%s, ogrinfo with SQLite: %.2f s, peak %.0f MB" % (name, seconds, memory),
                "%s, reached per area, ZEFRO: %s" % (name, " ".join(str(zefro[s]) for s in range(SLOTS))),
                "%s, reached per area, SQLite: %s" % (name, " ".join(str(sqlite.get(s, 0)) for s in range(SLOTS))),
            ]

        name, elements, layer, reading = HUGE
        seconds, memory, output = timed(["ogrinfo", "-q", os.path.join(copy, elements), "-dialect", "sqlite",
                                         "-sql", region_query(layer)])
        zefro, sqlite = int(report[reading]["elements"]), ogr_counts(output)[None]
        differing += zefro != sqlite
        lines += [
            "%s, ZEFRO reading: %.1f ms, peak %.0f MB (%.0f MB before)" % (
                name, report[reading]["real_time"], report[reading]["peak_rss_MB"],
                report[reading]["baseline_rss_MB"]),
            "%s, ogrinfo with SQLite: %.2f s, peak %.0f MB" % (name, seconds, memory),
            "%s, elements read, ZEFRO: %d" % (name, zefro),
            "%s, elements read, SQLite: %d" % (name, sqlite),
        ]

    print("\n".join(lines))
    print("counts that differ: %d" % differing)
    if differing:
        sys.exit("SQLite does not count the elements ZEFRO finds")


if __name__ == "__main__":
    main()
