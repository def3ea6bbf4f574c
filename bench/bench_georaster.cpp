// Georeferenced rasters on the map surface, read through map::openMap().
//
// BM_GeoTiffShowDrawGrab: an 8000 x 8000 RGB GeoTIFF (in strips, as a GIS program writes a scan:
// uncompressed or deflate) opened, shown on a map surface as large as the map window, the eight damage
// areas drawn at the map's ground scale, and the surface grabbed as for saving. Targets: at most
// 1.5 s, and a peak resident memory at most 3 times the decoded image (8000 x 8000 x 3 bytes).
//
// BM_HugeGeoTiffFirstView: a 30000 x 30000 RGB GeoTIFF, tiled 256 x 256, deflate, with overviews,
// opened and its first view painted. Targets: at most 1 s and under 500 MB peak. The file is too slow
// to make at every run (about 20 s here), so it is kept in $XDG_CACHE_HOME/zefro-bench, else
// /tmp/zefro-bench-cache.
//
// BM_GeoTiffZoomStep: one zoom step (a power of the square root of 2, about the middle of the room
// beside the controls) on the 8000 x 8000 GeoTIFFs above (no overviews: every step reads the file's
// rows a screen row needs) and on the 30000 x 30000 one (its overviews when zoomed out), with the
// eight areas drawn on the ground, and the surface painted again. The steps go from the natural size
// out to the whole sheet, in to 4 screen pixels a sheet pixel, and back. Target: each step at most
// 50 ms; `slowest_step_ms` is the slowest step.
//
// Counters: `slowest_s` is the slowest iteration; `peak_rss_MB` the process's peak resident size
// since the benchmark started (the peak is reset first, so earlier benchmarks do not count);
// `peak_over_image` is (peak - resident size before the first open) / decoded image.
#include "BenchRasters.h"
#include "app/MapSurface.h"
#include "app/WindowCapture.h"
#include "map/GdalSession.h"
#include "map/Georeference.h"
#include "map/GroundRing.h"
#include "map/MapOpening.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <malloc.h>

#include <chrono>
#include <map>
#include <vector>

namespace {

constexpr int kLargeSide = 8000;
const QSize kWindow(1016, 740); // the map window's surface

// The 8000 x 8000 maps, made once per run in a temporary folder.
QString largeGeoTiff(const std::string &compression)
{
    static QTemporaryDir folder;
    static std::map<std::string, QString> made;
    if (const auto it = made.find(compression); it != made.end())
        return it->second;
    const QString path = folder.filePath(QStringLiteral("grande-%1.tif").arg(QString::fromStdString(compression)));
    const std::string option = "COMPRESS=" + compression;
    if (!writeGeoTiff(path, kLargeSide, {option.c_str()}, false))
        return {};
    return made[compression] = path;
}

// A map surface as large as the map window's, shown.
struct Surface
{
    QWidget window;
    MapSurface *surface = new MapSurface(&window);

