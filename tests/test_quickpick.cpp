#include "app/ProgramState.h"
#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "catalogue/QuickPick.h"

#include <QtTest>

namespace {

// The catalogue pairs as the load step keeps them.
ProgramState loadedState()
{
    ProgramState state;
    const auto &rows = Catalogue::substances();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        state.savedCatalogueNames[i] = rows[i].name;
        state.savedCatalogueCas[i] = rows[i].cas;
    }
    state.savedNameCount = state.savedCasCount = static_cast<int>(rows.size());
    return state;
}

int catalogueRowOf(const QString &name)
{
    const auto &rows = Catalogue::substances();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

class QuickPickTest : public QObject
{
    Q_OBJECT

private slots:
    void recognisesEachEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("code");
        const QStringList codes{"1_1_1", "1_1_2", "1_2", "2_1_1", "2_1_2", "2_2", "2_3"};
        for (std::size_t i = 0; i < kFlammableClassCount; ++i)
            QTest::newRow(qPrintable(codes[int(i)])) << quickPickEntries()[i] << codes[int(i)];
        QTest::newRow("bare 1_2") << "1_2" << "1_2";
        QTest::newRow("prompt") << "visionare elenco classi di interesse (solo per sostanze infiammabili)" << "";
        QTest::newRow("1_3 is no class") << "1_3     Liquidi" << "";
        QTest::newRow("leading blank") << " 1_1_1   Liquidi" << "";
    }
    void recognisesEachEntry()
    {
        QFETCH(QString, entry);
        QFETCH(QString, code);
        QCOMPARE(QuickPickClassCode(entry), code);
    }

    void fillsTheListsOfTheClass_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("casCount");
        QTest::addColumn<int>("nameCount");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("lastName");
        QTest::newRow("1_1_1: 127-19-5 has no name") << 0 << 70 << 69 << "Acido acetico" << "Xilene(p-)";
        QTest::newRow("1_2") << 2 << 23 << 23 << "Acetaldeide" << "Vinilidene cloruro";
        QTest::newRow("2_2") << 5 << 36 << 36 << "Acetilene" << "Vinilidene fluoruro";
        QTest::newRow("2_3 with hydrogen") << 6 << 37 << 37 << "Acetilene" << "Vinilidene fluoruro";
    }
    void fillsTheListsOfTheClass()
    {
        QFETCH(int, entry);
        QFETCH(int, casCount);
        QFETCH(int, nameCount);
        QFETCH(QString, firstName);
        QFETCH(QString, lastName);
        ProgramState state = loadedState();

        const QuickPickResult result = FlammableClassQuickPick(state, quickPickEntries()[std::size_t(entry)]);

        QCOMPARE(state.selectionMode, std::optional<int>(2));
        QCOMPARE(result.casList.size(), casCount);
        QCOMPARE(result.nameList.size(), nameCount);
        QCOMPARE(result.nameList.first(), firstName);
        QCOMPARE(result.nameList.last(), lastName);
        // Names come in catalogue order, never empty, each the name of one of the class's numbers.
        int previous = -1;
        for (const QString &name : result.nameList) {
            const int row = catalogueRowOf(name);
            QVERIFY2(row > previous, qPrintable(name));
            previous = row;
            QVERIFY(result.casList.contains(Catalogue::substances()[std::size_t(row)].cas));
        }
        QCOMPARE(state.savedCasCount, 253); // the catalogue tables are left as loaded
    }

    void class22HoldsTheNumbersInListOrder()
    {
        ProgramState state = loadedState();
        const QuickPickResult result = FlammableClassQuickPick(state, quickPickEntries()[5]);
        QCOMPARE(result.listCode, QStringLiteral("2_2"));
        QCOMPARE(result.casList.first(), QStringLiteral("74-86-2"));
        QCOMPARE(result.casList.at(3), QStringLiteral("19287-45-7"));
        QCOMPARE(result.casList.last(), QStringLiteral("75-38-7"));
        QVERIFY(result.nameList.contains(QStringLiteral("Metano")));
        QVERIFY(!result.nameList.contains(QStringLiteral("Idrogeno"))); // 2_3 only
    }

    void unknownEntryLeavesSelectionModeAtOne()
    {
        ProgramState state = loadedState();
        const QuickPickResult result = FlammableClassQuickPick(state, QStringLiteral("3_1 niente"));
        QCOMPARE(state.selectionMode, std::optional<int>(1));
        QVERIFY(result.listCode.isEmpty());
        QVERIFY(result.casList.isEmpty());
        QVERIFY(result.nameList.isEmpty());
    }
};

QTEST_MAIN(QuickPickTest)
#include "test_quickpick.moc"
