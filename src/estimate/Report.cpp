#include "estimate/Report.h"

#include "estimate/OutputFileName.h"
#include "platform/DrivePaths.h"
#include "platform/TextFile.h"

namespace {

const char *const kThresholdLabels[kDistanceSlots] = {"soglia 1 D5", "soglia 2 D5", "soglia 3 D5", "soglia 4 D5",
                                                      "soglia 1 F2", "soglia 2 F2", "soglia 3 F2", "soglia 4 F2"};
const char *const kTableLabels[kDistanceSlots] = {"    1        D5", "    2        D5", "    3        D5",
                                                  "    4        D5", "    1        F2", "    2        F2",
                                                  "    3        F2", "    4        F2"};

// The sub-class name of an odd-threshold slot (1 D5, 3 D5, 1 F2, 3 F2 take names 1 to 4), padded
// to its twelve characters.
QString subclassNameOf(const ResultSet &result, std::size_t slot)
{
    const std::size_t index = (slot % 4) / 2 + (slot >= 4 ? 2 : 0);
    return result.subclassName[index].leftJustified(12, QLatin1Char(' '));
}

} // namespace

QStringList PreliminarySummary(const ReportInputs &in)
{
    return {QStringLiteral("sostanza prescelta: ") + in.substanceName, QStringLiteral("#CAS = ") + in.cas,
            QStringLiteral("classe cui appartiene la sostanza: ") + in.classText, in.hypothesis};
}

QStringList ReportBoxLines(const ReportInputs &in, const ResultSet &result, bool toxic)
{
    QStringList lines{
        QStringLiteral("Sostanza prescelta: ") + in.substanceName,
        QStringLiteral("#CAS: ") + in.cas,
        QStringLiteral("Classe: ") + (toxic ? QString() : result.classLabel),
        QStringLiteral("Tipologia di detenzione: ") + in.containment,
        in.hypothesis,
        QStringLiteral("Range di quantità  [t]: ") + in.quantity,
        QStringLiteral("Diametro condotta [in]: ") + in.diameter,
    };
    if (!toxic) {
        lines << QStringLiteral("Scenario incidentale:             ") + result.scenarioName;
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
            lines << QLatin1String(kThresholdLabels[slot]) + QStringLiteral("  distanza di danno = ")
                         + result.distanceText[slot];
        return lines;
    }
    lines << QStringLiteral("Scenario incidentale:                          ") + result.scenarioName;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const bool named = slot % 2 == 0; // thresholds 1 and 3
        const QString middle = named ? subclassNameOf(result, slot) : QString(12, QLatin1Char(' '));
        lines << QLatin1String(kThresholdLabels[slot]) + QLatin1Char(' ') + middle
                     + QStringLiteral("  distanza di danno = ") + result.distanceText[slot];
    }
    return lines;
}

QStringList DataLabelLines(const ReportInputs &in, const ResultSet &result)
{
    return {QStringLiteral("Sostanza prescelta: ") + in.substanceName,
            QStringLiteral("#CAS: ") + in.cas,
            QStringLiteral("Classe: ") + result.classLabel,
            QStringLiteral("Tipologia di detenzione: ") + in.containment,
            in.hypothesis,
            QStringLiteral("Scenario incidentale: ") + result.scenarioName};
}

QStringList ResultsLabelLines(const ResultSet &result)
{
    QStringList lines;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        lines << QLatin1String(kThresholdLabels[slot]) + QStringLiteral(" distanza di danno = ") + result.distanceText[slot];
    return lines;
}

QStringList LegendLabelLines()
{
    return {QStringLiteral("Rosso"),   QStringLiteral("Blu"),     QStringLiteral("Cyan"),    QStringLiteral("Giallo"),
            QStringLiteral("Verde"),   QStringLiteral("Magenta"), QStringLiteral("Grigio "), QStringLiteral("Antracite ")};
}

QStringList ReportFileLines(const ReportInputs &in, const ResultSet &result, bool toxic)
{
    QStringList lines{QStringLiteral("ZEFRO"), QStringLiteral("ver. 2.0.b"),
                      QStringLiteral("MEtodo Quillaro per la valutazione delle conseguenze di incidenti rilevanti")};
    for (const QString &line : reportOrganisationLines())
        lines << line;
    lines << QString();

    lines << QStringLiteral("Sostanza prescelta: ") + in.substanceName << QStringLiteral("#CAS = ") + in.cas
          << QStringLiteral("Classe: ") + (toxic ? QString() : result.classLabel)
          << QStringLiteral("Tipologia di detenzione: ") + in.containment << in.hypothesis
          << QStringLiteral("Range di quantità  [t]: ") + in.quantity
          << QStringLiteral("Diametro condotta [in]: ") + in.diameter << QString()
          << QStringLiteral("Scenario incidentale: ") + result.scenarioName << QString();

    if (!toxic) {
        lines << QStringLiteral("  SOGLIA    METEO           DISTANZA DI DANNO");
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
            lines << QLatin1String(kTableLabels[slot]) + result.distanceText[slot];
    } else {
        lines << QStringLiteral("  SOGLIA    METEO   CLASSE           DISTANZA DI DANNO        ");
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
            // The class cell is the sub-class label part of the name ("4.3  ", "5.2.1").
            const QString classCell = slot % 2 == 0 ? subclassNameOf(result, slot).mid(7, 5) : QString(5, QLatin1Char(' '));
            const QString row = QLatin1String(kTableLabels[slot]) + QStringLiteral("     ") + classCell;
            lines << row.leftJustified(34, QLatin1Char(' ')) + result.distanceText[slot];
        }
    }
    lines << QStringLiteral(" ") + QString(65, QLatin1Char('_'))
          << QStringLiteral(" Si rimanda al Manuale Utente e agli help in linea ")
          << QStringLiteral(" per informazioni riguardanti le ipotesi incidentali, le soglie e ")
          << QStringLiteral(" le coppie categoria di stabilità atmosferica/velocità del vento.");
    return lines;
}

QString ReportSavedQuestion(const QString &reportFileName)
{
    return QStringLiteral("Done! ") + reportFileName + QLatin1Char('.') + QString(49, QLatin1Char(' '))
           + QStringLiteral("Do you want to edit & print the file? ");
}

ReportFileOutcome AppendReportFile(const QString &outputPrefix, const DrivePaths &drives, const QDateTime &when,
                                   const ReportInputs &in, const ResultSet &result, bool toxic)
{
    ReportFileOutcome out;
    out.fileName = reportFileName(outputPrefix, when, in.substanceName);
    QString error;
    if (!TextFile::appendLines(drives.toLocal(out.fileName), ReportFileLines(in, result, toxic), &error))
        out.error = error.isEmpty() ? QStringLiteral("Impossibile scrivere il file del report\n") + out.fileName : error;
    return out;
}
