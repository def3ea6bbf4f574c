#include "elements/ReachedRows.h"

#include <cmath>

namespace elements {

namespace {

QString withComma(QString number)
{
    return number.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// A cell pasted into a spreadsheet stays one cell.
QString tabField(QString text)
{
    return text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace

std::vector<ReachedRow> reachedRows(const ElementLayer &layer, const ElementsReached &reached)
{
    std::vector<ReachedRow> rows;
    for (const PlanZone zone : kPlanZones) {
        const std::optional<ZoneReach> &inZone = reached.zones[static_cast<std::size_t>(zone)];
        if (!inZone)
            continue;
        for (const ElementReach &reach : inZone->elements) {
            const VulnerableElement &element = layer.elements[reach.element];
            rows.push_back({zone, reach.element, element.name, element.category, element.type, element.people,
                            reach.distance_m});
        }
    }
    return rows;
}

QString peopleText(double people)
{
    return people == std::round(people) ? QString::number(people, 'f', 0) : QString::number(people, 'f', 1);
}

QString zoneLine(PlanZone zone, const ZoneReach &inZone, DecimalMark mark)
{
    const auto counted = [](qsizetype count, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
    };
    QString name = zoneName(zone);
    name[0] = name[0].toUpper();
    const QString heading = QStringLiteral("%1 (soglia %2): ").arg(name).arg(zoneThreshold(zone));
    if (inZone.elements.empty())
        return heading + QStringLiteral("nessun elemento");
    const QString people = mark == DecimalMark::Comma ? withComma(peopleText(inZone.people)) : peopleText(inZone.people);
    QString line = heading + counted(qsizetype(inZone.elements.size()), "elemento", "elementi") + QStringLiteral(", ")
        + people + (inZone.people == 1.0 ? QStringLiteral(" persona") : QStringLiteral(" persone"));
    if (inZone.peopleUnknown > 0)
        line += QStringLiteral(" (%1 con persone non note)")
                    .arg(counted(inZone.peopleUnknown, "elemento", "elementi"));
    return line;
}

QString reachedSummary(const ElementsReached &reached)
{
    QStringList lines;
    for (const PlanZone zone : kPlanZones) {
        if (const std::optional<ZoneReach> &inZone = reached.zones[static_cast<std::size_t>(zone)])
            lines << zoneLine(zone, *inZone, DecimalMark::Comma);
    }
    return lines.join(QLatin1Char('\n'));
}

QStringList reachedHeadings()
{
    return {QStringLiteral("zona"), QStringLiteral("nome"),    QStringLiteral("categoria"),
            QStringLiteral("tipo"), QStringLiteral("persone"), QStringLiteral("distanza (m)")};
}

QStringList reachedCells(const ReachedRow &row)
{
    return {zoneName(row.zone), row.name, row.category, row.type,
            row.people ? withComma(peopleText(*row.people)) : QString(),
            QString::number(std::round(row.distance_m), 'f', 0)};
}

QString reachedTabText(const std::vector<ReachedRow> &rows)
{
    QStringList lines{reachedHeadings().join(QLatin1Char('\t'))};
    for (const ReachedRow &row : rows) {
        QStringList cells = reachedCells(row);
        for (QString &cell : cells)
            cell = tabField(cell);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QByteArray reachedCsv(const std::vector<ReachedRow> &rows)
{
    QStringList lines{QStringLiteral("zona;nome;categoria;tipo;persone;distanza_m")};
    for (const ReachedRow &row : rows) {
        const QStringList fields{zoneName(row.zone),
                                 row.name,
                                 row.category,
                                 row.type,
                                 row.people ? withComma(peopleText(*row.people)) : QString(),
                                 withComma(QString::number(std::round(row.distance_m * 10.0) / 10.0, 'f', 1))};
        QStringList quoted;
        for (const QString &field : fields)
            quoted << csvField(field);
        lines << quoted.join(QLatin1Char(';'));
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

} // namespace elements
