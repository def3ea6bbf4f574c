// The arithmetic of the map window: scale entries and texts, drawing units, radii, the rescale
// factor, the map file paths and names, and the fitting of a picture to a printed page.
#include "estimate/CellValue.h"
#include "map/DamageCircles.h"
#include "map/MapFiles.h"
#include "map/MapScale.h"
#include "map/MapUnits.h"
#include "map/PrintFit.h"

#include <QtEndian>
#include <QtTest>

#include <cmath>

using namespace map;

namespace {

QByteArray bmpHeader(quint32 infoSize, qint32 pixelsPerMetreX, qint32 pixelsPerMetreY)
{
    QByteArray bytes(14 + 40, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    auto *data = reinterpret_cast<uchar *>(bytes.data());
    qToLittleEndian<quint32>(infoSize, data + 14);
    qToLittleEndian<qint32>(pixelsPerMetreX, data + 38);
    qToLittleEndian<qint32>(pixelsPerMetreY, data + 42);
    return bytes;
}

} // namespace

class MapScaleTest : public QObject
{
    Q_OBJECT

private slots:
    void scaleListHasTheSeventeenEntriesInOrder()
    {
        const QStringList entries = scaleListEntries();
        QCOMPARE(entries.size(), 17);
        QCOMPARE(entries.first(), QStringLiteral("scala definita dall'utente"));
        QCOMPARE(entries.at(1), QStringLiteral("scala 1:1"));
        QCOMPARE(entries.at(9), QStringLiteral("scala 1:500"));
        QCOMPARE(entries.last(), QStringLiteral("scala 1:100000"));
    }

    void entryFactors_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("sets");
        QTest::addColumn<double>("factor");
        QTest::newRow("user") << "scala definita dall'utente" << true << 1.0;
        const int denominators[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000};
        for (const int n : denominators) {
            const QByteArray name = "1:" + QByteArray::number(n);
            QTest::newRow(name.constData()) << QStringLiteral("scala 1:%1").arg(n) << true << 1.0 / n;
        }
        QTest::newRow("not in the list") << "scala 1:3" << false << 0.0;
        QTest::newRow("typed text") << "1:5000" << false << 0.0;
        QTest::newRow("blank added") << "scala 1:5000 " << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }
    void entryFactors()
    {
        QFETCH(QString, entry);
        QFETCH(bool, sets);
        QFETCH(double, factor);
        const std::optional<double> result = scaleFactorForEntry(entry);
        QCOMPARE(result.has_value(), sets);
        if (sets)
            QCOMPARE(*result, factor);
    }

