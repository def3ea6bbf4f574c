#pragma once

#include <QString>

#include <optional>

// A cell position from an A1 address: 0-based row and column ("C4" is row 3, column 2).
struct CellPosition
{
    int row = 0;
    int column = 0;
};

// "A" -> 1, "Z" -> 26, "AA" -> 27, "BY" -> 77; nullopt for anything that is not column letters + row.
[[nodiscard]] std::optional<CellPosition> parseCellAddress(const QString &address);

// The letters of a 1-based column number: 1 -> "A", 26 -> "Z", 27 -> "AA", 53 -> "BA".
[[nodiscard]] QString columnLetters(int column);

// "C" + 4 -> "C4".
[[nodiscard]] inline QString cellAddress(const QString &columnLetters, int row)
{
    return columnLetters + QString::number(row);
}
