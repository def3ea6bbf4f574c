#!/usr/bin/python3
"""The cells of one class lookup read with xlrd, as a yardstick for the C++ reader.

Usage: /usr/bin/python3 tools/bench/xlrd_class_lookup.py FOLDER [REPETITIONS]
FOLDER holds the eleven class workbooks. Prints the median time of one lookup in milliseconds:
eleven workbooks opened, 280 CAS cells of the flammable tables and the CAS and zone cells of
144 toxic rows read, the worksheet fetched again for every cell.
"""
import os
import statistics
import sys
import time

import xlrd

# file, worksheet (1-based), first row, last row, CAS column, zone column; as the class lookup reads.
CLASSES = [
    ("111.xls", 6, 1, 80, "A", None),
    ("112.xls", 6, 1, 72, "A", None),
    ("12.xls", 6, 1, 23, "A", None),
    ("211.xls", 6, 1, 12, "A", None),
    ("212.xls", 6, 1, 20, "A", None),
    ("22.xls", 6, 1, 36, "A", None),
    ("23.xls", 6, 1, 37, "A", None),
    ("classe 4 tabelle nomi e indicazione zona.xls", 1, 4, 75, "C", "A"),
    ("classe 51 tabelle nomi e indicazione zone.xls", 1, 4, 25, "C", "A"),
    ("classe 52 tabelle nomi e indicazione zone.xls", 1, 4, 28, "C", "A"),
    ("classe 53 tabelle nomi e indicazione zone.xls", 1, 4, 28, "C", "A"),
]


def column(letters):
    index = 0
    for letter in letters:
        index = index * 26 + ord(letter) - ord("A") + 1
    return index - 1


def read_cell(book, sheet, row, col):
    table = book.sheet_by_index(sheet - 1)
    if row >= table.nrows or col >= table.ncols:
        return ""
    return table.cell_value(row, col)


def class_lookup(folder):
    rows = 0
    for name, sheet, first, last, cas, zone in CLASSES:
        book = xlrd.open_workbook(os.path.join(folder, name))
        for row in range(first, last + 1):
            read_cell(book, sheet, row - 1, column(cas))
            if zone:
                read_cell(book, sheet, row - 1, column(zone))
            rows += 1
    return rows


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    folder = sys.argv[1]
    repetitions = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    rows = class_lookup(folder)  # warm-up, and the row count
    times = []
    for _ in range(repetitions):
        start = time.perf_counter()
        class_lookup(folder)
        times.append((time.perf_counter() - start) * 1000.0)
    print("rows=%d repetitions=%d median_ms=%.3f" % (rows, repetitions, statistics.median(times)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
