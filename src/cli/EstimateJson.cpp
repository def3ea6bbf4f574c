#include "cli/EstimateJson.h"

#include "estimate/Estimate.h"
#include "estimate/Report.h"

#include <QJsonArray>

namespace {

QJsonValue textOrNull(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonObject EstimateJson(const Estimate &estimate)
{
    QJsonArray distances;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const DamageDistance &distance = estimate.distances[slot];
        const QString text = distanceText(distance, slot);
        QJsonObject entry;
        entry.insert(QStringLiteral("threshold"), thresholdOf(slot));
        entry.insert(QStringLiteral("weather"), isF2(slot) ? QStringLiteral("F2") : QStringLiteral("D5"));
        bool greaterThan = distance.lowerBound;
        if (text == kNotApplicable || text == kNotAvailable) {
            entry.insert(QStringLiteral("distance"), QJsonValue(QJsonValue::Null));
            greaterThan = false;
        } else if (distance.metres == 10001.0) {
            entry.insert(QStringLiteral("distance"), 10000.0);
            greaterThan = true;
        } else {
            entry.insert(QStringLiteral("distance"), distance.metres);
        }
        entry.insert(QStringLiteral("greaterThan"), greaterThan);
        entry.insert(QStringLiteral("text"), text);
        std::optional<QString> subclass;
        if (estimate.toxic() && thresholdOf(slot) % 2 == 1 && !distance.subclass.trimmed().isEmpty())
            subclass = distance.subclass.trimmed();
        entry.insert(QStringLiteral("subclass"), textOrNull(subclass));
        distances.append(entry);
    }

    const HazardClass &hazard = *estimate.hazardClass;
    QJsonObject object;
    object.insert(QStringLiteral("substance"), reportedSubstanceName(estimate));
    object.insert(QStringLiteral("cas"), reportedCas(estimate));
    object.insert(QStringLiteral("class"), hazard.listCode);
    // The class as the list it was chosen from names it: the class list, or the quick pick.
    object.insert(QStringLiteral("classEntry"), estimate.substance ? hazard.listEntry : hazard.quickPickEntry);
    object.insert(QStringLiteral("classLabel"), estimate.classLabel);
    object.insert(QStringLiteral("toxic"), estimate.toxic());
    object.insert(QStringLiteral("hypothesis"), hypothesisName(estimate.hypothesis));
    object.insert(QStringLiteral("containment"), containmentName(estimate.containment));
    object.insert(QStringLiteral("range"),
                  textOrNull(estimate.range ? std::optional(estimate.range->text()) : std::nullopt));
    object.insert(QStringLiteral("quantity"), reportedQuantity(estimate));
    object.insert(QStringLiteral("diameter"), reportedDiameter(estimate));
    object.insert(QStringLiteral("scenario"), estimate.scenario);
    object.insert(QStringLiteral("distances"), distances);
    return object;
}
