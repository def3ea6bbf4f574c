// The main window driven offscreen as a user would: entries chosen from the open lists, buttons
// clicked, message boxes answered from a script.
#include "app/CatalogueSelection.h"
#include "app/ConfigBox.h"
#include "app/Configuration.h"
#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "app/SelectionCombo.h"
#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "support/FakePlatform.h"
#include "support/TestDrive.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>

namespace {

const QString kNamePrompt = QStringLiteral("inserire nome sostanza");
const QString kCasPrompt = QStringLiteral("inserire CAS");
const QString kHypothesisPrompt = QStringLiteral("scelta dell'ipotesi più probabile o dell'ipotesi media");
const QString kContainmentPrompt = QStringLiteral("inserire tipologia di detenzione");
const QString kClassChoicePrompt = QStringLiteral("visionare le classi cui può appartenere la sostanza prescelta + scelta");

// Opens the list of an enabled, visible combo and clicks entry `row`, so that its click event fires.
bool choose(QComboBox *combo, int row)
{
    if (!combo || !combo->isEnabled() || !combo->isVisible() || row >= combo->count())
        return false;
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    if (!QTest::qWaitForWindowExposed(view->window()))
        return false;
    const QModelIndex index = combo->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    return !view->window()->isVisible();
}

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

struct Session
{
    explicit Session(const TestDrive &drive)
        : fake(drive.root())
        , window(std::make_unique<MainWindow>(state, fake.platform))
    {
        window->show();
    }

