#!/usr/bin/python3
"""Makes the bundled example data workbooks (36 .xls files) from the screening model.

    /usr/bin/python3 tools/workbooks/make_workbooks.py            # writes the bundled data folder
    /usr/bin/python3 tools/workbooks/make_workbooks.py --check    # regenerates into a temporary folder and
                                                                  # compares byte for byte (exit 1 on a difference)
    /usr/bin/python3 tools/workbooks/make_workbooks.py --report   # reference cases of the model, unrounded

The model constants come from params.json, every list and table from the text tables in tables/ and
from the catalogue tables in src/catalogue/tables/. check_generated.py checks these and the test drives
of make_test_drives.py together. See README.md in this folder.
"""

import sys
sys.dont_write_bytecode = True  # keep the source tree clean when run from the tests

import argparse
import filecmp
import hashlib
import json
import os
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from model import Model  # noqa: E402
from xlsgen import Book, column_letters  # noqa: E402

REPO = os.path.dirname(os.path.dirname(HERE))
DATA_FOLDER = os.path.join("c", "revisione metodo speditivo", "dati", "Dati input ZEFRO 200605")
BUNDLED_DIR = os.path.join(REPO, "data", DATA_FOLDER)
PARAMS = os.path.join(HERE, "params.json")
TABLES = os.path.join(HERE, "tables")
CATALOGUE = os.path.join(REPO, "src", "catalogue", "tables")

FLAMMABLE = [("1_1_1", "111.xls"), ("1_1_2", "112.xls"), ("1_2", "12.xls"), ("2_1_1", "211.xls"),
             ("2_1_2", "212.xls"), ("2_2", "22.xls"), ("2_3", "23.xls")]
FLAMMABLE_TITLES = {
    "1_1_1": "1_1_1 Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C (Punto di infiammabilità > 20°C)",
    "1_1_2": "1_1_2 Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C (Punto di infiammabilità < 20°C)",
    "1_2": "1_2 Liquidi infiammabili con tensione di vapore > 0.3 bar a 20°C",
    "2_1_1": "2_1_1 Gas infiammabili liquefatti per compressione (Teb > -8°C)",
    "2_1_2": "2_1_2 Gas infiammabili liquefatti per compressione (Teb < -8°C)",
    "2_2": "2_2 Gas infiammabili liquefatti per refrigerazione",
    "2_3": "2_3 Gas infiammabili semplicemente compressi",
}
TOXIC = [("4", "classe 4 tabelle nomi e indicazione zona.xls"),
         ("51", "classe 51 tabelle nomi e indicazione zone.xls"),
         ("52", "classe 52 tabelle nomi e indicazione zone.xls"),
         ("53", "classe 53 tabelle nomi e indicazione zone.xls")]
TOXIC_TITLES = {"4": "4 Liquidi tossici", "51": "51 Gas tossici liquefatti per compressione",
                "52": "52 Gas tossici liquefatti per refrigerazione", "53": "53 Gas tossici semplicemente compressi"}
LABEL_PREFIX = {"4": "4.", "51": "5.1.", "52": "5.2.", "53": "5.3."}
CORRESPONDENCE = "corrispondenza coppie tossici.xls"
SUBCLASSES = range(1, 7)
CONTAINMENTS = [(1, "Con bacino"), (2, "Senza bacino"), (3, "Autobotti Ferrocisterne"), (4, "Navi"), (5, "Condotte")]
CONTAINMENT_TEXT = {1: "Stoccaggi fissi con bacino di contenimento", 2: "Stoccaggi fissi senza bacino di contenimento",
                    3: "Autobotti/Ferrocisterne", 4: "Navi", 5: "Condotte"}
HYPOTHESES = [("MP", 3, "Ipotesi più probabile"), ("AV", 7, "Ipotesi media")]
WEATHERS = ["D5", "F2"]
PAIR_COLUMNS = [column_letters(2 + 2 * i) for i in range(8)]  # C, E, G, ..., Q


def subclass_file(family, k):
    return "%s%d.xls" % (family, k)


# ---- text tables ----------------------------------------------------------------------------------

