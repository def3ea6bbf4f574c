#include "FuzzTargets.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

#include <functional>

// Every seed of the fuzz corpora and every crash reproducer found by fuzzing, run through the same
// code the fuzz programs run (under the sanitizers too, in the sanitizer build).
class FuzzRegressionsTest : public QObject
{
    Q_OBJECT

private slots:
    void inputIsHandled_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file");
        int perTarget[3] = {0, 0, 0};
        const QStringList targets = {QStringLiteral("workbook"), QStringLiteral("configuration"),
                                     QStringLiteral("bitmap")};
        for (int t = 0; t < targets.size(); ++t) {
            for (const QString &kind : {QStringLiteral("corpus"), QStringLiteral("regressions")}) {
                const QString folder = QStringLiteral(ZEFRO_FUZZ_DIR "/%1/%2").arg(kind, targets[t]);
                QDirIterator it(folder, QDir::Files | QDir::Hidden);
                while (it.hasNext()) {
                    const QString file = it.next();
                    QTest::addRow("%s/%s/%s", qPrintable(kind), qPrintable(targets[t]),
                                  qPrintable(it.fileName()))
                        << targets[t] << file;
                    ++perTarget[t];
                }
            }
        }
        // A corpus folder that went missing would make this test pass on nothing.
        for (int t = 0; t < targets.size(); ++t)
            QVERIFY2(perTarget[t] >= 3, qPrintable(targets[t]));
    }

    void inputIsHandled()
    {
        QFETCH(QString, target);
        QFETCH(QString, file);
        QFile input(file);
        QVERIFY(input.open(QIODevice::ReadOnly));
        const QByteArray bytes = input.readAll();

        QString problem;
        if (target == QLatin1String("workbook"))
            problem = fuzz::workbookInput(bytes);
        else if (target == QLatin1String("configuration"))
            problem = fuzz::configurationInput(bytes);
        else
            problem = fuzz::bitmapInput(bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(FuzzRegressionsTest)
#include "fuzz_regressions.moc"
