#include "elements/ElementIndex.h"
#include "gis/DamageAreaExport.h"
#include "gis/GisErrors.h"
#include "gis/SiteAreaExport.h"
#include "map/GroundRing.h"
#include "support/ToolOutput.h"
#include "support/ErrorWording.h"
#include "support/EstimateWorkbooks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <list>

// Every file is read back and measured by GDAL's and PROJ's own programs, not by the code that wrote it.

namespace {

using testing::toolOutput;

map::CoordinateSystem systemOf(const QString &code, bool geographic)
{
    const QString wkt = QString::fromUtf8(toolOutput("projinfo", {"-o", "WKT2_2019", "--single-line", "-q", code}));
    return {wkt.trimmed(), code, code, geographic};
}

// Unbunded storage of 10 to 50 t of acrylonitrile.
const Estimate kToxic{Substance{"Acrilonitrile", "107-13-1"},
                      &classOf("4"),
                      Hypothesis::MostLikely,
                      Containment::UnbundedStorage,
                      RangeEntry{CellValue::number(10), CellValue::number(50), 1},
                      {},
                      "4.6  ",
                      "Nube Tossica"};

// Every kind of distance: plain, lower bound, not applicable, " 0 m" at threshold 1, not available
// and more than 10000 m.
const map::DamageAreas kFirstAreas{{{49, false, false, "4.3  "},
                                    {},
                                    {289, false, true, "4.3  "},
                                    {120, false, false, "4.6"},
                                    {0, false, false, "5.1"},
                                    {350, true, false, {}},
                                    {10001, false, false, "5.2.1"},
                                    {}}};
const QDateTime kWhen(QDate(2026, 12, 8), QTime(10, 20, 30), QTimeZone(3600));

const map::DamageAreas kSecondAreas{{{}, {}, {}, {}, {700, false, false, {}}, {}, {}, {}}};

struct Area
{
    int source;
    int threshold;
    QString weather;
    double metres;
    bool greaterThan;
    QString subclass; // empty: none
    QString colour;
};
const std::array kAreas{Area{1, 1, "D5", 49, false, "4.3", "#FF0000"}, Area{1, 3, "D5", 289, true, "4.3", "#00FFFF"},
                        Area{1, 4, "D5", 120, false, {}, "#FFFF00"}, Area{1, 3, "F2", 10000, true, "5.2.1", "#C0C0C0"},
                        Area{2, 1, "F2", 700, false, {}, "#00FF00"}};

bool isNull(const QJsonValue &value)
{
    return value.isNull() || value.isUndefined();
}

// The features of the file as GDAL reads it, in GeoJSON, in the file's own coordinates unless
// `options` ask for others.
QJsonArray featuresOf(const QString &path, const QStringList &options = {}, const QString &layer = {})
{
    const QByteArray json = toolOutput("ogr2ogr", QStringList{"-f", "GeoJSON"} + options + QStringList{"/vsistdout/", path}
                                               + (layer.isEmpty() ? QStringList() : QStringList{layer}));
    return QJsonDocument::fromJson(json).object().value("features").toArray();
}

QString writtenFile(const QTemporaryDir &folder, gis::ExportFormat format, const QByteArray &bytes)
{
    const QString path = folder.filePath("aree" + gis::extensionOf(format));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

QPointF pointOf(const QJsonValue &coordinates)
{
    return {coordinates[0].toDouble(), coordinates[1].toDouble()};
}

// Geodesic distances in metres from `centre` to each of the points (longitude, latitude) on the WGS 84
// ellipsoid (GRS 80's differs by less than a micrometre over 10 km).
QList<double> geodesicDistances(QPointF centre, const QJsonArray &points)
{
    QByteArray lines;
    for (const QJsonValue &point : points)
        lines += QByteArray::number(centre.y(), 'f', 12) + ' ' + QByteArray::number(centre.x(), 'f', 12) + ' '
            + QByteArray::number(point[1].toDouble(), 'f', 12) + ' ' + QByteArray::number(point[0].toDouble(), 'f', 12)
            + '\n';
    QList<double> distances;
    for (const QByteArray &line : toolOutput("geod", {"-I", "+ellps=WGS84"}, lines).split('\n'))
        if (!line.isEmpty())
            distances.append(line.split('\t').last().toDouble());
    return distances;
}

// How far a point lies from a polyline, in whole pixels: the largest of the distances across and down
// to its nearest point (1: the pixel holding a point of the line, or one next to it).
double pixelsFromPolyline(QPointF point, const std::vector<QPointF> &line)
{
    double nearest = std::numeric_limits<double>::infinity();
    for (std::size_t index = 0; index + 1 < line.size(); ++index) {
        // max(|a.x + t d.x|, |a.y + t d.y|) over t in [0, 1] is least at an end, where a term is 0 or
        // where the terms are equal.
        const QPointF a = line[index] - point, d = line[index + 1] - line[index];
        std::vector<double> candidates{0.0, 1.0};
        for (const auto &[numerator, denominator] :
             {std::pair{a.x(), d.x()}, std::pair{a.y(), d.y()}, std::pair{a.x() - a.y(), d.x() - d.y()},
              std::pair{a.x() + a.y(), d.x() + d.y()}})
            if (denominator != 0.0)
                candidates.push_back(std::clamp(-numerator / denominator, 0.0, 1.0));
        for (const double t : candidates)
            nearest = std::min(nearest, std::max(std::abs(a.x() + t * d.x()), std::abs(a.y() + t * d.y())));
    }
    return nearest;
}

// The rows an SQL query gives on a GeoPackage, read by ogrinfo (`dialect` "sqlite" for SpatiaLite's
// functions, empty for the file's own SQLite): each row's values by column name.
QList<QVariantMap> rowsOf(const QString &path, const QString &sql, const QString &dialect = "sqlite")
{
    QStringList arguments{"-ro", "-q", "-geom=NO", "-sql", sql, path};
    if (!dialect.isEmpty())
        arguments += {"-dialect", dialect};
    QList<QVariantMap> rows;
    for (const QByteArray &line : toolOutput("ogrinfo", arguments).split('\n')) {
        if (line.startsWith("OGRFeature("))
            rows.append(QVariantMap());
        else if (const qsizetype equals = line.indexOf(") = "); equals > 0 && !rows.isEmpty())
            rows.last()[line.left(line.lastIndexOf(" (", equals)).trimmed()] = QString::fromUtf8(line.mid(equals + 4));
    }
    return rows;
}

Estimate toxicWith(const map::DamageAreas &areas)
{
    Estimate estimate = kToxic;
    estimate.distances = areas;
    return estimate;
}

// A site's items with their rings worked out beforehand, as a site run hands them to the export.
struct SiteItems
{
    SiteItems(const map::CoordinateSystem &of, std::vector<gis::SiteItemAreas> placed)
        : system(of)
        , items(std::move(placed))
    {
        for (gis::SiteItemAreas &item : items)
            if (item.estimate)
                item.rings = &rings.emplace_back(map::groundRings(system, item.ground, item.estimate->distances));
    }
    SiteItems(const SiteItems &) = delete;

    map::CoordinateSystem system;
    std::list<Outcome<map::AreaRings>> rings; // kept in place: the items point at them
    std::vector<gis::SiteItemAreas> items;
};

} // namespace

class GisExportTest : public QObject
{
    Q_OBJECT

private slots:
    void gisWordsItsKinds()
    {
        QCOMPARE(wording::unworded(gis::gisError, {{Error::Kind::AreasNotExported, wording::kFile}}), QString());
    }

