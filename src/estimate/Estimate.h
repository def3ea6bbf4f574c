#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "estimate/Choices.h"
#include "estimate/RangeTable.h"

#include <QString>

#include <array>
#include <optional>

// The eight distances of an estimate always run in this order: thresholds 1 to 4 under weather D5,
// then thresholds 1 to 4 under F2. Reports, map colours and the legend follow it.
inline constexpr std::size_t kDistanceSlots = 8;

[[nodiscard]] inline int thresholdOf(std::size_t slot)
{
    return static_cast<int>(slot % 4) + 1;
}
[[nodiscard]] inline bool isF2(std::size_t slot)
{
    return slot >= 4;
}

// One damage distance as the tables give it.
struct DamageDistance
{
    double metres = 0.0; // 0 = not applicable (shown so from threshold 2 on); 10001 = more than 10000 m
    bool notAvailable = false; // toxic: no table gives this distance for the choices made
    bool lowerBound = false; // toxic: read from the sub-class below the last of its family (" >")
    QString subclass; // toxic thresholds 1 and 3: the sub-class label of the table row ("4.3  ", "5.2.1")
};

inline const QString kNotApplicable = QStringLiteral(" Non applicabile");
inline const QString kNotAvailable = QStringLiteral(" Non disponibile");

// How reports show a distance: " 350 m", " 400 > m" (a lower bound), " 10000 > m" (10001),
// " Non applicabile" (0 from threshold 2 on; " 0 m" at threshold 1), " Non disponibile".
[[nodiscard]] QString distanceText(const DamageDistance &distance, std::size_t slot);

// A distance as a figure for other programs (zefro-estimate's JSON, GIS files): the metres and
// whether the distance is only a lower bound. "More than 10000 m" (10001) is 10000 and a lower bound;
// " Non applicabile" and " Non disponibile" give no figure.
struct DistanceFigure
{
    double metres = 0.0;
    bool greaterThan = false;
};
[[nodiscard]] std::optional<DistanceFigure> distanceFigure(const DamageDistance &distance, std::size_t slot);

// One completed estimate: the choices it was made for and what the tables gave for them. The reports,
// the map drawing and zefro-estimate's outputs are all built from it.
struct Estimate
{
    std::optional<Substance> substance; // none for a class picked in the flammable quick pick
    const HazardClass *hazardClass = nullptr;
    Hypothesis hypothesis = Hypothesis::MostLikely;
    Containment containment = Containment::BundedStorage;
    std::optional<RangeEntry> range; // the quantity or diameter chosen; none for tankers and ships

    std::array<DamageDistance, kDistanceSlots> distances{};
    // "1.1.1" ... "2.3" for a flammable class; for a toxic one the sub-class of the last table row
    // used ("5.1.3"), empty when no row applied.
    QString classLabel;
    QString scenario; // "Pool Fire", "Flash Fire", "VCE" or "Nube Tossica"

    [[nodiscard]] bool toxic() const { return hazardClass && hazardClass->isToxic(); }
};

// The toxic sub-class a distance of an estimate was read from, as other programs get it: thresholds 1
// and 3 of a toxic estimate, trimmed; nothing otherwise.
[[nodiscard]] std::optional<QString> reportedSubclass(const Estimate &estimate, const DamageDistance &distance,
                                                      std::size_t slot);

// "Pool Fire" for flammable liquids, "Flash Fire" (most likely) or "VCE" (average) for flammable
// gases, "Nube Tossica" for the toxic classes.
[[nodiscard]] QString scenarioName(const HazardClass &hazard, Hypothesis hypothesis);