    void userScaleText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("denominator");
        QTest::addColumn<QString>("increased");
        QTest::addColumn<QString>("decreased");
        QTest::newRow("start") << "1:1" << 1.0 << "1: 2" << "1: 0";
        QTest::newRow("after a step") << "1: 2" << 2.0 << "1: 3" << "1: 1";
        QTest::newRow("zero") << "1: 0" << 0.0 << "1: 1" << "1:-1";
        QTest::newRow("negative") << "1:-1" << -1.0 << "1: 0" << "1:-2";
        QTest::newRow("map scale") << "1:5000" << 5000.0 << "1: 5001" << "1: 4999";
        QTest::newRow("leading blanks") << "1:   250" << 250.0 << "1: 251" << "1: 249";
        QTest::newRow("tab") << "1:\t12" << 12.0 << "1: 13" << "1: 11";
        QTest::newRow("stops at a letter") << "1:2000m" << 2000.0 << "1: 2001" << "1: 1999";
        QTest::newRow("decimal") << "1:2.5" << 2.5 << "1: 3.5" << "1: 1.5";
        QTest::newRow("no integer part") << "1:.5" << 0.5 << "1: 1.5" << "1:-0.5";
        QTest::newRow("exponent") << "1:1e3" << 1000.0 << "1: 1001" << "1: 999";
        QTest::newRow("exponent without digits") << "1:7e" << 7.0 << "1: 8" << "1: 6";
        QTest::newRow("plus sign") << "1:+40" << 40.0 << "1: 41" << "1: 39";
        QTest::newRow("large, no exponent form") << "1:99999" << 99999.0 << "1: 100000" << "1: 99998";
        QTest::newRow("only the third character on") << "15000" << 0.0 << "1: 1" << "1:-1";
        QTest::newRow("initial caption") << "Text1" << 0.0 << "1: 1" << "1:-1";
        QTest::newRow("empty") << "" << 0.0 << "1: 1" << "1:-1";
        QTest::newRow("comma is not a decimal point") << "1:2,5" << 2.0 << "1: 3" << "1: 1";
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
        const std::optional<double> factor = userScaleFactor(text);
        QCOMPARE(factor.has_value(), denominator > 0);
        if (factor)
            QCOMPARE(*factor, 1.0 / denominator);
    }

    void radii_data()
    {
        QTest::addColumn<CellValue>("distance");
        QTest::addColumn<bool>("notAvailable");
        QTest::addColumn<double>("factor");
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<float>("radius");
        QTest::newRow("1:1000, 150 m") << CellValue::number(150) << false << 1.0 / 1000 << true << 15.0f;
        QTest::newRow("1:1, 150 m") << CellValue::number(150) << false << 1.0 << true << 15000.0f;
        QTest::newRow("rescaled 0.04, 150 m") << CellValue::number(150) << false << 0.04 << true << 600.0f;
        QTest::newRow("more than 10000 m") << CellValue::number(10001) << false << 1.0 / 10000 << true << 100.01f;
        QTest::newRow("empty counts 0") << CellValue() << false << 1.0 / 1000 << true << 0.0f;
        QTest::newRow("not applicable") << CellValue::number(0) << false << 1.0 / 1000 << true << 0.0f;
        QTest::newRow("zero factor") << CellValue::number(150) << false << 0.0 << true << 0.0f;
        QTest::newRow("not available") << CellValue::number(150) << true << 1.0 / 1000 << false << 0.0f;
        QTest::newRow("text") << CellValue::text(QStringLiteral("150")) << false << 1.0 / 1000 << false << 0.0f;
        QTest::newRow("negative distance") << CellValue::number(-5) << false << 1.0 / 1000 << false << 0.0f;
        QTest::newRow("negative factor") << CellValue::number(150) << false << -1.0 / 1000 << false << 0.0f;
        QTest::newRow("not a number") << CellValue::number(std::nan("")) << false << 1.0 << false << 0.0f;
        QTest::newRow("infinite") << CellValue::number(HUGE_VAL) << false << 1.0 << false << 0.0f;
    }
    void radii()
    {
        QFETCH(CellValue, distance);
        QFETCH(bool, notAvailable);
        QFETCH(double, factor);
        QFETCH(bool, drawn);
        QFETCH(float, radius);
        const std::optional<float> result = damageRadius(distance, notAvailable, factor);
        QCOMPARE(result.has_value(), drawn);
        if (drawn)
            QCOMPARE(*result, radius);
    }

    void rescaleFactor()
    {
        // 200 units declared as 50 m, then a 150 m distance.
        const double factor = scaleFactorFromSegment(QPointF(10, 20), QPointF(210, 20), 50.0);
        QCOMPARE(factor, 0.04);
        QCOMPARE(*damageRadius(CellValue::number(150), false, factor), 600.0f);
        // Diagonal 3-4-5 segment, reversed direction.
        QCOMPARE(scaleFactorFromSegment(QPointF(130, 170), QPointF(10, 10), 2.0), 200.0 / 200.0);
        // A press and release without moving gives 0.
        QCOMPARE(scaleFactorFromSegment(QPointF(5, 5), QPointF(5, 5), 100.0), 0.0);
    }

    void bmpResolutionHeader_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::newRow("96 dpi") << bmpHeader(40, 3780, 3780) << true << 3780.0 << 3780.0;
        QTest::newRow("different axes") << bmpHeader(40, 4724, 2362) << true << 4724.0 << 2362.0;
        QTest::newRow("not stated") << bmpHeader(40, 0, 0) << true << 0.0 << 0.0;
        QTest::newRow("version 5 header") << bmpHeader(124, 11811, 11811) << true << 11811.0 << 11811.0;
        QTest::newRow("negative") << bmpHeader(40, -3780, 3780) << true << -3780.0 << 3780.0;
        QTest::newRow("core header has none") << bmpHeader(12, 3780, 3780) << false << 0.0 << 0.0;
        QTest::newRow("not a BMP") << QByteArray("\x89PNG\r\n\x1a\n").append(60, '\0') << false << 0.0 << 0.0;
        QTest::newRow("too short") << bmpHeader(40, 3780, 3780).left(45) << false << 0.0 << 0.0;
    }
    void bmpResolutionHeader()
    {
        QFETCH(QByteArray, header);
        QFETCH(bool, found);
        QFETCH(double, x);
        QFETCH(double, y);
        const std::optional<SheetResolution> resolution = bmpHeaderResolution(header);
        QCOMPARE(resolution.has_value(), found);
        if (found) {
            QCOMPARE(resolution->pixelsPerMetreX, x);
            QCOMPARE(resolution->pixelsPerMetreY, y);
        }
    }

    void drawingUnitFromResolution_data()
    {
        QTest::addColumn<double>("statedX");
        QTest::addColumn<double>("statedY");
        QTest::addColumn<double>("unitX"); // pixels per drawing unit (one sheet centimetre)
        QTest::addColumn<double>("unitY");
        const double fallback = 96.0 / 2.54;
        QTest::newRow("stated") << 4724.0 << 4724.0 << 47.24 << 47.24;
        QTest::newRow("axes differ") << 11811.0 << 5906.0 << 118.11 << 59.06;
        QTest::newRow("none: 96 dpi") << 0.0 << 0.0 << fallback << fallback;
        QTest::newRow("only x") << 3780.0 << 0.0 << 37.8 << 37.8;
        QTest::newRow("only y") << 0.0 << 2835.0 << 28.35 << 28.35;
        QTest::newRow("absurdly low") << 2.0 << 2.0 << fallback << fallback;
        QTest::newRow("absurdly high") << 5.0e6 << 5.0e6 << fallback << fallback;
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
    }

    void pixelsGoToUnitsAndBack()
    {
        for (const double ppm : {3780.0, 4724.0, 11811.0, 2835.0}) {
            const MapUnits units(ppm, ppm * 0.75);
            for (int p = 0; p < 3000; ++p) {
                const QPoint pixel(p, 2999 - p);
                QCOMPARE(units.toPixel(units.toUnits(QPointF(pixel))), pixel);
            }
        }
        // One centimetre of a 1:5000 sheet is 50 m on the ground: at 1:5000 a 50 m distance is one unit.
        const MapUnits sheet(4724.0, 4724.0);
        QCOMPARE(units_of(sheet, 47.24), 1.0);
    }

    void mapFilePaths_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("path");
        QTest::newRow("system folder") << "c:\\revisione metodo speditivo\\dati\\cartografia\\raster" << "a.bmp"
                                       << "c:\\revisione metodo speditivo\\dati\\cartografia\\raster\\a.bmp";
        QTest::newRow("drive root") << "c:\\" << "a.bmp" << "c:\\a.bmp";
        QTest::newRow("local folder") << "/drive/c/maps" << "mappa 1.bmp" << "/drive/c/maps/mappa 1.bmp";
        QTest::newRow("local root") << "/" << "a.bmp" << "/a.bmp";
        QTest::newRow("local with slash") << "/drive/c/" << "a.bmp" << "/drive/c/a.bmp";
    }
    void mapFilePaths()
    {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(QString, path);
        QCOMPARE(mapFilePath(folder, file), path);
    }

    void mapFileNames()
    {
        const QDateTime when(QDate(2006, 12, 4), QTime(9, 5, 30));
        QCOMPARE(MapFileName(QStringLiteral("c:\\temp\\"), when, QStringLiteral("Ammoniaca")),
                 QStringLiteral("c:\\temp\\ZEFRO  map 20061204 ore 09_05 Ammoniaca.bmp"));
        QCOMPARE(mapPageFileName(QStringLiteral("c:\\temp\\"), when, QStringLiteral("Ammoniaca")),
                 QStringLiteral("c:\\temp\\ZEFRO  map 20061204 ore 09_05 Ammoniaca.pdf"));
        // An empty prefix names a file in the current folder.
        QCOMPARE(MapFileName(QString(), QDateTime(QDate(2010, 1, 31), QTime(23, 59)), QStringLiteral("GPL")),
                 QStringLiteral("ZEFRO  map 20100131 ore 23_59 GPL.bmp"));
    }

    void printFitting_data()
    {
        QTest::addColumn<QSizeF>("picture");
        QTest::addColumn<QSizeF>("printable");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QSizeF>("fitted");
        // The map window with its frame, on an A4 landscape printable area (in any unit).
        QTest::newRow("wide") << QSizeF(1024, 770) << QSizeF(2770, 1900) << true << QSizeF(1900 * 1024.0 / 770, 1900);
        QTest::newRow("wider than the page") << QSizeF(2000, 500) << QSizeF(2770, 1900) << true
                                             << QSizeF(2770, 2770 / 4.0);
        QTest::newRow("tall") << QSizeF(500, 1000) << QSizeF(1900, 2770) << false << QSizeF(1385, 2770);
        QTest::newRow("tall and thin page") << QSizeF(500, 1000) << QSizeF(1000, 3000) << false
                                            << QSizeF(1000, 2000);
        QTest::newRow("square") << QSizeF(800, 800) << QSizeF(1900, 2770) << false << QSizeF(1900, 1900);
        QTest::newRow("equal ratio") << QSizeF(277, 190) << QSizeF(2770, 1900) << true << QSizeF(2770, 1900);
    }
    void printFitting()
    {
        QFETCH(QSizeF, picture);
        QFETCH(QSizeF, printable);
        QFETCH(bool, landscape);
        QFETCH(QSizeF, fitted);
        QCOMPARE(orientationForPicture(picture) == PageOrientation::Landscape, landscape);
        const QSizeF result = fittedPrintSize(picture, printable);
        QVERIFY2(std::fabs(result.width() - fitted.width()) < 1e-6 && std::fabs(result.height() - fitted.height()) < 1e-6,
                 qPrintable(QStringLiteral("%1 x %2").arg(result.width()).arg(result.height())));
        QVERIFY(result.width() <= printable.width() + 1e-9 && result.height() <= printable.height() + 1e-9);
    }

private:
    static double units_of(const MapUnits &units, double pixels) { return units.toUnits(QPointF(pixels, 0)).x(); }
};

QTEST_APPLESS_MAIN(MapScaleTest)
#include "test_map_scale.moc"
