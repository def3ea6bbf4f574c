#include "estimate/DistanceLookup.h"
#include "estimate/Report.h"
#include "platform/DrivePaths.h"
#include "support/TestDrive.h"

#include <QtTest>

namespace {

const ReportInputs kTanker{"Propano", "74-98-6", "2_1_2   Gas infiammabili liquefatti per compressione(Teb< -8°C)",
                           "Autobotti/Ferrocisterne", "Ipotesi media", " Non applicabile", " Non applicabile"};
const ReportInputs kToxic{"Acrilonitrile", "107-13-1", "4 Liquidi tossici", "Stoccaggi fissi senza bacino di contenimento",
                          "Ipotesi più probabile", " 10 -  50", " Non applicabile"};

ResultSet tankerResult()
{
    ResultSet result;
    const double values[] = {120, 155, 210, 10001, 430, 500, 0, 895};
    for (std::size_t i = 0; i < kDistanceSlots; ++i)
        result.damageDistance[i] = CellValue::number(values[i]);
    BuildDistanceTexts(result);
    result.classLabel = QStringLiteral("2.1.2");
    result.scenarioName = QStringLiteral("VCE");
    return result;
}

ResultSet toxicResult()
{
    ResultSet result;
    result.damageDistance[0] = CellValue::number(49);
    result.damageDistance[2] = CellValue::number(289);
    result.damageDistance[4] = CellValue::number(400);
    result.greaterThan[1] = true; // threshold 3 D5
    result.notAvailable[6] = true;
    BuildDistanceTexts(result);
    result.subclassName = {QStringLiteral("classe 4.3  "), QStringLiteral("classe 4.3  "), QStringLiteral("classe 4.6  ")};
    result.classLabel = QStringLiteral("4.6  ");
    result.scenarioName = QStringLiteral("Nube Tossica");
    return result;
}

QStringList heading()
{
    QStringList lines{"ZEFRO", "ver. 2.0.b", "MEtodo Quillaro per la valutazione delle conseguenze di incidenti rilevanti"};
    for (const QString &line : reportOrganisationLines())
        lines << line;
    return lines << QString();
}

const QStringList kNotes{" _________________________________________________________________",
                         " Si rimanda al Manuale Utente e agli help in linea ",
                         " per informazioni riguardanti le ipotesi incidentali, le soglie e ",
                         " le coppie categoria di stabilità atmosferica/velocità del vento."};

} // namespace

class ReportTest : public QObject
{
    Q_OBJECT

private slots:
    void flammableLines()
    {
        const QStringList box = ReportBoxLines(kTanker, tankerResult(), false);
        QCOMPARE(box, QStringList({
            "Sostanza prescelta: Propano", "#CAS: 74-98-6", "Classe: 2.1.2",
            "Tipologia di detenzione: Autobotti/Ferrocisterne", "Ipotesi media",
            "Range di quantità  [t]:  Non applicabile", "Diametro condotta [in]:  Non applicabile",
            "Scenario incidentale:             VCE",
            "soglia 1 D5  distanza di danno =  120 m", "soglia 2 D5  distanza di danno =  155 m",
            "soglia 3 D5  distanza di danno =  210 m", "soglia 4 D5  distanza di danno =  10000 > m",
            "soglia 1 F2  distanza di danno =  430 m", "soglia 2 F2  distanza di danno =  500 m",
            "soglia 3 F2  distanza di danno =  Non applicabile", "soglia 4 F2  distanza di danno =  895 m"}));
        QCOMPARE(ReportFileLines(kTanker, tankerResult(), false), heading() + QStringList({
            "Sostanza prescelta: Propano", "#CAS = 74-98-6", "Classe: 2.1.2",
            "Tipologia di detenzione: Autobotti/Ferrocisterne", "Ipotesi media",
            "Range di quantità  [t]:  Non applicabile", "Diametro condotta [in]:  Non applicabile", "",
            "Scenario incidentale: VCE", "",
            "  SOGLIA    METEO           DISTANZA DI DANNO",
            "    1        D5 120 m", "    2        D5 155 m", "    3        D5 210 m", "    4        D5 10000 > m",
            "    1        F2 430 m", "    2        F2 500 m", "    3        F2 Non applicabile", "    4        F2 895 m",
        }) + kNotes);
        QCOMPARE(ResultsLabelLines(tankerResult()).mid(2, 3),
                 QStringList({"soglia 3 D5 distanza di danno =  210 m", "soglia 4 D5 distanza di danno =  10000 > m",
                              "soglia 1 F2 distanza di danno =  430 m"}));
    }

