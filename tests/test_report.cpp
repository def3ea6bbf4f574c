#include "estimate/OutputFileName.h"
#include "estimate/Report.h"
#include "platform/DrivePaths.h"
#include "support/SampleEstimates.h"
#include "support/TestDrive.h"

#include <QtTest>

namespace {

using sample::kFlammable;
using sample::kToxic;
const QString kDistance = QStringLiteral("distanza di danno =  ");

} // namespace

class ReportTest : public QObject
{
    Q_OBJECT

private slots:
    void reportBoxAndPanelLines()
    {
        QCOMPARE(reportBoxLines(kFlammable),
                 QStringList({"Sostanza prescelta: Propano", "#CAS: 74-98-6", "Classe: 2.1.2",
                              "Tipologia di detenzione: Autobotti/Ferrocisterne", "Ipotesi media",
                              "Range di quantità  [t]:  Non applicabile", "Diametro condotta [in]:  Non applicabile",
                              "Scenario incidentale:             VCE", "soglia 1 D5  " + kDistance + "120 m",
                              "soglia 2 D5  " + kDistance + "155 m", "soglia 3 D5  " + kDistance + "210 m",
                              "soglia 4 D5  " + kDistance + "10000 > m", "soglia 1 F2  " + kDistance + "430 m",
                              "soglia 2 F2  " + kDistance + "500 m", "soglia 3 F2  " + kDistance + "Non applicabile",
                              "soglia 4 F2  " + kDistance + "895 m"}));
        QCOMPARE(reportBoxLines(kToxic),
                 QStringList({"Sostanza prescelta: Acrilonitrile", "#CAS: 107-13-1",
                              "Classe: ", "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento",
                              "Ipotesi più probabile", "Range di quantità  [t]:  10 -  50",
                              "Diametro condotta [in]:  Non applicabile",
                              "Scenario incidentale:                          Nube Tossica",
                              "soglia 1 D5 classe 4.3    " + kDistance + "49 m",
                              "soglia 2 D5               " + kDistance + "Non applicabile",
                              "soglia 3 D5 classe 4.3    " + kDistance + "289 > m",
                              "soglia 4 D5               " + kDistance + "Non applicabile",
                              "soglia 1 F2 classe 4.6    " + kDistance + "400 m",
                              "soglia 2 F2               " + kDistance + "Non applicabile",
                              "soglia 3 F2               " + kDistance + "Non disponibile",
                              "soglia 4 F2               " + kDistance + "Non applicabile"}));
        QCOMPARE(dataLabelLines(kToxic),
                 QStringList({"Sostanza prescelta: Acrilonitrile", "#CAS: 107-13-1", "Classe: 4.6  ",
                              "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento",
                              "Ipotesi più probabile", "Scenario incidentale: Nube Tossica"}));
        QCOMPARE(resultsLabelLines(kFlammable).mid(6),
                 QStringList({"soglia 3 F2 " + kDistance + "Non applicabile", "soglia 4 F2 " + kDistance + "895 m"}));
    }

