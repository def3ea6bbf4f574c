// Drawing on the map surface's image (damage circles, the inverted rescale line), reading map
// files, and capturing, saving and printing a window.
#include "map/DamageCircles.h"
#include "map/InvertLine.h"
#include "map/MapFiles.h"
#include "map/MapPicture.h"
#include "map/WindowCapture.h"
#include "support/TestDrive.h"

#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>

using namespace map;

namespace {

QImage noise(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = 0xFF000000u | (random.generate() & 0x00FFFFFFu);
    }
    return image;
}

int differingPixels(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

// True when a pixel of this colour lies within `slack` pixels of the point.
bool colourNear(const QImage &image, QPoint at, QRgb colour, int slack = 1)
{
    for (int dy = -slack; dy <= slack; ++dy)
        for (int dx = -slack; dx <= slack; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (image.rect().contains(p) && (image.pixel(p) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
        }
    return false;
}

int pixelsOfColour(const QImage &image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
}

ResultSet distances(std::initializer_list<double> metres)
{
    ResultSet result;
    int slot = 0;
    for (const double m : metres)
        result.damageDistance[slot++] = CellValue::number(m);
    return result;
}

} // namespace

class MapDrawingTest : public QObject
{
    Q_OBJECT

private slots:
    void invertedLineTwiceRestoresThePixels_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("length"); // pixels the line touches inside the image
        QTest::newRow("horizontal") << QPoint(10, 50) << QPoint(150, 50) << 141;
        QTest::newRow("vertical up") << QPoint(30, 190) << QPoint(30, 5) << 186;
        QTest::newRow("shallow") << QPoint(0, 0) << QPoint(199, 37) << 200;
        QTest::newRow("steep backwards") << QPoint(180, 190) << QPoint(170, 3) << 188;
        QTest::newRow("diagonal") << QPoint(199, 0) << QPoint(0, 199) << 200;
        QTest::newRow("zero length") << QPoint(77, 88) << QPoint(77, 88) << 1;
        QTest::newRow("leaves the image") << QPoint(100, 100) << QPoint(400, 100) << 100;
        QTest::newRow("wholly outside") << QPoint(-50, -50) << QPoint(-10, -80) << 0;
    }
    void invertedLineTwiceRestoresThePixels()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(int, length);
        const QImage original = noise(200, 200, 7);
        QImage image = original;
        invertLinePixels(image, from, to);
        QCOMPARE(differingPixels(image, original), length);
        // Each pixel touched is the exact inverse of what it was.
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                if (image.pixel(x, y) != original.pixel(x, y))
                    QCOMPARE(image.pixel(x, y) & 0xFFFFFF, ~original.pixel(x, y) & 0xFFFFFF);
        invertLinePixels(image, from, to);
        QCOMPARE(image, original);
        // Drawn in the other direction it is the same set of pixels.
        invertLinePixels(image, from, to);
        invertLinePixels(image, to, from);
        QCOMPARE(image, original);
    }

    void rubberBandInDrawingUnits()
    {
        // The line of DrawLine runs between the pixels of its two points in drawing units.
        const MapUnits units(4724, 4724);
        const QImage original = noise(300, 300, 3);
        QImage viaUnits = original;
        DrawLine(viaUnits, units, units.toUnits(QPointF(20, 30)), units.toUnits(QPointF(250, 140)));
        QImage viaPixels = original;
        invertLinePixels(viaPixels, QPoint(20, 30), QPoint(250, 140));
        QCOMPARE(viaUnits, viaPixels);
        QVERIFY(viaUnits != original);
    }

    void circlesHaveTheirColoursAtTheirRadii()
    {
        // 1:5000 on a sheet of 4724 px/m: 100 m is 2 units, 94.48 px.
        const MapUnits units(4724, 4724);
        QImage image(1000, 1000, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QPoint centre(500, 500);
        const ResultSet result = distances({100, 150, 200, 250, 300, 350, 400, 450});
        QCOMPARE(drawDamageCircles(image, units, units.toUnits(centre), result, 1.0 / 5000), 8);
        for (int slot = 0; slot < 8; ++slot) {
            const double r = (100.0 + 50.0 * slot) / 5000.0 * 100.0 * 47.24;
            const QRgb colour = damageAreaColours()[slot].rgb();
            for (const QPointF direction : {QPointF(1, 0), QPointF(-1, 0), QPointF(0, 1), QPointF(0, -1),
                                            QPointF(M_SQRT1_2, M_SQRT1_2)}) {
                const QPoint on = (QPointF(centre) + direction * r).toPoint();
                QVERIFY2(colourNear(image, on, colour), qPrintable(QStringLiteral("slot %1").arg(slot)));
            }
            // Nothing of that colour well inside or outside the ring: outlines, no fill.
            QVERIFY(!colourNear(image, centre + QPoint(int(r) - 20, 0), colour, 3));
            QVERIFY(!colourNear(image, centre + QPoint(int(r) + 20, 0), colour, 3));
        }
        QCOMPARE(image.pixel(centre), qRgb(255, 255, 255));
    }

    void laterCircleCoversAnEqualEarlierOne()
    {
        const MapUnits units(3780, 3780);
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        ResultSet result = distances({150, 0, 0, 0, 150, 0, 0, 0}); // 1 D5 red and 1 F2 green alike
        drawDamageCircles(image, units, units.toUnits(QPointF(200, 200)), result, 1.0 / 10000);
        QCOMPARE(pixelsOfColour(image, qRgb(255, 0, 0)), 0);
        QVERIFY(pixelsOfColour(image, qRgb(0, 255, 0)) > 100);
    }

    void unusableDistancesAreSkipped()
    {
        const MapUnits units(3780, 3780);
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        ResultSet result = distances({100, 100, 100, 100, 100, 100, 100, 100});
        result.damageDistance[0] = CellValue::text(QStringLiteral("n.d."));
        result.damageDistance[2] = CellValue::number(-40);
        result.notAvailable[5] = true;
        QCOMPARE(drawDamageCircles(image, units, units.toUnits(QPointF(200, 200)), result, 1.0 / 2000), 5);
        const auto &colours = damageAreaColours();
        QCOMPARE(pixelsOfColour(image, colours[0].rgb()), 0);
        QCOMPARE(pixelsOfColour(image, colours[2].rgb()), 0);
        QCOMPARE(pixelsOfColour(image, colours[5].rgb()), 0);
        QVERIFY(pixelsOfColour(image, colours[7].rgb()) > 100);
    }

    void enormousCirclesDoNotHangOrCrash()
    {
        // 10001 m at 1:1000 is about 38000 pixels at 96 dpi: far beyond a small surface.
        const MapUnits units(3780, 3780);
        QImage image(300, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        const ResultSet result = distances({10001, 10001, 2, 0, 0, 0, 0, 0});
        QCOMPARE(drawDamageCircles(image, units, units.toUnits(QPointF(150, 150)), result, 1.0 / 1000), 8);
        QCOMPARE(pixelsOfColour(image, damageAreaColours()[0].rgb()), 0);
        QCOMPARE(pixelsOfColour(image, damageAreaColours()[1].rgb()), 0);
        QVERIFY(colourNear(image, QPoint(150 + 8, 150), damageAreaColours()[2].rgb())); // 0.2 units, 7.56 px
        // Centred off the surface, a big circle still crosses it.
        QImage corner(300, 300, QImage::Format_RGB32);
        corner.fill(Qt::white);
        drawDamageCircles(corner, units, units.toUnits(QPointF(-200, 150)), distances({10}), 1.0 / 100);
        QVERIFY(pixelsOfColour(corner, damageAreaColours()[0].rgb()) > 0); // 10 units = 378 px
    }

    void bundledMapsStateTheirResolution_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("pixelsPerUnit");
        QTest::newRow("1:5000") << "esempio 1-5000.bmp" << 47.24;
        QTest::newRow("1:10000") << "esempio 1-10000.bmp" << 37.80;
    }
    void bundledMapsStateTheirResolution()
    {
        QFETCH(QString, file);
        QFETCH(double, pixelsPerUnit);
        const QString path = QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/cartografia/raster/") + file;
        const MapLoadResult loaded = loadMapBitmap(path);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(loaded.map.image.size(), QSize(1500, 1100));
        QCOMPARE(loaded.map.image.format(), QImage::Format_RGB32);
        QVERIFY(std::fabs(loaded.map.units.pixelsPerUnitX() - pixelsPerUnit) < 1e-9);
        QVERIFY(std::fabs(loaded.map.units.pixelsPerUnitY() - pixelsPerUnit) < 1e-9);
    }

    void bmpWithoutResolutionIsTakenAt96Dpi()
    {
        QTemporaryDir dir;
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::green);
        image.setDotsPerMeterX(5906);
        image.setDotsPerMeterY(5906);
        const QString path = dir.filePath(QStringLiteral("plain.bmp"));
        QVERIFY(image.save(path, "BMP"));
        QCOMPARE(loadMapBitmap(path).map.units.pixelsPerUnitX(), 59.06);
        // Clear the header's resolution fields.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(38);
        file.write(QByteArray(8, '\0'));
        file.close();
        const MapLoadResult loaded = loadMapBitmap(path);
        QVERIFY(loaded.ok());
        QVERIFY(std::fabs(loaded.map.units.pixelsPerUnitX() - 96.0 / 2.54) < 1e-9);
        QCOMPARE(loaded.map.image.pixel(10, 10), qRgb(0, 255, 0));
    }

    void plainTwentyFourBitBmpsReadAsTheImageReaderReadsThem_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("topDown");
        QTest::newRow("row padding, bottom-up") << 37 << false;
        QTest::newRow("no padding, bottom-up") << 40 << false;
        QTest::newRow("row padding, top-down") << 37 << true;
    }
    void plainTwentyFourBitBmpsReadAsTheImageReaderReadsThem()
    {
        QFETCH(int, width);
        QFETCH(bool, topDown);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("piana.bmp"));
        QImage source = noise(width, 23, 5).convertToFormat(QImage::Format_RGB888);
        QVERIFY(source.save(path, "BMP")); // Qt writes 24-bit rows bottom-up
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        QCOMPARE(int(bytes[28]), 24);
        if (topDown) {
            // Turn it into a top-down file: negative height, rows reversed.
            const int rowBytes = (width * 3 + 3) / 4 * 4;
            const int offset = qFromLittleEndian<quint32>(reinterpret_cast<const uchar *>(bytes.constData()) + 10);
            QByteArray rows;
            for (int row = 22; row >= 0; --row)
                rows += bytes.mid(offset + row * rowBytes, rowBytes);
            bytes = bytes.left(offset) + rows;
            qToLittleEndian<qint32>(-23, reinterpret_cast<uchar *>(bytes.data()) + 22);
            file.seek(0);
            file.write(bytes);
        }
        file.close();

        const MapLoadResult loaded = loadMapBitmap(path);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(loaded.map.image.format(), QImage::Format_BGR888);
        QCOMPARE(loaded.map.image.convertToFormat(QImage::Format_RGB32), source.convertToFormat(QImage::Format_RGB32));
        // The inverted line works on these pixels too.
        QImage image = loaded.map.image;
        invertLinePixels(image, QPoint(0, 0), QPoint(width - 1, 22));
        QCOMPARE(image.pixel(0, 0) & 0xFFFFFF, ~loaded.map.image.pixel(0, 0) & 0xFFFFFF);
        invertLinePixels(image, QPoint(0, 0), QPoint(width - 1, 22));
        QCOMPARE(image, loaded.map.image);

        // Cut short, it is refused with a message instead of showing garbage.
        QVERIFY(QFile::resize(path, bytes.size() - 10));
        const MapLoadResult truncated = loadMapBitmap(path);
        QVERIFY(!truncated.ok());
        QVERIFY(truncated.error.contains(QStringLiteral("troncato")));
    }

    void circlesOnATwentyFourBitSurface()
    {
        const MapUnits units(3780, 3780);
        QImage image(300, 300, QImage::Format_BGR888);
        image.fill(Qt::white);
        drawDamageCircles(image, units, units.toUnits(QPointF(150, 150)), distances({100, 0, 0, 0, 0, 0, 0, 0}),
                          1.0 / 10000); // 1 unit, 37.8 px
        QVERIFY(colourNear(image, QPoint(150 + 38, 150), qRgb(255, 0, 0)));
        QVERIFY(colourNear(image, QPoint(150, 150 - 38), qRgb(255, 0, 0)));
    }

    void unreadableMapsGiveAMessage()
    {
        QTemporaryDir dir;
        const QString garbage = dir.filePath(QStringLiteral("rotta.bmp"));
        QFile file(garbage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BM this is not a bitmap at all");
        file.close();
        const MapLoadResult bad = loadMapBitmap(garbage);
        QVERIFY(!bad.ok());
        QVERIFY(bad.error.contains(QStringLiteral("rotta.bmp")));
        QVERIFY(bad.map.image.isNull());
        const MapLoadResult missing = loadMapBitmap(dir.filePath(QStringLiteral("manca.bmp")));
        QVERIFY(!missing.ok());
        QVERIFY(missing.error.contains(QStringLiteral("manca.bmp")));
    }

    void grabbedWindowHasOurFrameAndCaption()
    {
        QLabel window(QStringLiteral("contenuto"));
        window.setWindowTitle(QStringLiteral("Finestra di prova"));
        window.setStyleSheet(QStringLiteral("background: rgb(0, 128, 0)"));
        window.resize(300, 200);
        const Picture whole = GrabFormImage(window);
        QCOMPARE(whole.bitmap.size(), QSize(300 + 2 * kFrameBorder, 200 + kTitleBarHeight + 2 * kFrameBorder));
        // Client pixels inside the frame, title bar colour above them.
        QCOMPARE(whole.bitmap.pixel(kFrameBorder + 2, kFrameBorder + kTitleBarHeight + 2), qRgb(0, 128, 0));
        const QRgb title = whole.bitmap.pixel(kFrameBorder + 1, kFrameBorder + 1);
        QVERIFY(qBlue(title) > 90 && qRed(title) < 30); // the dark end of the title bar
        const Picture client = GrabWindowImage(window, true, 0, 0, 300, 200);
        QCOMPARE(client.bitmap.size(), QSize(300, 200));
        QCOMPARE(client.bitmap.pixel(0, 0), qRgb(0, 128, 0));
        // A rectangle reaching beyond the window is black there.
        const Picture beyond = GrabWindowImage(window, true, 250, 150, 100, 100);
        QCOMPARE(beyond.bitmap.pixel(10, 10), qRgb(0, 128, 0));
        QCOMPARE(beyond.bitmap.pixel(90, 90), qRgb(0, 0, 0));
    }

    void savedPictureIsABmpAndFailuresKeepTheOldFile()
    {
        QTemporaryDir dir;
        const Picture picture = BitmapToPicture(noise(120, 80, 11));
        const QString path = dir.filePath(QStringLiteral("ZEFRO  map 20061204 ore 09_05 Ammoniaca.bmp"));
        QVERIFY(savePictureAsBmp(picture, path).isEmpty());
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("bmp"));
        QCOMPARE(reader.read(), picture.bitmap);

        QVERIFY(!savePictureAsBmp(picture, dir.filePath(QStringLiteral("manca/x.bmp"))).isEmpty());
        QVERIFY(!savePictureAsBmp(Picture{}, path).isEmpty());
        QCOMPARE(QImage(path), picture.bitmap); // the earlier file is untouched
    }

    void printedPageIsOrientedAndFitted_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("fillsWidth");
        QTest::newRow("map window, wide") << QSize(1024, 770) << true << false;
        QTest::newRow("very wide") << QSize(1200, 200) << true << true;
        QTest::newRow("tall") << QSize(300, 900) << false << false;
        QTest::newRow("square") << QSize(500, 500) << false << true;
    }
    void printedPageIsOrientedAndFitted()
    {
        QFETCH(QSize, picture);
        QFETCH(bool, landscape);
        QFETCH(bool, fillsWidth);
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
        QImage bitmap(picture, QImage::Format_RGB32);
        bitmap.fill(Qt::blue);
        const std::optional<QRectF> drawn = PrintPictureFitted(printer, BitmapToPicture(bitmap));
        QVERIFY(drawn.has_value());
        QCOMPARE(printer.pageLayout().orientation(), landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        QCOMPARE(printer.width() > printer.height(), landscape);
        QCOMPARE(drawn->topLeft(), QPointF(0, 0));
        QVERIFY(std::fabs(drawn->width() / drawn->height() - double(picture.width()) / picture.height()) < 1e-9);
        if (fillsWidth) {
            QVERIFY(std::fabs(drawn->width() - printer.width()) < 1e-6);
            QVERIFY(drawn->height() <= printer.height() + 1e-6);
        } else {
            QVERIFY(std::fabs(drawn->height() - printer.height()) < 1e-6);
            QVERIFY(drawn->width() <= printer.width() + 1e-6);
        }
        QFile pdf(printer.outputFileName());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF"));
    }

    void pictureWithThePagesRatioFillsItExactly()
    {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
        printer.setPageOrientation(QPageLayout::Landscape);
        const QSize page(printer.width(), printer.height());
        // The page's ratio, up to the rounding of the division.
        QImage exact(page / 4, QImage::Format_RGB32);
        exact.fill(Qt::red);
        const std::optional<QRectF> drawn = PrintPictureFitted(printer, BitmapToPicture(exact));
        QVERIFY(drawn.has_value());
        QVERIFY(std::fabs(drawn->width() - page.width()) <= page.width() * 0.002);
        QVERIFY(std::fabs(drawn->height() - page.height()) <= page.height() * 0.002);
    }
};

QTEST_MAIN(MapDrawingTest)
#include "test_map_drawing.moc"