    void areasReadBackByGdal_data()
    {
        QTest::addColumn<gis::ExportFormat>("format");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("geographic");
        QTest::addColumn<QPointF>("first");
        QTest::addColumn<QPointF>("second");

        const QPointF utm(680000.25, 5030000.5);
        const QPointF utmSecond = utm + QPointF(1500, 800);
        QTest::newRow("GeoPackage, UTM 32N")
            << gis::ExportFormat::GeoPackage << "EPSG:32632" << false << utm << utmSecond;
        QTest::newRow("GeoPackage in US survey feet") << gis::ExportFormat::GeoPackage << "EPSG:2263" << false
                                                      << QPointF(1000000, 200000) << QPointF(1005000, 202000);
        QTest::newRow("GeoPackage, WGS 84 degrees")
            << gis::ExportFormat::GeoPackage << "EPSG:4326" << true << QPointF(9.19, 45.46) << QPointF(9.21, 45.47);
        QTest::newRow("GeoJSON from ETRS89 degrees")
            << gis::ExportFormat::GeoJson << "EPSG:4258" << true << QPointF(9.19, 45.46) << QPointF(9.21, 45.47);
        QTest::newRow("GeoJSON from UTM 32N")
            << gis::ExportFormat::GeoJson << "EPSG:32632" << false << utm << utmSecond;
        QTest::newRow("KML from UTM 32N") << gis::ExportFormat::Kml << "EPSG:32632" << false << utm << utmSecond;
    }
    void areasReadBackByGdal()
    {
        QFETCH(gis::ExportFormat, format);
        QFETCH(QString, code);
        QFETCH(bool, geographic);
        QFETCH(QPointF, first);
        QFETCH(QPointF, second);
        const map::CoordinateSystem system = systemOf(code, geographic);
        const auto exported = gis::exportDamageAreas(format, kToxic, system,
                                                     {{first, kFirstAreas}, {second, kSecondAreas}}, kWhen);
        QVERIFY2(exported.ok(), qPrintable(exported.ok() ? QString() : exported.error().message()));
        QCOMPARE(exported.value().polygons, int(kAreas.size()));

        const QTemporaryDir folder;
        const QString path = writtenFile(folder, format, exported.value().file);
        const QJsonArray polygons = featuresOf(path, {}, "aree_di_danno");
        QCOMPARE(polygons.size(), qsizetype(kAreas.size()));
        // GeoJSON holds one layer: the incident is in the areas' attributes only.
        const QJsonArray points = format == gis::ExportFormat::GeoJson ? QJsonArray() : featuresOf(path, {}, "sorgenti");
        QCOMPARE(points.size(), format == gis::ExportFormat::GeoJson ? 0 : 2);

        const bool lonLat = geographic || format != gis::ExportFormat::GeoPackage;
        const QString east = lonLat ? "source_lon" : "source_e";
        const QString north = lonLat ? "source_lat" : "source_n";
        // KML keeps a feature's name as its placemark's, which GDAL reads back as "Name".
        const QString name = format == gis::ExportFormat::Kml ? "Name" : "name";
        const auto checkEstimateFields = [](const QJsonObject &properties, int source) {
            QCOMPARE(properties["source"].toInt(), source);
            QCOMPARE(properties["substance"].toString(), "Acrilonitrile");
            QCOMPARE(properties["cas"].toString(), "107-13-1");
            QCOMPARE(properties["class"].toString(), "4");
            QCOMPARE(properties["hypothesis"].toString(), "Ipotesi più probabile");
            QCOMPARE(properties["containment"].toString(), "Stoccaggi fissi senza bacino di contenimento");
            QCOMPARE(properties["range"].toString(), "10 -  50");
            QCOMPARE(properties["scenario"].toString(), "Nube Tossica");
            QCOMPARE(properties["date_time"].toString(), "2026-12-08T10:20:30+01:00");
        };
        for (const QJsonValue &point : points) {
            const QJsonObject properties = point["properties"].toObject();
            const int source = properties["source"].toInt();
            QCOMPARE(point["geometry"]["type"].toString(), "Point");
            QCOMPARE(properties[name].toString(), QStringLiteral("Acrilonitrile (%1)").arg(source));
            checkEstimateFields(properties, source);
            const QPointF centre = pointOf(point["geometry"]["coordinates"]);
            QCOMPARE(QPointF(properties[east].toDouble(), properties[north].toDouble()), centre);
        }

        qsizetype index = 0;
        for (const int source : {1, 2}) {
            const QPointF ground = source == 1 ? first : second;
            std::vector<QJsonObject> sourcePolygons;
            for (const Area &area : kAreas) {
                if (area.source != source)
                    continue;
                const QJsonObject feature = polygons[index++].toObject();
                const QJsonObject properties = feature["properties"].toObject();
                QCOMPARE(feature["geometry"]["type"].toString(), "Polygon");
                checkEstimateFields(properties, source);
                QCOMPARE(properties["threshold"].toInt(), area.threshold);
                QCOMPARE(properties["weather"].toString(), area.weather);
                QCOMPARE(properties["distance_m"].toDouble(), area.metres);
                QCOMPARE(properties["greater_than"].toVariant().toBool(), area.greaterThan);
                QCOMPARE(properties["subclass"].toString(), area.subclass);
                QCOMPARE(isNull(properties["subclass"]), area.subclass.isEmpty());
                QCOMPARE(properties["colour"].toString(), area.colour);
                QCOMPARE(properties[name].toString(),
                         QStringLiteral("Soglia %1 %2 \u2014 %3%4 m")
                             .arg(area.threshold)
                             .arg(area.weather, area.greaterThan ? "> " : "")
                             .arg(area.metres));
                sourcePolygons.push_back(feature);
            }

            const QPointF centre(sourcePolygons.front()["properties"][east].toDouble(),
                                 sourcePolygons.front()["properties"][north].toDouble());
            if (!lonLat || geographic) {
                QCOMPARE(centre, ground);
            } else {
                // cs2cs answers latitude first.
                const QList<QByteArray> latLon
                    = toolOutput("cs2cs", {"-f", "%.10f", code, "EPSG:4326"},
                          QByteArray::number(ground.x(), 'f', 6) + ' ' + QByteArray::number(ground.y(), 'f', 6) + '\n')
                          .simplified()
                          .split(' ');
                QVERIFY(latLon.size() >= 2);
                QVERIFY2(std::abs(centre.x() - latLon[1].toDouble()) < 1e-7, qPrintable(QString::number(centre.x())));
                QVERIFY2(std::abs(centre.y() - latLon[0].toDouble()) < 1e-7, qPrintable(QString::number(centre.y())));
            }

            // The rings, every vertex at its distance on the ground (the sheets' systems are checked
            // vertex by vertex below): in WGS 84 they are GDAL's transformation of the map's.
            for (const QJsonObject &polygon : sourcePolygons) {
                QCOMPARE(QPointF(polygon["properties"][east].toDouble(), polygon["properties"][north].toDouble()), centre);
                const QJsonArray rings = polygon["geometry"]["coordinates"].toArray();
                QCOMPARE(rings.size(), 1);
                const QJsonArray ring = rings[0].toArray();
                QCOMPARE(ring.size(), map::kRingVertices + 1);
                if (!lonLat)
                    continue;
                const double metres = polygon["properties"]["distance_m"].toDouble();
                const QList<double> distances = geodesicDistances(centre, ring);
                QCOMPARE(distances.size(), ring.size());
                for (const double distance : distances)
                    QVERIFY2(std::abs(distance - metres) < 0.001 * metres, qPrintable(QString::number(distance)));
            }
        }
    }

