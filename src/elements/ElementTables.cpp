#include "elements/ElementTables.h"

#include "elements/ReachedRows.h"

#include <QFileInfo>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace elements {

QJsonArray reachedJson(const ElementLayer &layer, const ElementsReached &reached)
{
    QJsonArray zones;
    for (const PlanZone zone : kPlanZones) {
        const std::optional<ZoneReach> &inZone = reached.zones[static_cast<std::size_t>(zone)];
        if (!inZone)
            continue;
        QJsonArray list;
        for (const ElementReach &reach : inZone->elements) {
            const VulnerableElement &element = layer.elements[reach.element];
            list.append(QJsonObject{
                {QStringLiteral("name"), element.name},
                {QStringLiteral("category"), element.category},
                {QStringLiteral("type"), element.type},
                {QStringLiteral("people"), element.people ? QJsonValue(*element.people) : QJsonValue()},
                {QStringLiteral("distance_m"), std::round(reach.distance_m * 10.0) / 10.0},
            });
        }
        zones.append(QJsonObject{
            {QStringLiteral("zone"), zoneName(zone)},
            {QStringLiteral("threshold"), zoneThreshold(zone)},
            {QStringLiteral("count"), qint64(inZone->elements.size())},
            {QStringLiteral("people"), inZone->people},
            {QStringLiteral("people_unknown"), inZone->peopleUnknown},
            {QStringLiteral("elements"), list},
        });
    }
    return zones;
}

QString reachedTable(const ElementLayer &layer, const ElementsReached &reached)
{
    // The columns of every zone's elements, aligned across the whole table.
    struct Row
    {
        QStringList cells;
        QString distance;
    };
    std::array<std::vector<Row>, kPlanZones.size()> rows;
    std::array<qsizetype, 4> widths{};
    qsizetype distanceWidth = 0;
    for (const PlanZone zone : kPlanZones) {
        const std::optional<ZoneReach> &inZone = reached.zones[static_cast<std::size_t>(zone)];
        if (!inZone)
            continue;
        for (const ElementReach &reach : inZone->elements) {
            const VulnerableElement &element = layer.elements[reach.element];
            Row row{{element.name, element.category, element.type,
                     element.people ? peopleText(*element.people) : QStringLiteral("non note")},
                    QStringLiteral("%1 m").arg(std::round(reach.distance_m), 0, 'f', 0)};
            for (std::size_t column = 0; column < widths.size(); ++column)
                widths[column] = std::max(widths[column], row.cells[qsizetype(column)].size());
            distanceWidth = std::max(distanceWidth, row.distance.size());
            rows[static_cast<std::size_t>(zone)].push_back(std::move(row));
        }
    }

    QString table = QStringLiteral("Elementi vulnerabili raggiunti (%1, strato \"%2\")\n")
                        .arg(QFileInfo(layer.file).fileName(), layer.layerName);
    for (const PlanZone zone : kPlanZones) {
        const std::optional<ZoneReach> &inZone = reached.zones[static_cast<std::size_t>(zone)];
        if (!inZone)
            continue;
        table += zoneLine(zone, *inZone, DecimalMark::Point) + QLatin1Char('\n');
        for (const Row &row : rows[static_cast<std::size_t>(zone)]) {
            QString line = QStringLiteral("  ");
            for (std::size_t column = 0; column < widths.size(); ++column)
                line += row.cells[qsizetype(column)].leftJustified(widths[column]) + QStringLiteral("  ");
            table += line + row.distance.rightJustified(distanceWidth) + QLatin1Char('\n');
        }
    }
    return table;
}

} // namespace elements
