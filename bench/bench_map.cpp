// The map window on a large scanned map: an 8000 x 8000 pixel 24-bit BMP loaded by "Mostra mappa",
// the eight damage areas drawn by a click, and the whole window grabbed as for saving or printing.
// Besides the time, it reports the process's peak resident memory (getrusage) against the decoded
// image as the map source holds it (8000 x 8000 x 3 bytes): `peak_over_image` is (peak RSS - RSS
// before the first load) / image. While a map is loaded the one shown before is kept until the new
// one is read, so two images is the expected peak. Then one scroll step of that map, and one zoom
// step ("+" or "−" in the window, out to the whole sheet, in to 4 and back; target at most 50 ms a
// step, `slowest_step_ms` the slowest).
#include "BenchRasters.h"
#include "app/MapSurface.h"
#include "app/MapWindow.h"
#include "app/WindowCapture.h"
#include "catalogue/HazardClass.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>

namespace {

constexpr int kSide = 8000;

class NoAnswers final : public MessageBoxes
{
public:
    MessageAnswer show(const MessageRequest &request) override
    {
        ++shown;
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    int shown = 0;
};

class NoLauncher final : public ProgramLauncher
{
public:
    Status start(const QString &, LaunchWatch) override { return Done{}; }
};

class NoExit final : public ProgramExit
{
public:
    void endProgram() override { }
    [[nodiscard]] bool hasEnded() const override { return false; }
};

long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long currentResidentKb()
{
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// The map window with the large map in its file list, ready for "Mostra mappa".
struct LargeMapWindow
{
    QTemporaryDir folder;
    NoAnswers messages;
    NoLauncher launcher;
    NoExit exit;
    Platform platform{DrivePaths(folder.path()), messages, launcher, exit};
    map::ScaleState scale;
    std::unique_ptr<MapWindow> window;
    QPushButton *showMap = nullptr;
    MapSurface *surface = nullptr;

    // Empty when ready, else what went wrong.
    QString prepare()
    {
        if (!writeLargeBmp(folder.filePath(QStringLiteral("grande.bmp")), kSide))
            return QStringLiteral("cannot write the 8000 x 8000 map");
        Estimate estimate;
        estimate.hazardClass = &hazardClasses()[4];
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
            estimate.distances[slot].metres = 60.0 + 40.0 * double(slot);
        window = std::make_unique<MapWindow>(platform, scale);
        window->beginEstimate(folder.path(), QStringLiteral("Propano")); // a local path is used as it stands
        window->showEstimate(estimate);
        window->show();
        QApplication::processEvents();
        auto *files = window->findChild<QListWidget *>(QStringLiteral("File1"));
        showMap = window->findChild<QPushButton *>(QStringLiteral("Command3"));
        surface = window->findChild<MapSurface *>(QStringLiteral("Picture1"));
        if (!files || files->count() != 1)
            return QStringLiteral("the file list does not show the map");
        files->setCurrentRow(0);
        emit files->itemClicked(files->item(0));
        return {};
    }

    // "Mostra mappa" (the user-defined scale 1:1), then a click at 1:2000; false when the map did not load.
    bool showAndDraw()
    {
        showMap->click();
        if (!surface->hasMap() || surface->source()->size() != QSize(kSide, kSide))
            return false;
        scale.factor = 1.0 / 2000;
        const QPoint at(500, 400);
        QMouseEvent press(QEvent::MouseButtonPress, at, surface->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(surface->viewport(), &press);
        return true;
    }
};

void BM_LargeMapShowDrawGrab(benchmark::State &bench)
{
    LargeMapWindow map;
    if (const QString failed = map.prepare(); !failed.isEmpty()) {
        bench.SkipWithError(qPrintable(failed));
        return;
    }
    const long baselineKb = currentResidentKb();
    const double imageKb = double(kSide) * kSide * 3 / 1024.0; // 24-bit, rows need no padding

    for (auto _ : bench) {
        if (!map.showAndDraw()) {
            bench.SkipWithError("the map was not loaded");
            break;
        }
        const map::Picture picture = GrabFormImage(*map.window);
        benchmark::DoNotOptimize(picture.bitmap.constBits());
    }

    bench.counters["peak_rss_MB"] = double(peakResidentKb()) / 1024.0;
    bench.counters["baseline_rss_MB"] = double(baselineKb) / 1024.0;
    bench.counters["decoded_image_MB"] = imageKb / 1024.0;
    bench.counters["peak_over_image"] = double(peakResidentKb() - baselineKb) / imageKb;
}

// One scroll step on the large map with its circles drawn: a wheel notch down and across, and the
// surface painted again (only what is on screen is copied from the sheet and drawn on).
void BM_LargeMapScrollStep(benchmark::State &bench)
{
    LargeMapWindow map;
    if (const QString failed = map.prepare(); !failed.isEmpty() || !map.showAndDraw()) {
        bench.SkipWithError("the map was not shown");
        return;
    }
    QApplication::processEvents();
    QScrollBar *bars[2] = {map.surface->horizontalScrollBar(), map.surface->verticalScrollBar()};
    int direction = 1;
    for (auto _ : bench) {
        for (QScrollBar *bar : bars) {
            if (bar->value() + 60 * direction > bar->maximum() || bar->value() + 60 * direction < 0)
                direction = -direction;
            bar->setValue(bar->value() + 60 * direction);
        }
        map.surface->viewport()->repaint();
    }
}

void BM_LargeMapZoomStep(benchmark::State &bench)
{
    LargeMapWindow map;
    if (const QString failed = map.prepare(); !failed.isEmpty() || !map.showAndDraw()) {
        bench.SkipWithError("the map was not shown");
        return;
    }
    QApplication::processEvents();
    auto *zoomIn = map.window->findChild<QPushButton *>(QStringLiteral("zoomIn"));
    auto *zoomOut = map.window->findChild<QPushButton *>(QStringLiteral("zoomOut"));
    QPushButton *step = zoomOut;
    std::chrono::duration<double, std::milli> slowest{0};
    for (auto _ : bench) {
        const map::ZoomRange range = map.surface->zoomRange();
        if (map.surface->zoom() <= range.least)
            step = zoomIn;
        else if (map.surface->zoom() >= range.most)
            step = zoomOut;
        const auto started = std::chrono::steady_clock::now();
        step->click();
        map.surface->viewport()->repaint();
        slowest
            = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started));
    }
    bench.counters["slowest_step_ms"] = slowest.count();
}

} // namespace

BENCHMARK(BM_LargeMapShowDrawGrab)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LargeMapScrollStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargeMapZoomStep)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
