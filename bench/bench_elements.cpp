// Who is inside the damage areas: a planner's layer of vulnerable elements read from a GeoPackage, and
// matched (ElementIndex::of + elementsReached) against a site's or one estimate's areas. Reading and
// matching are timed apart; the rings are worked out in the set-up. Targets: 100,000 points against a
// 1,000-item site in at most 1 s, 10,000 building squares against one estimate in at most 100 ms.
// A 1,000,000-point GeoPackage, nearly all outside the region, read through its R-tree: time and peak.
//
// Counters: `reached_slotN` the elements damage area N (0-7, D5 thresholds 1-4, then F2) reaches, over
// every source (tools/bench/compare_elements.py checks them against SQLite); `pairs` their sum;
// `source_pairs` the sources and elements they reach within a zone (the work grows with these);
// `elements` the elements read; `peak_rss_MB` the peak resident size since the benchmark started.
// ZEFRO_BENCH_ELEMENTS_COPY names a folder that gets the GeoPackages, the areas among them.
#include "elements/ElementIndex.h"
#include "elements/ElementLayer.h"
#include "elements/ElementsReached.h"
#include "map/GdalSession.h"
#include "map/Georeference.h"
#include "map/GroundRing.h"

#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <malloc.h>
#include <memory>

namespace {

// The plant (as the inventory benchmark's: E 480000-481500, N 5029000-5030000) and the ground its
// largest areas reach.
const QRectF kPlant(480000.0, 5029000.0, 1500.0, 1000.0);
const QRectF kSiteRegion = kPlant.adjusted(-1500.0, -1500.0, 1500.0, 1500.0);
const QPointF kEstimateCentre(480750.0, 5029500.0);
const QRectF kBuildingsRegion(kEstimateCentre.x() - 2000.0, kEstimateCentre.y() - 2000.0, 4000.0, 4000.0);
constexpr int kSources = 1000;
constexpr int kPoints = 100'000;
constexpr int kBuildingsSide = 100; // 100 x 100 squares
constexpr int kHugePoints = 1'000'000;

const map::CoordinateSystem &utm32()
{
    static const map::CoordinateSystem system
        = map::coordinateSystemFrom(QStringLiteral("EPSG:32632"), QStringLiteral("--crs")).value();
    return system;
}

// A fixed sequence of numbers in [0, 1) (splitmix64), the same on every run.
class Sequence
{
public:
    explicit Sequence(std::uint64_t seed)
        : m_state(seed)
    { }
    double next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return double((z ^ (z >> 31)) >> 11) * 0x1.0p-53;
    }

private:
    std::uint64_t m_state;
};

