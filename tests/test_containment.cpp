#include "app/ProgramState.h"
#include "catalogue/ClassLookup.h"
#include "estimate/ContainmentChoice.h"
#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

const QString kClassPrompt = QStringLiteral("visionare le classi cui può appartenere la sostanza prescelta + scelta");
const QString kQuickPickPrompt = QStringLiteral("visionare elenco classi di interesse (solo per sostanze infiammabili)");
const QString kLikely = QStringLiteral("Ipotesi più probabile");
const QString kAverage = QStringLiteral("Ipotesi media");
const QString kCas = QStringLiteral("7664-41-7");

const HazardClass &classOf(const QString &code)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == code)
            return hazard;
    }
    qFatal("no class");
}

// A substance found in the tables of the given classes, looked up and (when `chosen` is set) chosen.
struct Fixture
{
    EstimateWorkbooks data;
    ProgramState state;

    explicit Fixture(const QStringList &codes)
    {
        for (const QString &code : codes) {
            const HazardClass &hazard = classOf(code);
            MemoryWorkbook &book = data.book(code);
            if (hazard.isToxic())
                book.set(1, QStringLiteral("A4"), 3.0).set(1, QStringLiteral("C4"), CellValue::text(kCas));
            else
                book.set(6, QStringLiteral("A1"), CellValue::text(kCas));
        }
        (void)LookupSubstanceClasses(state, data.opener, kCas);
    }
    ContainmentOutcome choose(const QString &code, int containment, const QString &hypothesis = kLikely)
    {
        const QString entry = classOf(code).listEntry;
        ChooseSubstanceClass(state, entry);
        return ChooseContainment(state, data.opener,
                                 {containmentTypes()[std::size_t(containment - 1)], entry, kQuickPickPrompt, hypothesis});
    }
    // Row 1 of a distance worksheet: the bounds of the eight pairs (C,D) ... (Q,R).
    void setBounds(const QString &code, int sheet, const QList<double> &bounds)
    {
        for (int i = 0; i < bounds.size(); ++i)
            data.book(code).set(sheet, QStringLiteral("%1%2").arg(QChar('C' + i)).arg(1), bounds[i]);
    }
};

} // namespace

class ContainmentTest : public QObject
{
    Q_OBJECT

private slots:
    void codesAndGroups_data()
    {
        QTest::addColumn<QString>("classCode");
        QTest::addColumn<int>("containment");
        QTest::addColumn<int>("group");
        QTest::addColumn<bool>("quantityShown");
        QTest::addColumn<bool>("diameterShown");
        QTest::addColumn<bool>("estimateEnabled");
        QTest::newRow("bund") << "1_1_1" << 1 << 1 << true << false << false;
        QTest::newRow("no bund") << "1_1_1" << 2 << 2 << true << false << false;
        QTest::newRow("tanker liquid") << "1_1_1" << 3 << 1 << false << false << true;
        QTest::newRow("tanker 51") << "51" << 3 << 1 << false << false << true;
        QTest::newRow("tanker 53") << "53" << 3 << 2 << false << false << true;
        QTest::newRow("tanker 2_3") << "2_3" << 3 << 1 << false << false << true;
        QTest::newRow("ship") << "2_2" << 4 << 2 << false << false << true;
        QTest::newRow("pipeline") << "2_2" << 5 << 2 << false << true << false;
    }
    void codesAndGroups()
    {
        QFETCH(QString, classCode);
        QFETCH(int, containment);
        QFETCH(int, group);
        QFETCH(bool, quantityShown);
        QFETCH(bool, diameterShown);
        QFETCH(bool, estimateEnabled);
        Fixture f({classCode});
        if (classOf(classCode).isToxic())
            f.data.addPairs();
        const ContainmentOutcome out = f.choose(classCode, containment);
        QVERIFY2(out.message.isEmpty(), qPrintable(out.message));
        QCOMPARE(f.state.containmentCode, containment);
        QCOMPARE(f.state.containmentGroup, group);
        QCOMPARE(out.showQuantityList, quantityShown);
        QCOMPARE(out.showDiameterList, diameterShown);
        QCOMPARE(out.enableEstimate, estimateEnabled);
        QVERIFY(out.enableLists);
        QCOMPARE(f.state.classWorkbook.get(), &f.data.book(classCode));
    }

    void compressedGasInABundIsRefusedWithoutReading_data()
    {
        QTest::addColumn<QString>("classCode");
        QTest::newRow("2_3") << "2_3";
        QTest::newRow("53") << "53";
    }
    void compressedGasInABundIsRefusedWithoutReading()
    {
        QFETCH(QString, classCode);
        Fixture f({classCode});
        const int readsBefore = f.data.totalReads();
        const int opensBefore = int(f.data.opener.opened().size());
        const ContainmentOutcome out = f.choose(classCode, 1);
        QCOMPARE(out.message, QStringLiteral("Scelta non valida per i gas compressi"));
        QVERIFY(!out.showQuantityList);
        QVERIFY(!out.showDiameterList);
        QVERIFY(!out.enableEstimate);
        QVERIFY(!out.quantityEntries);
        QCOMPARE(f.state.containmentCode, 1);
        QCOMPARE(f.state.containmentGroup, 1);
        QCOMPARE(f.data.totalReads(), readsBefore);
        QCOMPARE(int(f.data.opener.opened().size()), opensBefore);
    }

