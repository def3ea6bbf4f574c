// Report files that cannot be written: each failure is an Italian message naming the file, and a
// report file already on disk keeps every byte it had.
#include "app/ProgramState.h"
#include "estimate/Report.h"
#include "platform/DrivePaths.h"
#include "support/TestDrive.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <unistd.h>

namespace {

const QDateTime kWhen(QDate(2006, 12, 4), QTime(9, 5, 30));
const QString kOutput = QStringLiteral("c:\\zefro\\output\\");

ReportInputs inputs(const QString &substance)
{
    ReportInputs in;
    in.substanceName = substance;
    return in;
}

} // namespace

class BadInputOutputTest : public QObject
{
    Q_OBJECT

private slots:
    void reportsThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("substance");
        QTest::newRow("output folder missing") << QStringLiteral("c:\\non esiste\\") << QStringLiteral("Ammoniaca");
        QTest::newRow("drive missing") << QStringLiteral("q:\\uscita\\") << QStringLiteral("Ammoniaca");
        QTest::newRow("name with a slash") << kOutput << QStringLiteral("acido/nitrico");
        QTest::newRow("name beyond the file system's limit") << kOutput << QString(300, QLatin1Char('x'));
    }

    void reportsThatCannotBeWritten()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, substance);
        TestDrive drive;
        const DrivePaths drives(drive.root());
        const QStringList before = QDir(drive.local(kOutput)).entryList(QDir::Files);
        const ReportFileOutcome out =
            AppendReportFile(prefix, drives, kWhen, inputs(substance), ResultSet(), false);
        QVERIFY(!out.error.isEmpty());
        QVERIFY2(out.error.contains(QStringLiteral("Impossibile scrivere")), qPrintable(out.error));
        QVERIFY(out.error.contains(QStringLiteral("ZEFRO  run 20061204 ore 09_05")));
        QCOMPARE(QDir(drive.local(kOutput)).entryList(QDir::Files), before);
    }

    void readOnlyReportKeepsItsContents()
    {
        if (::geteuid() == 0)
            QSKIP("file permissions do not bind root");
        TestDrive drive;
        const DrivePaths drives(drive.root());
        const ReportFileOutcome first = AppendReportFile(kOutput, drives, kWhen, inputs(QStringLiteral("Ammoniaca")), ResultSet(), false);
        QVERIFY(first.error.isEmpty());
        const QString local = drives.toLocal(first.fileName);
        QFile file(local);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        file.close();
        QVERIFY(QFile::setPermissions(local, QFile::ReadOwner));
        const ReportFileOutcome second = AppendReportFile(kOutput, drives, kWhen, inputs(QStringLiteral("Ammoniaca")), ResultSet(), false);
        QVERIFY(!second.error.isEmpty());
        QVERIFY(second.error.contains(QStringLiteral("Impossibile scrivere")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), saved);
    }
};

QTEST_GUILESS_MAIN(BadInputOutputTest)
#include "test_badinputs_output.moc"
