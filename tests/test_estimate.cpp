#include "estimate/DistanceCell.h"
#include "estimate/EstimateErrors.h"
#include "estimate/EstimateOrder.h"
#include "estimate/NumberText.h"
#include "support/ErrorWording.h"
#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

constexpr auto kLikely = Hypothesis::MostLikely;
constexpr auto kAverage = Hypothesis::Average;
constexpr auto kBund = Containment::BundedStorage;
constexpr auto kNoBund = Containment::UnbundedStorage;
constexpr auto kPipeline = Containment::Pipeline;

// The substance listed in `classes` (a quick pick when none), the distance worksheet of class `chosen`
// filled, with `bounds` in row 1 and a number below them in C2; then the substance looked up and,
// unless told not to, `chosen` chosen.
struct Case
{
    EstimateWorkbooks data;
    EstimateChain chain{data.opener};

    Case(const QString &classes, const QString &chosen, Containment containment, const QList<double> &bounds,
         bool choose = true)
    {
        const QStringList listed = classes.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int row = 1; row <= listed.size(); ++row)
            data.put(listed[row - 1], row);
        const int sheet = worksheetOf(containment);
        fillDistances(data.book(chosen), sheet);
        data.book(chosen).setRow(sheet, "C1", QList<TestCell>(bounds.cbegin(), bounds.cend())).set(sheet, "C2", 7);
        data.opener.add(kDataFolder + kRangeCorrespondenceFile, 5);
        (void)chain.lookUpClasses(listed.isEmpty() ? std::nullopt : std::optional(kTestSubstance));
        if (choose)
            chain.chooseClass(classOf(chosen));
    }
};

} // namespace

class EstimateTest : public QObject
{
    Q_OBJECT

private slots:
    void estimateWordsItsKinds()
    {
        using K = Error::Kind;
        const QString &file = wording::kFileHere;
        QCOMPARE(wording::unworded(estimateError,
                                   {{K::RangeBoundNotANumber, file}, {K::ClassCodeAsText, file},
                                    {K::DistanceNotANumber, file}, {K::DistanceOutOfRange, file},
                                    {K::TooManyCorrespondenceRows, file}, {K::BadZoneIndex, file},
                                    {K::UnknownSubclass, file}, {K::CompressedGasInBund, {}}, {K::ClassNotChosen, {}},
                                    {K::ContainmentNotChosen, {}}, {K::QuantityNotOffered, {}},
                                    {K::DiameterNotOffered, {}}}),
                 QString());
    }

    void texts()
    {
        const QList<QPair<CellValue, QString>> signedTexts{{CellValue::number(350), " 350"},
                                                           {CellValue::number(-0.0), " 0"},
                                                           {CellValue(), " 0"},
                                                           {CellValue::text("12"), " 0"},
                                                           {CellValue::number(-2.5), "-2.5"},
                                                           {CellValue::number(1e6), " 1000000"},
                                                           {CellValue::number(0.1 + 0.2), " 0.30000000000000004"}};
        for (const auto &[value, text] : signedTexts)
            QCOMPARE(SignedNumberText(value), text);
        const QList<QPair<QString, double>> leading{
            {" 0 -  10", 0},  {" 10 -  50", 10}, {"\t7", 7},  {"  2.5 t", 2.5}, {".75", 0.75}, {"5.", 5},
            {"-3", -3},       {"+4x", 4},        {"- 5", 0},  {".", 0},         {"abc", 0},    {"", 0},
            {"2.5e3t", 2500}, {"1E-2", 0.01},    {"12e", 12}, {"12e+", 12},     {"\u0663", 0}};
        for (const auto &[text, value] : leading)
            QVERIFY2(LeadingNumber(text) == value, qPrintable(text));
        const QList<std::tuple<std::size_t, double, QString, QString>> distances{
            // slot, metres, n(ot available), l(ower bound)
            {4, 0, "", " 0 m"},           {1, 0, "", kNotApplicable}, {7, 0, "l", kNotApplicable},
            {3, 10001, "", " 10000 > m"}, {3, 10000, "", " 10000 m"}, {6, 400, "l", " 400 > m"},
            {0, 0, "n", kNotAvailable}};
        for (const auto &[slot, metres, marks, text] : distances)
            QCOMPARE(distanceText({metres, marks == "n", marks == "l", {}}, slot), text);
    }