    void quickPickOfCompressedGasIsRefusedInABundToo()
    {
        Fixture f({});
        const ContainmentOutcome out = ChooseContainment(
            f.state, f.data.opener, {containmentTypes()[0], kClassPrompt, quickPickEntries()[6], kLikely});
        QCOMPARE(out.message, QStringLiteral("Scelta non valida per i gas compressi"));
        QVERIFY(!out.showQuantityList);
    }

    void quickPickEntryStandsForTheClass()
    {
        Fixture f({});
        f.setBounds("2_2", 2, {0, 10, 10, 50});
        const ContainmentOutcome out = ChooseContainment(
            f.state, f.data.opener, {containmentTypes()[1], kClassPrompt, quickPickEntries()[5], kAverage});
        QCOMPARE(out.classText, std::optional<QString>(quickPickEntries()[5]));
        QCOMPARE(f.state.result.classLabel, QStringLiteral("2.2"));
        QCOMPARE(f.state.classWorkbook.get(), &f.data.book("2_2"));
        QCOMPARE(f.state.hypothesisCode, 2);
        QCOMPARE(out.quantityEntries, std::optional<QStringList>(QStringList({" 0 -  10", " 10 -  50"})));
    }

    void noDeterminableClassAsksForTheClassAndReadsNothing()
    {
        // A CAS pick, then the hypothesis, with no class chosen and no quick pick.
        Fixture f({"1_1_1", "52"});
        const int reads = f.data.totalReads();
        const int opens = int(f.data.opener.opened().size());
        const ContainmentOutcome out = ChooseContainment(
            f.state, f.data.opener, {containmentTypes()[1], kClassPrompt, kQuickPickPrompt, kLikely});
        QCOMPARE(out.message, kChooseClassFirst);
        QVERIFY(out.classChoiceOpen);
        QVERIFY(!out.classText); // the class list keeps its prompt, ready for a choice
        QVERIFY(!out.showQuantityList && !out.showDiameterList && !out.enableEstimate);
        QCOMPARE(f.data.totalReads(), reads);
        QCOMPARE(int(f.data.opener.opened().size()), opens);
    }

    void quantityEntriesStopAtZeroLowerBounds_data()
    {
        QTest::addColumn<QList<double>>("bounds");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("two ranges") << QList<double>{0, 10, 10, 50, 0, 0, 0, 0} << QStringList{" 0 -  10", " 10 -  50"};
        QTest::newRow("empty cells after") << QList<double>{0, 10, 10, 50, 50, 200} << QStringList{" 0 -  10", " 10 -  50", " 50 -  200"};
        QTest::newRow("zero lower bound skipped, later kept")
            << QList<double>{0, 10, 0, 0, 20, 30} << QStringList{" 0 -  10", " 20 -  30"};
        QTest::newRow("all eight") << QList<double>{0.5, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8.25}
                                   << QStringList{" 0.5 -  1", " 1 -  2", " 2 -  3", " 3 -  4", " 4 -  5", " 5 -  6", " 6 -  7", " 7 -  8.25"};
        QTest::newRow("first always, even empty") << QList<double>{} << QStringList{" 0 -  0"};
    }
    void quantityEntriesStopAtZeroLowerBounds()
    {
        QFETCH(QList<double>, bounds);
        QFETCH(QStringList, entries);
        Fixture f({"1_1_2"});
        f.setBounds("1_1_2", 2, bounds);
        const ContainmentOutcome out = f.choose("1_1_2", 2);
        QVERIFY(out.message.isEmpty());
        QCOMPARE(out.quantityEntries, std::optional<QStringList>(entries));
        QVERIFY(!out.diameterEntries);
    }

    void pipelineOffersFiveDiametersForGasesOnly_data()
    {
        QTest::addColumn<QString>("classCode");
        QTest::addColumn<int>("count");
        QTest::newRow("liquid 1_2") << "1_2" << 4;
        QTest::newRow("gas 2_1_1") << "2_1_1" << 5;
        QTest::newRow("gas 2_3") << "2_3" << 5;
    }
    void pipelineOffersFiveDiametersForGasesOnly()
    {
        QFETCH(QString, classCode);
        QFETCH(int, count);
        Fixture f({classCode});
        f.setBounds(classCode, 5, {0, 2, 2, 6, 6, 12, 12, 24, 24, 48});
        const ContainmentOutcome out = f.choose(classCode, 5);
        QVERIFY(out.diameterEntries.has_value());
        QCOMPARE(out.diameterEntries->size(), count);
        QCOMPARE(out.diameterEntries->at(3), QStringLiteral(" 12 -  24"));
        QVERIFY(!out.quantityEntries);
        QCOMPARE(f.state.result.classLabel, classOf(classCode).dottedLabel());
    }

