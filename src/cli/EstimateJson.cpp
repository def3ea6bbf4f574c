#include "cli/EstimateJson.h"

#include "cli/BatchEstimate.h"
#include "estimate/DistanceLookup.h"

#include <QJsonArray>

namespace {

// The greater-than mark and the sub-class name of a slot belong to thresholds 1 and 3 only.
std::optional<std::size_t> markIndexOf(std::size_t slot)
{
    if (slot % 2 != 0)
        return std::nullopt;
    return (slot % 4) / 2 + (slot >= 4 ? 2 : 0);
}

QJsonValue textOrNull(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonObject EstimateJson(const BatchEstimateResult &estimate)
{
    const ReportInputs &in = estimate.estimate.report;
    const ResultSet &result = estimate.result;
    const bool toxic = estimate.estimate.toxic;

    QJsonArray distances;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        QJsonObject entry;
        entry.insert(QStringLiteral("threshold"), static_cast<int>(slot % 4) + 1);
        entry.insert(QStringLiteral("weather"), slot < 4 ? QStringLiteral("D5") : QStringLiteral("F2"));
        const QString &text = result.distanceText[slot];
        const double metres = result.damageDistance[slot].toNumber();
        const std::optional<std::size_t> mark = markIndexOf(slot);
        bool greaterThan = mark && result.greaterThan[*mark];
        if (text == kNotApplicable || text == kNotAvailable) {
            entry.insert(QStringLiteral("distance"), QJsonValue(QJsonValue::Null));
            greaterThan = false;
        } else if (metres == 10001.0) {
            entry.insert(QStringLiteral("distance"), 10000.0);
            greaterThan = true;
        } else {
            entry.insert(QStringLiteral("distance"), metres);
        }
        entry.insert(QStringLiteral("greaterThan"), greaterThan);
        entry.insert(QStringLiteral("text"), text);
        std::optional<QString> subclass;
        if (toxic && mark) {
            QString name = result.subclassName[*mark];
            if (name.startsWith(QStringLiteral("classe ")))
                name = name.mid(7);
            if (!name.trimmed().isEmpty())
                subclass = name.trimmed();
        }
        entry.insert(QStringLiteral("subclass"), textOrNull(subclass));
        distances.append(entry);
    }

    QJsonObject object;
    object.insert(QStringLiteral("substance"), in.substanceName);
    object.insert(QStringLiteral("cas"), in.cas);
    object.insert(QStringLiteral("class"), estimate.classListCode);
    object.insert(QStringLiteral("classEntry"), in.classText);
    object.insert(QStringLiteral("classLabel"), result.classLabel);
    object.insert(QStringLiteral("toxic"), toxic);
    object.insert(QStringLiteral("hypothesis"), in.hypothesis);
    object.insert(QStringLiteral("containment"), in.containment);
    object.insert(QStringLiteral("range"), textOrNull(estimate.range));
    object.insert(QStringLiteral("quantity"), in.quantity);
    object.insert(QStringLiteral("diameter"), in.diameter);
    object.insert(QStringLiteral("scenario"), result.scenarioName);
    object.insert(QStringLiteral("distances"), distances);
    return object;
}
