// Start-up on a user's drive root of an installed ZEFRO: every later start brings the root in step
// with the installed tree (here with nothing to do), the first one sets it up.
#include "platform/UserDrive.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The installed tree as `cmake --install` lays it out: the bundled tree and the generated documents.
const QString kInstalledTree = QStringLiteral(ZEFRO_BUILD_DRIVE);

void BM_UserDriveStartWithNothingToDo(benchmark::State &bench)
{
    const QTemporaryDir home;
    const DrivePaths::Location location{home.filePath(QStringLiteral("drive")), kInstalledTree};
    if (!UserDrive::setUp(location).warnings.empty()) {
        bench.SkipWithError("the drive root could not be set up");
        return;
    }
    for (auto _ : bench) {
        const UserDrive::StartUp start = UserDrive::setUp(location);
        if (start.root != location.root || !start.warnings.empty()) {
            bench.SkipWithError("a start with nothing to do had something to say");
            break;
        }
        benchmark::DoNotOptimize(start);
    }
}

void BM_UserDriveFirstStart(benchmark::State &bench)
{
    const QTemporaryDir home;
    int made = 0;
    for (auto _ : bench) {
        const DrivePaths::Location location{home.filePath(QString::number(++made)), kInstalledTree};
        const UserDrive::StartUp start = UserDrive::setUp(location);
        if (start.root != location.root || !start.warnings.empty()) {
            bench.SkipWithError("the drive root could not be set up");
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_UserDriveStartWithNothingToDo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UserDriveFirstStart)->Unit(benchmark::kMillisecond);
