// Missing and damaged data met through the real windows: every case ends with one Italian message
// naming the file, the program stays open, nothing is written to the output folder, and the same
// steps succeed once the file is back.
#include "catalogue/QuickPick.h"
#include "support/ListEntries.h"
#include "support/MainWindowDriver.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

const QString kCorrespondence = QStringLiteral("corrispondenza coppie tossici.xls");

// Where along the analyst's steps a file is first read.
enum class Step { NamePick, Containment, Estimate };

struct Session
{
    std::unique_ptr<TestDrive> drive = testDriveWith(QStringLiteral("tiny"));
    MainWindowDriver run{*drive};

    [[nodiscard]] QString local(const QString &file) const { return drive->local(kDataFolder + file); }
    [[nodiscard]] QStringList outputFiles() const
    {
        return QDir(drive->local(kTestOutputFolder)).entryList(QDir::Files | QDir::NoDotAndDotDot);
    }

    // The toxic chain on the tiny drive: Cloro, class 5.1, average hypothesis, bund, 0-10 t.
    // Stops at `upTo`; returns false when a step that should have been open was not.
    bool chlorineUpTo(Step upTo) const
    {
        if (!run.choose("Combo1", QStringLiteral("Cloro")) || upTo == Step::NamePick)
            return upTo == Step::NamePick;
        if (!run.choose("Combo9", entryOf(QStringLiteral("51"))) || !run.choose("Combo5", kAverage)
            || !run.choose("Combo4", kBund) || upTo == Step::Containment)
            return upTo == Step::Containment;
        if (!run.choose("Combo6", QStringLiteral(" 0 -  10")))
            return false;
        run.click("Command1");
        return true;
    }

    // The class 4 chain reached by CAS number: acrylonitrile, class 4, likely, no bund (worksheet 2
    // of the distance workbook), 0-10 t.
    bool acrylonitrileUpTo(Step upTo) const
    {
        if (!run.choose("Combo2", QStringLiteral("107-13-1")) || upTo == Step::NamePick)
            return upTo == Step::NamePick;
        if (!run.choose("Combo9", entryOf(QStringLiteral("4"))) || !run.choose("Combo5", kLikely)
            || !run.choose("Combo4", kNoBund) || upTo == Step::Containment)
            return upTo == Step::Containment;
        if (!run.choose("Combo6", QStringLiteral(" 0 -  10")))
            return false;
        run.click("Command1");
        return true;
    }

    bool chainUpTo(bool toxic51, Step upTo) const { return toxic51 ? chlorineUpTo(upTo) : acrylonitrileUpTo(upTo); }

    // The one message of a failed step: critical, naming the file, saying what is wrong with it.
    void checkOneMessage(const QString &file, const QString &what) const
    {
        QCOMPARE(run.fake.messages.shown().size(), 1);
        const MessageRequest &shown = run.fake.messages.shown().first();
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QVERIFY2(shown.text.contains(kDataFolder + file), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(what), qPrintable(shown.text));
        QCOMPARE(run.fake.exit.calls(), 0);
        QVERIFY(run.window->isVisible());
        QVERIFY(outputFiles().isEmpty());
    }

    // After the failure the step can be taken again: the stopped step is not open, Reset opens the
    // chain from the start.
    void checkStoppedAt(Step step) const
    {
        if (step == Step::NamePick)
            QVERIFY(!run.combo("Combo9")->isEnabled() && !run.combo("Combo5")->isEnabled());
        if (step == Step::Containment)
            QVERIFY(!run.combo("Combo6")->isVisible() && !run.button("Command1")->isEnabled());
        if (step == Step::Estimate) // the map window opens, but with no estimate to show or save
            QVERIFY(run.mapReport().join(QString()).isEmpty() && !run.onMap<QPushButton>("Command5")->isVisible());
    }
};

} // namespace

class BadInputWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    // With the whole data folder gone the catalogue still lists every substance (it is built in);
    // the first table read names the missing file, after a name pick and after a quick pick.
    void missingDataFolder()
    {
        Session s;
        QVERIFY(QDir(s.drive->local(QStringLiteral("c:\\revisione metodo speditivo\\dati"))).removeRecursively());
        QCOMPARE(s.run.combo("Combo1")->count(), 253);

        QVERIFY(s.run.choose("Combo1", QStringLiteral("Propano")));
        s.checkOneMessage(QStringLiteral("111.xls"), QStringLiteral("non esiste"));
        s.checkStoppedAt(Step::NamePick);

        s.run.click("Command5");
        s.run.fake.messages.clear();
        QVERIFY(s.run.choose("Combo8", quickPickEntries()[5]));
        s.checkOneMessage(QStringLiteral("111.xls"), QStringLiteral("non esiste"));
        QVERIFY(!s.run.combo("Combo5")->isEnabled());
    }

    // Each kind of workbook, missing or spoiled, stops the step that reads it; once a good file is
    // back in place the same steps give an estimate with no message.
    void workbookOfEachKind_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("toxic51"); // the chlorine chain, else acrylonitrile (class 4)
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("bytes"); // what lies in place of the file; null = no file
        QTest::addColumn<QString>("what");

        const QByteArray none;
        const QString missing = QStringLiteral("non esiste");
        const auto named = [](const char *kind, const QString &file) {
            return QByteArray(kind) + " " + file.toUtf8();
        };
        struct Kind
        {
            QString file;
            bool toxic51;
            Step step;
        };
        const QList<Kind> kinds{
            {QStringLiteral("23.xls"), true, Step::NamePick}, // a substance table of another class
            {QStringLiteral("classe 51 tabelle nomi e indicazione zone.xls"), true, Step::NamePick},
            {QStringLiteral("classe 4 tabelle nomi e indicazione zona.xls"), false, Step::NamePick},
            {kCorrespondence, true, Step::Containment},
            {QStringLiteral("516.xls"), true, Step::Estimate}, // distances of a toxic sub-class
            {QStringLiteral("43.xls"), false, Step::Estimate}, // distances of a class 4 zone
        };
        for (const Kind &kind : kinds)
            QTest::newRow(named("missing", kind.file)) << kind.file << kind.toxic51 << int(kind.step) << none << missing;

        QFile good(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/values.xls"));
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QByteArray values = good.readAll();
        const QByteArray text = QByteArray("CAS;classe\r\n").repeated(100);
        QTest::newRow("empty correspondence") << kCorrespondence << true << int(Step::Containment) << QByteArray("")
                                              << QStringLiteral("non è una cartella di lavoro");
        QTest::newRow("text file for distances") << QStringLiteral("516.xls") << true << int(Step::Estimate) << text
                                                 << QStringLiteral("non è una cartella di lavoro");
        QTest::newRow("truncated class table") << QStringLiteral("classe 51 tabelle nomi e indicazione zone.xls") << true
                                               << int(Step::NamePick) << values.left(values.size() / 2)
                                               << QStringLiteral("danneggiato");
        // A readable workbook with fewer worksheets than the estimate reads.
        QFile oneSheet(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/one-sheet.xls"));
        QVERIFY(oneSheet.open(QIODevice::ReadOnly));
        QTest::newRow("too few worksheets for distances") << QStringLiteral("43.xls") << false << int(Step::Estimate)
                                                          << oneSheet.readAll() << QStringLiteral("foglio 2");
    }

    void workbookOfEachKind()
    {
        QFETCH(QString, file);
        QFETCH(bool, toxic51);
        QFETCH(int, step);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, what);
        Session s;
        const QString path = s.local(file);
        const QString kept = path + QStringLiteral(".kept");
        QVERIFY(QFile::rename(path, kept));
        if (!bytes.isNull())
            s.drive->writeFile(kDataFolder + file, bytes);

        QVERIFY(s.chainUpTo(toxic51, Step(step)));
        s.checkOneMessage(file, what);
        s.checkStoppedAt(Step(step));

        QFile::remove(path);
        QVERIFY(QFile::rename(kept, path));
        s.run.click("Command5");
        s.run.fake.messages.clear();
        QVERIFY(s.chainUpTo(toxic51, Step::Estimate));
        QVERIFY2(s.run.fake.messages.shown().isEmpty(), qPrintable(s.run.fake.messages.texts().join(QLatin1Char('|'))));
        QVERIFY(s.run.map() && s.run.map()->isVisible());
    }
};

QTEST_MAIN(BadInputWindowsTest)
#include "ui_badinputs.moc"
