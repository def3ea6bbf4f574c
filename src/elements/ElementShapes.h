#pragma once

#include "elements/ElementLayer.h"
#include "map/Georeference.h"

#include <QPointF>
#include <QRectF>
#include <QSize>

#include <vector>

// Where a layer's elements lie, for drawing them over a georeferenced map.
namespace elements {

// The ground around a sheet that the elements are read from: the sheet's extent grown by 10 km
// (in degrees, the angle of 10 km there on a geographic sheet), as far as damage distances go.
inline constexpr double kRegionMargin_m = 10'000.0;
[[nodiscard]] QRectF sheetRegion(const map::Georeference &georeference, QSize sheet);

// An element's geometry in the map's system as points (a point), lines through them (a line) or
// closed rings (an area's outlines, holes included); one list a part. Nothing when its WKB does not
// read.
[[nodiscard]] std::vector<std::vector<QPointF>> groundParts(const VulnerableElement &element);

} // namespace elements
