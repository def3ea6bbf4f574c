// The configuration box driven as a user would: fields typed into, "OK" clicked, the program started
// again on the file it wrote.
#include "app/ConfigBox.h"
#include "app/Configuration.h"
#include "support/MainWindowDriver.h"

#include <QDir>
#include <QLabel>
#include <QtTest>

#include <algorithm>

namespace {

const QString kConfig = Configuration::filePath();

void clickOk(const MainWindowDriver &run)
{
    QTest::mouseClick(run.window->configBox().findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
}

} // namespace

class ConfigBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void boxShowsEightFieldsWithTheirLabels()
    {
        const TestDrive drive(TestDrive::Contents::Empty);
        FakePlatform fake(drive.root());
        const ConfigBox box(fake.platform);
        QCOMPARE(box.objectName(), QStringLiteral("Form1"));
        QCOMPARE(box.windowTitle(), QStringLiteral("ZEFRO ver. 3.0fe Config Box"));
        QCOMPARE(box.size(), QSize(790, 497));
        const auto labels = box.findChildren<QLabel *>();
        const auto title = std::find_if(labels.begin(), labels.end(), [](const QLabel *label) {
            return label->text() == QStringLiteral("Ambiente di configurazione");
        });
        QVERIFY(title != labels.end());
        QVERIFY((*title)->font().bold());
        QCOMPARE((*title)->font().pointSize(), 18);
        QCOMPARE(box.findChild<QPushButton *>(QStringLiteral("Command1"))->text(), QStringLiteral("OK"));

        const QString manual = QStringLiteral("Path+nomefile del file .pdf contenente") + QString(29, QLatin1Char(' '))
            + QStringLiteral("il manuale utente parte ");
        const QList<QPair<QString, QString>> rows{ // top to bottom
            {"Text1", "Path+nomefile di Acrobat Reader"},
            {"Text2", "Path+nomefile del file more help .pdf "},
            {"Text3", "Path+nomefile del file .pdf contenente la lista delle sostanze in ordine alfabetico"},
            {"Text4", "Path+nomefile del file .pdf contenente la lista delle sostanze suddivise per classe"},
            {"Text6", manual + "1"},
            {"Text7", manual + "2"},
            {"Text5", "Path+nomefile del file .pdf contenente informazioni sulle soglie di danno dei diversi scenari  "
                      "e sulle classi   (VCE, pool fire, nube tossica etc.)"},
            {"Text8", "Path+nomefile del file .out contenente i risultati del calcolo"}};
        auto fields = box.findChildren<QLineEdit *>();
        QCOMPARE(fields.size(), 8);
        std::sort(fields.begin(), fields.end(), [](const QLineEdit *a, const QLineEdit *b) { return a->y() < b->y(); });
        const Configuration initial = Configuration::initial();
        for (int row = 0; row < 8; ++row) {
            const QLineEdit *field = fields.at(row);
            QCOMPARE(field->objectName(), rows.at(row).first);
            QCOMPARE(field->geometry(), QRect(8, 64 + 40 * row, 497, 25));
            QCOMPARE(field->text(), initial.field(rows.at(row).first.mid(4).toInt()));
            const auto label = std::find_if(labels.begin(), labels.end(), [field](const QLabel *l) { return l->buddy() == field; });
            QVERIFY(label != labels.end());
            QCOMPARE((*label)->text(), rows.at(row).second);
            QCOMPARE((*label)->pos(), QPoint(520, field->y()));
        }
    }

