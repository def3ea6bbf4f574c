#include "gis/DamageAreaExport.h"
#include "support/EstimateWorkbooks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <cmath>
#include <numbers>

// Every file is read back and measured by GDAL's and PROJ's own programs, not by the code that wrote it.

namespace {

QByteArray run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning() << program << arguments << process.readAllStandardError();
        return {};
    }
    return process.readAllStandardOutput();
}

map::CoordinateSystem systemOf(const QString &code, bool geographic, double metresPerUnit)
{
    const QString wkt = QString::fromUtf8(run("projinfo", {"-o", "WKT2_2019", "--single-line", "-q", code}));
    return {wkt.trimmed(), code, code, geographic, metresPerUnit};
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

// The features of the file as GDAL reads it, in GeoJSON, in the file's own coordinates.
QJsonArray featuresOf(const QString &path)
{
    const QByteArray json = run("ogr2ogr", {"-f", "GeoJSON", "/vsistdout/", path, "aree_di_danno"});
    return QJsonDocument::fromJson(json).object().value("features").toArray();
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
    for (const QByteArray &line : run("geod", {"-I", "+ellps=WGS84"}, lines).split('\n'))
        if (!line.isEmpty())
            distances.append(line.split('\t').last().toDouble());
    return distances;
}

double planeArea(const QJsonArray &ring)
{
    const QPointF origin = pointOf(ring[0]);
    double twice = 0.0;
    for (qsizetype index = 1; index + 1 < ring.size(); ++index) {
        const QPointF a = pointOf(ring[index]) - origin;
        const QPointF b = pointOf(ring[index + 1]) - origin;
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return std::abs(twice) / 2.0;
}

} // namespace

class GisExportTest : public QObject
{
    Q_OBJECT

private slots:
    void areasReadBackByGdal_data()
    {
        QTest::addColumn<gis::ExportFormat>("format");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("geographic");
        QTest::addColumn<double>("metresPerUnit");
        QTest::addColumn<QPointF>("first");
        QTest::addColumn<QPointF>("second");

        const QPointF utm(680000.25, 5030000.5);
        const QPointF utmSecond = utm + QPointF(1500, 800);
        QTest::newRow("GeoPackage, UTM 32N")
            << gis::ExportFormat::GeoPackage << "EPSG:32632" << false << 1.0 << utm << utmSecond;
        QTest::newRow("GeoPackage in US survey feet")
            << gis::ExportFormat::GeoPackage << "EPSG:2263" << false << 1200.0 / 3937.0 << QPointF(1000000, 200000)
            << QPointF(1005000, 202000);
        QTest::newRow("GeoPackage, WGS 84 degrees") << gis::ExportFormat::GeoPackage << "EPSG:4326" << true << 1.0
                                                    << QPointF(9.19, 45.46) << QPointF(9.21, 45.47);
        QTest::newRow("GeoJSON from ETRS89 degrees")
            << gis::ExportFormat::GeoJson << "EPSG:4258" << true << 1.0 << QPointF(9.19, 45.46) << QPointF(9.21, 45.47);
        QTest::newRow("GeoJSON from UTM 32N")
            << gis::ExportFormat::GeoJson << "EPSG:32632" << false << 1.0 << utm << utmSecond;
        QTest::newRow("KML from UTM 32N") << gis::ExportFormat::Kml << "EPSG:32632" << false << 1.0 << utm << utmSecond;
    }
    void areasReadBackByGdal()
    {
        QFETCH(gis::ExportFormat, format);
        QFETCH(QString, code);
        QFETCH(bool, geographic);
        QFETCH(double, metresPerUnit);
        QFETCH(QPointF, first);
        QFETCH(QPointF, second);
        const map::CoordinateSystem system = systemOf(code, geographic, metresPerUnit);
        const auto exported
            = gis::exportDamageAreas(format, kToxic, system, {{first, kFirstAreas}, {second, kSecondAreas}});
        QVERIFY2(exported.ok(), qPrintable(exported.ok() ? QString() : exported.error().message()));
        QCOMPARE(exported.value().polygons, int(kAreas.size()));

        const QTemporaryDir folder;
        const QString path = folder.filePath("aree" + gis::extensionOf(format));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(exported.value().file) == exported.value().file.size());
        file.close();
        const QJsonArray features = featuresOf(path);
        QCOMPARE(features.size(), qsizetype(kAreas.size() + 2));

        // Each source's polygons, then its point.
        const bool lonLat = geographic || format != gis::ExportFormat::GeoPackage;
        qsizetype index = 0;
        for (const int source : {1, 2}) {
            const QPointF ground = source == 1 ? first : second;
            std::vector<QJsonObject> polygons;
            for (const Area &area : kAreas) {
                if (area.source != source)
                    continue;
                const QJsonObject feature = features[index++].toObject();
                const QJsonObject properties = feature["properties"].toObject();
                QCOMPARE(feature["geometry"]["type"].toString(), "Polygon");
                QCOMPARE(properties["threshold"].toInt(), area.threshold);
                QCOMPARE(properties["weather"].toString(), area.weather);
                QCOMPARE(properties["distance_m"].toDouble(), area.metres);
                QCOMPARE(properties["greater_than"].toVariant().toBool(), area.greaterThan);
                QCOMPARE(properties["subclass"].toString(), area.subclass);
                QCOMPARE(isNull(properties["subclass"]), area.subclass.isEmpty());
                QCOMPARE(properties["colour"].toString(), area.colour);
                polygons.push_back(feature);
            }
            const QJsonObject point = features[index++].toObject();
            QCOMPARE(point["geometry"]["type"].toString(), "Point");
            for (const char *name : {"threshold", "weather", "distance_m", "greater_than", "subclass", "colour"})
                QVERIFY2(isNull(point["properties"][name]), name);

            std::vector<QJsonObject> sourceFeatures = polygons;
            sourceFeatures.push_back(point);
            for (const QJsonObject &feature : sourceFeatures) {
                const QJsonObject properties = feature["properties"].toObject();
                QCOMPARE(properties["source"].toInt(), source);
                QCOMPARE(properties["substance"].toString(), "Acrilonitrile");
                QCOMPARE(properties["cas"].toString(), "107-13-1");
                QCOMPARE(properties["class"].toString(), "4");
                QCOMPARE(properties["hypothesis"].toString(), "Ipotesi più probabile");
                QCOMPARE(properties["containment"].toString(), "Stoccaggi fissi senza bacino di contenimento");
                QCOMPARE(properties["range"].toString().simplified(), "10 - 50");
                QCOMPARE(properties["scenario"].toString(), "Nube Tossica");
            }

            const QPointF centre = pointOf(point["geometry"]["coordinates"]);
            if (!lonLat || geographic) {
                QCOMPARE(centre, ground);
            } else {
                // cs2cs answers latitude first.
                const QList<QByteArray> latLon
                    = run("cs2cs", {"-f", "%.10f", code, "EPSG:4326"},
                          QByteArray::number(ground.x(), 'f', 6) + ' ' + QByteArray::number(ground.y(), 'f', 6) + '\n')
                          .simplified()
                          .split(' ');
                QVERIFY(latLon.size() >= 2);
                QVERIFY2(std::abs(centre.x() - latLon[1].toDouble()) < 1e-7, qPrintable(QString::number(centre.x())));
                QVERIFY2(std::abs(centre.y() - latLon[0].toDouble()) < 1e-7, qPrintable(QString::number(centre.y())));
            }

            for (const QJsonObject &polygon : polygons) {
                const double metres = polygon["properties"]["distance_m"].toDouble();
                const QJsonArray rings = polygon["geometry"]["coordinates"].toArray();
                QCOMPARE(rings.size(), 1);
                const QJsonArray ring = rings[0].toArray();
                QCOMPARE(ring.size(), 257);
                if (!lonLat) {
                    const double radius = metres / metresPerUnit;
                    const double area = planeArea(ring);
                    QVERIFY2(std::abs(area / (std::numbers::pi * radius * radius) - 1.0) < 0.005,
                             qPrintable(QString::number(area)));
                    continue;
                }
                // On a geographic map the circle is geodesic to the millimetre; one drawn on a UTM map
                // is off the ground distance by no more than the projection's scale.
                const double tolerance = geographic ? 0.002 : 0.005 * metres;
                const QList<double> distances = geodesicDistances(centre, ring);
                QCOMPARE(distances.size(), ring.size());
                for (const double distance : distances)
                    QVERIFY2(std::abs(distance - metres) < tolerance, qPrintable(QString::number(distance)));
            }
        }
    }

    void kmlAreasCarryTheirColours()
    {
        const auto exported = gis::exportDamageAreas(gis::ExportFormat::Kml, kToxic, systemOf("EPSG:32632", false, 1.0),
                                                     {{QPointF(680000, 5030000), kFirstAreas}});
        QVERIFY(exported.ok());
        const QString kml = QString::fromUtf8(exported.value().file);
        // KML writes colours alpha, blue, green, red: each outline opaque, each area a quarter opaque.
        for (const char *colour : {"0000ff", "ffff00", "00ffff", "c0c0c0"})
            for (const char *alpha : {"ff", "40"})
                QVERIFY2(kml.contains(QStringLiteral("<color>%1%2</color>").arg(alpha, colour), Qt::CaseInsensitive),
                         colour);
    }

    void pointOutsideWgs84IsRefused()
    {
        const auto exported
            = gis::exportDamageAreas(gis::ExportFormat::GeoJson, kToxic, systemOf("EPSG:32632", false, 1.0),
                                     {{QPointF(1e10, 1e10), kSecondAreas}});
        QVERIFY(!exported.ok());
        QCOMPARE(exported.error().kind, Error::Kind::AreasNotExported);
        QVERIFY(exported.error().detail.contains("WGS 84"));
    }
};

QTEST_GUILESS_MAIN(GisExportTest)
#include "test_gis_export.moc"
