#include "estimate/Report.h"

#include "estimate/OutputFileName.h"
#include "platform/DrivePaths.h"
#include "platform/TextFile.h"

namespace {

const char *const kThresholdLabels[kDistanceSlots] = {"soglia 1 D5", "soglia 2 D5", "soglia 3 D5", "soglia 4 D5",
                                                      "soglia 1 F2", "soglia 2 F2", "soglia 3 F2", "soglia 4 F2"};
const char *const kTableLabels[kDistanceSlots]
    = {"    1        D5", "    2        D5", "    3        D5", "    4        D5",
       "    1        F2", "    2        F2", "    3        F2", "    4        F2"};

QString textOf(const Estimate &estimate, std::size_t slot)
{
    return distanceText(estimate.distances[slot], slot);
}

// "classe 5.1.3" where a toxic row gave the slot's sub-class, padded to its twelve characters.
QString subclassColumn(const Estimate &estimate, std::size_t slot)
{
    const QString &label = estimate.distances[slot].subclass;
    return (label.isEmpty() ? QString() : QStringLiteral("classe ") + label).leftJustified(12, QLatin1Char(' '));
}

QString classLine(const Estimate &estimate)
{
    return QStringLiteral("Classe: ") + (estimate.toxic() ? QString() : estimate.classLabel);
}

} // namespace

QString reportedSubstanceName(const Estimate &estimate)
{
    return estimate.substance ? estimate.substance->name : QStringLiteral("inserire nome sostanza");
}

QString reportedCas(const Estimate &estimate)
{
    return estimate.substance ? estimate.substance->cas : QStringLiteral("CAS");
}

QString reportedQuantity(const Estimate &estimate)
{
    const bool asked = rangeKindOf(estimate.containment) == RangeKind::Quantity && estimate.range;
    return asked ? estimate.range->text() : kNotApplicable;
}

QString reportedDiameter(const Estimate &estimate)
{
    const bool asked = rangeKindOf(estimate.containment) == RangeKind::Diameter && estimate.range;
    return asked ? estimate.range->text() : kNotApplicable;
}

QStringList reportBoxLines(const Estimate &estimate)
{
    QStringList lines{
        QStringLiteral("Sostanza prescelta: ") + reportedSubstanceName(estimate),
        QStringLiteral("#CAS: ") + reportedCas(estimate),
        classLine(estimate),
        QStringLiteral("Tipologia di detenzione: ") + containmentName(estimate.containment),
        hypothesisName(estimate.hypothesis),
        QStringLiteral("Range di quantità  [t]: ") + reportedQuantity(estimate),
        QStringLiteral("Diametro condotta [in]: ") + reportedDiameter(estimate),
    };
    if (!estimate.toxic()) {
        lines << QStringLiteral("Scenario incidentale:             ") + estimate.scenario;
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
            lines << QLatin1String(kThresholdLabels[slot]) + QStringLiteral("  distanza di danno = ")
                    + textOf(estimate, slot);
        return lines;
    }
    lines << QStringLiteral("Scenario incidentale:                          ") + estimate.scenario;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        lines << QLatin1String(kThresholdLabels[slot]) + QLatin1Char(' ') + subclassColumn(estimate, slot)
                + QStringLiteral("  distanza di danno = ") + textOf(estimate, slot);
    return lines;
}

QStringList dataLabelLines(const Estimate &estimate)
{
    return {QStringLiteral("Sostanza prescelta: ") + reportedSubstanceName(estimate),
            QStringLiteral("#CAS: ") + reportedCas(estimate),
            QStringLiteral("Classe: ") + estimate.classLabel,
            QStringLiteral("Tipologia di detenzione: ") + containmentName(estimate.containment),
            hypothesisName(estimate.hypothesis),
            QStringLiteral("Scenario incidentale: ") + estimate.scenario};
}

QStringList resultsLabelLines(const Estimate &estimate)
{
    QStringList lines;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        lines << QLatin1String(kThresholdLabels[slot]) + QStringLiteral(" distanza di danno = ")
                + textOf(estimate, slot);
    return lines;
}

