// The windows driven offscreen on the small test drive. The core's tests pin the values; these pin
// what the windows add. The map window opens on propane in a bund (50 m) with the bundled 1:5000 map.
#include "app/ConfigBox.h"
#include "app/CreditsBox.h"
#include "app/ListCollation.h"
#include "app/ListTexts.h"
#include "app/MapSurface.h"
#include "app/MapWindow.h"
#include "app/SelectionCombo.h"
#include "app/SysInfo.h"
#include "app/TutorialWindow.h"
#include "app/WindowCapture.h"
#include "catalogue/DataFolderSeal.h"
#include "catalogue/HazardClass.h"
#include "estimate/EstimateChain.h"
#include "estimate/EstimateErrors.h"
#include "estimate/OutputFileName.h"
#include "estimate/Report.h"
#include "map/DamageCircles.h"
#include "map/DistanceMeasure.h"
#include "map/Georeference.h"
#include "map/MapOpening.h"
#include "map/MapFiles.h"
#include "map/MapPicture.h"
#include "platform/Configuration.h"
#include "support/ListEntries.h"
#include "support/MainWindowDriver.h"
#include "support/MapWindowActions.h"
#include "support/RasterFixtures.h"
#include "support/ToolOutput.h"
#include "xls/XlsWorkbookOpener.h"

#include <QLabel>
#include <QPainter>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace {

const QString kTiny = QStringLiteral("tiny");
const QString kAtStart = QStringLiteral("111 000 -- 0");
const QStringList kPropaneTanker{"Combo1=Propano", "Combo9=" + entryOf("2_1_2"), "Combo5=" + kAverage,
                                 "Combo4=" + kTanker};

// The control states, then each list's entry count and text.
QStringList listStates(const MainWindowDriver &run)
{
    QStringList states{run.controlStates()};
    for (const char *name : {"Combo1", "Combo2", "Combo21", "Combo8", "Combo9", "Combo5", "Combo4", "Combo6", "Combo7"})
        states << QStringLiteral("%1: %2").arg(run.combo(name)->count()).arg(run.combo(name)->currentText());
    return states;
}
QString quickPickOf(const char *code)
{
    return findHazardClass(QLatin1String(code))->quickPickEntry;
}
// The WCAG contrast ratio of two colours, from their relative luminances.
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &colour) {
        const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
    };
    const double first = luminance(a), second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}
QString notice(Error::Kind kind)
{
    return QStringLiteral("notice: ") + estimateError(kind).message();
}

// The entry the actions choose in a list.
QString chosen(const QStringList &actions, const QString &list)
{
    return actions.filter(QRegularExpression(QLatin1Char('^') + list + QLatin1Char('=')))
        .value(0)
        .section(QLatin1Char('='), 1);
}

// The same choices through an estimate chain of the core on the same drive.
Estimate coreEstimate(const TestDrive &drive, const QStringList &actions)
{
    const XlsWorkbookOpener opener{DrivePaths(drive.root())};
    EstimateChain chain(opener);
    const auto substance = chosen(actions, "Combo1").isEmpty() ? Catalogue::findByCas(chosen(actions, "Combo2"))
                                                               : Catalogue::findByName(chosen(actions, "Combo1"));
    (void)chain.lookUpClasses(substance);
    chain.chooseClass(substance ? *ListTexts::classOfListEntry(chosen(actions, "Combo9"))
                                : *ListTexts::classOfQuickPickEntry(chosen(actions, "Combo8")));
    const auto offered = chain.chooseContainment(ListTexts::hypothesisOfEntry(chosen(actions, "Combo5")),
                                                 *ListTexts::containmentOfEntry(chosen(actions, "Combo4")));
    std::optional<std::size_t> range;
    for (std::size_t i = 0; offered.ok() && i < offered.value().size(); ++i)
        range = offered.value()[i].text() == chosen(actions, "Combo6") + chosen(actions, "Combo7") ? i : range;
    return chain.estimate(range).ok() ? chain.estimate(range).value() : Estimate{};
}

const QString kRaster = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster\\");
const QString kMap = QStringLiteral("esempio 1-5000.bmp");
const QString kGeoreferenced = QStringLiteral("esempio georiferito 1-5000.tif");

// The controls shown, of those whose visibility makes up the window's state.
QString shown(const QWidget *window)
{
    QStringList names;
    for (const QString &name :
         QStringLiteral(
             "Drive1 Dir1 File1 Combo2 Text1 Command1 Command2 Combo1 Label1 Command3 Command6 Command5 "
             "output2 Text2 Command10 Command11 Command12 Command13 Command4 Command7 Command8 Frame1 Frame2 "
             "Frame3 Frame4")
             .split(QLatin1Char(' ')))
        if (window->findChild<QWidget *>(name)->isVisibleTo(window))
            names << name;
    return names.join(QLatin1Char(' '));
}

