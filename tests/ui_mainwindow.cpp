// The main window driven offscreen as a user would: entries chosen from the open lists, buttons
// clicked, message boxes answered from a script.
#include "app/CatalogueSelection.h"
#include "app/Configuration.h"
#include "app/SelectionCombo.h"
#include "catalogue/Catalogue.h"
#include "support/MainWindowDriver.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QtTest>

#include <algorithm>

namespace {

void verifyEnabled(const MainWindowDriver &run, const QList<const char *> &on, const QList<const char *> &off)
{
    for (const char *name : on)
        QVERIFY2(run.combo(name)->isEnabled(), name);
    for (const char *name : off)
        QVERIFY2(!run.combo(name)->isEnabled(), name);
}

// What the user sees of every list (on or off when shown, its entry count and text) and of the
// estimate button.
QStringList listStates(const MainWindowDriver &run)
{
    QStringList states;
    for (const char *name : {"Combo1", "Combo2", "Combo21", "Combo8", "Combo9", "Combo5", "Combo4", "Combo6", "Combo7"}) {
        const QComboBox *c = run.combo(name);
        const QString shown = !c->isVisible() ? QStringLiteral("hidden") : c->isEnabled() ? QStringLiteral("on") : QStringLiteral("off");
        states << QStringLiteral("%1 %2 %3: %4").arg(QLatin1String(name), shown).arg(c->count()).arg(c->currentText());
    }
    return states << (run.button("Command1")->isEnabled() ? QStringLiteral("Command1 on") : QStringLiteral("Command1 off"));
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void everyControlAsDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption"); // of a button
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QRect>("twips");
        const QString lists = QStringLiteral("Puoi inserire il nome di una sostanza (completamento automatico) ");
        QTest::newRow("Combo1") << "Combo1" << ""
            << lists + "oppure il CAS (nella casella sotto) oppure ancora scegliere una sostanza tipica per ciascuna "
                       "classe di infiammabili nella casella ancora sotto"
            << QRect(120, 3360, 9135, 315);
        QTest::newRow("Combo2") << "Combo2" << ""
            << lists + "nella casella sopra oppure il CAS (in questa casella) oppure ancora scegliere una sostanza "
                       "tipica per ciascuna classe di infiammabili nella casella attivata sotto"
            << QRect(120, 3960, 2175, 315);
        QTest::newRow("Combo21") << "Combo21" << "" << "" << QRect(5520, 7200, 1935, 315);
        QTest::newRow("Combo8") << "Combo8" << ""
            << lists + "nella prima casella oppure il CAS (nella seconda casella)  oppure ancora scegliere una sostanza "
                       "tipica per ciascuna classe di infiammabili in questa casella"
            << QRect(120, 4560, 9135, 315);
        QTest::newRow("Combo9") << "Combo9" << "" << ""
            << QRect(120, 5040, 9135, 315);
        QTest::newRow("Combo5") << "Combo5" << "" << ""
            << QRect(120, 5640, 4455, 315);
        QTest::newRow("Combo4") << "Combo4" << "" << "" << QRect(4800, 5640, 4455, 315);
        QTest::newRow("Combo6") << "Combo6" << "" << "" << QRect(120, 6120, 4455, 315);
        QTest::newRow("Combo7") << "Combo7" << "" << ""
            << QRect(4800, 6120, 4455, 315);
        QTest::newRow("Output") << "Output" << "" << "" << QRect(120, 6600, 9135, 1605);
        QTest::newRow("Command1") << "Command1" << "Stima distanza di danno e visualizzazione su mappa"
            << "Premere per ottenere una stima delle distanze di danno e per visualizzarli su di una mappa"
            << QRect(240, 8400, 2055, 735);
        QTest::newRow("Command6") << "Command6" << "Visualizza soglie, classi e scenari incidentali"
            << "Visualizza le soglie di danno ex Decreti e le classi cui possono appartenere le sostanze"
            << QRect(2400, 8400, 2055, 735);
        QTest::newRow("Command3") << "Command3" << "&Help" << "Per accedere all'ambiente help"
            << QRect(4560, 8400, 1095, 735);
        QTest::newRow("Command4") << "Command4" << "&Credits" << "Informazioni supplementari sul SW"
            << QRect(5760, 8400, 1095, 735);
        QTest::newRow("Command5") << "Command5" << "Reset" << "Azzera tutte le box per un nuovo calcolo"
            << QRect(6960, 8400, 1095, 735);
        QTest::newRow("Command2") << "Command2" << "Esci" << "Quit" << QRect(8160, 8400, 1095, 735);
        QTest::newRow("Command7") << "Command7" << "Configurazione" << "Modifica il path dei file help e dati"
            << QRect(6720, 3840, 2535, 375);
        QTest::newRow("ProgressBar1") << "ProgressBar1" << "" << "" << QRect(240, 9360, 9015, 375);
        QTest::newRow("Label1") << "Label1" << "" << "" << QRect(3000, 600, 3975, 2535);
        QTest::newRow("Picture1") << "Picture1" << "" << "" << QRect(360, 1080, 2175, 855);
        QTest::newRow("Picture2") << "Picture2" << "" << "" << QRect(6960, 840, 1695, 1695);
    }
    void everyControlAsDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, toolTip);
        QFETCH(QRect, twips);
        const TestDrive drive;
        const MainWindowDriver run(drive);
        QWidget *control = run.get<QWidget>(qPrintable(name));
        QVERIFY2(control, qPrintable(name));
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
        const MainWindowDriver run(drive);
        QVERIFY(run.fake.messages.shown().isEmpty());
        QCOMPARE(run.fake.exit.calls(), 0);
        QCOMPARE(run.window->objectName(), QStringLiteral("Form1_ms"));
        QCOMPARE(run.window->windowTitle(),
                 QStringLiteral("Metodo Quillaro ZEFRO rel. 3.0fe") + QString(88, QLatin1Char(' ')));
        QCOMPARE(run.window->size(), QSize(646, 659));
        QCOMPARE(run.get<QWidget>("Combo1")->parentWidget()->geometry(), QRect(8, 0, 633, 657));

        QCOMPARE(listStates(run),
                 QStringList({"Combo1 on 253: inserire nome sostanza", "Combo2 on 253: inserire CAS", "Combo21 hidden 253: Combo3",
                              "Combo8 on 7: visionare elenco classi di interesse (solo per sostanze infiammabili)",
                              "Combo9 off 0: visionare elenco classi cui appartiene la sostanza prescelta",
                              "Combo5 off 2: scelta dell'ipotesi più probabile o dell'ipotesi media",
                              "Combo4 off 5: inserire tipologia di detenzione", "Combo6 hidden 0: diametro condotta",
                              "Combo7 hidden 0: scelta del diametro della condotta [in]", "Command1 off"}));
        QCOMPARE(run.items("Combo5"), QStringList({"Ipotesi più probabile", "Ipotesi media"}));
        QCOMPARE(run.items("Combo4"),
                 QStringList({"Stoccaggi fissi con bacino di contenimento", "Stoccaggi fissi senza bacino di contenimento",
                              "Autobotti/Ferrocisterne", "Navi", "Condotte"}));
        auto *output = run.get<QPlainTextEdit>("Output");
        QVERIFY(output->toPlainText().startsWith(QStringLiteral("Output")) && !output->isEnabled());
        QVERIFY(!run.state.selectionMode.has_value());

        auto *title = run.get<QLabel>("Label1");
        QCOMPARE(title->text(), QStringLiteral("ZEFRO\nMEtodo Quillaro\nper la valutazione delle\nconseguenze di incidenti\n"
                                               "coinvolgenti sostanze\npericolose ai sensi del\nD.Lgs.334/99  e s.m.i."));
        QCOMPARE(title->font().families().value(0), QStringLiteral("Times New Roman"));
        QVERIFY(title->font().bold());
        // A serif of Times' widths keeps 15 points; a wider stand-in is made to fit the label.
        const QFontMetrics metrics(title->font());
        for (const QString &line : title->text().split(QLatin1Char('\n')))
            QVERIFY2(metrics.horizontalAdvance(line) <= title->width(), qPrintable(line));
        const QString resolved = QFontInfo(title->font()).family();
        if (resolved == QStringLiteral("Liberation Serif") || resolved == QStringLiteral("Times New Roman"))
            QCOMPARE(title->font().pointSize(), 15);
        QCOMPARE(run.get<QLabel>("Picture1")->pixmap().size(), QSize(143, 54));
        QCOMPARE(run.get<QLabel>("Picture2")->pixmap().size(), QSize(109, 108));
    }

    // The name list shows the catalogue order, the CAS list ascending order, and a pick in either
    // list shows the other half of the same catalogue row, for every row.
    void catalogueListsPairEveryRow()
    {
        const TestDrive drive;
        const MainWindowDriver run(drive);
        const QStringList names = CatalogueSelection::names();
        const QStringList cas = CatalogueSelection::casNumbers();
        QCOMPARE(names.size(), 253);
        QCOMPARE(run.items("Combo1"), names);
        QStringList ascending = cas;
        std::sort(ascending.begin(), ascending.end());
        QCOMPARE(run.items("Combo2"), ascending);
        QCOMPARE(run.items("Combo21"), cas);
        QCOMPARE(run.state.savedNameCount, 253);
        QCOMPARE(run.state.savedCasCount, 253);
        QCOMPARE(run.state.savedCatalogueNames[252], names.last());
        QCOMPARE(run.state.savedCatalogueCas[0], cas.first());
        QCOMPARE(run.state.savedCatalogueNames[253], QString());

        for (const Substance &substance : Catalogue::substances()) {
            const QString context = substance.name + QLatin1Char(' ') + substance.cas;
            QVERIFY2(run.choose("Combo1", substance.name), qPrintable(context));
            QVERIFY2(run.combo("Combo2")->currentText() == substance.cas, qPrintable(context));
            run.click("Command5");
            QVERIFY2(run.choose("Combo2", substance.cas), qPrintable(context));
            QVERIFY2(run.combo("Combo1")->currentText() == substance.name, qPrintable(context));
            run.click("Command5");
        }
    }

    // Entries added to a sorted list that already has some go to their sorted place; the prompt stays.
    void sortedListKeepsItsOrderWhateverTheArrival()
    {
        const QStringList names = CatalogueSelection::names();
        SelectionCombo list;
        list.setSorted(&CatalogueSelection::nameLess);
        list.setText(QStringLiteral("inserire nome sostanza"));
        list.addItems(names.mid(100));
        for (const QString &name : names.mid(0, 100))
            list.addItem(name);
        QCOMPARE(list.itemTexts(), names);
        QCOMPARE(list.text(), QStringLiteral("inserire nome sostanza"));
    }

    // The first pick locks the substance lists and opens the class list; the hypothesis opens at
    // once only for a CAS pick with no name pick since start.
    void firstPickLocksTheSubstance_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("namePickBefore");
        QTest::addColumn<bool>("hypothesisOpen");
        QTest::newRow("name") << "Combo1" << false << false;
        QTest::newRow("CAS right after start") << "Combo2" << false << true;
        QTest::newRow("CAS after a name pick and a reset") << "Combo2" << true << false;
    }
    void firstPickLocksTheSubstance()
    {
        QFETCH(QString, list);
        QFETCH(bool, namePickBefore);
        QFETCH(bool, hypothesisOpen);
        const TestDrive drive;
        MainWindowDriver run(drive);
        if (namePickBefore) {
            QVERIFY(run.chooseAt("Combo1", 5));
            run.click("Command5");
        }
        run.state.toxicClassFound = true;
        const bool byName = list == QStringLiteral("Combo1");
        QVERIFY(run.choose(qPrintable(list), byName ? QStringLiteral("Acetaldeide") : QStringLiteral("10025-67-9")));
        QCOMPARE(run.combo(byName ? "Combo2" : "Combo1")->currentText(), byName ? "75-07-0" : "Zolfo cloruro");
        QCOMPARE(run.state.selectionMode, byName || namePickBefore ? std::optional<int>(1) : std::nullopt);
        if (byName)
            QVERIFY(!run.state.toxicClassFound); // Acetaldeide is no toxic
        verifyEnabled(run, {"Combo9"}, {"Combo1", "Combo2", "Combo8", "Combo4"});
        QCOMPARE(run.combo("Combo5")->isEnabled(), hypothesisOpen);
        QCOMPARE(run.combo("Combo9")->currentText(),
                 QStringLiteral("visionare le classi cui può appartenere la sostanza prescelta + scelta"));
        QCOMPARE(run.get<QProgressBar>("ProgressBar1")->value(), 0);
        QVERIFY(!run.button("Command1")->isEnabled());
        QVERIFY(!run.chooseAt(byName ? "Combo2" : "Combo1", 0)); // a locked list does not open
    }

    void typingIntoAListRaisesNoClick_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("leaveWithTab");
        QTest::newRow("name and Enter") << "Combo1" << "Acetaldeide" << false;
        QTest::newRow("CAS and leaving the field") << "Combo2" << "7664-41-7" << true;
    }
    void typingIntoAListRaisesNoClick()
    {
        QFETCH(QString, list);
        QFETCH(QString, typed);
        QFETCH(bool, leaveWithTab);
        const TestDrive drive;
        const MainWindowDriver run(drive);
        QStringList expected = listStates(run);
        expected[list == QStringLiteral("Combo1") ? 0 : 1] = list + QStringLiteral(" on 253: ") + typed;
        run.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(run.window.get()));
        QComboBox *combo = run.combo(qPrintable(list));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(combo, typed);
        if (leaveWithTab)
            run.combo("Combo8")->setFocus();
        else
            QTest::keyClick(combo, Qt::Key_Return);
        QCOMPARE(listStates(run), expected);
        QVERIFY(!run.state.selectionMode.has_value());
    }

    void resetReturnsToTheStartUpState()
    {
        const TestDrive drive;
        MainWindowDriver run(drive);
        const QStringList atStart = listStates(run);
        QVERIFY(run.choose("Combo1", QStringLiteral("Ammoniaca")));
        QVERIFY(run.chooseAt("Combo9", 0));
        QVERIFY(run.chooseAt("Combo5", 0));
        QVERIFY(run.chooseAt("Combo4", 0));
        QVERIFY(run.chooseAt("Combo6", 0));
        run.get<QPlainTextEdit>("Output")->setPlainText(QStringLiteral("Scenario: Pool Fire"));
        run.state.result.damageDistance.fill(CellValue::number(100.0));

        run.click("Command5");

        QCOMPARE(listStates(run), atStart);
        QCOMPARE(run.get<QPlainTextEdit>("Output")->toPlainText(), QString());
        for (const CellValue &distance : run.state.result.damageDistance)
            QCOMPARE(distance, CellValue::number(0));
        QCOMPARE(run.state.selectionMode, std::optional<int>(1)); // Reset leaves it
        QVERIFY(run.fake.messages.shown().isEmpty());
    }

    void quitAsksAndEndsOnlyOnNo()
    {
        const TestDrive drive;
        MainWindowDriver run(drive);
        run.fake.messages.queueAnswer(MessageAnswer::Yes);
        run.click("Command2");
        QCOMPARE(run.fake.exit.calls(), 0);
        run.click("Command2"); // no answer queued: the default button
        QCOMPARE(run.fake.exit.calls(), 1);
        QCOMPARE(run.fake.messages.shown().size(), 2);
        const MessageRequest asked = run.fake.messages.shown().last();
        QCOMPARE(asked.text, QStringLiteral("Do you want to continue ?"));
        QCOMPARE(asked.title, QStringLiteral("MsgBox Quit"));
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(asked.icon, MessageIcon::Critical);
        QCOMPARE(asked.defaultButton, MessageAnswer::No);
    }

    void configurationErrorsEndTheProgram_data()
    {
        QTest::addColumn<bool>("atReset");
        QTest::addColumn<QByteArray>("contents"); // empty: no file at all
        QTest::addColumn<QString>("expected");
        const QByteArray seven("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
        QTest::newRow("missing at start") << false << QByteArray() << "Impossibile leggere";
        QTest::newRow("short at reset") << true << seven << "contiene 7 righe";
    }
    void configurationErrorsEndTheProgram()
    {
        QFETCH(bool, atReset);
        QFETCH(QByteArray, contents);
        QFETCH(QString, expected);
        const TestDrive drive;
        const auto spoil = [&] {
            QFile::remove(drive.local(Configuration::filePath()));
            if (!contents.isEmpty())
                drive.writeFile(Configuration::filePath(), contents);
        };
        if (!atReset)
            spoil();
        MainWindowDriver run(drive);
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
};

QTEST_MAIN(MainWindowTest)
#include "ui_mainwindow.moc"
