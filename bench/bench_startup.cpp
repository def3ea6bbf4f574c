// Start-up: the main window created, its load handler run (configuration file read, controls set,
// catalogue lists and tables filled) and the window shown, inside a running application.
#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "platform/Platform.h"
#include "platform/ProgramExit.h"
#include "platform/ProgramLauncher.h"
#include "platform/QtMessageBoxes.h"

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
        ProgramState state;
        MainWindow window(state, platform);
        window.show();
        QApplication::processEvents();
        if (exit.hasEnded() || state.savedNameCount != 253) {
            bench.SkipWithError("the main window did not load its configuration and catalogue");
            break;
        }
        benchmark::DoNotOptimize(state.savedCatalogueCas);
    }
}

} // namespace

BENCHMARK(BM_StartUpToMainWindowShown)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);
