#pragma once

#include "estimate/Estimate.h"
#include "gis/DamageAreaExport.h"
#include "map/Georeference.h"
#include "map/GroundRing.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QPointF>
#include <QString>

#include <vector>

namespace gis {

// One item of a site placed on the ground: the analyst's id, its estimate (none for an item that has
// none: it adds nothing to the file), its point in the map's reference system and, with an estimate,
// its rings on the ground there (map::groundRings(), worked out once by the caller for every use).
struct SiteItemAreas
{
    QString id;
    const Estimate *estimate = nullptr;
    QPointF ground;
    const Outcome<map::AreaRings> *rings = nullptr;
};

// A site's GeoPackage ("aree.gpkg", in the map's reference system) with two layers:
// - "aree_di_danno": one polygon per damage area of every item that has a distance (its ground ring,
//   map::groundRing()), with the item's `id` and the attributes of the single estimate's file;
// - "inviluppi": for each threshold and weather that some item's area has, the union of those areas as
//   one multipolygon, with `threshold`, `weather`, `items` (the ids it covers, "; " between them, in
//   the items' order) and `area_m2`, its area on the ellipsoid.
// With `reached` (the items as sources, `sourceIds` their ids) a third layer "elementi_coinvolti": one
// feature per element and envelope that reaches it, as the single estimate's file has it, with `id`, the
// nearest item that reaches it there.
// AreasNotExported when GDAL cannot write the file, GEOS cannot unite the areas, an item has no rings or
// an area cannot be shown in the map's system. The whole file's bytes, ready to be written.
[[nodiscard]] Outcome<QByteArray> exportSiteAreas(const map::CoordinateSystem &system,
                                                  const std::vector<SiteItemAreas> &items,
                                                  const std::optional<ReachedElements> &reached = std::nullopt);

} // namespace gis
