#include "app/ProgramState.h"
#include "catalogue/ClassLookup.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/DistanceLookup.h"
#include "estimate/NumberText.h"
#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

const QString kLikely = QStringLiteral("Ipotesi più probabile");
const QString kAverage = QStringLiteral("Ipotesi media");
const QString kCas = QStringLiteral("74-98-6");

const HazardClass &classOf(const QString &code)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == code)
            return hazard;
    }
    qFatal("no class");
}

QStringList containmentList()
{
    return QStringList(containmentTypes().cbegin(), containmentTypes().cend());
}

// A flammable substance through lookup, class and containment choice; the estimate input then
// holds the window's texts for the chosen entry of the offered list.
struct FlammableCase
{
    EstimateWorkbooks data;
    ProgramState state;
    EstimateInput input;
    ContainmentOutcome containment;

    FlammableCase(const QString &code, int containmentCode, const QString &hypothesis,
                  const std::function<void(MemoryWorkbook &)> &fill)
    {
        MemoryWorkbook &book = data.book(code);
        book.set(6, "A1", CellValue::text(kCas));
        fill(book);
        (void)LookupSubstanceClasses(state, data.opener, kCas);
        const QString entry = classOf(code).listEntry;
        ChooseSubstanceClass(state, entry);
        const QString type = containmentTypes()[std::size_t(containmentCode - 1)];
        containment = ChooseContainment(state, data.opener, {type, entry, QString(), hypothesis});
        input.substanceName = QStringLiteral("Propano");
        input.cas = kCas;
        input.classText = entry;
        input.containment = type;
        input.containmentEntries = containmentList();
        input.hypothesis = hypothesis;
        input.quantity = QStringLiteral("quantità stoccata ");
        input.diameter = QStringLiteral("diametro della condotta");
        if (containment.quantityEntries)
            input.quantityEntries = *containment.quantityEntries;
        if (containment.diameterEntries)
            input.diameterEntries = *containment.diameterEntries;
    }
    EstimateOutcome run(int entry = 0)
    {
        if (!input.quantityEntries.isEmpty())
            input.quantity = input.quantityEntries.value(entry);
        if (!input.diameterEntries.isEmpty())
            input.diameter = input.diameterEntries.value(entry);
        return RunEstimate(state, data.opener, input);
    }
    [[nodiscard]] QList<double> distances() const
    {
        QList<double> values;
        for (const CellValue &value : state.result.damageDistance)
            values << value.toNumber();
        return values;
    }
};

// Rows 3..10 of pair (first, first + 1): threshold t of hypothesis h under D5 = 100h + 10t,
// under F2 = that + 1, plus 1000 times the pair's position.
void fillPair(MemoryWorkbook &book, int sheet, int pair)
{
    const QChar d5('C' + 2 * pair);
    const QChar f2('C' + 2 * pair + 1);
    for (int h = 1; h <= 2; ++h) {
        for (int t = 1; t <= 4; ++t) {
            const int row = (h == 1 ? 3 : 7) + t - 1;
            const double value = 1000 * pair + 100 * h + 10 * t;
            book.set(sheet, QStringLiteral("%1%2").arg(d5).arg(row), value);
            book.set(sheet, QStringLiteral("%1%2").arg(f2).arg(row), value + 1);
        }
    }
}

} // namespace

class DistanceTest : public QObject
{
    Q_OBJECT

private slots:
    void signedNumberText_data()
    {
        QTest::addColumn<CellValue>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("350") << CellValue::number(350) << " 350";
        QTest::newRow("zero") << CellValue::number(0) << " 0";
        QTest::newRow("minus zero") << CellValue::number(-0.0) << " 0";
        QTest::newRow("empty") << CellValue() << " 0";
        QTest::newRow("fraction") << CellValue::number(0.5) << " 0.5";
        QTest::newRow("shortest") << CellValue::number(0.1 + 0.2) << " 0.30000000000000004";
        QTest::newRow("negative") << CellValue::number(-2.5) << "-2.5";
        QTest::newRow("large") << CellValue::number(1e6) << " 1000000";
        QTest::newRow("10001") << CellValue::number(10001) << " 10001";
    }
    void signedNumberText()
    {
        QFETCH(CellValue, value);
        QFETCH(QString, text);
        QCOMPARE(SignedNumberText(value), text);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("padded") << " 10 " << 10.0;
        QTest::newRow("range entry") << " 0 -  10" << 0.0;
        QTest::newRow("lower of range") << " 50 " << 50.0;
        QTest::newRow("decimal") << "  2.5 t" << 2.5;
        QTest::newRow("leading point") << ".75" << 0.75;
        QTest::newRow("negative") << "-3" << -3.0;
        QTest::newRow("exponent") << "2.5e3t" << 2500.0;
        QTest::newRow("bare e") << "12e" << 12.0;
        QTest::newRow("text") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("sign only") << "- 5" << 0.0;
        QTest::newRow("tab") << "\t7" << 7.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(LeadingNumber(text), value);
    }

