#include "map/GroundSystem.h"

#include "map/MapErrors.h"

#include <geodesic.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace map {

namespace {

// A PROJ context of this thread: it never reaches the network and keeps PROJ's messages off the
// terminal (the failures are told in ZEFRO's words).
struct Context
{
    Context()
        : context(proj_context_create())
    {
        proj_context_set_enable_network(context, 0);
        proj_log_level(context, PJ_LOG_NONE);
    }
    ~Context() { proj_context_destroy(context); }
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;

    PJ_CONTEXT *const context;
};

struct PjDestroyer
{
    void operator()(PJ *object) const { proj_destroy(object); }
};
using Pj = std::unique_ptr<PJ, PjDestroyer>;

// A longitude this far out is no place on the Earth, even for a map whose longitudes run on past the
// antimeridian.
constexpr double kFarthestLongitude = 540.0;

std::optional<AreaOfUse> areaOfUseOf(PJ_CONTEXT *context, const PJ *system)
{
    AreaOfUse area;
    const char *name = nullptr;
    if (!proj_get_area_of_use(context, system, &area.west, &area.south, &area.east, &area.north, &name))
        return std::nullopt;
    // PROJ gives -1000 for a bound it does not know.
    for (const double bound : {area.west, area.south, area.east, area.north})
        if (!std::isfinite(bound) || bound < -360.0)
            return std::nullopt;
    area.name = QString::fromUtf8(name);
    return area;
}

} // namespace

struct GroundSystem::Projection
{
    std::shared_ptr<Context> context; // first: the objects below go before it
    Pj toSystem; // from longitude and latitude on the base, in its unit, to the system (east, north)
    double degreesPerBaseUnit = 1.0;
    geod_geodesic geodesic{};
    double longestDegree = 0.0; // metres, at the poles, where the ellipsoid is flattest
    std::optional<AreaOfUse> area;
};

namespace {

using SharedProjection = std::shared_ptr<const GroundSystem::Projection>;

// Making a system's objects reads PROJ's database: the systems met recently on this thread are kept.
struct Recent
{
    std::shared_ptr<Context> context;
    std::vector<std::pair<QString, SharedProjection>> systems; // the latest first
};
thread_local Recent recent;
constexpr std::size_t kRecentSystems = 8;

} // namespace

GroundSystem::GroundSystem(std::shared_ptr<const Projection> projection)
    : m_projection(std::move(projection))
{ }

