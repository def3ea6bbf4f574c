#include "FuzzTargets.h"

#include <QDirIterator>
#include <QtTest>

// Every seed of the fuzz corpora and every crash input kept from fuzzing, run through the same code
// the fuzz programs run (under the sanitizers too, in the sanitizer build).
class FuzzRegressionsTest : public QObject
{
    Q_OBJECT

private slots:
    void inputIsHandled_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file");
        for (const QString target : {"workbook", "configuration", "bitmap", "worldfile"}) {
            int seeds = 0;
            for (const QString folder : {"corpus", "regressions"}) {
                for (QDirIterator it(QStringLiteral(ZEFRO_FUZZ_DIR "/%1/%2").arg(folder, target),
                                     QDir::Files | QDir::Hidden);
                     it.hasNext(); ++seeds)
                    QTest::addRow("%s/%s", qPrintable(folder), qPrintable(QFileInfo(it.next()).fileName()))
                        << target << it.filePath();
            }
            QVERIFY2(seeds >= 3, qPrintable(target)); // a corpus gone missing would pass on nothing
        }
    }
    void inputIsHandled()
    {
        QFETCH(QString, target);
        QFETCH(QString, file);
        QFile input(file);
        const QByteArray bytes = input.open(QIODevice::ReadOnly) ? input.readAll() : QByteArray("unreadable input");
        const QString problem = target == "workbook" ? fuzz::workbookInput(bytes)
            : target == "configuration"              ? fuzz::configurationInput(bytes)
            : target == "bitmap"                     ? fuzz::bitmapInput(bytes)
                                                     : fuzz::worldfileInput(bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(FuzzRegressionsTest)
#include "fuzz_regressions.moc"
