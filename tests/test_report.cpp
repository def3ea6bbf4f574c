#include "estimate/DistanceLookup.h"
#include "estimate/Report.h"
#include "platform/DrivePaths.h"
#include "platform/TextFile.h"
#include "support/TestDrive.h"

#include <QtTest>

namespace {

ReportInputs tankerInputs()
{
    return {QStringLiteral("Propano"),
            QStringLiteral("74-98-6"),
            QStringLiteral("2_1_2   Gas infiammabili liquefatti per compressione(Teb< -8°C)"),
            QStringLiteral("Autobotti/Ferrocisterne"),
            QStringLiteral("Ipotesi media"),
            QStringLiteral(" Non applicabile"),
            QStringLiteral(" Non applicabile")};
}

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

ReportInputs toxicInputs()
{
    return {QStringLiteral("Acrilonitrile"),
            QStringLiteral("107-13-1"),
            QStringLiteral("4 Liquidi tossici"),
            QStringLiteral("Stoccaggi fissi senza bacino di contenimento"),
            QStringLiteral("Ipotesi più probabile"),
            QStringLiteral(" 10 -  50"),
            QStringLiteral(" Non applicabile")};
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

const QStringList kHeadingStart{"ZEFRO", "ver. 2.0.b",
                                "MEtodo Quillaro per la valutazione delle conseguenze di incidenti rilevanti"};
const QStringList kNotes{" _________________________________________________________________",
                         " Si rimanda al Manuale Utente e agli help in linea ",
                         " per informazioni riguardanti le ipotesi incidentali, le soglie e ",
                         " le coppie categoria di stabilità atmosferica/velocità del vento."};

QStringList heading()
{
    QStringList lines = kHeadingStart;
    for (const QString &line : reportOrganisationLines())
        lines << line;
    return lines << QString();
}

} // namespace

class ReportTest : public QObject
{
    Q_OBJECT

private slots:
    void summary()
    {
        QCOMPARE(PreliminarySummary(toxicInputs()),
                 QStringList({"sostanza prescelta: Acrilonitrile", "#CAS = 107-13-1",
                              "classe cui appartiene la sostanza: 4 Liquidi tossici", "Ipotesi più probabile"}));
    }

    void flammableReportBox()
    {
        const QStringList expected{
            "Sostanza prescelta: Propano",
            "#CAS: 74-98-6",
            "Classe: 2.1.2",
            "Tipologia di detenzione: Autobotti/Ferrocisterne",
            "Ipotesi media",
            "Range di quantità  [t]:  Non applicabile",
            "Diametro condotta [in]:  Non applicabile",
            "Scenario incidentale:             VCE",
            "soglia 1 D5  distanza di danno =  120 m",
            "soglia 2 D5  distanza di danno =  155 m",
            "soglia 3 D5  distanza di danno =  210 m",
            "soglia 4 D5  distanza di danno =  10000 > m",
            "soglia 1 F2  distanza di danno =  430 m",
            "soglia 2 F2  distanza di danno =  500 m",
            "soglia 3 F2  distanza di danno =  Non applicabile",
            "soglia 4 F2  distanza di danno =  895 m",
        };
        const QStringList lines = ReportBoxLines(tankerInputs(), tankerResult(), false);
        QCOMPARE(lines, expected);
        // The scenario and the distance digits line up in column 35.
        QCOMPARE(lines[7].indexOf(QStringLiteral("VCE")), 34);
        QCOMPARE(lines[8].indexOf(QStringLiteral("120")), 34);
    }

    void toxicReportBox()
    {
        const QStringList expected{
            "Sostanza prescelta: Acrilonitrile",
            "#CAS: 107-13-1",
            "Classe: ",
            "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento",
            "Ipotesi più probabile",
            "Range di quantità  [t]:  10 -  50",
            "Diametro condotta [in]:  Non applicabile",
            "Scenario incidentale:                          Nube Tossica",
            "soglia 1 D5 classe 4.3    distanza di danno =  49 m",
            "soglia 2 D5               distanza di danno =  Non applicabile",
            "soglia 3 D5 classe 4.3    distanza di danno =  289 > m",
            "soglia 4 D5               distanza di danno =  Non applicabile",
            "soglia 1 F2 classe 4.6    distanza di danno =  400 m",
            "soglia 2 F2               distanza di danno =  Non applicabile",
            "soglia 3 F2               distanza di danno =  Non disponibile",
            "soglia 4 F2               distanza di danno =  Non applicabile",
        };
        const QStringList lines = ReportBoxLines(toxicInputs(), toxicResult(), true);
        QCOMPARE(lines, expected);
        QCOMPARE(lines[7].indexOf(QStringLiteral("Nube")), 47);
        for (int i = 8; i < 16; ++i)
            QCOMPARE(lines[i].indexOf(QStringLiteral("distanza")), 26);
    }

    void panels()
    {
        QCOMPARE(DataLabelLines(toxicInputs(), toxicResult()),
                 QStringList({"Sostanza prescelta: Acrilonitrile", "#CAS: 107-13-1", "Classe: 4.6  ",
                              "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento",
                              "Ipotesi più probabile", "Scenario incidentale: Nube Tossica"}));
        QCOMPARE(ResultsLabelLines(tankerResult()),
                 QStringList({"soglia 1 D5 distanza di danno =  120 m", "soglia 2 D5 distanza di danno =  155 m",
                              "soglia 3 D5 distanza di danno =  210 m", "soglia 4 D5 distanza di danno =  10000 > m",
                              "soglia 1 F2 distanza di danno =  430 m", "soglia 2 F2 distanza di danno =  500 m",
                              "soglia 3 F2 distanza di danno =  Non applicabile",
                              "soglia 4 F2 distanza di danno =  895 m"}));
        QCOMPARE(LegendLabelLines(),
                 QStringList({"Rosso", "Blu", "Cyan", "Giallo", "Verde", "Magenta", "Grigio ", "Antracite "}));
    }

