#include "estimate/NumberText.h"
#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

// Rows 3..10 of range pair `pair` (columns C,D for 0, E,F for 1, ...): threshold t of hypothesis h
// holds 1000 * pair + 100 * h + 10 * t under D5, one more under F2.
void fillPair(MemoryWorkbook &book, int sheet, int pair)
{
    for (int h = 1; h <= 2; ++h) {
        for (int t = 1; t <= 4; ++t) {
            const double value = 1000 * pair + 100 * h + 10 * t;
            book.setRow(sheet, QStringLiteral("%1%2").arg(QChar('C' + 2 * pair)).arg((h == 1 ? 2 : 6) + t), {value, value + 1});
        }
    }
}

} // namespace

class DistanceTest : public QObject
{
    Q_OBJECT

private slots:
    void numberTexts()
    {
        const QList<QPair<CellValue, QString>> signedTexts{
            {CellValue::number(350), " 350"},   {CellValue::number(-0.0), " 0"},    {CellValue(), " 0"},
            {CellValue::number(0.5), " 0.5"},   {CellValue::number(0.1 + 0.2), " 0.30000000000000004"},
            {CellValue::number(-2.5), "-2.5"},  {CellValue::number(1e6), " 1000000"}};
        for (const auto &[value, text] : signedTexts)
            QCOMPARE(SignedNumberText(value), text);
        const QList<QPair<QString, double>> leading{
            {" 0 -  10", 0},   {"  2.5 t", 2.5}, {".75", 0.75}, {"-3", -3},  {"2.5e3t", 2500},
            {"12e", 12},       {"abc", 0},       {"", 0},       {"- 5", 0}, {"\t7", 7}};
        for (const auto &[text, value] : leading)
            QVERIFY2(LeadingNumber(text) == value, qPrintable(text));
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
        QTest::newRow("empty at threshold 1 F2") << 4 << CellValue() << false << false << " 0 m";
        QTest::newRow("zero at threshold 3 D5") << 2 << CellValue::number(0) << false << false << " Non applicabile";
        QTest::newRow("empty at threshold 4 F2") << 7 << CellValue() << false << false << " Non applicabile";
        QTest::newRow("marked threshold 3 F2") << 6 << CellValue::number(400) << true << false << " 400 > m";
        QTest::newRow("marked zero at threshold 3") << 2 << CellValue::number(0) << true << false << " Non applicabile";
        QTest::newRow("not available") << 4 << CellValue() << false << true << " Non disponibile";
    }
    void distanceTexts()
    {
        QFETCH(int, slot);
        QFETCH(CellValue, distance);
        QFETCH(bool, marked);
        QFETCH(bool, unavailable);
        QFETCH(QString, text);
        ResultSet result;
        result.damageDistance.fill(CellValue::number(5));
        result.damageDistance[std::size_t(slot)] = distance;
        result.greaterThan[std::size_t(slot / 2)] = marked; // the marks of threshold 1 and 3 slots
        result.notAvailable[std::size_t(slot)] = unavailable;
        BuildDistanceTexts(result);
        QStringList expected(8, QStringLiteral(" 5 m"));
        expected[slot] = text;
        QCOMPARE(QStringList(result.distanceText.cbegin(), result.distanceText.cend()), expected);
    }

    void scenario()
    {
        QCOMPARE(ScenarioName(QStringLiteral("1.2"), 2, false), QStringLiteral("Pool Fire"));
        QCOMPARE(ScenarioName(QStringLiteral("2.1.1"), 2, false), QStringLiteral("VCE"));
        QCOMPARE(ScenarioName(QStringLiteral("4.3  "), 1, true), QStringLiteral("Nube Tossica"));
        QCOMPARE(ScenarioName(QString(), 2, true), QStringLiteral("Nube Tossica"));
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
        EstimateCase c(QStringLiteral("1_1_2"));
        c.setBounds(2, {0, 10, 10, 50, 50, 200});
        for (int pair = 0; pair < 3; ++pair)
            fillPair(c.book(), 2, pair);
        const EstimateOutcome out = c.run(2, hypothesis, entry);
        QVERIFY2(out.completed, qPrintable(out.message));
        QCOMPARE(c.distances(), QList<double>({base + 10.0, base + 20.0, base + 30.0, base + 40.0, base + 11.0,
                                               base + 21.0, base + 31.0, base + 41.0}));
        QCOMPARE(c.state.result.scenarioName, QStringLiteral("Pool Fire"));
        QCOMPARE(c.state.result.classLabel, QStringLiteral("1.1.2"));
        QCOMPARE(out.quantityText, c.input.quantity);
        QCOMPARE(out.diameterText, kNotApplicable);
        QCOMPARE(out.report.diameter, kNotApplicable);
        QVERIFY(!out.toxic);
    }

