// Georeferenced maps: world files, reference systems, and map files read through GDAL, checked
// against GDAL's and PROJ's own command-line tools.
#include "map/DistanceMeasure.h"
#include "map/GdalSession.h"
#include "map/Georeference.h"
#include "map/GroundSystem.h"
#include "map/MapScale.h"
#include "map/MapFiles.h"
#include "map/MapOpening.h"
#include "map/SavedSheet.h"
#include "map/WorldFile.h"
#include "support/RasterFixtures.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <ogr_spatialref.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QtTest>

#include <cmath>
#include <limits>

#include <sys/stat.h>

using namespace map;

namespace {

// A world file of 2.5 m pixels whose sheet starts at 500000 E, 5040000 N (UTM 32N), as tiled.tif.
const QByteArray kWorldFile = "2.5\n0\n0\n-2.5\n500001.25\n5039998.75\n";
// What a GIS writes into a .prj: ESRI WKT, without an EPSG code.
const QByteArray kEsriUtm32
    = R"(PROJCS["WGS_1984_UTM_Zone_32N",GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,)"
      R"(298.257223563]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["Transverse_Mercator"],)"
      R"(PARAMETER["False_Easting",500000.0],PARAMETER["False_Northing",0.0],PARAMETER["Central_Meridian",9.0],)"
      R"(PARAMETER["Scale_Factor",0.9996],PARAMETER["Latitude_Of_Origin",0.0],UNIT["Meter",1.0]])";

QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(image.bits()), image.sizeInBytes() / 4);
    return image.convertToFormat(QImage::Format_RGB888).convertToFormat(QImage::Format_RGB32);
}

QImage paletteNoise(int width, int height) // 16 colours of a palette
{
    QList<QRgb> colours;
    for (int i = 0; i < 16; ++i)
        colours << qRgb(i * 16, 255 - i * 9, i * 5);
    return noise(width, height).convertToFormat(QImage::Format_Indexed8, colours);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qWarning() << program << arguments << process.readAllStandardError();
    return process.readAllStandardOutput();
}

// A TIFF of 8-bit gray pixels in 16-pixel tiles declaring `width` x `height` pixels, in a few hundred
// bytes: its tables of tile places lie past its end.
QByteArray tiffDeclaring(quint32 width, quint32 height)
{
    const quint32 tiles = quint32(quint64((width + 15) / 16) * ((height + 15) / 16));
    QByteArray bytes("II");
    QDataStream out(&bytes, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(42) << quint32(8) << quint16(10);
    // Tag, type (3 short, 4 long), count, value: width, height, 8 bits, no compression, gray, one sample,
    // 16 x 16 tiles, then the tables of tile offsets and sizes, far past the end.
    for (const std::array<quint32, 4> &entry : std::initializer_list<std::array<quint32, 4>>{{256, 4, 1, width},
                                                                                             {257, 4, 1, height},
                                                                                             {258, 3, 1, 8},
                                                                                             {259, 3, 1, 1},
                                                                                             {262, 3, 1, 1},
                                                                                             {277, 3, 1, 1},
                                                                                             {322, 3, 1, 16},
                                                                                             {323, 3, 1, 16},
                                                                                             {324, 4, tiles, 1000},
                                                                                             {325, 4, tiles, 2000}})
        out << quint16(entry[0]) << quint16(entry[1]) << entry[2] << entry[3]; // a short fills the first half
    out << quint32(0);
    return bytes;
}

bool near(double actual, double expected, double tolerance)
{
    return std::abs(actual - expected) <= tolerance * std::max(1.0, std::abs(expected));
}

} // namespace

class GeorasterTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString at(const QString &name) const { return m_dir.filePath(name); }
    void translate(const QString &from, const QString &to, const QStringList &options)
    {
        run("gdal_translate", QStringList{"-q"} + options + QStringList{at(from), at(to)});
        QVERIFY2(QFile::exists(at(to)), qPrintable(to));
    }
    void cut(const QString &from, const QString &to, qint64 bytes)
    {
        QFile source(at(from));
        QVERIFY(source.open(QIODevice::ReadOnly) && writeFile(at(to), source.read(bytes)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(noise(300, 200).save(at("noise.png")));
        QVERIFY(paletteNoise(300, 200).save(at("palette.png")));
        const QStringList tiles{"-co", "TILED=YES", "-co", "BLOCKXSIZE=64", "-co", "BLOCKYSIZE=64"};
        const QStringList utm{"-a_srs", "EPSG:32632", "-a_ullr", "500000", "5040000", "500750", "5039500"};
        translate("noise.png", "tiled.tif",
                  utm + tiles
                      + QStringList{"-co", "COMPRESS=DEFLATE", "-mo", "TIFFTAG_XRESOLUTION=118.11", "-mo",
                                    "TIFFTAG_YRESOLUTION=118.11", "-mo", "TIFFTAG_RESOLUTIONUNIT=3"});
        translate("noise.png", "wgs84.tif", {"-a_srs", "EPSG:4326", "-a_ullr", "9", "45.5", "9.003", "45.498"});
        translate("palette.png", "palette.tif", tiles);
        translate("noise.png", "nosystem.tif", {"-a_ullr", "500000", "5040000", "500750", "5039500"});
        translate("noise.png", "gray16.tif", {"-b", "1", "-ot", "UInt16"});
        translate("noise.png", "photo.jpg", {});

        for (const QString name : {"bitmap", "badprj", "rotated"})
            QVERIFY(noise(300, 200).save(at(name + ".bmp")));
        QVERIFY(writeFile(at("bitmap.bpw"), kWorldFile) && writeFile(at("bitmap.PRJ"), kEsriUtm32));
        QVERIFY(writeFile(at("badprj.wld"), kWorldFile) && writeFile(at("badprj.prj"), "GEOGCS[nonsense"));
        QVERIFY(writeFile(at("rotated.bpw"), "2.5\n0.3\n0.3\n-2.5\n500000\n5040000\n")
                && writeFile(at("rotated.prj"), kEsriUtm32));
        QVERIFY(QFile::copy(at("tiled.tif"), at("broken.tif")));
        QVERIFY(writeFile(at("broken.tfw"), "2.5\n0\nabc\n-2.5\n500000\n5040000\n"));
        QVERIFY(noise(1, 5).save(at("thin.png")));

        // Cut in the middle of the tiles, and inside the directory that describes them.
        const qint64 size = QFileInfo(at("tiled.tif")).size();
        cut("tiled.tif", "cut-pixels.tif", size / 2);
        cut("tiled.tif", "cut-header.tif", 100);
        cut("photo.jpg", "cut.jpg", QFileInfo(at("photo.jpg")).size() / 2);
        // Whole but with tiles that no longer decode.
        QVERIFY(QFile::copy(at("tiled.tif"), at("damaged.tif")));
        QFile damaged(at("damaged.tif"));
        QVERIFY(damaged.open(QIODevice::ReadWrite) && damaged.seek(size / 8));
        QVERIFY(damaged.write(QByteArray(int(size - size / 8), '\xFF')) == size - size / 8);

        // Its own georeference not finite: a pixel of infinite size, one whose sheet ends at infinity,
        // no origin.
        QVERIFY(writeGeoTiffPlacedBy(at("infinite.tif"), {0, std::numeric_limits<double>::infinity(), 0, 0, 0, -1}));
        QVERIFY(writeGeoTiffPlacedBy(at("overflowing.tif"), {0, 1e308, 0, 0, 0, -1e308}));
        QVERIFY(writeGeoTiffPlacedBy(at("nan.tif"), {std::nan(""), 1, 0, 0, 0, -1}));
        QVERIFY(writeFile(at("many-tiles.tif"), tiffDeclaring(500000, 500000)));
        QVERIFY(writeFile(at("widest.tif"), tiffDeclaring(std::numeric_limits<qint32>::max(), 16)));

        // GDAL's notes beside a raster: as gdal_translate writes them, a FIFO, one of 2 GB, broken XML.
        translate("tiled.tif", "noted.png", {"-of", "PNG"});
        QVERIFY2(QFile::exists(at("noted.png.aux.xml")), "gdal_translate wrote no .aux.xml");
        for (const QString name : {"fifo-notes", "huge-notes", "broken-notes"})
            QVERIFY(QFile::copy(at("noted.png"), at(name + ".png")));
        QVERIFY(::mkfifo(QFile::encodeName(at("fifo-notes.png.aux.xml")).constData(), 0600) == 0);
        QFile hugeNotes(at("huge-notes.png.aux.xml"));
        QVERIFY(hugeNotes.open(QIODevice::WriteOnly) && hugeNotes.resize(qint64(2) << 30));
        QVERIFY(writeFile(at("broken-notes.png.aux.xml"), "<PAMDataset><SRS>EPSG:32632</PAMDataset>"));
    }

    void worldFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("detail"); // empty: read
        QTest::newRow("north up, Windows lines, blanks") << QByteArray("\xEF\xBB\xBF 2.5\r\n0\r\n0 \r\n-2.5\r\n"
                                                                       "500001.25\r\n5039998.75\r\n\r\n\n")
                                                         << "";
        QTest::newRow("text") << QByteArray("2.5\n0\nabc\n-2.5\n1\n2\n") << "riga 3: \"abc\" non è un numero";
        QTest::newRow("blank line inside") << QByteArray("2.5\n0\n\n0\n-2.5\n1\n2\n") << "riga 3: vuota";
        QTest::newRow("four lines") << QByteArray("2.5\n0\n0\n-2.5\n") << "servono 6 righe di numeri, il file ne ha 4";
        QTest::newRow("seven lines") << QByteArray("2.5\n0\n0\n-2.5\n1\n2\n3\n") << "riga 7: \"3\" in più";
        QTest::newRow("not finite") << QByteArray("2.5\n0\n0\n-2.5\ninf\n2\n")
                                    << "riga 5: \"inf\" non è un numero finito";
        QTest::newRow("zero width") << QByteArray("0\n0\n0\n-2.5\n1\n2\n") << "riga 1: la larghezza del pixel è zero";
        QTest::newRow("zero height") << QByteArray("2.5\n0\n0\n0.0\n1\n2\n") << "riga 4: l'altezza del pixel è zero";
        QTest::newRow("corner beyond any number")
            << QByteArray("1.7e308\n0\n0\n-1\n-1.7e308\n2\n") << "righe 1-6: i numeri sono troppo grandi";
    }
    void worldFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, detail);
        const Outcome<WorldFile> read = parseWorldFile(text, "carta.tfw");
        if (detail.isEmpty()) {
            QVERIFY2(read.ok(), qPrintable(read.ok() ? QString() : read.error().message()));
            const WorldFile &w = read.value();
            QCOMPARE(QList<double>({w.a, w.d, w.b, w.e, w.c, w.f}),
                     QList<double>({2.5, 0.0, 0.0, -2.5, 500001.25, 5039998.75}));
            return;
        }
        QVERIFY(!read.ok());
        QCOMPARE(read.error().kind, Error::Kind::MapGeoreferenceInvalid);
        QCOMPARE(read.error().file, QString("carta.tfw"));
        QVERIFY2(read.error().detail.startsWith(detail), qPrintable(read.error().detail));
    }

    void worldFileBeside_data()
    {
        QTest::addColumn<QString>("raster");
        QTest::addColumn<QStringList>("beside");
        QTest::addColumn<QString>("found");
        QTest::newRow("tfw in capitals") << "a.tif" << QStringList{"a.TFW", "b.tfw"} << "a.TFW";
        QTest::newRow("tiff: tfw") << "a.tiff" << QStringList{"a.tfw"} << "a.tfw";
        QTest::newRow("jpgw before wld") << "a.b.JPG" << QStringList{"a.b.wld", "a.b.jpgw", "a.jgw"} << "a.b.jpgw";
        QTest::newRow("png: wld") << "a.png" << QStringList{"a.wld", "a.pgwx"} << "a.wld";
        QTest::newRow("none") << "a.bmp" << QStringList{"a.tfw", "A.bpw", "a.bmp.bpw"} << "";
    }
    void worldFileBeside()
    {
        QFETCH(QString, raster);
        QFETCH(QStringList, beside);
        QFETCH(QString, found);
        const QTemporaryDir folder;
        for (const QString &name : beside)
            QVERIFY(writeFile(folder.filePath(name), kWorldFile));
        QCOMPARE(map::worldFileBeside(folder.filePath(raster)), found.isEmpty() ? found : folder.filePath(found));
    }

    void coordinateSystem_data()
    {
        QTest::addColumn<QString>("definition");
        QTest::addColumn<QString>("code"); // empty: refused
        QTest::addColumn<bool>("geographic");
        QTest::newRow("EPSG code") << "EPSG:32632"
                                   << "EPSG:32632" << false;
        QTest::newRow("ESRI WKT of a .prj") << QString(kEsriUtm32) << "EPSG:32632" << false;
        QTest::newRow("PROJ string") << "+proj=utm +zone=32 +datum=WGS84"
                                     << "EPSG:32632" << false;
        QTest::newRow("geographic ESRI WKT")
            << R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],)"
               R"(PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])"
            << "EPSG:4326" << true;
        QTest::newRow("US survey feet") << "EPSG:2263"
                                        << "EPSG:2263" << false;
        QTest::newRow("geocentric") << "EPSG:4978"
                                    << "" << false;
        QTest::newRow("the name of a .prj") << at("bitmap.PRJ") << "" << false; // never read from a name
    }
    void coordinateSystem()
    {
        QFETCH(QString, definition);
        QFETCH(QString, code);
        QFETCH(bool, geographic);
        const Outcome<CoordinateSystem> system = coordinateSystemFrom(definition, "carta.prj");
        if (code.isEmpty()) {
            QVERIFY(!system.ok());
            QCOMPARE(system.error().kind, Error::Kind::MapGeoreferenceInvalid);
            QCOMPARE(system.error().file, QString("carta.prj"));
            return;
        }
        QVERIFY2(system.ok(), qPrintable(system.ok() ? QString() : system.error().message()));
        QCOMPARE(system.value().code, code);
        QCOMPARE(system.value().geographic, geographic);
        QVERIFY(system.value().wkt.startsWith(geographic ? "GEOGCRS[" : "PROJCRS["));
        // What the reference system says is what GIS files carry: the same system read back.
        QCOMPARE(coordinateSystemFrom(system.value().wkt, "x").value().code, code);
    }

    // Where the pixels lie, against gdalinfo.
    void placesLikeGdal_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("pixelsPerUnitX");
        // 118.11 pixels a centimetre (300 dpi), read alike under a locale with a decimal comma.
        QTest::newRow("tiled GeoTIFF at 118.11 px/cm") << "tiled.tif" << 118.11;
        QTest::newRow("geographic GeoTIFF") << "wgs84.tif" << 96 / 2.54;
        QTest::newRow("BMP, world file and .prj") << "bitmap.bmp" << 37.8;
        QTest::newRow("PNG and GDAL's .aux.xml") << "noted.png" << 118.11;
    }
    void placesLikeGdal()
    {
        QFETCH(QString, file);
        QFETCH(double, pixelsPerUnitX);
        const Outcome<OpenedMap> opened = openMap(at(file));
        QVERIFY2(opened.ok(), qPrintable(opened.ok() ? QString() : opened.error().message()));
        QVERIFY(opened.value().georeference && opened.value().notice.isEmpty());
        const Georeference &place = *opened.value().georeference;
        const MapUnits &units = opened.value().source->units();
        const QSize size = opened.value().source->size();
        QCOMPARE(size, QSize(300, 200));
        QVERIFY(near(units.pixelsPerUnitX(), pixelsPerUnitX, 1e-9));

        const QJsonObject info = QJsonDocument::fromJson(run("gdalinfo", {"-json", at(file)})).object();
        const QJsonArray transform = info["geoTransform"].toArray();
        const QJsonObject corners = info["cornerCoordinates"].toObject();
        const double terms[] = {place.left, place.pixelWidth, 0.0, place.top, 0.0, place.pixelHeight};
        for (int i = 0; i < 6; ++i)
            QVERIFY2(near(terms[i], transform[i].toDouble(), 1e-12), qPrintable(QString::number(i)));
        const auto sameGround = [](QPointF ground, const QJsonValue &gdal) {
            return near(ground.x(), gdal[0].toDouble(), 1e-12) && near(ground.y(), gdal[1].toDouble(), 1e-12);
        };
        QVERIFY(sameGround(place.groundAt(QPointF(300, 200)), corners["lowerRight"]));
        const QPointF middle = units.toUnits(QPointF(150, 100));
        QVERIFY(sameGround(groundAtUnits(place, units, middle), corners["center"]));
        QVERIFY(units.toPixel(unitsAtGround(place, units, place.groundAt(QPointF(17.5, 3.5)))) == QPoint(17, 3));
        QCOMPARE(peekGeoreference(at(file))->left, place.left);
    }

    // The scale a georeferenced sheet shows is its true scale at its middle, where a projection's own
    // scale may be far from 1 (Web Mercator at 45° N: 1.42; equal-area Europe at Lisbon, across and
    // down not alike): a sheet whose pixels are 1 m of ground there at 5000 pixels per metre of sheet is
    // 1:5000, and its drawing units are as long down as across on the ground.
    void trueScaleAtTheMiddle_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QPointF>("place"); // longitude, latitude
        QTest::addColumn<double>("step"); // the system's units measured across
        QTest::newRow("Web Mercator at 45° N") << "EPSG:3857" << QPointF(9.19, 45.46) << 100.0;
        QTest::newRow("equal-area Europe at Lisbon") << "EPSG:3035" << QPointF(-9.14, 38.72) << 100.0;
        QTest::newRow("UTM 32N") << "EPSG:32632" << QPointF(9.19, 45.46) << 100.0;
        QTest::newRow("degrees") << "EPSG:4326" << QPointF(9.19, 45.46) << 0.001;
    }
    void trueScaleAtTheMiddle()
    {
        QFETCH(QString, code);
        QFETCH(QPointF, place);
        QFETCH(double, step);
        const auto transformed = [](const QStringList &systems, const QList<QPointF> &points) {
            QByteArray lines;
            for (const QPointF point : points)
                lines += QByteArray::number(point.x(), 'f', 12) + ' ' + QByteArray::number(point.y(), 'f', 12) + '\n';
            QList<QPointF> result;
            for (const QByteArray &line : run("gdaltransform", systems, lines).split('\n'))
                if (const QList<QByteArray> xy = line.simplified().split(' '); xy.size() >= 2)
                    result << QPointF(xy[0].toDouble(), xy[1].toDouble());
            return result;
        };
        const QList<QPointF> ground = transformed({"-s_srs", "EPSG:4326", "-t_srs", code}, {place});
        QCOMPARE(ground.size(), 1);
        // Ground metres of one unit of the system across and down there, by GDAL's transformation and geod.
        const auto metresPerUnit = [&](QPointF along) {
            const QList<QPointF> ends = transformed({"-s_srs", code, "-t_srs", "EPSG:4326"},
                                                    {ground[0] - along * step / 2, ground[0] + along * step / 2});
            if (ends.size() != 2)
                return 0.0;
            const QByteArray line = QByteArray::number(ends[0].y(), 'f', 12) + ' '
                + QByteArray::number(ends[0].x(), 'f', 12) + ' ' + QByteArray::number(ends[1].y(), 'f', 12) + ' '
                + QByteArray::number(ends[1].x(), 'f', 12) + '\n';
            return run("geod", {"+ellps=WGS84", "-I", "+units=m", "-F", "%.6f"}, line).split('\t').value(2).toDouble()
                / step;
        };
        const double across = metresPerUnit(QPointF(1, 0)), down = metresPerUnit(QPointF(0, 1));
        QVERIFY(across > 0.0 && down > 0.0);
        const Outcome<CoordinateSystem> system = coordinateSystemFrom(code, code);
        QVERIFY(system.ok());
        const QSize sheet(400, 300);
        const Georeference metrePixels{ground[0].x() - 200 / across, ground[0].y() + 150 / down, 1 / across, -1 / down,
                                       system.value()};
        const MapUnits units = georeferencedUnits(metrePixels, sheet, SheetResolution{5000, 5000});
        QVERIFY(near(1 / groundScaleFactor(metrePixels, units, sheet), 5000, 1e-6));
        QVERIFY(near(units.pixelsPerUnitY() / units.pixelsPerUnitX(), 1, 1e-6));
    }

    // The cheap bound a ring's check relies on before it measures a geodesic never falls below the
    // geodesic, on either ellipsoid, where a degree is longest (along a meridian at a pole, along the
    // equator) and across the antimeridian; and the ends of geodesics set up once per azimuth are
    // those of one geodesic each, bit for bit.
    void groundBoundsAndSharedGeodesics_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("WGS 84") << "EPSG:4326";
        QTest::newRow("International 1924 (Gauss-Boaga)") << "EPSG:3003";
    }
    void groundBoundsAndSharedGeodesics()
    {
        QFETCH(QString, code);
        const Outcome<CoordinateSystem> system = coordinateSystemFrom(code, code);
        QVERIFY(system.ok());
        const Outcome<GroundSystem> ground = GroundSystem::of(system.value());
        QVERIFY(ground.ok());
        QList<QPair<QPointF, QPointF>> pairs{{{0, 89.9}, {0, 90}},      {{10, -90}, {10, -89.99}},
                                             {{0, 0}, {0.001, 0}},      {{179.9995, 1}, {-179.9995, 1}},
                                             {{9.19, 45.46}, {9.2, 45.47}}};
        QRandomGenerator random(26);
        for (int pair = 0; pair < 2000; ++pair) {
            const QPointF from(random.bounded(360.0) - 180, random.bounded(180.0) - 90);
            const QPointF step(random.bounded(2.0) - 1, random.bounded(2.0) - 1);
            pairs.append({from, QPointF(from.x() + step.x() * 0.01, std::clamp(from.y() + step.y() * 0.01, -90.0, 90.0))});
        }
        for (const auto &[from, to] : pairs)
            QVERIFY2(ground.value().distanceAtMost(from, to) >= ground.value().distance(from, to),
                     qPrintable(QStringLiteral("%1 %2 -> %3 %4").arg(from.x()).arg(from.y()).arg(to.x()).arg(to.y())));

        const std::vector<double> lengths{0.5, 75, 1500, 12000};
        for (const double azimuth : {0.0, -45.0, -180.0, -301.5}) {
            const std::vector<QPointF> ends = ground.value().destinations(QPointF(9.19, 45.46), azimuth, lengths);
            QCOMPARE(ends.size(), lengths.size());
            for (std::size_t index = 0; index < lengths.size(); ++index) {
                const QPointF alone = ground.value().destination(QPointF(9.19, 45.46), azimuth, lengths[index]);
                QVERIFY(ends[index].x() == alone.x() && ends[index].y() == alone.y());
            }
        }
    }

    // Short distances from the chord agree with the geodesic far within their bound, on either ellipsoid,
    // at every latitude, from a few millimetres to their reach; a place from itself is 0, and places
    // beyond the reach are left to the geodesic.
    void nearDistancesFollowTheGeodesic_data()
    {
        groundBoundsAndSharedGeodesics_data();
    }
    void nearDistancesFollowTheGeodesic()
    {
        QFETCH(QString, code);
        const Outcome<CoordinateSystem> system = coordinateSystemFrom(code, code);
        QVERIFY(system.ok());
        const Outcome<GroundSystem> ground = GroundSystem::of(system.value());
        QVERIFY(ground.ok());
        QRandomGenerator random(27);
        double worst = 0.0;
        for (int pair = 0; pair < 20000; ++pair) {
            const QPointF from(random.bounded(360.0) - 180, random.bounded(179.98) - 89.99);
            const double metres = kNearDistanceReach_m * std::pow(random.bounded(1.0), pair % 2 ? 1 : 6) * 0.999;
            const QPointF to = ground.value().destination(from, random.bounded(360.0), metres);
            const std::optional<double> near
                = nearDistance(ground.value().spacePlace(from), ground.value().spacePlace(to));
            QVERIFY(near);
            worst = std::max(worst, std::abs(*near - ground.value().distance(from, to)));
        }
        QVERIFY2(worst < kNearDistanceError_m / 20, qPrintable(QString::number(worst)));
        const SpacePlace milan = ground.value().spacePlace(QPointF(9.19, 45.46));
        QCOMPARE(nearDistance(milan, milan), std::optional(0.0));
        const QPointF far = ground.value().destination(QPointF(9.19, 45.46), 30, kNearDistanceReach_m * 1.001);
        QVERIFY(!nearDistance(milan, ground.value().spacePlace(far)));
    }

    void regionsMatchWholeRaster_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("whole");
        QTest::newRow("tiled RGB") << "tiled.tif"
                                   << "noise.png";
        QTest::newRow("in strips") << "wgs84.tif"
                                   << "noise.png";
        QTest::newRow("tiled palette") << "palette.tif"
                                       << "palette.png";
        QTest::newRow("PNG decoded whole") << "palette.png"
                                           << "palette.png";
    }
    void regionsMatchWholeRaster()
    {
        QFETCH(QString, file);
        QFETCH(QString, whole);
        const Outcome<OpenedMap> opened = openMap(at(file));
        QVERIFY2(opened.ok(), qPrintable(opened.ok() ? QString() : opened.error().message()));
        const QImage expected = QImage(at(whole)).convertToFormat(QImage::Format_RGB32);
        // Across tile borders, and beyond the sheet's corner (clipped).
        for (const QRect &region : {QRect(50, 30, 100, 90), QRect(250, 150, 100, 100)}) {
            const QImage pixels = opened.value().source->region(region).value();
            QCOMPARE(pixels.convertToFormat(QImage::Format_RGB32), expected.copy(region.intersected(expected.rect())));
        }
    }

    void refused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("kind"); // -1: opens as a plain map, with a notice
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("detail");
        const int invalid = int(Error::Kind::MapGeoreferenceInvalid);
        const int unreadable = int(Error::Kind::MapUnreadable);
        QTest::newRow("broken world file") << "broken.tif" << invalid << "broken.tfw"
                                           << "riga 3: \"abc\"";
        QTest::newRow("unreadable .prj") << "badprj.bmp" << invalid << "badprj.prj"
                                         << "non è riconosciuto";
        QTest::newRow("rotated") << "rotated.bmp" << invalid << "rotated.bpw"
                                 << "gdalwarp";
        QTest::newRow("no reference system") << "nosystem.tif" << -1 << ""
                                             << "\"nosystem.prj\"";
        QTest::newRow("one pixel across") << "thin.png" << unreadable << "thin.png"
                                          << "almeno 2";
        QTest::newRow("16-bit pixels") << "gray16.tif" << unreadable << "gray16.tif"
                                       << "UInt16";
        QTest::newRow("cut in the pixels") << "cut-pixels.tif" << unreadable << "cut-pixels.tif"
                                           << "file troncato";
        QTest::newRow("JPEG cut short") << "cut.jpg" << unreadable << "cut.jpg"
                                        << "incompleti";
        QTest::newRow("cut in the header") << "cut-header.tif" << unreadable << "cut-header.tif"
                                           << "file troncato";
        QTest::newRow("tiles that do not decode") << "damaged.tif" << unreadable << "damaged.tif"
                                                  << "non validi o incompleti; GDAL: ";
        QTest::newRow("more tiles than its bytes tell") << "many-tiles.tif" << unreadable << "many-tiles.tif"
                                                        << "file troncato o danneggiato";
        QTest::newRow("2^31 - 1 pixels across") << "widest.tif" << unreadable << "widest.tif"
                                                << "file troncato o danneggiato";
        QTest::newRow("pixel of infinite size") << "infinite.tif" << invalid << "infinite.tif"
                                                << "non è un numero utilizzabile";
        QTest::newRow("sheet ending at infinity") << "overflowing.tif" << invalid << "overflowing.tif"
                                                  << "non è un numero utilizzabile";
        QTest::newRow("no origin") << "nan.tif" << invalid << "nan.tif"
                                   << "non è un numero utilizzabile";
        QTest::newRow(".aux.xml a FIFO") << "fifo-notes.png" << invalid << "fifo-notes.png.aux.xml"
                                         << "non è un file normale";
        QTest::newRow(".aux.xml of 2 GB") << "huge-notes.png" << invalid << "huge-notes.png.aux.xml"
                                          << "troppo grande";
        QTest::newRow(".aux.xml not XML") << "broken-notes.png" << invalid << "broken-notes.png.aux.xml"
                                          << "il testo XML non è valido";
    }

    void refused()
    {
        QFETCH(QString, file);
        QFETCH(int, kind);
        QFETCH(QString, named);
        QFETCH(QString, detail);
        const Outcome<OpenedMap> opened = openMap(at(file));
        // Peeking reads no pixels: tiles that do not decode still tell where the sheet lies.
        QCOMPARE(peekGeoreference(at(file)).has_value(), file == "damaged.tif");
        if (kind < 0) {
            QVERIFY(opened.ok() && !opened.value().georeference);
            QVERIFY2(opened.value().notice.contains(detail), qPrintable(opened.value().notice));
            return;
        }
        QVERIFY(!opened.ok());
        QCOMPARE(int(opened.error().kind), kind);
        QCOMPARE(opened.error().file, named);
        QVERIFY2(opened.error().detail.contains(detail), qPrintable(opened.error().detail));
    }

    // Every cut of a GeoTIFF is refused, wherever it falls: in the header, in the tables of tile
    // places, in the tiles.
    void everyCutRefused()
    {
        QFile whole(at("tiled.tif"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        const QString cut = at("cut.tif");
        // Byte by byte through the header and the tables (under 1 KB), then across the tiles.
        for (qsizetype length = 0; length < bytes.size(); length += length < 1024 ? 1 : 997) {
            QVERIFY(writeFile(cut, bytes.left(length)));
            const Outcome<OpenedMap> opened = openMap(cut);
            QVERIFY2(!opened.ok() && opened.error().kind == Error::Kind::MapUnreadable,
                     qPrintable(QStringLiteral("cut at %1 bytes").arg(length)));
        }
    }

    // A raster read as it is shown: a tile that does not decode is an error naming the file when a
    // region needs it, never pixels made up for it.
    void damagedTileOfALargeRaster()
    {
        QVERIFY(writeGeoTiffWithDamagedTile(at("large.tif"), QSize(4200, 4200), QPoint(16, 16)));
        const Outcome<OpenedMap> opened = openMap(at("large.tif"));
        QVERIFY2(opened.ok(), qPrintable(opened.ok() ? QString() : opened.error().message()));
        const MapSource &source = *opened.value().source;
        QVERIFY(source.region(QRect(0, 0, 1016, 740)).ok());
        const Outcome<QImage> corner = source.region(QRect(3000, 3000, 1200, 1200));
        QVERIFY(!corner.ok() && corner.error().kind == Error::Kind::MapUnreadable);
        QVERIFY(corner.error().message().startsWith("Il file \"large.tif\" non è una mappa bitmap leggibile (dati "
                                                    "dell'immagine non validi o incompleti; GDAL: "));
    }

    // A raster read as it is shown, zoomed out: from its overviews when they are fine enough (each
    // marked by its own fill), else from its own pixels, each screen pixel the one under its centre.
    void zoomedOutFromTheOverviews()
    {
        QVERIFY(writeGeoTiffWithMarkedOverviews(at("overviews.tif"), QSize(4200, 4200)));
        const Outcome<OpenedMap> opened = openMap(at("overviews.tif"));
        QVERIFY2(opened.ok(), qPrintable(opened.ok() ? QString() : opened.error().message()));
        const MapSource &source = *opened.value().source;
        const auto only = [](const QImage &image, QRgb colour) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixel(x, y) != colour)
                        return false;
            return !image.isNull();
        };
        QVERIFY(only(source.sampled(QRectF(0, 0, 4200, 4200), {2100, 2100}).value(), qRgb(150, 150, 150)));
        QVERIFY(only(source.sampled(QRectF(1000, 600, 1600, 1200), {400, 300}).value(), qRgb(210, 210, 210)));
        const QRectF area(1000.25, 600.5, 1001.5, 700);
        const QSize size(700, 490); // zoom 0.7: no overview is fine enough
        const QImage shown = source.sampled(area, size).value();
        QCOMPARE(shown.size(), size);
        for (int y = 0; y < size.height(); y += 7)
            for (int x = 0; x < size.width(); x += 3) {
                const int column = int(std::floor(area.x() + (x + 0.5) * area.width() / size.width()));
                const int row = int(std::floor(area.y() + (y + 0.5) * area.height() / size.height()));
                const int gray = (7 * column + 13 * row) % 256;
                QVERIFY2(shown.pixel(x, y) == qRgb(gray, gray, gray),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
    }

    // A length measured on a georeferenced sheet is the geodesic between its ends, as geod has it, in
    // a projected system (through cs2cs) and in degrees.
    void distancesOnTheGround_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("UTM 32N") << "tiled.tif";
        QTest::newRow("degrees") << "wgs84.tif";
    }
    void distancesOnTheGround()
    {
        QFETCH(QString, file);
        const Outcome<OpenedMap> opened = openMap(at(file));
        QVERIFY(opened.ok() && opened.value().georeference);
        const Georeference &place = *opened.value().georeference;
        const MapUnits &units = opened.value().source->units();
        const Outcome<DistanceMeasure> measure = DistanceMeasure::onGround(place, units);
        QVERIFY(measure.ok() && measure.value().isOnGround());
        const QJsonArray transform
            = QJsonDocument::fromJson(run("gdalinfo", {"-json", at(file)})).object()["geoTransform"].toArray();
        for (const auto &[from, to] : {std::pair{QPointF(3.5, 7.5), QPointF(296.5, 190.5)},
                                       std::pair{QPointF(150.5, 20.5), QPointF(150.5, 21.5)}}) {
            QByteArray places;
            for (const QPointF pixel : {from, to})
                places += QByteArray::number(transform[0].toDouble() + pixel.x() * transform[1].toDouble(), 'f', 9)
                    + ' ' + QByteArray::number(transform[3].toDouble() + pixel.y() * transform[5].toDouble(), 'f', 9)
                    + '\n';
            // cs2cs answers latitude first, as geod reads it.
            if (!place.system.geographic)
                places = run("cs2cs", {"-f", "%.10f", place.system.code, "EPSG:4326"}, places);
            else
                places = run("awk", {"{print $2, $1}"}, places);
            const QList<QByteArray> ends = places.simplified().split(' ');
            QCOMPARE(ends.size(), 4 + (place.system.geographic ? 0 : 2));
            const QByteArray line
                = ends.mid(0, 2).join(' ') + ' ' + ends.mid(place.system.geographic ? 2 : 3, 2).join(' ');
            const double geod = run("geod", {"+ellps=WGS84", "-I", "+units=m", "-f", "%.6f"}, line + '\n')
                                    .simplified().split(' ').value(2).toDouble();
            const double measured = *measure.value().metres(units.toUnits(from), units.toUnits(to));
            QVERIFY2(geod > 0 && std::abs(measured - geod) < 1e-3,
                     qPrintable(QStringLiteral("%1 / %2").arg(measured).arg(geod)));
        }
    }

    // GDAL opens the raster alone: no driver but the map formats' (a VRT named .tif would read
    // anything, here an address on this machine, which must see no connection), and no side file
    // (FIFOs named as its overviews and mask would block).
    void nothingBesideTheRasterIsOpened()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
        const QString address = QStringLiteral("/vsicurl/http://127.0.0.1:%1/x.tif").arg(server.serverPort());
        QVERIFY(writeFile(at("remote.tif"),
                          QStringLiteral(R"(<VRTDataset rasterXSize="300" rasterYSize="200">
  <VRTRasterBand dataType="Byte" band="1"><SimpleSource><SourceFilename>%1</SourceFilename>
  <SourceBand>1</SourceBand></SimpleSource></VRTRasterBand></VRTDataset>)")
                              .arg(address)
                              .toUtf8()));
        const Outcome<OpenedMap> remote = openMap(at("remote.tif"));
        QVERIFY(!remote.ok() && remote.error().detail.startsWith("formato d'immagine non riconosciuto"));
        QVERIFY(!openMap(address).ok());
        QVERIFY(!server.waitForNewConnection(300));

        QVERIFY(QFile::copy(at("tiled.tif"), at("blocked.tif")));
        for (const QString side : {"blocked.tif.ovr", "blocked.tif.msk", "blocked.ovr"})
            QVERIFY(::mkfifo(QFile::encodeName(at(side)).constData(), 0600) == 0);
        const Outcome<OpenedMap> opened = openMap(at("blocked.tif"));
        QVERIFY(opened.ok() && opened.value().georeference
                && opened.value().source->region(QRect(0, 0, 300, 200)).ok());
    }

    // GDAL's options set for a call get back their earlier value, and its errors reach the
    // handler of the call they belong to.
    void gdalSettingsScopedToTheirCall()
    {
        CPLSetThreadLocalConfigOption("GDAL_ERROR_ON_LIBJPEG_WARNING", "FALSE");
        QVERIFY(openMap(at("photo.jpg")).ok());
        QCOMPARE(CPLGetThreadLocalConfigOption("GDAL_ERROR_ON_LIBJPEG_WARNING", nullptr), "FALSE");
        CPLSetThreadLocalConfigOption("GDAL_ERROR_ON_LIBJPEG_WARNING", nullptr);

        const GdalErrors call;
        {
            const GdalErrors inner;
            CPLError(CE_Failure, CPLE_AppDefined, "prima");
            CPLError(CE_Failure, CPLE_AppDefined, "seconda");
            QCOMPARE(inner.withReason("lettura"), QString("lettura; GDAL: prima"));
        }
        CPLError(CE_Warning, CPLE_AppDefined, "avviso");
        QVERIFY(!call.failed());
        CPLError(CE_Failure, CPLE_AppDefined, "dopo");
        QCOMPARE(call.withReason("lettura"), QString("lettura; GDAL: dopo"));
    }

    // A saved sheet (or part of one) of a georeferenced map reads back in gdalinfo, and in ZEFRO, in the
    // map's system with its corners where the map has them, within half a pixel: a .tif by its GeoTIFF
    // tags, a BMP by the files beside it.
    void savedSheetsKeepTheirPlace_data()
    {
        QTest::addColumn<QString>("map");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QRect>("part");
        const QRect part(100, 40, 150, 120);
        for (const QString map : {"tiled.tif", "wgs84.tif", "bitmap.bmp"})
            for (const QString saved : {".tif", ".bmp"})
                for (const bool whole : {true, false})
                    QTest::addRow("%s as %s, %s", qPrintable(map), qPrintable(saved), whole ? "whole" : "a part")
                        << map << "salvata-" + QFileInfo(map).baseName() + (whole ? "" : "-parte") + saved
                        << (whole ? QRect(0, 0, 300, 200) : part);
    }
    void savedSheetsKeepTheirPlace()
    {
        QFETCH(QString, map);
        QFETCH(QString, saved);
        QFETCH(QRect, part);
        const Outcome<OpenedMap> opened = openMap(at(map));
        QVERIFY(opened.ok() && opened.value().georeference);
        const Georeference &place = *opened.value().georeference;
        const Outcome<std::unique_ptr<StagedSheet>> staged
            = stageSheetPicture(*opened.value().source, SheetDrawings(), {part, {}, {}, place}, at(saved));
        QVERIFY(staged.ok() && staged.value()->commit().ok());

        const QJsonObject info = QJsonDocument::fromJson(run("gdalinfo", {"-json", at(saved)})).object();
        QCOMPARE(info["size"].toArray(), QJsonArray({part.width(), part.height()}));
        OGRSpatialReference mapSystem, savedSystem;
        QVERIFY(mapSystem.importFromWkt(place.system.wkt.toUtf8().constData()) == OGRERR_NONE
                && savedSystem.importFromWkt(info["coordinateSystem"]["wkt"].toString().toUtf8().constData())
                    == OGRERR_NONE);
        QVERIFY(savedSystem.IsSame(&mapSystem));
        const QPointF upperLeft = place.groundAt(part.topLeft()),
                      lowerRight = place.groundAt(part.topLeft() + QPoint(part.width(), part.height()));
        const QJsonObject corners = info["cornerCoordinates"].toObject();
        const double halfX = place.pixelWidth / 2, halfY = -place.pixelHeight / 2;
        for (const auto &[name, expected] : {std::pair("upperLeft", upperLeft), std::pair("lowerRight", lowerRight)}) {
            const QJsonArray corner = corners[name].toArray();
            QVERIFY2(std::abs(corner[0].toDouble() - expected.x()) <= halfX
                         && std::abs(corner[1].toDouble() - expected.y()) <= halfY,
                     name);
        }
        // ZEFRO reads it back where it was.
        const Outcome<OpenedMap> again = openMap(at(saved));
        QVERIFY(again.ok() && again.value().georeference);
        QCOMPARE(again.value().georeference->system.label(), place.system.label());
        QVERIFY(std::abs(again.value().georeference->left - upperLeft.x()) <= halfX
                && std::abs(again.value().georeference->top - upperLeft.y()) <= halfY);
        // At its resolution, to the whole pixel a metre a BMP's header holds.
        QVERIFY(near(again.value().source->units().pixelsPerUnitX(), opened.value().source->units().pixelsPerUnitX(),
                     1e-3));
    }

    // A BMP without a world file is the map it always was.
    void plainBitmapUnchanged()
    {
        QImage image = noise(40, 30);
        image.setDotsPerMeterX(5000);
        image.setDotsPerMeterY(4000);
        QVERIFY(image.save(at("plain.bmp")) && writeFile(at("plain.prj"), kEsriUtm32));
        const Outcome<OpenedMap> opened = openMap(at("plain.bmp"));
        const Outcome<MapBitmap> loaded = loadMapBitmap(at("plain.bmp"));
        QVERIFY(opened.ok() && loaded.ok() && !opened.value().georeference && opened.value().notice.isEmpty());
        const MapSource &source = *opened.value().source;
        QCOMPARE(source.units().pixelsPerUnitX(), loaded.value().units.pixelsPerUnitX());
        QCOMPARE(source.units().pixelsPerUnitY(), loaded.value().units.pixelsPerUnitY());
        QCOMPARE(source.region(source.rect()).value(), loaded.value().image);
        QVERIFY(fitsInOnePicture(QSize(16384, 16384)) && !fitsInOnePicture(QSize(16384, 16385)));
    }
};

QTEST_GUILESS_MAIN(GeorasterTest)
#include "test_georaster.moc"
