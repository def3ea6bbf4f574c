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

QString scenarioName(const HazardClass &hazard, Hypothesis hypothesis)
{
    if (hazard.isToxic())
        return QStringLiteral("Nube Tossica");
    if (!hazard.gas)
        return QStringLiteral("Pool Fire");
    return hypothesis == Hypothesis::MostLikely ? QStringLiteral("Flash Fire") : QStringLiteral("VCE");
}