    void sameRangeTwiceCountsTheLastEntry()
    {
        EstimateCase c(QStringLiteral("1_1_1"));
        c.setBounds(1, {5, 10, 5, 10});
        fillPair(c.book(), 1, 0);
        fillPair(c.book(), 1, 1);
        QVERIFY(c.run(1).completed);
        QCOMPARE(c.input.quantityEntries, QStringList({" 5 -  10", " 5 -  10"}));
        QCOMPARE(c.distances().first(), 1110.0);
    }

    void containmentsWithoutQuantity_data()
    {
        QTest::addColumn<int>("containment");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QList<double>>("distances");
        QTest::addColumn<QString>("diameter");
        QTest::newRow("tanker") << 3 << 1 << QList<double>{110, 120, 130, 140, 111, 121, 131, 141} << kNotApplicable;
        QTest::newRow("ship") << 4 << 1 << QList<double>{110, 120, 130, 140, 111, 121, 131, 141} << kNotApplicable;
        QTest::newRow("pipeline") << 5 << 3 << QList<double>{3110, 3120, 3130, 3140, 3111, 3121, 3131, 3141}
                                  << QStringLiteral(" 12 -  24");
    }
    void containmentsWithoutQuantity()
    {
        QFETCH(int, containment);
        QFETCH(int, entry);
        QFETCH(QList<double>, distances);
        QFETCH(QString, diameter);
        EstimateCase c(QStringLiteral("2_1_2"));
        c.setBounds(containment, {0, 2, 2, 6, 6, 12, 12, 24});
        for (int pair = 0; pair < 4; ++pair)
            fillPair(c.book(), containment, pair);
        c.choose(containment);
        QCOMPARE(c.containment.enableEstimate, containment != 5);
        // A quantity text left in the list does not matter.
        c.input.quantity = QStringLiteral(" 10 -  50");
        c.input.quantityEntries = QStringList({" 0 -  10", " 10 -  50"});
        const EstimateOutcome out = c.estimate(entry);
        QVERIFY2(out.completed, qPrintable(out.message));
        QCOMPARE(c.distances(), distances);
        QCOMPARE(out.quantityText, kNotApplicable);
        QCOMPARE(out.diameterText, diameter);
        QCOMPARE(c.state.result.scenarioName, QStringLiteral("Flash Fire"));
    }

    void emptyContainmentStopsAfterTheSummary()
    {
        for (const QString &containment : {kContainmentListPrompt, QString()}) {
            ProgramState state;
            EstimateInput input;
            input.substanceName = QStringLiteral("Propano");
            input.cas = QStringLiteral("74-98-6");
            input.classText = QStringLiteral("visionare");
            input.hypothesis = kLikely;
            input.containment = containment;
            const EstimateOutcome out = RunEstimate(state, MemoryWorkbookOpener(), input);
            QVERIFY(!out.completed);
            QCOMPARE(out.message, QStringLiteral("campo vuoto: scegliere tipologia di detenzione dalla combo box"));
            QCOMPARE(out.summary, QStringLiteral("sostanza prescelta: Propano\r\n#CAS = 74-98-6\r\n"
                                                 "classe cui appartiene la sostanza: visionare\r\nIpotesi più probabile"));
        }
    }

    void badInputStopsTheEstimate_data()
    {
        QTest::addColumn<int>("containment");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("diameter");
        QTest::addColumn<QString>("message");
        QTest::newRow("quantity outside the list") << 1 << " 0 - 10" << "" << kUnknownQuantity;
        QTest::newRow("diameter outside the list") << 5 << "" << "2 pollici" << kUnknownDiameter;
        QTest::newRow("text distance") << 2 << " 0 -  10" << "" << "12.xls\nfoglio 2, cella D5";
    }
    void badInputStopsTheEstimate()
    {
        QFETCH(int, containment);
        QFETCH(QString, quantity);
        QFETCH(QString, diameter);
        QFETCH(QString, message);
        EstimateCase c(QStringLiteral("1_2"));
        c.setBounds(containment, {0, 10});
        fillPair(c.book(), containment, 0);
        c.book().set(2, "D5", "n.d.");
        c.choose(containment);
        c.state.result.damageDistance[1] = CellValue::number(77);
        c.input.quantity = quantity;
        c.input.diameter = diameter;
        const EstimateOutcome out = RunEstimate(c.state, c.data.opener, c.input);
        QVERIFY(!out.completed);
        QVERIFY2(out.message.contains(message), qPrintable(out.message));
        if (containment != 2)
            QCOMPARE(c.state.result.damageDistance[1], CellValue::number(77)); // nothing read
    }
};

QTEST_MAIN(DistanceTest)
#include "test_distance.moc"
