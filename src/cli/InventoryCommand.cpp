#include "cli/InventoryCommand.h"

#include "map/Georeference.h"
#include "platform/DrivePaths.h"
#include "site/ItemEstimates.h"
#include "site/OutputFolder.h"
#include "site/SiteInventoryRun.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kProgressFromItems = 20;

void say(const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

void usage(const QString &message)
{
    say(QStringLiteral("zefro-estimate: ") + message);
}

} // namespace

InventoryCommandStatus runInventoryCommand(const DrivePaths &drives, const WorkbookOpener &opener,
                                           const EstimateRequest::InventoryRun &run)
{
    const QString outDir = drives.toLocal(run.outDir);
    if (const Status allowed = site::checkOutputFolder(outDir, run.overwrite); !allowed.ok()) {
        usage(allowed.error().message());
        return InventoryCommandStatus::UsageError;
    }

    site::SiteRunRequest request;
    request.inventoryName = run.file;
    request.inventoryPath = drives.toLocal(run.file);
    request.mapName = run.mapFile;
    request.mapPath = run.mapFile.isEmpty() ? QString() : drives.toLocal(run.mapFile);
    request.scaleDenominator = run.scaleDenominator;
    if (!run.crs.isEmpty()) {
        const Outcome<map::CoordinateSystem> named = map::coordinateSystemFrom(run.crs, QStringLiteral("--crs"));
        if (!named.ok()) {
            usage(QStringLiteral("--crs %1: sistema di riferimento sconosciuto (scrivere ad esempio EPSG:32632)")
                      .arg(run.crs));
            return InventoryCommandStatus::UsageError;
        }
        request.crs = named.value();
    }
    request.elementsName = run.elementsFile;
    request.elementsPath = run.elementsFile.isEmpty() ? QString() : drives.toLocal(run.elementsFile);
    request.elementsLayer = run.elementsLayer;
    request.programVersion = QCoreApplication::applicationVersion();
    request.when = QDateTime::currentDateTime();

    const bool showProgress = isatty(STDERR_FILENO) != 0;
    const site::ItemProgress progress = [showProgress](int done, int total) {
        if (showProgress && total > kProgressFromItems) {
            const QByteArray line = QStringLiteral("\relemento %1 di %2").arg(done + 1).arg(total).toUtf8();
            std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
            if (done + 1 == total)
                std::fputc('\n', stderr);
        }
        return true;
    };
    const site::SiteRunOutcome outcome = site::runSiteInventory(opener, request, progress);
    if (outcome.error) {
        const Error::Kind kind = outcome.error->kind;
        if (kind == Error::Kind::InventoryMalformed || kind == Error::Kind::InventoryUnreadable
            || kind == Error::Kind::SiteMapWithoutScale) {
            usage(outcome.error->message());
            return InventoryCommandStatus::UsageError;
        }
        say(outcome.error->message());
        return InventoryCommandStatus::DataError;
    }
    for (const QString &note : outcome.notes)
        say(QStringLiteral("zefro-estimate: attenzione: ") + note);
    for (const site::ItemOutcome &item : outcome.run.items) {
        if (!item.estimated())
            say(site::itemLine(item.item, item.failure));
    }
    if (const Status written = site::writeOutputFolder(outDir, outcome.files, run.overwrite); !written.ok()) {
        say(written.error().message());
        return InventoryCommandStatus::DataError;
    }
    const int failed = outcome.run.failedCount();
    say(site::countsText(outcome.run) + QStringLiteral(": risultati in ") + outDir);
    return failed > 0 ? InventoryCommandStatus::SomeFailed : InventoryCommandStatus::AllDone;
}
