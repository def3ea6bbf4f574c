// Complete estimates driven through the real main window and map window, offscreen, on the small
// test drive (hand-set distances) and on the bundled example data: entries chosen from the open
// lists as a user would, message boxes answered from a script.
#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "catalogue/HazardClass.h"
#include "estimate/Report.h"
#include "support/FakePlatform.h"
#include "support/TestDrive.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const QString kLikely = QStringLiteral("Ipotesi più probabile");
const QString kAverage = QStringLiteral("Ipotesi media");
const QString kBund = QStringLiteral("Stoccaggi fissi con bacino di contenimento");
const QString kNoBund = QStringLiteral("Stoccaggi fissi senza bacino di contenimento");
const QString kTanker = QStringLiteral("Autobotti/Ferrocisterne");
const QString kPipeline = QStringLiteral("Condotte");
const QString kNA = QStringLiteral(" Non applicabile");
const QString kOutputFolder = QStringLiteral("c:\\zefro\\output\\");

QString entryOf(const QString &code)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == code)
            return hazard.listEntry;
    }
    return {};
}

// A private copy of a drive tree: the bundled installation or one of tests/data/drives.
std::unique_ptr<TestDrive> driveWith(const QString &tree)
{
    auto drive = std::make_unique<TestDrive>(tree.isEmpty() ? TestDrive::Contents::BundledTree : TestDrive::Contents::Empty);
    if (!tree.isEmpty())
        copyTree(QStringLiteral(ZEFRO_TEST_DATA "/drives/") + tree, drive->root());
    QDir().mkpath(DrivePaths(drive->root()).toLocal(kOutputFolder));
    return drive;
}

struct Session
{
    explicit Session(const QString &tree = QStringLiteral("tiny"))
        : drive(driveWith(tree))
        , fake(drive->root())
        , window(std::make_unique<MainWindow>(state, fake.platform))
    {
        state.outputPrefix = kOutputFolder;
        window->show();
    }

    template <typename T = QComboBox>
    [[nodiscard]] T *get(const char *name) const
    {
        auto *frame = window->findChild<QGroupBox *>(QStringLiteral("Frame1"), Qt::FindDirectChildrenOnly);
        return frame ? frame->findChild<T *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly) : nullptr;
    }
    [[nodiscard]] QComboBox *combo(const char *name) const { return get<QComboBox>(name); }
    [[nodiscard]] QPushButton *button(const char *name) const { return get<QPushButton>(name); }
    [[nodiscard]] QWidget *map() const { return window->findChild<QWidget *>(QStringLiteral("map")); }
    template <typename T>
    [[nodiscard]] T *onMap(const char *name) const
    {
        return map() ? map()->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    }

    // Opens the list of an enabled, visible combo and clicks the entry with this text.
    bool choose(const char *name, const QString &text) const
    {
        QComboBox *c = combo(name);
        const int row = c ? c->findText(text, Qt::MatchExactly) : -1;
        if (row < 0 || !c->isEnabled() || !c->isVisible())
            return false;
        c->showPopup();
        QAbstractItemView *view = c->view();
        if (!QTest::qWaitForWindowExposed(view->window()))
            return false;
        const QModelIndex index = c->model()->index(row, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        return c->currentText() == text;
    }
    bool chooseAt(const char *name, int row) const
    {
        QComboBox *c = combo(name);
        return c && row < c->count() && choose(name, c->itemText(row));
    }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    [[nodiscard]] QStringList texts() const
    {
        return QStringList(state.result.distanceText.cbegin(), state.result.distanceText.cend());
    }
    [[nodiscard]] QStringList items(const char *name) const
    {
        QStringList list;
        for (int i = 0; i < combo(name)->count(); ++i)
            list << combo(name)->itemText(i);
        return list;
    }
    [[nodiscard]] QByteArray reportFile(const QString &substance) const
    {
        return drive->readFile(kOutputFolder + QStringLiteral("ZEFRO  run 20061204 ore 09_05 ") + substance + QStringLiteral(".doc"));
    }

    std::unique_ptr<TestDrive> drive;
    FakePlatform fake;
    ProgramState state;
    std::unique_ptr<MainWindow> window;
};

