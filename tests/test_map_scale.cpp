// The arithmetic of the map window: scale entries and factors, the user-defined scale text, radii,
// the rescale factor, the drawing unit of a sheet, and the map file paths and names.
#include "estimate/CellValue.h"
#include "map/DamageCircles.h"
#include "map/MapFiles.h"
#include "map/MapScale.h"
#include "map/MapUnits.h"

#include <QtEndian>
#include <QtTest>

#include <cmath>

using namespace map;

class MapScaleTest : public QObject
{
    Q_OBJECT

private slots:
    void scaleEntriesAndFactors()
    {
        QStringList expected{QStringLiteral("scala definita dall'utente")};
        for (const int n : {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000})
            expected << QStringLiteral("scala 1:%1").arg(n);
        QCOMPARE(scaleListEntries(), expected);
        QCOMPARE(scaleFactorForEntry(expected[0]), std::optional<double>(1.0));
        QCOMPARE(scaleFactorForEntry(QStringLiteral("scala 1:1")), std::optional<double>(1.0));
        QCOMPARE(scaleFactorForEntry(QStringLiteral("scala 1:5000")), std::optional<double>(1.0 / 5000));
        QCOMPARE(scaleFactorForEntry(QStringLiteral("scala 1:100000")), std::optional<double>(1.0 / 100000));
        // Any other text leaves the factor as it was.
        for (const char *other : {"scala 1:3", "1:5000", "scala 1:5000 ", ""})
            QVERIFY2(!scaleFactorForEntry(QLatin1String(other)).has_value(), other);
    }

