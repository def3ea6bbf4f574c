#pragma once

// The hypothesis and containment entries the tests choose, written out so that a changed text fails.

#include "catalogue/HazardClass.h"

#include <QString>

inline const QString kLikely = QStringLiteral("Ipotesi più probabile");
inline const QString kAverage = QStringLiteral("Ipotesi media");
inline const QString kBund = QStringLiteral("Stoccaggi fissi con bacino di contenimento");
inline const QString kNoBund = QStringLiteral("Stoccaggi fissi senza bacino di contenimento");
inline const QString kTanker = QStringLiteral("Autobotti/Ferrocisterne");
inline const QString kPipeline = QStringLiteral("Condotte");

// The class-list entry of a class code such as "1_1_2"; empty for an unknown code.
inline QString entryOf(const QString &code)
{
    return findHazardClass(code) ? findHazardClass(code)->listEntry : QString();
}
