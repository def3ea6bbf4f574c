// "Salva la mappa intera" as the map window does it (map::stageSheetPicture(), legend included),
// written band by band from the map source.
//
// BM_WholeMapSave: an 8000 x 8000 24-bit BMP at 300 dpi (192 MB decoded) opened, eight circles drawn
// at 1:2000, the whole sheet saved as a BMP. Target: a peak under 1.5 times the sheet, the sheet held
// by the map source included (it was 4.7 times, 908 MB, when the sheet was copied and converted whole).
//
// BM_HugeGeoTiffPartSave: the 30000 x 30000 tiled GeoTIFF (see BenchRasters.h) with areas whose box
// calls for a part of about 8000 x 8000 pixels (a sheet over 1 GB of pixels is saved as the part
// around its areas), saved as a GeoTIFF (/tif) or a BMP (/bmp). Target: a peak under 300 MB.
//
// Counters: `peak_rss_MB` the process's peak resident size since the benchmark started (reset first);
// `baseline_rss_MB` the resident size before the map was opened; `sheet_MB` the decoded sheet
// (side x side x 3 bytes); `peak_over_sheet` (peak - baseline) / sheet; `part_side` the side of the
// part saved.
#include "BenchRasters.h"
#include "catalogue/HazardClass.h"
#include "map/MapOpening.h"
#include "map/SavedSheet.h"
#include "map/SheetLegend.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

constexpr int kLargeSide = 8000;

Estimate propane(double largest)
{
    Estimate estimate;
    estimate.hazardClass = &hazardClasses()[4];
    estimate.scenario = QStringLiteral("VCE");
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        estimate.distances[slot].metres = largest * double(slot + 1) / double(kDistanceSlots);
    return estimate;
}

// Opens the map, draws the estimate's circles around `centre` (sheet pixels) at 1:`scale` and saves
// the part of the sheet the window would save, as the window does, legend included; the peak
// counted from before the map was opened.
void saveAsTheWindowDoes(benchmark::State &bench, const QString &map, QPoint centre, double scale,
                         const Estimate &estimate, const QString &saved)
{
    malloc_trim(0); // what making the map freed stays in the heap, where opening would reuse it unseen
    resetPeak();
    const long baselineKb = statusKb("VmRSS:");
    int side = 0;
    for (auto _ : bench) {
        const Outcome<map::OpenedMap> opened = map::openMap(map);
        if (!opened.ok()) {
            bench.SkipWithError(qPrintable(opened.error().message()));
            return;
        }
        const map::MapSource &source = *opened.value().source;
        map::SheetDrawings drawings;
        drawings.addAreas({source.units().toUnits(centre), estimate.distances, 1.0 / scale});
        const QRectF box = map::areasBox(drawings.areas(), source.units());
        const QRect part = map::savedPart(source.size(), box);
        const map::SheetLegend legend = map::sheetLegend(
            {estimate, estimate.distances, 1.0 / scale, false, QDateTime::currentDateTime()});
        map::PlacedLegend placed = map::placedLegend(legend, source.units(), part, box);
        const map::SheetPicture picture{part, std::move(placed.image), placed.at, opened.value().georeference};
        Outcome<std::unique_ptr<map::StagedSheet>> staged = map::stageSheetPicture(source, drawings, picture, saved);
        if (!staged.ok() || !staged.value()->commit().ok()) {
            bench.SkipWithError(staged.ok() ? "not put in place" : qPrintable(staged.error().message()));
            return;
        }
        side = part.width();
    }
    const long peakKb = statusKb("VmHWM:");
    const double sheetMb = double(side) * side * 3 / (1024.0 * 1024.0);
    bench.counters["peak_rss_MB"] = double(peakKb) / 1024.0;
    bench.counters["baseline_rss_MB"] = double(baselineKb) / 1024.0;
    bench.counters["sheet_MB"] = sheetMb;
    bench.counters["peak_over_sheet"] = double(peakKb - baselineKb) / 1024.0 / sheetMb;
    bench.counters["part_side"] = side;
}

void BM_WholeMapSave(benchmark::State &bench)
{
    const QTemporaryDir folder;
    const QString map = folder.filePath(QStringLiteral("grande.bmp"));
    if (!writeLargeBmp(map, kLargeSide)) {
        bench.SkipWithError("cannot write the 8000 x 8000 map");
        return;
    }
    saveAsTheWindowDoes(bench, map, QPoint(4000, 4000), 2000, propane(1500),
                        folder.filePath(QStringLiteral("mappa intera.bmp")));
}

void BM_HugeGeoTiffPartSave(benchmark::State &bench, const QString &extension)
{
    const QString map = hugeGeoTiff();
    const QTemporaryDir folder;
    if (map.isEmpty()) {
        bench.SkipWithError("cannot write the 30000 x 30000 GeoTIFF");
        return;
    }
    // At 300 dpi and 1:10000 a metre is 1.18 pixels: 2820 m make a box of 6660 pixels, 8000 with its margin.
    saveAsTheWindowDoes(bench, map, QPoint(15000, 15000), 10000, propane(2820),
                        folder.filePath(QStringLiteral("parte") + extension));
}

} // namespace

BENCHMARK(BM_WholeMapSave)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_HugeGeoTiffPartSave, tif, QStringLiteral(".tif"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_HugeGeoTiffPartSave, bmp, QStringLiteral(".bmp"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
