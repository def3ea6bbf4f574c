#!/usr/bin/python3
"""Makes small drive trees for tests from JSON descriptions.

    /usr/bin/python3 tools/workbooks/make_test_drives.py

Each tests/data/workbook-cases/<case>.json gives tests/data/drives/<case>/, a drive root whose data
folder c/revisione metodo speditivo/dati/Dati input ZEFRO 200605/ holds the described workbooks.
The description format is documented in tools/workbooks/README.md. check_generated.py
compares the committed trees with a fresh generation.
"""

import sys
sys.dont_write_bytecode = True  # keep the source tree clean

import glob
import json
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import make_workbooks as bundled  # noqa: E402
from xlsgen import Book  # noqa: E402

CASES_DIR = os.path.join(bundled.REPO, "tests", "data", "workbook-cases")
DRIVES = os.path.join(bundled.REPO, "tests", "data", "drives")


def family_sheets():
    """Worksheet names of every workbook of the data folder, as the bundled set names them."""
    containment = [name for _, name in bundled.CONTAINMENTS]
    names = {}
    for _, filename in bundled.FLAMMABLE:
        names[filename] = containment + ["Sostanze"]
    for _, filename in bundled.TOXIC:
        names[filename] = ["Sostanze", "Sottoclassi"]
    names[bundled.CORRESPONDENCE] = containment
    for family, _ in bundled.TOXIC:
        for k in bundled.SUBCLASSES:
            names[bundled.subclass_file(family, k)] = containment
    return names


def build_case(case_description):
    """{file name: Book} of one description."""
    known = family_sheets()
    wanted = dict.fromkeys(known, {}) if case_description.get("complete") else {}
    for filename, description in case_description.get("workbooks", {}).items():
        wanted[filename] = description
    books = {}
    for filename, description in wanted.items():
        cells = description.get("cells", {})
        used = max([int(s) for s in cells] + [0])
        count = description.get("sheets", len(known[filename]) if filename in known else max(used, 1))
        if used > count:
            raise ValueError("%s: cells on worksheet %d of %d" % (filename, used, count))
        names = known.get(filename, [])
        book = Book([names[i] if i < len(names) else "Foglio%d" % (i + 1) for i in range(count)])
        for sheet, sheet_cells in cells.items():
            for address, value in sheet_cells.items():
                book.sheet(int(sheet)).put(address, value)
        books[filename] = book
    return books


def generate_case(case_description, root):
    data = os.path.join(root, bundled.DATA_FOLDER)
    for filename, book in build_case(case_description).items():
        book.write(os.path.join(data, filename))
    for target, source in case_description.get("copy", {}).items():
        path = os.path.join(root, *target.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        shutil.copyfile(os.path.join(bundled.REPO, *source.split("/")), path)


def cases():
    for path in sorted(glob.glob(os.path.join(CASES_DIR, "*.json"))):
        with open(path, encoding="utf-8") as f:
            yield os.path.splitext(os.path.basename(path))[0], json.load(f)


def generate_all(drives):
    for case, case_description in cases():
        generate_case(case_description, os.path.join(drives, case))


def main():
    for case, case_description in cases():
        root = os.path.join(DRIVES, case)
        if os.path.isdir(root):
            shutil.rmtree(root)
        generate_case(case_description, root)
        print("wrote %s" % root)
    return 0


if __name__ == "__main__":
    sys.exit(main())
