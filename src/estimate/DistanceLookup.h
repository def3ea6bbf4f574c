#pragma once

#include "estimate/Report.h"
#include "estimate/Workbook.h"

#include <QString>
#include <QStringList>

struct ProgramState;

inline const QString kContainmentListPrompt = QStringLiteral("inserire tipologia di detenzione");
inline const QString kEmptyContainment =
    QStringLiteral("campo vuoto: scegliere tipologia di detenzione dalla combo box");
inline const QString kNotApplicable = QStringLiteral(" Non applicabile");
inline const QString kNotAvailable = QStringLiteral(" Non disponibile");
inline const QString kUnknownQuantity =
    QStringLiteral("La quantità indicata non è tra quelle dell'elenco: sceglierne una dall'elenco delle quantità.");
inline const QString kUnknownDiameter =
    QStringLiteral("Il diametro indicato non è tra quelli dell'elenco: sceglierne uno dall'elenco dei diametri.");

// The main-window texts and lists the estimate reads.
struct EstimateInput
{
    QString substanceName; // Combo1
    QString cas;           // Combo2
    QString classText;     // Combo9
    QString containment;   // Combo4
    QStringList containmentEntries;
    QString hypothesis;    // Combo5
    QString quantity;      // Combo6
    QStringList quantityEntries;
    QString diameter;      // Combo7
    QStringList diameterEntries;
};

// What the window must show after the estimate.
struct EstimateOutcome
{
    QString summary;        // the four lines for Output, written even when the estimate stops
    bool completed = false; // the result set holds a new estimate and `report` describes it
    QString message;        // Italian notice for an OK box when the estimate stopped
    QString quantityText;   // Combo6 and Combo7 texts after the estimate
    QString diameterText;
    ReportInputs report;    // the texts of the reports, as they stood at the end of the estimate
    bool toxic = false;     // the report has the toxic layout
};

// Command1_Click without the widgets: reads the eight distances (from the range table for a
// flammable class, through the toxic sub-class lookup for a toxic one), builds their texts, names
// the scenario and returns what the main window and the map window show. A range or diameter text
// that is not one of its list's entries stops the estimate with a message.
[[nodiscard]] EstimateOutcome RunEstimate(ProgramState &state, const WorkbookOpener &opener,
                                          const EstimateInput &input);

// The display texts of the eight distances, from the distances, marks and not-available flags.
void BuildDistanceTexts(ResultSet &result);

// "Pool Fire", "Nube Tossica", "Flash Fire" or "VCE".
[[nodiscard]] QString ScenarioName(const QString &classLabel, int hypothesisCode, bool toxic);
