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

// The row of a distance sheet (1-based) that holds a threshold (1 to 4) under a hypothesis.
[[nodiscard]] int distanceRow(Hypothesis hypothesis, int threshold);

// Whether a column pair of row 1 (0 to 7) holds a range, by its lower bound: the first pair always,
// a later one unless its lower bound is 0 or empty. A text holds one, to be refused as a bound.
[[nodiscard]] bool pairHoldsRange(int pair, const CellValue &lowerBound);

// A bound of a range in row 1 or in the correspondence: refused (RangeBoundNotANumber, naming the
// cell) when it is a text, since a text never matches a bound.
[[nodiscard]] Status checkRangeBound(const CellValue &cell, const QString &book, int sheet, const QString &address);

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

inline constexpr int kFirstCorrespondenceRow = 3;
inline constexpr int kLastCorrespondenceRow = 24;
inline constexpr int kMaxCorrespondenceRows = 10;

// The rows of one toxic class (rows 3 to 24 whose column A holds the class code), at most ten; a
// bound or pair code written as text, a class code written as text in any row (checkClassCodeCell),
// or an eleventh row, is refused naming the cell or the sheet.
[[nodiscard]] Outcome<std::vector<PairRow>> readRangeCorrespondence(const Workbook &book, int sheet, int classCode);

// Column A of a correspondence row: a class code typed as text ('51) would never match, and its class
// would silently lose the row's range, so it is refused (ClassCodeAsText, naming the cell).
[[nodiscard]] Status checkClassCodeCell(const CellValue &cell, const QString &book, int sheet, const QString &address);

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

// The column pairs a containment offers from row 1 of its range table: for fixed storage the pairs
// that hold a range (pairHoldsRange); for pipelines the first four and, for a gas class, the fifth;
// nothing for tankers and ships.
[[nodiscard]] std::vector<int> offeredPairs(const RangeTable &table, Containment containment, bool gasClass);

// The entries of the offered pairs. A bound of an offered range that is not a number is refused
// naming its cell of `book`'s worksheet `sheet`.
[[nodiscard]] Outcome<std::vector<RangeEntry>> offeredRanges(const RangeTable &table, Containment containment,
                                                             bool gasClass, const QString &book, int sheet);
