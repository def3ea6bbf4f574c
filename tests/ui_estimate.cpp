// Complete estimates driven through the real main window and map window, offscreen, on the small
// test drive (hand-set distances) and on the bundled example data.
#include "estimate/Report.h"
#include "support/ListEntries.h"
#include "support/MainWindowDriver.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QtTest>

namespace {

const QString kNA = QStringLiteral(" Non applicabile");

struct OwnedDrive
{
    std::unique_ptr<TestDrive> drive;
};

// A run on a drive of its own (kept until the window is gone): the tiny test drive unless told
// otherwise ("" = the bundled data).
struct Session : OwnedDrive, MainWindowDriver
{
    explicit Session(const QString &tree = QStringLiteral("tiny"))
        : OwnedDrive{testDriveWith(tree)}
        , MainWindowDriver(*drive)
    {
    }

    // Name pick, class, hypothesis, containment and (when given) the quantity or diameter entry.
    bool chooseUpTo(const QString &name, const QString &classCode, const QString &hypothesis,
                    const QString &containment, const QString &range = {}) const
    {
        return choose("Combo1", name) && choose("Combo9", entryOf(classCode)) && choose("Combo5", hypothesis)
            && choose("Combo4", containment)
            && (range.isEmpty() || choose(containment == kPipeline ? "Combo7" : "Combo6", range));
    }
    [[nodiscard]] QByteArray reportFile(const QString &substance) const
    {
        return drive->readFile(kTestOutputFolder + QStringLiteral("ZEFRO  run 20061204 ore 09_05 ") + substance
                               + QStringLiteral(".doc"));
    }
};

QByteArray crlf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

// A report file: the heading, the body lines given, the notes.
QByteArray reportFileWith(const QStringList &body)
{
    QStringList lines{"ZEFRO", "ver. 2.0.b", "MEtodo Quillaro per la valutazione delle conseguenze di incidenti rilevanti"};
    for (const QString &line : reportOrganisationLines())
        lines << line;
    lines << QString() << body << " _________________________________________________________________"
          << " Si rimanda al Manuale Utente e agli help in linea "
          << " per informazioni riguardanti le ipotesi incidentali, le soglie e "
          << " le coppie categoria di stabilità atmosferica/velocità del vento.";
    return crlf(lines);
}

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
        QVERIFY(s.choose("Combo9", entryOf("1_1_1")));
        QVERIFY(!s.combo("Combo9")->isEnabled());
        QVERIFY(!s.combo("Combo4")->isEnabled());
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(!s.combo("Combo5")->isEnabled());
        QVERIFY(s.choose("Combo4", kNoBund));
        QVERIFY(s.combo("Combo6")->isVisible() && !s.combo("Combo7")->isVisible());
        QVERIFY(!s.combo("Combo4")->isEnabled());
        QCOMPARE(s.combo("Combo6")->currentText(), QStringLiteral("scelta della quantità [t]"));
        QCOMPARE(s.items("Combo6"), QStringList({" 0 -  10", " 10 -  50", " 50 -  200"}));
        QVERIFY(!s.button("Command1")->isEnabled());
        QVERIFY(s.choose("Combo6", QStringLiteral(" 10 -  50")));

