#include "app/ProgramState.h"
#include "catalogue/ClassLookup.h"
#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

const QString kAmmonia = QStringLiteral("7664-41-7");

// Puts a CAS number into a flammable table (worksheet 6, column A).
void putFlammable(EstimateWorkbooks &data, const QString &code, int row, const QString &cas)
{
    data.book(code).set(6, QStringLiteral("A%1").arg(row), CellValue::text(cas));
}

// Puts a CAS number with its zone into a toxic table (worksheet 1, zone in A, CAS in C).
void putToxic(EstimateWorkbooks &data, const QString &code, int row, const QString &cas, const CellValue &zone)
{
    data.book(code).set(1, QStringLiteral("A%1").arg(row), zone).set(1, QStringLiteral("C%1").arg(row), CellValue::text(cas));
}

const QString &entryOf(const QString &code)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == code)
            return hazard.listEntry;
    }
    qFatal("no class");
}

} // namespace

class ClassLookupTest : public QObject
{
    Q_OBJECT

private slots:
    void flammableAndToxicSubstanceGetsBothEntriesInTableOrder()
    {
        EstimateWorkbooks data;
        putToxic(data, QStringLiteral("52"), 9, kAmmonia, CellValue::number(14));
        putFlammable(data, QStringLiteral("2_1_2"), 2, kAmmonia);
        putFlammable(data, QStringLiteral("1_2"), 23, kAmmonia);
        ProgramState state;

        const ClassLookupResult result = LookupSubstanceClasses(state, data.opener, kAmmonia);

        QVERIFY(!result.error);
        QCOMPARE(result.entries, QStringList({entryOf("1_2"), entryOf("2_1_2"), entryOf("52")}));
        QVERIFY(state.toxicClassFound);
        QCOMPARE(state.classCode, 52);
        QCOMPARE(state.toxicZone, CellValue::number(14));
        QVERIFY(state.gasClass); // the last match, class 52, is a gas
    }

    void gasFlagDescribesTheLastClassFound()
    {
        EstimateWorkbooks data;
        putFlammable(data, QStringLiteral("2_2"), 1, kAmmonia);
        putToxic(data, QStringLiteral("4"), 4, kAmmonia, CellValue::number(3)); // a liquid, last
        ProgramState state;
        state.gasClass = true;
        const ClassLookupResult result = LookupSubstanceClasses(state, data.opener, kAmmonia);
        QCOMPARE(result.entries.size(), 2);
        QVERIFY(!state.gasClass);
        QCOMPARE(state.classCode, 4);
    }

    void duplicateRowsGiveTheEntryTwiceAndTheLaterZone()
    {
        EstimateWorkbooks data;
        putToxic(data, QStringLiteral("51"), 5, kAmmonia, CellValue::number(2));
        putToxic(data, QStringLiteral("51"), 25, kAmmonia, CellValue::number(7));
        ProgramState state;
        const ClassLookupResult result = LookupSubstanceClasses(state, data.opener, kAmmonia);
        QCOMPARE(result.entries, QStringList({entryOf("51"), entryOf("51")}));
        QCOMPARE(state.toxicZone, CellValue::number(7));
    }

