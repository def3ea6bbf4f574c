#include "estimate/Estimate.h"

#include "estimate/NumberText.h"

QString distanceText(const DamageDistance &distance, std::size_t slot)
{
    if (distance.notAvailable)
        return kNotAvailable;
    if (thresholdOf(slot) != 1 && distance.metres == 0.0)
        return kNotApplicable;
    if (distance.metres == 10001.0)
        return SignedNumberText(10000.0) + QStringLiteral(" > m");
    return SignedNumberText(distance.metres) + (distance.lowerBound ? QStringLiteral(" > m") : QStringLiteral(" m"));
}

std::optional<DistanceFigure> distanceFigure(const DamageDistance &distance, std::size_t slot)
{
    const QString text = distanceText(distance, slot);
    if (text == kNotApplicable || text == kNotAvailable)
        return std::nullopt;
    if (distance.metres == 10001.0)
        return DistanceFigure{10000.0, true};
    return DistanceFigure{distance.metres, distance.lowerBound};
}

std::optional<QString> reportedSubclass(const Estimate &estimate, const DamageDistance &distance, std::size_t slot)
{
    const QString subclass = distance.subclass.trimmed();
    if (!estimate.toxic() || thresholdOf(slot) % 2 != 1 || subclass.isEmpty())
        return std::nullopt;
    return subclass;
}

QString scenarioName(const HazardClass &hazard, Hypothesis hypothesis)
{
    if (hazard.isToxic())
        return QStringLiteral("Nube Tossica");
    if (!hazard.gas)
        return QStringLiteral("Pool Fire");
    return hypothesis == Hypothesis::MostLikely ? QStringLiteral("Flash Fire") : QStringLiteral("VCE");
}
