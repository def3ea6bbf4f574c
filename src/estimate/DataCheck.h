#pragma once

#include "platform/Error.h"
#include "xls/Workbook.h"

#include <QStringList>

#include <vector>

// The contents of the data tables judged as the estimates judge them, all at once: where an estimate
// stops at the first cell it cannot use, the check goes on and lists every one, so that an analyst who
// has edited a table finds all the slips in one run (zefro-estimate --check-data, and --seal-data
// before it seals). It reads only the cells an estimate can read, by the tables' layout:
//
// - the class tables: every CAS cell of the searched rows (checkCasCell) and, in the toxic ones, the
//   zone index of every row that lists a catalogue substance (checkZoneIndex);
// - the distance sheets of the flammable class workbooks (not the bund sheet of the compressed gas
//   class, which is never read): both bounds of every pair offered (checkRangeBound) and its
//   distances in rows 3 to 10 (distanceOfCell);
// - the sub-class matrix: the label of every row used (group 1 or 2, threshold 1 or 3, weather 1 or
//   2) in the zone column of every zone index the class table gives (subclassLabelOfCell);
// - the range correspondence: column A of rows 3 to 24 (checkClassCodeCell), the bounds and pair codes
//   of the rows of each toxic class, at most ten of them (not class 53 on the bund sheet);
// - the 24 sub-class workbooks: the eight lower bounds of row 1 of fixed storage and pipelines, and the
//   threshold 1 and 3 distances of every pair that holds a range (pairHoldsRange), columns C and D
//   for tankers and ships.
//
// Notes and headings elsewhere, and pairs after the ranges, are not read.

// The workbooks checked, by file name, in the order checked: the eleven class workbooks, the range
// correspondence, the sub-class workbooks.
[[nodiscard]] QStringList dataWorkbookFiles();

// Every fault found, in that order; a workbook or worksheet that cannot be read is one fault. Empty
// when every table is fit for the estimates.
[[nodiscard]] std::vector<Error> checkDataTables(const WorkbookOpener &opener);
