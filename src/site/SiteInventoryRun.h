#pragma once

#include "map/Georeference.h"
#include "site/ItemEstimates.h"
#include "site/OutputFolder.h"
#include "site/SiteRun.h"
#include "xls/Workbook.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace site {

// A run over a site inventory as the analyst asks for it, from the windows or zefro-estimate.
struct SiteRunRequest
{
    QString inventoryName; // as the analyst named the inventory
    QString inventoryPath; // where it is on this computer
    QString mapName; // empty: no map
    QString mapPath;
    std::optional<double> scaleDenominator;
    std::optional<map::CoordinateSystem> crs; // the system of est, nord without a georeferenced map
    QString elementsName; // a layer of vulnerable elements, as the analyst named it; empty: none
    QString elementsPath;
    QString elementsLayer; // empty: the file's first layer
    QString programVersion;
    QDateTime when;
};

// The names of the run's output files.
inline const QString kResultsCsv = QStringLiteral("risultati.csv");
inline const QString kResultsJson = QStringLiteral("risultati.json");
inline const QString kSummaryPdf = QStringLiteral("riepilogo.pdf");
inline const QString kSiteMapPng = QStringLiteral("mappa.png");
inline const QString kSiteAreasGpkg = QStringLiteral("aree.gpkg");
inline const QString kElementsCsv = QStringLiteral("elementi.csv");

struct SiteRunOutcome
{
    // The run could not be made: the inventory cannot be read or is none, the map cannot be used, an
    // output cannot be made. Nothing is to be written.
    std::optional<Error> error;
    bool cancelled = false;
    SiteRun run;
    std::vector<FolderFile> files; // everything the output folder is to hold
    QImage siteMap; // the map with every item's areas, when there is a map
    // For the analyst, whether or not the run goes on: the map's notice, an item placed only in part
    // ("riga N (id): ...").
    QStringList notes;
};

// Reads the inventory, estimates every item (each workbook opened once), places the items on the map
// or the ground, and makes the outputs in memory: risultati.csv and .json and riepilogo.pdf always;
// with a map mappa.png; with a reference system (a georeferenced map, the one given, or a point
// layer's) aree.gpkg with every item's areas and the site's envelopes. With a layer of vulnerable
// elements (which needs a reference system: ElementsNotUsable otherwise) the elements the
// site reaches: elementi.csv, a page per zone in the summary and a layer in aree.gpkg; the layer's
// warnings among the notes. Nothing is written.
[[nodiscard]] SiteRunOutcome runSiteInventory(const WorkbookOpener &opener, const SiteRunRequest &request,
                                              const ItemProgress &progress = {});

} // namespace site
