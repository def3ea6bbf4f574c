#pragma once

#include "site/Inventory.h"

#include <QPointF>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>

// One row of a site inventory understood: its cells by the columns the inventory knows, turned into
// the estimate it asks for and the place of the item, or into the reason it cannot be.
namespace site {

enum class Column {
    Id,
    Substance,
    Cas,
    HazardClass,
    Hypothesis,
    Containment,
    Quantity,
    Diameter,
    SheetX,
    SheetY,
    East,
    North
};
inline constexpr std::size_t kColumnCount = 12;

// The column a header names ("Quantità_t", " ID "), or none for a column the inventory does not use.
[[nodiscard]] std::optional<Column> columnNamed(const QString &header);
// How the inventory names a column: "id", "sostanza", "quantita_t" ...
[[nodiscard]] QString columnName(Column column);

// The headers of the known columns as the file writes them; empty for a column the file lacks.
using ColumnHeaders = std::array<QString, kColumnCount>;

struct RowCells
{
    std::array<QString, kColumnCount> text; // trimmed; empty when blank or the column is missing
    // The row's geometry on a layer that has one: its point, or what it is instead of a point.
    std::optional<QPointF> geometryPoint;
    QString geometryNotPoint; // "LINESTRING", ...

    [[nodiscard]] const QString &operator[](Column column) const { return text[static_cast<std::size_t>(column)]; }
};

struct RowReading
{
    std::optional<EstimateOrder> order; // none when `problem` says why
    QString problem; // Italian, naming the column and the value as written
    std::optional<ItemPosition> position;
};

// The estimate a row asks for and where its item lies: a point geometry, else the x_cm and y_cm or the
// est and nord columns. A figure the containment needs and the row
// lacks is no problem here: the order goes without it, and the estimate refuses it in its own words.
[[nodiscard]] RowReading readRow(const RowCells &cells, const ColumnHeaders &headers);

} // namespace site