    // A GIS user's first step with such a file: each layer becomes a Shapefile, one geometry type each.
    void layersConvertToShapefiles()
    {
        const map::CoordinateSystem system = systemOf("EPSG:32632", false);
        for (const gis::ExportFormat format : {gis::ExportFormat::GeoPackage, gis::ExportFormat::Kml}) {
            const auto exported = gis::exportDamageAreas(format, kToxic, system,
                                                         {{QPointF(680000, 5030000), kFirstAreas}}, kWhen);
            QVERIFY(exported.ok());
            const QTemporaryDir folder;
            const QString path = writtenFile(folder, format, exported.value().file);
            QProcess convert;
            convert.start("ogr2ogr", {"-f", "ESRI Shapefile", folder.filePath("shp"), path});
            QVERIFY(convert.waitForFinished(60000));
            const QByteArray complaints = convert.readAllStandardError();
            QCOMPARE(convert.exitCode(), 0);
            QVERIFY2(!complaints.contains("ERROR"), complaints.constData());
            for (const auto &[layer, geometry] : {std::pair("aree_di_danno", "Polygon"), std::pair("sorgenti", "Point")}) {
                const QString listing = QString::fromUtf8(
                    toolOutput("ogrinfo", {"-ro", "-so", folder.filePath(QStringLiteral("shp/%1.shp").arg(layer)), layer}));
                // KML's coordinates carry a height.
                QVERIFY2(listing.contains(QRegularExpression(QStringLiteral("\nGeometry: (3D )?%1\n").arg(geometry))),
                         qPrintable(listing));
            }
        }
    }

