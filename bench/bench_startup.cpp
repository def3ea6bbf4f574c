// Start-up: the main window created, its load handler run (configuration file read, controls set,
// catalogue lists and tables filled) and the window shown, inside a running application.
#include "app/ApplicationExit.h"
#include "app/MainWindow.h"
#include "app/QtMessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProgramLauncher.h"

#include <QComboBox>

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void BM_StartUpToMainWindowShown(benchmark::State &bench)
{
    QtMessageBoxes messages;
    ApplicationExit exit;
    DrivePaths drives(QStringLiteral(ZEFRO_BUNDLED_TREE));
    DetachedLauncher launcher(drives);
    Platform platform{drives, messages, launcher, exit};

    for (auto _ : bench) {
        MainWindow window(platform);
        window.show();
        QApplication::processEvents();
        const auto *names = window.findChild<QComboBox *>(QStringLiteral("Combo1"));
        if (exit.hasEnded() || !names || names->count() != 253) {
            bench.SkipWithError("the main window did not load its configuration and catalogue");
            break;
        }
        benchmark::DoNotOptimize(names);
    }
}

} // namespace

BENCHMARK(BM_StartUpToMainWindowShown)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);
