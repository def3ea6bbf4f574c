#include "elements/ElementTables.h"

#include <QFileInfo>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace elements {

namespace {

// A number of people as written in a table: whole when it is, else to one decimal.
QString peopleText(double people)
{
    return people == std::round(people) ? QString::number(people, 'f', 0) : QString::number(people, 'f', 1);
}

QString counted(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString zoneLine(PlanZone zone, const ZoneReach &inZone)
{
    QString name = zoneName(zone);
    name[0] = name[0].toUpper();
    const QString heading = QStringLiteral("%1 (soglia %2): ").arg(name).arg(zoneThreshold(zone));
    if (inZone.elements.empty())
        return heading + QStringLiteral("nessun elemento");
    QString line = heading + counted(qsizetype(inZone.elements.size()), "elemento", "elementi") + QStringLiteral(", ")
        + peopleText(inZone.people) + (inZone.people == 1.0 ? QStringLiteral(" persona") : QStringLiteral(" persone"));
    if (inZone.peopleUnknown > 0)
        line += QStringLiteral(" (%1 con persone non note)")
                    .arg(counted(inZone.peopleUnknown, "elemento", "elementi"));
    return line;
}

} // namespace

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
        table += zoneLine(zone, *inZone) + QLatin1Char('\n');
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
