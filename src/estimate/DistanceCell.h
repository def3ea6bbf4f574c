#pragma once

#include "platform/Error.h"
#include "xls/CellValue.h"

// What a distance cell of the tables may hold: 0 (not applicable), 1 to 10000 m, 10001 (more than
// 10000 m), or nothing, which counts as 0. The flammable and toxic lookups and the data check all
// read distances through this one rule.

// Within the figures a distance may take.
[[nodiscard]] bool isDistance(double metres);

// A number that is a distance, or an empty cell.
[[nodiscard]] inline bool holdsDistance(const CellValue &cell)
{
    return !cell.isText() && isDistance(cell.toNumber());
}

// The metres of a distance cell of `book`'s worksheet `sheet`, or why it holds none: a text is
// DistanceNotANumber, a negative, non-finite, fractional (below 1 m but not 0) or too large number
// DistanceOutOfRange, naming the cell and the number.
[[nodiscard]] Outcome<double> distanceOfCell(const CellValue &cell, const QString &book, int sheet,
                                             const QString &address);
