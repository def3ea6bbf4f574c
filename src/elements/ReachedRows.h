#pragma once

#include "elements/ElementLayer.h"
#include "elements/ElementsReached.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

// What an estimate reaches as rows of a table, one an element and zone: for the window's table, the
// clipboard and a CSV file.
namespace elements {

struct ReachedRow
{
    PlanZone zone = PlanZone::First;
    std::size_t element = 0; // its place in the layer
    QString name;
    QString category;
    QString type;
    std::optional<double> people;
    double distance_m = 0.0;
};

// The zones the estimate has, innermost first, each element nearest first.
[[nodiscard]] std::vector<ReachedRow> reachedRows(const ElementLayer &layer, const ElementsReached &reached);

// A number of people as written in a table: whole when it is, else to one decimal (a point).
[[nodiscard]] QString peopleText(double people);

enum class DecimalMark { Point, Comma };

// A zone's line: its name and threshold, the count of its elements, the people in them and how many
// have them unknown, e.g. "Prima zona (soglia 1): 2 elementi, 35 persone".
[[nodiscard]] QString zoneLine(PlanZone zone, const ZoneReach &inZone, DecimalMark mark);

// A line for each zone the estimate has, for the window (a decimal comma).
[[nodiscard]] QString reachedSummary(const ElementsReached &reached);

// The columns' headings: zona, nome, categoria, tipo, persone, distanza (m).
[[nodiscard]] QStringList reachedHeadings();
// A row's cells as the window shows them: the zone's name, people whole or to a tenth with a decimal
// comma (empty when not known), the distance in whole metres.
[[nodiscard]] QStringList reachedCells(const ReachedRow &row);

// The headings and rows as tab-separated lines, for pasting into a spreadsheet.
[[nodiscard]] QString reachedTabText(const std::vector<ReachedRow> &rows);

// The same as a CSV file for spreadsheets set to Italian: UTF-8 with a byte order mark, fields
// separated by ';' (quoted when they hold one, a quote or a line break), decimal commas, CRLF lines;
// the distance to a tenth of a metre.
[[nodiscard]] QByteArray reachedCsv(const std::vector<ReachedRow> &rows);

} // namespace elements
