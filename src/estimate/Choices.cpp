#include "estimate/Choices.h"

QString hypothesisName(Hypothesis hypothesis)
{
    return hypothesis == Hypothesis::MostLikely ? QStringLiteral("Ipotesi più probabile")
                                                : QStringLiteral("Ipotesi media");
}

QString containmentName(Containment containment)
{
    switch (containment) {
    case Containment::BundedStorage: return QStringLiteral("Stoccaggi fissi con bacino di contenimento");
    case Containment::UnbundedStorage: return QStringLiteral("Stoccaggi fissi senza bacino di contenimento");
    case Containment::Tanker: return QStringLiteral("Autobotti/Ferrocisterne");
    case Containment::Ship: return QStringLiteral("Navi");
    case Containment::Pipeline: return QStringLiteral("Condotte");
    }
    return {};
}

RangeKind rangeKindOf(Containment containment)
{
    switch (containment) {
    case Containment::BundedStorage:
    case Containment::UnbundedStorage: return RangeKind::Quantity;
    case Containment::Pipeline: return RangeKind::Diameter;
    case Containment::Tanker:
    case Containment::Ship: break;
    }
    return RangeKind::None;
}
