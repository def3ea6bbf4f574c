#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

const QString kClassPrompt = QStringLiteral("visionare le classi cui può appartenere la sostanza prescelta + scelta");
const QString kQuickPickPrompt = QStringLiteral("visionare elenco classi di interesse (solo per sostanze infiammabili)");

using Entries = std::optional<QStringList>;

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
        EstimateCase c(classCode);
        c.data.addPairs();
        const ContainmentOutcome out = c.choose(containment);
        QVERIFY2(out.message.isEmpty(), qPrintable(out.message));
        QCOMPARE(c.state.containmentCode, containment);
        QCOMPARE(c.state.containmentGroup, group);
        QCOMPARE(out.showQuantityList, quantityShown);
        QCOMPARE(out.showDiameterList, diameterShown);
        QCOMPARE(out.enableEstimate, estimateEnabled);
        QVERIFY(out.enableLists);
        QCOMPARE(c.state.classWorkbook.get(), &c.book());
    }

    void refusalsReadNothing_data()
    {
        QTest::addColumn<QString>("classCode");
        QTest::addColumn<QString>("classText"); // empty: the class entry is chosen
        QTest::addColumn<QString>("quickPick");
        QTest::addColumn<QString>("message");
        QTest::newRow("2_3 in a bund") << "2_3" << "" << kQuickPickPrompt << kCompressedGasRefusal;
        QTest::newRow("53 in a bund") << "53" << "" << kQuickPickPrompt << kCompressedGasRefusal;
        QTest::newRow("2_3 in a bund by quick pick") << "1_2" << kClassPrompt << quickPickEntries()[6] << kCompressedGasRefusal;
        // A CAS pick of a toxic substance, then the hypothesis, with no class chosen.
        QTest::newRow("no class determined") << "52" << kClassPrompt << kQuickPickPrompt << kChooseClassFirst;
    }
    void refusalsReadNothing()
    {
        QFETCH(QString, classCode);
        QFETCH(QString, classText);
        QFETCH(QString, quickPick);
        QFETCH(QString, message);
        EstimateCase c(classCode);
        c.lookup();
        if (classText.isEmpty()) {
            classText = classOf(classCode).listEntry;
            ChooseSubstanceClass(c.state, classText);
        }
        const int reads = c.data.totalReads();
        const auto opens = c.data.opener.opened().size();
        const ContainmentOutcome out = ChooseContainment(c.state, c.data.opener, {containmentTypes()[0], classText, quickPick, kLikely});
        QCOMPARE(out.message, message);
        QCOMPARE(out.classChoiceOpen, message == kChooseClassFirst);
        if (message == kChooseClassFirst)
            QVERIFY(!out.classText); // the class list keeps its prompt, ready for a choice
        QVERIFY(!out.showQuantityList && !out.showDiameterList && !out.enableEstimate);
        QVERIFY(!out.quantityEntries && !out.diameterEntries);
        QCOMPARE(c.data.totalReads(), reads);
        QCOMPARE(c.data.opener.opened().size(), opens);
    }

    void quickPickEntryStandsForTheClass()
    {
        EstimateCase c(QStringLiteral("1_2"));
        c.data.book("2_2").setRow(2, "C1", {0, 10, 10, 50});
        c.lookup();
        const ContainmentOutcome out =
            ChooseContainment(c.state, c.data.opener, {containmentTypes()[1], kClassPrompt, quickPickEntries()[5], kAverage});
        QCOMPARE(out.classText, std::optional<QString>(quickPickEntries()[5]));
        QCOMPARE(c.state.result.classLabel, QStringLiteral("2.2"));
        QCOMPARE(c.state.classWorkbook.get(), &c.data.book("2_2"));
        QCOMPARE(c.state.hypothesisCode, 2);
        QCOMPARE(out.quantityEntries, Entries({" 0 -  10", " 10 -  50"}));
    }

    void rangeEntries_data()
    {
        QTest::addColumn<QString>("classCode");
        QTest::addColumn<int>("containment");
        QTest::addColumn<QList<double>>("bounds");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("zero lower bound ends the list") << "1_1_2" << 2 << QList<double>{0, 10, 10, 50, 0, 0, 0, 0}
                                                        << QStringList{" 0 -  10", " 10 -  50"};
        QTest::newRow("empty cells end it too") << "1_1_2" << 2 << QList<double>{0, 10, 10, 50, 50, 200}
                                                << QStringList{" 0 -  10", " 10 -  50", " 50 -  200"};
        QTest::newRow("zero lower bound skipped, later kept")
            << "1_1_2" << 1 << QList<double>{0, 10, 0, 0, 20, 30} << QStringList{" 0 -  10", " 20 -  30"};
        QTest::newRow("all eight") << "1_1_2" << 2 << QList<double>{0.5, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8.25}
                                   << QStringList{" 0.5 -  1", " 1 -  2", " 2 -  3", " 3 -  4", " 4 -  5", " 5 -  6",
                                                  " 6 -  7", " 7 -  8.25"};
        QTest::newRow("the first always, even empty") << "1_1_2" << 2 << QList<double>{} << QStringList{" 0 -  0"};
        QTest::newRow("four diameters for a liquid")
            << "1_2" << 5 << QList<double>{0, 2, 2, 6, 6, 12, 12, 24, 24, 48}
            << QStringList{" 0 -  2", " 2 -  6", " 6 -  12", " 12 -  24"};
        QTest::newRow("five for a gas") << "2_3" << 5 << QList<double>{0, 2, 2, 6, 6, 12, 12, 24, 24, 48}
                                        << QStringList{" 0 -  2", " 2 -  6", " 6 -  12", " 12 -  24", " 24 -  48"};
    }
    void rangeEntries()
    {
        QFETCH(QString, classCode);
        QFETCH(int, containment);
        QFETCH(QList<double>, bounds);
        QFETCH(QStringList, entries);
        EstimateCase c(classCode);
        c.setBounds(containment, bounds);
        const ContainmentOutcome out = c.choose(containment);
        QVERIFY(out.message.isEmpty());
        QCOMPARE(containment == 5 ? out.diameterEntries : out.quantityEntries, Entries(entries));
        QVERIFY(!(containment == 5 ? out.quantityEntries : out.diameterEntries));
        QCOMPARE(c.state.result.classLabel, classOf(classCode).dottedLabel());
    }

    void readsTheWholeRangeTable()
    {
        EstimateCase c(QStringLiteral("2_1_2"));
        c.book().set(4, "C3", 120).set(4, "R10", 10001).set(4, "H7", 33);
        c.choose(4);
        QCOMPARE(c.state.rangeTable[2][0], CellValue::number(120));
        QCOMPARE(c.state.rangeTable[9][15], CellValue::number(10001));
        QCOMPARE(c.state.rangeTable[6][5], CellValue::number(33));
        QCOMPARE(c.book().reads(), 20 + 160); // the lookup's 20 CAS cells, then C1..R10
    }

    void unreadableTablesAreReported()
    {
        EstimateCase text(QStringLiteral("1_1_1"));
        text.book().setRow(1, "C1", {0, 10, "10 t", 50});
        ContainmentOutcome out = text.choose(1);
        QVERIFY(out.message.contains(QStringLiteral("111.xls")) && out.message.contains(QStringLiteral("cella E1")));
        QVERIFY(!out.quantityEntries && !out.showQuantityList && !out.enableLists);

        EstimateCase sheet(QStringLiteral("1_2"));
        sheet.data.opener.add(kDataFolder + QStringLiteral("12.xls"), 3);
        out = sheet.choose(5);
        QVERIFY(out.message.contains(QStringLiteral("12.xls")) && out.message.contains(QStringLiteral("foglio 5")));
        QVERIFY(!out.diameterEntries && !out.showDiameterList);

        EstimateCase pairs(QStringLiteral("52"));
        out = pairs.choose(3);
        QVERIFY(out.message.contains(kRangeCorrespondenceFile));
        QVERIFY(!out.enableEstimate);

        EstimateCase textCode(QStringLiteral("51"));
        textCode.data.addPairs()->setRow(2, "A3", {51, 0, 10, 3, "4"});
        out = textCode.choose(2, kAverage);
        QVERIFY2(out.message.contains(kRangeCorrespondenceFile) && out.message.contains(QStringLiteral("cella E3")),
                 qPrintable(out.message));
        QVERIFY(!out.quantityEntries && !out.enableEstimate);
    }

    void toxicClassReadsTheCorrespondenceRowsOfItsCode()
    {
        EstimateCase c(QStringLiteral("51"));
        auto pairs = c.data.addPairs();
        // Sheet 2 (no bund): rows of class 51 among others; rows 2 and 25 are outside the table.
        const QList<QList<TestCell>> rows{{51, 0, 10, 3, 4}, {4, 0, 10, 9, 9}, {51, 10, 50, 5, 6}, {52, 0, 5, 1, 1}, {51, 50, 200, 7, 8}};
        for (int i = 0; i < rows.size(); ++i)
            pairs->setRow(2, QStringLiteral("A%1").arg(3 + i), rows[i]);
        pairs->setRow(2, "A2", {51, 999}).setRow(2, "A25", {51, 888});
        c.state.pairTable[5] = {CellValue::number(777), CellValue::number(778), {}, {}}; // left from before

        const ContainmentOutcome out = c.choose(2, kAverage);

        QVERIFY2(out.message.isEmpty(), qPrintable(out.message));
        QCOMPARE(c.state.toxicRangeCount, 3);
        QCOMPARE(c.state.pairWorkbook.get(), pairs.get());
        QCOMPARE(c.state.pairTable[1].lowerBound, CellValue::number(10));
        QCOMPARE(c.state.pairTable[1].pairCodeLikely, CellValue::number(5));
        QCOMPARE(c.state.pairTable[1].pairCodeAverage, CellValue::number(6));
        QVERIFY(c.state.pairTable[5].lowerBound.isEmpty());
        QCOMPARE(c.state.rangeTable[0][5], CellValue::number(200));
        QCOMPARE(out.quantityEntries, Entries({" 0 -  10", " 10 -  50", " 50 -  200"}));
        QCOMPARE(c.state.hypothesisCode, 2);

        // At most ten rows a class.
        for (int row = 3; row <= 13; ++row)
            pairs->setRow(1, QStringLiteral("A%1").arg(row), {51, row});
        const ContainmentOutcome tooMany = c.choose(1);
        QVERIFY(tooMany.message.contains(QStringLiteral("più di 10 righe per la classe 51")));
        QVERIFY(!tooMany.quantityEntries && !tooMany.showQuantityList);
    }
};

QTEST_MAIN(ContainmentTest)
#include "test_containment.moc"
