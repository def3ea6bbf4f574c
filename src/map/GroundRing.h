#pragma once

#include "estimate/Estimate.h"
#include "map/Georeference.h"
#include "platform/Error.h"

#include <QPointF>

#include <array>
#include <optional>
#include <vector>

// One ground geometry for a damage area, used by everything that draws or writes one: the window and
// zefro-estimate's map draw it through the georeference, the GIS files hold it.

namespace map {

using DamageAreas = std::array<DamageDistance, kDistanceSlots>;

// Vertices of the ring that stands for a damage area.
inline constexpr int kRingVertices = 256;

// The distance a damage area reaches on the ground: the estimate's figure ("more than 10000 m" is
// 10000 m and a lower bound); nothing for an area that has none (" Non applicabile", " Non
// disponibile", 0 m, a distance that is not finite).
[[nodiscard]] std::optional<DistanceFigure> groundDistance(const DamageDistance &distance, std::size_t slot);

// The outline of a damage area as it lies on the ground: the points `metres` away from `centre` along
// the geodesics of the ellipsoid of the system's geographic base, in the system's coordinates; a closed
// ring (first vertex repeated at the end), counterclockwise. AreaNotDrawable when the system cannot
// show it as it is: the centre is no place on the Earth, or the ring leaves the part of the Earth the
// projection shows in one piece (a pole, the antimeridian, a world repeated side by side), so that its
// straight sides would not follow the ground.
[[nodiscard]] Outcome<std::vector<QPointF>> groundRing(const CoordinateSystem &system, QPointF centre, double metres);

// Each damage area's ring (groundRing()) around a point of the ground, in the system's coordinates;
// empty for an area that has no distance. The first area that cannot be drawn gives its error.
using AreaRings = std::array<std::vector<QPointF>, kDistanceSlots>;
[[nodiscard]] Outcome<AreaRings> groundRings(const CoordinateSystem &system, QPointF centre, const DamageAreas &areas);

// The same rings in pixels of a georeferenced sheet (positions counted from the sheet's top-left
// corner, as Georeference counts them).
[[nodiscard]] Outcome<AreaRings> sheetRings(const Georeference &georeference, QPointF ground, const DamageAreas &areas);

} // namespace map
