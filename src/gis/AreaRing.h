#pragma once

#include <QPointF>

#include <vector>

namespace gis {

// Vertices of the circle that stands for a damage area.
inline constexpr int kRingVertices = 256;

// The closed ring (first vertex repeated at the end), counterclockwise, of the circle of `radius`
// system units around `centre` in a projected system.
[[nodiscard]] std::vector<QPointF> planeRing(QPointF centre, double radius);

// The ellipsoid of a geographic system: semi-major axis in metres and flattening (0 for a sphere).
struct Ellipsoid
{
    double semiMajor = 0.0;
    double flattening = 0.0;
};

// The same for a geographic system: the points `metres` away from `centre` (longitude, latitude in
// degrees) along the geodesics on the ellipsoid, longitudes kept continuous across the antimeridian.
[[nodiscard]] std::vector<QPointF> geodesicRing(QPointF centre, double metres, const Ellipsoid &ellipsoid);

} // namespace gis