    // The main window's own controls, all inside Frame1 (the windows it owns have controls of the
    // same names).
    template <typename T = QComboBox>
    [[nodiscard]] T *get(const char *name) const
    {
        auto *frame = window->findChild<QGroupBox *>(QStringLiteral("Frame1"), Qt::FindDirectChildrenOnly);
        return frame ? frame->findChild<T *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly) : nullptr;
    }
    [[nodiscard]] QComboBox *combo(const char *name) const { return get<QComboBox>(name); }
    [[nodiscard]] QPushButton *button(const char *name) const { return get<QPushButton>(name); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    FakePlatform fake;
    ProgramState state;
    std::unique_ptr<MainWindow> window;
};

QString nameOfCas(const QString &cas)
{
    for (const Substance &substance : Catalogue::substances()) {
        if (substance.cas == cas)
            return substance.name;
    }
    return {};
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void everyControlAsDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption"); // buttons: caption; others: empty
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QRect>("twips");
        const QString lists = QStringLiteral("Puoi inserire il nome di una sostanza (completamento automatico) ");
        QTest::newRow("Combo1") << "Combo1" << "QComboBox" << ""
            << lists + "oppure il CAS (nella casella sotto) oppure ancora scegliere una sostanza tipica per ciascuna "
                       "classe di infiammabili nella casella ancora sotto"
            << QRect(120, 3360, 9135, 315);
        QTest::newRow("Combo2") << "Combo2" << "QComboBox" << ""
            << lists + "nella casella sopra oppure il CAS (in questa casella) oppure ancora scegliere una sostanza "
                       "tipica per ciascuna classe di infiammabili nella casella attivata sotto"
            << QRect(120, 3960, 2175, 315);
        QTest::newRow("Combo21") << "Combo21" << "QComboBox" << "" << "" << QRect(5520, 7200, 1935, 315);
        QTest::newRow("Combo8") << "Combo8" << "QComboBox" << ""
            << lists + "nella prima casella oppure il CAS (nella seconda casella)  oppure ancora scegliere una sostanza "
                       "tipica per ciascuna classe di infiammabili in questa casella"
            << QRect(120, 4560, 9135, 315);
        QTest::newRow("Combo9") << "Combo9" << "QComboBox" << "" << "" << QRect(120, 5040, 9135, 315);
        QTest::newRow("Combo5") << "Combo5" << "QComboBox" << "" << "" << QRect(120, 5640, 4455, 315);
        QTest::newRow("Combo4") << "Combo4" << "QComboBox" << "" << "" << QRect(4800, 5640, 4455, 315);
        QTest::newRow("Combo6") << "Combo6" << "QComboBox" << "" << "" << QRect(120, 6120, 4455, 315);
        QTest::newRow("Combo7") << "Combo7" << "QComboBox" << "" << "" << QRect(4800, 6120, 4455, 315);
        QTest::newRow("Output") << "Output" << "QPlainTextEdit" << "" << "" << QRect(120, 6600, 9135, 1605);
        QTest::newRow("Command1") << "Command1" << "QPushButton" << "Stima distanza di danno e visualizzazione su mappa"
            << "Premere per ottenere una stima delle distanze di danno e per visualizzarli su di una mappa"
            << QRect(240, 8400, 2055, 735);
        QTest::newRow("Command6") << "Command6" << "QPushButton" << "Visualizza soglie, classi e scenari incidentali"
            << "Visualizza le soglie di danno ex Decreti e le classi cui possono appartenere le sostanze"
            << QRect(2400, 8400, 2055, 735);
        QTest::newRow("Command3") << "Command3" << "QPushButton" << "&Help" << "Per accedere all'ambiente help"
            << QRect(4560, 8400, 1095, 735);
        QTest::newRow("Command4") << "Command4" << "QPushButton" << "&Credits" << "Informazioni supplementari sul SW"
            << QRect(5760, 8400, 1095, 735);
        QTest::newRow("Command5") << "Command5" << "QPushButton" << "Reset" << "Azzera tutte le box per un nuovo calcolo"
            << QRect(6960, 8400, 1095, 735);
        QTest::newRow("Command2") << "Command2" << "QPushButton" << "Esci" << "Quit" << QRect(8160, 8400, 1095, 735);
        QTest::newRow("Command7") << "Command7" << "QPushButton" << "Configurazione"
            << "Modifica il path dei file help e dati" << QRect(6720, 3840, 2535, 375);
        QTest::newRow("ProgressBar1") << "ProgressBar1" << "QProgressBar" << "" << "" << QRect(240, 9360, 9015, 375);
        QTest::newRow("Label1") << "Label1" << "QLabel" << "" << "" << QRect(3000, 600, 3975, 2535);
        QTest::newRow("Picture1") << "Picture1" << "QLabel" << "" << "" << QRect(360, 1080, 2175, 855);
        QTest::newRow("Picture2") << "Picture2" << "QLabel" << "" << "" << QRect(6960, 840, 1695, 1695);
    }
    void everyControlAsDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(QString, toolTip);
        QFETCH(QRect, twips);
        const TestDrive drive;
        const Session run(drive);
        auto *frame = run.window->findChild<QGroupBox *>(QStringLiteral("Frame1"));
        QVERIFY(frame);
        QCOMPARE(frame->geometry(), QRect(8, 0, 633, 657));
        QCOMPARE(frame->title(), QString());

