"""Plain in-memory workbooks written as .xls (BIFF8) with xlwt, deterministically.

A Book is a list of sheets; a sheet is a name and a dict {(row0, col0): value}, where a value is
a str (text cell), an int or float (number cell) or None (nothing written). Cells are written in
row and column order, so the same book always gives the same bytes (xlwt writes no time stamps).
"""

import os
import re

import xlwt

_ADDRESS = re.compile(r"^([A-Z]{1,3})([1-9][0-9]*)$")


def column_index(letters):
    """0-based column index of column letters ("A" -> 0, "AA" -> 26, "BY" -> 76)."""
    n = 0
    for ch in letters:
        n = n * 26 + (ord(ch) - ord("A") + 1)
    return n - 1


def column_letters(index):
    """Column letters of a 0-based column index."""
    letters = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        letters = chr(ord("A") + rest) + letters
    return letters


def parse_address(address):
    """(row0, col0) of an A1 address."""
    m = _ADDRESS.match(address)
    if not m:
        raise ValueError("not an A1 address: %r" % address)
    return int(m.group(2)) - 1, column_index(m.group(1))


class Sheet:
    def __init__(self, name):
        self.name = name
        self.cells = {}

    def set(self, row0, col0, value):
        if value is None:
            self.cells.pop((row0, col0), None)
            return
        if isinstance(value, bool) or not isinstance(value, (str, int, float)):
            raise TypeError("cell value must be text or a number: %r" % (value,))
        self.cells[(row0, col0)] = value

    def put(self, address, value):
        """Sets the cell at an A1 address; a list fills that cell and the ones to its right."""
        row0, col0 = parse_address(address)
        values = value if isinstance(value, list) else [value]
        for i, v in enumerate(values):
            self.set(row0, col0 + i, v)

    def put_column(self, address, values):
        row0, col0 = parse_address(address)
        for i, v in enumerate(values):
            self.set(row0 + i, col0, v)

    def get(self, address):
        return self.cells.get(parse_address(address))


class Book:
    def __init__(self, sheet_names):
        self.sheets = [Sheet(n) for n in sheet_names]

    def sheet(self, position):
        """Worksheet by 1-based position."""
        return self.sheets[position - 1]

    def write(self, path):
        wb = xlwt.Workbook(encoding="utf-8")
        for sh in self.sheets:
            ws = wb.add_sheet(sh.name, cell_overwrite_ok=False)
            for (r, c) in sorted(sh.cells):
                v = sh.cells[(r, c)]
                if isinstance(v, float) and v.is_integer():
                    v = int(v)
                ws.write(r, c, v)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        wb.save(path)