        s.click("Command1");

        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.state.result.scenarioName, QStringLiteral("Pool Fire"));
        QCOMPARE(s.combo("Combo7")->currentText(), kNA);
        QCOMPARE(s.get<QPlainTextEdit>("Output")->toPlainText(),
                 QStringLiteral("sostanza prescelta: Acido acetico\n#CAS = 64-19-7\nclasse cui appartiene la sostanza: ")
                     + entryOf("1_1_1") + QStringLiteral("\nIpotesi più probabile"));
        QVERIFY(s.map() && s.map()->isVisible());
        QCOMPARE(s.mapReport(),
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
        s.clickOnMap("Command5");
        const QString fileName = kTestOutputFolder + QStringLiteral("ZEFRO  run 20061204 ore 09_05 Acido acetico.doc");
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
                 reportFileWith({"Sostanza prescelta: Acido acetico", "#CAS = 64-19-7", "Classe: 1.1.1",
                                 "Tipologia di detenzione: Stoccaggi fissi senza bacino di contenimento",
                                 "Ipotesi più probabile", "Range di quantità  [t]:  10 -  50",
                                 "Diametro condotta [in]:  Non applicabile", "", "Scenario incidentale: Pool Fire", "",
                                 "  SOGLIA    METEO           DISTANZA DI DANNO", "    1        D5 60 m",
                                 "    2        D5 75 m", "    3        D5 85 m", "    4        D5 110 m",
                                 "    1        F2 60 m", "    2        F2 75 m", "    3        F2 85 m",
                                 "    4        F2 110 m"}));
    }

    void toxicGasFallsBackToTheSubclassBelow()
    {
        Session s;
        QVERIFY(s.chooseUpTo(QStringLiteral("Cloro"), QStringLiteral("51"), kAverage, kBund));
        QCOMPARE(s.items("Combo6"), QStringList({" 0 -  10", " 10 -  50"}));
        QVERIFY(s.choose("Combo6", QStringLiteral(" 0 -  10")));
        const QStringList texts{" 990 m", kNA, " 3950 m", kNA, " 2675 m", kNA, " 7785 > m", kNA};
        s.click("Command1");

        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.state.pairCode, CellValue::number(2));
        QCOMPARE(s.state.result.greaterThan, (std::array<bool, 4>{false, false, false, true}));
        QCOMPARE(s.distanceTexts(), texts);
        QCOMPARE(s.state.result.classLabel, QStringLiteral("5.1.6"));
        QCOMPARE(s.mapReport(), QStringList({"Sostanza prescelta: Cloro", "#CAS: 7782-50-5", "Classe: ",
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
        s.click("Command1");
        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.distanceTexts(), texts);

        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.clickOnMap("Command5");
        QVERIFY(s.fake.launcher.attempted.isEmpty());
        const QString pad(9, QLatin1Char(' '));
        QCOMPARE(s.reportFile(QStringLiteral("Cloro")),
                 reportFileWith({"Sostanza prescelta: Cloro", "#CAS = 7782-50-5", "Classe: ",
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
                                 "    4        F2          " + pad + " Non applicabile"}));
    }

    // Other estimates, each checked by its distance texts, its scenario and the quantity, diameter
    // and scenario lines of the map window's report.
    void estimates_data()
    {
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QString>("pick");      // Combo1 (name), Combo2 (CAS) or Combo8 (quick pick)
        QTest::addColumn<QString>("substance"); // the pick's entry
        QTest::addColumn<QString>("classCode"); // "" after a quick pick
        QTest::addColumn<QString>("hypothesis");
        QTest::addColumn<QString>("containment");
        QTest::addColumn<QString>("range");     // "" for tankers
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("classLine"); // of Label3
        QTest::addColumn<QStringList>("reportLines"); // lines 6 to 8 of the map report

        const QString gas = QStringLiteral("2_1_2");
        const auto lines = [](const QString &range, const QString &diameter, const QString &scenario) {
            return QStringList{"Range di quantità  [t]: " + range, "Diametro condotta [in]: " + diameter,
                               "Scenario incidentale:             " + scenario};
        };
        QTest::newRow("flammable gas, likely") << "tiny" << "Combo1" << "Propano" << gas << kLikely << kBund << " 50 -  200"
            << QStringList{" 50 m", " 70 m", kNA, kNA, " 210 m", " 300 m", kNA, kNA} << "Classe: 2.1.2"
            << lines(" 50 -  200", kNA, "Flash Fire");
        QTest::newRow("flammable gas, average, above 10000 m") << "tiny" << "Combo1" << "Propano" << gas << kAverage
            << kBund << " 50 -  200"
            << QStringList{" 210 m", " 265 m", " 365 m", " 575 m", " 765 m", " 880 m", " 1075 m", " 10000 > m"}
            << "Classe: 2.1.2" << lines(" 50 -  200", kNA, "VCE");
        QTest::newRow("tanker") << "tiny" << "Combo1" << "Propano" << gas << kAverage << kTanker << ""
            << QStringList{" 120 m", " 155 m", " 210 m", " 335 m", " 430 m", " 500 m", " 625 m", " 895 m"} << "Classe: 2.1.2"
            << lines(kNA, kNA, "VCE");
        QTest::newRow("pipeline") << "tiny" << "Combo1" << "Propano" << gas << kLikely << kPipeline << " 12 -  24"
            << QStringList{" 115 m", " 165 m", kNA, kNA, " 510 m", " 745 m", kNA, kNA} << "Classe: 2.1.2"
            << lines(kNA, " 12 -  24", "Flash Fire");
        QTest::newRow("toxic class reached by CAS") << "tiny" << "Combo2" << "107-13-1" << "4" << kLikely << kNoBund
            << " 0 -  10" << QStringList{" 50 m", kNA, " 290 m", kNA, " 150 m", kNA, " 915 m", kNA} << "Classe: 4.3  "
            << QStringList{"Range di quantità  [t]:  0 -  10", "Diametro condotta [in]:  Non applicabile",
                           "Scenario incidentale:                          Nube Tossica"};
    }
    void estimates()
    {
        QFETCH(QString, tree);
        QFETCH(QString, pick);
        QFETCH(QString, substance);
        QFETCH(QString, classCode);
        QFETCH(QString, hypothesis);
        QFETCH(QString, containment);
        QFETCH(QString, range);
        QFETCH(QStringList, texts);
        QFETCH(QString, classLine);
        QFETCH(QStringList, reportLines);
        Session s(tree);
        QVERIFY(s.choose(qPrintable(pick), substance));
        QVERIFY(s.choose("Combo9", entryOf(classCode)));
        QVERIFY(s.choose("Combo5", hypothesis));
        QVERIFY(s.choose("Combo4", containment));
        QCOMPARE(s.combo("Combo6")->isVisible(), containment != kTanker && containment != kPipeline);
        QCOMPARE(s.combo("Combo7")->isVisible(), containment == kPipeline);
        if (!range.isEmpty())
            QVERIFY(s.choose(containment == kPipeline ? "Combo7" : "Combo6", range));
        QVERIFY(s.button("Command1")->isEnabled());
        s.click("Command1");
        QVERIFY2(s.fake.messages.shown().isEmpty(), qPrintable(s.fake.messages.texts().join(QLatin1Char('|'))));
        QCOMPARE(s.distanceTexts(), texts);
        QCOMPARE(s.onMap<QLabel>("Label3")->text().split(QLatin1Char('\n')).value(2), classLine);
        QCOMPARE(s.mapReport().mid(5, 3), reportLines);
        QCOMPARE(s.combo("Combo6")->currentText(), containment == kBund || containment == kNoBund ? range : kNA);
        QCOMPARE(s.combo("Combo7")->currentText(), containment == kPipeline ? range : kNA);
    }

    // Quick pick 2_2 on the bundled data: its 36 substances, the CAS list ascending whatever order
    // the pick gives them in; the hypothesis comes next.
    void quickPickOnTheBundledData()
    {
        Session s{QString()};
        QVERIFY(s.choose("Combo8", quickPickEntries()[5]));
        const QStringList cas = s.items("Combo2");
        QCOMPARE(cas.size(), 36);
        QVERIFY(std::is_sorted(cas.begin(), cas.end()));
        QCOMPARE(s.items("Combo1").size(), 36);
        QCOMPARE(s.combo("Combo2")->currentText(), QStringLiteral("CAS"));
        QCOMPARE(s.combo("Combo1")->currentText(), QStringLiteral("inserire nome sostanza"));
        QCOMPARE(s.state.selectionMode, std::optional<int>(2));
        for (const char *locked : {"Combo1", "Combo2", "Combo8", "Combo9", "Combo4"})
            QVERIFY2(!s.combo(locked)->isEnabled(), locked);
        QVERIFY(s.choose("Combo5", kAverage));
        QVERIFY(s.choose("Combo4", kNoBund));
        QCOMPARE(s.combo("Combo9")->currentText(), quickPickEntries()[5]);
        QVERIFY(s.chooseAt("Combo6", 1));
        s.click("Command1");
        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.state.result.classLabel, QStringLiteral("2.2"));
        QCOMPARE(s.state.result.scenarioName, QStringLiteral("VCE"));
        for (const QString &text : s.distanceTexts())
            QVERIFY2(text.endsWith(QLatin1String(" m")) && text != kNA, qPrintable(text));
    }

    // A containment the chain cannot take: its message, no list to choose from, no estimate; with
    // no class chosen yet (a CAS pick), the class list stays open to choose one.
    void refusedContainment_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QString>("classCode"); // "" = none chosen
        QTest::addColumn<QString>("containment");
        QTest::addColumn<QString>("message");
        QTest::newRow("compressed gas in a bund") << "74-82-8" << "2_3" << kBund << "Scelta non valida per i gas compressi";
        QTest::newRow("no class chosen yet") << "7782-50-5" << "" << kNoBund
            << "Classe non determinata: scegliere prima la classe della sostanza dall'elenco delle classi.";
    }
    void refusedContainment()
    {
        QFETCH(QString, cas);
        QFETCH(QString, classCode);
        QFETCH(QString, containment);
        QFETCH(QString, message);
        Session s;
        QVERIFY(s.choose("Combo2", cas));
        QVERIFY(classCode.isEmpty() || s.choose("Combo9", entryOf(classCode)));
        QVERIFY(s.choose("Combo5", kLikely));
        QVERIFY(s.choose("Combo4", containment));
        QCOMPARE(s.fake.messages.texts(), QStringList{message});
        QVERIFY(!s.combo("Combo6")->isVisible() && !s.combo("Combo7")->isVisible());
        QVERIFY(!s.button("Command1")->isEnabled());
        QCOMPARE(s.choose("Combo9", entryOf("51")), classCode.isEmpty());
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
    }

    void progressBarAdvancesThroughTheElevenTables()
    {
        Session s;
        auto *bar = s.get<QProgressBar>("ProgressBar1");
        struct Recorder : QObject
        {
            QList<int> steps;
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                const int value = static_cast<QProgressBar *>(watched)->value();
                if (event->type() == QEvent::Paint && value != 0 && (steps.isEmpty() || steps.last() != value))
                    steps << value;
                return false;
            }
        } recorder;
        bar->installEventFilter(&recorder);
        QVERIFY(s.choose("Combo1", QStringLiteral("Ammoniaca")));
        bar->removeEventFilter(&recorder);
        QCOMPARE(recorder.steps, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QCOMPARE(bar->value(), 0);
        QCOMPARE(s.items("Combo9"), QStringList({entryOf("2_1_2"), entryOf("2_3"), entryOf("51")}));
    }

    void missingClassWorkbookStopsTheChain()
    {
        Session s;
        QFile::remove(s.drive->local(kDataFolder + QStringLiteral("22.xls")));
        QVERIFY(s.choose("Combo1", QStringLiteral("Propano")));
        QCOMPARE(s.fake.messages.shown().size(), 1);
        QVERIFY(s.fake.messages.shown().first().text.contains(QStringLiteral("22.xls")));
        QCOMPARE(s.fake.messages.shown().first().icon, MessageIcon::Critical);
        QVERIFY(!s.combo("Combo9")->isEnabled());
        QVERIFY(!s.combo("Combo5")->isEnabled());
        s.click("Command5"); // Reset opens the way again
        QVERIFY(s.combo("Combo1")->isEnabled());
    }

    // The report file describes the estimate shown, even after Reset; a folder that cannot be
    // written keeps the save button; a closed map window is made afresh by the next estimate.
    void reportFileAndMapWindowAfterTheEstimate()
    {
        Session s;
        QVERIFY(s.chooseUpTo(QStringLiteral("Propano"), QStringLiteral("2_1_2"), kLikely, kTanker));
        s.click("Command1");
        QPointer<QWidget> first = s.map();
        QVERIFY(first);
        first->close();
        QTRY_VERIFY(!first);
        s.click("Command1");
        QVERIFY(s.map() && s.map()->isVisible());
        QCOMPARE(s.mapReport().first(), QStringLiteral("Sostanza prescelta: Propano"));

        s.click("Command5");
        s.state.outputPrefix = QStringLiteral("c:\\cartella inesistente\\");
        s.clickOnMap("Command5");
        QCOMPARE(s.fake.messages.shown().size(), 1);
        QVERIFY(s.fake.messages.shown().first().text.startsWith(QStringLiteral("Impossibile scrivere")));
        QVERIFY(s.onMap<QPushButton>("Command5")->isVisible());
        QVERIFY(s.fake.launcher.attempted.isEmpty());

        s.state.outputPrefix = kTestOutputFolder;
        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.clickOnMap("Command5");
        const QByteArray file = s.reportFile(QStringLiteral("Propano"));
        QVERIFY(file.contains("Sostanza prescelta: Propano\r\n"));
        QVERIFY(file.contains("    1        D5 30 m\r\n"));
    }
};

QTEST_MAIN(EstimateWindowsTest)
#include "ui_estimate.moc"
