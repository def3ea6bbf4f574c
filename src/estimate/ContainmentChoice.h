#pragma once

#include "estimate/Workbook.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

struct ProgramState;

// The five containment types in list order; the position + 1 is containmentCode and the worksheet
// of every distance workbook.
[[nodiscard]] const std::array<QString, 5> &containmentTypes();

inline const QString kQuantityListPrompt = QStringLiteral("scelta della quantità [t]");
inline const QString kDiameterListPrompt = QStringLiteral("scelta del diametro della condotta [in]");
inline const QString kCompressedGasRefusal = QStringLiteral("Scelta non valida per i gas compressi");
inline const QString kChooseClassFirst =
    QStringLiteral("Classe non determinata: scegliere prima la classe della sostanza dall'elenco delle classi.");
inline const QString kRangeCorrespondenceFile = QStringLiteral("corrispondenza coppie tossici.xls");

// The main-window texts the containment choice reads.
struct ContainmentInput
{
    QString containment;   // Combo4
    QString classText;     // Combo9
    QString quickPickText; // Combo8
    QString hypothesis;    // Combo5
};

// What the window must show after the containment choice. Combo4 is disabled in every case.
struct ContainmentOutcome
{
    bool showQuantityList = false; // Combo6 visible
    bool showDiameterList = false; // Combo7 visible
    bool enableLists = false;      // Combo6 and Combo7 enabled
    bool enableEstimate = false;   // Command1 enabled: tankers and ships ask for no quantity
    bool classChoiceOpen = false;  // Combo9 enabled: the class must be chosen first
    std::optional<QString> classText;           // new Combo9 text: the quick-pick entry copied in
    std::optional<QStringList> quantityEntries; // new Combo6 list, with kQuantityListPrompt as text
    std::optional<QStringList> diameterEntries; // new Combo7 list, with kDiameterListPrompt as text
    QString message;                            // Italian notice for an OK box; empty for none
};

// Combo4_Click without the widgets: fixes containmentCode and containmentGroup, the class label and
// workbook, hypothesisCode, the range table (and for toxic classes the range correspondence), and
// builds the quantity or diameter entries. When no class can be determined, when class 2_3 or 53
// is put into a bunded fixed storage, or when a table cannot be read or holds something other than
// numbers as range bounds, it returns a message and offers no list, so no estimate can start.
[[nodiscard]] ContainmentOutcome ChooseContainment(ProgramState &state, const WorkbookOpener &opener,
                                                   const ContainmentInput &input);

// The list entry of a range: " 0 -  10" for the bounds 0 and 10.
[[nodiscard]] QString RangeEntryText(const CellValue &lower, const CellValue &upper);

// Row 1 of the range table from the first eight rows of the toxic range correspondence.
void FillRangeRowFromPairs(ProgramState &state);