def read_rows(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                yield line.split("\t")


def number(text):
    v = float(text)
    return int(v) if v.is_integer() else v


def load_tables():
    t = {}
    t["catalogue"] = {cas: name for _, name, cas in read_rows(os.path.join(CATALOGUE, "substances.tsv"))}
    t["extra_names"] = {cas: name for cas, name in read_rows(os.path.join(TABLES, "extra_names.tsv"))}
    t["quickpick"] = {code: cas.split(" ") for code, cas in read_rows(os.path.join(CATALOGUE, "quickpick.tsv"))}
    ranges = {}
    for cls, sheet, lo, hi in read_rows(os.path.join(TABLES, "ranges.tsv")):
        ranges.setdefault((cls, int(sheet)), []).append((number(lo), number(hi)))
    t["ranges"] = ranges
    corr = {}
    for sheet, cls, lo, hi, mp, av in read_rows(os.path.join(TABLES, "correspondence.tsv")):
        corr.setdefault(int(sheet), []).append((int(cls), number(lo), number(hi), int(mp), int(av)))
    t["correspondence"] = corr
    t["toxic"] = {}
    t["matrix"] = {}
    for cls, _ in TOXIC:
        t["toxic"][cls] = [(int(z), name, cas) for z, name, cas, *_ in read_rows(os.path.join(TABLES, "toxic_%s.tsv" % cls))]
        t["matrix"][cls] = [[int(g), int(p), int(th), int(w)] + labels
                            for g, p, th, w, *labels in read_rows(os.path.join(TABLES, "matrix_%s.tsv" % cls))]
    return t


def toxic_ranges(tables, family, sheet):
    return [(lo, hi) for cls, lo, hi, _, _ in tables["correspondence"][sheet] if cls == int(family)]


# ---- the distance tables --------------------------------------------------------------------------

class SanityError(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise SanityError(message)


def distance_table(model, cls, sheet, ranges, k=None):
    """{(hyp, weather, range index): [4 cells]} for one distance sheet, rounded as the tables hold them."""
    fixed = model.p["containment"][str(sheet)].get("inventory_t")
    if fixed is not None:
        check(ranges == [(0, fixed)], "%s sheet %d: the one case must read 0 - %g" % (cls, sheet, fixed))
    table = {}
    for hyp, _, _ in HYPOTHESES:
        for i, (lo, hi) in enumerate(ranges):
            rep = model.representative(lo, hi)
            for w in WEATHERS:
                table[(hyp, w, i)] = (model.raw(cls, sheet, rep, hyp, w, k))
    return table


def assert_sanity(model, cls, sheet, ranges, raw, k=None, below=None):
    """The model's sanity properties on one sheet (before any fallback zero is written)."""
    where = "%s sheet %d%s" % (cls, sheet, "" if k is None else " sub-class %d" % k)
    allowed = {0, model.p["output"]["above_cap"]}
    step = model.p["output"]["step_m"]
    for hyp, _, _ in HYPOTHESES:
        scenario = model.scenario(cls, hyp)
        for i in range(len(ranges)):
            cells = {w: [model.cell(x) for x in raw[(hyp, w, i)]] for w in WEATHERS}
            for w in WEATHERS:
                row = cells[w]
                for t, (x, v) in enumerate(zip(raw[(hyp, w, i)], row)):
                    check(v in allowed or (v % step == 0 and step <= v <= model.p["output"]["cap_m"]),
                          "%s: value %r" % (where, v))
                    check((x is None) == (v == 0), "%s: zero where a threshold applies (t%d)" % (where, t + 1))
                nonzero = [v for v in row if v]
                check(nonzero == sorted(nonzero), "%s %s %s range %d: thresholds not increasing %r" % (where, hyp, w, i, row))
                if i > 0:
                    prev = [model.cell(x) for x in raw[(hyp, w, i - 1)]]
                    check(all(a <= b for a, b in zip(prev, row)),
                          "%s %s %s: range %d below range %d" % (where, hyp, w, i, i - 1))
                if below is not None:
                    lower = [model.cell(x) for x in below[(hyp, w, i)]]
                    check(all(a <= b for a, b in zip(lower, row)), "%s %s %s range %d: below the sub-class under it" % (where, hyp, w, i))
            if scenario == "pool":
                check(cells["D5"] == cells["F2"], "%s: pool fire D5 != F2" % where)
            else:
                check(all(a <= b for a, b in zip(cells["D5"], cells["F2"])), "%s %s range %d: F2 < D5" % (where, hyp, i))


def fill_distance_sheet(model, sh, cls, sheet, ranges, raw, unit, fallback_cutoff=None):
    """Writes rows 1..10 (bounds, weather heads, distances) and the row labels of one distance sheet.
    Returns the number of fallback zeros written."""
    zeros = 0
    sh.put("A1", "limiti [%s]" % unit)
    sh.put("A2", "meteo")
    for hyp, first, text in HYPOTHESES:
        for t in range(4):
            sh.put("A%d" % (first + t), text)
            sh.put("B%d" % (first + t), "soglia %d" % (t + 1))
    for i, (lo, hi) in enumerate(ranges):
        col = PAIR_COLUMNS[i]
        sh.put(col + "1", [lo, hi])
        sh.put(col + "2", ["D5", "F2"])
        for hyp, first, _ in HYPOTHESES:
            for j, w in enumerate(WEATHERS):
                for t, x in enumerate(raw[(hyp, w, i)]):
                    v = model.cell(x)
                    if fallback_cutoff is not None and x is not None and x > fallback_cutoff:
                        v = 0
                        zeros += 1
                    sh.set(first + t - 1, 2 + 2 * i + j, v)
    return zeros


def note_block(sh, address, notes):
    sh.put_column(address, notes)


# ---- the workbooks --------------------------------------------------------------------------------

def build_bundled(params, params_sha, tables):
    model = Model(params)
    notes = [params["note"], params["replace_note"], "SHA-256 params.json: " + params_sha]
    books = {}
    stats = {"fallback_zeros": {}, "above_cap": 0, "cells": 0}

    def scenario_text(cls):
        kinds = {"pool": "Pool Fire", "flash": "Flash Fire", "vce": "VCE", "toxic": "Nube Tossica"}
        return "; ".join("%s: %s" % (text, kinds[model.scenario(cls, hyp)]) for hyp, _, text in HYPOTHESES)

    # Flammable class workbooks: five distance sheets and the substance list.
    for cls, filename in FLAMMABLE:
        book = Book([name for _, name in CONTAINMENTS] + ["Sostanze"])
        for sheet, _ in CONTAINMENTS:
            ranges = tables["ranges"][(cls, sheet)]
            check(len(ranges) <= 8, "%s sheet %d: more than eight ranges" % (cls, sheet))
            raw = distance_table(model, cls, sheet, ranges)
            assert_sanity(model, cls, sheet, ranges, raw)
            sh = book.sheet(sheet)
            fill_distance_sheet(model, sh, cls, sheet, ranges, raw, "in" if sheet == 5 else "t")
            note_block(sh, "A12", notes + ["classe " + FLAMMABLE_TITLES[cls], CONTAINMENT_TEXT[sheet], scenario_text(cls)])
            stats["cells"] += 16 * len(ranges)
        sh = book.sheet(6)
        for row, cas in enumerate(tables["quickpick"][cls], start=1):
            name = tables["catalogue"].get(cas) or tables["extra_names"][cas]
            sh.put("A%d" % row, [cas, name])
        note_block(sh, "D1", notes + ["classe " + FLAMMABLE_TITLES[cls]])
        books[filename] = book

    # Toxic zone workbooks: substance list and sub-class matrix.
    for cls, filename in TOXIC:
        book = Book(["Sostanze", "Sottoclassi"])
        sh = book.sheet(1)
        sh.put("A1", "Classe " + TOXIC_TITLES[cls])
        sh.put("A3", ["zona", "sostanza", "CAS"])
        for row, (zone, name, cas) in enumerate(tables["toxic"][cls], start=4):
            sh.put("A%d" % row, [zone, name, cas])
        note_block(sh, "E1", notes)
        sh = book.sheet(2)
        note_block(sh, "A1", notes)
        zones = len(tables["matrix"][cls][0]) - 4
        sh.put("A4", ["gruppo", "coppia", "soglia", "meteo", ""] + ["zona %d" % z for z in range(1, zones + 1)])
        for row, values in enumerate(tables["matrix"][cls], start=5):
            sh.put("A%d" % row, values[:4] + [None] + values[4:])
        books[filename] = book

    # The range correspondence.
    book = Book([name for _, name in CONTAINMENTS])
    for sheet, _ in CONTAINMENTS:
        sh = book.sheet(sheet)
        sh.put("A1", "Corrispondenza range - coppie: " + CONTAINMENT_TEXT[sheet])
        sh.put("A2", ["classe", "limite inferiore", "limite superiore", "coppia Ipotesi più probabile", "coppia Ipotesi media"])
        for row, values in enumerate(tables["correspondence"][sheet], start=3):
            sh.put("A%d" % row, list(values))
        note_block(sh, "H1", notes)
    books[CORRESPONDENCE] = book

    # Toxic sub-class distance workbooks.
    cutoff = params["fallback"]["cutoff_m"]
    for family, _ in TOXIC:
        below = {}
        for k in SUBCLASSES:
            book = Book([name for _, name in CONTAINMENTS])
            lc50, idlh = model.toxic_thresholds_mg_m3(k)
            zeros = 0
            for sheet, _ in CONTAINMENTS:
                ranges = toxic_ranges(tables, family, sheet)
                raw = distance_table(model, family, sheet, ranges, k)
                assert_sanity(model, family, sheet, ranges, raw, k, below.get(sheet))
                below[sheet] = raw
                sh = book.sheet(sheet)
                zeros += fill_distance_sheet(model, sh, family, sheet, ranges, raw, "in" if sheet == 5 else "t",
                                             cutoff if k == SUBCLASSES[-1] else None)
                extra = ["sottoclasse %s%d: soglia 1 = LC50 %.4g mg/m3, soglia 3 = IDLH %.4g mg/m3"
                         % (LABEL_PREFIX[family], k, lc50, idlh), CONTAINMENT_TEXT[sheet], scenario_text(family)]
                if k == SUBCLASSES[-1]:
                    extra.append("0 nelle soglie 1 e 3: distanza oltre %d m, il programma usa la sottoclasse %s%d come limite inferiore"
                                 % (cutoff, LABEL_PREFIX[family], k - 1))
                note_block(sh, "A12", notes + extra)
                stats["cells"] += 16 * len(ranges)
            if k == SUBCLASSES[-1]:
                check(zeros > 0, "%s: no fallback cell in the last sub-class" % family)
                stats["fallback_zeros"][subclass_file(family, k)] = zeros
            books[subclass_file(family, k)] = book

    for book in books.values():
        for sh in book.sheets:
            stats["above_cap"] += sum(1 for (r, c), v in sh.cells.items()
                                      if v == params["output"]["above_cap"] and 2 <= r <= 9 and 2 <= c <= 17)
    check_tables(tables)
    return books, stats


def check_tables(tables):
    """Consistency of the text tables that the program relies on."""
    gas_lists = set().union(*(tables["quickpick"][c] for c, _ in FLAMMABLE if c.startswith("2")))
    liquid_lists = set().union(*(tables["quickpick"][c] for c, _ in FLAMMABLE if c.startswith("1")))
    rows = {"4": 72, "51": 22, "52": 25, "53": 25}
    # The class search keeps the zone of the last toxic table that lists a substance, whichever
    # toxic class is chosen afterwards: a substance in two tables needs one zone.
    zones_of = {}
    for cls, _ in TOXIC:
        for zone, _, cas in tables["toxic"][cls]:
            zones_of.setdefault(cas, set()).add(zone)
    for cas, zones in zones_of.items():
        check(len(zones) == 1, "%s has the zones %s in different toxic tables" % (cas, sorted(zones)))
    for cls, _ in TOXIC:
        subs = tables["toxic"][cls]
        check(len(subs) <= rows[cls], "class %s: more substances than searched rows" % cls)
        zones = len(tables["matrix"][cls][0]) - 4
        for zone, name, cas in subs:
            check(tables["catalogue"].get(cas) == name, "class %s: %s is not %s in the catalogue" % (cls, cas, name))
            check(1 <= zone <= zones and zone + 5 <= 77, "class %s: zone %d without a matrix column" % (cls, zone))
            # The last class found decides whether diameters of gases are offered: keep gas and liquid apart.
            check(cas not in (gas_lists if cls == "4" else liquid_lists), "class %s: %s is also in a flammable list of the other state" % (cls, cas))
        matrix = tables["matrix"][cls]
        check(len(matrix) <= 200, "class %s: matrix beyond row 204" % cls)
        for row in matrix:
            for label in row[4:]:
                check(label in ["%s%d" % (LABEL_PREFIX[cls], k) for k in SUBCLASSES], "class %s: label %r" % (cls, label))
    for sheet, rows_ in tables["correspondence"].items():
        check(len(rows_) <= 22, "correspondence sheet %d: more than rows 3..24" % sheet)
        for cls, _ in TOXIC:
            mine = [r for r in rows_ if r[0] == int(cls)]
            check(1 <= len(mine) <= 8, "correspondence sheet %d class %s: %d rows" % (sheet, cls, len(mine)))
            if sheet in (3, 4):
                check(len(mine) == 1 and mine[0][1] == 0, "correspondence sheet %d class %s: one row from 0" % (sheet, cls))
            pairs = {tuple(r[:4]) for r in tables["matrix"][cls]}
            for r in mine:
                for pair in r[3:5]:
                    for g in (1, 2):
                        for t, w in ((1, 1), (3, 1), (1, 2), (3, 2)):
                            check((g, pair, t, w) in pairs, "class %s: no matrix row for group %d pair %d" % (cls, g, pair))


def write_books(books, folder):
    for name, book in books.items():
        book.write(os.path.join(folder, name))


def file_sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def generate(folder):
    with open(PARAMS, encoding="utf-8") as f:
        params = json.load(f)
    books, stats = build_bundled(params, file_sha256(PARAMS), load_tables())
    write_books(books, folder)
    return stats


def compare_trees(expected_root, actual_root):
    """Relative paths that differ between two folders (missing, extra or different bytes)."""
    def listing(root):
        found = set()
        for base, _, files in os.walk(root):
            for name in files:
                found.add(os.path.relpath(os.path.join(base, name), root))
        return found
    expected, actual = listing(expected_root), listing(actual_root)
    diffs = sorted(expected ^ actual)
    for rel in sorted(expected & actual):
        if not filecmp.cmp(os.path.join(expected_root, rel), os.path.join(actual_root, rel), shallow=False):
            diffs.append(rel)
    return diffs


def run_check():
    """Compares the bundled folder with a fresh generation; the test drives are compared by
    check_generated.py, which runs both generators."""
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        generate(os.path.join(tmp, "bundled"))
        for rel in compare_trees(os.path.join(tmp, "bundled"), BUNDLED_DIR):
            if rel.endswith(".xls"):
                failures.append(os.path.join(BUNDLED_DIR, rel))
    for path in failures:
        print("differs from what the generator makes: " + path)
    if failures:
        print("run tools/workbooks/make_workbooks.py, then commit")
        return 1
    print("bundled workbooks are what the generator makes")
    return 0


def run_report():
    with open(PARAMS, encoding="utf-8") as f:
        m = Model(json.load(f))
    rep = m.representative
    fmt = lambda xs: " / ".join("-" if x is None else ("%.0f" % x) for x in xs)  # noqa: E731
    cases = [
        ("1_1_1 bunded 200-1000 t, AV pool fire", lambda w: m.pool_fire("1_1_1", 1, rep(200, 1000), "AV")),
        ("2_1_2 tanker, MP flash fire", lambda w: m.flash_fire("2_1_2", 3, 0, "MP", w)),
        ("2_1_2 tanker, AV VCE", lambda w: m.vce("2_1_2", 3, 0, "AV", w)),
        ("51 tanker, AV, 5.1.4", lambda w: m.toxic("51", 4, 3, 0, "AV", w)),
        ("2_3 pipeline 12-24 in, AV VCE", lambda w: m.vce("2_3", 5, rep(12, 24), "AV", w)),
        ("2_2 bunded 200-1000 t, AV VCE", lambda w: m.vce("2_2", 1, rep(200, 1000), "AV", w)),
        ("4 no bund 10-50 t, MP, 4.3", lambda w: m.toxic("4", 3, 2, rep(10, 50), "MP", w)),
    ]
    for name, f in cases:
        d5, info = f("D5")
        f2, _ = f("F2")
        details = ", ".join("%s %.3g" % (k, v) for k, v in info.items() if isinstance(v, float))
        print("%-40s D5 %-28s F2 %-28s (%s)" % (name, fmt(d5), fmt(f2), details))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", action="store_true", help="compare the committed workbooks with a fresh generation")
    parser.add_argument("--report", action="store_true", help="print the model's reference cases")
    parser.add_argument("--out", default=BUNDLED_DIR, help="folder to write the workbooks into")
    args = parser.parse_args()
    if args.check:
        return run_check()
    if args.report:
        return run_report()
    stats = generate(args.out)
    print("wrote 36 workbooks into %s" % args.out)
    print("distance cells: %d, of which above 10000 m: %d" % (stats["cells"], stats["above_cap"]))
    for name, n in sorted(stats["fallback_zeros"].items()):
        print("fallback zeros in %s: %d" % (name, n))
    return 0


if __name__ == "__main__":
    sys.exit(main())
