#include "estimate/CellValue.h"
#include "platform/DrivePaths.h"
#include "platform/ProgramLauncher.h"
#include "platform/TextFile.h"
#include "support/TestDrive.h"

#include <QFile>
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
        QTest::newRow("data folder") << "c:\\revisione metodo speditivo\\dati\\Dati input ZEFRO 200605\\111.xls"
                                     << "/root/c/revisione metodo speditivo/dati/Dati input ZEFRO 200605/111.xls";
        QTest::newRow("drive root") << "d:\\" << "/root/d/";
        QTest::newRow("drive without separator") << "c:zefro" << "/root/c/zefro";
        QTest::newRow("no drive letter") << "xdg-open" << "xdg-open";
        QTest::newRow("posix path") << "/usr/bin/evince" << "/usr/bin/evince";
        QTest::newRow("empty") << "" << "";
    }
    void drivePathMapping()
    {
        QFETCH(QString, systemPath);
        QFETCH(QString, expected);
        QCOMPARE(DrivePaths(QStringLiteral("/root")).toLocal(systemPath), expected);
    }

    void driveRootFromEnvironment()
    {
        qputenv("ZEFRO_DRIVE_ROOT", "/somewhere/else");
        QCOMPARE(DrivePaths::defaultRoot(), QStringLiteral("/somewhere/else"));
        qunsetenv("ZEFRO_DRIVE_ROOT");
        QVERIFY(DrivePaths::defaultRoot() != QStringLiteral("/somewhere/else"));
    }

    void driveLettersAreTheRootsSingleLetterFolders()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        QDir(drive.root()).mkpath(QStringLiteral("c"));
        QDir(drive.root()).mkpath(QStringLiteral("d"));
        QDir(drive.root()).mkpath(QStringLiteral("notes"));
        QCOMPARE(DrivePaths(drive.root()).driveLetters(), QStringList({"c", "d"}));
    }

    void commandLineSplitsAtBlanksWithoutQuoting()
    {
        const DrivePaths drives(QStringLiteral("/root"));
        const LaunchCommand command =
            splitCommandLine(QStringLiteral("xdg-open c:\\zefro\\manuale utente.pdf"), drives, false);
        QCOMPARE(command.program, QStringLiteral("xdg-open"));
        QCOMPARE(command.arguments, QStringList({"/root/c/zefro/manuale", "utente.pdf"}));
    }

    void readerWithDriveLetterIsMapped()
    {
        const DrivePaths drives(QStringLiteral("/root"));
        const LaunchCommand command =
            splitCommandLine(QStringLiteral("c:\\tools\\reader c:\\zefro\\ms_hlp.pdf"), drives, false);
        QCOMPARE(command.program, QStringLiteral("/root/c/tools/reader"));
        QCOMPARE(command.arguments, QStringList({"/root/c/zefro/ms_hlp.pdf"}));
    }

    void notepadFallsBackToTheDesktopOpenerWithTheWholeFileName()
    {
        const DrivePaths drives(QStringLiteral("/root"));
        const QString line = QStringLiteral("notepad c:\\zefro\\output\\ZEFRO  run 20061204 ore 09_05 Ammoniaca.doc");
        const LaunchCommand fallback = splitCommandLine(line, drives, false);
        QCOMPARE(fallback.program, QStringLiteral("xdg-open"));
        QCOMPARE(fallback.arguments,
                 QStringList({"/root/c/zefro/output/ZEFRO  run 20061204 ore 09_05 Ammoniaca.doc"}));

        const LaunchCommand real = splitCommandLine(line, drives, true);
        QCOMPARE(real.program, QStringLiteral("notepad"));
        QCOMPARE(real.arguments.size(), 6);
    }

    void emptyCommandLineStartsNothing()
    {
        QVERIFY(splitCommandLine(QStringLiteral("   "), DrivePaths(QStringLiteral("/root")), false).program.isEmpty());
    }

    void textFilesAreLatin1WithCrLf()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        const QString path = drive.root() + QStringLiteral("/file.txt");
        QString error;
        QVERIFY(TextFile::writeLines(path, {QStringLiteral("quantità"), QString()}, &error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("quantit\xe0\r\n\r\n"));
        file.close();

        QVERIFY(TextFile::appendLines(path, {QStringLiteral("più")}, &error));
        const TextFile::ReadResult read = TextFile::readLines(path);
        QVERIFY(read.lines.has_value());
        QCOMPARE(*read.lines, QStringList({"quantità", "", "più"}));
    }

    void lfOnlyFilesAreReadToo()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        const QString path = drive.root() + QStringLiteral("/lf.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a\nb\r\nc");
        file.close();
        QCOMPARE(*TextFile::readLines(path).lines, QStringList({"a", "b", "c"}));
    }

    void failedWritesReportTheFileAndKeepTheOldContents()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        QString error;
        QVERIFY(!TextFile::writeLines(drive.root() + QStringLiteral("/missing/x.txt"), {QStringLiteral("a")}, &error));
        QVERIFY(error.contains(QStringLiteral("missing/x.txt")));

        const QString path = drive.root() + QStringLiteral("/kept.txt");
        QVERIFY(TextFile::writeLines(path, {QStringLiteral("old")}, &error));
        QFile::setPermissions(path, QFile::ReadOwner);
        if (QFile(path).open(QIODevice::Append)) // running as a user who ignores permissions
            QSKIP("file permissions are not enforced for this user");
        QVERIFY(!TextFile::appendLines(path, {QStringLiteral("new")}, &error));
        QCOMPARE(*TextFile::readLines(path).lines, QStringList({"old"}));
    }

    void missingFileIsAnErrorNotAnEmptyList()
    {
        const TextFile::ReadResult read = TextFile::readLines(QStringLiteral("/no/such/file.txt"));
        QVERIFY(!read.lines.has_value());
        QVERIFY(read.error.contains(QStringLiteral("/no/such/file.txt")));
    }

    void cellValuesCompareAsTheTablesNeed()
    {
        const CellValue empty;
        QVERIFY(empty == CellValue::number(0));
        QVERIFY(empty == CellValue::text(QString()));
        QVERIFY(!(empty == CellValue::number(1)));
        QVERIFY(!(empty == CellValue::text(QStringLiteral(" "))));
        QVERIFY(CellValue::number(4) == CellValue::number(4.0));
        QVERIFY(!(CellValue::number(4) == CellValue::text(QStringLiteral("4"))));
        QVERIFY(!(CellValue::text(QStringLiteral("4.3")) == CellValue::text(QStringLiteral("4.3 "))));
        QVERIFY(!(CellValue::text(QStringLiteral("CAS")) == CellValue::text(QStringLiteral("cas"))));
        QVERIFY(!(CellValue::text(QString()) == CellValue::number(0)));
        QCOMPARE(CellValue::text(QStringLiteral("x")).toNumber(), 0.0);
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"