    void kmlAreasCarryTheirColours()
    {
        const auto exported = gis::exportDamageAreas(gis::ExportFormat::Kml, kToxic, systemOf("EPSG:32632", false),
                                                     {{QPointF(680000, 5030000), kFirstAreas}}, kWhen);
        QVERIFY(exported.ok());
        const QString kml = QString::fromUtf8(exported.value().file);
        // KML writes colours alpha, blue, green, red: each outline opaque, each area a quarter opaque.
        for (const char *colour : {"0000ff", "ffff00", "00ffff", "c0c0c0"})
            for (const char *alpha : {"ff", "40"})
                QVERIFY2(kml.contains(QStringLiteral("<color>%1%2</color>").arg(alpha, colour), Qt::CaseInsensitive),
                         colour);
    }

    // Whatever the projection's scale at the source, a damage area is one ring: on the ground every
    // vertex lies at its distance (by geod, from the file read back in WGS 84), and on the sheet the
    // pixels drawn follow the exported ring through the georeference within a pixel.
    void ringsOnTheGroundAndOnTheSheet_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QPointF>("place"); // WGS 84 longitude and latitude
        QTest::addColumn<double>("pixel"); // in the system's units
        QTest::newRow("Web Mercator at 45° N") << "EPSG:3857" << QPointF(9.19, 45.46) << 0.5;
        QTest::newRow("equal-area Europe at Lisbon") << "EPSG:3035" << QPointF(-9.14, 38.72) << 0.5;
        QTest::newRow("Gauss-Boaga, Monte Mario") << "EPSG:3003" << QPointF(9.19, 45.46) << 0.5;
        QTest::newRow("RDN2008 / UTM 32N") << "EPSG:6707" << QPointF(9.19, 45.46) << 0.5;
        QTest::newRow("WGS 84 / UTM 32N") << "EPSG:32632" << QPointF(9.19, 45.46) << 0.5;
        QTest::newRow("WGS 84 degrees") << "EPSG:4326" << QPointF(9.19, 45.46) << 5e-6;
    }
    void ringsOnTheGroundAndOnTheSheet()
    {
        QFETCH(QString, code);
        QFETCH(QPointF, place);
        QFETCH(double, pixel);
        // The source in the system, by GDAL's own transformation (east first).
        const QList<QByteArray> xy
            = toolOutput("gdaltransform", {"-s_srs", "EPSG:4326", "-t_srs", code},
                  QByteArray::number(place.x(), 'f', 9) + ' ' + QByteArray::number(place.y(), 'f', 9) + '\n')
                  .simplified()
                  .split(' ');
        QVERIFY(xy.size() >= 2);
        const QPointF source(xy[0].toDouble(), xy[1].toDouble());
        const map::CoordinateSystem system = systemOf(code, code == "EPSG:4326");
        constexpr int kSheet = 1000;
        const map::Georeference georeference{source.x() - kSheet / 2 * pixel, source.y() + kSheet / 2 * pixel, pixel,
                                             -pixel, system};
        map::DamageAreas areas{};
        for (std::size_t slot = 0; slot < 4; ++slot)
            areas[slot] = {40.0 + 35.0 * double(slot), false, false, {}};

        QImage sheet(kSheet, kSheet, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        const Outcome<map::AreaRings> rings = map::sheetRings(georeference, source, areas);
        QVERIFY2(rings.ok(), qPrintable(rings.ok() ? QString() : rings.error().message()));
        QCOMPARE(map::drawDamageRings(sheet, rings.value()), 4);
        const auto exported = gis::exportDamageAreas(gis::ExportFormat::GeoPackage, kToxic, system, {{source, areas}}, kWhen);
        QVERIFY(exported.ok());
        const QTemporaryDir folder;
        const QString path = writtenFile(folder, gis::ExportFormat::GeoPackage, exported.value().file);
        const QJsonArray inSystem = featuresOf(path, {}, "aree_di_danno");
        const QJsonArray inWgs84 = featuresOf(path, {"-t_srs", "EPSG:4326"}, "aree_di_danno");
        const QJsonArray sources = featuresOf(path, {"-t_srs", "EPSG:4326"}, "sorgenti");
        QVERIFY(inSystem.size() == 4 && inWgs84.size() == 4 && sources.size() == 1);

        const QPointF centre = pointOf(sources[0]["geometry"]["coordinates"]);
        for (qsizetype index = 0; index < 4; ++index) {
            const double metres = inSystem[index]["properties"]["distance_m"].toDouble();
            QCOMPARE(metres, areas[std::size_t(index)].metres);
            for (const double distance :
                 geodesicDistances(centre, inWgs84[index]["geometry"]["coordinates"][0].toArray()))
                QVERIFY2(std::abs(distance - metres) <= 0.001 * metres, qPrintable(QString::number(distance)));

            std::vector<QPointF> ring;
            for (const QJsonValue vertex : inSystem[index]["geometry"]["coordinates"][0].toArray())
                ring.push_back(georeference.pixelAt(pointOf(vertex)));
            std::vector<QPointF> drawn; // the centres of the pixels of the area's colour
            for (int y = 0; y < kSheet; ++y)
                for (int x = 0; x < kSheet; ++x)
                    if (sheet.pixel(x, y) == map::damageAreaColours()[std::size_t(index)].rgb())
                        drawn.emplace_back(x + 0.5, y + 0.5);
            // The whole ring: a line lights a pixel for each pixel it runs across or down.
            double length = 0.0;
            for (std::size_t vertex = 0; vertex + 1 < ring.size(); ++vertex)
                length += std::hypot(ring[vertex + 1].x() - ring[vertex].x(), ring[vertex + 1].y() - ring[vertex].y());
            QVERIFY(double(drawn.size()) >= length / std::sqrt(2.0));
            for (const QPointF centreOfPixel : drawn)
                QVERIFY2(pixelsFromPolyline(centreOfPixel, ring) <= 1.0, qPrintable(QString::number(metres)));
            for (const QPointF vertex : ring)
                QVERIFY(std::any_of(drawn.begin(), drawn.end(), [vertex](QPointF centreOfPixel) {
                    return std::abs(centreOfPixel.x() - vertex.x()) <= 1.0
                        && std::abs(centreOfPixel.y() - vertex.y()) <= 1.0;
                }));
        }
    }

    // A ring the system cannot show as it lies on the ground is refused, drawn or exported, never given
    // another shape: around a pole in degrees, beyond the width of Web Mercator's world, off the Earth.
    void ringsTheSystemCannotShow_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QPointF>("source");
        QTest::addColumn<QString>("why");
        const QString leaves = "esce dalla parte della Terra che il sistema di riferimento";
        QTest::newRow("around the pole") << "EPSG:4326" << QPointF(0, 89.99999) << leaves;
        QTest::newRow("beyond Web Mercator's world") << "EPSG:3857" << QPointF(3e7, 5694232) << leaves;
        QTest::newRow("off the Earth") << "EPSG:32632" << QPointF(1e10, 1e10) << "non è un punto della Terra";
    }
    void ringsTheSystemCannotShow()
    {
        QFETCH(QString, code);
        QFETCH(QPointF, source);
        QFETCH(QString, why);
        const map::CoordinateSystem system = systemOf(code, code == "EPSG:4326");
        const Outcome<map::AreaRings> rings
            = map::sheetRings(map::Georeference{source.x(), source.y(), 1, -1, system}, source, kSecondAreas);
        QVERIFY(!rings.ok());
        QCOMPARE(rings.error().kind, Error::Kind::AreaNotDrawable);
        QVERIFY2(rings.error().detail.contains(why) && rings.error().detail.contains(code),
                 qPrintable(rings.error().detail));
        const auto exported
            = gis::exportDamageAreas(gis::ExportFormat::GeoJson, kToxic, system, {{source, kSecondAreas}}, kWhen);
        QVERIFY(!exported.ok());
        QCOMPARE(exported.error().kind, Error::Kind::AreasNotExported);
        QCOMPARE(exported.error().detail, rings.error().detail);
    }

