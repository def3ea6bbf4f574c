// zefro-estimate --map: the eight damage areas drawn on a map file at the radius the scale gives,
// in drawing units of the map sheet (centimetres, from the bitmap's resolution), saved as a BMP.
#include "test_cli_process.h"

#include <QFile>
#include <QImage>
#include <QtTest>

#include <cmath>

namespace {

const QColor kWhite(255, 255, 255);

// Acido acetico on the tiny drive, no bund, 10-50 t, "Ipotesi più probabile": 60, 75, 85 and 110 m
// under both weathers, so the F2 colours (drawn last) are the ones that show.
const QStringList kAceticEstimate{"--name", "Acido acetico", "--hypothesis", "1", "--containment", "2", "--range", "2"};
const QList<double> kMetres{60, 75, 85, 110};
const QList<QColor> kF2Colours{QColor(0, 255, 0), QColor(255, 0, 255), QColor(192, 192, 192), QColor(64, 64, 64)};

// A white map; dotsPerMetre 0 writes a file that states no resolution.
bool writeMap(const QString &path, int width, int height, int dotsPerMetre)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kWhite);
    if (dotsPerMetre > 0) {
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
    }
    if (!image.save(path, "BMP"))
        return false;
    if (dotsPerMetre > 0)
        return true;
    // Qt always states a resolution: clear the two fields of the information header.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    for (int offset : {38, 42})
        bytes.replace(offset, 4, QByteArray(4, '\0'));
    file.seek(0);
    return file.write(bytes) == bytes.size();
}

// The offsets from `from`, along one row or column, of the pixels that have exactly this colour.
QList<int> offsetsWithColour(const QImage &image, QPoint from, bool alongRow, const QColor &colour)
{
    QList<int> offsets;
    const int length = alongRow ? image.width() : image.height();
    const int start = alongRow ? from.x() : from.y();
    for (int i = 0; i < length; ++i) {
        const QPoint p = alongRow ? QPoint(i, from.y()) : QPoint(from.x(), i);
        if (image.pixelColor(p) == colour)
            offsets << i - start;
    }
    return offsets;
}

} // namespace

class CliMapTest : public QObject
{
    Q_OBJECT

private slots:
    void circlesAtTheRadiusOfTheScale_data()
    {
        QTest::addColumn<int>("dotsPerMetre");   // of the map file, 0 = not stated
        QTest::addColumn<QStringList>("scale");  // --scale N or --segment ...
        QTest::addColumn<double>("pixelsPerMetreOnGround"); // radius in pixels of one metre of distance
        QTest::addColumn<QPoint>("centre");      // the pixel of --point 2,1.5

        // 100 pixels per centimetre of the sheet; at 1:10000 one metre is 0.01 cm.
        QTest::newRow("scale 1:10000") << 10000 << QStringList{"--scale", "10000"} << 1.0 << QPoint(200, 150);
        // A segment of 5 cm for 250 m: 0.02 cm per metre, 2 pixels.
        QTest::newRow("segment 5 cm = 250 m") << 10000 << QStringList{"--segment", "0,0,3,4,250"} << 2.0 << QPoint(200, 150);
        // No resolution stated: 96 dpi, 37.8 pixels per centimetre.
        QTest::newRow("no resolution, scale 1:5000") << 0 << QStringList{"--scale", "5000"} << 0.02 * 3779.5276 / 100.0
                                                      << QPoint(75, 56);
    }

    void circlesAtTheRadiusOfTheScale()
    {
        QFETCH(int, dotsPerMetre);
        QFETCH(QStringList, scale);
        QFETCH(double, pixelsPerMetreOnGround);
        QFETCH(QPoint, centre);
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        // The map and the output named as the system names files, through the drive root.
        const QString mapPath = QStringLiteral("c:\\mappe\\piccola.bmp");
        const QString outPath = QStringLiteral("c:\\mappe\\con aree.bmp");
        QVERIFY(QDir().mkpath(drive->local(QStringLiteral("c:\\mappe"))));
        QVERIFY(writeMap(drive->local(mapPath), 400, 300, dotsPerMetre));

        const cli::Run result = cli::run(QStringList{"--drive-root", drive->root()} + kAceticEstimate
                                         + QStringList{"--map", mapPath, "--point", "2,1.5", "--out", outPath} + scale);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        QCOMPARE(result.outLines().size(), 16);

        const QImage drawn(drive->local(outPath), "BMP");
        QCOMPARE(drawn.size(), QSize(400, 300));
        // The saved map keeps the sheet's drawing unit.
        QCOMPARE(drawn.dotsPerMeterX(), dotsPerMetre > 0 ? dotsPerMetre : 3780);
        QCOMPARE(drawn.pixelColor(centre), kWhite); // outlines, not discs

        int circlesSeen = 0;
        for (qsizetype i = 0; i < kMetres.size(); ++i) {
            const double radius = kMetres[i] * pixelsPerMetreOnGround;
            for (const bool alongRow : {true, false}) {
                const QList<int> offsets = offsetsWithColour(drawn, centre, alongRow, kF2Colours[i]);
                const int room = alongRow ? std::min(centre.x(), 399 - centre.x()) : std::min(centre.y(), 299 - centre.y());
                if (radius + 1 >= room)
                    continue; // the circle leaves the map on this axis
                QVERIFY2(offsets.size() >= 2, qPrintable(QStringLiteral("colour %1, radius %2").arg(i).arg(radius)));
                for (const int offset : offsets)
                    QVERIFY2(std::abs(std::abs(offset) - radius) <= 1.0,
                             qPrintable(QStringLiteral("colour %1: pixel at %2, radius %3").arg(i).arg(offset).arg(radius)));
                QVERIFY(offsets.first() < 0 && offsets.last() > 0);
                ++circlesSeen;
            }
        }
        QVERIFY(circlesSeen >= 4);
        // The map itself is untouched.
        QImage original(drive->local(mapPath), "BMP");
        QCOMPARE(original.pixelColor(centre.x() + qRound(60 * pixelsPerMetreOnGround), centre.y()), kWhite);
    }

    void notABitmapIsADataError()
    {
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        QTemporaryDir folder;
        const QString map = folder.path() + QStringLiteral("/mappa.bmp");
        QFile file(map);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        const QString out = folder.path() + QStringLiteral("/out.bmp");

        const cli::Run result = cli::run(QStringList{"--drive-root", drive->root()} + kAceticEstimate
                                         + QStringList{"--map", map, "--point", "1,1", "--scale", "5000", "--out", out});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.startsWith(QStringLiteral("Il file \"mappa.bmp\" non è una mappa bitmap leggibile")),
                 qPrintable(result.err));
        QVERIFY(!QFile::exists(out));
    }

    void pointOffTheMapNamesTheMapSize()
    {
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        QTemporaryDir folder;
        const QString map = folder.path() + QStringLiteral("/mappa.bmp");
        QVERIFY(writeMap(map, 400, 300, 10000));
        const cli::Run result = cli::run(QStringList{"--drive-root", drive->root()} + kAceticEstimate
                                         + QStringList{"--map", map, "--point", "1,3", "--scale", "5000", "--out",
                                                       folder.path() + QStringLiteral("/out.bmp")});
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.errLines().value(0),
                 QStringLiteral("zefro-estimate: --point 1,3: il punto è fuori dalla mappa, che misura 4.00 x 3.00 cm"));
    }
};

QTEST_MAIN(CliMapTest)
#include "test_cli_map.moc"
