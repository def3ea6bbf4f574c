#include "platform/DrivePaths.h"
#include "platform/ProgramLauncher.h"
#include "support/TestDrive.h"

#include <QtTest>

class PlatformTest : public QObject
{
    Q_OBJECT

private slots:
    void drivePathMapping_data()
    {
        QTest::addColumn<QString>("systemPath");
        QTest::addColumn<QString>("expected");
        QTest::newRow("config") << "c:\\revisione metodo speditivo\\ms&zefro\\config.txt"
                                << "/root/c/revisione metodo speditivo/ms&zefro/config.txt";
        QTest::newRow("upper-case drive, names kept") << "C:\\Zefro\\Output\\" << "/root/c/Zefro/Output/";
        QTest::newRow("drive root") << "d:\\" << "/root/d/";
        QTest::newRow("drive without separator") << "c:zefro" << "/root/c/zefro";
        QTest::newRow("no drive letter") << "xdg-open" << "xdg-open";
        QTest::newRow("empty") << "" << "";
    }
    void drivePathMapping()
    {
        QFETCH(QString, systemPath);
        QFETCH(QString, expected);
        QCOMPARE(DrivePaths(QStringLiteral("/root")).toLocal(systemPath), expected);
    }

    void driveRoot()
    {
        qputenv("ZEFRO_DRIVE_ROOT", "/somewhere/else");
        QCOMPARE(DrivePaths::defaultRoot(), QStringLiteral("/somewhere/else"));
        qunsetenv("ZEFRO_DRIVE_ROOT");
        QVERIFY(DrivePaths::defaultRoot() != QStringLiteral("/somewhere/else"));

        TestDrive drive(TestDrive::Contents::Empty);
        for (const char *folder : {"c", "d", "notes"})
            QDir(drive.root()).mkpath(QString::fromLatin1(folder));
        QCOMPARE(DrivePaths(drive.root()).driveLetters(), QStringList({"c", "d"}));
    }

    void commandLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("notepadInstalled");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        const QString report = QStringLiteral("notepad c:\\zefro\\output\\ZEFRO  run 20061204 ore 09_05 Ammoniaca.doc");
        QTest::newRow("split at blanks, no quoting") << "xdg-open c:\\zefro\\manuale utente.pdf" << false << "xdg-open"
                                                     << QStringList{"/root/c/zefro/manuale", "utente.pdf"};
        QTest::newRow("reader with a drive letter") << "c:\\tools\\reader c:\\zefro\\ms_hlp.pdf" << false
                                                    << "/root/c/tools/reader" << QStringList{"/root/c/zefro/ms_hlp.pdf"};
        QTest::newRow("no notepad: desktop opener, whole file name")
            << report << false << "xdg-open" << QStringList{"/root/c/zefro/output/ZEFRO  run 20061204 ore 09_05 Ammoniaca.doc"};
        QTest::newRow("notepad installed") << report << true << "notepad"
                                           << QStringList{"/root/c/zefro/output/ZEFRO", "run", "20061204", "ore", "09_05", "Ammoniaca.doc"};
        QTest::newRow("blanks only") << "   " << false << "" << QStringList{};
    }
    void commandLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, notepadInstalled);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        const LaunchCommand command = splitCommandLine(line, DrivePaths(QStringLiteral("/root")), notepadInstalled);
        QCOMPARE(command.program, program);
        QCOMPARE(command.arguments, arguments);
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"
