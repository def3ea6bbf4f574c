// The map layer: scales, radii, drawing, map files and their drawing unit, saved and printed pictures.
#include "map/CircleVisibility.h"
#include "map/DamageCircles.h"
#include "map/GeoreferenceFiles.h"
#include "map/DistanceMeasure.h"
#include "map/InvertLine.h"
#include "map/MapErrors.h"
#include "map/MapFiles.h"
#include "map/MapPicture.h"
#include "map/MapScale.h"
#include "map/MapView.h"
#include "map/PrintFit.h"
#include "map/SavedSheet.h"
#include "map/SheetDrawings.h"
#include "map/SheetLegend.h"
#include "map/TypedCoordinate.h"
#include "support/ErrorWording.h"
#include "support/SampleEstimates.h"
#include "support/TestDrive.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QPainter>
#include <QtTest>

#include <sys/stat.h>

#include <cmath>

using namespace map;
Q_DECLARE_METATYPE(DamageDistance)

namespace {

QImage noise(int width, int height) // opaque pixels of any colour
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator(width).fillRange(reinterpret_cast<quint32 *>(image.bits()), image.sizeInBytes() / 4);
    return image.convertToFormat(QImage::Format_RGB888).convertToFormat(QImage::Format_RGB32);
}

// A 24-bit BMP: its header with these fields, then the rows of an image (bottom-up unless the height is negative).
QByteArray bmp(const QImage &image, qint32 ppmX = 3780, qint32 ppmY = 3780, qint32 width = 0, qint32 height = 0)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    height = height ? height : image.height();
    out << quint16(0x4D42) << quint64(0) << 54 << 40 << (width ? width : image.width()) << height << quint16(1)
        << quint16(24) << quint64(0) << ppmX << ppmY << quint64(0);
    for (int row = 0; row < image.height(); ++row) {
        for (int x = 0; x < image.width(); ++x)
            out.writeRawData(
                reinterpret_cast<const char *>(image.constScanLine(height < 0 ? row : image.height() - 1 - row))
                    + 4 * x,
                3);
        out.writeRawData("\0\0\0", (4 - image.width() * 3 % 4) % 4);
    }
    return bytes;
}

// A BMP of palette indexes: a 40-byte header with these bits a pixel and this compression (1: RLE8,
// 2: RLE4), a whole palette of distinct colours, then the pixel bytes, which start where the palette
// ends unless the header says otherwise.
QByteArray indexedBmp(int bits, int compression, qint32 width, qint32 height, const QByteArray &pixels,
                      qint32 pixelOffset = -1)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0x4D42) << quint64(0) << (pixelOffset < 0 ? 54 + (4 << bits) : pixelOffset) << 40 << width << height
        << quint16(1) << quint16(bits) << compression << quint64(0) << quint64(0) << 0;
    for (int i = 0; i < 1 << bits; ++i)
        out << quint8(i * 15) << quint8(255 - i) << quint8(i * 7) << quint8(0); // blue, green, red
    out.writeRawData(pixels.constData(), int(pixels.size()));
    return bytes;
}

// A 16- or 32-bit BMP with bit fields (5-6-5 or 8-8-8): the 40-byte header, the three masks, the pixel bytes.
QByteArray bitFieldsBmp(int bits, qint32 width, qint32 height, const QByteArray &pixels)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0x4D42) << quint64(0) << 66 << 40 << width << height << quint16(1) << quint16(bits) << 3
        << quint64(0) << quint64(0) << 0;
    if (bits == 16)
        out << 0xF800 << 0x07E0 << 0x001F;
    else
        out << 0xFF0000 << 0xFF00 << 0xFF;
    out.writeRawData(pixels.constData(), int(pixels.size()));
    return bytes;
}

// An 8-bit BMP with the old 12-byte header (16-bit width and height, 3-byte palette entries).
QByteArray oldHeaderBmp(qint16 width, qint16 height, const QByteArray &pixels)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0x4D42) << quint64(0) << 26 + 3 * 256 << 12 << width << height << quint16(1) << quint16(8);
    for (int i = 0; i < 256; ++i)
        out << quint8(i) << quint8(255 - i) << quint8(i / 2);
    out.writeRawData(pixels.constData(), int(pixels.size()));
    return bytes;
}

DamageDistance distance(double metres, bool notAvailable = false)
{
    return {metres, notAvailable, false, {}};
}

// A source that gives regions only: what a raster read region by region samples through.
class RegionsOnly final : public MapSource
{
public:
    explicit RegionsOnly(const DecodedMapSource &whole)
        : m_whole(whole)
    { }
    [[nodiscard]] QSize size() const override { return m_whole.size(); }
    [[nodiscard]] const MapUnits &units() const override { return m_whole.units(); }
    [[nodiscard]] Outcome<QImage> region(const QRect &region) const override { return m_whole.region(region); }

private:
    const DecodedMapSource &m_whole;
};

} // namespace

class MapTest : public QObject
{
    Q_OBJECT

private slots:
    void mapWordsItsKinds()
    {
        using K = Error::Kind;
        const QString &file = wording::kFile; // a map's file is named by itself, quoted
        QCOMPARE(wording::unworded(map::mapError, {{K::ScaleNotValid, {}}, {K::ScaleWithDecimals, {}},
                                                   {K::MapUnopenable, file}, {K::MapUnreadable, file},
                                                   {K::MapNotSaved, file}, {K::MapGeoreferenceInvalid, file},
                                                   {K::AreaNotDrawable, file}}),
                 QString());
    }

