#pragma once

#include <QString>

#include <array>

// The analyst's choices that shape an estimate besides the substance and its class.

// The incident hypothesis; the number is the one the tables are laid out by.
enum class Hypothesis { MostLikely = 1, Average = 2 };

// "Ipotesi più probabile" or "Ipotesi media": how lists and reports name it.
[[nodiscard]] QString hypothesisName(Hypothesis hypothesis);

// The containment, in list order; the number is also the worksheet that holds its tables in every
// distance workbook and in the range correspondence.
enum class Containment { BundedStorage = 1, UnbundedStorage, Tanker, Ship, Pipeline };

inline constexpr std::array<Containment, 5> kContainments{Containment::BundedStorage, Containment::UnbundedStorage,
                                                          Containment::Tanker, Containment::Ship,
                                                          Containment::Pipeline};

// "Stoccaggi fissi con bacino di contenimento" ... "Condotte": how lists and reports name it.
[[nodiscard]] QString containmentName(Containment containment);

[[nodiscard]] inline int worksheetOf(Containment containment)
{
    return static_cast<int>(containment);
}

// What is chosen after the containment: a quantity range (fixed storage), a pipe diameter
// (pipelines), or nothing (tankers and ships always read the first range of their tables).
enum class RangeKind { Quantity, Diameter, None };

[[nodiscard]] RangeKind rangeKindOf(Containment containment);
