#include "estimate/EstimateJson.h"

#include "estimate/Estimate.h"
#include "estimate/Report.h"

#include <QJsonArray>

namespace {

QJsonValue textOrNull(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonObject estimateJson(const Estimate &estimate)
{
    QJsonArray distances;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const DamageDistance &distance = estimate.distances[slot];
        QJsonObject entry;
        entry.insert(QStringLiteral("threshold"), thresholdOf(slot));
        entry.insert(QStringLiteral("weather"), isF2(slot) ? QStringLiteral("F2") : QStringLiteral("D5"));
        const std::optional<DistanceFigure> figure = distanceFigure(distance, slot);
        entry.insert(QStringLiteral("distance"), figure ? QJsonValue(figure->metres) : QJsonValue(QJsonValue::Null));
        entry.insert(QStringLiteral("greaterThan"), figure && figure->greaterThan);
        entry.insert(QStringLiteral("text"), distanceText(distance, slot));
        entry.insert(QStringLiteral("subclass"), textOrNull(reportedSubclass(estimate, distance, slot)));
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