struct DatasetCloser
{
    void operator()(GDALDataset *dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

// A GeoPackage of one layer in EPSG:32632, its features from `add` (called with the layer until it
// says no more), written in transactions of 100,000.
bool writeGeoPackage(const QString &path, const char *layerName, OGRwkbGeometryType type,
                     const std::vector<std::pair<const char *, OGRFieldType>> &fields,
                     const std::function<bool(OGRLayer &, OGRFeature &, int)> &add)
{
    map::startGdal();
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    const Dataset dataset(driver ? driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr);
    if (!dataset)
        return false;
    OGRSpatialReference system;
    system.importFromEPSG(32632);
    OGRLayer *layer = dataset->CreateLayer(layerName, &system, type, nullptr);
    if (!layer)
        return false;
    for (const auto &[name, fieldType] : fields) {
        OGRFieldDefn field(name, fieldType);
        if (layer->CreateField(&field) != OGRERR_NONE)
            return false;
    }
    bool more = true;
    for (int feature = 0; more; ++feature) {
        if (feature % 100'000 == 0 && (feature > 0 && dataset->CommitTransaction() != OGRERR_NONE))
            return false;
        if (feature % 100'000 == 0 && dataset->StartTransaction() != OGRERR_NONE)
            return false;
        OGRFeature written(layer->GetLayerDefn());
        more = add(*layer, written, feature);
    }
    return dataset->CommitTransaction() == OGRERR_NONE;
}

bool addPoint(OGRLayer &layer, OGRFeature &feature, int index, QPointF place)
{
    feature.SetField("nome", QStringLiteral("elemento %1").arg(index).toUtf8().constData());
    feature.SetField("persone", 1 + index % 40);
    feature.SetGeometry(std::make_unique<OGRPoint>(place.x(), place.y()).get());
    return layer.CreateFeature(&feature) == OGRERR_NONE;
}

const std::vector<std::pair<const char *, OGRFieldType>> kElementFields{{"nome", OFTString}, {"persone", OFTInteger}};

// 100,000 points spread evenly at random over the plant and the ground its areas reach.
bool writePoints(const QString &path)
{
    Sequence sequence(1);
    bool written = true;
    writeGeoPackage(path, "elementi", wkbPoint, kElementFields, [&](OGRLayer &layer, OGRFeature &feature, int index) {
        const QPointF place(kSiteRegion.left() + sequence.next() * kSiteRegion.width(),
                            kSiteRegion.top() + sequence.next() * kSiteRegion.height());
        written = written && addPoint(layer, feature, index, place);
        return written && index + 1 < kPoints;
    });
    return written && QFile::exists(path);
}

// 10,000 buildings: squares of 8 to 20 m, one in each 40 m cell of a 4 x 4 km grid around the estimate.
bool writeBuildings(const QString &path)
{
    Sequence sequence(2);
    bool written = true;
    writeGeoPackage(path, "edifici", wkbPolygon, kElementFields, [&](OGRLayer &layer, OGRFeature &feature, int index) {
        const double cell = kBuildingsRegion.width() / kBuildingsSide;
        const double side = 8.0 + 12.0 * sequence.next();
        const double west = kBuildingsRegion.left() + (index % kBuildingsSide) * cell + (cell - side) * sequence.next();
        const double south = kBuildingsRegion.top() + (index / kBuildingsSide) * cell + (cell - side) * sequence.next();
        OGRLinearRing ring;
        ring.addPoint(west, south);
        ring.addPoint(west + side, south);
        ring.addPoint(west + side, south + side);
        ring.addPoint(west, south + side);
        ring.closeRings();
        OGRPolygon square;
        square.addRing(&ring);
        feature.SetField("nome", QStringLiteral("edificio %1").arg(index).toUtf8().constData());
        feature.SetField("persone", 1 + index % 60);
        feature.SetGeometry(&square);
        written = written && layer.CreateFeature(&feature) == OGRERR_NONE;
        return written && index + 1 < kBuildingsSide * kBuildingsSide;
    });
    return written && QFile::exists(path);
}

// 1,000,000 points over 160 x 160 km of the zone: one in a hundred in the site's region, the rest
// wherever they fall (a few of them in it too).
bool writeHugePoints(const QString &path)
{
    Sequence sequence(3);
    const QRectF everywhere(400000.0, 4950000.0, 160000.0, 160000.0);
    bool written = true;
    writeGeoPackage(path, "elementi", wkbPoint, kElementFields, [&](OGRLayer &layer, OGRFeature &feature, int index) {
        const QRectF &within = index % 100 == 0 ? kSiteRegion : everywhere;
        const QPointF place(within.left() + sequence.next() * within.width(),
                            within.top() + sequence.next() * within.height());
        written = written && addPoint(layer, feature, index, place);
        return written && index + 1 < kHugePoints;
    });
    return written && QFile::exists(path);
}

// Damage distances as an estimate might give them, D5 then F2 for thresholds 1-4: most items
// flammable (50 to 240 m), one in five toxic (150 m to 1500 m).
std::array<double, kDistanceSlots> siteDistances(Sequence &sequence)
{
    const bool toxic = sequence.next() < 0.2;
    const double first = toxic ? 150.0 + 250.0 * sequence.next() : 50.0 + 30.0 * sequence.next();
    const std::array<double, 4> growth
        = toxic ? std::array<double, 4>{1.0, 1.5, 2.0, 3.0} : std::array<double, 4>{1.0, 1.5, 2.2, 3.0};
    const double stable = toxic ? 1.25 + 0.25 * sequence.next() : 1.0; // F2 against D5
    std::array<double, kDistanceSlots> distances{};
    for (std::size_t threshold = 0; threshold < 4; ++threshold) {
        distances[threshold] = std::min(1500.0, first * growth[threshold]);
        distances[threshold + 4] = std::min(1500.0, first * growth[threshold] * stable);
    }
    return distances;
}

std::optional<elements::ReachSource> sourceAt(QPointF centre, const std::array<double, kDistanceSlots> &distances)
{
    elements::ReachSource source{centre, {}};
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        Outcome<std::vector<QPointF>> ring = map::groundRing(utm32(), centre, distances[slot]);
        if (!ring.ok())
            return std::nullopt;
        source.rings[slot] = std::move(ring.value());
    }
    return source;
}

// One polygon per ring, with its source and slot, for the comparison with SQLite.
bool writeAreas(const QString &path, const std::vector<elements::ReachSource> &sources)
{
    bool written = true;
    writeGeoPackage(path, "aree", wkbPolygon, {{"source", OFTInteger}, {"slot", OFTInteger}},
                    [&](OGRLayer &layer, OGRFeature &feature, int index) {
                        const auto &source = sources[std::size_t(index) / kDistanceSlots];
                        const std::size_t slot = std::size_t(index) % kDistanceSlots;
                        OGRLinearRing ring;
                        for (const QPointF &point : source.rings[slot])
                            ring.addPoint(point.x(), point.y());
                        OGRPolygon area;
                        area.addRing(&ring);
                        feature.SetField("source", index / int(kDistanceSlots));
                        feature.SetField("slot", int(slot));
                        feature.SetGeometry(&area);
                        written = written && layer.CreateFeature(&feature) == OGRERR_NONE;
                        return written && std::size_t(index) + 1 < sources.size() * kDistanceSlots;
                    });
    return written && QFile::exists(path);
}

// The files and areas, made once per run.
struct ElementsData
{
    QTemporaryDir folder;
    QString points = folder.filePath(QStringLiteral("elementi-punti.gpkg"));
    QString buildings = folder.filePath(QStringLiteral("edifici.gpkg"));
    QString huge = folder.filePath(QStringLiteral("elementi-enorme.gpkg"));
    std::vector<elements::ReachSource> site;
    std::vector<elements::ReachSource> estimate;
    bool made = false;

    ElementsData()
    {
        Sequence sequence(4);
        for (int item = 0; item < kSources; ++item) {
            const QPointF centre(kPlant.left() + sequence.next() * kPlant.width(),
                                 kPlant.top() + sequence.next() * kPlant.height());
            if (std::optional<elements::ReachSource> source = sourceAt(centre, siteDistances(sequence)))
                site.push_back(std::move(*source));
        }
        if (std::optional<elements::ReachSource> source
            = sourceAt(kEstimateCentre, {60.0, 120.0, 250.0, 400.0, 90.0, 200.0, 600.0, 1500.0}))
            estimate.push_back(std::move(*source));
        made = site.size() == std::size_t(kSources) && estimate.size() == 1 && writePoints(points)
            && writeBuildings(buildings);
        if (const QString copy = qEnvironmentVariable("ZEFRO_BENCH_ELEMENTS_COPY"); made && !copy.isEmpty()) {
            const QDir into(copy);
            made = QDir().mkpath(copy) && QFile::copy(points, into.filePath(QStringLiteral("elementi-punti.gpkg")))
                && QFile::copy(buildings, into.filePath(QStringLiteral("edifici.gpkg")))
                && writeAreas(into.filePath(QStringLiteral("aree-sito.gpkg")), site)
                && writeAreas(into.filePath(QStringLiteral("aree-stima.gpkg")), estimate);
        }
    }

    // The 1,000,000 points, made on first use only (they take a while).
    QString hugeFile()
    {
        static const bool written = [this] {
            const QString copy = qEnvironmentVariable("ZEFRO_BENCH_ELEMENTS_COPY");
            return writeHugePoints(huge)
                && (copy.isEmpty() || QFile::copy(huge, QDir(copy).filePath(QStringLiteral("elementi-enorme.gpkg"))));
        }();
        return written ? huge : QString();
    }
};

ElementsData &data()
{
    static ElementsData made;
    return made;
}

Outcome<elements::ElementLayer> readLayer(const QString &path, const QRectF &region)
{
    elements::ElementRequest request;
    request.localPath = path;
    request.system = utm32();
    request.region = region;
    return elements::readElementLayer(request);
}

long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

void read(benchmark::State &bench, const QString &path, const QRectF &region, std::size_t expected)
{
    std::size_t count = 0;
    for (auto _ : bench) {
        const Outcome<elements::ElementLayer> layer = readLayer(path, region);
        count = layer.ok() ? layer.value().elements.size() : 0;
        if (!data().made || count != expected) {
            bench.SkipWithError("the layer was not made or not read whole");
            return;
        }
    }
    bench.counters["elements"] = double(count);
}

void match(benchmark::State &bench, const QString &path, const QRectF &region,
           const std::vector<elements::ReachSource> &sources)
{
    const Outcome<elements::ElementLayer> layer = readLayer(path, region);
    if (!data().made || !layer.ok()) {
        bench.SkipWithError("the layer was not made or not read");
        return;
    }
    std::optional<elements::ElementsReached> last;
    for (auto _ : bench) {
        const Outcome<elements::ElementIndex> index = elements::ElementIndex::of(layer.value().elements, path);
        Outcome<elements::ElementsReached> reached = index.ok()
            ? elements::elementsReached(layer.value(), index.value(), utm32(), sources)
            : Outcome<elements::ElementsReached>(index.error());
        if (!reached.ok()) {
            bench.SkipWithError("the elements could not be matched");
            return;
        }
        last = std::move(reached.value());
    }
    double pairs = 0.0;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const double count = last->areas[slot] ? double(last->areas[slot]->size()) : 0.0;
        bench.counters["reached_slot" + std::to_string(slot)] = count;
        pairs += count;
    }
    bench.counters["pairs"] = pairs;
    bench.counters["source_pairs"] = double(last->bySource.size());
    bench.counters["elements"] = double(layer.value().elements.size());
}

void BM_ElementsPointsRead(benchmark::State &bench)
{
    read(bench, data().points, kSiteRegion, kPoints);
}

void BM_ElementsPointsAgainstSite(benchmark::State &bench)
{
    match(bench, data().points, kSiteRegion, data().site);
}

void BM_ElementsBuildingsRead(benchmark::State &bench)
{
    read(bench, data().buildings, kBuildingsRegion, std::size_t(kBuildingsSide) * kBuildingsSide);
}

void BM_ElementsBuildingsAgainstEstimate(benchmark::State &bench)
{
    match(bench, data().buildings, kBuildingsRegion, data().estimate);
}

// The site's region out of the 1,000,000 points; the peak counted from after the file was made.
void BM_ElementsHugeLayerRegion(benchmark::State &bench)
{
    const QString path = data().hugeFile();
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // resets VmHWM
    clear.close();
    const long baselineKb = statusKb("VmRSS:");
    std::size_t count = 0;
    for (auto _ : bench) {
        const Outcome<elements::ElementLayer> layer = readLayer(path, kSiteRegion);
        count = layer.ok() ? layer.value().elements.size() : 0;
        // One in a hundred is placed in the region, and a few of the others fall there.
        if (path.isEmpty() || count < std::size_t(kHugePoints / 100) || count > std::size_t(kHugePoints / 50)) {
            bench.SkipWithError("the huge layer was not made or not read through its region");
            return;
        }
    }
    bench.counters["elements"] = double(count);
    bench.counters["peak_rss_MB"] = double(statusKb("VmHWM:")) / 1024.0;
    bench.counters["baseline_rss_MB"] = double(baselineKb) / 1024.0;
}

} // namespace

BENCHMARK(BM_ElementsPointsRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElementsPointsAgainstSite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElementsBuildingsRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElementsBuildingsAgainstEstimate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElementsHugeLayerRegion)->Unit(benchmark::kMillisecond);