Outcome<GroundSystem> GroundSystem::of(const CoordinateSystem &system, const QString &source)
{
    for (std::size_t index = 0; index < recent.systems.size(); ++index) {
        if (recent.systems[index].first == system.wkt) {
            std::rotate(recent.systems.begin(), recent.systems.begin() + std::ptrdiff_t(index),
                        recent.systems.begin() + std::ptrdiff_t(index) + 1);
            return GroundSystem(recent.systems.front().second);
        }
    }
    const auto refused = [&](const QString &detail) {
        Error error = mapError(Error::Kind::MapGeoreferenceInvalid);
        error.file = source.isEmpty() ? system.label() : source;
        error.detail = detail;
        return error;
    };
    if (!recent.context)
        recent.context = std::make_shared<Context>();
    PJ_CONTEXT *const context = recent.context->context;

    Pj crs(proj_create(context, system.wkt.toUtf8().constData()));
    if (!crs)
        return refused(QStringLiteral("PROJ non riconosce il sistema di riferimento"));
    // A system bound to WGS 84 for datum shifts (TOWGS84) is the system it binds.
    if (proj_get_type(crs.get()) == PJ_TYPE_BOUND_CRS)
        crs.reset(proj_get_source_crs(context, crs.get()));
    const Pj base(crs ? proj_crs_get_geodetic_crs(context, crs.get()) : nullptr);
    const Pj operation(base ? proj_create_crs_to_crs_from_pj(context, base.get(), crs.get(), nullptr, nullptr)
                            : nullptr);
    auto projection = std::make_shared<Projection>();
    projection->context = recent.context;
    // Longitude first and east first, as the georeference and GIS files have them.
    projection->toSystem.reset(operation ? proj_normalize_for_visualization(context, operation.get()) : nullptr);
    const Pj ellipsoid(base ? proj_get_ellipsoid(context, base.get()) : nullptr);
    const Pj axes(base ? proj_crs_get_coordinate_system(context, base.get()) : nullptr);
    double semiMajor = 0.0;
    double inverseFlattening = 0.0;
    double radiansPerUnit = 0.0;
    if (!projection->toSystem || !ellipsoid || !axes
        || !proj_ellipsoid_get_parameters(context, ellipsoid.get(), &semiMajor, nullptr, nullptr, &inverseFlattening)
        || !proj_cs_get_axis_info(context, axes.get(), 0, nullptr, nullptr, nullptr, &radiansPerUnit, nullptr, nullptr,
                                  nullptr)
        || !(semiMajor > 0.0) || !(radiansPerUnit > 0.0))
        return refused(QStringLiteral("PROJ non sa riportare il sistema di riferimento in longitudine e latitudine"));
    geod_init(&projection->geodesic, semiMajor, inverseFlattening > 0.0 ? 1.0 / inverseFlattening : 0.0);
    projection->degreesPerBaseUnit = radiansPerUnit * 180.0 / std::numbers::pi;
    // The radii of curvature along a meridian and along a parallel are largest at the poles, where both
    // are a / (1 - f).
    const double flattening = inverseFlattening > 0.0 ? 1.0 / inverseFlattening : 0.0;
    projection->longestDegree = semiMajor / (1.0 - flattening) * std::numbers::pi / 180.0;
    projection->area = areaOfUseOf(context, crs.get());
    // A system matched to its EPSG code (a .prj) may carry no area of use: the code's has it.
    if (!projection->area && !system.code.isEmpty())
        if (const Pj coded(proj_create(context, system.code.toUtf8().constData())); coded)
            projection->area = areaOfUseOf(context, coded.get());

    recent.systems.insert(recent.systems.begin(), {system.wkt, projection});
    if (recent.systems.size() > kRecentSystems)
        recent.systems.pop_back();
    return GroundSystem(std::move(projection));
}

std::optional<QPointF> GroundSystem::lonLatAt(QPointF point) const
{
    PJ *const operation = m_projection->toSystem.get();
    proj_errno_reset(operation);
    const PJ_COORD base = proj_trans(operation, PJ_INV, proj_coord(point.x(), point.y(), 0.0, 0.0));
    const double longitude = base.v[0] * m_projection->degreesPerBaseUnit;
    const double latitude = base.v[1] * m_projection->degreesPerBaseUnit;
    if (proj_errno(operation) != 0 || !std::isfinite(longitude) || !std::isfinite(latitude) || std::abs(latitude) > 90.0
        || std::abs(longitude) > kFarthestLongitude)
        return std::nullopt;
    return QPointF(longitude, latitude);
}

std::optional<QPointF> GroundSystem::pointAt(QPointF lonLat) const
{
    PJ *const operation = m_projection->toSystem.get();
    proj_errno_reset(operation);
    const double perUnit = m_projection->degreesPerBaseUnit;
    const PJ_COORD point
        = proj_trans(operation, PJ_FWD, proj_coord(lonLat.x() / perUnit, lonLat.y() / perUnit, 0.0, 0.0));
    if (proj_errno(operation) != 0 || !std::isfinite(point.v[0]) || !std::isfinite(point.v[1]))
        return std::nullopt;
    return QPointF(point.v[0], point.v[1]);
}