    // A distance cell holds 0 (or nothing) or 1 to 10001 m; any other number is refused naming the cell
    // and the number, a text as no number.
    void distanceCells()
    {
        const QList<QPair<CellValue, QString>> cells{
            {CellValue(), "0"},
            {CellValue::number(1), "1"},
            {CellValue::number(10001), "10001"},
            {CellValue::number(-75), "!-75"},
            {CellValue::number(0.5), "!0.5"},
            {CellValue::number(10001.5), "!10001.5"},
            {CellValue::number(std::numeric_limits<double>::denorm_min()), "!5e-324"},
            {CellValue::number(qInf()), "!inf"},
            {CellValue::text("55"), "text"}};
        for (const auto &[cell, found] : cells) {
            const Outcome<double> metres = distanceOfCell(cell, "b.xls", 2, "E7");
            QCOMPARE(metres.ok()                                                  ? QString::number(metres.value())
                         : metres.error().kind == Error::Kind::DistanceNotANumber ? "text"
                                                                                  : '!' + metres.error().detail,
                     found);
            QVERIFY(metres.ok() || whereOf(metres.error()).startsWith("b.xls|2|E7|"));
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("code"); // none: no class chosen
        QTest::addColumn<Containment>("containment");
        QTest::addColumn<int>("entry"); // -1: none
        QTest::addColumn<QString>("text"); // the class workbook's cell holding a text
        QTest::addColumn<Error::Kind>("kind");
        using K = Error::Kind;
        QTest::newRow("no class") << "" << Containment::Tanker << 0 << "" << K::ClassNotChosen;
        QTest::newRow("2_3 in a bund") << "2_3" << kBund << 0 << "" << K::CompressedGasInBund;
        QTest::newRow("53 in a bund") << "53" << kBund << 0 << "" << K::CompressedGasInBund;
        QTest::newRow("no quantity") << "1_1_2" << kNoBund << -1 << "" << K::QuantityNotOffered;
        QTest::newRow("diameter beyond the list") << "1_2" << kPipeline << 4 << "" << K::DiameterNotOffered;
        QTest::newRow("first upper bound as text") << "1_1_1" << kBund << 0 << "D1" << K::RangeBoundNotANumber;
        QTest::newRow("later lower bound as text") << "1_1_1" << kNoBund << 0 << "G1" << K::RangeBoundNotANumber;
        QTest::newRow("distance as text") << "2_1_2" << Containment::Tanker << 1 << "C10" << K::DistanceNotANumber;
    }
    void refusals()
    {
        QFETCH(QString, code);
        QFETCH(Containment, containment);
        QFETCH(int, entry);
        QFETCH(QString, text);
        QFETCH(Error::Kind, kind);
        const QString listed = code.isEmpty() ? QStringLiteral("1_2") : code;
        Case c(listed, listed, containment, {0, 10, 0, 50, 50, 200}, !code.isEmpty());
        if (!text.isEmpty())
            c.data.book(code).set(worksheetOf(containment), text, "n.d.");
        (void)c.chain.chooseContainment(kLikely, Containment::Ship); // an earlier choice, replaced
        const int reads = c.data.totalReads();
        const QStringList opened = c.data.opener.opened();

        const auto offered = c.chain.chooseContainment(kAverage, containment);
        const auto estimate = c.chain.estimate(entry < 0 ? std::nullopt : std::optional<std::size_t>(entry));

        QCOMPARE(estimate.error().kind,
                 offered.ok() ? kind : Error::Kind::ContainmentNotChosen); // nothing left by a failed step
        const Error &error = offered.ok() ? estimate.error() : offered.error();
        if (!offered.ok() && text.isEmpty()) // refused before reading anything
            QVERIFY(c.data.totalReads() == reads && c.data.opener.opened() == opened);
        const QString file = text.isEmpty() ? QString() : kDataFolder + classOf(code).workbookFile;
        QCOMPARE(QString::number(int(error.kind)) + '|' + whereOf(error),
                 QStringLiteral("%1|%2|%3|%4|")
                     .arg(int(kind))
                     .arg(file)
                     .arg(text.isEmpty() ? 0 : worksheetOf(containment))
                     .arg(text));
    }

    // The entry an inventory's figure goes to: closed bounds shared by neighbours go to the higher entry,
    // a figure below the list to the first, one above it or no figure at all to none.
    void entryHoldingAFigure()
    {
        const auto entry = [](double lower, double upper) {
            return RangeEntry{CellValue::number(lower), CellValue::number(upper), 0};
        };
        const std::vector<RangeEntry> list{entry(0, 10), entry(10, 50), entry(50, 200), entry(300, 1000)};
        const QList<std::pair<double, int>> figures{{-1, 0},   {0, 0},     {9.99, 0},  {10, 1}, {49.5, 1},
                                                    {50, 2},   {200, 2},   {250, 3},   {300, 3}, {1000, 3},
                                                    {1000.5, -1}, {qInf(), -1}, {qQNaN(), -1}};
        QString found, expected;
        for (const auto &[figure, index] : figures) {
            const std::optional<std::size_t> holding = entryHolding(list, figure);
            found += QStringLiteral("%1:%2 ").arg(figure).arg(holding ? int(*holding) : -1);
            expected += QStringLiteral("%1:%2 ").arg(figure).arg(index);
        }
        QCOMPARE(found, expected);
        QVERIFY(!entryHolding({}, 5));
    }

    void fiveDiametersForAGasClass()
    {
        QString diameters;
        for (const HazardClass &hazard : hazardClasses()) { // each class quick-picked
            Case c(QString(), hazard.listCode, kPipeline, {});
            diameters += QString::number(c.chain.chooseContainment(kLikely, kPipeline).value().size());
        }
        QCOMPARE(diameters, QStringLiteral("44455554555"));
    }

    void flammableDistances_data()
    {
        QTest::addColumn<QString>("classes"); // listing the substance, the chosen one first
        QTest::addColumn<Containment>("containment");
        QTest::addColumn<Hypothesis>("hypothesis");
        QTest::addColumn<QList<double>>("bounds");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QString>("scenario"); // text/pair
        const QList<double> diameters{0, 2, 2, 6, 6, 12, 12, 24, 24, 48};
        const QStringList four{" 0 -  2/0", " 2 -  6/1", " 6 -  12/2", " 12 -  24/3"};
        QTest::newRow("the first range always")
            << "1_1_2" << kNoBund << kLikely << QList<double>{} << 0 << QStringList{" 0 -  0/0"} << "Pool Fire";
        QTest::newRow("after a skipped range")
            << "1_1_1" << kBund << kLikely << QList<double>{0, 10, 0, 0, 20, 30, -1, 0} << 1
            << QStringList{" 0 -  10/0", " 20 -  30/2", "-1 -  0/3"} << "Pool Fire";
        QTest::newRow("eighth range, average")
            << "1_2" << kNoBund << kAverage << QList<double>{1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9} << 7
            << QStringList{" 1 -  2/0", " 2 -  3/1", " 3 -  4/2", " 4 -  5/3",
                           " 5 -  6/4", " 6 -  7/5", " 7 -  8/6", " 8 -  9/7"}
            << "Pool Fire";
        QTest::newRow("tanker: entry ignored")
            << "2_1_2" << Containment::Tanker << kLikely << diameters << 2 << QStringList{} << "Flash Fire";
        QTest::newRow("ship, average") << "2_1_1" << Containment::Ship << kAverage << diameters << 0 << QStringList{}
                                       << "VCE";
        QTest::newRow("liquid listed with a gas: four")
            << "1_2 2_3" << kPipeline << kAverage << diameters << 3 << four << "Pool Fire";
    }
    void flammableDistances()
    {
        QFETCH(QString, classes);
        QFETCH(Containment, containment);
        QFETCH(Hypothesis, hypothesis);
        QFETCH(QList<double>, bounds);
        QFETCH(int, entry);
        QFETCH(QStringList, offered);
        QFETCH(QString, scenario);
        const QString code = classes.section(QLatin1Char(' '), 0, 0);
        Case c(classes, code, containment, bounds);
        const auto ranges = c.chain.chooseContainment(hypothesis, containment);
        QStringList texts;
        for (const RangeEntry &range : ranges.value())
            texts << range.text() + QStringLiteral("/%1").arg(range.pair);
        QCOMPARE(texts, offered);
        const Outcome<Estimate> estimate = c.chain.estimate(std::size_t(entry));
        QVERIFY(estimate.ok());
        const Estimate &e = estimate.value();
        const int pair = offered.isEmpty() ? 0 : offered[entry].section(QLatin1Char('/'), 1).toInt();
        QList<double> found; // the distances as filled in: 100 * pair + 10 * hypothesis + slot
        for (const DamageDistance &distance : e.distances)
            found << distance.metres - 100 * pair - 10 * int(hypothesis);
        QCOMPARE(found, QList<double>({0, 1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(e.range ? e.range->text() : QString(), offered.value(entry).section(QLatin1Char('/'), 0, 0));
        QVERIFY(e.substance == kTestSubstance && e.hazardClass == &classOf(code) && e.hypothesis == hypothesis
                && e.containment == containment);
        QCOMPARE(e.scenario + ' ' + e.classLabel, scenario + ' ' + QString(code).replace('_', '.'));
    }
};

QTEST_MAIN(EstimateTest)
#include "test_estimate.moc"
