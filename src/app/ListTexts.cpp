#include "app/ListTexts.h"

namespace ListTexts {

const HazardClass *classOfListEntry(const QString &entry)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listEntry == entry)
            return &hazard;
    }
    return nullptr;
}

const HazardClass *classOfQuickPickEntry(const QString &entry)
{
    for (std::size_t i = 0; i < kFlammableClassCount; ++i) {
        const HazardClass &hazard = hazardClasses()[i];
        if (entry.left(hazard.listCode.size()) == hazard.listCode)
            return &hazard;
    }
    return nullptr;
}

Hypothesis hypothesisOfEntry(const QString &entry)
{
    return entry == hypothesisName(Hypothesis::MostLikely) ? Hypothesis::MostLikely : Hypothesis::Average;
}

std::optional<Containment> containmentOfEntry(const QString &entry)
{
    for (const Containment containment : kContainments) {
        if (containmentName(containment) == entry)
            return containment;
    }
    return std::nullopt;
}

std::optional<std::size_t> lastPositionOf(const QStringList &entries, const QString &text)
{
    const qsizetype position = entries.lastIndexOf(text);
    if (position < 0)
        return std::nullopt;
    return std::size_t(position);
}

} // namespace ListTexts