    void flammableReportFile()
    {
        const QStringList expected = heading() + QStringList{
            "Sostanza prescelta: Propano",
            "#CAS = 74-98-6",
            "Classe: 2.1.2",
            "Tipologia di detenzione: Autobotti/Ferrocisterne",
            "Ipotesi media",
            "Range di quantità  [t]:  Non applicabile",
            "Diametro condotta [in]:  Non applicabile",
            "",
            "Scenario incidentale: VCE",
            "",
            "  SOGLIA    METEO           DISTANZA DI DANNO",
            "    1        D5 120 m",
            "    2        D5 155 m",
            "    3        D5 210 m",
            "    4        D5 10000 > m",
            "    1        F2 430 m",
            "    2        F2 500 m",
            "    3        F2 Non applicabile",
            "    4        F2 895 m",
        } + kNotes;
        QCOMPARE(ReportFileLines(tankerInputs(), tankerResult(), false), expected);
    }

    void toxicReportFile()
    {
        const QStringList expected = heading() + QStringList{
            "Sostanza prescelta: Acrilonitrile",
            "#CAS = 107-13-1",
            "Classe: ",
            "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento",
            "Ipotesi più probabile",
            "Range di quantità  [t]:  10 -  50",
            "Diametro condotta [in]:  Non applicabile",
            "",
            "Scenario incidentale: Nube Tossica",
            "",
            "  SOGLIA    METEO   CLASSE           DISTANZA DI DANNO        ",
            "    1        D5     4.3            49 m",
            "    2        D5                    Non applicabile",
            "    3        D5     4.3            289 > m",
            "    4        D5                    Non applicabile",
            "    1        F2     4.6            400 m",
            "    2        F2                    Non applicabile",
            "    3        F2                    Non disponibile",
            "    4        F2                    Non applicabile",
        } + kNotes;
        const QStringList lines = ReportFileLines(toxicInputs(), toxicResult(), true);
        QCOMPARE(lines, expected);
        QCOMPARE(lines[heading().size() + 11].indexOf(QStringLiteral(" 49 m")), 34);
    }

    void organisationLinesFitTheFileCodePage()
    {
        for (const QString &line : reportOrganisationLines()) {
            QVERIFY(!line.trimmed().isEmpty());
            QCOMPARE(QString::fromLatin1(line.toLatin1()), line);
        }
    }

    void question()
    {
        const QString text = ReportSavedQuestion(QStringLiteral("c:\\out\\ZEFRO  run 20061204 ore 09_05 Cloro.doc"));
        QCOMPARE(text, QStringLiteral("Done! c:\\out\\ZEFRO  run 20061204 ore 09_05 Cloro.doc.") + QString(49, QLatin1Char(' '))
                           + QStringLiteral("Do you want to edit & print the file? "));
        QCOMPARE(kReportSavedTitle, QStringLiteral("Save report"));
    }

    void appendsLatin1WithCrLf()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        const DrivePaths drives(drive.root());
        drive.writeFile(QStringLiteral("c:\\zefro\\output\\ZEFRO  run 20061204 ore 09_05 Acrilonitrile.doc"),
                        QByteArray("earlier report\r\n"));
        const QDateTime when(QDate(2006, 12, 4), QTime(9, 5, 30));

        const ReportFileOutcome first =
            AppendReportFile(QStringLiteral("c:\\zefro\\output\\"), drives, when, toxicInputs(), toxicResult(), true);
        const ReportFileOutcome second = AppendReportFile(QStringLiteral("c:\\zefro\\output\\"), drives,
                                                          when.addSecs(20), toxicInputs(), toxicResult(), true);

        QVERIFY2(first.error.isEmpty(), qPrintable(first.error));
        QVERIFY(second.error.isEmpty());
        QCOMPARE(first.fileName, QStringLiteral("c:\\zefro\\output\\ZEFRO  run 20061204 ore 09_05 Acrilonitrile.doc"));
        QCOMPARE(second.fileName, first.fileName);
        QByteArray report;
        for (const QString &line : ReportFileLines(toxicInputs(), toxicResult(), true))
            report += line.toLatin1() + "\r\n";
        QVERIFY(report.contains("Range di quantit\xe0  [t]:  10 -  50\r\n"));
        QCOMPARE(drive.readFile(first.fileName), QByteArray("earlier report\r\n") + report + report);
    }

    void unwritableFolderIsReported()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        const DrivePaths drives(drive.root());
        const ReportFileOutcome out = AppendReportFile(QStringLiteral("c:\\no such folder\\"), drives,
                                                       QDateTime(QDate(2006, 12, 4), QTime(9, 5)),
                                                       tankerInputs(), tankerResult(), false);
        QVERIFY(!out.error.isEmpty());
        QVERIFY(out.error.startsWith(QStringLiteral("Impossibile scrivere")));
        QVERIFY(!QFileInfo::exists(drives.toLocal(out.fileName)));
    }
};

QTEST_MAIN(ReportTest)
#include "test_report.moc"
