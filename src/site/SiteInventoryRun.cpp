#include "site/SiteInventoryRun.h"

#include "gis/SiteAreaExport.h"
#include "site/ExampleData.h"
#include "site/InventoryReader.h"
#include "site/ResultsTable.h"
#include "site/SiteErrors.h"
#include "site/SiteMap.h"
#include "site/SummaryPdf.h"
#include "xls/CachingWorkbookOpener.h"

#include <QBuffer>
#include <QImageWriter>

#include <future>
#include <optional>

namespace site {

namespace {

SiteRunOutcome failed(Error error)
{
    SiteRunOutcome outcome;
    outcome.error = std::move(error);
    return outcome;
}

Outcome<QByteArray> pngOf(const QImage &picture, const QString &mapName)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture)) {
        Error error = siteError(Error::Kind::SiteMapTooLarge);
        error.file = mapName;
        error.detail = QStringLiteral("%1 x %2").arg(picture.width()).arg(picture.height());
        return error;
    }
    return bytes;
}

} // namespace

SiteRunOutcome runSiteInventory(const WorkbookOpener &opener, const SiteRunRequest &request,
                                const ItemProgress &progress)
{
    Outcome<Inventory> read = readInventory(request.inventoryPath);
    if (!read.ok()) {
        Error error = read.error();
        error.file = request.inventoryName;
        return failed(error);
    }
    const Inventory &inventory = read.value();

    SiteRunOutcome outcome;
    std::optional<SiteSheet> sheet;
    if (!request.mapName.isEmpty()) {
        Outcome<SiteSheet> opened = openSiteSheet(request.mapName, request.mapPath, request.scaleDenominator);
        if (!opened.ok())
            return failed(opened.error());
        sheet = std::move(opened.value());
        if (!sheet->notice.isEmpty())
            outcome.notes << sheet->notice;
    }

    SiteRun &run = outcome.run;
    run.inventoryFile = request.inventoryName;
    run.mapFile = request.mapName;
    run.when = request.when;
    run.programVersion = request.programVersion;
    run.system = sheet && sheet->georeference ? std::optional(sheet->georeference->system)
                                              : (request.crs ? request.crs : inventory.layerSystem);
    if (sheet)
        run.scaleDenominator = scaleDenominatorOf(*sheet);

    const CachingWorkbookOpener workbooks(opener);
    std::optional<std::vector<ItemOutcome>> items = estimateItems(workbooks, inventory, progress);
    if (!items) {
        outcome.cancelled = true;
        return outcome;
    }
    run.items = std::move(*items);
    outcome.notes << placeItems(run.items, sheet ? &*sheet : nullptr, run.system, inventory.layerSystem);
    run.exampleData = estimatedFromExampleData(workbooks, run.items);

    outcome.files.push_back({kResultsCsv, resultsCsv(run)});
    outcome.files.push_back({kResultsJson, resultsJson(run)});
    if (sheet) {
        Outcome<QImage> drawn = drawSiteMap(*sheet, run.items);
        if (!drawn.ok())
            return failed(drawn.error());
        outcome.siteMap = std::move(drawn.value());
        Outcome<QByteArray> png = pngOf(outcome.siteMap, request.mapName);
        if (!png.ok())
            return failed(png.error());
        outcome.files.push_back({kSiteMapPng, png.value()});
    }
    // The summary is made on a thread of its own while the GIS file is: they read the run and write
    // nothing they share.
    std::future<Outcome<QByteArray>> pdf
        = std::async(std::launch::async, [&run, &outcome] { return summaryPdf(run, outcome.siteMap); });
    std::optional<Outcome<QByteArray>> areas;
    if (run.system) {
        std::vector<gis::SiteItemAreas> placed;
        for (const ItemOutcome &item : run.items) {
            if (item.estimate && item.ground)
                placed.push_back({item.item.id, &*item.estimate, *item.ground});
        }
        areas = gis::exportSiteAreas(*run.system, placed);
    }
    const Outcome<QByteArray> summary = pdf.get();
    if (!summary.ok())
        return failed(summary.error());
    outcome.files.push_back({kSummaryPdf, summary.value()});
    if (areas) {
        if (!areas->ok())
            return failed(areas->error());
        outcome.files.push_back({kSiteAreasGpkg, areas->value()});
    }
    return outcome;
}

} // namespace site
