// Damaged and hostile files the user can put where ZEFRO reads: each ends with an Italian message
// naming the file, or with the documented behaviour, and never with a crash.
#include "app/Configuration.h"
#include "catalogue/HazardClass.h"
#include "estimate/XlsWorkbookOpener.h"
#include "map/MapFiles.h"
#include "platform/DrivePaths.h"
#include "support/TestDrive.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

const QString kConfig = QStringLiteral("c:\\revisione metodo speditivo\\ms&zefro\\config.txt");

QByteArray bmpHeader(qint32 width, qint32 height, quint16 bits, qint32 ppmX, qint32 ppmY)
{
    QByteArray bytes(54, '\0');
    auto *b = reinterpret_cast<uchar *>(bytes.data());
    b[0] = 'B';
    b[1] = 'M';
    qToLittleEndian<quint32>(54, b + 10);
    qToLittleEndian<quint32>(40, b + 14);
    qToLittleEndian<qint32>(width, b + 18);
    qToLittleEndian<qint32>(height, b + 22);
    qToLittleEndian<quint16>(1, b + 26);
    qToLittleEndian<quint16>(bits, b + 28);
    qToLittleEndian<qint32>(ppmX, b + 38);
    qToLittleEndian<qint32>(ppmY, b + 42);
    return bytes;
}

// A whole 24-bit map of 4 x 2 pixels.
QByteArray smallBmp(qint32 ppmX, qint32 ppmY)
{
    return bmpHeader(4, 2, 24, ppmX, ppmY) + QByteArray(2 * 12, '\x7f');
}

} // namespace

class BadInputFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void mapFilesThatAreNoMaps_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        QTest::newRow("not a bitmap") << QByteArray("questo non è un bitmap\r\n").repeated(20) << QString();
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("truncated bitmap") << smallBmp(3780, 3780).left(60) << QStringLiteral("file troncato");
        QTest::newRow("header claims 100000 x 100000") << bmpHeader(100000, 100000, 24, 3780, 3780) + QByteArray(64, '\0')
                                                      << QStringLiteral("immagine troppo grande");
        QTest::newRow("header claims a negative width") << bmpHeader(-5, 2, 24, 3780, 3780) + QByteArray(64, '\0')
                                                       << QString();
    }

    void mapFilesThatAreNoMaps()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zona industriale.bmp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const map::MapLoadResult loaded = map::loadMapBitmap(path);
        QVERIFY(!loaded.ok());
        QVERIFY2(loaded.error.contains(QStringLiteral("zona industriale.bmp")), qPrintable(loaded.error));
        QVERIFY(loaded.error.contains(QStringLiteral("non è una mappa bitmap leggibile")));
        if (!why.isEmpty())
            QVERIFY2(loaded.error.contains(why), qPrintable(loaded.error));
    }

    // A resolution that is missing or impossible counts as 96 dpi on that axis, unless the other
    // axis states a plausible one.
    void mapResolutionHeaders_data()
    {
        QTest::addColumn<qint32>("ppmX");
        QTest::addColumn<qint32>("ppmY");
        QTest::addColumn<double>("unitsX");
        QTest::addColumn<double>("unitsY");
        const double dpi96 = map::kDefaultPixelsPerMetre / 100.0;
        QTest::newRow("zero") << 0 << 0 << dpi96 << dpi96;
        QTest::newRow("one pixel a metre") << 1 << 1 << dpi96 << dpi96;
        QTest::newRow("negative") << -3780 << -3780 << dpi96 << dpi96;
        QTest::newRow("two billion") << 2000000000 << 2000000000 << dpi96 << dpi96;
        QTest::newRow("only x stated") << 4724 << 0 << 47.24 << 47.24;
        QTest::newRow("300 dpi") << 11811 << 11811 << 118.11 << 118.11;
    }

    void mapResolutionHeaders()
    {
        QFETCH(qint32, ppmX);
        QFETCH(qint32, ppmY);
        QFETCH(double, unitsX);
        QFETCH(double, unitsY);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mappa.bmp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(smallBmp(ppmX, ppmY));
        file.close();
        const map::MapLoadResult loaded = map::loadMapBitmap(path);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(loaded.map.image.size(), QSize(4, 2));
        QVERIFY(qAbs(loaded.map.units.pixelsPerUnitX() - unitsX) < 1e-6);
        QVERIFY(qAbs(loaded.map.units.pixelsPerUnitY() - unitsY) < 1e-6);
    }

    void configurationFiles_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("linesFound"); // -1: unreadable, 8: read
        QTest::newRow("missing") << false << QByteArray() << -1;
        QTest::newRow("empty") << true << QByteArray() << 0;
        QTest::newRow("seven lines") << true << QByteArray("a\r\n").repeated(7) << 7;
        QTest::newRow("eight blank lines") << true << QByteArray("\r\n").repeated(8) << 8;
        QTest::newRow("very long lines") << true << QByteArray(200000, 'x').append("\r\n").repeated(8) << 8;
        QTest::newRow("bytes that are not text") << true
                                                 << QByteArray("\x00\x01\xff\xfe\x1b[2J\r\n", 10).repeated(8) << 8;
    }

    void configurationFiles()
    {
        QFETCH(bool, present);
        QFETCH(QByteArray, bytes);
        QFETCH(int, linesFound);
        TestDrive drive(TestDrive::Contents::Empty);
        if (present)
            drive.writeFile(kConfig, bytes);
        const DrivePaths drives(drive.root());
        const ConfigurationLoad load = loadConfigurationFile(drives);
        if (linesFound < 8) {
            QVERIFY(!load.configuration);
            const QString message = load.error.message();
            QVERIFY(message.contains(QStringLiteral("config.txt")));
            QVERIFY(message.contains(QStringLiteral("Il programma verrà chiuso.")));
            if (linesFound >= 0)
                QVERIFY(message.contains(QStringLiteral("contiene %1 righe").arg(linesFound)));
            return;
        }
        QVERIFY(load.configuration);
        // What was read is written back and reads the same, every byte kept.
        QCOMPARE(saveConfigurationFile(drives, *load.configuration), std::nullopt);
        QCOMPARE(drive.readFile(kConfig), bytes);
    }

    void workbooksThatCannotBeRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QFile good(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/values.xls"));
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QByteArray values = good.readAll();
        QTest::newRow("empty") << QByteArray() << int(WorkbookError::Kind::NotAWorkbook);
        QTest::newRow("text file") << QByteArray("CAS;classe\r\n").repeated(100) << int(WorkbookError::Kind::NotAWorkbook);
        QTest::newRow("truncated to half") << values.left(values.size() / 2) << int(WorkbookError::Kind::Damaged);
        QTest::newRow("truncated header") << values.left(100) << int(WorkbookError::Kind::Damaged);
    }

    void workbooksThatCannotBeRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        TestDrive drive(TestDrive::Contents::Empty);
        const QString systemPath = kDataFolder + QStringLiteral("111.xls");
        drive.writeFile(systemPath, bytes);
        const auto opened = XlsWorkbookOpener(DrivePaths(drive.root())).open(systemPath);
        QVERIFY(!opened.ok());
        QCOMPARE(int(opened.error().kind), kind);
        QVERIFY(opened.error().message().contains(systemPath));
    }

    void workbookWithFewerWorksheetsThanRead()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        const QString systemPath = kDataFolder + QStringLiteral("111.xls");
        QFile good(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/values.xls"));
        QVERIFY(good.open(QIODevice::ReadOnly));
        drive.writeFile(systemPath, good.readAll());
        const auto opened = XlsWorkbookOpener(DrivePaths(drive.root())).open(systemPath);
        QVERIFY(opened.ok());
        const int beyond = opened.value()->sheetCount() + 1;
        const Outcome<CellValue> cell = opened.value()->readCell(beyond, QStringLiteral("A2"));
        QVERIFY(!cell.ok());
        QCOMPARE(cell.error().kind, WorkbookError::Kind::NoSuchSheet);
        QVERIFY(cell.error().message().contains(QStringLiteral("foglio %1").arg(beyond)));
    }
};

QTEST_GUILESS_MAIN(BadInputFilesTest)
#include "test_badinputs_files.moc"
