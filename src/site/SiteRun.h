#pragma once

#include "elements/ElementLayer.h"
#include "elements/ElementsReached.h"
#include "estimate/Estimate.h"
#include "map/Georeference.h"
#include "site/Inventory.h"

#include <QDateTime>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

namespace site {

// What became of one item of an inventory: its estimate (the figures the windows show for the same
// choices) placed where it lies, or the message that says why it has none.
struct ItemOutcome
{
    InventoryItem item;
    std::optional<Estimate> estimate;
    QString failure; // Italian, without the row and id; empty when estimated
    std::optional<QPointF> sheetPoint; // on the map sheet, in centimetres, when the run has a map
    std::optional<QPointF> ground; // in the run's reference system, when it has one

    [[nodiscard]] bool estimated() const { return estimate.has_value(); }
};

// The vulnerable elements a site reaches: the layer as read around the items' areas, and what
// elements::elementsReached() found with every estimated, placed item as a source.
struct SiteElements
{
    elements::ElementLayer layer;
    elements::ElementsReached reached;
    std::vector<QString> sourceIds; // each source's item id, in the sources' order
};

// One run over a site inventory.
struct SiteRun
{
    QString inventoryFile; // as the analyst named it
    QString mapFile; // empty without a map
    QDateTime when;
    QString programVersion;
    bool exampleData = false; // the bundled example tables are in use (the title page warns)
    std::optional<map::CoordinateSystem> system; // the georeferenced map's, or --crs
    std::optional<double> scaleDenominator; // the scale the map is drawn at, when there is a map
    std::vector<ItemOutcome> items;
    std::optional<SiteElements> elements; // when the run was given a layer of them

    [[nodiscard]] int failedCount() const
    {
        int failed = 0;
        for (const ItemOutcome &outcome : items)
            failed += outcome.estimated() ? 0 : 1;
        return failed;
    }
};

} // namespace site