QByteArray crlf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

QStringList fileHeading()
{
    QStringList lines{"ZEFRO", "ver. 2.0.b", "MEtodo Quillaro per la valutazione delle conseguenze di incidenti rilevanti"};
    for (const QString &line : reportOrganisationLines())
        lines << line;
    return lines << QString();
}

const QStringList kFileNotes{" _________________________________________________________________",
                             " Si rimanda al Manuale Utente e agli help in linea ",
                             " per informazioni riguardanti le ipotesi incidentali, le soglie e ",
                             " le coppie categoria di stabilità atmosferica/velocità del vento."};

} // namespace

class EstimateWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void flammableLiquidByName()
    {
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Acido acetico")));
        QCOMPARE(s.combo("Combo2")->currentText(), QStringLiteral("64-19-7"));
        QCOMPARE(s.items("Combo9"), QStringList({entryOf("1_1_1")}));
        QVERIFY(s.combo("Combo9")->isEnabled());
        QVERIFY(!s.combo("Combo5")->isEnabled()); // a name pick: the class comes first
        QVERIFY(s.choose("Combo9", entryOf("1_1_1")));
        QVERIFY(!s.combo("Combo9")->isEnabled());
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", kNoBund));
        QVERIFY(s.combo("Combo6")->isVisible());
        QVERIFY(!s.combo("Combo7")->isVisible());
        QVERIFY(!s.combo("Combo4")->isEnabled());
        QCOMPARE(s.combo("Combo6")->currentText(), QStringLiteral("scelta della quantità [t]"));
        QCOMPARE(s.items("Combo6"), QStringList({" 0 -  10", " 10 -  50", " 50 -  200"}));
        QVERIFY(!s.button("Command1")->isEnabled());
        QVERIFY(s.choose("Combo6", QStringLiteral(" 10 -  50")));
        QVERIFY(s.button("Command1")->isEnabled());

        s.click("Command1");

        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.texts(), QStringList({" 60 m", " 75 m", " 85 m", " 110 m", " 60 m", " 75 m", " 85 m", " 110 m"}));
        QCOMPARE(s.state.result.scenarioName, QStringLiteral("Pool Fire"));
        QCOMPARE(s.combo("Combo7")->currentText(), kNA);
        QCOMPARE(s.combo("Combo6")->currentText(), QStringLiteral(" 10 -  50"));
        QCOMPARE(s.get<QPlainTextEdit>("Output")->toPlainText(),
                 QStringLiteral("sostanza prescelta: Acido acetico\n#CAS = 64-19-7\nclasse cui appartiene la sostanza: ")
                     + entryOf("1_1_1") + QStringLiteral("\nIpotesi più probabile"));
        QVERIFY(s.map() && s.map()->isVisible());
        QCOMPARE(s.onMap<QPlainTextEdit>("output2")->toPlainText().split(QLatin1Char('\n')),
                 QStringList({"Sostanza prescelta: Acido acetico", "#CAS: 64-19-7", "Classe: 1.1.1",
                              "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento",
                              "Ipotesi più probabile", "Range di quantità  [t]:  10 -  50",
                              "Diametro condotta [in]:  Non applicabile", "Scenario incidentale:             Pool Fire",
                              "soglia 1 D5  distanza di danno =  60 m", "soglia 2 D5  distanza di danno =  75 m",
                              "soglia 3 D5  distanza di danno =  85 m", "soglia 4 D5  distanza di danno =  110 m",
                              "soglia 1 F2  distanza di danno =  60 m", "soglia 2 F2  distanza di danno =  75 m",
                              "soglia 3 F2  distanza di danno =  85 m", "soglia 4 F2  distanza di danno =  110 m"}));
        QCOMPARE(s.onMap<QLabel>("Label3")->text(),
                 QStringLiteral("Sostanza prescelta: Acido acetico\n#CAS: 64-19-7\nClasse: 1.1.1\n"
                                "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento\n"
                                "Ipotesi più probabile\nScenario incidentale: Pool Fire"));
        QCOMPARE(s.onMap<QLabel>("Label4")->text().split(QLatin1Char('\n')).at(3),
                 QStringLiteral("soglia 4 D5 distanza di danno =  110 m"));
        QCOMPARE(s.onMap<QLabel>("Label5")->text(),
                 QStringLiteral("Rosso\nBlu\nCyan\nGiallo\nVerde\nMagenta\nGrigio \nAntracite "));
        QVERIFY(s.onMap<QPushButton>("Command5")->isVisible());
        for (const char *hidden : {"Command3", "Command6", "Command7", "Command8"})
            QVERIFY2(!s.onMap<QPushButton>(hidden)->isVisible(), hidden);
        QVERIFY(!s.onMap<QLabel>("Label5")->isVisible());

        // The report file, then the editor.
        s.fake.messages.queueAnswer(MessageAnswer::Yes);
        QTest::mouseClick(s.onMap<QPushButton>("Command5"), Qt::LeftButton);
        const QString fileName = kOutputFolder + QStringLiteral("ZEFRO  run 20061204 ore 09_05 Acido acetico.doc");
        QCOMPARE(s.fake.messages.shown().size(), 1);
        const MessageRequest &question = s.fake.messages.shown().first();
        QCOMPARE(question.text, QStringLiteral("Done! ") + fileName + QLatin1Char('.') + QString(49, QLatin1Char(' '))
                                    + QStringLiteral("Do you want to edit & print the file? "));
        QCOMPARE(question.title, QStringLiteral("Save report"));
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QCOMPARE(question.icon, MessageIcon::Information);
        QCOMPARE(s.fake.launcher.attempted, QStringList({QStringLiteral("notepad ") + fileName}));
        QVERIFY(!s.onMap<QPushButton>("Command5")->isVisible());
        QCOMPARE(s.reportFile(QStringLiteral("Acido acetico")),
                 crlf(fileHeading() + QStringList{
                          "Sostanza prescelta: Acido acetico", "#CAS = 64-19-7", "Classe: 1.1.1",
                          "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento",
                          "Ipotesi più probabile", "Range di quantità  [t]:  10 -  50",
                          "Diametro condotta [in]:  Non applicabile", "", "Scenario incidentale: Pool Fire", "",
                          "  SOGLIA    METEO           DISTANZA DI DANNO", "    1        D5 60 m",
                          "    2        D5 75 m", "    3        D5 85 m", "    4        D5 110 m",
                          "    1        F2 60 m", "    2        F2 75 m", "    3        F2 85 m", "    4        F2 110 m"}
                      + kFileNotes));
    }

    void flammableGasUnderBothHypotheses_data()
    {
        QTest::addColumn<QString>("hypothesis");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("scenario");
        QTest::newRow("più probabile") << kLikely
            << QStringList{" 50 m", " 70 m", kNA, kNA, " 210 m", " 300 m", kNA, kNA} << "Flash Fire";
        QTest::newRow("media") << kAverage
            << QStringList{" 210 m", " 265 m", " 365 m", " 575 m", " 765 m", " 880 m", " 1075 m", " 10000 > m"} << "VCE";
    }
    void flammableGasUnderBothHypotheses()
    {
        QFETCH(QString, hypothesis);
        QFETCH(QStringList, texts);
        QFETCH(QString, scenario);
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Propano")));
        QVERIFY(s.choose("Combo9", entryOf("2_1_2")));
        QVERIFY(s.choose("Combo5", hypothesis));
        QVERIFY(s.choose("Combo4", kBund));
        QVERIFY(s.choose("Combo6", QStringLiteral(" 50 -  200")));
        s.click("Command1");
        QCOMPARE(s.texts(), texts);
        QCOMPARE(s.state.result.scenarioName, scenario);
        QCOMPARE(s.state.result.classLabel, QStringLiteral("2.1.2"));
        QVERIFY(s.state.gasClass);
    }

    void tankerNeedsNoQuantity()
    {
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Propano")));
        QVERIFY(s.choose("Combo9", entryOf("2_1_2")));
        QVERIFY(s.choose("Combo5", kAverage));
        QVERIFY(s.choose("Combo4", kTanker));
        QVERIFY(!s.combo("Combo6")->isVisible());
        QVERIFY(!s.combo("Combo7")->isVisible());
        QVERIFY(s.button("Command1")->isEnabled());
        s.click("Command1");
        QCOMPARE(s.texts(), QStringList({" 120 m", " 155 m", " 210 m", " 335 m", " 430 m", " 500 m", " 625 m", " 895 m"}));
        QCOMPARE(s.combo("Combo6")->currentText(), kNA);
        QCOMPARE(s.combo("Combo7")->currentText(), kNA);
        const QStringList box = s.onMap<QPlainTextEdit>("output2")->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(box.at(5), QStringLiteral("Range di quantità  [t]:  Non applicabile"));
        QCOMPARE(box.at(6), QStringLiteral("Diametro condotta [in]:  Non applicabile"));
        QCOMPARE(box.at(7), QStringLiteral("Scenario incidentale:             VCE"));
    }

    void gasPipelineOffersFiveDiameters()
    {
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Propano")));
        QVERIFY(s.choose("Combo9", entryOf("2_1_2")));
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", kPipeline));
        QVERIFY(s.combo("Combo7")->isVisible());
        QVERIFY(!s.combo("Combo6")->isVisible());
        QCOMPARE(s.combo("Combo7")->currentText(), QStringLiteral("scelta del diametro della condotta [in]"));
        QCOMPARE(s.items("Combo7"), QStringList({" 0 -  2", " 2 -  6", " 6 -  12", " 12 -  24", " 24 -  48"}));
        QVERIFY(s.choose("Combo7", QStringLiteral(" 12 -  24")));
        s.click("Command1");
        QCOMPARE(s.texts().mid(0, 2), QStringList({" 115 m", " 165 m"}));
        QCOMPARE(s.texts().at(4), QStringLiteral(" 510 m"));
        QCOMPARE(s.combo("Combo6")->currentText(), kNA);
        QCOMPARE(s.combo("Combo7")->currentText(), QStringLiteral(" 12 -  24"));
    }

    void toxicGasFallsBackToTheSubclassBelow()
    {
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Cloro")));
        QCOMPARE(s.items("Combo9"), QStringList({entryOf("51")}));
        QVERIFY(s.choose("Combo9", entryOf("51")));
        QVERIFY(s.choose("Combo5", kAverage));
        QVERIFY(s.choose("Combo4", kBund));
        QCOMPARE(s.items("Combo6"), QStringList({" 0 -  10", " 10 -  50"}));
        QVERIFY(s.choose("Combo6", QStringLiteral(" 0 -  10")));
        s.click("Command1");

        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.state.pairCode, CellValue::number(2));
        QCOMPARE(s.state.result.greaterThan, (std::array<bool, 4>{false, false, false, true}));
        QCOMPARE(s.texts(), QStringList({" 990 m", kNA, " 3950 m", kNA, " 2675 m", kNA, " 7785 > m", kNA}));
        QCOMPARE(s.state.result.classLabel, QStringLiteral("5.1.6"));
        QCOMPARE(s.state.result.scenarioName, QStringLiteral("Nube Tossica"));
        const QStringList box = s.onMap<QPlainTextEdit>("output2")->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(box, QStringList({"Sostanza prescelta: Cloro", "#CAS: 7782-50-5", "Classe: ",
                                   "Tipologia di detenzione: Stoccaggi fissi con bacino di contenimento",
                                   "Ipotesi media", "Range di quantità  [t]:  0 -  10",
                                   "Diametro condotta [in]:  Non applicabile",
                                   "Scenario incidentale:                          Nube Tossica",
                                   "soglia 1 D5 classe 5.1.6  distanza di danno =  990 m",
                                   "soglia 2 D5               distanza di danno =  Non applicabile",
                                   "soglia 3 D5 classe 5.1.6  distanza di danno =  3950 m",
                                   "soglia 4 D5               distanza di danno =  Non applicabile",
                                   "soglia 1 F2 classe 5.1.6  distanza di danno =  2675 m",
                                   "soglia 2 F2               distanza di danno =  Non applicabile",
                                   "soglia 3 F2 classe 5.1.6  distanza di danno =  7785 > m",
                                   "soglia 4 F2               distanza di danno =  Non applicabile"}));

        // The estimate button stays enabled: a second click repeats the same estimate.
        QVERIFY(s.button("Command1")->isEnabled());
        s.click("Command1");
        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.texts(), QStringList({" 990 m", kNA, " 3950 m", kNA, " 2675 m", kNA, " 7785 > m", kNA}));

        s.fake.messages.queueAnswer(MessageAnswer::No);
        QTest::mouseClick(s.onMap<QPushButton>("Command5"), Qt::LeftButton);
        QVERIFY(s.fake.launcher.attempted.isEmpty());
        const QString pad(9, QLatin1Char(' '));
        QCOMPARE(s.reportFile(QStringLiteral("Cloro")),
                 crlf(fileHeading() + QStringList{
                          "Sostanza prescelta: Cloro", "#CAS = 7782-50-5", "Classe: ",
                          "Tipologia di detenzione: Stoccaggi fissi con bacino di contenimento", "Ipotesi media",
                          "Range di quantità  [t]:  0 -  10", "Diametro condotta [in]:  Non applicabile", "",
                          "Scenario incidentale: Nube Tossica", "",
                          "  SOGLIA    METEO   CLASSE           DISTANZA DI DANNO        ",
                          "    1        D5     5.1.6" + pad + " 990 m",
                          "    2        D5          " + pad + " Non applicabile",
                          "    3        D5     5.1.6" + pad + " 3950 m",
                          "    4        D5          " + pad + " Non applicabile",
                          "    1        F2     5.1.6" + pad + " 2675 m",
                          "    2        F2          " + pad + " Non applicabile",
                          "    3        F2     5.1.6" + pad + " 7785 > m",
                          "    4        F2          " + pad + " Non applicabile"}
                      + kFileNotes));
    }

    void toxicClassReachedByCas()
    {
        Session s;
        QVERIFY(s.choose("Combo2", QStringLiteral("107-13-1")));
        QCOMPARE(s.combo("Combo1")->currentText(), QStringLiteral("Acrilonitrile"));
        QVERIFY(s.combo("Combo5")->isEnabled()); // no name pick since start
        QVERIFY(s.combo("Combo9")->isEnabled());
        QVERIFY(s.choose("Combo9", entryOf("4")));
        QCOMPARE(s.state.classCode, 4);
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", kNoBund));
        QVERIFY(s.choose("Combo6", QStringLiteral(" 0 -  10")));
        s.click("Command1");
        QCOMPARE(s.texts(), QStringList({" 50 m", kNA, " 290 m", kNA, " 150 m", kNA, " 915 m", kNA}));
        QCOMPARE(s.state.result.subclassName, (std::array<QString, 4>{"classe 4.3  ", "classe 4.3  ", "classe 4.3  ", "classe 4.3  "}));
        QCOMPARE(s.onMap<QLabel>("Label3")->text().split(QLatin1Char('\n')).at(2), QStringLiteral("Classe: 4.3  "));
    }

    void containmentBeforeTheClassAsksForTheClass()
    {
        Session s;
        QVERIFY(s.choose("Combo2", QStringLiteral("7782-50-5")));
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", kNoBund));
        QCOMPARE(s.fake.messages.texts(), QStringList({QStringLiteral(
            "Classe non determinata: scegliere prima la classe della sostanza dall'elenco delle classi.")}));
        QVERIFY(!s.combo("Combo6")->isVisible());
        QVERIFY(!s.button("Command1")->isEnabled());
        // The class can still be chosen, and the chain goes on from there.
        QVERIFY(s.choose("Combo9", entryOf("51")));
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", kBund));
        QVERIFY(s.choose("Combo6", QStringLiteral(" 10 -  50")));
        s.click("Command1");
        QCOMPARE(s.texts().at(0), QStringLiteral(" 590 m"));
        QCOMPARE(s.fake.messages.shown().size(), 1);
    }

    void compressedGasRefusedInABund()
    {
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Metano")));
        QVERIFY(s.choose("Combo9", entryOf("2_3")));
        QCOMPARE(s.state.classCode, 23);
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", kBund));
        QCOMPARE(s.fake.messages.shown().size(), 1);
        QCOMPARE(s.fake.messages.shown().first().text, QStringLiteral("Scelta non valida per i gas compressi"));
        QCOMPARE(s.fake.messages.shown().first().buttons, MessageButtons::Ok);
        QVERIFY(!s.combo("Combo6")->isVisible() && !s.combo("Combo7")->isVisible());
        QVERIFY(!s.combo("Combo4")->isEnabled());
        QVERIFY(!s.button("Command1")->isEnabled());
    }

    void quickPickGoesStraightToTheHypothesis()
    {
        Session s{QString()}; // the bundled data
        QVERIFY(s.choose("Combo8", quickPickEntries()[5]));
        QCOMPARE(s.items("Combo2").size(), 36);
        QCOMPARE(s.items("Combo1").size(), 36);
        QCOMPARE(s.combo("Combo2")->currentText(), QStringLiteral("CAS"));
        QCOMPARE(s.combo("Combo1")->currentText(), QStringLiteral("inserire nome sostanza"));
        QCOMPARE(s.state.selectionMode, std::optional<int>(2));
        for (const char *locked : {"Combo1", "Combo2", "Combo8", "Combo9", "Combo4"})
            QVERIFY2(!s.combo(locked)->isEnabled(), locked);
        QVERIFY(s.combo("Combo5")->isEnabled());
        QCOMPARE(s.combo("Combo9")->count(), 0);
        QVERIFY(s.choose("Combo5", kAverage));
        QVERIFY(s.choose("Combo4", kNoBund));
        QCOMPARE(s.combo("Combo9")->currentText(), quickPickEntries()[5]);
        QVERIFY(s.combo("Combo6")->count() >= 2);
        QVERIFY(s.chooseAt("Combo6", 1));
        s.click("Command1");
        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.state.result.classLabel, QStringLiteral("2.2"));
        QCOMPARE(s.state.result.scenarioName, QStringLiteral("VCE"));
        for (const QString &text : s.texts())
            QVERIFY2(text.endsWith(QLatin1String(" m")), qPrintable(text));
    }

    void bundledToxicEstimateWithFallback()
    {
        // Phosgene: class 51, zone 20, the top sub-class for large releases.
        Session s{QString()};
        QVERIFY(s.choose("Combo1", QStringLiteral("Fosgene")));
        QVERIFY(s.choose("Combo9", entryOf("51")));
        QVERIFY(s.choose("Combo5", kAverage));
        QVERIFY(s.choose("Combo4", kNoBund));
        QVERIFY(s.choose("Combo6", QStringLiteral(" 200 -  1000")));
        s.click("Command1");
        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.state.result.classLabel, QStringLiteral("5.1.6"));
        QCOMPARE(s.state.result.subclassName[0], QStringLiteral("classe 5.1.6"));
        QVERIFY(s.state.result.greaterThan[3]);
        QVERIFY(s.texts().at(6).endsWith(QLatin1String(" > m")));
        QCOMPARE(s.texts().at(1), kNA);
    }

    void progressBarAdvancesThroughTheElevenTables()
    {
        Session s;
        QList<int> painted;
        auto *bar = s.get<QProgressBar>("ProgressBar1");
        struct Recorder : QObject
        {
            QList<int> *values;
            QProgressBar *bar;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    *values << bar->value();
                return false;
            }
        } recorder;
        recorder.values = &painted;
        recorder.bar = bar;
        bar->installEventFilter(&recorder);
        QVERIFY(s.choose("Combo1", QStringLiteral("Ammoniaca")));
        bar->removeEventFilter(&recorder);
        // Paints outside the lookup show 0; during it the bar is painted once per table.
        QList<int> steps;
        for (int value : painted) {
            if (value != 0 && (steps.isEmpty() || steps.last() != value))
                steps << value;
        }
        QCOMPARE(steps, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QCOMPARE(bar->maximum(), 11);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(s.items("Combo9"), QStringList({entryOf("2_1_2"), entryOf("2_3"), entryOf("51")}));
    }

    void missingClassWorkbookStopsTheChain()
    {
        Session s;
        QFile::remove(DrivePaths(s.drive->root()).toLocal(kDataFolder + QStringLiteral("22.xls")));
        QVERIFY(s.choose("Combo1", QStringLiteral("Propano")));
        QCOMPARE(s.fake.messages.shown().size(), 1);
        QVERIFY(s.fake.messages.shown().first().text.contains(QStringLiteral("22.xls")));
        QCOMPARE(s.fake.messages.shown().first().icon, MessageIcon::Critical);
        QVERIFY(!s.combo("Combo9")->isEnabled());
        QVERIFY(!s.combo("Combo5")->isEnabled());
        QCOMPARE(s.get<QProgressBar>("ProgressBar1")->value(), 0);
        // Reset opens the way again.
        s.click("Command5");
        QVERIFY(s.combo("Combo1")->isEnabled());
    }

    void unwritableReportFileKeepsTheButton()
    {
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Propano")));
        QVERIFY(s.choose("Combo9", entryOf("2_1_2")));
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", kTanker));
        s.click("Command1");
        s.state.outputPrefix = QStringLiteral("c:\\cartella inesistente\\");
        QTest::mouseClick(s.onMap<QPushButton>("Command5"), Qt::LeftButton);
        QCOMPARE(s.fake.messages.shown().size(), 1);
        QVERIFY(s.fake.messages.shown().first().text.startsWith(QStringLiteral("Impossibile scrivere")));
        QVERIFY(s.onMap<QPushButton>("Command5")->isVisible());
        QVERIFY(s.fake.launcher.attempted.isEmpty());
        // Once the folder exists the same report is saved.
        s.state.outputPrefix = kOutputFolder;
        s.fake.messages.queueAnswer(MessageAnswer::No);
        QTest::mouseClick(s.onMap<QPushButton>("Command5"), Qt::LeftButton);
        QVERIFY(s.reportFile(QStringLiteral("Propano")).contains("    1        D5 30 m\r\n"));
    }

    void reportDescribesTheEstimateShownEvenAfterReset()
    {
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Propano")));
        QVERIFY(s.choose("Combo9", entryOf("2_1_2")));
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", kTanker));
        s.click("Command1");
        s.click("Command5"); // Reset of the main window; the map window stays
        s.fake.messages.queueAnswer(MessageAnswer::No);
        QTest::mouseClick(s.onMap<QPushButton>("Command5"), Qt::LeftButton);
        const QByteArray file = s.reportFile(QStringLiteral("Propano"));
        QVERIFY(file.contains("Sostanza prescelta: Propano\r\n"));
        QVERIFY(file.contains("    1        D5 30 m\r\n"));
    }

    void emptyContainmentShowsTheMapAndStops()
    {
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Propano")));
        QVERIFY(s.choose("Combo9", entryOf("2_1_2")));
        s.button("Command1")->setEnabled(true); // as if reached by other means
        s.click("Command1");
        QCOMPARE(s.fake.messages.texts(),
                 QStringList({QStringLiteral("campo vuoto: scegliere tipologia di detenzione dalla combo box")}));
        QVERIFY(s.map() && s.map()->isVisible());
        QVERIFY(!s.onMap<QPushButton>("Command5")->isVisible());
        QVERIFY(s.get<QPlainTextEdit>("Output")->toPlainText().startsWith(QStringLiteral("sostanza prescelta: Propano\n")));
    }

    void closedMapWindowIsCreatedAfresh()
    {
        Session s;
        QVERIFY(s.choose("Combo1", QStringLiteral("Propano")));
        QVERIFY(s.choose("Combo9", entryOf("2_1_2")));
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", kTanker));
        s.click("Command1");
        QPointer<QWidget> first = s.map();
        QVERIFY(first);
        first->close();
        QTRY_VERIFY(!first);
        s.click("Command1");
        QVERIFY(s.map() && s.map()->isVisible());
        QCOMPARE(s.onMap<QPlainTextEdit>("output2")->toPlainText().split(QLatin1Char('\n')).first(),
                 QStringLiteral("Sostanza prescelta: Propano"));
    }
};

QTEST_MAIN(EstimateWindowsTest)
#include "ui_estimate.moc"
