#include "app/ProgramState.h"
#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "catalogue/QuickPick.h"

#include <QSet>
#include <QtTest>

class CatalogueTest : public QObject
{
    Q_OBJECT

private slots:
    void holdsTheWholeCatalogueInOrder()
    {
        const auto &rows = Catalogue::substances();
        QCOMPARE(int(rows.size()), 253);
        QCOMPARE(rows.front().name + rows.front().cas, QStringLiteral("Acetaldeide75-07-0"));
        QCOMPARE(rows.at(192).name + rows.at(192).cas, QStringLiteral("Metil-terz-butil etere1634-04-4"));
        QCOMPARE(rows.back().name + rows.back().cas, QStringLiteral("Zolfo cloruro10025-67-9"));
        QSet<QString> names, cas;
        for (const Substance &s : rows) {
            names.insert(s.name);
            cas.insert(s.cas);
            QVERIFY2(QRegularExpression(QStringLiteral("^\\d+-\\d\\d-\\d$")).match(s.cas).hasMatch(), qPrintable(s.cas));
        }
        QCOMPARE(names.size() + cas.size(), 2 * 253);
    }

    void quickPick_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("code"); // empty: no class recognised
        QTest::addColumn<int>("casCount");
        QTest::addColumn<int>("nameCount");
        QTest::addColumn<QString>("firstCas");
        QTest::addColumn<QString>("lastCas");
        const auto &entries = quickPickEntries();
        QTest::newRow("1_1_1: 127-19-5 has no name") << entries[0] << "1_1_1" << 70 << 69 << "64-19-7" << "106-42-3";
        QTest::newRow("1_1_2") << entries[1] << "1_1_2" << 72 << 72 << "67-64-1" << "95-47-6";
        QTest::newRow("1_2") << entries[2] << "1_2" << 23 << 23 << "75-07-0" << "75-35-4";
        QTest::newRow("2_1_1") << entries[3] << "2_1_1" << 12 << 12 << "106-99-0" << "593-60-2";
        QTest::newRow("2_1_2") << entries[4] << "2_1_2" << 20 << 20 << "74-86-2" << "75-38-7";
        QTest::newRow("2_2") << entries[5] << "2_2" << 36 << 36 << "74-86-2" << "75-38-7";
        QTest::newRow("2_3 with hydrogen") << entries[6] << "2_3" << 37 << 37 << "74-86-2" << "75-38-7";
        QTest::newRow("bare 1_2") << "1_2" << "1_2" << 23 << 23 << "75-07-0" << "75-35-4";
        QTest::newRow("prompt") << "visionare elenco classi di interesse (solo per sostanze infiammabili)" << "" << 0
                                << 0 << "" << "";
        QTest::newRow("1_3 is no class") << "1_3     Liquidi" << "" << 0 << 0 << "" << "";
        QTest::newRow("leading blank") << " 1_1_1   Liquidi" << "" << 0 << 0 << "" << "";
    }
    void quickPick()
    {
        QFETCH(QString, entry);
        QFETCH(QString, code);
        QFETCH(int, casCount);
        QFETCH(int, nameCount);
        QFETCH(QString, firstCas);
        QFETCH(QString, lastCas);
        const auto &rows = Catalogue::substances();
        ProgramState state; // the catalogue pairs as the load step keeps them
        for (std::size_t i = 0; i < rows.size(); ++i) {
            state.savedCatalogueNames[i] = rows[i].name;
            state.savedCatalogueCas[i] = rows[i].cas;
        }
        state.savedNameCount = state.savedCasCount = int(rows.size());

        const QuickPickResult result = FlammableClassQuickPick(state, entry);

        QCOMPARE(result.listCode, code);
        QCOMPARE(state.selectionMode, std::optional<int>(code.isEmpty() ? 1 : 2));
        QCOMPARE(result.casList.size(), casCount);
        QCOMPARE(QSet<QString>(result.casList.begin(), result.casList.end()).size(), casCount);
        QCOMPARE(result.nameList.size(), nameCount);
        QCOMPARE(result.casList.value(0), firstCas);
        QCOMPARE(result.casList.isEmpty() ? QString() : result.casList.last(), lastCas);
        // Names in catalogue order, each the name of one of the class's numbers.
        qsizetype previous = -1;
        for (const QString &name : result.nameList) {
            const auto row = std::find_if(rows.begin(), rows.end(), [&](const Substance &s) { return s.name == name; });
            QVERIFY2(row - rows.begin() > previous, qPrintable(name));
            previous = row - rows.begin();
            QVERIFY(result.casList.contains(row->cas));
        }
        QCOMPARE(state.savedCasCount, 253);
    }
};

QTEST_MAIN(CatalogueTest)
#include "test_catalogue.moc"
