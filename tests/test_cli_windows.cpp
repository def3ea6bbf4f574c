// zefro-estimate against the windows: the same choices made in the real main window (offscreen,
// entries chosen from the open lists, the estimate button pressed) and given to the program must
// give the report the map window shows in output2, and the same report file as "Salva report su
// file".
#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "catalogue/HazardClass.h"
#include "catalogue/QuickPick.h"
#include "estimate/ContainmentChoice.h"
#include "support/FakePlatform.h"
#include "test_cli_process.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QString entryOf(const QString &code)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == code)
            return hazard.listEntry;
    }
    return {};
}

QString quickPickEntryOf(const QString &code)
{
    for (const QString &entry : quickPickEntries()) {
        if (QuickPickClassCode(entry) == code)
            return entry;
    }
    return {};
}

// One analyst at the main window.
struct WindowSession
{
    explicit WindowSession(const TestDrive &drive)
        : fake(drive.root())
        , window(std::make_unique<MainWindow>(state, fake.platform))
    {
        window->show();
    }

    [[nodiscard]] QComboBox *combo(const char *name) const
    {
        auto *frame = window->findChild<QGroupBox *>(QStringLiteral("Frame1"), Qt::FindDirectChildrenOnly);
        return frame ? frame->findChild<QComboBox *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly) : nullptr;
    }
    [[nodiscard]] QWidget *map() const { return window->findChild<QWidget *>(QStringLiteral("map")); }

    // Opens the list of an enabled, visible combo and clicks the entry at `row`.
    bool chooseAt(const char *name, int row) const
    {
        QComboBox *c = combo(name);
        if (!c || row < 0 || row >= c->count() || !c->isEnabled() || !c->isVisible())
            return false;
        c->showPopup();
        QAbstractItemView *view = c->view();
        if (!QTest::qWaitForWindowExposed(view->window()))
            return false;
        const QModelIndex index = c->model()->index(row, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        return c->currentText() == c->itemText(row);
    }
    bool choose(const char *name, const QString &text) const
    {
        QComboBox *c = combo(name);
        return c && chooseAt(name, c->findText(text, Qt::MatchExactly));
    }
    void clickButton(const char *name) const
    {
        auto *frame = window->findChild<QGroupBox *>(QStringLiteral("Frame1"), Qt::FindDirectChildrenOnly);
        QTest::mouseClick(frame->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
    }

    FakePlatform fake;
    ProgramState state;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class CliAgainstWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void sameReportAsTheMapWindow_data()
    {
        QTest::addColumn<QString>("tree");       // "" = the bundled installation
        QTest::addColumn<QString>("by");         // name, cas, quick-pick
        QTest::addColumn<QString>("substance");
        QTest::addColumn<QString>("classCode");  // "" when the substance has one class (or a quick pick)
        QTest::addColumn<int>("hypothesis");
        QTest::addColumn<int>("containment");
        QTest::addColumn<int>("range");          // 0 for tankers and ships
        QTest::addColumn<QString>("knownLine");  // one line the data fix, so that agreement is not emptiness

        QTest::newRow("flammable liquid by name") << "tiny" << "name" << "Acido acetico" << "" << 1 << 2 << 2
            << "soglia 4 D5  distanza di danno =  110 m";
        QTest::newRow("toxic gas by name, sub-class fallback") << "tiny" << "name" << "Cloro" << "" << 1 << 1 << 2
            << "soglia 3 F2 classe 5.1.6  distanza di danno =  10000 > m";
        QTest::newRow("toxic gas by CAS, one of three classes, tanker") << "tiny" << "cas" << "7664-41-7" << "51" << 2
            << 3 << 0 << "soglia 1 D5 classe 5.1.2  distanza di danno =  250 m";
        QTest::newRow("quick pick, more than 10000 m") << "tiny" << "quick-pick" << "2_1_2" << "" << 2 << 1 << 3
            << "soglia 4 F2  distanza di danno =  10000 > m";
        QTest::newRow("compressed gas pipeline, bundled data") << "" << "name" << "Metano" << "2_3" << 2 << 5 << 5
            << "Diametro condotta [in]:  24 -  48";
    }

    void sameReportAsTheMapWindow()
    {
        QFETCH(QString, tree);
        QFETCH(QString, by);
        QFETCH(QString, substance);
        QFETCH(QString, classCode);
        QFETCH(int, hypothesis);
        QFETCH(int, containment);
        QFETCH(int, range);
        QFETCH(QString, knownLine);

        // The windows, on their own copy of the drive.
        const auto windowDrive = cli::driveWith(tree);
        QStringList shown;
        QByteArray windowReportFile;
        {
            WindowSession s(*windowDrive);
            if (by == QStringLiteral("name"))
                QVERIFY(s.choose("Combo1", substance));
            else if (by == QStringLiteral("cas"))
                QVERIFY(s.choose("Combo2", substance));
            else
                QVERIFY(s.choose("Combo8", quickPickEntryOf(substance)));
            if (by != QStringLiteral("quick-pick")) {
                if (classCode.isEmpty()) {
                    QCOMPARE(s.combo("Combo9")->count(), 1);
                    QVERIFY(s.chooseAt("Combo9", 0));
                } else {
                    QVERIFY(s.choose("Combo9", entryOf(classCode)));
                }
            }
            QVERIFY(s.choose("Combo5", hypothesis == 1 ? cli::kLikely : cli::kAverage));
            QVERIFY(s.choose("Combo4", containmentTypes()[static_cast<std::size_t>(containment - 1)]));
            if (range > 0)
                QVERIFY(s.chooseAt(containment == 5 ? "Combo7" : "Combo6", range - 1));
            s.clickButton("Command1");
            QVERIFY2(s.fake.messages.shown().isEmpty(), qPrintable(s.fake.messages.texts().join(QLatin1Char('|'))));
            QVERIFY(s.map());
            shown = s.map()->findChild<QPlainTextEdit *>(QStringLiteral("output2"))->toPlainText().split(QLatin1Char('\n'));

            s.fake.messages.queueAnswer(MessageAnswer::No); // no text editor
            QTest::mouseClick(s.map()->findChild<QPushButton *>(QStringLiteral("Command5")), Qt::LeftButton);
            const QStringList saved = cli::filesUnder(windowDrive->local(cli::kOutputFolder));
            QCOMPARE(saved.size(), 2); // .gitkeep and the report
            for (const QString &file : saved) {
                if (file.endsWith(QStringLiteral(".doc")))
                    windowReportFile = windowDrive->readFile(cli::kOutputFolder + file);
            }
        }
        QCOMPARE(shown.size(), 16);
        QVERIFY2(shown.contains(knownLine), qPrintable(shown.join(QLatin1Char('\n'))));
        QVERIFY(!windowReportFile.isEmpty());

        // The program, on a fresh copy of the same drive.
        const auto programDrive = cli::driveWith(tree);
        QStringList arguments{QStringLiteral("--drive-root"), programDrive->root(), QStringLiteral("--") + by, substance,
                              QStringLiteral("--hypothesis"), QString::number(hypothesis),
                              QStringLiteral("--containment"), QString::number(containment),
                              QStringLiteral("--report-file")};
        if (!classCode.isEmpty())
            arguments << QStringLiteral("--class") << classCode;
        if (range > 0)
            arguments << QStringLiteral("--range") << QString::number(range);
        const cli::Run result = cli::run(arguments);
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1); // only the report file's path
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.outLines(), shown);

        const QString reportPath = result.errLines().value(0);
        const QString folder = programDrive->local(cli::kOutputFolder);
        QVERIFY2(reportPath.startsWith(folder + QStringLiteral("ZEFRO  run ")), qPrintable(reportPath));
        // Named after the name list's text, as the window names it ("inserire nome sostanza" after a quick pick).
        QVERIFY(reportPath.endsWith(QLatin1Char(' ') + shown.first().mid(20) + QStringLiteral(".doc")));
        QFile report(reportPath);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QCOMPARE(report.readAll(), windowReportFile);
    }
};

QTEST_MAIN(CliAgainstWindowsTest)
#include "test_cli_windows.moc"
