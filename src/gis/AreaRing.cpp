#include "gis/AreaRing.h"

#include <geodesic.h>

#include <cmath>
#include <numbers>

namespace gis {

std::vector<QPointF> planeRing(QPointF centre, double radius)
{
    std::vector<QPointF> ring;
    ring.reserve(kRingVertices + 1);
    for (int vertex = 0; vertex < kRingVertices; ++vertex) {
        const double angle = 2.0 * std::numbers::pi * vertex / kRingVertices;
        ring.emplace_back(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
    }
    ring.push_back(ring.front());
    return ring;
}

std::vector<QPointF> geodesicRing(QPointF centre, double metres, const Ellipsoid &ellipsoid)
{
    geod_geodesic geodesic{};
    geod_init(&geodesic, ellipsoid.semiMajor, ellipsoid.flattening);
    std::vector<QPointF> ring;
    ring.reserve(kRingVertices + 1);
    for (int vertex = 0; vertex < kRingVertices; ++vertex) {
        // Azimuths run clockwise from north: going the other way keeps the ring counterclockwise.
        const double azimuth = -360.0 * vertex / kRingVertices;
        double latitude = 0.0;
        double longitude = 0.0;
        geod_gendirect(&geodesic, centre.y(), centre.x(), azimuth, GEOD_LONG_UNROLL, metres, &latitude, &longitude,
                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        ring.emplace_back(longitude, latitude);
    }
    ring.push_back(ring.front());
    return ring;
}

} // namespace gis
