#pragma once

#include "estimate/Estimate.h"
#include "platform/Error.h"
#include "platform/SystemFile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class DrivePaths;

// Every text an estimate shows or writes, one line per list item; the windows and the report file
// join them as they need (the file with CR LF).

// How the reports name the substance and its CAS number: after a quick pick, which names no
// substance, they quote what the substance lists show then.
[[nodiscard]] QString reportedSubstanceName(const Estimate &estimate);
[[nodiscard]] QString reportedCas(const Estimate &estimate);
// The chosen range, or " Non applicabile" where the containment asks for no quantity / no diameter.
[[nodiscard]] QString reportedQuantity(const Estimate &estimate);
[[nodiscard]] QString reportedDiameter(const Estimate &estimate);

// The sixteen lines of the map window's report box.
[[nodiscard]] QStringList reportBoxLines(const Estimate &estimate);

// The map window's panels: six lines of input data, the eight distances, the colour names of the
// eight areas.
[[nodiscard]] QStringList dataLabelLines(const Estimate &estimate);
[[nodiscard]] QStringList resultsLabelLines(const Estimate &estimate);
[[nodiscard]] QStringList legendLabelLines();

// The six lines of the report file's heading that name the issuing organisation. They are ours
// to supply and live in ReportHeading.cpp.
[[nodiscard]] const std::array<QString, 6> &reportOrganisationLines();

// Every line of one report in the report file: heading, body, table and notes.
[[nodiscard]] QStringList reportFileLines(const Estimate &estimate);

// The question asked once the report file is written, naming it as the system does, then on a line
// of its own where it is on this computer (localPath; no such line when it is empty or the same).
[[nodiscard]] QString reportSavedQuestion(const QString &reportFileName, const QString &localPath = {});
inline const QString kReportSavedTitle = QStringLiteral("Save report");

// Appends one report to the report file named after the substance and the time `when` (created when
// missing; an existing file is only ever appended to). Returns the file name as the system names it
// (outputPrefix + "ZEFRO  run ...").
[[nodiscard]] Outcome<QString> appendReportFile(const QString &outputPrefix, const DrivePaths &drives,
                                                const QDateTime &when, const Estimate &estimate);

// The same append, still held: until `append` goes away no other append reaches the file, so a run
// whose later step fails can take its report back without touching anyone else's.
struct HeldReport
{
    QString fileName; // as the system names it
    std::unique_ptr<SystemFile::HeldAppend> append;
};
[[nodiscard]] Outcome<HeldReport> appendHeldReportFile(const QString &outputPrefix, const DrivePaths &drives,
                                                       const QDateTime &when, const Estimate &estimate);
