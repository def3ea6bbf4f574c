// Drawing on the map surface's image (damage circles, the inverted rescale line), reading map
// files, and capturing, saving and printing a window.
#include "map/DamageCircles.h"
#include "map/InvertLine.h"
#include "map/MapFiles.h"
#include "map/MapPicture.h"
#include "map/WindowCapture.h"

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

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

QImage noise(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000u | (random.generate() & 0x00FFFFFFu));
    return image;
}

QImage white(int size, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, size, format);
    image.fill(Qt::white);
    return image;
}

// How many pixels of this colour lie within `slack` pixels of the point (all of the image when
// slack is negative).
int colourCount(const QImage &image, QRgb colour, QPoint at = {}, int slack = -1)
{
    const QRect area = slack < 0 ? image.rect() : QRect(at - QPoint(slack, slack), at + QPoint(slack, slack));
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.rect().contains(x, y) && (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
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
        QTest::newRow("shallow") << QPoint(0, 0) << QPoint(199, 37) << 200;
        QTest::newRow("steep backwards") << QPoint(180, 190) << QPoint(170, 3) << 188;
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
        int touched = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                if (image.pixel(x, y) != original.pixel(x, y)) {
                    ++touched;
                    QCOMPARE(image.pixel(x, y) & 0xFFFFFF, ~original.pixel(x, y) & 0xFFFFFF);
                }
        QCOMPARE(touched, length);
        invertLinePixels(image, to, from); // the same pixels either way
        QCOMPARE(image, original);

        // The rubber band runs between the pixels of its two ends given in drawing units.
        const MapUnits units(4724, 4724);
        DrawLine(image, units, units.toUnits(QPointF(from)), units.toUnits(QPointF(to)));
        invertLinePixels(image, from, to);
        QCOMPARE(image, original);
    }

    void unusableAndHugeCircles()
    {
        const MapUnits units(3780, 3780); // 37.8 px per unit
        // Unusable distances are skipped, the others drawn.
        QImage image = white(400);
        ResultSet result = distances({100, 100, 100, 100, 100, 100, 100, 100});
        result.damageDistance[0] = CellValue::text(QStringLiteral("n.d."));
        result.damageDistance[2] = CellValue::number(-40);
        result.notAvailable[5] = true;
        QCOMPARE(drawDamageCircles(image, units, units.toUnits(QPointF(200, 200)), result, 1.0 / 2000), 5);
        for (const int skipped : {0, 2, 5})
            QCOMPARE(colourCount(image, damageAreaColours()[skipped].rgb()), 0);
        QVERIFY(colourCount(image, damageAreaColours()[7].rgb()) > 100);

        // 10001 m at 1:1000 is about 38000 px: far beyond the surface, drawn without hanging; on
        // the format of a plain 24-bit map.
        image = white(300, QImage::Format_BGR888);
        QCOMPARE(drawDamageCircles(image, units, units.toUnits(QPointF(150, 150)), distances({10001, 2}), 1.0 / 1000), 8);
        QCOMPARE(colourCount(image, kRed), 0);
        QVERIFY(colourCount(image, kBlue, QPoint(150 + 8, 150), 1) > 0); // 0.2 units, 7.56 px
        QVERIFY(colourCount(image, kBlue, QPoint(150, 150 - 8), 1) > 0);
        // Centred off the surface, a big circle still crosses it: 10 units, 378 px.
        image = white(300);
        drawDamageCircles(image, units, units.toUnits(QPointF(-200, 150)), distances({10}), 1.0 / 100);
        QVERIFY(colourCount(image, kRed) > 0);
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
        const MapLoadResult loaded = loadMapBitmap(
            QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/cartografia/raster/") + file);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(loaded.map.image.size(), QSize(1500, 1100));
        QVERIFY(std::fabs(loaded.map.units.pixelsPerUnitX() - pixelsPerUnit) < 1e-9);
        QVERIFY(std::fabs(loaded.map.units.pixelsPerUnitY() - pixelsPerUnit) < 1e-9);
    }

    void plainTwentyFourBitBmps_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("topDown");
        QTest::newRow("row padding, bottom-up") << 37 << false;
        QTest::newRow("no padding, bottom-up") << 40 << false;
        QTest::newRow("row padding, top-down") << 37 << true;
    }
    void plainTwentyFourBitBmps()
    {
        // Read straight into a 24-bit surface, with the same pixels the image reader gives.
        QFETCH(int, width);
        QFETCH(bool, topDown);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("piana.bmp"));
        const QImage source = noise(width, 23, 5).convertToFormat(QImage::Format_RGB888);
        QVERIFY(source.save(path, "BMP")); // Qt writes 24-bit rows bottom-up
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        QCOMPARE(int(bytes[28]), 24);
        if (topDown) {
            // Negative height, rows reversed.
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
        QImage image = loaded.map.image;
        invertLinePixels(image, QPoint(0, 0), QPoint(width - 1, 22));
        QCOMPARE(image.pixel(0, 0) & 0xFFFFFF, ~loaded.map.image.pixel(0, 0) & 0xFFFFFF);

        // Cut short, it is refused with a message instead of showing garbage.
        QVERIFY(QFile::resize(path, bytes.size() - 10));
        const MapLoadResult truncated = loadMapBitmap(path);
        QVERIFY(!truncated.ok());
        QVERIFY(truncated.error.contains(QStringLiteral("troncato")));
    }

    void grabbedWindowHasOurFrameAndCaption()
    {
        QLabel window(QStringLiteral("contenuto"));
        window.setWindowTitle(QStringLiteral("Finestra di prova"));
        window.setStyleSheet(QStringLiteral("background: rgb(0, 128, 0)"));
        window.resize(300, 200);
        const Picture whole = GrabFormImage(window);
        QCOMPARE(whole.bitmap.size(), QSize(300 + 2 * kFrameBorder, 200 + kTitleBarHeight + 2 * kFrameBorder));
        QCOMPARE(whole.bitmap.pixel(kFrameBorder + 2, kFrameBorder + kTitleBarHeight + 2), qRgb(0, 128, 0));
        const QRgb title = whole.bitmap.pixel(kFrameBorder + 1, kFrameBorder + 1);
        QVERIFY(qBlue(title) > 90 && qRed(title) < 30); // the dark end of the title bar
        // A rectangle of the client area reaching beyond the window is black there.
        const Picture beyond = GrabWindowImage(window, true, 250, 150, 100, 100);
        QCOMPARE(beyond.bitmap.size(), QSize(100, 100));
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
        // One side fills the page, the other fits in it.
        const double filled = fillsWidth ? drawn->width() - printer.width() : drawn->height() - printer.height();
        QVERIFY(std::fabs(filled) < 1e-6);
        QVERIFY(drawn->width() <= printer.width() + 1e-6 && drawn->height() <= printer.height() + 1e-6);
        QFile pdf(printer.outputFileName());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF"));
    }
};

QTEST_MAIN(MapDrawingTest)
#include "test_map_drawing.moc"