    void toxicLines()
    {
        const QStringList box = ReportBoxLines(kToxic, toxicResult(), true);
        QCOMPARE(box, QStringList({
            "Sostanza prescelta: Acrilonitrile", "#CAS: 107-13-1", "Classe: ",
            "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento", "Ipotesi più probabile",
            "Range di quantità  [t]:  10 -  50", "Diametro condotta [in]:  Non applicabile",
            "Scenario incidentale:                          Nube Tossica",
            "soglia 1 D5 classe 4.3    distanza di danno =  49 m",
            "soglia 2 D5               distanza di danno =  Non applicabile",
            "soglia 3 D5 classe 4.3    distanza di danno =  289 > m",
            "soglia 4 D5               distanza di danno =  Non applicabile",
            "soglia 1 F2 classe 4.6    distanza di danno =  400 m",
            "soglia 2 F2               distanza di danno =  Non applicabile",
            "soglia 3 F2               distanza di danno =  Non disponibile",
            "soglia 4 F2               distanza di danno =  Non applicabile"}));
        QCOMPARE(ReportFileLines(kToxic, toxicResult(), true), heading() + QStringList({
            "Sostanza prescelta: Acrilonitrile", "#CAS = 107-13-1", "Classe: ",
            "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento", "Ipotesi più probabile",
            "Range di quantità  [t]:  10 -  50", "Diametro condotta [in]:  Non applicabile", "",
            "Scenario incidentale: Nube Tossica", "",
            "  SOGLIA    METEO   CLASSE           DISTANZA DI DANNO        ",
            "    1        D5     4.3            49 m", "    2        D5                    Non applicabile",
            "    3        D5     4.3            289 > m", "    4        D5                    Non applicabile",
            "    1        F2     4.6            400 m", "    2        F2                    Non applicabile",
            "    3        F2                    Non disponibile", "    4        F2                    Non applicabile",
        }) + kNotes);
        QCOMPARE(PreliminarySummary(kToxic),
                 QStringList({"sostanza prescelta: Acrilonitrile", "#CAS = 107-13-1",
                              "classe cui appartiene la sostanza: 4 Liquidi tossici", "Ipotesi più probabile"}));
        QCOMPARE(DataLabelLines(kToxic, toxicResult()),
                 QStringList({"Sostanza prescelta: Acrilonitrile", "#CAS: 107-13-1", "Classe: 4.6  ",
                              "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento",
                              "Ipotesi più probabile", "Scenario incidentale: Nube Tossica"}));
    }

    void question()
    {
        QCOMPARE(ReportSavedQuestion(QStringLiteral("c:\\out\\ZEFRO  run 20061204 ore 09_05 Cloro.doc")),
                 QStringLiteral("Done! c:\\out\\ZEFRO  run 20061204 ore 09_05 Cloro.doc.") + QString(49, QLatin1Char(' '))
                     + QStringLiteral("Do you want to edit & print the file? "));
    }

    void appendsLatin1WithCrLf()
    {
        // The organisation lines are ours to edit: they must survive the file's code page.
        for (const QString &line : reportOrganisationLines())
            QVERIFY(!line.trimmed().isEmpty() && QString::fromLatin1(line.toLatin1()) == line);
        TestDrive drive(TestDrive::Contents::Empty);
        const DrivePaths drives(drive.root());
        const QString name = QStringLiteral("c:\\zefro\\output\\ZEFRO  run 20061204 ore 09_05 Acrilonitrile.doc");
        drive.writeFile(name, QByteArray("earlier report\r\n"));
        const QDateTime when(QDate(2006, 12, 4), QTime(9, 5, 30));

        const ReportFileOutcome first = AppendReportFile("c:\\zefro\\output\\", drives, when, kToxic, toxicResult(), true);
        const ReportFileOutcome second =
            AppendReportFile("c:\\zefro\\output\\", drives, when.addSecs(20), kToxic, toxicResult(), true);

        QVERIFY2(first.error.isEmpty() && second.error.isEmpty(), qPrintable(first.error + second.error));
        QCOMPARE(first.fileName, name);
        QCOMPARE(second.fileName, name);
        QByteArray report;
        for (const QString &line : ReportFileLines(kToxic, toxicResult(), true))
            report += line.toLatin1() + "\r\n";
        QVERIFY(report.contains("Range di quantit\xe0  [t]:  10 -  50\r\n"));
        QCOMPARE(drive.readFile(name), QByteArray("earlier report\r\n") + report + report);

        const ReportFileOutcome failed = AppendReportFile("c:\\no such folder\\", drives, when, kTanker, tankerResult(), false);
        QVERIFY(failed.error.startsWith(QStringLiteral("Impossibile scrivere")));
        QVERIFY(!QFileInfo::exists(drives.toLocal(failed.fileName)));
    }
};

QTEST_MAIN(ReportTest)
#include "test_report.moc"