QStringList legendLabelLines()
{
    return {QStringLiteral("Rosso"),   QStringLiteral("Blu"),       QStringLiteral("Cyan"),
            QStringLiteral("Giallo"),  QStringLiteral("Verde"),     QStringLiteral("Magenta"),
            QStringLiteral("Grigio "), QStringLiteral("Antracite ")};
}

QStringList reportFileLines(const Estimate &estimate)
{
    QStringList lines{QStringLiteral("ZEFRO"), QStringLiteral("ver. 2.0.b"),
                      QStringLiteral("MEtodo Quillaro per la valutazione delle conseguenze di incidenti rilevanti")};
    for (const QString &line : reportOrganisationLines())
        lines << line;
    lines << QString();

    lines << QStringLiteral("Sostanza prescelta: ") + reportedSubstanceName(estimate)
          << QStringLiteral("#CAS = ") + reportedCas(estimate) << classLine(estimate)
          << QStringLiteral("Tipologia di detenzione: ") + containmentName(estimate.containment)
          << hypothesisName(estimate.hypothesis)
          << QStringLiteral("Range di quantità  [t]: ") + reportedQuantity(estimate)
          << QStringLiteral("Diametro condotta [in]: ") + reportedDiameter(estimate) << QString()
          << QStringLiteral("Scenario incidentale: ") + estimate.scenario << QString();

    if (!estimate.toxic()) {
        lines << QStringLiteral("  SOGLIA    METEO           DISTANZA DI DANNO");
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
            lines << QLatin1String(kTableLabels[slot]) + textOf(estimate, slot);
    } else {
        lines << QStringLiteral("  SOGLIA    METEO   CLASSE           DISTANZA DI DANNO        ");
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
            // The class cell is the sub-class label ("4.3  ", "5.2.1"), five characters wide.
            const QString classCell = estimate.distances[slot].subclass.leftJustified(5, QLatin1Char(' '), true);
            const QString row = QLatin1String(kTableLabels[slot]) + QStringLiteral("     ") + classCell;
            lines << row.leftJustified(34, QLatin1Char(' ')) + textOf(estimate, slot);
        }
    }
    lines << QStringLiteral(" ") + QString(65, QLatin1Char('_'))
          << QStringLiteral(" Si rimanda al Manuale Utente e agli help in linea ")
          << QStringLiteral(" per informazioni riguardanti le ipotesi incidentali, le soglie e ")
          << QStringLiteral(" le coppie categoria di stabilità atmosferica/velocità del vento.");
    return lines;
}

QString reportSavedQuestion(const QString &reportFileName, const QString &localPath)
{
    const QString question = QStringLiteral("Done! ") + reportFileName + QLatin1Char('.')
        + QString(49, QLatin1Char(' ')) + QStringLiteral("Do you want to edit & print the file? ");
    // The system's words stay as they are; the drive path alone cannot be found on this computer.
    return question + whereOnThisComputer(reportFileName, localPath);
}

Outcome<HeldReport> appendHeldReportFile(const QString &outputPrefix, const DrivePaths &drives,
                                         const QDateTime &when, const Estimate &estimate)
{
    const QString fileName = reportFileName(outputPrefix, when, reportedSubstanceName(estimate));
    Outcome<std::unique_ptr<SystemFile::HeldAppend>> appended = SystemFile::HeldAppend::append(
        drives.toLocal(fileName), TextFile::encodeLines(reportFileLines(estimate)));
    if (!appended.ok())
        return namedBySystem(appended.error(), fileName);
    return HeldReport{fileName, std::move(appended.value())};
}

Outcome<QString> appendReportFile(const QString &outputPrefix, const DrivePaths &drives, const QDateTime &when,
                                  const Estimate &estimate)
{
    const Outcome<HeldReport> appended = appendHeldReportFile(outputPrefix, drives, when, estimate);
    if (!appended.ok())
        return appended.error();
    return appended.value().fileName;
}
