// The configuration box driven as a user would: fields typed into, "OK" clicked, the program started
// again on the file it wrote.
#include "app/ConfigBox.h"
#include "app/Configuration.h"
#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "support/FakePlatform.h"
#include "support/TestDrive.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

const QString kConfig = Configuration::filePath();

QByteArray crlfLines(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// One run of the program on a drive: its platform, state and main window.
struct Session
{
    explicit Session(const TestDrive &drive)
        : fake(drive.root())
        , window(std::make_unique<MainWindow>(state, fake.platform))
    {
        window->show();
    }

    [[nodiscard]] ConfigBox &box() const { return window->configBox(); }
    [[nodiscard]] QLineEdit *field(int n) const
    {
        return box().findChild<QLineEdit *>(QStringLiteral("Text%1").arg(n));
    }
    void click(QWidget *parent, const char *name) const
    {
        auto *button = parent->findChild<QPushButton *>(QString::fromLatin1(name));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void openBox() const
    {
        click(window.get(), "Command7");
        QVERIFY(QTest::qWaitForWindowExposed(&box()));
    }
    void type(int n, const QString &text) const
    {
        QLineEdit *edit = field(n);
        QVERIFY(edit);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        // Letters beyond ASCII arrive as key events that carry their text, as from an Italian keyboard.
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(edit, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    FakePlatform fake;
    ProgramState state;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class ConfigBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void boxShowsEightFieldsWithTheirLabels()
    {
        const TestDrive drive(TestDrive::Contents::Empty);
        FakePlatform fake(drive.root());
        ConfigBox box(fake.platform);

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

        // Top to bottom: Text1, Text2, Text3, Text4, Text6, Text7, Text5, Text8.
        auto fields = box.findChildren<QLineEdit *>();
        QCOMPARE(fields.size(), 8);
        std::sort(fields.begin(), fields.end(),
                  [](const QLineEdit *a, const QLineEdit *b) { return a->y() < b->y(); });
        const QStringList order{"Text1", "Text2", "Text3", "Text4", "Text6", "Text7", "Text5", "Text8"};
        const Configuration initial = Configuration::initial();
        for (int row = 0; row < 8; ++row) {
            QLineEdit *field = fields.at(row);
            QCOMPARE(field->objectName(), order.at(row));
            QCOMPARE(field->geometry(), QRect(8, 64 + 40 * row, 497, 25));
            const int n = order.at(row).mid(4).toInt();
            QCOMPARE(field->text(), initial.field(n));
            QCOMPARE(box.fieldText(n), initial.field(n));

            const auto label = std::find_if(labels.begin(), labels.end(),
                                            [field](const QLabel *l) { return l->buddy() == field; });
            QVERIFY(label != labels.end());
            QCOMPARE((*label)->text(), ConfigBox::labelText(n));
            QCOMPARE((*label)->x(), 520);
            QCOMPARE((*label)->y(), field->y());
        }
        const QString blanks(29, QLatin1Char(' '));
        QCOMPARE(ConfigBox::labelText(6),
                 QStringLiteral("Path+nomefile del file .pdf contenente") + blanks + QStringLiteral("il manuale utente parte 1"));
        QCOMPARE(ConfigBox::labelText(7),
                 QStringLiteral("Path+nomefile del file .pdf contenente") + blanks + QStringLiteral("il manuale utente parte 2"));
        QCOMPARE(box.findChild<QPushButton *>(QStringLiteral("Command1"))->text(), QStringLiteral("OK"));
    }

    void startUpFillsTheFieldsFromTheFile()
    {
        const TestDrive drive(TestDrive::Contents::Empty);
        drive.writeFile(kConfig, crlfLines({"reader", "intro", "alpha", "byclass", "manual1", "manual2",
                                            "thresholds", "c:\\out\\", "ignored ninth line"}));
        const Session run(drive);
        QVERIFY(run.fake.messages.shown().isEmpty());
        QVERIFY(!run.box().isVisible());
        const QStringList expected{"reader", "intro", "alpha", "byclass", "thresholds", "manual1", "manual2", "c:\\out\\"};
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(run.box().fieldText(n), expected.at(n - 1));
        QCOMPARE(run.state.outputPrefix, QStringLiteral("c:\\out\\"));
    }

    void okWritesTheFieldsAndTheNextStartReadsThemBack()
    {
        const TestDrive drive;
        QStringList typed;
        {
            const Session run(drive);
            const QString prefixAtStart = run.state.outputPrefix;
            run.openBox();
            QVERIFY(run.box().isVisible());
            run.type(2, QStringLiteral("c:\\manuali\\introduzione, versione 2.pdf"));
            run.type(3, QStringLiteral("c:\\manuali\\sostanze è più già.pdf"));
            run.type(5, QStringLiteral("c:\\manuali\\soglie.pdf"));
            run.type(6, QStringLiteral("c:\\manuali\\parte1.pdf"));
            run.type(7, QStringLiteral("c:\\manuali\\parte2.pdf"));
            run.type(8, QStringLiteral("  c:\\uscita\\"));
            for (int n = 1; n <= 8; ++n)
                typed << run.box().fieldText(n);
            QCOMPARE(typed.at(2), QStringLiteral("c:\\manuali\\sostanze è più già.pdf"));

            run.click(&run.box(), "Command1");
            QVERIFY(run.fake.messages.shown().isEmpty());
            QVERIFY(!run.box().isVisible());
            QVERIFY(run.window->isVisible());
            // The prefix in use changes only when the file is read again.
            QCOMPARE(run.state.outputPrefix, prefixAtStart);
            run.click(run.window.get(), "Command5");
            QCOMPARE(run.state.outputPrefix, QStringLiteral("  c:\\uscita\\"));
        }

        const QByteArray bytes = drive.readFile(kConfig);
        QCOMPARE(bytes, crlfLines({typed.at(0).toLatin1(), "c:\\manuali\\introduzione, versione 2.pdf",
                                   "c:\\manuali\\sostanze \xe8 pi\xf9 gi\xe0.pdf", typed.at(3).toLatin1(),
                                   "c:\\manuali\\parte1.pdf", "c:\\manuali\\parte2.pdf", "c:\\manuali\\soglie.pdf",
                                   "  c:\\uscita\\"}));

        const Session next(drive);
        QVERIFY(next.fake.messages.shown().isEmpty());
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(next.box().fieldText(n), typed.at(n - 1));
        QCOMPARE(next.state.outputPrefix, QStringLiteral("  c:\\uscita\\"));
    }

    void resetDropsEditsThatWereNotSaved()
    {
        const TestDrive drive;
        const Session run(drive);
        const QString saved = run.box().fieldText(4);
        run.openBox();
        run.type(4, QStringLiteral("c:\\non salvato.pdf"));
        QCOMPARE(run.box().fieldText(4), QStringLiteral("c:\\non salvato.pdf"));
        run.click(run.window.get(), "Command5");
        QCOMPARE(run.box().fieldText(4), saved);
    }

    void failedSaveKeepsTheProgramAndTheEdits_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder missing") << "missing folder" << "Percorso non trovato";
        QTest::newRow("folder in the file's place") << "folder as file" << "c'è una cartella";
    }
    void failedSaveKeepsTheProgramAndTheEdits()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        const TestDrive drive;
        const Session run(drive);
        run.openBox();
        run.type(2, QStringLiteral("c:\\nuovo\\aiuto.pdf"));

        const QString file = drive.local(kConfig);
        const QString folder = QFileInfo(file).path();
        if (obstacle == QStringLiteral("missing folder")) {
            QVERIFY(QDir(folder).removeRecursively());
        } else {
            QVERIFY(QFile::remove(file));
            QVERIFY(QDir().mkpath(file));
        }
        run.click(&run.box(), "Command1");

        QCOMPARE(run.fake.messages.shown().size(), 1);
        const MessageRequest shown = run.fake.messages.shown().first();
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QVERIFY2(shown.text.contains(kConfig), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(reason), qPrintable(shown.text));
        QCOMPARE(run.fake.exit.calls(), 0);
        QVERIFY(run.box().isVisible());
        QCOMPARE(run.box().fieldText(2), QStringLiteral("c:\\nuovo\\aiuto.pdf"));

        // Once the obstacle is gone the same edits are saved.
        if (obstacle == QStringLiteral("missing folder"))
            QVERIFY(QDir().mkpath(folder));
        else
            QVERIFY(QDir(file).removeRecursively());
        run.click(&run.box(), "Command1");
        QCOMPARE(run.fake.messages.shown().size(), 1);
        QVERIFY(!run.box().isVisible());
        QVERIFY(drive.readFile(kConfig).contains("c:\\nuovo\\aiuto.pdf\r\n"));
    }

    void textTheFileCannotHoldIsRefusedWithTheBoxOpen()
    {
        const TestDrive drive;
        const Session run(drive);
        const QByteArray before = drive.readFile(kConfig);
        run.openBox();
        QLineEdit *edit = run.field(7);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("€"), Qt::NoModifier);
        QVERIFY(edit->text().endsWith(QStringLiteral("€")));

        run.click(&run.box(), "Command1");
        QCOMPARE(run.fake.messages.shown().size(), 1);
        QVERIFY(run.fake.messages.shown().first().text.contains(QStringLiteral("€")));
        QVERIFY(run.box().isVisible());
        QCOMPARE(run.fake.exit.calls(), 0);
        QCOMPARE(drive.readFile(kConfig), before);
    }
};

QTEST_MAIN(ConfigBoxTest)
#include "ui_configbox.moc"
