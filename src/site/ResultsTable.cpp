#include "site/ResultsTable.h"

#include "estimate/EstimateJson.h"
#include "estimate/Report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace site {

namespace {

QString slotName(std::size_t slot)
{
    return QStringLiteral("soglia%1_%2").arg(thresholdOf(slot)).arg(isF2(slot) ? QStringLiteral("F2")
                                                                                : QStringLiteral("D5"));
}

QString decimal(double value)
{
    return QString::number(value, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QStringList csvHeading()
{
    QStringList heading{QStringLiteral("riga"),      QStringLiteral("id"),          QStringLiteral("sostanza"),
                        QStringLiteral("cas"),       QStringLiteral("classe"),      QStringLiteral("ipotesi"),
                        QStringLiteral("detenzione"), QStringLiteral("range"),      QStringLiteral("scenario"),
                        QStringLiteral("est"),       QStringLiteral("nord"),        QStringLiteral("x_cm"),
                        QStringLiteral("y_cm")};
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const QString name = slotName(slot);
        heading << name + QStringLiteral("_m") << name + QStringLiteral("_oltre") << name + QStringLiteral("_testo")
                << name + QStringLiteral("_sottoclasse");
    }
    heading << QStringLiteral("errore");
    return heading;
}

void appendPoint(QStringList &fields, const std::optional<QPointF> &point)
{
    fields << (point ? decimal(point->x()) : QString()) << (point ? decimal(point->y()) : QString());
}

QStringList csvRow(const ItemOutcome &outcome)
{
    QStringList fields{QString::number(outcome.item.row), outcome.item.id};
    const Estimate *estimate = outcome.estimate ? &*outcome.estimate : nullptr;
    if (estimate) {
        fields << reportedSubstanceName(*estimate).trimmed() << reportedCas(*estimate).trimmed()
               << estimate->hazardClass->listCode << hypothesisName(estimate->hypothesis)
               << containmentName(estimate->containment)
               << (estimate->range ? estimate->range->text().trimmed() : QString()) << estimate->scenario;
    } else {
        fields << QString() << QString() << QString() << QString() << QString() << QString() << QString();
    }
    appendPoint(fields, outcome.ground);
    appendPoint(fields, outcome.sheetPoint);
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        if (!estimate) {
            fields << QString() << QString() << QString() << QString();
            continue;
        }
        const DamageDistance &distance = estimate->distances[slot];
        const std::optional<DistanceFigure> figure = distanceFigure(distance, slot);
        fields << (figure ? QString::number(figure->metres, 'f', 0) : QString())
               << (figure && figure->greaterThan ? QStringLiteral("sì") : QString())
               << distanceText(distance, slot).trimmed()
               << reportedSubclass(*estimate, distance, slot).value_or(QString());
    }
    fields << outcome.failure;
    return fields;
}

// People as an Italian spreadsheet reads them: a decimal comma, only the decimals there are.
QString peopleText(double people)
{
    return QString::number(people, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

QByteArray csvFile(const QList<QStringList> &rows)
{
    QStringList lines;
    for (QStringList fields : rows) {
        for (QString &field : fields)
            field = csvField(field);
        lines << fields.join(QLatin1Char(';'));
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

QJsonValue pointJson(const std::optional<QPointF> &point, const QString &x, const QString &y)
{
    if (!point)
        return QJsonValue::Null;
    return QJsonObject{{x, point->x()}, {y, point->y()}};
}

} // namespace

QByteArray resultsCsv(const SiteRun &run)
{
    QList<QStringList> rows{csvHeading()};
    for (const ItemOutcome &outcome : run.items)
        rows << csvRow(outcome);
    return csvFile(rows);
}

QByteArray elementsCsv(const SiteRun &run)
{
    QList<QStringList> rows{{QStringLiteral("id"), QStringLiteral("zona"), QStringLiteral("soglia"),
                             QStringLiteral("nome"), QStringLiteral("categoria"), QStringLiteral("tipo"),
                             QStringLiteral("persone"), QStringLiteral("distanza_m")}};
    if (run.elements) {
        for (const elements::SourceElement &row : run.elements->reached.bySource) {
            const elements::VulnerableElement &element = run.elements->layer.elements[row.element];
            rows << QStringList{run.elements->sourceIds[row.source],
                                elements::zoneName(row.zone),
                                QString::number(elements::zoneThreshold(row.zone)),
                                element.name,
                                element.category,
                                element.type,
                                element.people ? peopleText(*element.people) : QString(),
                                QString::number(std::round(row.distance_m * 10.0) / 10.0, 'f', 1)
                                    .replace(QLatin1Char('.'), QLatin1Char(','))};
        }
    }
    return csvFile(rows);
}

QByteArray resultsJson(const SiteRun &run)
{
    QJsonArray items;
    for (const ItemOutcome &outcome : run.items) {
        QJsonObject item{{QStringLiteral("row"), outcome.item.row}, {QStringLiteral("id"), outcome.item.id}};
        item.insert(QStringLiteral("ground"), pointJson(outcome.ground, QStringLiteral("est"), QStringLiteral("nord")));
        item.insert(QStringLiteral("sheet"),
                    pointJson(outcome.sheetPoint, QStringLiteral("x_cm"), QStringLiteral("y_cm")));
        item.insert(QStringLiteral("estimate"),
                    outcome.estimate ? QJsonValue(estimateJson(*outcome.estimate)) : QJsonValue(QJsonValue::Null));
        item.insert(QStringLiteral("error"),
                    outcome.failure.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(outcome.failure));
        items.append(item);
    }
    QJsonObject document{
        {QStringLiteral("inventory"), run.inventoryFile},
        {QStringLiteral("map"), run.mapFile.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(run.mapFile)},
        {QStringLiteral("crs"), run.system ? QJsonValue(run.system->label()) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("date"), run.when.toString(Qt::ISODate)},
        {QStringLiteral("programVersion"), run.programVersion},
        {QStringLiteral("exampleData"), run.exampleData},
        {QStringLiteral("items"), items},
        {QStringLiteral("estimated"), int(run.items.size()) - run.failedCount()},
        {QStringLiteral("failed"), run.failedCount()},
    };
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

} // namespace site
