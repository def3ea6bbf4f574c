#pragma once

#include "estimate/ResultSet.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>

// The main-window texts a report quotes.
struct ReportInputs
{
    QString substanceName; // Combo1
    QString cas;           // Combo2
    QString classText;     // Combo9
    QString containment;   // Combo4
    QString hypothesis;    // Combo5
    QString quantity;      // Combo6 (a range or " Non applicabile")
    QString diameter;      // Combo7 (a diameter or " Non applicabile")
};

// Every text the estimate shows or writes, one line per list item; the windows and the report file
// join them as they need (the file with CR LF).

// The four-line summary of the main window's Output box.
[[nodiscard]] QStringList PreliminarySummary(const ReportInputs &in);

// The sixteen lines of the map window's report box output2.
[[nodiscard]] QStringList ReportBoxLines(const ReportInputs &in, const ResultSet &result, bool toxic);

// The map window's panels: Label3 (six lines of input data), Label4 (eight distances), Label5
// (the colour names of the eight areas).
[[nodiscard]] QStringList DataLabelLines(const ReportInputs &in, const ResultSet &result);
[[nodiscard]] QStringList ResultsLabelLines(const ResultSet &result);
[[nodiscard]] QStringList LegendLabelLines();

// The six lines of the report file's heading that name the issuing organisation. They are ours
// to supply and live in ReportHeading.cpp.
[[nodiscard]] const std::array<QString, 6> &reportOrganisationLines();

// Every line of one report in the report file: heading, body, table and notes.
[[nodiscard]] QStringList ReportFileLines(const ReportInputs &in, const ResultSet &result, bool toxic);

// The question asked once the report file is written.
[[nodiscard]] QString ReportSavedQuestion(const QString &reportFileName);
inline const QString kReportSavedTitle = QStringLiteral("Save report");

// Appends one report to the report file named after the substance and the time `when`. Returns
// the file name as the system names it (outputPrefix + "ZEFRO  run ..."), or an Italian message.
struct ReportFileOutcome
{
    QString fileName; // system path
    QString error;    // empty on success
};
class DrivePaths;
[[nodiscard]] ReportFileOutcome AppendReportFile(const QString &outputPrefix, const DrivePaths &drives,
                                                 const QDateTime &when, const ReportInputs &in,
                                                 const ResultSet &result, bool toxic);