    void reportFileTable()
    {
        QStringList expected{"ZEFRO", "ver. 2.0.b",
                             "MEtodo Quillaro per la valutazione delle conseguenze di incidenti rilevanti"};
        for (const QString &line : reportOrganisationLines())
            expected << line;
        expected << ""
                 << "Sostanza prescelta: Acrilonitrile"
                 << "#CAS = 107-13-1"
                 << "Classe: "
                 << "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento"
                 << "Ipotesi più probabile"
                 << "Range di quantità  [t]:  10 -  50"
                 << "Diametro condotta [in]:  Non applicabile"
                 << ""
                 << "Scenario incidentale: Nube Tossica"
                 << ""
                 << "  SOGLIA    METEO   CLASSE           DISTANZA DI DANNO        "
                 << "    1        D5     4.3            49 m"
                 << "    2        D5                    Non applicabile"
                 << "    3        D5     4.3            289 > m"
                 << "    4        D5                    Non applicabile"
                 << "    1        F2     4.6            400 m"
                 << "    2        F2                    Non applicabile"
                 << "    3        F2                    Non disponibile"
                 << "    4        F2                    Non applicabile"
                 << " " + QString(65, QLatin1Char('_')) << " Si rimanda al Manuale Utente e agli help in linea "
                 << " per informazioni riguardanti le ipotesi incidentali, le soglie e "
                 << " le coppie categoria di stabilità atmosferica/velocità del vento.";
        QCOMPARE(reportFileLines(kToxic), expected);
        // A flammable estimate has a table of the same length without the class column.
        const QStringList flammable = reportFileLines(kFlammable);
        QCOMPARE(flammable.size(), expected.size());
        QCOMPARE(flammable.mid(20, 2),
                 QStringList({"  SOGLIA    METEO           DISTANZA DI DANNO", "    1        D5 120 m"}));
    }

    void reportedChoices()
    {
        Estimate estimate = kToxic; // the box lines show the range of unbunded storage and none for a tanker
        estimate.containment = Containment::Pipeline;
        QCOMPARE(reportedQuantity(estimate) + '|' + reportedDiameter(estimate), kNotApplicable + "| 10 -  50");
        estimate.range.reset();
        QCOMPARE(reportedQuantity(estimate) + '|' + reportedDiameter(estimate), kNotApplicable + '|' + kNotApplicable);
        estimate.containment = Containment::BundedStorage;
        QCOMPARE(reportedQuantity(estimate), kNotApplicable);
        estimate = kFlammable; // a quick pick names no substance
        estimate.substance.reset();
        QCOMPARE(reportFileLines(estimate).mid(10, 2),
                 QStringList({"Sostanza prescelta: inserire nome sostanza", "#CAS = CAS"}));
    }

    void fileNames()
    {
        QCOMPARE(MapFileName("c:\\temp\\", QDateTime(QDate(2006, 12, 4), QTime(9, 5, 59)), "Cloro"),
                 QStringLiteral("c:\\temp\\ZEFRO  map 20061204 ore 09_05 Cloro.bmp"));
        QCOMPARE(reportFileName("c:\\out", QDateTime(QDate(987, 10, 31), QTime(23, 0)), "Propano"),
                 QStringLiteral("c:\\outZEFRO  run 09871031 ore 23_00 Propano.doc"));
        const QString question = "Done! c:\\a.doc." + QString(49, ' ') + "Do you want to edit & print the file? ";
        QCOMPARE(QStringList({reportSavedQuestion("c:\\a.doc"), reportSavedQuestion("c:\\a.doc", "/home/u/c/a.doc")}),
                 QStringList({question, question + "\n(su questo computer: /home/u/c/a.doc)"}));
    }

    void appendingToTheReportFile()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        const DrivePaths drives(drive.root());
        const QString name = QStringLiteral("c:\\out\\ZEFRO  run 20061204 ore 09_05 Acrilonitrile.doc");
        drive.writeFile(name, "earlier report\r\n");
        const QDateTime when(QDate(2006, 12, 4), QTime(9, 5, 30));
        QCOMPARE(appendReportFile("c:\\out\\", drives, when, kToxic).value(), name);
        QCOMPARE(appendReportFile("c:\\out\\", drives, when.addSecs(20), kToxic).value(), name);
        const QByteArray report = reportFileLines(kToxic).join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
        QCOMPARE(drive.readFile(name), "earlier report\r\n" + report + report);

        const Outcome<QString> failed = appendReportFile("c:\\no folder\\", drives, when, kFlammable);
        QCOMPARE(failed.error().kind, Error::Kind::FileUnwritable);
        QVERIFY(!QDir(drive.root()).exists(QStringLiteral("c/no folder")));
    }
};

QTEST_MAIN(ReportTest)
#include "test_report.moc"