    // Entries 5, 6 and 7 of the file live in Text6, Text7 and Text5; every line is read whole and
    // written back in Latin-1, so a comma or an accented letter survives the next start.
    void fileToFieldsAndBack()
    {
        const TestDrive drive(TestDrive::Contents::Empty);
        drive.writeFile(kConfig, crlfLines({"reader", "intro", "alpha", "byclass", "manual1", "manual2",
                                            "thresholds", "c:\\out\\", "ignored ninth line"}));
        const QStringList fields{"reader", "c:\\manuali\\introduzione, versione 2.pdf", "c:\\manuali\\sostanze è più già.pdf",
                                 "byclass", "thresholds", "manual1", "manual2", "  c:\\uscita\\"};
        {
            const MainWindowDriver run(drive);
            QVERIFY(run.fake.messages.shown().isEmpty());
            const QStringList read{"reader", "intro", "alpha", "byclass", "thresholds", "manual1", "manual2", "c:\\out\\"};
            for (int n = 1; n <= 8; ++n)
                QCOMPARE(run.window->configBox().fieldText(n), read.at(n - 1));
            QCOMPARE(run.state.outputPrefix, QStringLiteral("c:\\out\\"));

            run.click("Command7");
            for (int n : {2, 3, 8})
                typeInto(run.configField(n), fields.at(n - 1));
            clickOk(run);
            QVERIFY(run.fake.messages.shown().isEmpty());
            QVERIFY(!run.window->configBox().isVisible());
            QCOMPARE(run.state.outputPrefix, QStringLiteral("c:\\out\\")); // until the file is read again
            run.click("Command5");
            QCOMPARE(run.state.outputPrefix, fields.at(7));
        }
        QCOMPARE(drive.readFile(kConfig),
                 crlfLines({"reader", "c:\\manuali\\introduzione, versione 2.pdf",
                            "c:\\manuali\\sostanze \xe8 pi\xf9 gi\xe0.pdf", "byclass", "manual1", "manual2",
                            "thresholds", "  c:\\uscita\\"}));
        const MainWindowDriver next(drive);
        QVERIFY(next.fake.messages.shown().isEmpty());
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(next.window->configBox().fieldText(n), fields.at(n - 1));
    }

    // A failed write shows why, keeps the program, the box and the edits; once the obstacle is
    // gone the same "OK" saves.
    void failedSaveKeepsTheProgramAndTheEdits_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder missing") << "missing folder" << "Percorso non trovato";
        QTest::newRow("folder in the file's place") << "folder as file" << "c'è una cartella";
        QTest::newRow("a letter Latin-1 cannot hold") << "euro" << "€";
    }
    void failedSaveKeepsTheProgramAndTheEdits()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        const TestDrive drive;
        const MainWindowDriver run(drive);
        const QByteArray before = drive.readFile(kConfig);
        const QString file = drive.local(kConfig);
        const QString folder = QFileInfo(file).path();
        run.click("Command7");
        const QString edit = QStringLiteral("c:\\nuovo\\aiuto.pdf");
        const bool euro = obstacle == QStringLiteral("euro");
        typeInto(run.configField(2), euro ? edit + QStringLiteral("€") : edit);
        if (obstacle == QStringLiteral("missing folder"))
            QVERIFY(QDir(folder).removeRecursively());
        if (obstacle == QStringLiteral("folder as file"))
            QVERIFY(QFile::remove(file) && QDir().mkpath(file));
        const QString typed = run.window->configBox().fieldText(2);
        clickOk(run);

        QCOMPARE(run.fake.messages.shown().size(), 1);
        const MessageRequest shown = run.fake.messages.shown().first();
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QVERIFY2(shown.text.contains(reason), qPrintable(shown.text));
        QVERIFY2(euro || shown.text.contains(kConfig), qPrintable(shown.text));
        QCOMPARE(run.fake.exit.calls(), 0);
        QVERIFY(run.window->configBox().isVisible());
        QCOMPARE(run.window->configBox().fieldText(2), typed);
        if (euro)
            QCOMPARE(drive.readFile(kConfig), before);

        if (obstacle == QStringLiteral("missing folder"))
            QVERIFY(QDir().mkpath(folder));
        if (obstacle == QStringLiteral("folder as file"))
            QVERIFY(QDir(file).removeRecursively());
        typeInto(run.configField(2), edit);
        clickOk(run);
        QCOMPARE(run.fake.messages.shown().size(), 1);
        QVERIFY(!run.window->configBox().isVisible());
        QVERIFY(drive.readFile(kConfig).contains("c:\\nuovo\\aiuto.pdf\r\n"));
    }
};

QTEST_MAIN(ConfigBoxTest)
#include "ui_configbox.moc"