    void readsTheWholeRangeTable()
    {
        Fixture f({"2_1_2"});
        f.data.book("2_1_2").set(4, "C3", 120.0).set(4, "R10", 10001.0).set(4, "H7", 33.0);
        (void)f.choose("2_1_2", 4);
        QCOMPARE(f.state.rangeTable[2][0], CellValue::number(120));
        QCOMPARE(f.state.rangeTable[9][15], CellValue::number(10001));
        QCOMPARE(f.state.rangeTable[6][5], CellValue::number(33));
        QCOMPARE(f.data.book("2_1_2").reads(), 20 + 160); // the lookup's 20 CAS cells, then C1..R10
    }

    void textBoundIsRefused()
    {
        Fixture f({"1_1_1"});
        f.setBounds("1_1_1", 1, {0, 10});
        f.data.book("1_1_1").set(1, "E1", "10 t").set(1, "F1", 50.0);
        const ContainmentOutcome out = f.choose("1_1_1", 1);
        QVERIFY(out.message.contains(QStringLiteral("111.xls")));
        QVERIFY(out.message.contains(QStringLiteral("cella E1")));
        QVERIFY(!out.quantityEntries);
        QVERIFY(!out.showQuantityList && !out.enableLists);
    }

    void missingWorksheetIsReported()
    {
        Fixture f({"1_2"});
        f.data.opener.add(kDataFolder + QStringLiteral("12.xls"), 3);
        f.state.classWorkbooks[2] = nullptr; // as after a lookup that stopped early
        const ContainmentOutcome out = f.choose("1_2", 5);
        QVERIFY(out.message.contains(QStringLiteral("12.xls")));
        QVERIFY(out.message.contains(QStringLiteral("foglio 5")));
        QVERIFY(!out.diameterEntries && !out.showDiameterList);
    }

    void toxicClassReadsTheCorrespondenceRowsOfItsCode()
    {
        Fixture f({"51"});
        auto pairs = f.data.addPairs();
        // Sheet 2 (no bund): rows of class 51 among others; row 2 and row 25 are outside the table.
        const QList<QList<double>> rows{{51, 0, 10, 3, 4}, {4, 0, 10, 9, 9}, {51, 10, 50, 5, 6}, {52, 0, 5, 1, 1}, {51, 50, 200, 7, 8}};
        for (int i = 0; i < rows.size(); ++i) {
            for (int c = 0; c < 5; ++c)
                pairs->set(2, QStringLiteral("%1%2").arg(QChar('A' + c)).arg(3 + i), rows[i][c]);
        }
        pairs->set(2, "A2", 51.0).set(2, "B2", 999.0).set(2, "A25", 51.0).set(2, "B25", 888.0);
        f.state.pairTable[5] = {CellValue::number(777), CellValue::number(778), {}, {}}; // left from before

        const ContainmentOutcome out = f.choose("51", 2, kAverage);

        QVERIFY2(out.message.isEmpty(), qPrintable(out.message));
        QCOMPARE(f.state.toxicRangeCount, 3);
        QCOMPARE(f.state.pairWorkbook.get(), pairs.get());
        QCOMPARE(f.state.pairTable[1].lowerBound, CellValue::number(10));
        QCOMPARE(f.state.pairTable[1].pairCodeLikely, CellValue::number(5));
        QCOMPARE(f.state.pairTable[1].pairCodeAverage, CellValue::number(6));
        QVERIFY(f.state.pairTable[5].lowerBound.isEmpty());
        QCOMPARE(f.state.rangeTable[0][4], CellValue::number(50));
        QCOMPARE(f.state.rangeTable[0][5], CellValue::number(200));
        QCOMPARE(out.quantityEntries, std::optional<QStringList>(QStringList({" 0 -  10", " 10 -  50", " 50 -  200"})));
        QCOMPARE(f.state.classWorkbook.get(), &f.data.book("51"));
        QCOMPARE(f.state.hypothesisCode, 2);
    }

    void toxicClassWithoutCorrespondenceRows()
    {
        Fixture f({"4"});
        f.data.addPairs();
        const ContainmentOutcome out = f.choose("4", 1);
        QVERIFY(out.message.isEmpty());
        QCOMPARE(f.state.toxicRangeCount, 0);
        QCOMPARE(out.quantityEntries, std::optional<QStringList>(QStringList({" 0 -  0"})));
    }

    void moreThanTenCorrespondenceRowsAreRefused()
    {
        Fixture f({"52"});
        auto pairs = f.data.addPairs();
        for (int row = 3; row <= 13; ++row)
            pairs->set(1, QStringLiteral("A%1").arg(row), 52.0).set(1, QStringLiteral("B%1").arg(row), double(row));
        const ContainmentOutcome out = f.choose("52", 1);
        QVERIFY(out.message.contains(QStringLiteral("più di 10 righe per la classe 52")));
        QVERIFY(!out.quantityEntries && !out.showQuantityList);
    }

    void missingCorrespondenceWorkbookIsReported()
    {
        Fixture f({"52"});
        const ContainmentOutcome out = f.choose("52", 3);
        QVERIFY(out.message.contains(kRangeCorrespondenceFile));
        QVERIFY(!out.enableEstimate);
    }
};

QTEST_MAIN(ContainmentTest)
#include "test_containment.moc"
