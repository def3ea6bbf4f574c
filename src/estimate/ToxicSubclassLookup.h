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
[[nodiscard]] std::optional<SubclassLabel> normaliseSubclassLabel(const QString &label);

// The codes of the 24 sub-class workbooks, "41" ... "46", "511" ... "536", and a workbook's path.
[[nodiscard]] const QStringList &subclassCodes();
[[nodiscard]] QString subclassWorkbookPath(const QString &code);

// The sub-class matrix: worksheet 2 of a toxic zone workbook, rows 5 to 204; columns A to D hold the
// containment group, the pair code, the threshold and the weather of a row, and the zone index + 5
// gives the column of a zone's sub-class label (zone 1 is F, 72 is BY).
inline constexpr int kMatrixSheet = 2;
inline constexpr int kFirstMatrixRow = 5;
inline constexpr int kLastMatrixRow = 204;

// A zone index of a class table: refused (BadZoneIndex, with the cell as read) unless it is a whole
// number from 1 to 72.
[[nodiscard]] Status checkZoneIndex(const CellValue &zone);

// The sub-class label of a matrix cell (worksheet 2 of `book`), or UnknownSubclass naming the cell.
[[nodiscard]] Outcome<SubclassLabel> subclassLabelOfCell(const CellValue &cell, const QString &book,
                                                         const QString &address);

// The distance a matrix row stands for, from its threshold and weather cells: threshold 1 or 3 under
// D5 (weather 1) or F2 (weather 2); nullopt for any other row, which is never used.
struct MatrixSlot
{
    int threshold = 1;
    bool f2 = false;
};
[[nodiscard]] std::optional<MatrixSlot> matrixSlotOf(const CellValue &threshold, const CellValue &weather);

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
// distance from its sub-class workbook; four rows at most. The range's column pair is the first of
// row 1 that holds a range (pairHoldsRange) with the range's lower bound, so a lower bound of 0 is
// only ever the first pair's. The last sub-class of a family ("4.6", "5.1.6", ...) holds 0 where its
// distance is beyond the table: the distance is then read from the sub-class below and marked as a
// lower bound. A distance that no row gives stays not available. Stops with an error for a workbook
// failure, a zone index or sub-class label it cannot use, a lower bound of row 1 written as text, or
// a distance cell that holds no distance (distanceOfCell).
[[nodiscard]] Outcome<ToxicDistances> lookUpToxicDistances(const WorkbookOpener &opener, const ToxicLookupInput &input);