    void scales_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stepped"); // increased, decreased
        QTest::addColumn<double>("factor"); // 0: refused
        QTest::addColumn<double>("meant"); // what the text plainly says when the rule reads another number; 0: none
        QTest::newRow("start") << "1:1"
                               << "1: 2 1: 0" << 1.0 << 0.0;
        QTest::newRow("zero") << "1: 0"
                              << "1: 1 1:-1" << 0.0 << 0.0;
        QTest::newRow("blanks, then a letter") << "1:   5000m"
                                               << "1: 5001 1: 4999" << 1 / 5000.0 << 0.0;
        QTest::newRow("thousands after a point") << "1:10.000"
                                                 << "1: 11 1: 9" << 1 / 10.0 << 10000.0;
        QTest::newRow("thousands after a blank") << "1:10 000"
                                                 << "1: 11 1: 9" << 1 / 10.0 << 10000.0;
        QTest::newRow("without 1:") << "25000"
                                    << "1: 1 1:-1" << 0.0 << 25000.0;
        QTest::newRow("a decimal part, read as written") << "1:2.5"
                                                         << "1: 3.5 1: 1.5" << 1 / 2.5 << 0.0;
    }
    void scales()
    {
        QFETCH(QString, text);
        QFETCH(QString, stepped);
        QFETCH(double, factor);
        QFETCH(double, meant);
        QCOMPARE(steppedUserScaleText(text, +1) + ' ' + steppedUserScaleText(text, -1), stepped);
        QCOMPARE(userScaleFactor(text), factor > 0 ? std::optional<double>(factor) : std::nullopt);
        QCOMPARE(userScaleMisread(text), meant > 0 ? std::optional<double>(meant) : std::nullopt);
    }

    void scaleList()
    {
        const QStringList entries = scaleListEntries(); // the user's scale, then 1:1, 1:2, 1:5 ... 1:100000
        QCOMPARE(QStringList({entries[0], entries[1], entries[3], entries[16], QString::number(entries.size())}),
                 QStringList({kUserDefinedScaleEntry, "scala 1:1", "scala 1:5", "scala 1:100000", "17"}));
        QCOMPARE(scaleFactorForEntry(entries[0]).value_or(0) + scaleFactorForEntry(entries[16]).value_or(0),
                 1 + 1.0 / 100000);
        QVERIFY(!scaleFactorForEntry(QStringLiteral("scala 1:3"))
                && !scaleFactorForEntry(QStringLiteral("scala 1:5000 ")));
    }

    void radii_data()
    {
        QTest::addColumn<DamageDistance>("distance");
        QTest::addColumn<double>("factor");
        QTest::addColumn<float>("radius"); // -1: not drawn
        QTest::newRow("1:1000, 150 m") << distance(150) << 1.0 / 1000 << 15.0f;
        QTest::newRow("200 units drawn for 50 m")
            << distance(150) << scaleFactorFromSegment({10, 20}, {210, 20}, 50.0) << 600.0f;
        QTest::newRow("120-160-200 drawn backwards for 2 m")
            << distance(1.5) << scaleFactorFromSegment({130, 170}, {10, 10}, 2.0) << 150.0f;
        QTest::newRow("a press without a move") << distance(150) << scaleFactorFromSegment({5, 5}, {5, 5}, 9.0) << 0.0f;
        QTest::newRow("not available") << distance(150, true) << 1.0 / 1000 << -1.0f;
        QTest::newRow("negative distance") << distance(-5) << 1.0 / 1000 << -1.0f;
        QTest::newRow("not a number") << distance(std::nan("")) << 1.0 << -1.0f;
    }
    void radii()
    {
        QFETCH(DamageDistance, distance);
        QFETCH(double, factor);
        QFETCH(float, radius);
        QCOMPARE(damageRadius(distance, factor), radius < 0 ? std::nullopt : std::optional<float>(radius));
    }

    void damageCircles()
    {
        const MapUnits units(3780, 3780); // 37.8 px a unit
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        // Equal radii (5 units): each slot covers the one before; unusable distances are skipped.
        DamageAreas areas{};
        areas.fill(distance(100));
        std::tie(areas[2].metres, areas[5].notAvailable) = std::pair(-40.0, true);
        QCOMPARE(drawDamageCircles(image, units, units.toUnits({200, 200}), areas, 1.0 / 2000), 6);
        QCOMPARE(image.pixel(200 + 189, 200), QColor(64, 64, 64).rgb());
        // 10001 m at 1:1000 is 38000 px: beyond the surface, counted but not drawn; 2 m is 7.56 px.
        image.fill(Qt::white);
        QCOMPARE(drawDamageCircles(image, units, units.toUnits({150, 150}), {distance(10001), distance(2)}, 1.0 / 1000),
                 8);
        QCOMPARE(QList<QRgb>({image.pixel(157, 150), image.pixel(150, 142)}),
                 QList<QRgb>(2, damageAreaColours()[1].rgb()));
        QVERIFY(!image.convertToFormat(QImage::Format_Indexed8).colorTable().contains(damageAreaColours()[0].rgb()));
        // Centred off the surface, a big circle still crosses it: 10 units, 378 px.
        drawDamageCircles(image, units, units.toUnits({-200, 150}), {distance(10)}, 1.0 / 100);
        QCOMPARE(image.pixel(178, 150), damageAreaColours()[0].rgb());
    }

    // Scales as analysts write them, in the scale list and after --scale: the thousands grouped the
    // Italian way, never a decimal part.
    void writtenScales_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<double>("denominator"); // -1: a decimal part, 0: no scale
        QTest::newRow("1:N") << "1:10000" << 10000.0;
        QTest::newRow("thousands after a point") << "1:10.000" << 10000.0;
        QTest::newRow("thousands after blanks") << "1:10 000" << 10000.0;
        QTest::newRow("denominator alone") << "10000" << 10000.0;
        QTest::newRow("as the list writes it, with blanks") << " scala 1 : 7500 " << 7500.0;
        QTest::newRow("decimal comma") << "1:7500,5" << -1.0;
        QTest::newRow("decimal point") << "2.5" << -1.0;
        QTest::newRow("comma between thousands") << "1:10,000" << -1.0;
        QTest::newRow("a group of four") << "1:10.0000" << -1.0;
        QTest::newRow("points and blanks mixed") << "1:1.000 000" << 0.0;
        QTest::newRow("zero") << "1:0.000" << 0.0;
        QTest::newRow("the user-defined entry") << kUserDefinedScaleEntry << 0.0;
        QTest::newRow("a unit after it") << "1:5000 m" << 0.0;
    }
    void writtenScales()
    {
        QFETCH(QString, written);
        QFETCH(double, denominator);
        const Outcome<double> read = writtenScaleDenominator(written);
        if (denominator > 0) {
            QVERIFY(read.ok());
            QCOMPARE(read.value(), denominator);
            return;
        }
        QVERIFY(!read.ok());
        QCOMPARE(read.error().kind, denominator < 0 ? Error::Kind::ScaleWithDecimals : Error::Kind::ScaleNotValid);
        QVERIFY(read.error().message().contains('"' + written + '"'));
    }

    // A rescale's scale as shown, and the factor of exactly that text.
    void roundedScales()
    {
        const ShownScale large = roundedScale(1 / 4823.6), small = roundedScale(1 / 2.534);
        QVERIFY(large.text == "1:4824" && large.factor == 1 / 4824.0 && small.text == "1:2.53"
                && small.factor == 1 / 2.53);
    }

    // Circles that cannot be seen at the scale used: each under a pixel, or each around the whole
    // sheet (400 x 300 pixels at 37.8 a unit: its corners 6.61 units from the middle, where 50 m at
    // 1:750 reach 6.67).
    void circleVisibilities()
    {
        using V = CircleVisibility;
        const MapUnits units(3780, 3780);
        const QPointF middle = units.toUnits({200, 150}), corner = units.toUnits({0.5, 0.5});
        const DamageAreas fifty{distance(50), distance(0), distance(0, true)};
        const auto seen = [&](const DamageAreas &areas, double factor, QPointF centre) {
            return int(circleVisibility(areas, factor, units, {400, 300}, centre));
        };
        QCOMPARE(
            QList<int>({seen(fifty, 1 / 1e7, middle), seen(fifty, 1 / 10.0, middle), seen(fifty, 1 / 750.0, middle),
                        seen(fifty, 1 / 750.0, corner), seen({distance(50), distance(10001)}, 1 / 2e5, middle),
                        seen({distance(0), distance(0, true)}, 1 / 1e7, middle)}),
            QList<int>({int(V::AllBelowOnePixel), int(V::AllAroundTheSheet), int(V::AllAroundTheSheet), int(V::Seen),
                        int(V::Seen), int(V::NoneToDraw)}));
        QVERIFY(unseenCirclesNotice(V::AllAroundTheSheet, 1 / 10.0).startsWith("Alla scala 1:10 ogni")
                && unseenCirclesNotice(V::AllBelowOnePixel, 1 / 1e7).startsWith("Alla scala 1:10000000 ogni")
                && unseenCirclesNotice(V::Seen, 1 / 10.0).isEmpty());
    }

    // Whatever part of a sheet is painted, its drawings look exactly as on the whole sheet, and the
    // sheet itself is never drawn on.
    void regionsOfADrawnSheet()
    {
        const QImage sheet = noise(700, 500);
        const DecodedMapSource source({sheet, MapUnits(3780, 3780)});
        SheetDrawings drawings;
        DamageAreas areas{};
        for (std::size_t slot = 0; slot < areas.size(); ++slot)
            areas[slot] = distance(20.0 + 15.0 * double(slot));
        drawings.addAreas({source.units().toUnits({650, 120}), areas, 1.0 / 2000});
        drawings.startSegment(source.units().toUnits({-30, 480}));
        drawings.extendSegment(source.units().toUnits({690, 10}));
        drawings.addAreas({source.units().toUnits({40, 460}), areas, 1.0 / 5000});
        // Areas drawn as they lie on the ground: rings of sheet pixels, across the regions' edges.
        AreaRings rings;
        for (int vertex = 0; vertex <= 40; ++vertex)
            rings[2].emplace_back(333.3 + 290.7 * std::cos(vertex * 0.157), 250.5 + 230.2 * std::sin(vertex * 0.157));
        drawings.addAreas({source.units().toUnits({333, 250}), areas, 1.0, rings});
        const auto drawn = [&](const QRect &region) { return drawnRegion(source, drawings, region).value(); };
        const QImage whole = drawn(source.rect());
        QVERIFY(whole != sheet && drawn(source.rect()) == whole);
        for (const QRect region :
             {QRect(0, 0, 333, 251), QRect(517, 61, 250, 170), QRect(-40, 300, 120, 300), QRect(301, 207, 1, 1)})
            QCOMPARE(drawn(region), whole.copy(region.intersected(source.rect())));
        QCOMPARE(source.region(source.rect()).value(), sheet);
        QVERIFY(drawn(QRect(800, 0, 50, 50)).isNull());
    }

    // A picture written band by band is byte for byte what Qt's BMP writer gives for the part drawn
    // whole, the legend burned in where it is placed; the sheet's resolution is kept.
    void sheetPicturesBandByBand()
    {
        const QTemporaryDir dir;
        // Wide enough for 256-row bands, so that the part spans three (the last cut short).
        const QImage sheet = noise(4100, 700).convertToFormat(QImage::Format_BGR888);
        QCOMPARE(bandRows(sheet.width()), 256);
        const DecodedMapSource source({sheet, MapUnits(4724, 4724)});
        SheetDrawings drawings;
        DamageAreas areas{};
        for (std::size_t slot = 0; slot < areas.size(); ++slot)
            areas[slot] = distance(30.0 + 20.0 * double(slot));
        drawings.addAreas({source.units().toUnits({2050, 350}), areas, 1.0 / 2000});
        // A painter lights other pixels along a line cut at an image's edge: every kind of drawing
        // crosses the bands' edges.
        drawings.startSegment(source.units().toUnits({-30, 690}));
        drawings.extendSegment(source.units().toUnits({4090, 10}));
        AreaRings rings;
        for (int vertex = 0; vertex <= 64; ++vertex)
            rings[3].emplace_back(900.3 + 800.7 * std::cos(vertex * 0.0982), 300.5 + 420.2 * std::sin(vertex * 0.0982));
        drawings.addAreas({source.units().toUnits({900, 300}), areas, 1.0, rings});
        QImage legend(90, 60, QImage::Format_RGB32);
        legend.fill(Qt::white);
        const auto expected = [&](const QRect &part, bool withLegend) {
            QImage drawn = drawnRegion(source, drawings, part).value();
            if (withLegend)
                QPainter(&drawn).drawImage(QPoint(5, 620), legend);
            source.units().stampOn(drawn);
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            return QImageWriter(&buffer, "bmp").write(drawn) ? bytes : QByteArray();
        };
        const auto written = [&](const SheetPicture &picture) {
            const QString path = dir.filePath("sheet.bmp");
            const Status status = writeSheetPicture(source, drawings, picture, PictureFormat::Bmp, path);
            QFile file(path);
            return status.ok() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QCOMPARE(written({source.rect()}), expected(source.rect(), false));
        const QRect part(1001, 3, 2003, 690);
        QCOMPARE(written({part, legend, QPoint(5, 620)}), expected(part, true));
        // A part off the sheet, or a folder that is not there, is no picture.
        for (const auto &[where, path] : {std::pair(QRect(4000, 0, 200, 10), dir.filePath("a.bmp")),
                                          std::pair(part, dir.filePath("manca/a.bmp"))}) {
            const Status status = writeSheetPicture(source, drawings, {where}, PictureFormat::Bmp, path);
            QVERIFY(!status.ok() && status.error().kind == Error::Kind::MapNotSaved && status.error().file == path);
        }
        QVERIFY(pictureFormatFor("a.TIFF") == PictureFormat::Tiff && pictureFormatFor("a.tif.bmp") == PictureFormat::Bmp);
    }

    // The legend says what was estimated, each area in its colour, the scale, when and where.
    void legendLines()
    {
        const map::CoordinateSystem utm{QString(), "EPSG:32632", "WGS 84 / UTM zone 32N", false};
        const SheetLegend legend = sheetLegend({sample::kFlammable, sample::kFlammable.distances, 1.0 / 5000, true,
                                                QDateTime(QDate(2006, 12, 4), QTime(9, 5)),
                                                {QPointF(480420.04, 5029480.56)}, utm});
        QStringList texts;
        QList<QColor> swatches;
        for (const LegendLine &line : legend.lines) {
            texts << line.text;
            if (line.swatch)
                swatches << *line.swatch;
        }
        QCOMPARE(texts, QStringList({"Sostanza: Propano (CAS 74-98-6)", "Scenario: VCE", "Ipotesi media",
                                     "Soglia 1 D5: 120 m", "Soglia 2 D5: 155 m", "Soglia 3 D5: 210 m",
                                     "Soglia 4 D5: 10000 > m", "Soglia 1 F2: 430 m", "Soglia 2 F2: 500 m",
                                     "Soglia 3 F2: Non applicabile", "Soglia 4 F2: 895 m",
                                     "Scala 1:5000 (della georeferenziazione, aree come al suolo)",
                                     "Data: 04/12/2006 ore 09:05", "Incidente: E 480420.0  N 5029480.6 (EPSG:32632)"}));
        QCOMPARE(swatches, QList<QColor>(damageAreaColours().begin(), damageAreaColours().end()));
        // Without a system there are no coordinates; the panel grows with its text and shrinks to fit.
        const SheetLegend plain = sheetLegend({sample::kFlammable, sample::kFlammable.distances, 1.0 / 5000, false,
                                               QDateTime(QDate(2006, 12, 4), QTime(9, 5))});
        QCOMPARE(plain.lines.size(), legend.lines.size() - 1);
        const QSize small = legendPanelSize(plain, 10), large = legendPanelSize(plain, 30);
        QVERIFY(large.width() > 2 * small.width() && large.height() > 2 * small.height());
        QCOMPARE(legendFontPixels(plain, 118.11, {8000, 8000}), 30);
        const int squeezed = legendFontPixels(plain, 118.11, {600, 2000});
        QVERIFY(squeezed < 30 && 2 * legendPanelSize(plain, squeezed).width() <= 600);
    }

    // The legend takes the corner that covers least of the drawn areas' box: one clear of it when
    // there is one, bottom right first.
    void legendCorners_data()
    {
        QTest::addColumn<QRectF>("box");
        QTest::addColumn<int>("corner");
        using C = LegendCorner;
        QTest::newRow("nothing drawn") << QRectF() << int(C::BottomRight);
        QTest::newRow("areas in the middle") << QRectF(300, 200, 400, 300) << int(C::BottomRight);
        QTest::newRow("areas bottom right") << QRectF(600, 500, 400, 300) << int(C::TopRight);
        QTest::newRow("areas on the right") << QRectF(600, 0, 400, 800) << int(C::BottomLeft);
        QTest::newRow("everywhere, least on the right") << QRectF(0, 0, 900, 800) << int(C::BottomRight);
        QTest::newRow("everywhere, least top left") << QRectF(80, 70, 920, 730) << int(C::TopLeft);
    }
    void legendCorners()
    {
        QFETCH(QRectF, box);
        QFETCH(int, corner);
        const QSize picture(1000, 800), panel(200, 150);
        QCOMPARE(int(legendCorner(picture, panel, 10, box)), corner);
        QCOMPARE(legendRect(picture, panel, 10, LegendCorner::BottomRight), QRect(790, 640, 200, 150));
        QCOMPARE(legendRect(picture, panel, 10, LegendCorner::TopLeft), QRect(10, 10, 200, 150));
    }

    // A sheet too large for one picture is saved as the part around the drawn areas.
    void savedParts()
    {
        const QSize huge(30000, 30000);
        QCOMPARE(savedPart({8000, 8000}, QRectF(10, 10, 5, 5)), QRect(0, 0, 8000, 8000));
        QCOMPARE(savedPart(huge, QRectF(15000, 12000, 7000, 7000)), QRect(14300, 11300, 8400, 8400));
        QCOMPARE(savedPart(huge, QRectF(29990, 100, 5, 5)), QRect(28000, 0, 2000, 2000));
        QCOMPARE(savedPart(huge, QRectF()), QRect());
        QCOMPARE(savedPart(huge, QRectF(0, 0, 25000, 25000)), QRect());
        // The box of circles and of rings, with their centres.
        SheetDrawings drawings;
        const MapUnits units(10000, 10000); // 100 pixels a drawing unit
        drawings.addAreas({QPointF(1, 2), DamageAreas{distance(50)}, 1.0 / 1000}); // 5 units
        AreaRings rings;
        rings[1] = {QPointF(900, 900), QPointF(950, 1000)};
        drawings.addAreas({QPointF(9, 9), DamageAreas{}, 1.0, rings});
        QCOMPARE(areasBox(drawings.areas(), units), QRectF(-401, -301, 1351.5, 1301.5));
        QVERIFY(areasBox({}, units).isNull());
    }

    // A saved sheet of a georeferenced map has its world file, .prj and .aux.xml beside it; one saved
    // over it from a plain map takes away those that would place it. Until committed, nothing is there.
    void sideFilesOfSavedSheets()
    {
        const QTemporaryDir dir;
        const QString path = dir.filePath("mappa intera.bmp");
        QCOMPARE(georeferenceFileNames(path), QStringList({dir.filePath("mappa intera.bpw"),
                                                           dir.filePath("mappa intera.prj"), path + ".aux.xml"}));
        QCOMPARE(georeferenceFileNames(dir.filePath("a")).first(), dir.filePath("a.wld"));
        const Outcome<CoordinateSystem> utm = coordinateSystemFrom("EPSG:32632", "test");
        QVERIFY(utm.ok());
        const Georeference sheet{480000, 5030000, 0.5, -0.5, utm.value()};
        QCOMPARE(worldFileText(georeferenceOfPart(sheet, {100, 40})), QByteArray("0.5\n0\n0\n-0.5\n480050.25\n5029979.75\n"));

        const DecodedMapSource source({noise(300, 200), MapUnits(3780, 3780)});
        const SheetDrawings drawings;
        const auto files = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); };
        Outcome<std::unique_ptr<StagedSheet>> staged
            = stageSheetPicture(source, drawings, {QRect(100, 40, 200, 160), {}, {}, sheet}, path);
        QVERIFY(staged.ok());
        QCOMPARE(files().size(), 4); // all aside
        QVERIFY(staged.value()->commit().ok());
        QCOMPARE(files(), QStringList({"mappa intera.bmp", "mappa intera.bmp.aux.xml", "mappa intera.bpw",
                                       "mappa intera.prj"}));
        QVERIFY(stageSheetPicture(source, drawings, {source.rect()}, path).value()->commit().ok());
        QCOMPARE(files(), QStringList({"mappa intera.bmp", "mappa intera.prj"}));
        QCOMPARE(QImage(path).size(), QSize(300, 200));
        const Outcome<std::unique_ptr<StagedSheet>> refused
            = stageSheetPicture(source, drawings, {source.rect()}, dir.filePath("manca/x.bmp"));
        QVERIFY(!refused.ok() && refused.error().kind == Error::Kind::MapNotSaved);
        QCOMPARE(refused.error().file, dir.filePath("manca/x.bmp"));
    }

    // The zoom's steps are the powers of the square root of 2, the range's ends included.
    void zoomSteps_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("steps");
        QTest::addColumn<double>("least");
        QTest::addColumn<double>("expected");
        QTest::newRow("in from the natural size") << 1.0 << 1 << 0.1 << std::sqrt(2.0);
        QTest::newRow("out twice from the natural size") << 1.0 << -2 << 0.1 << 0.5;
        QTest::newRow("back onto the step left") << std::sqrt(2.0) << -1 << 0.1 << 1.0;
        QTest::newRow("from the fitted zoom to the next step") << 0.3 << 1 << 0.3 << std::pow(2.0, -1.5);
        QTest::newRow("out no further than the whole sheet") << 0.4 << -3 << 0.3 << 0.3;
        QTest::newRow("in no further than 4") << 3.0 << 2 << 0.3 << 4.0;
        QTest::newRow("a zoom out of the range brought in first") << 6.0 << -1 << 0.3 << std::pow(2.0, 1.5);
    }
    void zoomSteps()
    {
        QFETCH(double, zoom);
        QFETCH(int, steps);
        QFETCH(double, least);
        QFETCH(double, expected);
        QVERIFY(std::abs(steppedZoom(zoom, steps, {least, kMostZoom}) - expected) < 1e-12);
    }

    // Zooming keeps the sheet's point under the mouse where it is; after a drawing the view moves only
    // when the areas are not all in the room, and zooms out only as far as they need.
    void views()
    {
        QCOMPARE(zoomRange({8000, 8000}, {656, 741}).least, 0.082);
        QCOMPARE(zoomRange({300, 200}, {656, 741}).least, 1.0); // a small sheet is never shown smaller
        QCOMPARE(MapView({0.082, {}}).zoomedSize({8000, 8000}), QSize(656, 656));
        for (const double zoom : {0.082, 0.7, 1.0, 2.0, 4.0}) {
            const MapView before{std::sqrt(2.0), QPoint(337, 1201)};
            const QPointF anchor(401, 233);
            const MapView after = zoomedAbout(before, zoom, anchor);
            QVERIFY(after.zoom == zoom);
            const QPointF moved = after.toSheet(anchor) - before.toSheet(anchor);
            QVERIFY2(std::abs(moved.x()) <= 0.5 / zoom && std::abs(moved.y()) <= 0.5 / zoom,
                     qPrintable(QString::number(zoom)));
        }
        const QRect room(16, 16, 624, 709);
        const ZoomRange range{0.1, kMostZoom};
        const MapView natural{1.0, QPoint(100, 100)};
        QCOMPARE(viewShowing({300, 300, 200, 200}, {400, 400}, natural, room, range), natural);
        const MapView centred = viewShowing({900, 300, 200, 200}, {1000, 400}, natural, room, range);
        QVERIFY(centred.zoom == 1.0 && (centred.toView({1000, 400}) - QRectF(room).center()).manhattanLength() <= 0.5);
        const MapView out = viewShowing({0, 0, 1400, 1000}, {700, 500}, natural, room, range);
        QCOMPARE(out.zoom, 624.0 / 1400);
        QVERIFY(QRectF(room).contains(QRectF(out.toView({0, 0}), out.toView({1400, 1000}))));
        const MapView kept = viewShowing({0, 0, 14000, 10000}, {700, 500}, natural, room, range);
        QVERIFY(kept.zoom == 0.1 && (kept.toView({700, 500}) - QRectF(room).center()).manhattanLength() <= 1);
    }

    // A sheet shown zoomed takes the sheet pixel under each screen pixel's centre, whether the source
    // samples the sheet in place or region by region, and at zoom 1 it is the sheet's own pixels.
    void sampledSheets()
    {
        for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
            const QImage sheet = noise(90, 70).convertToFormat(format);
            const DecodedMapSource whole({sheet, MapUnits(3780, 3780)});
            const RegionsOnly regions(whole);
            QCOMPARE(whole.sampled(QRectF(10, 20, 30, 40), {30, 40}).value(), sheet.copy(10, 20, 30, 40));
            for (const auto &[area, size] : {std::pair{QRectF(4, 6, 80, 60), QSize(40, 30)},
                                             std::pair{QRectF(10.5, 3.25, 7.5, 5), QSize(30, 20)},
                                             std::pair{QRectF(0, 0, 90, 70), QSize(9, 7)}}) {
                const QImage shown = whole.sampled(area, size).value();
                QCOMPARE(regions.sampled(area, size).value(), shown);
                QCOMPARE(shown.format(), format);
                const double across = area.width() / size.width(), down = area.height() / size.height();
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x)
                        QCOMPARE(shown.pixel(x, y), sheet.pixel(int(std::floor(area.x() + (x + 0.5) * across)),
                                                                int(std::floor(area.y() + (y + 0.5) * down))));
            }
        }
    }

    // At any zoom the drawings are drawn at the view's resolution: circles of the zoomed radius, one
    // pixel wide, the incident's cross at its centre; and any part of a view is that part of the whole view.
    void drawingsAtAZoom()
    {
        QImage white(400, 300, QImage::Format_RGB32);
        white.fill(Qt::white);
        const DecodedMapSource source({white, MapUnits(3780, 3780)});
        SheetDrawings drawings;
        DamageAreas areas{};
        areas[0] = distance(20); // 1 cm at 1:2000: 37.8 px
        drawings.addAreas({source.units().toUnits({200.5, 150.5}), areas, 1.0 / 2000});
        AreaRings rings;
        for (int vertex = 0; vertex <= 40; ++vertex)
            rings[2].emplace_back(100.5 + 60 * std::cos(vertex * 0.157), 100.5 + 60 * std::sin(vertex * 0.157));
        drawings.addAreas({source.units().toUnits({100.5, 100.5}), areas, 1.0, rings});
        drawings.startSegment(source.units().toUnits({10.5, 290.5}));
        drawings.extendSegment(source.units().toUnits({390.5, 200.5}));
        // What the view after a drawing keeps in sight: the circles' reach, the rings' vertices.
        const std::vector<DrawnAreas> drawn = drawings.areas();
        QCOMPARE(areasExtent(drawn.at(0), source.units()),
                 QRectF(QPointF(200.5 - 37.8, 150.5 - 37.8), QSizeF(75.6, 75.6)));
        const QRectF ringsReach = areasExtent(drawn.at(1), source.units()); // 60 pixels around 100.5, 100.5
        QVERIFY(QRectF(40.4, 40.4, 120.2, 120.2).contains(ringsReach) && ringsReach.width() > 119.9
                && ringsReach.height() > 119.9);
        for (const double zoom : {0.5, std::sqrt(2.0), 2.0, 4.0}) {
            const QRect zoomed(QPoint(0, 0), MapView{zoom, {}}.zoomedSize(source.size()));
            const QImage view = drawnView(source, drawings, zoom, zoomed).value();
            QCOMPARE(view.size(), zoomed.size());
            const QString at = QString::number(zoom);
            for (const QRect part :
                 {QRect(0, 0, 173, 91), QRect(150, 77, 301, 205), QRect(zoomed.right() - 40, 3, 80, 60)})
                QVERIFY2(drawnView(source, drawings, zoom, part).value() == view.copy(part.intersected(zoomed)),
                         qPrintable(at));
            const int centre = int(std::floor(200.5 * zoom)), row = int(std::floor(150.5 * zoom));
            QVERIFY2(view.pixel(centre, row) == qRgb(0, 0, 0), qPrintable(at));
            QList<int> red;
            for (int x = centre + 1; x < view.width(); ++x)
                if (view.pixel(x, row) == qRgb(255, 0, 0))
                    red << x - centre;
            QVERIFY2(red.size() == 1 && std::abs(red.first() - 37.8 * zoom) <= 1.5, qPrintable(at));
        }
    }

    void typedCoordinates_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("expected"); // NaN: not a number
        const double none = std::nan("");
        QTest::newRow("decimal comma") << " 480420,5 " << 480420.5;
        QTest::newRow("decimal point") << "480420.5" << 480420.5;
        QTest::newRow("degrees with their sign") << "45,4642°" << 45.4642;
        QTest::newRow("negative") << "-9.19" << -9.19;
        QTest::newRow("the minus sign") << "\u22129,19" << -9.19;
        QTest::newRow("thousands and decimals") << "480.420,5" << none;
        QTest::newRow("thousands by blanks") << "480 420" << none;
        QTest::newRow("two numbers by a blank") << "480420 5029480" << none;
        QTest::newRow("exponent") << "4.8e5" << none;
        QTest::newRow("words") << "E 480420" << none;
    }
    void typedCoordinates()
    {
        QFETCH(QString, typed);
        QFETCH(double, expected);
        const std::optional<double> read = typedCoordinate(typed);
        QCOMPARE(read.has_value(), !std::isnan(expected));
        if (read)
            QCOMPARE(*read, expected);
    }

    // On a plain sheet a length is the scale's arithmetic: 5 units (cm of the sheet) at 1:5000 are 250 m.
    void distancesAtAScale()
    {
        const DistanceMeasure measure = DistanceMeasure::atScale(1.0 / 5000);
        QCOMPARE(*measure.metres({1, 1}, {4, 5}), 250.0);
        QVERIFY(!DistanceMeasure::atScale(0).metres({1, 1}, {4, 5}));
        QCOMPARE(QStringList({measure.basis(), metresText(250), metresText(12345.6)}),
                 QStringList({"alla scala 1:5000", "250.0 m", "12346 m"}));
    }

    void invertedLineTwiceRestoresThePixels_data()
    {
        QTest::addColumn<QLine>("line");
        QTest::addColumn<int>("length"); // pixels it touches inside the image
        QTest::newRow("shallow") << QLine(0, 0, 199, 37) << 200;
        QTest::newRow("steep backwards") << QLine(180, 190, 170, 3) << 188;
        QTest::newRow("zero length") << QLine(77, 88, 77, 88) << 1;
        QTest::newRow("leaves the image") << QLine(100, 199, 400, 199) << 100;
        QTest::newRow("wholly outside") << QLine(-50, -50, -10, -80) << 0;
    }
    void invertedLineTwiceRestoresThePixels()
    {
        QFETCH(QLine, line);
        QFETCH(int, length);
        for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_BGR888, QImage::Format_RGB16}) {
            const QImage original = noise(200, 200).convertToFormat(format);
            QImage image = original;
            invertLinePixels(image, line.p1(), line.p2());
            int touched = 0;
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 200; ++x)
                    touched += ((image.pixel(x, y) ^ original.pixel(x, y)) & 0xFFFFFF) == 0xFFFFFF;
            QCOMPARE(touched, length);
            invertLinePixels(image, line.p2(), line.p1()); // drawn backwards: the same pixels
            QCOMPARE(image, original);
        }
    }

    void loadingMaps_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "none": no file
        QTest::addColumn<QString>("loaded"); // size and pixels per drawing unit, or the error
        const QImage small = noise(4, 2);
        QTest::newRow("axes differ") << bmp(small, 11811, 5906) << "4x2 118.11 59.06";
        QTest::newRow("only x") << bmp(small, 3780, 0) << "4x2 37.8 37.8";
        QTest::newRow("only y, x absurd") << bmp(small, 2000000000, 2835) << "4x2 28.35 28.35";
        QTest::newRow("lowest plausible") << bmp(small, 1000, 1000) << "4x2 10 10";
        QTest::newRow("highest plausible") << bmp(small, 100000, 100000) << "4x2 1000 1000";
        QTest::newRow("too low: 96 dpi") << bmp(small, 999, 999) << "4x2 37.7953 37.7953";
        QTest::newRow("too high: 96 dpi") << bmp(small, 100001, 100001) << "4x2 37.7953 37.7953";
        QTest::newRow("rows padded") << bmp(noise(37, 23)) << "37x23 37.8 37.8";
        QTest::newRow("rows padded, top-down") << bmp(noise(37, 23), 3780, 3780, 37, -23) << "37x23 37.8 37.8";
        QTest::newRow("rows not padded") << bmp(noise(40, 23)) << "40x23 37.8 37.8";
        const QString raster
            = QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/cartografia/raster/");
        QTest::newRow("bundled palette 1:5000")
            << fileBytes(raster + QStringLiteral("esempio 1-5000.bmp")) << "1500x1100 47.24 47.24";
        QTest::newRow("missing") << QByteArray("none") << "MapUnopenable";
        QTest::newRow("not a bitmap") << QByteArray("questo non è un bitmap\r\n").repeated(20) << "MapUnreadable";
        QTest::newRow("truncated") << bmp(small).chopped(1) << "MapUnreadable: file troncato";
        QTest::newRow("palette, truncated") // the image reader would leave the missing rows unfilled
            << fileBytes(raster + QStringLiteral("esempio 1-5000.bmp")).chopped(1500) << "MapUnreadable: file troncato";
        // The old 12-byte header, read by the image reader like any other palette file (it states no
        // resolution: the reader's own 96 dpi, rounded to whole pixels per metre, holds).
        const QByteArray indexes = QByteArray::fromHex("010203040506070809101112");
        QTest::newRow("old 12-byte header") << oldHeaderBmp(4, 3, indexes) << "4x3 37.8 37.8";
        QTest::newRow("old 12-byte header, truncated")
            << oldHeaderBmp(4, 3, indexes.chopped(3)) << "MapUnreadable: file troncato";
        // The image reader starts on the pixels after the palette when the header points before its end.
        QTest::newRow("pixel offset inside the palette")
            << indexedBmp(8, 0, 4, 3, indexes, 54) << "4x3 37.7953 37.7953";
        QTest::newRow("pixel offset inside the palette, truncated")
            << indexedBmp(8, 0, 4, 3, indexes.chopped(3), 0) << "MapUnreadable: file troncato";
        // Run-length codes, bottom line first: a run, the line's end; two runs; 4 pixels written out,
        // the bitmap's end. A stream that stops before its end leaves the rest of the image unwritten.
        const QByteArray runs8 = QByteArray::fromHex("0401 0000 0202 0203 0000 0004 05060708 0001");
        QTest::newRow("run-length 8-bit") << indexedBmp(8, 1, 4, 3, runs8) << "4x3 37.7953 37.7953";
        QTest::newRow("run-length 8-bit, every line ended, no end of the bitmap")
            << indexedBmp(8, 1, 4, 3, runs8.chopped(2) + QByteArray(2, '\0')) << "4x3 37.7953 37.7953";
        QTest::newRow("run-length 8-bit, truncated")
            << indexedBmp(8, 1, 4, 3, runs8.left(10)) << "MapUnreadable: file troncato";
        QTest::newRow("run-length 8-bit, cut inside pixels written out")
            << indexedBmp(8, 1, 4, 3, runs8.chopped(4)) << "MapUnreadable: file troncato";
        QTest::newRow("run-length 8-bit, end of the bitmap cut in half")
            << indexedBmp(8, 1, 4, 3, runs8.chopped(1)) << "MapUnreadable: file troncato";
        QTest::newRow("run-length 8-bit, cut inside a move")
            << indexedBmp(8, 1, 4, 3, runs8.left(4) + QByteArray::fromHex("000201")) << "MapUnreadable: file troncato";
        QTest::newRow("run-length 8-bit top-down, truncated")
            << indexedBmp(8, 1, 4, -3, runs8.left(10)) << "MapUnreadable: file troncato";
        // 5 pixels written out (3 bytes, padded to 4), the line's end; a run of 5 alternating pixels.
        const QByteArray runs4 = QByteArray::fromHex("0005 12345000 0000 05ab 0001");
        QTest::newRow("run-length 4-bit") << indexedBmp(4, 2, 5, 2, runs4) << "5x2 37.7953 37.7953";
        QTest::newRow("run-length 4-bit, truncated")
            << indexedBmp(4, 2, 5, 2, runs4.left(8)) << "MapUnreadable: file troncato";
        QTest::newRow("bit fields 16-bit") << bitFieldsBmp(16, 4, 3, QByteArray(24, '\x5a')) << "4x3 37.7953 37.7953";
        QTest::newRow("bit fields 16-bit, truncated")
            << bitFieldsBmp(16, 4, 3, QByteArray(22, '\x5a')) << "MapUnreadable: file troncato";
        QTest::newRow("bit fields 32-bit, top-down, truncated")
            << bitFieldsBmp(32, 4, -3, QByteArray(47, '\x5a')) << "MapUnreadable: file troncato";
        QTest::newRow("run-length 4-bit, an odd number of pixels written out, then nothing")
            << indexedBmp(4, 2, 5, 1, QByteArray::fromHex("0005 1234 0001")) << "MapUnreadable: file troncato";
        QTest::newRow("run-length 4-bit, cut inside pixels written out")
            << indexedBmp(4, 2, 5, 2, runs4.left(4)) << "MapUnreadable: file troncato";
        QTest::newRow("claims 100000 x 100000")
            << bmp({}, 0, 0, 100000, 100000) + QByteArray(64, '\0') << "MapUnreadable: immagine troppo grande";
        // 1 KB of palette and run-length codes whose 32-bit copy alone would take a gigabyte.
        QByteArray rle8 = bmp({}, 0, 0, 16000, 16000).left(54) + QByteArray(1024, '\0') + QByteArray("\0\1", 2);
        qToLittleEndian<quint32>(54 + 1024, rle8.data() + 10);
        qToLittleEndian<quint16>(8, rle8.data() + 28);
        qToLittleEndian<quint32>(1, rle8.data() + 30);
        QTest::newRow("palette 16000 x 16000, run-length") << rle8 << "MapUnreadable: immagine troppo grande";
        QTest::newRow("palette 16000 x 16000 top-down, run-length")
            << indexedBmp(8, 1, 16000, -16000, QByteArray("\0\1", 2)) << "MapUnreadable: immagine troppo grande";
        // A size beyond what the image reader takes, which then tells none: judged on the header all the same.
        QTest::newRow("palette 24 x 671088656, run-length")
            << indexedBmp(8, 1, 24, 671088656, QByteArray("\0\1", 2)) << "MapUnreadable: immagine troppo grande";
        QTest::newRow("a FIFO") << QByteArray("fifo")
                                << "MapUnopenable: non è un file normale (è un dispositivo, una FIFO o un socket)";
    }
    void loadingMaps()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, loaded);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zona industriale.bmp"));
        if (bytes == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(bytes == "none" || writeBytes(path, bytes));
        const Outcome<MapBitmap> map = loadMapBitmap(path);
        if (!map.ok()) {
            QCOMPARE(map.error().file, QStringLiteral("zona industriale.bmp"));
            const QString kind = map.error().kind == Error::Kind::MapUnopenable ? "MapUnopenable" : "MapUnreadable";
            QCOMPARE(loaded.contains(':') ? kind + ": " + map.error().detail : kind, loaded);
            return;
        }
        const auto &[image, units] = map.value();
        QCOMPARE(QStringLiteral("%1x%2 %3 %4")
                     .arg(image.width())
                     .arg(image.height())
                     .arg(units.pixelsPerUnitX())
                     .arg(units.pixelsPerUnitY()),
                 loaded);
        // Plain 24-bit maps stay 24-bit, others become 32-bit; the pixels are those the image reader gives.
        QCOMPARE(image.format(), bytes.at(28) == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
        QCOMPARE(image.convertToFormat(QImage::Format_RGB32),
                 QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32));
    }

    // A well-formed run-length stream may leave pixels unset (a line ended early, a move, the bitmap
    // ended early): they show the palette's first colour, never leftover memory.
    void pixelsARunLengthStreamSkips_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("indexes"); // palette indexes, top line first
        // 2 pixels of 3, the line's end; a move 2 right and 1 line on; 3 pixels of 5; the bitmap's end.
        QTest::newRow("8-bit") << indexedBmp(8, 1, 6, 4, QByteArray::fromHex("0203 0000 00020201 0305 0001"))
                               << "000000 005550 000000 330000";
        QTest::newRow("4-bit, top-down") << indexedBmp(4, 2, 6, -4, QByteArray::fromHex("0233 0000 00020201 0355 0001"))
                                         << "330000 000000 005550 000000";
    }
    void pixelsARunLengthStreamSkips()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, indexes);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a salti.bmp"));
        QVERIFY(writeBytes(path, bytes));
        const Outcome<MapBitmap> map = loadMapBitmap(path);
        QVERIFY2(map.ok(), qPrintable(map.ok() ? QString() : map.error().detail));
        const auto *palette = reinterpret_cast<const uchar *>(bytes.constData()) + 54; // blue, green, red, 0
        const QStringList lines = indexes.split(' ');
        QImage expected(6, 4, QImage::Format_RGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const uchar *colour = palette + 4 * lines[y].mid(x, 1).toInt();
                expected.setPixel(x, y, qRgb(colour[2], colour[1], colour[0]));
            }
        QCOMPARE(map.value().image, expected);
    }

    void savedPicturesAndFailuresThatKeepTheOldFile()
    {
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ZEFRO  map 20061204 ore 09_05 Ammoniaca.bmp"));
        const Picture picture = BitmapToPicture(noise(120, 80));
        QVERIFY(savePictureAsBmp(picture, path).ok());
        QCOMPARE(QImageReader(path).format(), QByteArray("bmp"));
        for (const auto &[failing, where] :
             {std::pair(Picture{}, path), std::pair(picture, dir.filePath(QStringLiteral("manca/x.bmp")))}) {
            const Status saved = savePictureAsBmp(failing, where);
            QCOMPARE(saved.ok() ? Error::Kind::MissingWorkbook : saved.error().kind, Error::Kind::MapNotSaved);
            QCOMPARE(saved.error().file, where);
        }
        QCOMPARE(QImage(path), picture.bitmap);
    }

    void windowFramesAndPrintedPages()
    {
        const QImage client = noise(300, 200), whole = drawWindowFrame(client, QStringLiteral("Finestra di prova"));
        QCOMPARE(whole.copy(kFrameBorder, kFrameBorder + kTitleBarHeight, 300, 200), client);
        QVERIFY(whole.pixel(0, 0) == qRgb(255, 255, 255) && whole.pixel(whole.width() - 1, 5) == qRgb(64, 64, 64));
        // A palette image keeps its own colours when no palette is given.
        const QImage indexed = client.convertToFormat(QImage::Format_Indexed8);
        QCOMPARE(BitmapToPicture(indexed).bitmap.colorTable(), indexed.colorTable());
        // Relatively taller than the printable area, a picture fills its height, else its width.
        QCOMPARE(QList<QSizeF>({fittedPrintSize({1024, 768}, {2000, 1000}), fittedPrintSize({500, 500}, {800, 1000}),
                                fittedPrintSize({0, 5}, {8, 8})}),
                 QList<QSizeF>({QSizeF(4000 / 3.0, 1000), QSizeF(800, 800), QSizeF()}));
        QVERIFY(orientationForPicture({501, 500}) == PageOrientation::Landscape
                && orientationForPicture({500, 500}) == PageOrientation::Portrait);
    }

    void mapFilePathsAndNames()
    {
        QCOMPARE(mapFilePath("c:\\dati", "a.bmp") + ' ' + mapFilePath("c:\\", "a.bmp"),
                 QStringLiteral("c:\\dati\\a.bmp c:\\a.bmp"));
        QCOMPARE(mapFilePath("/drive/c/maps", "mappa 1.bmp") + ' ' + mapFilePath("/", "a.bmp"),
                 QStringLiteral("/drive/c/maps/mappa 1.bmp /a.bmp"));
        const QDateTime when(QDate(2006, 12, 4), QTime(9, 5, 30));
        QCOMPARE(mapPageFileName(QStringLiteral("c:\\t\\"), when, QStringLiteral("GPL")),
                 QStringLiteral("c:\\t\\ZEFRO  map 20061204 ore 09_05 GPL.pdf"));
    }
};

QTEST_MAIN(MapTest)
#include "test_map.moc"
