#pragma once

#include "map/Georeference.h"
#include "platform/Error.h"

#include <QPointF>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace map {

// The part of the Earth a reference system is meant for, as PROJ knows it: a box in degrees of
// longitude and latitude (west greater than east when it crosses the antimeridian) and its name.
struct AreaOfUse
{
    QString name;
    double west = -180.0;
    double south = -90.0;
    double east = 180.0;
    double north = 90.0;
};

// A place on the Earth as a point in space, in metres from the centre of the ellipsoid along its axes,
// with the ground's bearings and curvature there: for measuring many short distances (nearDistance()).
struct SpacePlace
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double eastX = 0.0; // the unit vectors east and north there
    double eastY = 0.0;
    double northX = 0.0;
    double northY = 0.0;
    double northZ = 0.0;
    double alongMeridian = 0.0; // the ground's curvature (1/m) along the meridian and across it
    double acrossMeridian = 0.0;
};

// How far nearDistance() measures, and how close to the geodesic (a bound two hundred times what a
// million pairs on either ellipsoid, at every latitude, come to).
inline constexpr double kNearDistanceReach_m = 10'000.0;
inline constexpr double kNearDistanceError_m = 1e-6;

// The length of the geodesic between two places no more than kNearDistanceReach_m apart, as
// GroundSystem::distance() gives it to within kNearDistanceError_m, in a fraction of its time; nothing
// for places farther apart. A short geodesic is its chord c lengthened by the ground's curvature k
// along it: c + c^3 k^2 / 24, k the mean of its ends' (Euler's, in the chord's bearing there).
[[nodiscard]] std::optional<double> nearDistance(const SpacePlace &from, const SpacePlace &to);

// A reference system tied to the ground through PROJ: its coordinates to and from longitude and
// latitude on the geographic system it is based on (the same datum and ellipsoid), and geodesics on
// that ellipsoid. Every measure on the ground goes through it. Copies share PROJ's objects, which
// belong to the thread that made them; distance() and spacePlace(), which use the ellipsoid alone,
// may be called on any thread.
class GroundSystem
{
public:
    // MapGeoreferenceInvalid, naming `source`, when PROJ cannot read the system or relate it to the
    // geographic system it is based on.
    [[nodiscard]] static Outcome<GroundSystem> of(const CoordinateSystem &system, const QString &source = {});

    // Longitude and latitude (degrees east and north) of a point of the system; nothing for a point
    // that is not on the Earth.
    [[nodiscard]] std::optional<QPointF> lonLatAt(QPointF point) const;
    // The point of the system at a longitude and latitude; nothing where the system has none.
    [[nodiscard]] std::optional<QPointF> pointAt(QPointF lonLat) const;

    // The end of the geodesic from `lonLat` that sets off at `azimuth` degrees clockwise from north and
    // runs `metres`, its longitude kept continuous from the start's (never wrapped at the antimeridian).
    [[nodiscard]] QPointF destination(QPointF lonLat, double azimuth, double metres) const;
    // The ends of the geodesics from `lonLat` that set off at `azimuth` and run each of `metres`, in
    // order: destination() for each, the geodesic set up once.
    [[nodiscard]] std::vector<QPointF> destinations(QPointF lonLat, double azimuth,
                                                    const std::vector<double> &metres) const;
    // The length in metres of the geodesic between two places.
    [[nodiscard]] double distance(QPointF fromLonLat, QPointF toLonLat) const;
    // A place as a point in space, for nearDistance().
    [[nodiscard]] SpacePlace spacePlace(QPointF lonLat) const;
    // A bound, cheap to work out, that the distance between two places never exceeds: the way along a
    // meridian and then a parallel, each degree taken at its longest on the ellipsoid. Tells two places
    // apart by no more than a margin without a geodesic.
    [[nodiscard]] double distanceAtMost(QPointF fromLonLat, QPointF toLonLat) const;
    // The area in square metres a ring of points of the system encloses on the ellipsoid, its sides
    // taken as geodesics (closed or not, either way round); nothing when a point is not on the Earth.
    [[nodiscard]] std::optional<double> ringArea(const std::vector<QPointF> &ring) const;

    [[nodiscard]] const std::optional<AreaOfUse> &areaOfUse() const;

    struct Projection; // PROJ's objects for the system

private:
    explicit GroundSystem(std::shared_ptr<const Projection> projection);

    std::shared_ptr<const Projection> m_projection;
};

} // namespace map
