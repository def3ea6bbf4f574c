#pragma once

#include "estimate/CellValue.h"

#include <QString>

#include <array>

// The eight slots of an estimate always run in this order: threshold 1..4 under D5, then 1..4 under F2.
inline constexpr int kDistanceSlots = 8;

// The outcome of one estimate, read by the reports and the map drawing.
struct ResultSet
{
    std::array<CellValue, kDistanceSlots> damageDistance{}; // metres; 0 = not applicable, 10001 = > 10000 m
    std::array<QString, kDistanceSlots> distanceText{};
    QString scenarioName;
    QString classLabel;                 // "1.1.1" ... "2.3", or a toxic sub-class label
    std::array<QString, 4> subclassName{};
    // The greater-than marks of threshold 1 D5, 3 D5, 1 F2, 3 F2 (a lower bound of the distance).
    std::array<bool, 4> greaterThan{};
    // Slots of a toxic estimate for which no table row gave a distance ("Non disponibile").
    std::array<bool, kDistanceSlots> notAvailable{};
};
