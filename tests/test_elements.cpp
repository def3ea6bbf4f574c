// Vulnerable elements: a layer read from GDAL's formats into the map's system, and who is inside each
// damage area and zone, counted against SpatiaLite's own ST_Intersects over the same areas.
// What is reached written out as JSON and as a table.
#include "elements/ElementErrors.h"
#include "elements/ElementIndex.h"
#include "elements/ElementLayer.h"
#include "elements/ElementShapes.h"
#include "elements/ElementsReached.h"
#include "elements/ElementTables.h"
#include "elements/ReachedRows.h"
#include "map/GroundRing.h"
#include "map/GroundSystem.h"

#include "support/ToolOutput.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstdint>
#include <cstring>

using namespace elements;

namespace {

using testing::toolOutput;

map::CoordinateSystem utm32()
{
    const QString wkt = QString::fromUtf8(toolOutput("projinfo", {"-o", "WKT2_2019", "--single-line", "-q", "EPSG:32632"}));
    return {wkt.trimmed(), "EPSG:32632", "WGS 84 / UTM zone 32N", false};
}

const QPointF kSource(480500, 5029500);
const QRectF kRegion(QPointF(478000, 5027000), QPointF(483000, 5032000));

// Thresholds 1 to 4 under D5, then under F2: the zones reach 120, 400 and 900 m.
map::DamageAreas areas()
{
    map::DamageAreas areas{};
    const std::array<double, kDistanceSlots> metres{100, 150, 300, 600, 120, 180, 400, 900};
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        areas[slot].metres = metres[slot];
    return areas;
}

QString square(QPointF centre, double half)
{
    return QStringLiteral("POLYGON ((%1 %2, %3 %2, %3 %4, %1 %4, %1 %2))")
        .arg(centre.x() - half, 0, 'f', 3)
        .arg(centre.y() - half, 0, 'f', 3)
        .arg(centre.x() + half, 0, 'f', 3)
        .arg(centre.y() + half, 0, 'f', 3);
}

// A coordinate written so that it reads back as the same double.
QString exact(double coordinate)
{
    return QString::number(coordinate, 'g', 17);
}

struct Sample
{
    QString name; // empty: none
    QString category;
    QString people; // as written
    QString wkt;
};

// Around the source: a school in the first zone, a hospital in the second, homes whose people are
// written as words in the third, a railway crossing the third, a nameless point exactly on the
// outermost ring's northern vertex (on the boundary: inside), one a millimetre beyond it, and a
// market far away.
std::vector<Sample> samples(QPointF northVertex)
{
    return {{"Scuola Manzoni", "A", "450", square(kSource + QPointF(80, 0), 15)},
            {"Ospedale", "A", "320", QStringLiteral("POINT (%1 %2)").arg(kSource.x()).arg(kSource.y() + 350)},
            {"Case sparse", "C", "circa 40", square(kSource + QPointF(0, -650), 60)},
            {"Ferrovia", "F", "",
             QStringLiteral("LINESTRING (%1 %2, %3 %2)").arg(kSource.x() - 2000).arg(kSource.y() - 850).arg(kSource.x() + 2000)},
            {"", "B", "12", QStringLiteral("POINT (%1 %2)").arg(exact(northVertex.x()), exact(northVertex.y()))},
            {"Oltre il confine", "B", "7",
             QStringLiteral("POINT (%1 %2)").arg(exact(northVertex.x()), exact(northVertex.y() + 0.001))},
            {"Mercato", "B", "600", QStringLiteral("POINT (%1 %2)").arg(kSource.x() + 2000).arg(kSource.y())}};
}

// The samples as a CSV with a wkt column, the headers in other cases and with accents.
QString writeCsv(const QString &path, const std::vector<Sample> &rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("\"WKT\";\"Nome\";\"Categoria\";\"PERSONE\";\"Tipo\"\n");
    for (const Sample &row : rows)
        file.write(QStringLiteral("\"%1\";\"%2\";\"%3\";\"%4\";\"edificio\"\n")
                       .arg(row.wkt, row.name, row.category, row.people)
                       .toUtf8());
    return path;
}

// The same rows in another format and system, made by GDAL's own converter.
QString converted(const QString &source, const QString &target, const QStringList &options)
{
    const QStringList csvOptions{"-oo", "GEOM_POSSIBLE_NAMES=WKT", "-oo", "KEEP_GEOM_COLUMNS=NO"};
    toolOutput("ogr2ogr", QStringList{"-f", target.endsWith(".gpkg") ? "GPKG" : "GeoJSON"} + options
                       + QStringList{target, source} + (source.endsWith(".csv") ? csvOptions : QStringList()));
    return target;
}

// The names of a zone's elements but those of category B (the points on and beyond the boundary,
// which a round trip through degrees may move by a hair, and the far market), with their distances.
QList<QPair<QString, double>> awayFromTheBoundary(const ElementLayer &layer, const ZoneReach &zone)
{
    QList<QPair<QString, double>> list;
    for (const ElementReach &reach : zone.elements)
        if (layer.elements[reach.element].category != QLatin1String("B"))
            list.append({layer.elements[reach.element].name, reach.distance_m});
    return list;
}

ElementLayer read(const QString &path, const QRectF &region = kRegion)
{
    const Outcome<ElementLayer> layer = readElementLayer({path, {}, utm32(), region});
    if (!layer.ok())
        qWarning() << layer.error().message();
    return layer.ok() ? layer.value() : ElementLayer{};
}

ElementsReached reach(const ElementLayer &layer)
{
    const Outcome<map::AreaRings> rings = map::groundRings(utm32(), kSource, areas());
    const Outcome<ElementIndex> index = ElementIndex::of(layer.elements, layer.file);
    if (!rings.ok() || !index.ok())
        return {};
    const Outcome<ElementsReached> reached = elementsReached(layer, index.value(), utm32(), {{kSource, rings.value()}});
    return reached.ok() ? reached.value() : ElementsReached{};
}

QStringList names(const ElementLayer &layer, const std::vector<ElementReach> &reaches)
{
    QStringList list;
    for (const ElementReach &reach : reaches)
        list << layer.elements[reach.element].name;
    return list;
}

// An element of one point as ISO WKB (little-endian): a POINT, or a MULTIPOINT of that point alone,
// which the index keeps apart from the points and tests with GEOS only.
VulnerableElement pointElement(QPointF point, bool asMultiPoint)
{
    const auto wkbPoint = [](QPointF at) {
        QByteArray wkb(21, '\0');
        wkb[0] = 1;
        const std::uint32_t type = 1;
        const double xy[2] = {at.x(), at.y()};
        std::memcpy(wkb.data() + 1, &type, 4);
        std::memcpy(wkb.data() + 5, xy, 16);
        return wkb;
    };
    VulnerableElement element;
    element.wkb = wkbPoint(point);
    if (asMultiPoint) {
        QByteArray multi(9, '\0');
        multi[0] = 1;
        const std::uint32_t header[2] = {4, 1};
        std::memcpy(multi.data() + 1, header, 8);
        element.wkb = multi + element.wkb;
    }
    return element;
}

} // namespace

class ElementsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    QString m_csv;
    QPointF m_northVertex;

private slots:
    void initTestCase()
    {
        const Outcome<std::vector<QPointF>> outermost = map::groundRing(utm32(), kSource, 900);
        QVERIFY(outermost.ok());
        m_northVertex = outermost.value().front(); // azimuth 0
        m_csv = writeCsv(m_folder.filePath("elementi.csv"), samples(m_northVertex));
        QVERIFY(!m_csv.isEmpty());
    }

    // Attributes by name whatever their case and accents; a nameless element named by its feature; a
    // number of people written in words kept as unknown, with a warning; the layer's system missing
    // (a CSV) but its coordinates on the map, so taken as the map's.
    void attributesAndWarnings()
    {
        const ElementLayer layer = read(m_csv);
        QCOMPARE(layer.elements.size(), std::size_t(7));
        QCOMPARE(layer.elements[0].name, QStringLiteral("Scuola Manzoni"));
        QCOMPARE(layer.elements[0].category, QStringLiteral("A"));
        QCOMPARE(layer.elements[0].type, QStringLiteral("edificio"));
        QCOMPARE(layer.elements[0].people, std::optional(450.0));
        QCOMPARE(layer.elements[0].shape, ElementShape::Area);
        QCOMPARE(layer.elements[3].shape, ElementShape::Line);
        QCOMPARE(layer.elements[4].name, QStringLiteral("elemento %1").arg(layer.elements[4].featureId));
        QVERIFY(!layer.elements[2].people);
        QCOMPARE(layer.warnings.size(), 2);
        QVERIFY(layer.warnings.join('\n').contains("\"circa 40\" non è un numero"));
        QVERIFY(layer.warnings.join('\n').contains("non dichiara il suo sistema di riferimento"));
    }

    // Each area and zone's elements, innermost zone only, nearest first, with the people counted; the
    // point on the outermost ring's vertex is inside, the one a millimetre beyond is not.
    void zonesAndAreas()
    {
        const ElementLayer layer = read(m_csv);
        const ElementsReached reached = reach(layer);
        QVERIFY(reached.zones[0] && reached.zones[1] && reached.zones[2]);
        QCOMPARE(names(layer, reached.zones[0]->elements), QStringList{"Scuola Manzoni"});
        QCOMPARE(names(layer, reached.zones[1]->elements), QStringList{"Ospedale"});
        QCOMPARE(names(layer, reached.zones[2]->elements),
                 (QStringList{"Case sparse", "Ferrovia", layer.elements[4].name}));
        QCOMPARE(reached.zones[0]->people, 450.0);
        QCOMPARE(reached.zones[2]->people, 12.0);
        QCOMPARE(reached.zones[2]->peopleUnknown, 2);
        // Distances to the nearest point on the ground: the school's west side, the homes' north side.
        // (Within the scale of UTM there, 0.04 % off the ground.)
        QVERIFY(std::abs(reached.zones[0]->elements[0].distance_m - 65.0) < 0.001 * 65.0);
        QVERIFY(std::abs(reached.zones[2]->elements[0].distance_m - 590.0) < 0.001 * 590.0);
        QVERIFY(std::abs(reached.zones[2]->elements[2].distance_m - 900.0) < 0.01);
        // The threshold-1 D5 area (100 m) reaches the school only; the F2 threshold-4 area every element
        // in a zone.
        QCOMPARE(names(layer, *reached.areas[0]), QStringList{"Scuola Manzoni"});
        QCOMPARE(reached.areas[7]->size(), std::size_t(5));
        QCOMPARE(reached.bySource.size(), std::size_t(5));
    }

    // The same elements in a GeoPackage of the map's system and in GeoJSON of longitude and latitude
    // give the same table as the CSV; and the counts of each area equal SpatiaLite's over the same
    // rings and elements.
    void formatsSystemsAndAnIndependentCount()
    {
        const QString gpkg
            = converted(m_csv, m_folder.filePath("elementi.gpkg"), {"-a_srs", "EPSG:32632", "-nln", "elementi"});
        const QString geojson = converted(gpkg, m_folder.filePath("elementi.geojson"), {"-t_srs", "EPSG:4326"});
        const ElementLayer fromCsv = read(m_csv);
        const ElementsReached expected = reach(fromCsv);
        for (const QString &path : {gpkg, geojson}) {
            const ElementLayer layer = read(path);
            QCOMPARE(layer.elements.size(), fromCsv.elements.size());
            QCOMPARE(layer.warnings.size(), 1); // the people in words
            const ElementsReached reached = reach(layer);
            for (std::size_t zone = 0; zone < kPlanZones.size(); ++zone) {
                QVERIFY(reached.zones[zone]);
                const auto theirs = awayFromTheBoundary(layer, *reached.zones[zone]);
                const auto ours = awayFromTheBoundary(fromCsv, *expected.zones[zone]);
                QCOMPARE(theirs.size(), ours.size());
                for (qsizetype at = 0; at < ours.size(); ++at) {
                    QCOMPARE(theirs[at].first, ours[at].first);
                    QVERIFY(std::abs(theirs[at].second - ours[at].second) < 0.01);
                }
            }
        }

        // The rings as a layer beside the elements, and SpatiaLite's count of each ring's elements.
        const Outcome<map::AreaRings> rings = map::groundRings(utm32(), kSource, areas());
        QVERIFY(rings.ok());
        QFile csv(m_folder.filePath("aree.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("slot;WKT\n");
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
            QStringList points;
            for (const QPointF point : rings.value()[slot])
                points << exact(point.x()) + ' ' + exact(point.y());
            csv.write(QStringLiteral("%1;\"POLYGON ((%2))\"\n").arg(slot).arg(points.join(", ")).toUtf8());
        }
        csv.close();
        toolOutput("ogr2ogr", {"-append", "-a_srs", "EPSG:32632", "-nln", "aree", gpkg, csv.fileName(), "-oo",
                        "GEOM_POSSIBLE_NAMES=WKT", "-oo", "KEEP_GEOM_COLUMNS=NO"});
        const QByteArray counted = toolOutput(
            "ogrinfo", {"-q", "-dialect", "sqlite", "-sql",
                        "SELECT a.slot AS slot, (SELECT count(*) FROM elementi e WHERE ST_Intersects(e.geom, a.geom)) "
                        "AS reached FROM aree a ORDER BY a.slot",
                        gpkg});
        const QRegularExpression reachedCount("reached \\(Integer\\) = (\\d+)");
        QList<int> theirs;
        for (auto match = reachedCount.globalMatch(QString::fromUtf8(counted)); match.hasNext();)
            theirs << match.next().captured(1).toInt();
        QCOMPARE(theirs.size(), int(kDistanceSlots));
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
            QCOMPARE(int(expected.areas[slot]->size()), theirs[int(slot)]);
    }

    // Two sources: an element both reach is counted once, in the innermost zone either reaches it
    // with, measured from the nearer; each source lists what it reaches.
    void aSiteOfTwoSources()
    {
        const ElementLayer layer = read(m_csv);
        const Outcome<ElementIndex> index = ElementIndex::of(layer.elements, layer.file);
        QVERIFY(index.ok());
        const QPointF second = kSource + QPointF(0, 300); // 50 m from the hospital
        const Outcome<map::AreaRings> first = map::groundRings(utm32(), kSource, areas());
        const Outcome<map::AreaRings> other = map::groundRings(utm32(), second, areas());
        QVERIFY(first.ok() && other.ok());
        const Outcome<ElementsReached> reached
            = elementsReached(layer, index.value(), utm32(), {{kSource, first.value()}, {second, other.value()}});
        QVERIFY(reached.ok());
        const ZoneReach &innermost = *reached.value().zones[0];
        QCOMPARE(names(layer, innermost.elements), (QStringList{"Ospedale", "Scuola Manzoni"}));
        QCOMPARE(innermost.elements[0].source, std::size_t(1));
        QVERIFY(std::abs(innermost.elements[0].distance_m - 50.0) < 0.05);
        QCOMPARE(innermost.people, 770.0);
        QVERIFY(names(layer, reached.value().zones[1]->elements).isEmpty());
        const auto ofSecond = std::count_if(reached.value().bySource.begin(), reached.value().bySource.end(),
                                            [](const SourceElement &row) { return row.source == 1; });
        QVERIFY(ofSecond >= 2);
    }

    // The points, found cell by cell of their grid and told inside or outside an area by discs about a
    // centre before GEOS, meet the same areas as GEOS finds testing each alone: over a lattice that
    // fills whole cells inside and outside, on every ring's vertices and sides' middles, a millimetre
    // within and beyond them; about the rings' centre and about a point outside them.
    void pointsMeetTheAreasAsGeosTellsThem()
    {
        const Outcome<map::AreaRings> rings = map::groundRings(utm32(), kSource, areas());
        QVERIFY(rings.ok());
        std::vector<QPointF> points;
        for (int east = -50; east <= 50; ++east)
            for (int north = -50; north <= 50; ++north)
                points.push_back(kSource + QPointF(east * 19.0, north * 19.0));
        for (const std::vector<QPointF> &ring : rings.value()) {
            for (std::size_t at = 0; at + 1 < ring.size(); ++at) {
                const QPointF outward
                    = (ring[at] - kSource) / std::hypot(ring[at].x() - kSource.x(), ring[at].y() - kSource.y());
                for (const QPointF point : {ring[at], (ring[at] + ring[at + 1]) / 2.0})
                    points.insert(points.end(), {point, point - outward * 0.001, point + outward * 0.001});
            }
        }
        std::vector<VulnerableElement> asPoints;
        std::vector<VulnerableElement> asMultiPoints;
        for (const QPointF point : points) {
            asPoints.push_back(pointElement(point, false));
            asMultiPoints.push_back(pointElement(point, true));
        }
        const Outcome<ElementIndex> grid = ElementIndex::of(asPoints, "punti");
        const Outcome<ElementIndex> geos = ElementIndex::of(asMultiPoints, "multipunti");
        QVERIFY(grid.ok() && geos.ok());
        QCOMPARE(grid.value().points(), points.size());
        QCOMPARE(geos.value().points(), std::size_t(0));
        const auto byElement = [&](const ElementIndex &index, QPointF centre) {
            const std::optional<std::vector<ElementIndex::Met>> found = index.meeting(centre, rings.value());
            if (!found)
                return std::vector<unsigned>();
            std::vector<unsigned> met(points.size());
            for (const ElementIndex::Met &one : *found)
                met[index.elementAt(one.order)] = one.rings;
            return met;
        };
        for (const QPointF centre : {kSource, kSource + QPointF(1200, 300)}) {
            const std::vector<unsigned> expected = byElement(geos.value(), centre);
            QCOMPARE(expected.size(), points.size());
            QVERIFY(byElement(grid.value(), centre) == expected);
            // Every area meets some points and misses others.
            for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
                const auto meeting
                    = std::count_if(expected.begin(), expected.end(), [&](unsigned met) { return met & (1U << slot); });
                QVERIFY(meeting > 0 && meeting < std::ptrdiff_t(points.size()));
            }
        }
    }

    // A point's distance decides as the geodesic's would, though it is worked out otherwise: points on
    // rings about a source, at one geodesic distance each but for the rounding of their coordinates,
    // on a spiral out to the third zone, and a few micrometres apart, are listed by their geodesics (by
    // the source, over a thousand in a zone as a site's many are, and by zone), and round as theirs at
    // the edges of a tenth and of a metre; of sources all but as far from a point, the nearest by the
    // geodesic is the one it is measured from.
    void distancesDecideAsTheGeodesics()
    {
        const Outcome<map::GroundSystem> made = map::GroundSystem::of(utm32());
        QVERIFY(made.ok());
        const map::GroundSystem &ground = made.value();
        const QPointF sourcePlace = ground.lonLatAt(kSource).value();
        const auto pointAt = [&](QPointF from, double azimuth, double metres) {
            return pointElement(ground.pointAt(ground.destination(from, azimuth, metres)).value(), false);
        };
        ElementLayer layer;
        for (const double metres : {300.025, 300.05, 300.5})
            for (int point = 0; point < 360; ++point)
                layer.elements.push_back(pointAt(sourcePlace, point + 0.3, metres));
        for (int point = 0; point < 1200; ++point)
            layer.elements.push_back(pointAt(sourcePlace, point * 137.5, 5.0 + point * 0.5));
        for (int point = 0; point < 100; ++point) // 10 µm apart, closer than a distance's leading bits tell
            layer.elements.push_back(pointAt(sourcePlace, point * 97.3, 200.0 + (point * 37 % 100) * 1e-5));
        const QPointF lone = kSource + QPointF(3000, 0);
        layer.elements.push_back(pointElement(lone, false));
        const std::size_t loneElement = layer.elements.size() - 1;
        std::vector<ReachSource> sources{{kSource, map::groundRings(utm32(), kSource, areas()).value()}};
        for (int around = 0; around < 32; ++around) {
            const QPointF at
                = ground.pointAt(ground.destination(ground.lonLatAt(lone).value(), around * 11.25 + 10, 250.025))
                      .value();
            sources.push_back({at, map::groundRings(utm32(), at, areas()).value()});
        }
        const Outcome<ElementIndex> index = ElementIndex::of(layer.elements, "anelli");
        QVERIFY(index.ok());
        const Outcome<ElementsReached> reached = elementsReached(layer, index.value(), utm32(), sources);
        QVERIFY(reached.ok());

        const auto geodesic = [&](std::size_t source, std::size_t element) {
            const QPointF place = ground.lonLatAt(groundParts(layer.elements[element]).front().front()).value();
            return ground.distance(ground.lonLatAt(sources[source].ground).value(), place);
        };
        const auto asTheGeodesics = [&](const std::vector<ElementReach> &list) {
            for (std::size_t at = 0; at < list.size(); ++at) {
                const double exact = geodesic(list[at].source, list[at].element);
                if (std::abs(list[at].distance_m - exact) > 1e-6
                    || std::round(list[at].distance_m * 10) != std::round(exact * 10)
                    || std::round(list[at].distance_m) != std::round(exact))
                    return false;
                const double before = at > 0 ? geodesic(list[at - 1].source, list[at - 1].element) : 0.0;
                if (at > 0 && (before > exact || (before == exact && list[at - 1].element > list[at].element)))
                    return false;
            }
            return true;
        };
        std::size_t inZones = 0;
        for (const PlanZone zone : kPlanZones) {
            std::vector<ElementReach> rows;
            for (const SourceElement &row : reached.value().bySource)
                if (row.source == 0 && row.zone == zone)
                    rows.push_back({row.element, row.source, row.distance_m});
            QVERIFY(asTheGeodesics(rows));
            QVERIFY(asTheGeodesics(reached.value().zones[std::size_t(zone)]->elements));
            inZones += reached.value().zones[std::size_t(zone)]->elements.size();
        }
        QCOMPARE(inZones, layer.elements.size());

        std::size_t nearest = 1;
        for (std::size_t source = 2; source < sources.size(); ++source)
            if (geodesic(source, loneElement) < geodesic(nearest, loneElement))
                nearest = source;
        const std::vector<ElementReach> &second = reached.value().zones[1]->elements;
        const auto loneReach = std::find_if(second.begin(), second.end(),
                                            [&](const ElementReach &reach) { return reach.element == loneElement; });
        QVERIFY(loneReach != second.end());
        QCOMPARE(loneReach->source, nearest);
    }

    // What cannot be used is refused with the reason: no vector data, a layer of no features, no such
    // layer, coordinates without a system that do not fall on the map, more elements than allowed.
    void refusals()
    {
        const auto refused = [](const ElementRequest &request, Error::Kind kind, const QString &why) {
            const Outcome<ElementLayer> layer = readElementLayer(request);
            if (layer.ok() || layer.error().kind != kind || !layer.error().message().contains(why)) {
                qWarning() << (layer.ok() ? QStringLiteral("read") : layer.error().message());
                return false;
            }
            return true;
        };
        QFile text(m_folder.filePath("note.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("nessun elemento\n") > 0);
        text.close();
        QVERIFY(refused({text.fileName(), {}, utm32(), kRegion}, Error::Kind::ElementsUnreadable,
                        "non è uno strato vettoriale"));
        const QString empty = m_folder.filePath("vuoto.geojson");
        QFile emptyFile(empty);
        QVERIFY(emptyFile.open(QIODevice::WriteOnly)
                && emptyFile.write("{\"type\": \"FeatureCollection\", \"features\": []}") > 0);
        emptyFile.close();
        QVERIFY(refused({empty, {}, utm32(), kRegion}, Error::Kind::ElementsNotUsable, "non contiene elementi"));
        QVERIFY(refused({m_csv, "altro", utm32(), kRegion}, Error::Kind::ElementsUnreadable,
                        "non ha uno strato \"altro\""));
        QVERIFY(refused({m_csv, {}, utm32(), kRegion.translated(100000, 0)}, Error::Kind::ElementsNotUsable,
                        "non cadono sulla mappa"));
        QVERIFY(refused({m_csv, {}, utm32(), kRegion, 6}, Error::Kind::ElementsNotUsable, "al più 6"));
        // Only the region is kept: the far market falls out of a smaller one.
        QCOMPARE(read(m_csv, QRectF(kSource - QPointF(1000, 1000), kSource + QPointF(1000, 1000))).elements.size(),
                 std::size_t(6));
    }

    // What an estimate reaches written out, from a table made by hand: the zones it has, innermost
    // first (the second empty, the fourth threshold's missing), the people summed over those known,
    // the JSON's distances to a tenth of a metre, the text's to the metre, aligned, in the singular
    // or the plural as the counts ask.
    void tablesOfWhatIsReached()
    {
        ElementLayer layer;
        layer.file = QStringLiteral("/dati/elementi esempio.gpkg");
        layer.layerName = QStringLiteral("elementi");
        layer.elements = {{1, "Scuola Manzoni", "A", "scuola", 450.0, ElementShape::Area, {}, {}},
                          {2, "Case sparse", "C", "abitazioni", std::nullopt, ElementShape::Area, {}, {}},
                          {3, "Chiosco", "D", "", 1.0, ElementShape::Point, {}, {}}};
        ElementsReached reached;
        reached.zones[0] = ZoneReach{{{0, 0, 64.96}, {1, 0, 120.04}}, 450.0, 1};
        reached.zones[1] = ZoneReach{};
        reached.zones[2] = ZoneReach{{{2, 0, 901.0}}, 1.0, 0};

        const QJsonArray json = reachedJson(layer, reached);
        QCOMPARE(json.size(), 3);
        const QJsonObject first = json[0].toObject();
        QCOMPARE(first.keys(), (QStringList{"count", "elements", "people", "people_unknown", "threshold", "zone"}));
        QCOMPARE(first["zone"].toString(), QStringLiteral("prima zona"));
        QCOMPARE(first["threshold"].toInt(), 1);
        QCOMPARE(first["count"].toInt(), 2);
        QCOMPARE(first["people"].toDouble(), 450.0);
        QCOMPARE(first["people_unknown"].toInt(), 1);
        const QJsonObject school = first["elements"][0].toObject();
        QCOMPARE(school.keys(), (QStringList{"category", "distance_m", "name", "people", "type"}));
        QCOMPARE(school["name"].toString(), QStringLiteral("Scuola Manzoni"));
        QCOMPARE(school["distance_m"].toDouble(), 65.0);
        QCOMPARE(school["people"].toDouble(), 450.0);
        QVERIFY(first["elements"][1]["people"].isNull());
        QCOMPARE(first["elements"][1]["distance_m"].toDouble(), 120.0);
        QCOMPARE(json[1]["threshold"].toInt(), 3);
        QCOMPARE(json[1]["elements"].toArray().size(), 0);
        QCOMPARE(json[2]["zone"].toString(), QStringLiteral("terza zona"));

        QCOMPARE(reachedTable(layer, reached),
                 QStringLiteral("Elementi vulnerabili raggiunti (elementi esempio.gpkg, strato \"elementi\")\n"
                                "Prima zona (soglia 1): 2 elementi, 450 persone (1 elemento con persone non note)\n"
                                "  Scuola Manzoni  A  scuola      450        65 m\n"
                                "  Case sparse     C  abitazioni  non note  120 m\n"
                                "Seconda zona (soglia 3): nessun elemento\n"
                                "Terza zona (soglia 4): 1 elemento, 1 persona\n"
                                "  Chiosco         D              1         901 m\n"));
        reached.zones[0]->peopleUnknown = 2;
        QVERIFY(reachedTable(layer, reached).contains("450 persone (2 elementi con persone non note)\n"));
    }

    // The rows of what is reached, zone by zone and nearest first, as a CSV for an Italian spreadsheet
    // (a byte order mark, ';', decimal commas, fields holding ';' or quotes quoted, CRLF) and as
    // tab-separated text for the clipboard.
    void rowsAsCsvAndTabText()
    {
        ElementLayer layer;
        layer.elements = {{1, "Scuola \"Manzoni\"; plesso B", "A", "scuola", 450.0, ElementShape::Area, {}, {}},
                          {2, "Case sparse", "C", "abitazioni", std::nullopt, ElementShape::Area, {}, {}},
                          {3, "Chiosco\tnord", "D", "", 2.5, ElementShape::Point, {}, {}}};
        ElementsReached reached;
        reached.zones[0] = ZoneReach{{{1, 0, 120.04}}, 0.0, 1};
        reached.zones[1] = ZoneReach{};
        reached.zones[2] = ZoneReach{{{2, 0, 64.96}, {0, 0, 901.0}}, 452.5, 0};
        const std::vector<ReachedRow> rows = reachedRows(layer, reached);
        QCOMPARE(rows.size(), std::size_t(3));
        QCOMPARE(rows[0].element, std::size_t(1));
        QCOMPARE(rows[2].zone, PlanZone::Third);

        const QByteArray csv = reachedCsv(rows);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(QString::fromUtf8(csv.mid(3)),
                 QStringLiteral("zona;nome;categoria;tipo;persone;distanza_m\r\n"
                                "prima zona;Case sparse;C;abitazioni;;120,0\r\n"
                                "terza zona;Chiosco\tnord;D;;2,5;65,0\r\n"
                                "terza zona;\"Scuola \"\"Manzoni\"\"; plesso B\";A;scuola;450;901,0\r\n"));
        QCOMPARE(reachedTabText(rows),
                 QStringLiteral("zona\tnome\tcategoria\ttipo\tpersone\tdistanza (m)\n"
                                "prima zona\tCase sparse\tC\tabitazioni\t\t120\n"
                                "terza zona\tChiosco nord\tD\t\t2,5\t65\n"
                                "terza zona\tScuola \"Manzoni\"; plesso B\tA\tscuola\t450\t901\n"));
        QCOMPARE(reachedSummary(reached),
                 QStringLiteral("Prima zona (soglia 1): 1 elemento, 0 persone (1 elemento con persone non note)\n"
                                "Seconda zona (soglia 3): nessun elemento\n"
                                "Terza zona (soglia 4): 2 elementi, 452,5 persone"));
        QCOMPARE(reachedCsv({}), QByteArray("\xEF\xBB\xBFzona;nome;categoria;tipo;persone;distanza_m\r\n"));
    }
};

QTEST_GUILESS_MAIN(ElementsTest)
#include "test_elements.moc"
