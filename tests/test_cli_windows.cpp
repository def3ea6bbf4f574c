// zefro-estimate against the windows: the same choices made in the real main window (offscreen,
// entries chosen from the open lists, the estimate button pressed) and given to the program must
// give the report the map window shows in output2, and the same report file as "Salva report su
// file".
#include "catalogue/HazardClass.h"
#include "catalogue/QuickPick.h"
#include "estimate/ContainmentChoice.h"
#include "support/MainWindowDriver.h"
#include "test_cli_process.h"

#include <QFile>
#include <QtTest>

class CliAgainstWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void sameReportAsTheMapWindow_data()
    {
        QTest::addColumn<QStringList>("choice"); // the program's options that pick the substance and class
        QTest::addColumn<int>("hypothesis");
        QTest::addColumn<int>("containment");
        QTest::addColumn<int>("range");         // 0 for tankers
        QTest::addColumn<QString>("knownLine"); // one line the data fix, so that agreement is not emptiness

        // The quick pick leaves the name list's prompt in the report and the file name.
        QTest::newRow("flammable, quick pick, above 10000 m") << QStringList{"--quick-pick", "2_1_2"} << 2 << 1 << 3
            << "soglia 4 F2  distanza di danno =  10000 > m";
        QTest::newRow("toxic, by CAS, one of three classes, tanker") << QStringList{"--cas", "7664-41-7", "--class", "51"}
            << 2 << 3 << 0 << "soglia 1 D5 classe 5.1.2  distanza di danno =  250 m";
    }
    void sameReportAsTheMapWindow()
    {
        QFETCH(QStringList, choice);
        QFETCH(int, hypothesis);
        QFETCH(int, containment);
        QFETCH(int, range);
        QFETCH(QString, knownLine);

        // The windows, on their own copy of the drive.
        const auto windowDrive = testDriveWith(QStringLiteral("tiny"));
        QStringList shown;
        QByteArray windowReportFile;
        {
            MainWindowDriver s(*windowDrive);
            if (choice.first() == QStringLiteral("--cas")) {
                QVERIFY(s.choose("Combo2", choice.at(1)));
                const auto hazard = std::find_if(hazardClasses().begin(), hazardClasses().end(),
                                                 [&](const HazardClass &h) { return h.listCode == choice.at(3); });
                QVERIFY(s.choose("Combo9", hazard->listEntry));
            } else {
                const auto entry = std::find_if(quickPickEntries().begin(), quickPickEntries().end(),
                                                [&](const QString &e) { return QuickPickClassCode(e) == choice.at(1); });
                QVERIFY(s.choose("Combo8", *entry));
            }
            QVERIFY(s.chooseAt("Combo5", hypothesis - 1));
            QVERIFY(s.choose("Combo4", containmentTypes()[std::size_t(containment - 1)]));
            if (range > 0)
                QVERIFY(s.chooseAt("Combo6", range - 1));
            s.click("Command1");
            QVERIFY2(s.fake.messages.shown().isEmpty(), qPrintable(s.fake.messages.texts().join(QLatin1Char('|'))));
            shown = s.mapReport();
            s.fake.messages.queueAnswer(MessageAnswer::No); // no text editor
            s.clickOnMap("Command5");
            const QStringList saved = cli::filesUnder(windowDrive->local(kTestOutputFolder));
            QCOMPARE(saved.size(), 2); // .gitkeep and the report
            windowReportFile = windowDrive->readFile(kTestOutputFolder + saved.filter(QStringLiteral(".doc")).value(0));
        }
        QCOMPARE(shown.size(), 16);
        QVERIFY2(shown.contains(knownLine), qPrintable(shown.join(QLatin1Char('\n'))));
        QVERIFY(!windowReportFile.isEmpty());

        // The program, on a fresh copy of the same drive.
        const auto programDrive = testDriveWith(QStringLiteral("tiny"));
        QStringList arguments = QStringList{"--drive-root", programDrive->root(), "--hypothesis",
                                            QString::number(hypothesis), "--containment", QString::number(containment),
                                            "--report-file"}
            + choice;
        if (range > 0)
            arguments << QStringLiteral("--range") << QString::number(range);
        const cli::Run result = cli::run(arguments);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.outLines(), shown);
        QCOMPARE(result.errLines().size(), 1); // only the report file's path
        const QString reportPath = result.errLines().first();
        // Named after the name list's text, as the window names it (the program runs on the real clock).
        QVERIFY2(reportPath.startsWith(programDrive->local(kTestOutputFolder) + QStringLiteral("ZEFRO  run "))
                     && reportPath.endsWith(QLatin1Char(' ') + shown.first().mid(20) + QStringLiteral(".doc")),
                 qPrintable(reportPath));
        QFile report(reportPath);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QCOMPARE(report.readAll(), windowReportFile);
    }
};

QTEST_MAIN(CliAgainstWindowsTest)
#include "test_cli_windows.moc"
