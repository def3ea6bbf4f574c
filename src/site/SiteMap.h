#pragma once

#include "map/Georeference.h"
#include "map/MapSource.h"
#include "map/MapUnits.h"
#include "site/SiteRun.h"

#include <QImage>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace site {

// The map a site is drawn on, read as the map window reads it (its drawing unit a centimetre of the
// sheet), with the scale the items' circles are drawn at: --scale 1:N, or on a georeferenced map
// without it the georeference's own, the areas then drawn as they lie on the ground.
struct SiteSheet
{
    QString name; // as the analyst named the map
    std::shared_ptr<const map::MapSource> source;
    std::optional<map::Georeference> georeference;
    map::MapUnits units;
    double scaleFactor = 0.0;
    bool onGround = false;
    QString notice; // from the map's reading (Italian), empty when nothing
};

// MapUnopenable, MapUnreadable, MapGeoreferenceInvalid from the map's reading; ScaleNotValid for a
// plain map without a scale, or a scale that is none.
[[nodiscard]] Outcome<SiteSheet> openSiteSheet(const QString &name, const QString &localPath,
                                               std::optional<double> scaleDenominator);

// The scale 1:N the circles are drawn at.
[[nodiscard]] double scaleDenominatorOf(const SiteSheet &sheet);

// Places every estimated item where its row says: on the sheet (x_cm, y_cm) and, on a georeferenced
// sheet or with a reference system, on the ground (est, nord, or a point layer's geometry, brought
// from the layer's system into the run's). An item that cannot be placed (off the sheet, ground
// coordinates on a plain map) fails with the reason; an item without a position stays unplaced.
// Notes on items placed only in part (a sheet position without a map) are returned, one a line.
[[nodiscard]] QStringList placeItems(std::vector<ItemOutcome> &items, const SiteSheet *sheet,
                                     const std::optional<map::CoordinateSystem> &system,
                                     const std::optional<map::CoordinateSystem> &layerSystem);

// The site map: the sheet with every placed item's damage areas and its id beside its point. A plain
// sheet is drawn whole; a georeferenced one whole or, when smaller, only the part that holds every
// area with a margin (a regional raster would make a picture of gigabytes). MapUnreadable for a block
// of the map that does not read, MapNotSaved when the picture would be too large.
[[nodiscard]] Outcome<QImage> drawSiteMap(const SiteSheet &sheet, const std::vector<ItemOutcome> &items);

} // namespace site