QPointF GroundSystem::destination(QPointF lonLat, double azimuth, double metres) const
{
    double latitude = 0.0;
    double longitude = 0.0;
    geod_gendirect(&m_projection->geodesic, lonLat.y(), lonLat.x(), azimuth, GEOD_LONG_UNROLL, metres, &latitude,
                   &longitude, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    return {longitude, latitude};
}

std::vector<QPointF> GroundSystem::destinations(QPointF lonLat, double azimuth, const std::vector<double> &metres) const
{
    // What geod_gendirect() does for each distance, the line set up once: the same ends, bit for bit.
    geod_geodesicline line{};
    geod_lineinit(&line, &m_projection->geodesic, lonLat.y(), lonLat.x(), azimuth,
                  GEOD_LATITUDE | GEOD_LONGITUDE | GEOD_DISTANCE_IN);
    std::vector<QPointF> ends;
    ends.reserve(metres.size());
    for (const double length : metres) {
        double latitude = 0.0;
        double longitude = 0.0;
        geod_genposition(&line, GEOD_LONG_UNROLL, length, &latitude, &longitude, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
        ends.emplace_back(longitude, latitude);
    }
    return ends;
}

SpacePlace GroundSystem::spacePlace(QPointF lonLat) const
{
    const double semiMajor = m_projection->geodesic.a;
    const double eccentricity2 = m_projection->geodesic.e2;
    const double longitude = lonLat.x() * std::numbers::pi / 180.0;
    const double latitude = lonLat.y() * std::numbers::pi / 180.0;
    const double sinLatitude = std::sin(latitude);
    const double cosLatitude = std::cos(latitude);
    const double sinLongitude = std::sin(longitude);
    const double cosLongitude = std::cos(longitude);
    const double w2 = 1.0 - eccentricity2 * sinLatitude * sinLatitude;
    const double primeVertical = semiMajor / std::sqrt(w2); // the radii of curvature across and along
    const double meridian = semiMajor * (1.0 - eccentricity2) / (w2 * std::sqrt(w2));
    return {primeVertical * cosLatitude * cosLongitude,
            primeVertical * cosLatitude * sinLongitude,
            primeVertical * (1.0 - eccentricity2) * sinLatitude,
            -sinLongitude,
            cosLongitude,
            -sinLatitude * cosLongitude,
            -sinLatitude * sinLongitude,
            cosLatitude,
            1.0 / meridian,
            1.0 / primeVertical};
}

namespace {

// The ground's curvature at a place in the bearing of a chord from it (Euler's formula).
double curvatureAlong(const SpacePlace &place, double x, double y, double z)
{
    const double east = x * place.eastX + y * place.eastY;
    const double north = x * place.northX + y * place.northY + z * place.northZ;
    const double level2 = east * east + north * north;
    return level2 > 0.0 ? (north * north * place.alongMeridian + east * east * place.acrossMeridian) / level2
                        : place.acrossMeridian;
}

} // namespace

std::optional<double> nearDistance(const SpacePlace &from, const SpacePlace &to)
{
    const double x = to.x - from.x;
    const double y = to.y - from.y;
    const double z = to.z - from.z;
    const double chord2 = x * x + y * y + z * z;
    if (!(chord2 <= kNearDistanceReach_m * kNearDistanceReach_m))
        return std::nullopt;
    const double chord = std::sqrt(chord2);
    const double curvature = 0.5 * (curvatureAlong(from, x, y, z) + curvatureAlong(to, x, y, z));
    return chord + chord2 * chord * curvature * curvature / 24.0;
}

double GroundSystem::distanceAtMost(QPointF fromLonLat, QPointF toLonLat) const
{
    const double northward = std::abs(toLonLat.y() - fromLonLat.y());
    const double eastward = std::abs(std::remainder(toLonLat.x() - fromLonLat.x(), 360.0));
    return (northward + eastward) * m_projection->longestDegree;
}

double GroundSystem::distance(QPointF fromLonLat, QPointF toLonLat) const
{
    double metres = 0.0;
    geod_inverse(&m_projection->geodesic, fromLonLat.y(), fromLonLat.x(), toLonLat.y(), toLonLat.x(), &metres, nullptr,
                 nullptr);
    return metres;
}

std::optional<double> GroundSystem::ringArea(const std::vector<QPointF> &ring) const
{
    geod_polygon polygon{};
    geod_polygon_init(&polygon, 0);
    for (const QPointF point : ring) {
        const std::optional<QPointF> place = lonLatAt(point);
        if (!place)
            return std::nullopt;
        geod_polygon_addpoint(&m_projection->geodesic, &polygon, place->y(), place->x());
    }
    // A closed ring's last vertex repeats its first: a side of no length, which adds nothing.
    double area = 0.0;
    geod_polygon_compute(&m_projection->geodesic, &polygon, 0, 1, &area, nullptr);
    return std::abs(area);
}

const std::optional<AreaOfUse> &GroundSystem::areaOfUse() const
{
    return m_projection->area;
}

} // namespace map
