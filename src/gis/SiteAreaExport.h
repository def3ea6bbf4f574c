#pragma once

#include "estimate/Estimate.h"
#include "map/Georeference.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QPointF>
#include <QString>

#include <vector>

namespace gis {

// One item of a site placed on the ground: the analyst's id, its estimate (none for an item that has
// none: it adds nothing to the file) and its point in the map's reference system.
struct SiteItemAreas
{
    QString id;
    const Estimate *estimate = nullptr;
    QPointF ground;
};

// A site's GeoPackage ("aree.gpkg", in the map's reference system) with two layers:
// - "aree_di_danno": one polygon per damage area of every item that has a distance (its ground ring,
//   map::groundRing()), with the item's `id` and the attributes of the single estimate's file;
// - "inviluppi": for each threshold and weather that some item's area has, the union of those areas as
//   one multipolygon, with `threshold`, `weather`, `items` (the ids it covers, "; " between them, in
//   the items' order) and `area_m2`, its area on the ellipsoid.
// AreasNotExported when GDAL cannot write the file, GEOS cannot unite the areas or an area cannot be
// shown in the map's system. The whole file's bytes, ready to be written.
[[nodiscard]] Outcome<QByteArray> exportSiteAreas(const map::CoordinateSystem &system,
                                                  const std::vector<SiteItemAreas> &items);

} // namespace gis
