#include "estimate/CellAddress.h"
#include "estimate/OutputFileName.h"

#include <QtTest>

class AddressesAndNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void addresses()
    {
        // Zone index z reads column z + 5: F for 1, AA for 22, AZ for 47, BA for 48, BY for 72.
        const QList<std::tuple<QString, int, int>> good{
            {"A1", 0, 0}, {"Z9", 8, 25}, {"AA12", 11, 26}, {"AZ5", 4, 51}, {"BA5", 4, 52}, {"BY204", 203, 76}};
        for (const auto &[address, row, column] : good) {
            const auto position = parseCellAddress(address);
            QVERIFY2(position && position->row == row && position->column == column, qPrintable(address));
            QCOMPARE(cellAddress(columnLetters(column + 1), row + 1), address);
        }
        for (const char *bad : {"", "A", "12", "A0", "a1", "A1 ", " A1", "A-1", "1A", "XFE1"})
            QVERIFY2(!parseCellAddress(QString::fromLatin1(bad)).has_value(), bad);
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
