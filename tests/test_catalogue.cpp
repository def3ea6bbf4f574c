#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"

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
        QCOMPARE(rows.front().name, QStringLiteral("Acetaldeide"));
        QCOMPARE(rows.front().cas, QStringLiteral("75-07-0"));
        QCOMPARE(rows.at(192).name, QStringLiteral("Metil-terz-butil etere"));
        QCOMPARE(rows.at(192).cas, QStringLiteral("1634-04-4"));
        QCOMPARE(rows.back().name, QStringLiteral("Zolfo cloruro"));
        QCOMPARE(rows.back().cas, QStringLiteral("10025-67-9"));

        QSet<QString> names, cas;
        for (const Substance &s : rows) {
            names.insert(s.name);
            cas.insert(s.cas);
            QVERIFY2(QRegularExpression(QStringLiteral("^\\d+-\\d\\d-\\d$")).match(s.cas).hasMatch(), qPrintable(s.cas));
        }
        QCOMPARE(names.size(), 253);
        QCOMPARE(cas.size(), 253);
    }

    void quickPickListsHaveTheirSizes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("1_1_1") << "1_1_1" << 70 << "64-19-7" << "106-42-3";
        QTest::newRow("1_1_2") << "1_1_2" << 72 << "67-64-1" << "95-47-6";
        QTest::newRow("1_2") << "1_2" << 23 << "75-07-0" << "75-35-4";
        QTest::newRow("2_1_1") << "2_1_1" << 12 << "106-99-0" << "593-60-2";
        QTest::newRow("2_1_2") << "2_1_2" << 20 << "74-86-2" << "75-38-7";
        QTest::newRow("2_2") << "2_2" << 36 << "74-86-2" << "75-38-7";
        QTest::newRow("2_3") << "2_3" << 37 << "74-86-2" << "75-38-7";
        QTest::newRow("toxic code has none") << "4" << 0 << "" << "";
    }
    void quickPickListsHaveTheirSizes()
    {
        QFETCH(QString, code);
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        const QStringList list = Catalogue::quickPickCas(code);
        QCOMPARE(list.size(), count);
        if (count > 0) {
            QCOMPARE(list.first(), first);
            QCOMPARE(list.last(), last);
            QCOMPARE(QSet<QString>(list.begin(), list.end()).size(), count);
        }
    }

    void hazardClassTableMatchesTheWorkbooks()
    {
        const auto &classes = hazardClasses();
        int searchedRows = 0;
        for (const HazardClass &c : classes)
            searchedRows += c.lastRow - c.firstRow + 1;
        QCOMPARE(searchedRows, 280 + 144);
        QCOMPARE(classes.at(2).listEntry, QStringLiteral("1_2 Liquidi infiammabili con tensione di vapore > 0.3 bar a 20°C "));
        QCOMPARE(classes.at(6).classCode, 23);
        QVERIFY(classes.at(7).isToxic());
        QVERIFY(!classes.at(6).isToxic());
        QCOMPARE(classes.at(4).dottedLabel(), QStringLiteral("2.1.2"));
        QVERIFY(classes.at(7).workbookFile.endsWith(QStringLiteral("zona.xls")));
        QVERIFY(classes.at(8).workbookFile.endsWith(QStringLiteral("zone.xls")));
    }
};

QTEST_MAIN(CatalogueTest)
#include "test_catalogue.moc"
