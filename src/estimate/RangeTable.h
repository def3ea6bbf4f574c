#pragma once

#include "estimate/Choices.h"
#include "xls/Workbook.h"

#include <QString>

#include <array>
#include <vector>

// The range table of a distance worksheet: rows 1 to 10, columns C to R. Row 1 holds the bounds of
// up to eight ranges in column pairs (C, D), (E, F) ... (Q, R); rows 3 to 6 the distances of
// thresholds 1 to 4 under the most likely hypothesis and rows 7 to 10 under the average one, the D5
// distance of a range in its pair's first column and the F2 distance in the second.
inline constexpr int kRangeTableRows = 10;
inline constexpr int kRangeTableColumns = 16;
inline constexpr int kRangePairs = 8;
using RangeTable = std::array<std::array<CellValue, kRangeTableColumns>, kRangeTableRows>;

// The A1 address of a range-table cell (0-based row and column): row 0, column 0 is "C1".
[[nodiscard]] QString rangeTableAddress(int row, int column);

[[nodiscard]] Outcome<RangeTable> readRangeTable(const Workbook &book, int sheet);

// One row of the toxic range correspondence: the bounds of a range and its pair code under each
// hypothesis.
struct PairRow
{
    CellValue lowerBound;
    CellValue upperBound;
    CellValue pairCodeMostLikely;
    CellValue pairCodeAverage;
};

// The correspondence workbook of the toxic classes, in the data folder.
inline const QString kRangeCorrespondenceFile = QStringLiteral("corrispondenza coppie tossici.xls");

// The rows of one toxic class (rows 3 to 24 whose column A holds the class code), at most ten; a
// bound or pair code written as text, or an eleventh row, is refused naming the cell or the sheet.
[[nodiscard]] Outcome<std::vector<PairRow>> readRangeCorrespondence(const Workbook &book, int sheet, int classCode);

// A toxic class has no range table of its own: row 1 is made of the first eight correspondence rows.
[[nodiscard]] RangeTable rangeTableOfPairs(const std::vector<PairRow> &pairs);

// A quantity range or pipe diameter on offer: its bounds and the pair of range-table columns that
// holds its distances.
struct RangeEntry
{
    CellValue lower;
    CellValue upper;
    int pair = 0; // 0 .. 7

    // How the lists and the reports show it: " 0 -  10" for the bounds 0 and 10.
    [[nodiscard]] QString text() const;
};

// The entries a containment offers from row 1 of its range table: for fixed storage the first range
// and every later one whose lower bound is not 0; for pipelines the first four ranges and, for a gas
// class, the fifth; nothing for tankers and ships. A bound of an offered range that is not a number
// is refused naming its cell of `book`'s worksheet `sheet`.
[[nodiscard]] Outcome<std::vector<RangeEntry>> offeredRanges(const RangeTable &table, Containment containment,
                                                             bool gasClass, const QString &book, int sheet);
