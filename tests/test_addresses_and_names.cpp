#include "estimate/CellAddress.h"
#include "estimate/OutputFileName.h"

#include <QtTest>

class AddressesAndNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void addresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("A1") << "A1" << 0 << 0;
        QTest::newRow("C4") << "C4" << 3 << 2;
        QTest::newRow("Z9") << "Z9" << 8 << 25;
        QTest::newRow("AA12") << "AA12" << 11 << 26;
        QTest::newRow("AZ5") << "AZ5" << 4 << 51;
        QTest::newRow("BA5") << "BA5" << 4 << 52;
        QTest::newRow("BY204") << "BY204" << 203 << 76;
    }
    void addresses()
    {
        QFETCH(QString, address);
        QFETCH(int, row);
        QFETCH(int, column);
        const auto position = parseCellAddress(address);
        QVERIFY(position.has_value());
        QCOMPARE(position->row, row);
        QCOMPARE(position->column, column);
        QCOMPARE(cellAddress(columnLetters(column + 1), row + 1), address);
    }

    void badAddressesAreRefused()
    {
        for (const char *bad : {"", "A", "12", "A0", "a1", "A1 ", " A1", "A-1", "1A", "XFE1"})
            QVERIFY2(!parseCellAddress(QString::fromLatin1(bad)).has_value(), bad);
    }

    void zoneColumns()
    {
        // A zone index z selects the column numbered z + 5.
        QCOMPARE(columnLetters(1 + 5), QStringLiteral("F"));
        QCOMPARE(columnLetters(21 + 5), QStringLiteral("Z"));
        QCOMPARE(columnLetters(22 + 5), QStringLiteral("AA"));
        QCOMPARE(columnLetters(47 + 5), QStringLiteral("AZ"));
        QCOMPARE(columnLetters(48 + 5), QStringLiteral("BA"));
        QCOMPARE(columnLetters(72 + 5), QStringLiteral("BY"));
    }

    void outputFileNames()
    {
        const QDateTime when(QDate(2006, 12, 4), QTime(9, 5, 59));
        QCOMPARE(mapFileName(QStringLiteral("c:\\temp\\"), when, QStringLiteral("Ammoniaca")),
                 QStringLiteral("c:\\temp\\ZEFRO  map 20061204 ore 09_05 Ammoniaca.bmp"));
        QCOMPARE(reportFileName(QStringLiteral("c:\\zefro\\revisione metodo speditivo"), when, QStringLiteral("Cloro")),
                 QStringLiteral("c:\\zefro\\revisione metodo speditivoZEFRO  run 20061204 ore 09_05 Cloro.doc"));
        QCOMPARE(reportFileName(QString(), QDateTime(QDate(2026, 1, 31), QTime(23, 0)), QStringLiteral("inserire nome sostanza")),
                 QStringLiteral("ZEFRO  run 20260131 ore 23_00 inserire nome sostanza.doc"));
    }
};

QTEST_MAIN(AddressesAndNamesTest)
#include "test_addresses_and_names.moc"