    Surface()
    {
        window.resize(kWindow);
        surface->setGeometry(QRect(QPoint(0, 0), kWindow));
        window.show();
        QApplication::processEvents();
    }
};

using Clock = std::chrono::steady_clock;

// The slowest iteration and the memory of one run of a benchmark.
class Measure
{
public:
    Measure()
    {
        // What making the test files freed stays in the heap, where opening would reuse it unseen.
        malloc_trim(0);
        resetPeak();
        m_baselineKb = statusKb("VmRSS:");
    }
    void iterationDone(Clock::time_point started)
    {
        m_slowest = std::max(m_slowest, std::chrono::duration<double>(Clock::now() - started));
    }
    void report(benchmark::State &bench, double imageMb) const
    {
        const long peakKb = statusKb("VmHWM:");
        bench.counters["slowest_s"] = m_slowest.count();
        bench.counters["peak_rss_MB"] = double(peakKb) / 1024.0;
        bench.counters["baseline_rss_MB"] = double(m_baselineKb) / 1024.0;
        bench.counters["decoded_image_MB"] = imageMb;
        bench.counters["peak_over_image"] = double(peakKb - m_baselineKb) / 1024.0 / imageMb;
    }

private:
    long m_baselineKb = 0;
    std::chrono::duration<double> m_slowest{0};
};

void BM_GeoTiffShowDrawGrab(benchmark::State &bench, const std::string &compression)
{
    const QString path = largeGeoTiff(compression);
    if (path.isEmpty()) {
        bench.SkipWithError("cannot write the 8000 x 8000 GeoTIFF");
        return;
    }
    Surface shown;
    map::DamageAreas areas{};
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        areas[slot].metres = 60.0 + 40.0 * double(slot);
    Measure measure;
    for (auto _ : bench) {
        const Clock::time_point started = Clock::now();
        const Outcome<map::OpenedMap> opened = map::openMap(path);
        if (!opened.ok() || !opened.value().georeference) {
            bench.SkipWithError(opened.ok() ? "no georeference" : qPrintable(opened.error().message()));
            break;
        }
        const map::MapSource &source = *opened.value().source;
        shown.surface->setMap(opened.value().source);
        // At its own scale the window draws the areas as they lie on the ground.
        const map::Georeference &georeference = *opened.value().georeference;
        const double scale = map::groundScaleFactor(georeference, source.units(), source.size());
        const QPointF incident = source.units().toUnits(QPointF(500, 400));
        const Outcome<map::AreaRings> rings
            = map::sheetRings(georeference, map::groundAtUnits(georeference, source.units(), incident), areas);
        if (!rings.ok()) {
            bench.SkipWithError(qPrintable(rings.error().message()));
            break;
        }
        shown.surface->drawings().addAreas({incident, areas, scale, rings.value()});
        shown.surface->refresh();
        const map::Picture picture = GrabFormImage(shown.window);
        benchmark::DoNotOptimize(picture.bitmap.constBits());
        measure.iterationDone(started);
    }
    measure.report(bench, double(kLargeSide) * kLargeSide * 3 / (1024.0 * 1024.0));
}

void BM_HugeGeoTiffFirstView(benchmark::State &bench)
{
    const QString path = hugeGeoTiff();
    if (path.isEmpty()) {
        bench.SkipWithError("cannot write the 30000 x 30000 GeoTIFF");
        return;
    }
    Surface shown;
    Measure measure;
    for (auto _ : bench) {
        const Clock::time_point started = Clock::now();
        const Outcome<map::OpenedMap> opened = map::openMap(path);
        if (!opened.ok() || opened.value().source->size() != QSize(kHugeSide, kHugeSide)) {
            bench.SkipWithError(opened.ok() ? "not the whole raster" : qPrintable(opened.error().message()));
            break;
        }
        shown.surface->setMap(opened.value().source);
        const QImage view = shown.surface->viewport()->grab().toImage();
        measure.iterationDone(started);
        if (view.pixel(20, 20) != qRgb(210, 200, 180)) { // a block of the first one, off the streets
            bench.SkipWithError("the first view does not show the map");
            break;
        }
    }
    measure.report(bench, double(kHugeSide) * kHugeSide * 3 / (1024.0 * 1024.0));
}

void BM_GeoTiffZoomStep(benchmark::State &bench, const std::string &which)
{
    const QString path = which == "huge" ? hugeGeoTiff() : largeGeoTiff(which);
    if (path.isEmpty()) {
        bench.SkipWithError("cannot write the GeoTIFF");
        return;
    }
    Surface shown;
    shown.surface->setControlsLeft(656); // as in the map window
    const Outcome<map::OpenedMap> opened = map::openMap(path);
    if (!opened.ok() || !opened.value().georeference) {
        bench.SkipWithError(opened.ok() ? "no georeference" : qPrintable(opened.error().message()));
        return;
    }
    const map::MapSource &source = *opened.value().source;
    shown.surface->setMap(opened.value().source);
    map::DamageAreas areas{};
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        areas[slot].metres = 60.0 + 40.0 * double(slot);
    const map::Georeference &georeference = *opened.value().georeference;
    const double scale = map::groundScaleFactor(georeference, source.units(), source.size());
    const QPointF incident = source.units().toUnits(QPointF(source.size().width() / 2, source.size().height() / 2));
    const Outcome<map::AreaRings> rings
        = map::sheetRings(georeference, map::groundAtUnits(georeference, source.units(), incident), areas);
    if (!rings.ok()) {
        bench.SkipWithError(qPrintable(rings.error().message()));
        return;
    }
    shown.surface->drawings().addAreas({incident, areas, scale, rings.value()});
    // The incident in the middle of the room, at the natural size.
    const QRect room = shown.surface->roomBesideControls();
    shown.surface->setView({1.0, QPoint(source.size().width() / 2, source.size().height() / 2) - room.center()});
    shown.surface->viewport()->repaint();
    int direction = -1;
    std::chrono::duration<double, std::milli> slowest{0};
    for (auto _ : bench) {
        const map::ZoomRange range = shown.surface->zoomRange();
        if ((direction < 0 && shown.surface->zoom() <= range.least)
            || (direction > 0 && shown.surface->zoom() >= range.most))
            direction = -direction;
        const Clock::time_point started = Clock::now();
        shown.surface->zoomBy(direction, QRectF(room).center());
        shown.surface->viewport()->repaint();
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(Clock::now() - started));
        if (shown.surface->unreadable()) {
            bench.SkipWithError(qPrintable(shown.surface->unreadable()->message()));
            break;
        }
    }
    bench.counters["slowest_step_ms"] = slowest.count();
}

} // namespace

BENCHMARK_CAPTURE(BM_GeoTiffShowDrawGrab, uncompressed, std::string("NONE"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_GeoTiffShowDrawGrab, deflate, std::string("DEFLATE"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_HugeGeoTiffFirstView)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
// 30 steps: from the natural size out to the whole sheet (8 steps for 8000 pixels, 12 for 30000), in to 4
// and back out part of the way.
BENCHMARK_CAPTURE(BM_GeoTiffZoomStep, uncompressed, std::string("NONE"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_GeoTiffZoomStep, deflate, std::string("DEFLATE"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_GeoTiffZoomStep, huge, std::string("huge"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
