#pragma once

#include "estimate/Workbook.h"

#include <QString>

#include <optional>

struct ProgramState;

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

// The main-window texts the toxic lookup reads.
struct ToxicLookupInput
{
    QString quantity;   // Combo6
    QString diameter;   // Combo7
    QString hypothesis; // Combo5
};

// The lower bound of the chosen range: the number before the first "-" among the first ten
// characters of the quantity (containments 1, 2) or diameter (5) text; 0 for tankers and ships.
[[nodiscard]] double ChosenLowerBound(int containmentCode, const ToxicLookupInput &input);

// The toxic part of an estimate: finds pairCode for the chosen range and hypothesis, scans the
// sub-class matrix for the rows of that pair and containment group, and reads the threshold 1 and 3
// distances from the sub-class workbooks (falling back from the last sub-class of a family to the
// one below it, with the greater-than mark, when the last one holds 0). Slots that no row provides
// stay flagged in result.notAvailable. Returns an Italian message when it had to stop (a workbook
// failure, a zone index or a sub-class label it cannot use, a distance that is not a number).
[[nodiscard]] QString LookupToxicSubclasses(ProgramState &state, const WorkbookOpener &opener,
                                            const ToxicLookupInput &input);