    void onlyTheSearchedRowsCount_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("found");
        QTest::newRow("1_1_1 row 1") << "1_1_1" << 1 << true;
        QTest::newRow("1_1_1 row 80") << "1_1_1" << 80 << true;
        QTest::newRow("1_1_1 row 81") << "1_1_1" << 81 << false;
        QTest::newRow("1_2 row 23") << "1_2" << 23 << true;
        QTest::newRow("1_2 row 24") << "1_2" << 24 << false;
        QTest::newRow("2_3 row 37") << "2_3" << 37 << true;
        QTest::newRow("2_3 row 38") << "2_3" << 38 << false;
        QTest::newRow("4 row 3") << "4" << 3 << false;
        QTest::newRow("4 row 4") << "4" << 4 << true;
        QTest::newRow("4 row 75") << "4" << 75 << true;
        QTest::newRow("4 row 76") << "4" << 76 << false;
        QTest::newRow("51 row 25") << "51" << 25 << true;
        QTest::newRow("51 row 26") << "51" << 26 << false;
        QTest::newRow("53 row 1") << "53" << 1 << false;
        QTest::newRow("53 row 28") << "53" << 28 << true;
    }
    void onlyTheSearchedRowsCount()
    {
        QFETCH(QString, code);
        QFETCH(int, row);
        QFETCH(bool, found);
        EstimateWorkbooks data;
        const bool toxic = code.startsWith(QLatin1Char('4')) || code.startsWith(QLatin1Char('5'));
        if (toxic)
            putToxic(data, code, row, kAmmonia, CellValue::number(1));
        else
            putFlammable(data, code, row, kAmmonia);
        ProgramState state;
        const ClassLookupResult result = LookupSubstanceClasses(state, data.opener, kAmmonia);
        QCOMPARE(result.entries.size(), found ? 1 : 0);
    }

    void casIsComparedExactly_data()
    {
        QTest::addColumn<CellValue>("cell");
        QTest::addColumn<QString>("searched");
        QTest::addColumn<bool>("found");
        QTest::newRow("same text") << CellValue::text(kAmmonia) << kAmmonia << true;
        QTest::newRow("cell with trailing blank") << CellValue::text(kAmmonia + QLatin1Char(' ')) << kAmmonia << false;
        QTest::newRow("search with trailing blank") << CellValue::text(kAmmonia) << kAmmonia + QLatin1Char(' ') << false;
        QTest::newRow("number cell") << CellValue::number(7664417) << QStringLiteral("7664417") << false;
        QTest::newRow("prompt text in a cell") << CellValue::text(QStringLiteral("CAS")) << QStringLiteral("CAS") << true;
        QTest::newRow("case counts") << CellValue::text(QStringLiteral("cas")) << QStringLiteral("CAS") << false;
    }
    void casIsComparedExactly()
    {
        QFETCH(CellValue, cell);
        QFETCH(QString, searched);
        QFETCH(bool, found);
        EstimateWorkbooks data;
        data.book(QStringLiteral("1_1_2")).set(6, QStringLiteral("A10"), cell);
        ProgramState state;
        const ClassLookupResult result = LookupSubstanceClasses(state, data.opener, searched);
        QCOMPARE(result.entries.size(), found ? 1 : 0);
    }

    void emptySearchTextDoesNotMatchTheEmptyRows()
    {
        // Every searched cell is empty here; an empty CAS text must still find nothing (an empty
        // cell equals the empty text, so a plain comparison would list every class 424 times).
        EstimateWorkbooks data;
        ProgramState state;
        const ClassLookupResult result = LookupSubstanceClasses(state, data.opener, QString());
        QVERIFY(!result.error);
        QCOMPARE(result.entries.size(), 0);
        QVERIFY(!state.toxicClassFound);
    }

    void everyLookupStartsFromACleanSlate()
    {
        EstimateWorkbooks data;
        putToxic(data, QStringLiteral("53"), 4, kAmmonia, CellValue::number(5));
        putFlammable(data, QStringLiteral("1_1_1"), 4, QStringLiteral("64-19-7"));
        ProgramState state;
        (void)LookupSubstanceClasses(state, data.opener, kAmmonia);
        QVERIFY(state.toxicClassFound);

        const ClassLookupResult second = LookupSubstanceClasses(state, data.opener, QStringLiteral("64-19-7"));
        QCOMPARE(second.entries, QStringList({entryOf("1_1_1")}));
        QVERIFY(!state.toxicClassFound);
        QCOMPARE(state.classCode, 0);
        QVERIFY(state.toxicZone.isEmpty());
        QVERIFY(!state.gasClass);
    }

    void compressedGasSetsItsCode()
    {
        EstimateWorkbooks data;
        putFlammable(data, QStringLiteral("2_3"), 37, kAmmonia);
        ProgramState state;
        (void)LookupSubstanceClasses(state, data.opener, kAmmonia);
        QCOMPARE(state.classCode, 23);
        QVERIFY(!state.toxicClassFound);
        QVERIFY(state.gasClass);
    }

    void opensAllElevenTablesAndReadsEachSearchedCellOnce()
    {
        EstimateWorkbooks data;
        ProgramState state;
        QList<int> steps;
        const ClassLookupResult result =
            LookupSubstanceClasses(state, data.opener, kAmmonia, [&](int step) { steps << step; });
        QVERIFY(!result.error);
        QCOMPARE(steps, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QStringList expectedPaths;
        for (const HazardClass &hazard : hazardClasses())
            expectedPaths << kDataFolder + hazard.workbookFile;
        QCOMPARE(data.opener.opened(), expectedPaths);
        for (std::size_t i = 0; i < 11; ++i)
            QCOMPARE(state.classWorkbooks[i].get(), data.classBooks[i].get());
        // 280 CAS cells of the flammable tables, 144 rows of two cells in the toxic ones.
        QCOMPARE(data.totalReads(), 280 + 2 * 144);
    }

    void missingWorkbookStopsTheLookupKeepingWhatWasFound()
    {
        MemoryWorkbookOpener opener;
        const auto &classes = hazardClasses();
        for (std::size_t i = 0; i < 8; ++i) // up to class 4; 51 is missing
            opener.add(kDataFolder + classes[i].workbookFile, classes[i].isToxic() ? 2 : 6);
        opener.add(kDataFolder + classes[7].workbookFile, 2)->set(1, QStringLiteral("C4"), CellValue::text(kAmmonia));
        ProgramState state;
        QList<int> steps;
        const ClassLookupResult result = LookupSubstanceClasses(state, opener, kAmmonia, [&](int s) { steps << s; });
        QVERIFY(result.error.has_value());
        QCOMPARE(result.error->kind, WorkbookError::Kind::MissingFile);
        QVERIFY(result.error->message().contains(QStringLiteral("classe 51 tabelle nomi e indicazione zone.xls")));
        QCOMPARE(result.entries, QStringList({entryOf("4")}));
        QCOMPARE(steps.last(), 9);
        QVERIFY(state.classWorkbooks[7] != nullptr);
        QVERIFY(state.classWorkbooks[8] == nullptr);
    }

    void workbookWithoutTheTableSheetIsReported()
    {
        EstimateWorkbooks data;
        data.opener.add(kDataFolder + QStringLiteral("12.xls"), 2); // replaces the six-sheet one
        ProgramState state;
        const ClassLookupResult result = LookupSubstanceClasses(state, data.opener, kAmmonia);
        QVERIFY(result.error.has_value());
        QCOMPARE(result.error->kind, WorkbookError::Kind::NoSuchSheet);
        QCOMPARE(result.error->sheet, 6);
        QVERIFY(result.error->message().contains(QStringLiteral("12.xls")));
    }

    void classChoice_data()
    {
        QTest::addColumn<bool>("toxicBefore");
        QTest::addColumn<int>("codeBefore");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("toxicAfter");
        QTest::addColumn<int>("codeAfter");
        QTest::newRow("toxic 4") << true << 51 << entryOf("4") << true << 4;
        QTest::newRow("toxic 51") << true << 4 << entryOf("51") << true << 51;
        QTest::newRow("toxic 52") << true << 4 << entryOf("52") << true << 52;
        QTest::newRow("toxic 53") << true << 4 << entryOf("53") << true << 53;
        QTest::newRow("flammable after toxic match") << true << 52 << entryOf("2_1_2") << false << 0;
        QTest::newRow("2_3 after toxic match") << true << 53 << entryOf("2_3") << false << 23;
        QTest::newRow("2_3 without toxic match") << false << 0 << entryOf("2_3") << false << 23;
        QTest::newRow("flammable keeps lookup code") << false << 23 << entryOf("2_2") << false << 23;
        QTest::newRow("toxic entry with a blank more") << true << 52 << entryOf("52") + QLatin1Char(' ') << false << 0;
    }
    void classChoice()
    {
        QFETCH(bool, toxicBefore);
        QFETCH(int, codeBefore);
        QFETCH(QString, entry);
        QFETCH(bool, toxicAfter);
        QFETCH(int, codeAfter);
        ProgramState state;
        state.toxicClassFound = toxicBefore;
        state.classCode = codeBefore;
        state.toxicZone = CellValue::number(9);
        state.gasClass = true;
        ChooseSubstanceClass(state, entry);
        QCOMPARE(state.toxicClassFound, toxicAfter);
        QCOMPARE(state.classCode, codeAfter);
        QCOMPARE(state.toxicZone, CellValue::number(9));
        QVERIFY(state.gasClass);
    }
};

QTEST_MAIN(ClassLookupTest)
#include "test_classlookup.moc"
