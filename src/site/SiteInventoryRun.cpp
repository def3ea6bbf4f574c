#include "site/SiteInventoryRun.h"

#include "elements/ElementErrors.h"
#include "elements/ElementIndex.h"
#include "gis/SiteAreaExport.h"
#include "platform/Parallel.h"
#include "site/ExampleData.h"
#include "site/InventoryReader.h"
#include "site/ResultsTable.h"
#include "site/SiteErrors.h"
#include "site/SiteMap.h"
#include "site/SummaryPdf.h"
#include "xls/CachingWorkbookOpener.h"

#include <QBuffer>
#include <QImageWriter>

#include <algorithm>
#include <future>
#include <list>
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

// The items placed on the ground, each estimated one with its rings there: worked out once, on every
// core (the bulk of a large site's time), for the GIS file and the elements alike.
struct PlacedItems
{
    std::vector<gis::SiteItemAreas> items;
    std::list<Outcome<map::AreaRings>> rings; // the items point at them: a list keeps them in place
};

void placeOnGround(PlacedItems &placed, const map::CoordinateSystem &system, const std::vector<ItemOutcome> &items)
{
    for (const ItemOutcome &item : items) {
        if (item.estimate && item.ground)
            placed.items.push_back({item.item.id, &*item.estimate, *item.ground});
    }
    std::vector<std::optional<Outcome<map::AreaRings>>> rings(placed.items.size());
    forEachIndexInParallel(placed.items.size(), [&](std::size_t index) {
        const gis::SiteItemAreas &item = placed.items[index];
        rings[index] = map::groundRings(system, item.ground, item.estimate->distances);
    });
    for (std::size_t index = 0; index < rings.size(); ++index)
        placed.items[index].rings = &placed.rings.emplace_back(std::move(*rings[index]));
}

// The box of every item's rings and point grown by a tenth, so that an element only touching an
// outermost ring is read.
QRectF regionOf(const std::vector<elements::ReachSource> &sources)
{
    QRectF box;
    for (const elements::ReachSource &source : sources) {
        box |= QRectF(source.ground, QSizeF(0, 0)).adjusted(-1, -1, 1, 1);
        for (const std::vector<QPointF> &ring : source.rings)
            for (const QPointF point : ring)
                box |= QRectF(point, QSizeF(0, 0)).adjusted(-1, -1, 1, 1);
    }
    const double dx = box.width() * 0.05, dy = box.height() * 0.05;
    return box.adjusted(-dx, -dy, dx, dy);
}

// The elements the placed items reach. An item whose rings could not be worked out is left out here:
// the GIS file, which needs every item's, says why the run stops.
Outcome<SiteElements> reachedBySite(const SiteRunRequest &request, const map::CoordinateSystem &system,
                                    const PlacedItems &placed)
{
    SiteElements found;
    std::vector<elements::ReachSource> sources;
    for (const gis::SiteItemAreas &item : placed.items) {
        if (item.rings->ok()) {
            sources.push_back({item.ground, item.rings->value()});
            found.sourceIds.push_back(item.id);
        }
    }
    if (sources.empty()) { // no item on the ground: nothing to reach, and no region to read
        found.layer.file = request.elementsName;
        found.layer.layerName = request.elementsLayer;
        return found;
    }
    Outcome<elements::ElementLayer> layer
        = elements::readElementLayer({request.elementsPath, request.elementsLayer, system, regionOf(sources)});
    if (!layer.ok())
        return layer.error();
    const Outcome<elements::ElementIndex> index
        = elements::ElementIndex::of(layer.value().elements, layer.value().file);
    if (!index.ok())
        return index.error();
    Outcome<elements::ElementsReached> reached
        = elements::elementsReached(layer.value(), index.value(), system, sources);
    if (!reached.ok())
        return reached.error();
    found.layer = std::move(layer.value());
    found.reached = std::move(reached.value());
    return found;
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
    const bool withElements = !request.elementsName.isEmpty();
    if (withElements && !run.system) {
        Error error = elements::elementsError(Error::Kind::ElementsNotUsable);
        error.file = request.elementsName;
        error.detail = QStringLiteral("le voci dell'inventario non sono sul terreno; indicare una mappa georiferita, "
                                      "il sistema di riferimento di est e nord o un inventario in uno strato di "
                                      "punti con il proprio sistema");
        return failed(error);
    }

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
    // nothing they share. It lists the elements reached, so with a layer it waits for them.
    std::future<Outcome<QByteArray>> pdf;
    const auto startSummary = [&pdf, &run, &outcome] {
        pdf = std::async(std::launch::async, [&run, &outcome] { return summaryPdf(run, outcome.siteMap); });
    };
    if (!withElements)
        startSummary();
    std::optional<Outcome<QByteArray>> areas;
    if (run.system) {
        PlacedItems placed;
        placeOnGround(placed, *run.system, run.items);
        if (withElements) {
            Outcome<SiteElements> reached = reachedBySite(request, *run.system, placed);
            if (!reached.ok())
                return failed(reached.error());
            run.elements = std::move(reached.value());
            outcome.notes << run.elements->layer.warnings;
            outcome.files.push_back({kElementsCsv, elementsCsv(run)});
            startSummary();
            areas = gis::exportSiteAreas(
                *run.system, placed.items,
                gis::ReachedElements{run.elements->layer, run.elements->reached, &run.elements->sourceIds});
        } else {
            areas = gis::exportSiteAreas(*run.system, placed.items);
        }
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