    // A site's file: the union of two items' 300 m areas of threshold 1 (D5), overlapping or apart, in a
    // projected and a geographic system, against SpatiaLite's area of the same union (planar in UTM near
    // its central meridian, where it differs from the ground's by 0.08 %; on the ellipsoid in degrees).
    void siteEnvelopeAreas_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QPointF>("first");
        QTest::addColumn<QPointF>("offset"); // of the second item from the first
        QTest::addColumn<int>("parts");
        const QPointF utm(500000, 5030000), lonLat(9.19, 45.46);
        QTest::newRow("overlapping, UTM 32N") << "EPSG:32632" << utm << QPointF(400, 0) << 1;
        QTest::newRow("apart, UTM 32N") << "EPSG:32632" << utm << QPointF(5000, 300) << 2;
        QTest::newRow("overlapping, WGS 84 degrees") << "EPSG:4326" << lonLat << QPointF(0.003, 0.002) << 1;
        QTest::newRow("apart, WGS 84 degrees") << "EPSG:4326" << lonLat << QPointF(0.05, 0.0) << 2;
    }
    void siteEnvelopeAreas()
    {
        QFETCH(QString, code);
        QFETCH(QPointF, first);
        QFETCH(QPointF, offset);
        QFETCH(int, parts);
        const bool geographic = code == "EPSG:4326";
        const Estimate estimate = toxicWith({{{300, false, false, {}}}});
        const SiteItems site(systemOf(code, geographic), {{"A", &estimate, first}, {"B", &estimate, first + offset}});
        const auto exported = gis::exportSiteAreas(site.system, site.items);
        QVERIFY2(exported.ok(), qPrintable(exported.ok() ? QString() : exported.error().message()));
        const QTemporaryDir folder;
        const QString path = writtenFile(folder, gis::ExportFormat::GeoPackage, exported.value());

        const QList<QVariantMap> layers = rowsOf(path,
                                                 "SELECT table_name, organization, organization_coordsys_id AS code "
                                                 "FROM gpkg_contents JOIN gpkg_spatial_ref_sys USING (srs_id)",
                                                 {});
        QCOMPARE(layers.size(), 2);
        for (const QVariantMap &layer : layers)
            QCOMPARE(layer["organization"].toString().toUpper() + ':' + layer["code"].toString(), code);

        const QString area = geographic ? "ST_Area(%1, 1)" : "ST_Area(%1)";
        const QList<QVariantMap> spatiaLite
            = rowsOf(path,
                     QStringLiteral("SELECT %1 AS united, SUM(%2) AS summed FROM aree_di_danno "
                                    "WHERE threshold = 1 AND weather = 'D5'")
                         .arg(area.arg("ST_Union(geom)"), area.arg("geom")));
        const QList<QVariantMap> envelopes
            = rowsOf(path,
                     "SELECT threshold, weather, items, area_m2, ST_NumGeometries(geom) AS parts, "
                     "ST_GeometryType(geom) AS type FROM inviluppi");
        QVERIFY(spatiaLite.size() == 1 && envelopes.size() == 1);
        const QVariantMap &envelope = envelopes.front();
        QCOMPARE(envelope["type"].toString(), "MULTIPOLYGON");
        QCOMPARE(envelope["parts"].toInt(), parts);
        const double ours = envelope["area_m2"].toDouble(), united = spatiaLite.front()["united"].toDouble();
        const double summed = spatiaLite.front()["summed"].toDouble();
        QVERIFY2(std::abs(ours - united) < 0.005 * united, qPrintable(QStringLiteral("%1 %2").arg(ours).arg(united)));
        // Apart, the envelope is the two areas; overlapping, it is well short of them.
        QVERIFY2(parts == 2 ? std::abs(ours - summed) < 0.005 * summed : ours < 0.9 * summed,
                 qPrintable(QStringLiteral("%1 %2").arg(ours).arg(summed)));
    }

    // The areas' layer holds each area that has a distance, with its item's id; an envelope covers just
    // the items with an area of its threshold and weather, in the items' order, and a threshold and
    // weather no item has has none. An item without an estimate adds nothing.
    void siteEnvelopesCoverTheirItems()
    {
        const DamageDistance none{}, notAvailable{0, true, false, {}};
        const Estimate a
            = toxicWith({{{300, false, false, {}}, {500, false, false, {}}, none, none, {400, false, false, {}}}});
        const Estimate b = toxicWith({{{300, false, false, {}}, none, none, none, notAvailable}});
        const Estimate c = toxicWith({{{200, false, false, {}}, none, none, none, none, {250, false, false, {}}}});
        const QPointF place(500000, 5030000);
        const SiteItems site(systemOf("EPSG:32632", false),
                             {{"A", &a, place},
                              {"C", &c, place + QPointF(300, 0)},
                              {"X", nullptr, place},
                              {"B", &b, place - QPointF(300, 0)}});
        const auto exported = gis::exportSiteAreas(site.system, site.items);
        QVERIFY(exported.ok());
        const QTemporaryDir folder;
        const QString path = writtenFile(folder, gis::ExportFormat::GeoPackage, exported.value());

        QStringList areas, envelopes;
        for (const QVariantMap &row : rowsOf(path, "SELECT id, threshold, weather, substance FROM aree_di_danno"))
            areas << QStringList{row["id"].toString(), row["threshold"].toString(), row["weather"].toString(),
                                 row["substance"].toString()}
                         .join(' ');
        for (const QVariantMap &row : rowsOf(path, "SELECT threshold, weather, items FROM inviluppi"))
            envelopes << row["threshold"].toString() + ' ' + row["weather"].toString() + ' ' + row["items"].toString();
        QCOMPARE(areas,
                 QStringList({"A 1 D5 Acrilonitrile", "A 2 D5 Acrilonitrile", "A 1 F2 Acrilonitrile",
                              "C 1 D5 Acrilonitrile", "C 2 F2 Acrilonitrile", "B 1 D5 Acrilonitrile"}));
        QCOMPARE(envelopes, QStringList({"1 D5 A; C; B", "2 D5 A", "1 F2 A", "2 F2 C"}));
    }

    // The one item whose area the system cannot show stops the file, and the message names it.
    void siteAreasNameTheItemTheyFailOn()
    {
        const Estimate estimate = toxicWith(kSecondAreas);
        const SiteItems site(systemOf("EPSG:4326", true),
                             {{"A", &estimate, {9.19, 45.46}}, {"S-7", &estimate, {0, 89.99999}}});
        const auto exported = gis::exportSiteAreas(site.system, site.items);
        QVERIFY(!exported.ok());
        QCOMPARE(exported.error().kind, Error::Kind::AreasNotExported);
        QVERIFY2(exported.error().detail.startsWith("S-7: l'area di 700 m"), qPrintable(exported.error().detail));
    }

    // The elements the areas reach, a layer beside them: one feature per element and area that reaches
    // it, as many as elementsReached() finds, with the element's attributes and innermost zone (none
    // for one only a threshold-2 area reaches), its geometry as read in a GeoPackage and in WGS 84 in
    // KML; GeoJSON, of one layer, refused.
    void reachedElementsBesideTheAreas()
    {
        const map::CoordinateSystem system = systemOf("EPSG:32632", false);
        const QPointF source(480500, 5029500);
        map::DamageAreas areas{}; // D5 only: thresholds 1, 2 and 3 at 100, 250 and 200 m
        areas[0].metres = 100;
        areas[1].metres = 250;
        areas[2].metres = 200;
        const QTemporaryDir folder;
        QFile csv(folder.filePath("elementi.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("nome;categoria;tipo;persone;est;nord\n"
                  "Scuola;A;scuola;10;480550;5029500\n" // 50 m east: thresholds 1, 2, 3
                  "Case;C;abitazioni;;480500;5029650\n" // 150 m north: 2, 3
                  "Chiosco;D;negozio;5;480275;5029500\n" // 225 m west: 2 only
                  "Mercato;B;mercato;600;481000;5029500\n"); // 500 m east: none
        csv.close();
        const Outcome<map::AreaRings> rings = map::groundRings(system, source, areas);
        QVERIFY(rings.ok());
        const Outcome<elements::ElementLayer> layer = elements::readElementLayer(
            {csv.fileName(), {}, system, QRectF(source - QPointF(2000, 2000), source + QPointF(2000, 2000))});
        QVERIFY(layer.ok());
        const Outcome<elements::ElementIndex> index = elements::ElementIndex::of(layer.value().elements, "elementi");
        QVERIFY(index.ok());
        const Outcome<elements::ElementsReached> reached
            = elements::elementsReached(layer.value(), index.value(), system, {{source, rings.value()}});
        QVERIFY(reached.ok());
        std::size_t expected = 0;
        for (const auto &inArea : reached.value().areas)
            expected += inArea ? inArea->size() : 0;
        QCOMPARE(expected, std::size_t(6));

        const gis::ReachedElements elementsReached{layer.value(), reached.value()};
        QMap<QString, QPointF> inWgs84; // each element's place, as GDAL moves the GeoPackage's
        for (const gis::ExportFormat format : {gis::ExportFormat::GeoPackage, gis::ExportFormat::Kml}) {
            const auto exported
                = gis::exportDamageAreas(format, kToxic, system, {{source, areas}}, kWhen, elementsReached);
            QVERIFY2(exported.ok(), qPrintable(exported.ok() ? QString() : exported.error().message()));
            const QString path = writtenFile(folder, format, exported.value().file);
            const QJsonArray features = featuresOf(path, {}, "elementi_coinvolti");
            QCOMPARE(std::size_t(features.size()), expected);
            QCOMPARE(featuresOf(path, {}, "aree_di_danno").size(), 3);
            QMap<QString, QStringList> areasOf;
            for (const QJsonValue feature : features) {
                const QJsonValue properties = feature["properties"];
                const QString name = properties["nome"].toString();
                areasOf[name] << QStringLiteral("%1 %2 %3")
                                     .arg(properties["threshold"].toInt())
                                     .arg(properties["weather"].toString(), properties["zona"].toString());
                const QPointF place = pointOf(feature["geometry"]["coordinates"]);
                if (format == gis::ExportFormat::GeoPackage) {
                    QCOMPARE(properties["persone"].isNull(), name == "Case");
                    QVERIFY(name != "Scuola" || (properties["categoria"].toString() == "A" && properties["tipo"].toString() == "scuola"
                                                 && properties["persone"].toDouble() == 10.0
                                                 && std::abs(properties["distance_m"].toDouble() - 50.0) <= 0.1));
                    QVERIFY(place.x() > 480000 && place.y() > 5029000); // in the map's system
                } else {
                    QVERIFY(std::abs(place.x() - inWgs84[name].x()) < 1e-8
                            && std::abs(place.y() - inWgs84[name].y()) < 1e-8);
                }
            }
            if (format == gis::ExportFormat::GeoPackage)
                for (const QJsonValue feature : featuresOf(path, {"-t_srs", "EPSG:4326"}, "elementi_coinvolti"))
                    inWgs84[feature["properties"]["nome"].toString()] = pointOf(feature["geometry"]["coordinates"]);
            QCOMPARE(areasOf.keys(), (QStringList{"Case", "Chiosco", "Scuola"}));
            QCOMPARE(areasOf["Scuola"], (QStringList{"1 D5 prima zona", "2 D5 prima zona", "3 D5 prima zona"}));
            QCOMPARE(areasOf["Case"], (QStringList{"2 D5 seconda zona", "3 D5 seconda zona"}));
            QCOMPARE(areasOf["Chiosco"], QStringList{"2 D5 "});
        }
        const auto geojson
            = gis::exportDamageAreas(gis::ExportFormat::GeoJson, kToxic, system, {{source, areas}}, kWhen, elementsReached);
        QVERIFY(!geojson.ok() && geojson.error().detail.contains("un solo strato"));
    }
};

QTEST_GUILESS_MAIN(GisExportTest)
#include "test_gis_export.moc"
