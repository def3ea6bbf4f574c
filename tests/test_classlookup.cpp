#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

QStringList entriesOf(const QStringList &codes)
{
    QStringList entries;
    for (const QString &code : codes)
        entries << classOf(code).listEntry;
    return entries;
}

} // namespace

class ClassLookupTest : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data()
    {
        QTest::addColumn<QStringList>("rows"); // "class:row[:zone]" cells holding the searched CAS
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("classCode");
        QTest::addColumn<CellValue>("zone"); // empty when no toxic class is found
        QTest::addColumn<bool>("gas");
        QTest::newRow("flammable and toxic in table order, gas flag of the last")
            << QStringList{"52:9:14", "2_1_2:2", "1_2:23"} << QStringList{"1_2", "2_1_2", "52"} << 52
            << CellValue::number(14) << true;
        QTest::newRow("toxic liquid last") << QStringList{"2_2:1", "4:4:3"} << QStringList{"2_2", "4"} << 4
                                           << CellValue::number(3) << false;
        QTest::newRow("duplicate rows: twice, the later zone")
            << QStringList{"51:5:2", "51:25:7"} << QStringList{"51", "51"} << 51 << CellValue::number(7) << true;
        QTest::newRow("compressed gas") << QStringList{"2_3:37"} << QStringList{"2_3"} << 23 << CellValue() << true;
        QTest::newRow("flammable only: nothing of the earlier substance kept")
            << QStringList{"1_1_1:4"} << QStringList{"1_1_1"} << 0 << CellValue() << false;
        QTest::newRow("first and last searched rows")
            << QStringList{"1_1_1:1", "1_1_1:80", "1_2:23", "2_3:37", "4:4", "4:75", "51:25", "53:28"}
            << QStringList{"1_1_1", "1_1_1", "1_2", "2_3", "4", "4", "51", "53"} << 53 << CellValue::number(1) << true;
        QTest::newRow("rows outside the searched ranges")
            << QStringList{"1_1_1:81", "1_2:24", "2_3:38", "4:3", "4:76", "51:26", "53:1"} << QStringList{} << 0
            << CellValue() << false;
    }
    void lookup()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, entries);
        QFETCH(int, classCode);
        QFETCH(CellValue, zone);
        QFETCH(bool, gas);
        EstimateWorkbooks data;
        for (const QString &row : rows) {
            const QStringList parts = row.split(QLatin1Char(':'));
            data.put(parts[0], parts[1].toInt(), kTestCas, parts.value(2, QStringLiteral("1")).toInt());
        }
        ProgramState state; // as left by a toxic gas looked up before
        state.toxicClassFound = state.gasClass = true;
        state.classCode = 53;
        state.toxicZone = CellValue::number(5);

        const ClassLookupResult result = LookupSubstanceClasses(state, data.opener, kTestCas);

        QVERIFY(!result.error);
        QCOMPARE(result.entries, entriesOf(entries));
        QCOMPARE(state.toxicClassFound, !zone.isEmpty());
        QCOMPARE(state.classCode, classCode);
        QCOMPARE(state.toxicZone.kind(), zone.kind());
        QCOMPARE(state.toxicZone, zone);
        QCOMPARE(state.gasClass, gas);
    }

    void casIsComparedExactly_data()
    {
        QTest::addColumn<CellValue>("cell");
        QTest::addColumn<QString>("searched");
        QTest::addColumn<bool>("found");
        QTest::newRow("same text") << CellValue::text(kTestCas) << kTestCas << true;
        QTest::newRow("blank after the search") << CellValue::text(kTestCas) << kTestCas + QLatin1Char(' ') << false;
        QTest::newRow("CAS stored as a number") << CellValue::number(7664417) << QStringLiteral("7664417") << false;
        // An empty cell equals the empty text: a plain comparison would list every class 424 times.
        QTest::newRow("empty search, empty cells") << CellValue() << QString() << false;
    }
    void casIsComparedExactly()
    {
        QFETCH(CellValue, cell);
        QFETCH(QString, searched);
        QFETCH(bool, found);
        EstimateWorkbooks data;
        data.book(QStringLiteral("1_1_2")).set(6, QStringLiteral("A10"), cell);
        ProgramState state;
        QCOMPARE(LookupSubstanceClasses(state, data.opener, searched).entries.size(), found ? 1 : 0);
    }

    void opensAllElevenTablesAndReadsEachSearchedCellOnce()
    {
        EstimateWorkbooks data;
        ProgramState state;
        QList<int> steps;
        const auto result = LookupSubstanceClasses(state, data.opener, kTestCas, [&](int step) { steps << step; });
        QVERIFY(!result.error);
        QCOMPARE(steps, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QCOMPARE(data.opener.opened().size(), 11);
        for (std::size_t i = 0; i < 11; ++i)
            QCOMPARE(state.classWorkbooks[i].get(), data.classBooks[i].get());
        // 280 CAS cells of the flammable tables, 144 rows of two cells in the toxic ones.
        QCOMPARE(data.totalReads(), 280 + 2 * 144);
    }

    void workbookFailuresStopTheLookupKeepingWhatWasFound()
    {
        MemoryWorkbookOpener opener; // the tables up to class 4, which holds the CAS; 51 is missing
        for (std::size_t i = 0; i < 8; ++i)
            opener.add(kDataFolder + hazardClasses()[i].workbookFile, i < 7 ? 6 : 2);
        opener.add(kDataFolder + hazardClasses()[7].workbookFile, 2)->set(1, QStringLiteral("C4"), CellValue::text(kTestCas));
        ProgramState state;
        QList<int> steps;
        const auto result = LookupSubstanceClasses(state, opener, kTestCas, [&](int s) { steps << s; });
        QVERIFY(result.error.has_value());
        QCOMPARE(result.error->kind, WorkbookError::Kind::MissingFile);
        QVERIFY(result.error->message().contains(QStringLiteral("classe 51 tabelle nomi e indicazione zone.xls")));
        QCOMPARE(result.entries, entriesOf({"4"}));
        QCOMPARE(steps.last(), 9);
        QVERIFY(state.classWorkbooks[7] && !state.classWorkbooks[8]);

        EstimateWorkbooks data; // a class table without the worksheet of its substances
        data.opener.add(kDataFolder + QStringLiteral("12.xls"), 2);
        const auto noSheet = LookupSubstanceClasses(state, data.opener, kTestCas);
        QVERIFY(noSheet.error.has_value());
        QCOMPARE(noSheet.error->sheet, 6);
        QVERIFY(noSheet.error->message().contains(QStringLiteral("12.xls")));
    }

    void classChoice_data()
    {
        QTest::addColumn<bool>("toxicBefore");
        QTest::addColumn<int>("codeBefore");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("toxicAfter");
        QTest::addColumn<int>("codeAfter");
        QTest::newRow("toxic 4") << true << 51 << classOf("4").listEntry << true << 4;
        QTest::newRow("toxic 53") << true << 4 << classOf("53").listEntry << true << 53;
        QTest::newRow("flammable after a toxic match") << true << 52 << classOf("2_1_2").listEntry << false << 0;
        QTest::newRow("2_3 after a toxic match") << true << 53 << classOf("2_3").listEntry << false << 23;
        QTest::newRow("flammable keeps the lookup's code") << false << 23 << classOf("2_2").listEntry << false << 23;
        QTest::newRow("toxic entry with a blank more") << true << 52 << classOf("52").listEntry + QLatin1Char(' ') << false << 0;
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
        ChooseSubstanceClass(state, entry);
        QCOMPARE(state.toxicClassFound, toxicAfter);
        QCOMPARE(state.classCode, codeAfter);
        QCOMPARE(state.toxicZone, CellValue::number(9));
    }
};

QTEST_MAIN(ClassLookupTest)
#include "test_classlookup.moc"