    void userScaleText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("denominator");
        QTest::addColumn<QString>("increased");
        QTest::addColumn<QString>("decreased");
        QTest::newRow("start") << "1:1" << 1.0 << "1: 2" << "1: 0";
        QTest::newRow("zero") << "1: 0" << 0.0 << "1: 1" << "1:-1";
        QTest::newRow("negative") << "1:-1" << -1.0 << "1: 0" << "1:-2";
        QTest::newRow("map scale, blanks") << "1:   5000" << 5000.0 << "1: 5001" << "1: 4999";
        QTest::newRow("stops at a letter") << "1:2000m" << 2000.0 << "1: 2001" << "1: 1999";
        QTest::newRow("decimal") << "1:.5" << 0.5 << "1: 1.5" << "1:-0.5";
        QTest::newRow("exponent") << "1:1e3" << 1000.0 << "1: 1001" << "1: 999";
        QTest::newRow("no exponent form") << "1:99999" << 99999.0 << "1: 100000" << "1: 99998";
        QTest::newRow("read from the third character") << "15000" << 0.0 << "1: 1" << "1:-1";
        QTest::newRow("initial caption") << "Text1" << 0.0 << "1: 1" << "1:-1";
        QTest::newRow("comma ends the number") << "1:2,5" << 2.0 << "1: 3" << "1: 1";
    }
    void userScaleText()
    {
        QFETCH(QString, text);
        QFETCH(double, denominator);
        QFETCH(QString, increased);
        QFETCH(QString, decreased);
        QCOMPARE(userScaleDenominator(text), denominator);
        QCOMPARE(steppedUserScaleText(text, +1), increased);
        QCOMPARE(steppedUserScaleText(text, -1), decreased);
        // 0, negative and unreadable denominators are refused rather than divided by.
        QCOMPARE(userScaleFactor(text), denominator > 0 ? std::optional<double>(1.0 / denominator) : std::nullopt);
    }

    void radii_data()
    {
        QTest::addColumn<CellValue>("distance");
        QTest::addColumn<bool>("notAvailable");
        QTest::addColumn<double>("factor");
        QTest::addColumn<float>("radius"); // -1: not drawn
        QTest::newRow("1:1000, 150 m") << CellValue::number(150) << false << 1.0 / 1000 << 15.0f;
        QTest::newRow("1:1, 150 m") << CellValue::number(150) << false << 1.0 << 15000.0f;
        QTest::newRow("empty counts 0") << CellValue() << false << 1.0 / 1000 << 0.0f;
        QTest::newRow("not available") << CellValue::number(150) << true << 1.0 / 1000 << -1.0f;
        QTest::newRow("text") << CellValue::text(QStringLiteral("150")) << false << 1.0 / 1000 << -1.0f;
        QTest::newRow("negative distance") << CellValue::number(-5) << false << 1.0 / 1000 << -1.0f;
        QTest::newRow("negative factor") << CellValue::number(150) << false << -1.0 / 1000 << -1.0f;
        QTest::newRow("not a number") << CellValue::number(std::nan("")) << false << 1.0 << -1.0f;
        QTest::newRow("infinite") << CellValue::number(HUGE_VAL) << false << 1.0 << -1.0f;
    }
    void radii()
    {
        QFETCH(CellValue, distance);
        QFETCH(bool, notAvailable);
        QFETCH(double, factor);
        QFETCH(float, radius);
        QCOMPARE(damageRadius(distance, notAvailable, factor), radius < 0 ? std::nullopt : std::optional<float>(radius));
    }

    void rescaleFactor()
    {
        // 200 units declared as 50 m, then a 150 m distance.
        const double factor = scaleFactorFromSegment(QPointF(10, 20), QPointF(210, 20), 50.0);
        QCOMPARE(factor, 0.04);
        QCOMPARE(damageRadius(CellValue::number(150), false, factor), std::optional<float>(600.0f));
        // A diagonal 120-160-200 segment drawn backwards; a press without a move gives 0.
        QCOMPARE(scaleFactorFromSegment(QPointF(130, 170), QPointF(10, 10), 2.0), 1.0);
        QCOMPARE(scaleFactorFromSegment(QPointF(5, 5), QPointF(5, 5), 100.0), 0.0);
    }

    void bmpResolutionHeader_data()
    {
        QTest::addColumn<quint32>("infoSize");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("found");
        QTest::newRow("information header") << 40u << 54 << true;
        QTest::newRow("version 5 header") << 124u << 54 << true;
        QTest::newRow("core header has none") << 12u << 54 << false;
        QTest::newRow("too short") << 40u << 45 << false;
    }
    void bmpResolutionHeader()
    {
        QFETCH(quint32, infoSize);
        QFETCH(int, length);
        QFETCH(bool, found);
        QByteArray bytes(54, '\0');
        bytes[0] = 'B';
        bytes[1] = 'M';
        auto *data = reinterpret_cast<uchar *>(bytes.data());
        qToLittleEndian<quint32>(infoSize, data + 14);
        qToLittleEndian<qint32>(4724, data + 38);
        qToLittleEndian<qint32>(-2362, data + 42);
        const std::optional<SheetResolution> resolution = bmpHeaderResolution(bytes.left(length));
        QCOMPARE(resolution.has_value(), found);
        if (found)
            QCOMPARE(QPointF(resolution->pixelsPerMetreX, resolution->pixelsPerMetreY), QPointF(4724, -2362));
        bytes[0] = 'P'; // not a BMP
        QVERIFY(!bmpHeaderResolution(bytes).has_value());
    }

    void drawingUnitFromResolution_data()
    {
        QTest::addColumn<double>("statedX");
        QTest::addColumn<double>("statedY");
        QTest::addColumn<double>("unitX"); // pixels per drawing unit (one sheet centimetre)
        QTest::addColumn<double>("unitY");
        const double fallback = 96.0 / 2.54;
        QTest::newRow("axes differ") << 11811.0 << 5906.0 << 118.11 << 59.06;
        QTest::newRow("none: 96 dpi") << 0.0 << 0.0 << fallback << fallback;
        QTest::newRow("only x") << 3780.0 << 0.0 << 37.8 << 37.8;
        QTest::newRow("only y") << 0.0 << 2835.0 << 28.35 << 28.35;
        QTest::newRow("absurdly low") << 999.0 << 999.0 << fallback << fallback;
        QTest::newRow("absurdly high") << 100001.0 << 100001.0 << fallback << fallback;
        QTest::newRow("negative") << -3780.0 << -3780.0 << fallback << fallback;
        QTest::newRow("lowest accepted") << 1000.0 << 1000.0 << 10.0 << 10.0;
        QTest::newRow("highest accepted") << 100000.0 << 100000.0 << 1000.0 << 1000.0;
    }
    void drawingUnitFromResolution()
    {
        QFETCH(double, statedX);
        QFETCH(double, statedY);
        QFETCH(double, unitX);
        QFETCH(double, unitY);
        const MapUnits units = MapUnits::fromResolution({statedX, statedY});
        QVERIFY(std::fabs(units.pixelsPerUnitX() - unitX) < 1e-9);
        QVERIFY(std::fabs(units.pixelsPerUnitY() - unitY) < 1e-9);
        // Every pixel goes to units and back to itself.
        for (int p = 0; p < 3000; p += 7)
            QCOMPARE(units.toPixel(units.toUnits(QPointF(p, 2999 - p))), QPoint(p, 2999 - p));
    }

    void mapFilePaths()
    {
        const QString raster = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster");
        QCOMPARE(mapFilePath(raster, QStringLiteral("a.bmp")), raster + QStringLiteral("\\a.bmp"));
        QCOMPARE(mapFilePath(QStringLiteral("c:\\"), QStringLiteral("a.bmp")), QStringLiteral("c:\\a.bmp"));
        QCOMPARE(mapFilePath(QStringLiteral("/drive/c/maps"), QStringLiteral("mappa 1.bmp")),
                 QStringLiteral("/drive/c/maps/mappa 1.bmp"));
        QCOMPARE(mapFilePath(QStringLiteral("/"), QStringLiteral("a.bmp")), QStringLiteral("/a.bmp"));
    }

    void mapFileNames()
    {
        const QDateTime when(QDate(2006, 12, 4), QTime(9, 5, 30));
        QCOMPARE(MapFileName(QStringLiteral("c:\\temp\\"), when, QStringLiteral("Ammoniaca")),
                 QStringLiteral("c:\\temp\\ZEFRO  map 20061204 ore 09_05 Ammoniaca.bmp"));
        QCOMPARE(mapPageFileName(QStringLiteral("c:\\temp\\"), when, QStringLiteral("Ammoniaca")),
                 QStringLiteral("c:\\temp\\ZEFRO  map 20061204 ore 09_05 Ammoniaca.pdf"));
        QCOMPARE(MapFileName(QString(), QDateTime(QDate(2010, 1, 31), QTime(23, 59)), QStringLiteral("GPL")),
                 QStringLiteral("ZEFRO  map 20100131 ore 23_59 GPL.bmp"));
    }
};

QTEST_APPLESS_MAIN(MapScaleTest)
#include "test_map_scale.moc"
