#pragma once

#include "estimate/EstimateOrder.h"
#include "map/Georeference.h"

#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

namespace site {

// Where an item of a site inventory lies: on the map sheet (x_cm, y_cm: centimetres of the sheet, as
// zefro-estimate --point) or on the ground (est, nord, or a point layer's geometry: in the map's
// reference system, the one --crs names, or the point layer's own).
struct ItemPosition
{
    enum class On { Sheet, Ground };
    On on = On::Sheet;
    QPointF point;
};

// One row of a site inventory as it was understood: the analyst's id, the estimate it asks for and
// where the item lies. A row whose values cannot be understood (a hypothesis "3", a quantity that is
// no number, no substance at all) keeps its id and says why in `problem`: it fails on its own while
// the other rows go on.
struct InventoryItem
{
    int row = 0; // as a spreadsheet numbers it (the header is row 1); a layer's features count from 2 too
    QString id;
    std::optional<EstimateOrder> order; // none when `problem` says why
    QString problem; // Italian, without the row and id (the caller adds "riga N (id): ")
    std::optional<ItemPosition> position;
};

struct Inventory
{
    QString file; // the local path it was read from
    std::vector<InventoryItem> items; // in file order
    // A point layer's reference system, when the positions come from its geometry and it has one.
    std::optional<map::CoordinateSystem> layerSystem;
};

} // namespace site
