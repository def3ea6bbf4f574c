#pragma once

#include "estimate/Choices.h"
#include "estimate/Estimate.h"
#include "estimate/RangeTable.h"
#include "xls/Workbook.h"

#include <QString>

#include <optional>
#include <vector>

// A toxic sub-class label as the zone matrix holds it ("4.3", "5.2.1"), its five-character form and
// the code that names its distance workbook ("4.3  ", "43").
struct SubclassLabel
{
    QString label; // normalised: the class 4 labels get two trailing blanks
    QString code;
};

// nullopt for anything that is not one of "4.1".."4.6", "5.1.1".."5.1.6", "5.2.1".."5.2.6",
// "5.3.1".."5.3.6" exactly.
[[nodiscard]] std::optional<SubclassLabel> NormaliseSubclassLabel(const QString &label);

// What the toxic part of an estimate reads from.
struct ToxicLookupInput
{
    const Workbook &zoneWorkbook; // the class's zone workbook; worksheet 2 is the sub-class matrix
    CellValue zone; // the substance's zone index in the class table
    int containmentGroup = 1; // 1 or 2
    Containment containment = Containment::BundedStorage;
    Hypothesis hypothesis = Hypothesis::MostLikely;
    const std::vector<PairRow> &pairs; // the class's rows of the range correspondence
    double lowerBound = 0.0; // of the chosen range; 0 for tankers and ships
};

struct ToxicDistances
{
    // Thresholds 1 and 3 under D5 and F2 (slots 0, 2, 4, 6); thresholds 2 and 4 have none.
    std::array<DamageDistance, kDistanceSlots> distances{};
    QString lastSubclass; // the label of the last matrix row used, empty when none was
};

// Finds the pair code of the chosen range and hypothesis, scans the sub-class matrix (rows 5 to
// 204) for the rows of that pair and containment group, and reads each row's threshold 1 or 3
// distance from its sub-class workbook; four rows at most. The last sub-class of a family ("4.6",
// "5.1.6", ...) holds 0 where its distance is beyond the table: the distance is then read from the
// sub-class below and marked as a lower bound. A distance that no row gives stays not available.
// Stops with an error for a workbook failure, a zone index or sub-class label it cannot use, or a
// distance that is not a number.
[[nodiscard]] Outcome<ToxicDistances> lookUpToxicDistances(const WorkbookOpener &opener, const ToxicLookupInput &input);