        QWidget *control = frame->findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->parentWidget(), frame);
        QVERIFY(control->inherits(qPrintable(kind)));
        QCOMPARE(control->toolTip(), toolTip);
        const auto pixels = [](int t) { return qRound(t / 15.0); };
        QCOMPARE(control->geometry(),
                 QRect(pixels(twips.x()), pixels(twips.y()), pixels(twips.width()), pixels(twips.height())));
        if (auto *button = qobject_cast<QPushButton *>(control))
            QCOMPARE(button->text(), caption);
        if (auto *combo = qobject_cast<QComboBox *>(control)) {
            QVERIFY(combo->isEditable());
            QCOMPARE(combo->insertPolicy(), QComboBox::NoInsert);
        }
    }

    void startUpState()
    {
        const TestDrive drive;
        const Session run(drive);
        QVERIFY(run.fake.messages.shown().isEmpty());
        QCOMPARE(run.fake.exit.calls(), 0);
        QCOMPARE(run.window->objectName(), QStringLiteral("Form1_ms"));
        QCOMPARE(run.window->windowTitle(),
                 QStringLiteral("Metodo Quillaro ZEFRO rel. 3.0fe") + QString(88, QLatin1Char(' ')));
        QCOMPARE(run.window->size(), QSize(646, 659));

        const QList<QPair<const char *, QString>> texts{
            {"Combo1", kNamePrompt},
            {"Combo2", kCasPrompt},
            {"Combo6", QStringLiteral("diametro condotta")},
            {"Combo7", QStringLiteral("scelta del diametro della condotta [in]")},
            {"Combo8", QStringLiteral("visionare elenco classi di interesse (solo per sostanze infiammabili)")},
            {"Combo9", QStringLiteral("visionare elenco classi cui appartiene la sostanza prescelta")},
            {"Combo5", kHypothesisPrompt},
            {"Combo4", kContainmentPrompt},
            {"Combo21", QStringLiteral("Combo3")},
        };
        for (const auto &[name, text] : texts)
            QCOMPARE(run.combo(name)->currentText(), text);

        for (const char *on : {"Combo1", "Combo2", "Combo8"})
            QVERIFY2(run.combo(on)->isEnabled(), on);
        for (const char *off : {"Combo9", "Combo5", "Combo4", "Combo21"})
            QVERIFY2(!run.combo(off)->isEnabled(), off);
        QVERIFY(!run.button("Command1")->isEnabled());
        for (const char *hidden : {"Combo6", "Combo7", "Combo21"})
            QVERIFY2(!run.combo(hidden)->isVisible(), hidden);
        for (const char *shown : {"Combo1", "Combo2", "Combo8", "Combo9", "Combo5", "Combo4"})
            QVERIFY2(run.combo(shown)->isVisible(), shown);

        auto *output = run.get<QPlainTextEdit>("Output");
        QVERIFY(output->toPlainText().startsWith(QStringLiteral("Output")));
        QVERIFY(!output->isEnabled());
        QCOMPARE(run.get<QProgressBar>("ProgressBar1")->value(), 0);
        QVERIFY(run.combo("Combo9")->count() == 0);

        QStringList quickPick;
        for (const QString &entry : quickPickEntries())
            quickPick << entry;
        QCOMPARE(itemsOf(run.combo("Combo8")), quickPick);
        QCOMPARE(itemsOf(run.combo("Combo5")),
                 QStringList({QStringLiteral("Ipotesi più probabile"), QStringLiteral("Ipotesi media")}));
        QCOMPARE(itemsOf(run.combo("Combo4")),
                 QStringList({"Stoccaggi fissi con bacino di contenimento", "Stoccaggi fissi senza bacino di contenimento",
                              "Autobotti/Ferrocisterne", "Navi", "Condotte"}));
        QVERIFY(!run.state.selectionMode.has_value());
    }

    void titleAndDecorations()
    {
        const TestDrive drive;
        const Session run(drive);
        auto *title = run.get<QLabel>("Label1");
        QCOMPARE(title->text(), QStringLiteral("ZEFRO\nMEtodo Quillaro\nper la valutazione delle\nconseguenze di incidenti\n"
                                               "coinvolgenti sostanze\npericolose ai sensi del\nD.Lgs.334/99  e s.m.i."));
        const QFont font = title->font();
        QCOMPARE(font.families().value(0), QStringLiteral("Times New Roman"));
        QVERIFY(font.bold());
        // A serif of Times' widths keeps 15 points; a wider stand-in is made to fit the label.
        const QFontMetrics metrics(font);
        for (const QString &line : title->text().split(QLatin1Char('\n')))
            QVERIFY2(metrics.horizontalAdvance(line) <= title->width(), qPrintable(line));
        const QString resolved = QFontInfo(font).family();
        if (resolved == QStringLiteral("Liberation Serif") || resolved == QStringLiteral("Times New Roman"))
            QCOMPARE(font.pointSize(), 15);
        else
            QVERIFY(font.pointSize() <= 15);

        QCOMPARE(run.get<QLabel>("Picture1")->pixmap().size(), QSize(143, 54));
        QCOMPARE(run.get<QLabel>("Picture2")->pixmap().size(), QSize(109, 108));
    }

    void catalogueListsAndTables()
    {
        const TestDrive drive;
        const Session run(drive);
        QStringList names, cas;
        for (const Substance &substance : Catalogue::substances()) {
            names << substance.name;
            cas << substance.cas;
        }
        QCOMPARE(names.size(), 253);
        // The sorted name list shows the names exactly in catalogue order.
        QCOMPARE(itemsOf(run.combo("Combo1")), names);
        QStringList ascending = cas;
        std::sort(ascending.begin(), ascending.end());
        QCOMPARE(itemsOf(run.combo("Combo2")), ascending);
        QCOMPARE(itemsOf(run.combo("Combo21")), cas);

        QCOMPARE(run.state.savedNameCount, 253);
        QCOMPARE(run.state.savedCasCount, 253);
        for (int i = 0; i < 253; ++i) {
            QCOMPARE(run.state.savedCatalogueNames[std::size_t(i)], names.at(i));
            QCOMPARE(run.state.savedCatalogueCas[std::size_t(i)], cas.at(i));
        }
        QCOMPARE(run.state.savedCatalogueNames[253], QString());
        QCOMPARE(run.state.savedCatalogueCas[253], QString());
        QCOMPARE(run.state.savedCatalogueNames[400], QString());
    }

    void sortedListsKeepTheirOrderWhateverTheOrderOfArrival()
    {
        QStringList names = CatalogueSelection::names();
        std::mt19937 random(7);
        QStringList shuffled = names;
        std::shuffle(shuffled.begin(), shuffled.end(), random);

        SelectionCombo nameList;
        nameList.setSorted(&CatalogueSelection::nameLess);
        nameList.setText(kNamePrompt);
        nameList.addItems(shuffled.mid(0, 100));
        for (const QString &name : shuffled.mid(100))
            nameList.addItem(name);
        QCOMPARE(nameList.itemTexts(), names);
        QCOMPARE(nameList.text(), kNamePrompt);
        QCOMPARE(nameList.currentIndex(), -1);

        SelectionCombo casList;
        casList.setSorted(&CatalogueSelection::casLess);
        casList.setText(QStringLiteral("CAS"));
        for (const QString &cas : Catalogue::quickPickCas(QStringLiteral("2_2")))
            casList.addItem(cas);
        const QStringList items = casList.itemTexts();
        QCOMPARE(items.size(), 36);
        QVERIFY(std::is_sorted(items.begin(), items.end()));
        QCOMPARE(casList.text(), QStringLiteral("CAS"));
    }

    void namePickShowsTheCasOfEveryRow()
    {
        const TestDrive drive;
        const Session run(drive);
        const auto &rows = Catalogue::substances();
        for (int row = 0; row < int(rows.size()); ++row) {
            const QString context = QStringLiteral("row %1 %2").arg(row + 1).arg(rows.at(std::size_t(row)).name);
            QVERIFY2(choose(run.combo("Combo1"), row), qPrintable(context));
            QVERIFY2(run.combo("Combo1")->currentText() == rows.at(std::size_t(row)).name, qPrintable(context));
            QVERIFY2(run.combo("Combo2")->currentText() == rows.at(std::size_t(row)).cas, qPrintable(context));
            run.click("Command5");
        }
    }

    void casPickShowsTheNameOfEveryRow()
    {
        const TestDrive drive;
        const Session run(drive);
        for (int position = 0; position < 253; ++position) {
            const QString cas = run.combo("Combo2")->itemText(position);
            const QString context = QStringLiteral("position %1 %2").arg(position).arg(cas);
            QVERIFY2(choose(run.combo("Combo2"), position), qPrintable(context));
            QVERIFY2(run.combo("Combo2")->currentText() == cas, qPrintable(context));
            QVERIFY2(run.combo("Combo1")->currentText() == nameOfCas(cas), qPrintable(context));
            run.click("Command5");
        }
    }

    void namePickLocksTheSubstanceAndOpensTheClassList()
    {
        const TestDrive drive;
        Session run(drive);
        run.state.toxicClassFound = true;
        QVERIFY(choose(run.combo("Combo1"), 0));
        QCOMPARE(run.combo("Combo1")->currentText(), QStringLiteral("Acetaldeide"));
        QCOMPARE(run.combo("Combo2")->currentText(), QStringLiteral("75-07-0"));
        QCOMPARE(run.state.selectionMode, std::optional<int>(1));
        QVERIFY(!run.state.toxicClassFound);
        for (const char *off : {"Combo1", "Combo2", "Combo8", "Combo4", "Combo5"})
            QVERIFY2(!run.combo(off)->isEnabled(), off);
        QVERIFY(run.combo("Combo9")->isEnabled());
        QCOMPARE(run.combo("Combo9")->currentText(), kClassChoicePrompt);
        QCOMPARE(run.get<QProgressBar>("ProgressBar1")->value(), 0);
        QVERIFY(!run.button("Command1")->isEnabled());
        // Locked lists cannot be opened.
        QVERIFY(!choose(run.combo("Combo2"), 0));
    }

    void casPickEnablesTheHypothesisUnlessANamePickCameFirst_data()
    {
        QTest::addColumn<bool>("namePickBefore");
        QTest::addColumn<bool>("hypothesisEnabled");
        QTest::newRow("right after start") << false << true;
        QTest::newRow("after a name pick and a reset") << true << false;
    }
    void casPickEnablesTheHypothesisUnlessANamePickCameFirst()
    {
        QFETCH(bool, namePickBefore);
        QFETCH(bool, hypothesisEnabled);
        const TestDrive drive;
        Session run(drive);
        if (namePickBefore) {
            QVERIFY(choose(run.combo("Combo1"), 5));
            run.click("Command5");
            QCOMPARE(run.state.selectionMode, std::optional<int>(1));
        }
        run.state.toxicClassFound = true;

        const int position = run.combo("Combo2")->findText(QStringLiteral("10025-67-9"));
        QVERIFY(choose(run.combo("Combo2"), position));
        QCOMPARE(run.combo("Combo1")->currentText(), QStringLiteral("Zolfo cloruro"));
        QCOMPARE(run.combo("Combo5")->isEnabled(), hypothesisEnabled);
        QCOMPARE(run.state.selectionMode.has_value(), namePickBefore);
        QVERIFY(run.state.toxicClassFound); // the CAS pick leaves it alone
        for (const char *off : {"Combo1", "Combo2", "Combo8", "Combo4"})
            QVERIFY2(!run.combo(off)->isEnabled(), off);
        QVERIFY(run.combo("Combo9")->isEnabled());
    }

    void classHypothesisAndContainmentAreChosenInTurn()
    {
        const TestDrive drive;
        const Session run(drive);
        QVERIFY(choose(run.combo("Combo1"), run.combo("Combo1")->findText(QStringLiteral("Ammoniaca"))));
        QComboBox *classes = run.combo("Combo9");
        if (classes->count() == 0)
            classes->addItem(QStringLiteral("4 Liquidi tossici")); // what the class search lists
        QVERIFY(!choose(run.combo("Combo5"), 0)); // no hypothesis before the class

        QVERIFY(choose(classes, classes->count() - 1));
        QVERIFY(!classes->isEnabled());
        QVERIFY(run.combo("Combo5")->isEnabled());
        QVERIFY(!run.combo("Combo4")->isEnabled());

        QVERIFY(choose(run.combo("Combo5"), 1));
        QCOMPARE(run.combo("Combo5")->currentText(), QStringLiteral("Ipotesi media"));
        QVERIFY(!run.combo("Combo5")->isEnabled());
        QVERIFY(run.combo("Combo4")->isEnabled());

        QVERIFY(choose(run.combo("Combo4"), 0));
        QVERIFY(!run.combo("Combo4")->isEnabled());
        QVERIFY(!run.button("Command1")->isEnabled());
    }

    void aQuantityOrADiameterEnablesTheEstimate_data()
    {
        QTest::addColumn<QString>("list");
        QTest::newRow("quantity") << "Combo6";
        QTest::newRow("diameter") << "Combo7";
    }
    void aQuantityOrADiameterEnablesTheEstimate()
    {
        QFETCH(QString, list);
        const TestDrive drive;
        const Session run(drive);
        // As the containment choice leaves it: the list shown, filled and enabled.
        QComboBox *combo = run.combo(qPrintable(list));
        combo->addItems({QStringLiteral("da 0 a 10"), QStringLiteral("da 10 a 50")});
        combo->setEnabled(true);
        combo->show();
        QVERIFY(!run.button("Command1")->isEnabled());
        QVERIFY(choose(combo, 1));
        QVERIFY(run.button("Command1")->isEnabled());
        QVERIFY(choose(combo, 0));
        QVERIFY(run.button("Command1")->isEnabled());
    }

    void typingIntoAListRaisesNoClick_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("leaveWithTab");
        QTest::newRow("name and Enter") << "Combo1" << "Acetaldeide" << false;
        QTest::newRow("name and leaving the field") << "Combo1" << "Zolfo cloruro" << true;
        QTest::newRow("CAS and Enter") << "Combo2" << "75-07-0" << false;
        QTest::newRow("CAS and leaving the field") << "Combo2" << "7664-41-7" << true;
    }
    void typingIntoAListRaisesNoClick()
    {
        QFETCH(QString, list);
        QFETCH(QString, typed);
        QFETCH(bool, leaveWithTab);
        const TestDrive drive;
        const Session run(drive);
        run.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(run.window.get()));
        QComboBox *combo = run.combo(qPrintable(list));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(combo, typed);
        QCOMPARE(combo->currentText(), typed);
        if (leaveWithTab)
            run.combo("Combo8")->setFocus();
        else
            QTest::keyClick(combo, Qt::Key_Return);

        QVERIFY(!run.state.selectionMode.has_value());
        QVERIFY(run.combo("Combo1")->isEnabled());
        QVERIFY(run.combo("Combo2")->isEnabled());
        QVERIFY(run.combo("Combo8")->isEnabled());
        QVERIFY(!run.combo("Combo9")->isEnabled());
        QCOMPARE(run.combo(list == "Combo1" ? "Combo2" : "Combo1")->currentText(),
                 list == "Combo1" ? kCasPrompt : kNamePrompt);
        QCOMPARE(combo->count(), 253);
    }

    void resetReturnsToTheStartUpState()
    {
        const TestDrive drive;
        Session run(drive);
        QVERIFY(choose(run.combo("Combo1"), 24));
        run.combo("Combo9")->addItem(QStringLiteral("2_3 Gas infiammabili semplicemente compressi"));
        QVERIFY(choose(run.combo("Combo9"), run.combo("Combo9")->count() - 1));
        QVERIFY(choose(run.combo("Combo5"), 0));
        QVERIFY(choose(run.combo("Combo4"), 2));
        run.get<QPlainTextEdit>("Output")->setPlainText(QStringLiteral("Scenario: Pool Fire"));
        for (std::size_t i = 0; i < run.state.result.damageDistance.size(); ++i)
            run.state.result.damageDistance[i] = CellValue::number(100.0 * double(i + 1));
        run.combo("Combo6")->show();
        run.combo("Combo6")->setEnabled(true);

        run.click("Command5");

        QCOMPARE(run.get<QPlainTextEdit>("Output")->toPlainText(), QString());
        for (const CellValue &distance : run.state.result.damageDistance) {
            QVERIFY(distance.isNumber());
            QCOMPARE(distance.toNumber(), 0.0);
        }
        QCOMPARE(run.combo("Combo5")->currentText(), kHypothesisPrompt);
        QCOMPARE(run.combo("Combo4")->currentText(), kContainmentPrompt);
        QCOMPARE(run.combo("Combo1")->currentText(), kNamePrompt);
        QCOMPARE(run.combo("Combo2")->currentText(), kCasPrompt);
        for (const char *on : {"Combo1", "Combo2", "Combo8"})
            QVERIFY2(run.combo(on)->isEnabled(), on);
        for (const char *off : {"Combo9", "Combo5", "Combo4", "Combo6"})
            QVERIFY2(!run.combo(off)->isEnabled(), off);
        QVERIFY(!run.combo("Combo6")->isVisible());
        QVERIFY(!run.combo("Combo7")->isVisible());
        QVERIFY(!run.button("Command1")->isEnabled());
        QCOMPARE(run.combo("Combo9")->count(), 0);
        QCOMPARE(run.combo("Combo1")->count(), 253);
        QCOMPARE(run.combo("Combo2")->count(), 253);
        QCOMPARE(run.combo("Combo21")->count(), 253);
        QCOMPARE(run.combo("Combo8")->count(), 7);
        QCOMPARE(run.state.selectionMode, std::optional<int>(1)); // Reset leaves it
        QVERIFY(run.fake.messages.shown().isEmpty());

        // The lists work again after the reset.
        QVERIFY(choose(run.combo("Combo1"), 252));
        QCOMPARE(run.combo("Combo2")->currentText(), QStringLiteral("10025-67-9"));
    }

    void quitAsksAndEndsOnlyOnNo_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("exits");
        QTest::newRow("Yes goes on") << int(MessageAnswer::Yes) << 0;
        QTest::newRow("No ends the program") << int(MessageAnswer::No) << 1;
    }
    void quitAsksAndEndsOnlyOnNo()
    {
        QFETCH(int, answer);
        QFETCH(int, exits);
        const TestDrive drive;
        Session run(drive);
        run.fake.messages.queueAnswer(MessageAnswer(answer));
        run.click("Command2");
        QCOMPARE(run.fake.messages.shown().size(), 1);
        const MessageRequest asked = run.fake.messages.shown().first();
        QCOMPARE(asked.text, QStringLiteral("Do you want to continue ?"));
        QCOMPARE(asked.title, QStringLiteral("MsgBox Quit"));
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(asked.icon, MessageIcon::Critical);
        QCOMPARE(asked.defaultButton, MessageAnswer::No);
        QCOMPARE(run.fake.exit.calls(), exits);
    }

    void configurationErrorsEndTheProgram_data()
    {
        QTest::addColumn<bool>("atReset");
        QTest::addColumn<QByteArray>("contents"); // empty: no file at all
        QTest::addColumn<QString>("expected");
        const QByteArray seven("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
        QTest::newRow("missing at start") << false << QByteArray() << "Impossibile leggere";
        QTest::newRow("short at start") << false << seven << "contiene 7 righe";
        QTest::newRow("missing at reset") << true << QByteArray() << "Impossibile leggere";
        QTest::newRow("short at reset") << true << seven << "contiene 7 righe";
    }
    void configurationErrorsEndTheProgram()
    {
        QFETCH(bool, atReset);
        QFETCH(QByteArray, contents);
        QFETCH(QString, expected);
        const TestDrive drive;
        const QString file = drive.local(Configuration::filePath());
        const auto spoil = [&] {
            QFile::remove(file);
            if (!contents.isEmpty())
                drive.writeFile(Configuration::filePath(), contents);
        };
        if (!atReset)
            spoil();
        Session run(drive);
        if (atReset) {
            QCOMPARE(run.fake.exit.calls(), 0);
            spoil();
            run.click("Command5");
        }
        QCOMPARE(run.fake.messages.shown().size(), 1);
        const MessageRequest shown = run.fake.messages.shown().first();
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QVERIFY2(shown.text.contains(expected), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(Configuration::filePath()), qPrintable(shown.text));
        QCOMPARE(run.fake.exit.calls(), 1);
    }

    void configurationButtonShowsTheBoxAlongsideTheWindow()
    {
        const TestDrive drive;
        const Session run(drive);
        ConfigBox &box = run.window->configBox();
        QVERIFY(!box.isVisible());
        run.click("Command7");
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.isVisible());
        QCOMPARE(box.windowModality(), Qt::NonModal);
        QVERIFY(run.window->isVisible());
        // The main window still answers while the box is open.
        QVERIFY(choose(run.combo("Combo1"), 1));
        QCOMPARE(run.combo("Combo2")->currentText(), QStringLiteral("75-36-5"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "ui_mainwindow.moc"