    void distanceTexts_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<CellValue>("distance");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<bool>("unavailable");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << 0 << CellValue::number(350) << false << false << " 350 m";
        QTest::newRow("10001") << 1 << CellValue::number(10001) << false << false << " 10000 > m";
        QTest::newRow("10001 marked") << 0 << CellValue::number(10001) << true << false << " 10000 > m";
        QTest::newRow("zero at threshold 1 D5") << 0 << CellValue::number(0) << false << false << " 0 m";
        QTest::newRow("zero at threshold 1 F2") << 4 << CellValue::number(0) << false << false << " 0 m";
        QTest::newRow("empty at threshold 1") << 4 << CellValue() << false << false << " 0 m";
        QTest::newRow("zero at threshold 3 D5") << 2 << CellValue::number(0) << false << false << " Non applicabile";
        QTest::newRow("zero at threshold 2 F2") << 5 << CellValue::number(0) << false << false << " Non applicabile";
        QTest::newRow("empty at threshold 4 F2") << 7 << CellValue() << false << false << " Non applicabile";
        QTest::newRow("marked threshold 3 F2") << 6 << CellValue::number(400) << true << false << " 400 > m";
        QTest::newRow("marked zero threshold 3") << 2 << CellValue::number(0) << true << false << " Non applicabile";
        QTest::newRow("not available") << 4 << CellValue() << false << true << " Non disponibile";
        QTest::newRow("placeholder one") << 0 << CellValue::number(1) << false << false << " 1 m";
    }
    void distanceTexts()
    {
        QFETCH(int, slot);
        QFETCH(CellValue, distance);
        QFETCH(bool, marked);
        QFETCH(bool, unavailable);
        QFETCH(QString, text);
        ResultSet result;
        for (auto &value : result.damageDistance)
            value = CellValue::number(5);
        result.damageDistance[std::size_t(slot)] = distance;
        const int mark = slot == 0 ? 0 : slot == 2 ? 1 : slot == 4 ? 2 : slot == 6 ? 3 : -1;
        if (marked)
            result.greaterThan[std::size_t(mark)] = true;
        result.notAvailable[std::size_t(slot)] = unavailable;
        BuildDistanceTexts(result);
        QCOMPARE(result.distanceText[std::size_t(slot)], text);
        for (std::size_t other = 0; other < kDistanceSlots; ++other) {
            if (int(other) != slot)
                QCOMPARE(result.distanceText[other], QStringLiteral(" 5 m"));
        }
    }

    void scenario_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("hypothesis");
        QTest::addColumn<bool>("toxic");
        QTest::addColumn<QString>("scenario");
        QTest::newRow("1.1.1") << "1.1.1" << 1 << false << "Pool Fire";
        QTest::newRow("1.2 media") << "1.2" << 2 << false << "Pool Fire";
        QTest::newRow("2.2 likely") << "2.2" << 1 << false << "Flash Fire";
        QTest::newRow("2.2 media") << "2.2" << 2 << false << "VCE";
        QTest::newRow("2.1.1 media") << "2.1.1" << 2 << false << "VCE";
        QTest::newRow("4.3") << "4.3  " << 1 << true << "Nube Tossica";
        QTest::newRow("5.2.6") << "5.2.6" << 2 << true << "Nube Tossica";
        QTest::newRow("toxic without sub-class") << "" << 1 << true << "Nube Tossica";
    }
    void scenario()
    {
        QFETCH(QString, label);
        QFETCH(int, hypothesis);
        QFETCH(bool, toxic);
        QFETCH(QString, scenario);
        QCOMPARE(ScenarioName(label, hypothesis, toxic), scenario);
    }

    void flammableReadsTheChosenRangeAndHypothesis_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("hypothesis");
        QTest::addColumn<int>("base");
        QTest::newRow("first range, likely") << 0 << kLikely << 100;
        QTest::newRow("third range, likely") << 2 << kLikely << 2100;
        QTest::newRow("second range, media") << 1 << kAverage << 1200;
    }
    void flammableReadsTheChosenRangeAndHypothesis()
    {
        QFETCH(int, entry);
        QFETCH(QString, hypothesis);
        QFETCH(int, base);
        FlammableCase c("1_1_2", 2, hypothesis, [](MemoryWorkbook &book) {
            book.set(2, "C1", 0.0).set(2, "D1", 10.0).set(2, "E1", 10.0).set(2, "F1", 50.0).set(2, "G1", 50.0).set(2, "H1", 200.0);
            for (int pair = 0; pair < 3; ++pair)
                fillPair(book, 2, pair);
        });
        const EstimateOutcome out = c.run(entry);
        QVERIFY2(out.completed, qPrintable(out.message));
        QCOMPARE(c.distances(), QList<double>({base + 10.0, base + 20.0, base + 30.0, base + 40.0, base + 11.0,
                                               base + 21.0, base + 31.0, base + 41.0}));
        QCOMPARE(c.state.result.scenarioName, QStringLiteral("Pool Fire"));
        QCOMPARE(c.state.result.classLabel, QStringLiteral("1.1.2"));
        QCOMPARE(out.quantityText, c.input.quantity);
        QCOMPARE(out.diameterText, QStringLiteral(" Non applicabile"));
        QCOMPARE(out.report.diameter, QStringLiteral(" Non applicabile"));
        QVERIFY(!out.toxic);
    }

    void sameRangeTwiceCountsTheLastEntry()
    {
        FlammableCase c("1_1_1", 1, kLikely, [](MemoryWorkbook &book) {
            book.set(1, "C1", 5.0).set(1, "D1", 10.0).set(1, "E1", 5.0).set(1, "F1", 10.0);
            fillPair(book, 1, 0);
            fillPair(book, 1, 1);
        });
        QCOMPARE(c.input.quantityEntries, QStringList({" 5 -  10", " 5 -  10"}));
        QVERIFY(c.run(0).completed);
        QCOMPARE(c.distances().first(), 1110.0);
    }

    void tankersAndShipsReadColumnsCAndD_data()
    {
        QTest::addColumn<int>("containment");
        QTest::newRow("tanker") << 3;
        QTest::newRow("ship") << 4;
    }
    void tankersAndShipsReadColumnsCAndD()
    {
        QFETCH(int, containment);
        FlammableCase c("2_1_2", containment, kLikely, [&](MemoryWorkbook &book) {
            fillPair(book, containment, 0);
            fillPair(book, containment, 1);
        });
        QVERIFY(c.containment.enableEstimate);
        // A quantity text left in the list does not matter for tankers and ships.
        c.input.quantity = QStringLiteral(" 10 -  50");
        c.input.quantityEntries = QStringList({" 0 -  10", " 10 -  50"});
        const EstimateOutcome out = c.run(1);
        QVERIFY(out.completed);
        QCOMPARE(c.distances(), QList<double>({110, 120, 130, 140, 111, 121, 131, 141}));
        QCOMPARE(out.quantityText, QStringLiteral(" Non applicabile"));
        QCOMPARE(out.diameterText, QStringLiteral(" Non applicabile"));
        QCOMPARE(c.state.result.scenarioName, QStringLiteral("Flash Fire"));
    }

    void pipelineReadsTheDiameterColumn()
    {
        FlammableCase c("1_1_1", 5, kAverage, [](MemoryWorkbook &book) {
            const QList<double> bounds{0, 2, 2, 6, 6, 12, 12, 24};
            for (int i = 0; i < bounds.size(); ++i)
                book.set(5, QStringLiteral("%1%2").arg(QChar('C' + i)).arg(1), bounds[i]);
            for (int pair = 0; pair < 4; ++pair)
                fillPair(book, 5, pair);
        });
        QCOMPARE(c.input.diameterEntries.size(), 4);
        const EstimateOutcome out = c.run(3);
        QVERIFY(out.completed);
        QCOMPARE(c.distances().first(), 3210.0);
        QCOMPARE(c.state.result.classLabel, QStringLiteral("1.1.1"));
        QCOMPARE(c.state.result.scenarioName, QStringLiteral("Pool Fire"));
        QCOMPARE(out.quantityText, QStringLiteral(" Non applicabile"));
        QCOMPARE(out.diameterText, QStringLiteral(" 12 -  24"));
    }

    void specialValuesBecomeTheirTexts()
    {
        FlammableCase c("2_2", 2, kAverage, [](MemoryWorkbook &book) {
            book.set(2, "C1", 0.0).set(2, "D1", 10.0);
            book.set(2, "C7", 0.0).set(2, "C8", 10001.0).set(2, "C9", 0.0).set(2, "C10", 250.0);
            book.set(2, "D7", 75.0).set(2, "D8", 0.0); // D9 and D10 left empty
        });
        const EstimateOutcome out = c.run(0);
        QVERIFY(out.completed);
        const auto &texts = c.state.result.distanceText;
        QCOMPARE(QStringList(texts.cbegin(), texts.cend()),
                 QStringList({" 0 m", " 10000 > m", " Non applicabile", " 250 m", " 75 m", " Non applicabile",
                              " Non applicabile", " Non applicabile"}));
        QCOMPARE(c.state.result.scenarioName, QStringLiteral("VCE"));
    }

    void emptyContainmentStopsAfterTheSummary_data()
    {
        QTest::addColumn<QString>("containment");
        QTest::newRow("prompt") << "inserire tipologia di detenzione";
        QTest::newRow("empty") << "";
    }
    void emptyContainmentStopsAfterTheSummary()
    {
        QFETCH(QString, containment);
        ProgramState state;
        MemoryWorkbookOpener opener;
        EstimateInput input;
        input.substanceName = QStringLiteral("Propano");
        input.cas = kCas;
        input.classText = QStringLiteral("visionare");
        input.hypothesis = kLikely;
        input.containment = containment;
        const EstimateOutcome out = RunEstimate(state, opener, input);
        QVERIFY(!out.completed);
        QCOMPARE(out.message, QStringLiteral("campo vuoto: scegliere tipologia di detenzione dalla combo box"));
        QCOMPARE(out.summary, QStringLiteral("sostanza prescelta: Propano\r\n#CAS = 74-98-6\r\n"
                                             "classe cui appartiene la sostanza: visionare\r\nIpotesi più probabile"));
    }

    void rangeTextOutsideTheListStopsTheEstimate_data()
    {
        QTest::addColumn<int>("containment");
        QTest::addColumn<QString>("message");
        QTest::newRow("quantity") << 1 << kUnknownQuantity;
        QTest::newRow("diameter") << 5 << kUnknownDiameter;
    }
    void rangeTextOutsideTheListStopsTheEstimate()
    {
        QFETCH(int, containment);
        QFETCH(QString, message);
        FlammableCase c("1_2", containment, kLikely, [&](MemoryWorkbook &book) {
            book.set(containment, "C1", 0.0).set(containment, "D1", 10.0);
            fillPair(book, containment, 0);
        });
        c.state.result.damageDistance[1] = CellValue::number(77);
        c.input.quantity = QStringLiteral(" 0 - 10"); // typed, one blank short
        c.input.diameter = QStringLiteral("2 pollici");
        const EstimateOutcome out = RangeFree(c);
        QVERIFY(!out.completed);
        QCOMPARE(out.message, message);
        QCOMPARE(c.state.result.damageDistance[1], CellValue::number(77)); // nothing read
    }

    void textDistanceIsReported()
    {
        FlammableCase c("1_2", 2, kLikely, [](MemoryWorkbook &book) {
            book.set(2, "C1", 0.0).set(2, "D1", 10.0);
            fillPair(book, 2, 0);
            book.set(2, "D5", "n.d.");
        });
        const EstimateOutcome out = c.run(0);
        QVERIFY(!out.completed);
        QVERIFY(out.message.contains(QStringLiteral("12.xls")));
        QVERIFY(out.message.contains(QStringLiteral("foglio 2, cella D5")));
    }

private:
    // Runs the estimate with the texts as they stand (no entry chosen from the lists).
    static EstimateOutcome RangeFree(FlammableCase &c) { return RunEstimate(c.state, c.data.opener, c.input); }
};

QTEST_MAIN(DistanceTest)
#include "test_distance.moc"