// The main window after the estimate, its map window open (with no printer).
std::unique_ptr<MainWindowDriver> propaneEstimate()
{
    auto run = std::make_unique<MainWindowDriver>(kTiny);
    QFile map(QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/cartografia/raster/") + kMap);
    run->drive().writeFile(kRaster + kMap, map.open(QIODevice::ReadOnly) ? map.readAll() : QByteArray());
    run->drive().writeFile(kRaster + QStringLiteral("rotta.bmp"), "BM questo non e' un bitmap");
    run->drive().writeFile(kRaster + QStringLiteral("leggimi.txt"), "non una mappa");
    if (!run->act({"Combo1=Propano", "Combo9=" + entryOf("2_1_2"), "Combo5=" + kLikely, "Combo4=" + kBund,
                   "Combo6= 50 -  200", "Command1"}))
        qFatal("no estimate");
    qobject_cast<MapWindow *>(run->map())->setPrinterSource([] { return std::unique_ptr<QPrinter>(); });
    return run;
}

// A bundled map copied into the test drive's raster folder.
void copyBundledMap(MainWindowDriver &run, const QString &name)
{
    QFile map(QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/cartografia/raster/") + name);
    run.drive().writeFile(kRaster + name, map.open(QIODevice::ReadOnly) ? map.readAll() : QByteArray());
}

const QStringList kShowMap{"file " + kMap, "scale scala 1:5000", "map:Command3"};
const QStringList kDrawn = kShowMap + QStringList{"answer=No", "press 600,560"};

// The box of the pixels two pictures of one size differ in.
QRect changedArea(const QImage &a, const QImage &b)
{
    QRect changed;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    return changed;
}

// Whether a box lies in a corner of a picture, a few pixels from its edges.
bool inACorner(const QRect &box, QSize picture)
{
    return std::min(box.left(), picture.width() - 1 - box.right()) < 30
        && std::min(box.top(), picture.height() - 1 - box.bottom()) < 30;
}

} // namespace

class WindowsTest : public QObject
{
    Q_OBJECT

private slots:
    // The start-up state; the progress of a class lookup; Reset's return to the start-up state after
    // an estimate, after a quick pick and after a substance in no class table (whose class list says so).
    void startUpStateAndReset()
    {
        MainWindowDriver run(kTiny);
        QVERIFY(run.fake.messages.shown().isEmpty() && !run.fake.exit.hasEnded() && !run.combo("Combo21")->isVisible());
        const QStringList atStart = listStates(run);
        QCOMPARE(
            atStart,
            QStringList({kAtStart, "253: " + kNameListPrompt, "253: " + kCasListPrompt, "253: Combo3",
                         "7: " + kQuickPickListPrompt, "0: " + kClassListPrompt, "2: " + kHypothesisListPrompt,
                         "5: " + kContainmentListPrompt, "0: " + kQuantityListLoadText, "0: " + kDiameterListPrompt}));
        QStringList names, cas;
        for (const Substance &substance : Catalogue::substances())
            names << substance.name, cas << substance.cas;
        QCOMPARE(run.items("Combo1"), names);
        SelectionCombo sorted; // a sorted list keeps its order and its prompt whatever the order items arrive in
        sorted.setSorted(&ListCollation::nameLess);
        sorted.setText(kNameListPrompt);
        sorted.addItems(names.mid(100));
        for (qsizetype i = 99; i >= 0; --i)
            sorted.addItem(names.at(i));
        QVERIFY(sorted.itemTexts() == names && sorted.text() == kNameListPrompt);
        std::sort(cas.begin(), cas.end());
        QCOMPARE(run.items("Combo2"), cas);
        QCOMPARE(run.items("Combo8").first(), hazardClasses().front().quickPickEntry);
        const auto *output = run.get<QPlainTextEdit>("Output");
        QVERIFY(output->toPlainText().startsWith(QStringLiteral("Output")) && !output->isEnabled());
        QSignalSpy progress(run.get<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged);
        QVERIFY(run.act({"Combo1=Ammoniaca"}));
        QList<int> steps; // through the eleven class tables, then back to 0
        for (const QList<QVariant> &value : progress)
            steps << value.first().toInt();
        QCOMPARE(steps, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}));
        QCOMPARE(run.items("Combo9"), QStringList({entryOf("2_1_2"), entryOf("2_3"), entryOf("51")}));
        QVERIFY(
            run.act({"Combo9=" + entryOf("2_1_2"), "Combo5=" + kAverage, "Combo4=" + kTanker, "Command1", "Command5"}));
        QCOMPARE(listStates(run), atStart);
        // A quick pick fills the substance lists with its class's substances, the CAS list sorted
        // whatever the order they arrive in.
        QVERIFY(run.act({"Combo8=" + quickPickOf("2_2"), "Combo5=" + kAverage, "Combo4=" + kPipeline}));
        names.clear(), cas = Catalogue::quickPickCas(*findHazardClass("2_2"));
        for (const Substance &substance : Catalogue::quickPickSubstances(*findHazardClass("2_2")))
            names << substance.name;
        QVERIFY(!std::is_sorted(cas.begin(), cas.end()) && run.items("Combo1") == names);
        std::sort(cas.begin(), cas.end());
        QCOMPARE(run.items("Combo2"), cas);
        QVERIFY(run.act({"Command5"}));
        QCOMPARE(listStates(run), atStart);
        QVERIFY(run.act({"Combo1=Acetone"}));
        const QStringList noClass = listStates(run);
        QCOMPARE(QStringList({noClass.at(0), noClass.at(5)}),
                 QStringList({"000 100 -- 0",
                              "0: Sostanza non presente in nessuna tabella delle classi: nessuna stima possibile"}));
        QVERIFY(run.act({"Command5"}));
        QCOMPARE(listStates(run), atStart);
        QVERIFY(output->toPlainText().isEmpty() && run.fake.messages.shown().isEmpty());
    }

    // A choice cannot be taken back but by Reset, so neither a wheel notch over a list without the
    // focus nor an arrow key makes one: the arrow keys move, Enter chooses, and the focus goes on to
    // the next open list. Enter presses the focused button.
    void keyboardAndWheelChoices()
    {
        MainWindowDriver run(kTiny);
        QVERIFY(QTest::qWaitForWindowActive(run.window.get()));
        const QStringList atStart = listStates(run);
        auto *names = run.get<SelectionCombo>("Combo1");
        run.get<QPushButton>("Command5")->setFocus();
        QWheelEvent notch(QPointF(20, 8), names->mapToGlobal(QPointF(20, 8)), {}, {0, -120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(names, &notch);
        QCOMPARE(listStates(run), atStart);

        names->setFocus();
        QTest::keyClick(names, Qt::Key_Down);
        QTest::keyClick(names, Qt::Key_Down);
        QCOMPARE(names->text(), names->itemText(1));
        QCOMPARE(run.controlStates(), atStart.first()); // moved, not chosen
        QTest::keyClick(names, Qt::Key_Return);
        QVERIFY(run.controlStates() != atStart.first()
                && run.combo("Combo2")->currentText() == Catalogue::findByName(names->itemText(1))->cas);
        QCOMPARE(QApplication::focusWidget(), run.combo("Combo9"));

        QTest::keyClick(run.get<QPushButton>("Command5"), Qt::Key_Return);
        QTRY_COMPARE(listStates(run), atStart);
    }

    // After the user's actions: the control states, texts the lists show, the messages ("notice: "
    // for one without icon, "critical: " for a critical one), the command lines started.
    void workflow_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("states");
        QTest::addColumn<QStringList>("texts"); // "ComboN=text"
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("launched");
        const QStringList byName{"Combo1=Propano"}, quickPick{"Combo8=" + quickPickOf("2_1_2")};
        const QStringList hypothesis = byName + QStringList{"Combo9=" + entryOf("2_1_2"), "Combo5=" + kLikely};
        const QString reader = QStringLiteral("xdg-open c:\\zefro\\"),
                      quit = QStringLiteral("Do you want to continue ?");
        const auto row
            = [](const char *name, const QStringList &actions, const char *states, const QStringList &texts = {},
                 const QStringList &messages = {}, const QStringList &launched = {}) {
                  QTest::newRow(name) << actions << QString::fromLatin1(states) << texts << messages << launched;
              };
        row("name pick", byName, "000 100 -- 0", {"Combo2=74-98-6", "Combo9=" + kClassChoicePrompt});
        row("CAS pick opens the hypothesis", {"Combo2=74-98-6"}, "000 110 -- 0", {"Combo1=Propano"});
        row("CAS pick after a name pick and Reset", byName + QStringList{"Command5", "Combo2=74-98-6"}, "000 100 -- 0");
        row("quick pick", quickPick, "000 010 -- 0", {"Combo1=" + kNameListPrompt, "Combo2=" + kCasListAfterQuickPick});
        row("hypothesis", hypothesis, "000 001 -- 0");
        row("fixed storage", hypothesis + QStringList{"Combo4=" + kBund}, "000 000 1- 0",
            {"Combo6=" + kQuantityListPrompt});
        row("tanker", hypothesis + QStringList{"Combo4=" + kTanker}, "000 000 -- 1");
        row("pipeline", hypothesis + QStringList{"Combo4=" + kPipeline}, "000 000 -1 0",
            {"Combo7=" + kDiameterListPrompt});
        row("quick pick, storage", quickPick + QStringList{"Combo5=" + kAverage, "Combo4=" + kBund}, "000 000 1- 0",
            {"Combo9=" + quickPickOf("2_1_2")});
        row("compressed gas in a bund",
            {"Combo1=Metano", "Combo9=" + entryOf("2_3"), "Combo5=" + kLikely, "Combo4=" + kBund}, "000 000 -- 0", {},
            {notice(Error::Kind::CompressedGasInBund)});
        row("no class chosen: the class list opens again",
            {"Combo2=7782-50-5", "Combo5=" + kLikely, "Combo4=" + kNoBund}, "000 100 -- 0", {},
            {notice(Error::Kind::ClassNotChosen)});
        row("quantity typed",
            hypothesis + QStringList{"Combo4=" + kBund, "Combo6= 10 -  50", "type Combo6= 10 - 50", "Command1"},
            "000 000 1- 1", {}, {notice(Error::Kind::QuantityNotOffered)});
        row("diameter typed",
            hypothesis + QStringList{"Combo4=" + kPipeline, "Combo7= 12 -  24", "type Combo7=12", "Command1"},
            "000 000 -1 1", {}, {notice(Error::Kind::DiameterNotOffered)});
        row("quit, Yes goes on", {"answer=Yes", "Command2"}, "111 000 -- 0", {}, {quit});
        row("quit, No ends the program", {"answer=No", "Command2"}, "111 000 -- 0", {}, {quit});
        row("documents",
            {"Command3", "tutorial:Command1", "tutorial:Command3", "tutorial:Command2", "tutorial:Command4",
             "Command6"},
            "", {}, {},
            {reader + "ms_hlp.pdf", reader + "ms_hlp2.pdf", reader + "ms_hlp3.pdf", reader + "ms_hlp4.pdf",
             reader + "ms_hlp6.pdf"});
        row("reader that cannot start", {"Command6"}, "", {},
            {"critical: " + launchFailure(reader + "ms_hlp6.pdf").message()}, {reader + "ms_hlp6.pdf"});
        row("unsaved fields apply until Reset",
            {"Command7", "type Text1=c:\\pdf", "type Text2=d:\\intro", "type Text5=d:\\soglie", "Command3",
             "tutorial:Command1", "Command6", "Command5", "Command6"},
            "", {}, {}, {"c:\\pdf d:\\intro", "c:\\pdf d:\\soglie", reader + "ms_hlp6.pdf"});
    }
    void workflow()
    {
        QFETCH(QStringList, actions);
        QFETCH(QString, states);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, launched);
        MainWindowDriver run(kTiny);
        run.fake.launcher.failNext = QByteArray(QTest::currentDataTag()).contains("cannot start");
        QVERIFY(run.act(actions));
        QVERIFY(states.isEmpty() || run.controlStates() == states);
        for (const QString &text : texts)
            QCOMPARE(run.combo(qPrintable(text.section(QLatin1Char('='), 0, 0)))->currentText(),
                     text.section(QLatin1Char('='), 1));
        QCOMPARE(run.fake.messages.shown().size(), messages.size());
        for (qsizetype i = 0; i < messages.size(); ++i) {
            const QString kind = messages.at(i).section(QStringLiteral(": "), 0, 0),
                          text = messages.at(i).section(QStringLiteral(": "), 1);
            QCOMPARE(run.fake.messages.shown().at(i).text, text.isEmpty() ? kind : text);
            const MessageIcon icon = kind == QStringLiteral("notice") ? MessageIcon::None : MessageIcon::Critical;
            QVERIFY(text.isEmpty() || run.fake.messages.shown().at(i).icon == icon);
        }
        QCOMPARE(run.fake.launcher.attempted, launched);
        QCOMPARE(run.fake.exit.hasEnded(), QByteArray(QTest::currentDataTag()).endsWith("ends the program"));
    }

    // A reader that fails at once (no PDF viewer) is reported naming the button's document, which the
    // command line splits when the reader's path has a blank.
    void readerThatFailsAtOnce()
    {
        MainWindowDriver run(kTiny);
        QVERIFY(run.act({"Command7", "type Text1=c:\\mio lettore", "Command6"}));
        const LaunchResult failed{LaunchResult::State::ExitedWithError, 3, QStringLiteral("/r/c/mio")};
        run.fake.launcher.endStarted(failed);
        const QString document = QStringLiteral("c:\\zefro\\ms_hlp6.pdf");
        QCOMPARE(run.fake.messages.texts(),
                 QStringList{launchedProgramFailure(document, run.drive().local(document), failed)});
    }

    // The locked lists and the Output box show the choices and the summary: readable (4.5:1) while locked.
    void lockedControlsAreReadable()
    {
        MainWindowDriver run(kTiny);
        for (const char *name :
             {"Output", "Combo1", "Combo2", "Combo8", "Combo9", "Combo5", "Combo4", "Combo6", "Combo7"}) {
            const QWidget *control = run.get<QWidget>(name);
            const QPalette palette = run.combo(name) ? run.combo(name)->lineEdit()->palette() : control->palette();
            const double ratio = contrast(palette.color(QPalette::Disabled, QPalette::Text),
                                          palette.color(QPalette::Disabled, QPalette::Base));
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1: %2").arg(name).arg(ratio)));
        }
    }

    // A page printed to a PDF file keeps the one-pixel coloured lines: its picture is stored losslessly.
    void printedPdfKeepsThinLines()
    {
        QImage bitmap(300, 200, QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        {
            QPainter painter(&bitmap);
            painter.setPen(Qt::red);
            painter.drawEllipse(50, 30, 140, 140);
        }
        const QTemporaryDir dir;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("mappa.pdf")));
        QVERIFY(PrintPictureFitted(printer, map::BitmapToPicture(std::move(bitmap))));
        const QString pdf = QString::fromLatin1(fileBytes(dir.filePath(QStringLiteral("mappa.pdf"))));
        QVERIFY(pdf.contains(QRegularExpression(QStringLiteral("/Subtype /Image[^>]*/Filter /FlateDecode")))
                && !pdf.contains(QStringLiteral("/DCTDecode")));
    }

    // Text typed into a list, confirmed with Enter or by leaving the field, raises no click.
    void typingIntoAListRaisesNoClick()
    {
        MainWindowDriver run(kTiny);
        run.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(run.window.get()));
        for (QComboBox *combo : {run.combo("Combo1"), run.combo("Combo2")}) {
            combo->setFocus();
            QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(combo, combo->itemText(7));
            if (combo == run.combo("Combo1"))
                QTest::keyClick(combo, Qt::Key_Return);
            run.combo("Combo8")->setFocus();
            QVERIFY(combo->currentText() == combo->itemText(7) && run.controlStates() == kAtStart
                    && run.combo("Combo9")->count() == 0);
        }
    }

    // Each kind of estimate: the lists' summary in Output, " Non applicabile" in the lists that do
    // not apply, the map window with the core's report and panels, again at a second click; with
    // no containment taken the map window opens with nothing to show.
    void estimate_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("tanker") << kPropaneTanker;
        QTest::newRow("pipeline") << QStringList{"Combo1=Propano", "Combo9=" + entryOf("2_1_2"), "Combo5=" + kLikely,
                                                 "Combo4=" + kPipeline, "Combo7= 12 -  24"};
        QTest::newRow("quick pick") << QStringList{"Combo8=" + quickPickOf("2_1_2"), "Combo5=" + kAverage,
                                                   "Combo4=" + kBund, "Combo6= 50 -  200"};
        QTest::newRow("no containment") << QStringList{"Combo1=Propano", "Combo9=" + entryOf("2_1_2")};
    }
    void estimate()
    {
        QFETCH(QStringList, actions);
        MainWindowDriver run(kTiny);
        QVERIFY(run.act(actions));
        if (chosen(actions, "Combo4").isEmpty()) // as if the containment step had been skipped
            run.get<QPushButton>("Command1")->setEnabled(true);
        QVERIFY(run.act({"Command1"}) && run.map() && run.map()->isVisible());
        if (chosen(actions, "Combo4").isEmpty()) {
            QCOMPARE(run.fake.messages.texts(), QStringList{estimateError(Error::Kind::ContainmentNotChosen).message()});
            QVERIFY(run.onMap<QPlainTextEdit>("output2")->toPlainText().isEmpty()
                    && !run.onMap<QPushButton>("Command5")->isVisible());
            return;
        }
        QVERIFY2(run.fake.messages.shown().isEmpty(), qPrintable(run.fake.messages.texts().join(QLatin1Char('|'))));
        const Estimate core = coreEstimate(run.drive(), actions);
        QCOMPARE(
            run.get<QPlainTextEdit>("Output")->toPlainText().split(QLatin1Char('\n')),
            QStringList({"sostanza prescelta: " + (core.substance ? core.substance->name : kNameListPrompt),
                         "#CAS = " + (core.substance ? core.substance->cas : kCasListAfterQuickPick),
                         "classe cui appartiene la sostanza: " + chosen(actions, "Combo9") + chosen(actions, "Combo8"),
                         chosen(actions, "Combo5")}));
        for (const char *list : {"Combo6", "Combo7"})
            QCOMPARE(run.combo(list)->currentText(),
                     chosen(actions, list).isEmpty() ? kNotApplicable : chosen(actions, list));
        QVERIFY(run.onMap<QPushButton>("Command5")->isVisible());
        QCOMPARE(run.onMap<QPlainTextEdit>("output2")->toPlainText(), reportBoxLines(core).join(QLatin1Char('\n')));
        QCOMPARE(run.onMap<QLabel>("Label3")->text(), dataLabelLines(core).join(QLatin1Char('\n')));
        QCOMPARE(run.onMap<QLabel>("Label4")->text(), resultsLabelLines(core).join(QLatin1Char('\n')));
        run.onMap<QPlainTextEdit>("output2")->clear();
        QVERIFY(run.act({"Command1"}) && run.fake.messages.shown().isEmpty());
        QCOMPARE(run.onMap<QPlainTextEdit>("output2")->toPlainText(), reportBoxLines(core).join(QLatin1Char('\n')));
    }

    // "Salva report su file" appends the report of the estimate shown, even after Reset, under the
    // output prefix read at start or at the last Reset, then offers the editor; a report that
    // cannot be written keeps the button.
    void savingTheReport_data()
    {
        QTest::addColumn<QString>("prefix"); // written to the configuration, read at Reset
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("No editor") << kTestOutputFolder << QStringList{"answer=No"};
        QTest::newRow("after Reset, the prefix read again, the editor")
            << "c:\\zefro\\rapporti " << QStringList{"Command5", "answer=Yes"};
        QTest::newRow("output folder missing") << "c:\\inesistente\\" << QStringList{"Command5"};
    }
    void savingTheReport()
    {
        QFETCH(QString, prefix);
        QFETCH(QStringList, actions);
        MainWindowDriver run(kTiny);
        Configuration configuration = loadConfigurationFile(run.fake.platform.drives).value();
        configuration.setEntry(8, prefix);
        QVERIFY(run.act(kPropaneTanker + QStringList{"Command1"})
                && saveConfigurationFile(run.fake.platform.drives, configuration).ok());
        QVERIFY(run.act(actions << "map:Command5"));
        const QString file = reportFileName(prefix, run.fake.platform.now(), "Propano");
        QCOMPARE(run.fake.messages.shown().size(), 1);
        const MessageRequest said = run.fake.messages.shown().first();
        if (prefix.contains(QStringLiteral("inesistente"))) {
            QVERIFY(said.icon == MessageIcon::Critical && run.onMap<QPushButton>("Command5")->isVisible()
                    && run.fake.launcher.attempted.isEmpty());
            return;
        }
        QVERIFY(said.text == reportSavedQuestion(file, run.drive().local(file)) && said.title == kReportSavedTitle
                && said.buttons == MessageButtons::YesNo);
        QCOMPARE(run.fake.launcher.attempted,
                 actions.contains("answer=Yes") ? QStringList{"notepad " + file} : QStringList());
        QVERIFY(!run.onMap<QPushButton>("Command5")->isVisible() && !run.drive().readFile(file).isEmpty());
    }

    // A workbook missing or damaged where a step reads it: one critical message naming it, the
    // chain locked until Reset, nothing written; once the file is back the same steps work.
    void badWorkbooks_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("states");
        const QStringList chlorine{"Combo1=Cloro", "Combo9=" + entryOf("51"), "Combo5=" + kAverage, "Combo4=" + kBund};
        const QString locked = QStringLiteral("000 000 -- 0");
        QTest::newRow("class table") << chlorine.mid(0, 1) << "23.xls" << locked;
        QTest::newRow("class table at a quick pick")
            << QStringList{"Combo8=" + quickPickOf("1_2")} << "111.xls" << locked;
        QTest::newRow("correspondence") << chlorine << "corrispondenza coppie tossici.xls" << locked;
        QTest::newRow("distances") << chlorine + QStringList{"Combo6= 0 -  10", "Command1"} << "516.xls"
                                   << "000 000 1- 1";
    }
    void badWorkbooks()
    {
        QFETCH(QStringList, actions);
        QFETCH(QString, file);
        QFETCH(QString, states);
        MainWindowDriver run(kTiny);
        const QString path = run.drive().local(kDataFolder + file);
        QVERIFY(QFile::rename(path, path + QStringLiteral(".kept")));
        QVERIFY(run.act(actions));
        QVERIFY(run.fake.messages.shown().size() == 1
                && run.fake.messages.shown().first().icon == MessageIcon::Critical);
        QVERIFY2(run.fake.messages.texts().first().contains(kDataFolder + file),
                 qPrintable(run.fake.messages.texts().first()));
        QCOMPARE(run.controlStates(), states);
        if (actions.size() == 1) // the locked class list no longer invites a choice
            QCOMPARE(run.combo("Combo9")->currentText(), kClassListUnreadable);
        QVERIFY(!run.map() || run.onMap<QPlainTextEdit>("output2")->toPlainText().isEmpty()); // no estimate to show
        QVERIFY(!run.fake.exit.hasEnded()
                && QDir(run.drive().local(kTestOutputFolder)).entryList(QDir::Files).isEmpty());
        QVERIFY(QFile::rename(path + QStringLiteral(".kept"), path));
        run.fake.messages.clear();
        QVERIFY(run.act(QStringList{"Command5"} + actions));
        QVERIFY2(run.fake.messages.shown().isEmpty(), qPrintable(run.fake.messages.texts().join(QLatin1Char('|'))));
    }

    // A configuration file that cannot be read ends the program, at start and at Reset.
    void configurationErrorsEndTheProgram()
    {
        const TestDrive drive;
        QVERIFY(QFile::remove(drive.local(Configuration::filePath())));
        MainWindowDriver atStart(drive);
        drive.writeFile(Configuration::filePath(), crlfLines({"1", "2", "3", "4", "5", "6", "7", "8"}));
        MainWindowDriver atReset(drive);
        QVERIFY(!atReset.fake.exit.hasEnded() && atReset.fake.messages.shown().isEmpty());
        drive.writeFile(Configuration::filePath(), crlfLines({"1", "2", "3", "4", "5", "6", "7"}));
        QVERIFY(atReset.act({"Command5"}));
        for (const MainWindowDriver *run : {&atStart, &atReset}) {
            QVERIFY(run->fake.exit.calls() == 1 && run->fake.messages.shown().size() == 1);
            QVERIFY(run->fake.messages.shown().first().icon == MessageIcon::Critical);
            QVERIFY(run->fake.messages.texts().first().contains(Configuration::filePath()));
        }
    }

    // A failed "OK" is reported and keeps the program, the box and the edits (the focus on a field
    // the file cannot hold); the next "OK" writes them (entry 6 is Text7) and hides the box.
    void configurationBox_data()
    {
        QTest::addColumn<QString>("obstacle"); // "folder": the file's folder missing; else a letter added to Text7
        QTest::newRow("folder missing") << "folder";
        QTest::newRow("a letter Latin-1 cannot hold") << "€";
    }
    void configurationBox()
    {
        QFETCH(QString, obstacle);
        const TestDrive drive;
        drive.writeFile(Configuration::filePath(), crlfLines({"e1", "e2", "e3", "e4", "e5", "e6", "e7", "e8"}));
        MainWindowDriver run(drive);
        const QString folder = QFileInfo(drive.local(Configuration::filePath())).path();
        const QString edited
            = QStringLiteral("c:\\parte 2.pdf") + (obstacle == QStringLiteral("€") ? obstacle : QString());
        QVERIFY(run.act({"Command7", "type Text2=c:\\guida è più.pdf", "type Text7=" + edited}));
        QVERIFY((obstacle != QStringLiteral("folder") || QDir(folder).removeRecursively())
                && run.act({"config:Command1"}));
        QVERIFY(run.fake.messages.shown().size() == 1
                && run.fake.messages.shown().first().icon == MessageIcon::Critical);
        QVERIFY(run.window->configBox().isVisible() && !run.fake.exit.hasEnded()
                && run.configField(7)->text() == edited);
        QCOMPARE(run.window->configBox().focusWidget() == run.configField(7), obstacle == QStringLiteral("€"));
        run.fake.messages.clear();
        QVERIFY(QDir().mkpath(folder) && run.act({"type Text7=c:\\parte 2.pdf", "config:Command1"}));
        QVERIFY(run.fake.messages.shown().isEmpty() && !run.window->configBox().isVisible());
        QCOMPARE(drive.readFile(Configuration::filePath()),
                 crlfLines({"e1", "c:\\guida \xe8 pi\xf9.pdf", "e3", "e4", "e5", "c:\\parte 2.pdf", "e7", "e8"}));
    }

    // The tutorial window is made once and kept; the credits box is made afresh at each opening.
    void tutorialAndCredits()
    {
        MainWindowDriver run(kTiny);
        QVERIFY(run.act({"Command3", "Command3"}) && !run.act({"tutorial:Command5"})); // Part II is not there yet
        const QList<TutorialWindow *> tutorials = run.window->findChildren<TutorialWindow *>();
        QVERIFY(tutorials.size() == 1 && tutorials.first()->isVisible());
        run.window->hide();
        QVERIFY(run.act({"tutorial:CmdOK"}) && !tutorials.first()->isVisible() && run.window->isVisible());
        QVERIFY(run.act({"Command3"}) && run.window->findChildren<TutorialWindow *>() == tutorials
                && tutorials.first()->isVisible());
        QVERIFY(run.act({"Command4", "Command4"})); // still open: brought forward, not doubled
        const QPointer<CreditsBox> first = run.window->findChild<CreditsBox *>();
        QVERIFY(run.window->findChildren<CreditsBox *>().size() == 1 && first->isVisible()
                && run.act({"credits:cmdOK"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull() && run.act({"Command4"}) && run.window->findChildren<CreditsBox *>().size() == 1);
        QVERIFY(run.window->findChild<CreditsBox *>()->isVisible());
    }

    // Tables without a seal: the main window says so until they are sealed (looked at again at Reset);
    // the credits box says how they stand.
    void dataSeal()
    {
        MainWindowDriver run(kTiny);
        const QLabel *status = run.get<QLabel>("DataSealStatus");
        const QString unsealed = dataFolderSealLine(std::optional<DataSeal::Seal>());
        QVERIFY(status->isVisible() && status->text() == unsealed && run.act({"Command4"}));
        QCOMPARE(run.window->findChild<CreditsBox *>()->findChild<QLabel *>("lblDataSeal")->text(), unsealed);
        const QDateTime when(QDate(2026, 12, 7), QTime(10, 15));
        QVERIFY(DataSeal::sealFolder(run.drive().local(kDataFolder), when).ok() && run.act({"Command5"}));
        QVERIFY(!status->isVisible());
    }

    // "System Info...": the program the registry names, else MSINFO32.EXE in its tools folder, else
    // the first desktop program on the path; none, or one that cannot start, is reported.
    void systemInformation_data()
    {
        QTest::addColumn<QStringList>("registry"); // PATH value, MSINFO folder; null: not in the registry
        QTest::addColumn<QStringList>("found"); // files that exist and programs on the path
        QTest::addColumn<QString>("program"); // "" = none found
        const QString tools = QStringLiteral("C:\\Shared\\MSInfo");
        QTest::newRow("registry path") << QStringList{"C:\\msinfo32.exe", tools} << QStringList{"hardinfo"}
                                       << "C:\\msinfo32.exe";
        QTest::newRow("tools folder, the path empty")
            << QStringList{"", tools} << QStringList{tools + "\\MSINFO32.EXE", "hardinfo"} << tools + "\\MSINFO32.EXE";
        QTest::newRow("tools folder without it, desktop programs in order")
            << QStringList{QString(), tools} << QStringList{"xfce4-taskmanager", "gnome-system-monitor"}
            << "/usr/bin/gnome-system-monitor";
        QTest::newRow("program that cannot start")
            << QStringList{QString(), QString()} << QStringList{"hardinfo"} << "/usr/bin/hardinfo";
        QTest::newRow("nothing anywhere") << QStringList{QString(), QString()} << QStringList() << "";
    }
    void systemInformation()
    {
        QFETCH(QStringList, registry);
        QFETCH(QStringList, found);
        QFETCH(QString, program);
        const bool starts = !QByteArray(QTest::currentDataTag()).contains("cannot start");
        QStringList started;
        const SysInfoEnvironment environment{
            [&](RegistryRoot, const QString &key, const QString &value) {
                const QString data = registry.value(key == kSysInfoKey && value == kSysInfoValue ? 0 : 1);
                return RegistryValue{!data.isNull(), data};
            },
            [&](const QString &file) { return found.contains(file); },
            [&](const QString &name) { return found.contains(name) ? "/usr/bin/" + name : QString(); },
            knownSysInfoPrograms(),
            [&](const QString &name) {
                started << name;
                return starts;
            }};
        FakePlatform fake(QDir::tempPath());
        CreditsBox box(fake.platform, environment);
        box.show();
        QTest::mouseClick(box.findChild<QPushButton *>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
        QCOMPARE(started, program.isEmpty() ? QStringList() : QStringList{program});
        const QString message = program.isEmpty() ? kSysInfoUnavailable
            : starts                              ? QString()
                                                  : launchFailure(program).message();
        QCOMPARE(fake.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    }

    // The map window after the actions: the controls shown, the messages (their beginnings), whether
    // a red circle passes a point of the map (a 50 m area: 47 pixels at 1:5000) or the rubber band
    // does, the files in the output folder; its file lists show the two bitmaps of the raster folder on c:.
    void mapWindow_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("controls");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("circle"); // "red X,Y", "no red X,Y", "line X,Y" (the map's pixel inverted) or ""
        QTest::addColumn<QStringList>("files");
        const QString chooser = QStringLiteral("Drive1 Dir1 File1"),
                      scales = chooser + " Combo2 Text1 Command1 Command2 Combo1";
        const QString scaleChosen = scales + QStringLiteral(" Label1 Command3 Command6 Command5 output2");
        const QString drawn
            = QStringLiteral("Command10 Command11 Command12 Command13 Command4 Command7 Command8 Frame1 Frame2 Frame3 "
                             "Frame4");
        const QStringList userScale{"file " + kMap, "scale scala definita dall'utente"};
        const QStringList rescale = kDrawn + QStringList{"map:Command10", "drag 100,650 400,500 572,650"}; // 472 pixels
        const QString cancel = QStringLiteral("Done! Do you want to cancel? ");
        const QDateTime now = FakePlatform(QString()).platform.now();
        const QString bmp = MapFileName(QString(), now, QStringLiteral("Propano"));
        const QString pdf = map::mapPageFileName(QString(), now, QStringLiteral("Propano"));
        const QString whole = outputFileName(QString(), "mappa intera", now, "Propano", ".bmp");
        const auto row
            = [](const char *name, const QStringList &actions, const QString &controls,
                 const QStringList &messages = {}, const QString &circle = {}, const QStringList &files = {}) {
                  QTest::newRow(name) << actions << controls << messages << circle << files;
              };
        row("estimate shown", {}, chooser + " Command5 output2");
        row("file chosen", {"file " + kMap}, scales + " Command3 Command5 output2");
        row("drive / and back to c:, down to the maps",
            {"drive /", "drive c:", "folder revisione metodo speditivo", "folder dati", "folder cartografia",
             "folder raster"},
            chooser + " Command5 output2");
        row("user-defined scale", userScale, scaleChosen);
        row("areas at a typed scale",
            userScale + QStringList{"field Text1=1:2000", "map:Command3", "answer=No", "press 600,560"}, drawn,
            {cancel}, "red 718,560");
        row("right button", kShowMap + QStringList{"rpress 600,560"}, "Text2", {}, "no red 647,560");
        row("map change", kDrawn + QStringList{"map:Command7"},
            chooser + " Command10 Command11 Command12 Command13 Frame1 Frame2 Frame3 Frame4", {cancel});
        row("folder opened again, no file chosen: a cancel loads the map",
            kDrawn + QStringList{"map:Command7", "folder raster", "answer=Yes", "press 600,560"}, drawn,
            {cancel, cancel}, "no red 647,560");
        row("user scale 1:", userScale + QStringList{"field Text1=1:", "map:Command3"}, scaleChosen,
            {"La scala definita dall'utente \"1:\" non è valida"});
        row("user scale with a thousands point: read as 1:10, said, not drawn",
            userScale + QStringList{"field Text1=1:10.000", "map:Command3"}, scaleChosen,
            {"La scala definita dall'utente \"1:10.000\" si legge 1:10: "});
        row("scale list: a decimal part refused, the thousands read",
            QStringList{"file " + kMap, "scale scala 1:5000", "scaletext 1:7500,5", "scaletext 1:10.000",
                        "map:Command3", "answer=No", "press 600,560"},
            drawn, {"La scala \"1:7500,5\" ha un denominatore con parte decimale", cancel}, "red 624,560");
        row("circles around the whole sheet",
            QStringList{"file " + kMap, "scaletext 1:10", "map:Command3", "answer=No", "press 600,560"}, drawn,
            {"Alla scala 1:10 ogni cerchio di danno è più grande della mappa", cancel}, "no red 647,560");
        row("a file that is no bitmap", {"file rotta.bmp", "scale scala 1:2000", "map:Command3"}, scaleChosen,
            {"Il file \"rotta.bmp\" non è una mappa"});
        row("rubber band", rescale, "Text2 " + drawn, {cancel}, "line 200,650");
        row("rescale: zero-length segment",
            kDrawn + QStringList{"map:Command10", "drag 100,650", "field Text2=50", "map:Command11"}, "Text2 " + drawn,
            {cancel, "Il segmento tracciato ha lunghezza nulla"});
        row("rescale: length below 0", rescale + QStringList{"field Text2=-50", "map:Command11"}, "Text2 " + drawn,
            {cancel, "La lunghezza del segmento deve essere"});
        row("after Reset: radius 0", QStringList{"Command5"} + kDrawn, drawn, {cancel}, "no red 647,560");
        row("after a failed estimate: the estimate shown", QStringList{"type Combo6= 50 - 200", "Command1"} + kDrawn,
            drawn, {estimateError(Error::Kind::QuantityNotOffered).message(), cancel}, "red 647,560");
        // A pending rescale ends at "Mostra mappa" and with the window, so a press draws again.
        row("rescale pending, map shown again",
            kDrawn
                + QStringList{"map:Command10", "map:Command7", "file " + kMap, "map:Command3", "answer=No",
                              "press 600,560"},
            drawn, {cancel, cancel}, "red 647,560");
        row("made anew with the rescale pending",
            kDrawn
                + QStringList{"map:Command10", "close", "Command1", "file " + kMap, "map:Command3", "answer=No",
                              "press 600,560"},
            drawn, {cancel, cancel}, "red 647,560");
        row("a new estimate: the map clean, nothing to save or print", kDrawn + QStringList{"Command1"},
            "Command5 Command10 Command11 Frame1 Frame2 Frame3 Frame4", {cancel}, "no red 647,560");
        row("a scale typed into the list",
            QStringList{"file " + kMap, "scaletext 1:2000", "map:Command3", "answer=No", "press 600,560"}, drawn,
            {cancel}, "red 718,560");
        row("a cancelled drawing keeps the rescale",
            userScale
                + QStringList{"map:Command3", "answer=No", "press 600,560", "map:Command10",
                              "drag 100,650 400,500 572,650", "field Text2=250", "map:Command11", "answer=Yes",
                              "press 600,560", "answer=No", "press 600,560"},
            drawn, {"Alla scala 1:1 ogni cerchio di danno è più grande della mappa", cancel, cancel, cancel},
            "red 694,560");
        row("whole map saved", kDrawn + QStringList{"map:Command13"}, drawn,
            {cancel, "Done! I've saved " + kTestOutputFolder + whole}, "red 647,560", {whole});
        row("map saved after Reset", kDrawn + QStringList{"Command5", "map:Command12"}, drawn,
            {cancel, "Done! I've saved " + kTestOutputFolder + bmp}, {}, {bmp});
        row("map not saved",
            kDrawn + QStringList{"Command7", "type Text8=c:\\no\\", "config:Command1", "Command5", "map:Command12"},
            drawn, {cancel, "Impossibile salvare la mappa nel file \"c:\\no\\" + bmp});
        row("no printer, no page", kDrawn + QStringList{"answer=No", "map:Command4"}, drawn,
            {cancel, "Nessuna stampante installata"});
        row("no printer, a PDF page", kDrawn + QStringList{"answer=Yes", "map:Command4"}, drawn,
            {cancel, "Nessuna stampante installata", "Done! I've saved " + kTestOutputFolder + pdf}, {}, {pdf});
        row("quit, No: the program ends", kDrawn + QStringList{"answer=No", "map:Command8"}, drawn,
            {cancel, "Do you want to continue ?"});
    }
    void mapWindow()
    {
        QFETCH(QStringList, actions);
        QFETCH(QString, controls);
        QFETCH(QStringList, messages);
        QFETCH(QString, circle);
        QFETCH(QStringList, files);
        const auto run = propaneEstimate();
        QVERIFY(act(*run, actions));
        QCOMPARE(shown(run->map()), controls);
        const QStringList said = run->fake.messages.texts();
        QCOMPARE(said.size(), messages.size());
        for (qsizetype i = 0; i < messages.size(); ++i)
            QVERIFY2(said.at(i).startsWith(messages.at(i)), qPrintable(said.at(i)));
        const QStringList at = circle.section(QLatin1Char(' '), -1).split(QLatin1Char(','));
        const QPoint point(at.value(0).toInt(), at.value(1).toInt());
        const MapSurface *drawnOn = surface(run->map());
        const QImage image = drawnOn->hasMap()
            ? map::drawnRegion(*drawnOn->source(), drawnOn->drawings(), drawnOn->source()->rect()).value()
            : QImage(),
                     original(run->drive().local(kRaster + kMap));
        bool red = false;
        for (int dy = -1; !circle.isEmpty() && dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                red = red || image.pixel(point + QPoint(dx, dy)) == qRgb(255, 0, 0);
        QVERIFY(circle.startsWith(QStringLiteral("line")) ? image.pixel(point) != original.pixel(point)
                                                          : red == circle.startsWith(QStringLiteral("red")));
        const QDir output(run->drive().local(kTestOutputFolder));
        QCOMPARE(output.entryList(QDir::Files), files);
        for (const QString &file : files.filter(QStringLiteral(".bmp"))) {
            const QImage saved(output.filePath(file));
            if (file.contains(QStringLiteral("mappa intera"))) { // the sheet at full size, as drawn, with its legend
                QVERIFY(saved.size() == original.size() && saved.pixel(point) == image.pixel(point)
                        && saved.dotsPerMeterX() == original.dotsPerMeterX());
                const QRect legend = changedArea(saved, image);
                QVERIFY2(legend.width() > 100 && legend.height() > 100 && inACorner(legend, saved.size())
                             && !legend.contains(point),
                         qPrintable(QStringLiteral("%1,%2 %3x%4").arg(legend.x()).arg(legend.y()).arg(legend.width()).arg(legend.height())));
            } else // the whole window in a frame
                QCOMPARE(saved.size(),
                         run->map()->size()
                             + QSize(2 * map::kFrameBorder, map::kTitleBarHeight + 2 * map::kFrameBorder));
        }
        QVERIFY(run->onMap<QComboBox>("Drive1")->currentText() == "c:"
                && run->onMap<QListWidget>("File1")->count() == 2);
        QCOMPARE(run->fake.exit.hasEnded(), QByteArray(QTest::currentDataTag()).endsWith("the program ends"));
    }

    // A georeferenced map needs no scale: the list shows the one its georeference gives, the circles
    // come out at ground size (the 50 m area 50 pixels from the incident, at 1 m a pixel), the mouse
    // tells ground coordinates (of the pixel's centre) and the areas go to a GIS file. A plain map
    // offers no export; a raster that cannot be read is said and changes nothing.
    void georeferencedMap()
    {
        const auto run = propaneEstimate();
        const QString georeferenced = QStringLiteral("esempio georiferito 1-5000.tif");
        QFile tif(QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/cartografia/raster/")
                  + georeferenced);
        run->drive().writeFile(kRaster + georeferenced, tif.open(QIODevice::ReadOnly) ? tif.readAll() : QByteArray());
        run->drive().writeFile(kRaster + QStringLiteral("rotta.tif"), QByteArrayLiteral("II*\0questo non e' un TIFF"));
        auto *window = qobject_cast<MapWindow *>(run->map());
        const QString target = run->drive().local(kTestOutputFolder) + QStringLiteral("aree.geojson");
        QString suggested;
        window->setExportFileChooser([&](const QString &name) {
            suggested = name;
            return target;
        });
        QVERIFY(act(*run, {"folder raster", "file rotta.tif", "map:Command3"}));
        QVERIFY(
            run->fake.messages.texts().value(0).startsWith(QStringLiteral("Il file \"rotta.tif\" non è una mappa")));
        QCOMPARE(shown(window).section(QLatin1Char(' '), 0, 2), QStringLiteral("Drive1 Dir1 File1"));

        QVERIFY(act(*run, {"file " + georeferenced}));
        // Its true scale at the sheet's middle: a pixel is a metre of the UTM grid, 1.0004 m of ground there.
        QCOMPARE(run->onMap<QComboBox>("Combo2")->currentText(), QStringLiteral("1:5002"));
        QVERIFY(act(*run, {"map:Command3", "answer=No", "press 600,560"}));
        const MapSurface *drawnOn = surface(window);
        const QImage image
            = map::drawnRegion(*drawnOn->source(), drawnOn->drawings(), QRect(500, 500, 200, 100)).value();
        // The 50 m ring crosses the incident's row 50 pixels to its right, give or take the pixel that
        // UTM's 0.04 % there may move it by.
        const auto red = [&image](int x) { return image.pixel(x, 60) == qRgb(255, 0, 0); };
        QVERIFY(red(149) || red(150));
        QVERIFY(!red(147) && !red(152));
        auto *exportButton = run->onMap<QPushButton>("Command14");
        QVERIFY(exportButton->isVisibleTo(window) && exportButton->isEnabled());
        // Over the sheet's pixel 300, 500, wherever the drawing moved the view.
        const QPointF over = surface(window)->view().toView(QPointF(300.5, 500.5));
        QMouseEvent move(QEvent::MouseMove, over, surface(window)->viewport()->mapToGlobal(over), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(surface(window)->viewport(), &move);
        const QString position = run->onMap<QLabel>("Label6")->text();
        QCOMPARE(position,
                 QStringLiteral("Coordinate EPSG:32632\nCursore:  E 480300.5  N 5029499.5\n"
                                "Incidente:  E 480600.5  N 5029439.5"));
        QVERIFY(act(*run, {"map:Command14"}));
        QCOMPARE(suggested,
                 run->drive().local(kTestOutputFolder)
                     + MapFileName(QString(), run->fake.platform.now(), QStringLiteral("Propano"))
                           .replace(QStringLiteral(".bmp"), QStringLiteral(".gpkg")));
        QVERIFY(run->fake.messages.texts().last().startsWith(QStringLiteral("Aree di danno esportate nel file\n")
                                                             + target));
        QVERIFY(QFileInfo(target).size() > 0);
        // The whole map saved keeps its place on the ground, in the files beside it.
        QVERIFY(act(*run, {"map:Command13"}));
        const QString whole = outputFileName(QString(), QStringLiteral("mappa intera"), run->fake.platform.now(),
                                             QStringLiteral("Propano"), QStringLiteral(".bmp"));
        QCOMPARE(QDir(run->drive().local(kTestOutputFolder)).entryList({QFileInfo(whole).completeBaseName() + "*"}),
                 QStringList({whole, whole + ".aux.xml", QString(whole).replace(".bmp", ".bpw"),
                              QString(whole).replace(".bmp", ".prj")}));

        // The window says the scale of its circles (Label7), after "Riscala" too; another scale than the
        // georeference's is said once: 1:10000, then 472 pixels of 1 m for 236 m (1:2500).
        const QLabel *inUse = run->onMap<QLabel>("Label7");
        QCOMPARE(inUse->text(), QStringLiteral("Cerchi alla scala 1:5002 della georeferenziazione"));
        const qsizetype said = run->fake.messages.texts().size();
        QVERIFY(act(*run,
                    {"map:Command7", "file " + georeferenced, "scale scala 1:10000", "map:Command3", "answer=No",
                     "press 600,560", "map:Command10", "drag 100,650 400,500 572,650", "field Text2=236",
                     "map:Command11"}));
        QCOMPARE(inUse->text(),
                 QStringLiteral("Cerchi alla scala 1:2500, non a quella della georeferenziazione "
                                "(1:5002): non hanno la misura del terreno né delle aree esportate"));
        const QStringList told = run->fake.messages.texts().mid(said);
        QVERIFY2(told.size() == 2
                     && told.first().startsWith("La mappa \"" + georeferenced
                                                + "\" è georiferita alla scala 1:5002. I cerchi sono disegnati alla "
                                                  "scala 1:10000"),
                 qPrintable(told.join('|')));

        QVERIFY(
            act(*run,
                {"map:Command7", "file " + kMap, "scale scala 1:5000", "map:Command3", "answer=No", "press 600,560"}));
        QVERIFY(exportButton->isVisibleTo(window) && !exportButton->isEnabled());
        QVERIFY(!run->onMap<QLabel>("Label6")->isVisibleTo(window));
    }

    // Zooming changes the view only: the scale, the saved whole map and the exported areas stay byte for
    // byte, and back at the natural size so does the saved window. The wheel with Ctrl zooms about the
    // mouse, the keys and buttons by steps, from the whole sheet beside the controls to 4 screen
    // pixels a sheet pixel.
    void zoomChangesOnlyTheView()
    {
        const auto run = propaneEstimate();
        auto *window = qobject_cast<MapWindow *>(run->map());
        copyBundledMap(*run, kGeoreferenced);
        int exports = 0;
        const QDir output(run->drive().local(kTestOutputFolder));
        window->setExportFileChooser(
            [&](const QString &) { return output.filePath(QStringLiteral("aree%1.geojson").arg(++exports)); });
        QVERIFY(act(*run, {"folder raster", "file " + kGeoreferenced, "map:Command3", "answer=No", "press 600,560"}));
        const auto saved = [&](const char *button, const QString &file) {
            QFile::remove(output.filePath(file));
            QTest::mouseClick(run->onMap<QPushButton>(button), Qt::LeftButton);
            QFile read(output.filePath(file));
            return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
        };
        const QDateTime now = run->fake.platform.now();
        const QString windowFile = MapFileName(QString(), now, "Propano");
        const QString wholeFile = outputFileName(QString(), "mappa intera", now, "Propano", ".bmp");
        MapSurface *sheet = surface(window);
        const map::MapView natural = sheet->view();
        const QByteArray windowPicture = saved("Command12", windowFile), whole = saved("Command13", wholeFile),
                         exported = saved("Command14", "aree1.geojson");
        QVERIFY(!windowPicture.isEmpty() && !whole.isEmpty() && !exported.isEmpty());
        const QStringList scale{run->onMap<QComboBox>("Combo2")->currentText(), run->onMap<QLabel>("Label7")->text()};

        QWidget *view = sheet->viewport();
        const QPointF mouse(300, 250);
        const QPointF under = sheet->view().toSheet(mouse);
        QWheelEvent wheel(mouse, view->mapToGlobal(mouse), {}, {0, 240}, Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        QCOMPARE(sheet->zoom(), 2.0);
        QVERIFY((sheet->view().toSheet(mouse) - under).manhattanLength() <= 0.5);
        QCOMPARE(run->onMap<QLabel>("zoomShown")->text(), QStringLiteral("200 %"));
        QApplication::setActiveWindow(window); // the keys go to the active window, whatever the platform
        QTest::keyClick(window, Qt::Key_Minus);
        QCOMPARE(sheet->zoom(), std::sqrt(2.0));
        QTest::keyClick(window, Qt::Key_Plus);
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(run->onMap<QPushButton>("zoomIn"), Qt::LeftButton);
        QCOMPARE(sheet->zoom(), 4.0);
        QTest::mouseClick(run->onMap<QPushButton>("fitSheet"), Qt::LeftButton);
        const QSize fitted = sheet->view().zoomedSize(sheet->source()->size());
        QVERIFY(sheet->roomBesideControls().contains(QRect(QPoint(0, 0), fitted)));
        QVERIFY(fitted.width() == sheet->roomBesideControls().width() || fitted.height() == view->height());
        QTest::mouseClick(run->onMap<QPushButton>("zoomOut"), Qt::LeftButton);
        QCOMPARE(sheet->view().zoomedSize(sheet->source()->size()), fitted); // no smaller than the whole sheet

        QCOMPARE(saved("Command13", wholeFile), whole);
        QCOMPARE(saved("Command14", "aree2.geojson"), exported);
        QCOMPARE(QStringList({run->onMap<QComboBox>("Combo2")->currentText(), run->onMap<QLabel>("Label7")->text()}),
                 scale);
        sheet->setView(natural);
        QCOMPARE(saved("Command12", windowFile), windowPicture);
    }

    // After a press the view shows the incident and all of its areas that lie on the sheet, zoomed out
    // as far as they need; areas around the whole sheet leave the view to the incident alone.
    void theViewShowsTheAreasDrawn_data()
    {
        QTest::addColumn<QString>("scale");
        QTest::addColumn<bool>("zoomedOut");
        QTest::newRow("1:5000, moved left of the panels") << "scala 1:5000" << false;
        QTest::newRow("1:2000, zoomed out") << "scala 1:2000" << true;
        QTest::newRow("1:1, around the sheet: the incident") << "scala 1:1" << false;
    }
    void theViewShowsTheAreasDrawn()
    {
        QFETCH(QString, scale);
        QFETCH(bool, zoomedOut);
        const auto run = propaneEstimate();
        QVERIFY(act(*run, {"file " + kMap, "scale " + scale, "map:Command3", "answer=No", "press 600,560"}));
        MapSurface *sheet = surface(run->map());
        QCOMPARE(sheet->zoom() < 1.0, zoomedOut);
        const map::DrawnAreas drawn = sheet->drawings().areas().at(0);
        const QRectF areas = scale == "scala 1:1" ? QRectF(600.5, 560.5, 0, 0)
                                                  : map::areasExtent(drawn, sheet->units())
                                                        .intersected(QRectF(sheet->source()->rect()));
        const QRectF room(sheet->roomBesideControls());
        QVERIFY(room.contains(sheet->view().toView(areas.topLeft()))
                && room.contains(sheet->view().toView(areas.bottomRight())));
    }

    // "Misura": a drag of the left button shows its length at the scale in use, live, at any zoom; it
    // draws nothing, asks nothing and leaves the scale; Esc ends it and a press draws again. On a
    // georeferenced map the length is the one on the ground.
    void measuringADistance_data()
    {
        QTest::addColumn<QString>("map");
        QTest::newRow("plain map at 1:5000") << kMap;
        QTest::newRow("georeferenced") << kGeoreferenced;
    }
    void measuringADistance()
    {
        QFETCH(QString, map);
        const auto run = propaneEstimate();
        copyBundledMap(*run, kGeoreferenced);
        // The plain map at 1:5000, the georeferenced one at its own scale.
        QVERIFY(act(*run, QStringList{"folder raster", "file " + map}
                              + (map == kMap ? QStringList{"scale scala 1:5000"} : QStringList())
                              + QStringList{"map:Command3", "answer=No", "press 600,560"}));
        auto *window = qobject_cast<MapWindow *>(run->map());
        MapSurface *sheet = surface(window);
        sheet->zoomBy(2, QPointF(300, 300));
        const qsizetype said = run->fake.messages.texts().size();
        const QString scale = run->onMap<QLabel>("Label7")->text();
        auto *toggle = run->onMap<QPushButton>("measure");
        QTest::mouseClick(toggle, Qt::LeftButton);
        QWidget *view = sheet->viewport();
        const QPoint from(120, 90), through(300, 200), to(410, 333);
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, through);
        const auto *length = run->onMap<QLabel>("measuredLength");
        QVERIFY(length->isVisibleTo(window));
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
        const map::MapUnits &units = sheet->units();
        const auto unitsAt
            = [&](QPoint at) { return units.toUnits(QPointF(sheet->view().sheetPixelAt(at)) + QPointF(0.5, 0.5)); };
        const map::DistanceMeasure measure = map == kMap
            ? map::DistanceMeasure::atScale(1.0 / 5000)
            : map::DistanceMeasure::onGround(*map::peekGeoreference(run->drive().local(kRaster + map)), units).value();
        const double metres = *measure.metres(unitsAt(from), unitsAt(to));
        QCOMPARE(length->text(), QStringLiteral("Distanza %1\n%2")
                                     .arg(map::metresText(metres), map == kMap ? "alla scala 1:5000" : "sul terreno"));
        // The pixels pressed are those under the mouse: within a pixel of the points pressed.
        const QPointF ideal = sheet->view().toSheet(to) - sheet->view().toSheet(from);
        const double pixel = *measure.metres(units.toUnits({0, 0}), units.toUnits({1, 0}));
        QVERIFY(std::abs(metres - pixel * std::hypot(ideal.x(), ideal.y())) <= 1.5 * pixel);
        QCOMPARE(sheet->drawings().areas().size(), std::size_t(1));
        QVERIFY(!run->onMap<QWidget>("Text2")->isVisibleTo(window) || map == kMap);
        QCOMPARE(run->fake.messages.texts().size(), said);
        QCOMPARE(run->onMap<QLabel>("Label7")->text(), scale);

        QApplication::setActiveWindow(window); // the keys go to the active window, whatever the platform
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!length->isVisibleTo(window) && !toggle->isChecked());
        QVERIFY(act(*run, {"answer=No", "press 300,300"}));
        QCOMPARE(sheet->drawings().areas().size(), std::size_t(2));
    }

    // "Incidente alle coordinate…" places the incident as a press on the pixel holding the point does:
    // the same areas and the same GIS file, typed with a decimal comma or point; a text that is no
    // number and a point off the sheet are refused, and a plain map does not offer it.
    void incidentAtTypedCoordinates()
    {
        const auto run = propaneEstimate();
        auto *window = qobject_cast<MapWindow *>(run->map());
        copyBundledMap(*run, kGeoreferenced);
        const QDir output(run->drive().local(kTestOutputFolder));
        QString target;
        window->setExportFileChooser([&](const QString &) { return target; });
        QList<CoordinatesQuestion> asked;
        QList<std::optional<TypedCoordinates>> answers;
        window->setCoordinatesAsker([&](const CoordinatesQuestion &question) {
            asked << question;
            return answers.takeFirst();
        });
        const auto areasAndExport = [&](const QString &file) {
            target = output.filePath(file);
            QTest::mouseClick(run->onMap<QPushButton>("Command14"), Qt::LeftButton);
            QFile read(target);
            return std::pair(read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray(),
                             surface(window)->drawings().areas().size());
        };
        QVERIFY(act(*run, {"folder raster", "file " + kGeoreferenced, "map:Command3", "answer=No", "press 431,277"}));
        QVERIFY(run->onMap<QLabel>("Label6")->text().endsWith("Incidente:  E 480431.5  N 5029722.5"));
        const auto clicked = areasAndExport("clic.geojson");

        auto *button = run->onMap<QPushButton>("incidentAtCoordinates");
        const auto typed = [&](const QString &e, const QString &n) {
            answers << TypedCoordinates{e, n};
            QTest::mouseClick(button, Qt::LeftButton);
        };
        // The map clean again.
        QVERIFY(act(*run, {"map:Command7", "file " + kGeoreferenced, "map:Command3", "answer=No"}));
        const qsizetype said = run->fake.messages.texts().size();
        typed("480431,2", "5029722.9"); // the same pixel
        QCOMPARE(areasAndExport("scritte.geojson"), clicked);
        typed("480431,2", "5029722,9 m");
        typed("470000", "5029722");
        QCOMPARE(surface(window)->drawings().areas().size(), std::size_t(1));
        const QStringList told = run->fake.messages.texts().mid(said);
        QCOMPARE(told.size(), 4); // the question after the drawing, the export, the two refusals
        QVERIFY2(told.at(2).startsWith("La coordinata N \"5029722,9 m\" non è un numero")
                     && told.at(3).startsWith("Il punto E 470000.0  N 5029722.0 è fuori dalla mappa, che va da E "),
                 qPrintable(told.join('|')));
        QCOMPARE(asked.size(), 3);
        QVERIFY(asked.at(0).system == "EPSG:32632" && !asked.at(0).geographic && asked.at(0).first.isEmpty());
        QCOMPARE(asked.at(1).first, QStringLiteral("480431,2")); // the last texts offered again
        answers << std::nullopt;
        QTest::mouseClick(button, Qt::LeftButton); // cancelled: nothing
        QCOMPARE(run->fake.messages.texts().size(), said + 4);

        QVERIFY(act(*run, {"map:Command7", "file " + kMap, "scale scala 1:5000", "map:Command3"}));
        QVERIFY(!button->isVisibleTo(window));
    }

    // "Stampa in scala" comes and goes with "Stampa mappa" and stays out of the saved window; it asks for
    // the paper (a cancel prints nothing) and with no printer writes the page as a PDF of that paper,
    // which on a georeferenced map carries the scale, the legend and the grid's coordinates.
    void printInScale()
    {
        const auto run = propaneEstimate();
        const QString georeferenced = QStringLiteral("esempio georiferito 1-5000.tif");
        QFile tif(QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/cartografia/raster/")
                  + georeferenced);
        run->drive().writeFile(kRaster + georeferenced, tif.open(QIODevice::ReadOnly) ? tif.readAll() : QByteArray());
        auto *window = qobject_cast<MapWindow *>(run->map());
        std::optional<ScaledPaper> paper;
        window->setScaledPaperChooser([&paper] { return paper; });
        QVERIFY(act(*run, {"folder raster", "file " + georeferenced, "map:Command3", "answer=No", "press 600,560"}));
        const auto *inScale = run->onMap<QPushButton>("Command15");
        QVERIFY(inScale->isVisibleTo(window) && run->onMap<QPushButton>("Command4")->isVisibleTo(window));
        // The saved window is the window without the button (nor the elements' one).
        QVERIFY(act(*run, {"map:Command12"}));
        const QImage saved(run->drive().local(kTestOutputFolder)
                           + MapFileName(QString(), run->fake.platform.now(), QStringLiteral("Propano")));
        QVERIFY(inScale->isVisibleTo(window));
        for (const char *name : {"Command15", "elementsButton", "mapViewTools"})
            run->onMap<QWidget>(name)->hide();
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), GrabFormImage(*window).bitmap);
        run->onMap<QPushButton>("Command15")->show();

        const qsizetype said = run->fake.messages.texts().size();
        QVERIFY(act(*run, {"map:Command15"}));
        QCOMPARE(run->fake.messages.texts().size(), said);
        paper = ScaledPaper{QPageSize::A3, QPageLayout::Portrait};
        QVERIFY(act(*run, {"answer=Yes", "map:Command15"}));
        const QString pdf = outputFileName(QString(), QStringLiteral("mappa in scala"), run->fake.platform.now(),
                                           QStringLiteral("Propano"), QStringLiteral(".pdf"));
        QCOMPARE(run->fake.messages.texts().last(), "Done! I've saved " + kTestOutputFolder + pdf);
        const QString local = run->drive().local(kTestOutputFolder + pdf);
        const QRegularExpressionMatch page = QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+) pts \(A3\))")
                                                 .match(QString::fromUtf8(testing::toolOutput("pdfinfo", {local})));
        QVERIFY(page.hasMatch() && page.captured(1).toDouble() < page.captured(2).toDouble());
        const QString text = QString::fromUtf8(testing::toolOutput("pdftotext", {local, "-"})).simplified();
        for (const char *shown : {"ZEFRO – Propano – scala 1:5002", "Soglia 1 D5: 50 m",
                                  "Incidente: E 480600.5 N 5029439.5", "E 480600", "N 5029400"})
            QVERIFY2(text.contains(QString::fromUtf8(shown)), shown);

        QVERIFY(act(*run, {"map:Command7"}));
        QVERIFY(!inScale->isVisibleTo(window));
    }

    // A raster read as it is shown, over 16 M pixels: one whose first view does not read is refused and
    // the map shown stays; one found damaged further on, once scrolled to, is said and leaves the
    // surface, and the analyst chooses a map again.
    void damagedRasterBlocks()
    {
        const auto run = propaneEstimate();
        QVERIFY(writeGeoTiffWithDamagedTile(run->drive().local(kRaster + "prima.tif"), {4200, 4200}, {0, 0}));
        QVERIFY(writeGeoTiffWithDamagedTile(run->drive().local(kRaster + "ultima.tif"), {4200, 4200}, {16, 16}));
        QVERIFY(act(*run, kDrawn));
        MapSurface *sheet = surface(run->map());
        const map::MapSource *before = sheet->source();
        QVERIFY(act(*run, {"map:Command7", "folder raster", "file prima.tif", "map:Command3"}));
        QVERIFY(run->fake.messages.texts().last().startsWith("Il file \"prima.tif\" non è una mappa"));
        QCOMPARE(sheet->source(), before);
        const qsizetype messages = run->fake.messages.texts().size();

        QVERIFY(act(*run, {"file ultima.tif", "map:Command3"}));
        QVERIFY(sheet->hasMap() && sheet->source() != before);
        sheet->scrollTo({4200, 4200});
        QTRY_VERIFY(!sheet->hasMap());
        QCOMPARE(run->fake.messages.texts().size(), messages + 1);
        const QString said = run->fake.messages.texts().last();
        QVERIFY2(
            said.startsWith("Il file \"ultima.tif\" non è una mappa bitmap leggibile (dati dell'immagine non validi")
                && said.endsWith("La mappa è stata tolta: sceglierne un'altra."),
            qPrintable(said));
        QVERIFY(shown(run->map()).startsWith("Drive1 Dir1 File1"));
    }

    // A map larger than the window: the wheel (Shift across) and the middle button move the sheet under
    // controls that stay put, presses keep meaning points of the sheet, and drawing brings the source
    // out from under the panels. The legend shows a swatch of every colour.
    void mapScrollsUnderTheControls()
    {
        const auto run = propaneEstimate();
        QVERIFY(act(*run, kShowMap));
        MapSurface *sheet = surface(run->map());
        QWidget *view = sheet->viewport();
        const auto wheel = [view](QPoint delta, Qt::KeyboardModifiers modifiers) {
            QWheelEvent event(QPointF(300, 300), view->mapToGlobal(QPointF(300, 300)), {}, delta, Qt::NoButton,
                              modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view, &event);
        };
        wheel({0, -120}, Qt::NoModifier);
        wheel({0, -120}, Qt::ShiftModifier);
        wheel({-120, 0}, Qt::NoModifier); // a wheel that turns across by itself
        const QPoint notch = sheet->scrollPosition();
        QVERIFY(notch.y() > 0 && notch.x() == 2 * notch.y());
        QTest::mousePress(view, Qt::MiddleButton, {}, QPoint(400, 400));
        QTest::mouseMove(view, QPoint(350, 380));
        QTest::mouseRelease(view, Qt::MiddleButton, {}, QPoint(350, 380));
        QCOMPARE(sheet->scrollPosition(), notch + QPoint(50, 20));

        // The sheet's pixel 900,300 lies under the buttons until the drawing moves it left of them.
        sheet->scrollTo({0, 0});
        QVERIFY(act(*run, {"answer=No", "press 900,300"}));
        const QWidget *data = run->onMap<QWidget>("Frame2");
        const QPoint source = QPoint(900, 300) - sheet->scrollPosition();
        QVERIFY2(view->rect().contains(source) && source.x() < data->x(), qPrintable(QString::number(source.x())));
        const QPoint panel = data->pos();
        wheel({0, 120}, Qt::ShiftModifier);
        QCOMPARE(data->pos(), panel);
        // A press on the scrolled sheet draws around the sheet's point, where the whole sheet has it.
        const QPoint at = sheet->scrollPosition();
        QVERIFY(act(*run, {"answer=No", QStringLiteral("vpress %1,%2").arg(600 - at.x()).arg(560 - at.y())}));
        QCOMPARE(map::drawnRegion(*sheet->source(), sheet->drawings(), QRect(647, 560, 1, 1)).value().pixel(0, 0),
                 qRgb(255, 0, 0));
        // A cancelled drawing leaves the view where it was; a press right of the sheet's edge (under no
        // control) is refused and draws nothing.
        sheet->scrollTo({300, 200});
        QVERIFY(act(*run, {"answer=Yes", "vpress 300,300"}));
        QVERIFY(sheet->scrollPosition() == QPoint(300, 200) && sheet->drawings().areas().empty());
        sheet->scrollTo({5000, 0});
        const qsizetype said = run->fake.messages.texts().size();
        QVERIFY(act(*run, {"vpress 700,50"}));
        QCOMPARE(run->fake.messages.texts().mid(said),
                 QStringList{"Il punto scelto è fuori dalla mappa, che misura 31.75 x 23.29 cm: fare clic sulla mappa "
                             "nel punto dell'incidente."});
        QVERIFY(sheet->drawings().areas().empty());

        const QImage legend = run->onMap<QWidget>("Frame4")->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (const QColor &colour : map::damageAreaColours()) {
            bool found = false;
            for (int y = 0; y < legend.height() && !found; ++y)
                for (int x = 0; x < legend.width() && !found; ++x)
                    found = legend.pixel(x, y) == colour.rgb();
            QVERIFY2(found, qPrintable(colour.name()));
        }
    }
};

QTEST_MAIN(WindowsTest)
#include "ui_windows.moc"
