#include "map/GroundRing.h"

#include "map/GroundSystem.h"
#include "map/MapErrors.h"

#include <cmath>
#include <numbers>

namespace map {

namespace {

// How far from the damage distance a ring may stray on the ground: its vertices, and the middle of its
// straight sides, which also bow with the circle (by 0.008 % with 256 vertices) and with the projection.
constexpr double kVertexTolerance = 0.001;
constexpr double kSideTolerance = 0.01;

QString placeText(const CoordinateSystem &system, QPointF point)
{
    const QString x = QString::number(point.x(), 'g', 10);
    const QString y = QString::number(point.y(), 'g', 10);
    return system.geographic ? QStringLiteral("lon %1, lat %2").arg(x, y) : QStringLiteral("E %1, N %2").arg(x, y);
}

Error notDrawable(const QString &detail)
{
    Error error = mapError(Error::Kind::AreaNotDrawable);
    error.detail = detail;
    return error;
}

} // namespace

std::optional<DistanceFigure> groundDistance(const DamageDistance &distance, std::size_t slot)
{
    const std::optional<DistanceFigure> figure = distanceFigure(distance, slot);
    if (!figure || !std::isfinite(figure->metres) || figure->metres <= 0.0)
        return std::nullopt;
    return figure;
}

namespace {

// A place on the ground lies at `metres` from the source within `tolerance` of it: told by the cheap bound
// from a place known to lie there (an end of a geodesic of that length) when the bound is enough, else by
// the geodesic itself. Either way the answer is the geodesic's.
bool liesAt(const GroundSystem &ground, QPointF source, QPointF place, QPointF knownThere, double metres,
            double tolerance)
{
    if (ground.distanceAtMost(place, knownThere) <= 0.5 * tolerance * metres)
        return true;
    return std::abs(ground.distance(source, place) - metres) <= tolerance * metres;
}

// The rings of `metres` around one centre, in order; the first that cannot be drawn gives its error.
// The geodesics from the centre are set up once per azimuth for every distance, since a site's items
// have up to eight areas each.
Outcome<std::vector<std::vector<QPointF>>> ringsAround(const CoordinateSystem &system, QPointF centre,
                                                       const std::vector<double> &metres)
{
    const Outcome<GroundSystem> made = GroundSystem::of(system);
    if (!made.ok())
        return made.error();
    const GroundSystem &ground = made.value();
    const std::optional<QPointF> source = ground.lonLatAt(centre);
    if (!source)
        return notDrawable(QStringLiteral("il punto %1 non è un punto della Terra nel sistema di riferimento %2")
                               .arg(placeText(system, centre), system.label()));

    // Azimuths run clockwise from north: going the other way keeps the rings counterclockwise. Beside
    // each vertex, the place on the ground half a step further round, for the middle of the side.
    std::vector<std::vector<QPointF>> vertexPlaces(kRingVertices);
    std::vector<std::vector<QPointF>> sidePlaces(kRingVertices);
    for (int vertex = 0; vertex < kRingVertices; ++vertex) {
        vertexPlaces[std::size_t(vertex)] = ground.destinations(*source, -360.0 * vertex / kRingVertices, metres);
        sidePlaces[std::size_t(vertex)] = ground.destinations(*source, -360.0 * (vertex + 0.5) / kRingVertices, metres);
    }

    std::vector<std::vector<QPointF>> rings;
    for (std::size_t area = 0; area < metres.size(); ++area) {
        const double length = metres[area];
        const auto leaves = [&] {
            return notDrawable(QStringLiteral("l'area di %1 m attorno al punto %2 esce dalla parte della Terra che il "
                                              "sistema di riferimento %3 rappresenta senza interruzioni (un polo, "
                                              "l'antimeridiano, il bordo della proiezione)")
                                   .arg(length)
                                   .arg(placeText(system, centre), system.label()));
        };
        std::vector<QPointF> ring;
        ring.reserve(kRingVertices + 1);
        for (const std::vector<QPointF> &places : vertexPlaces) {
            const std::optional<QPointF> point = ground.pointAt(places[area]);
            if (!point)
                return leaves();
            ring.push_back(*point);
        }
        ring.push_back(ring.front());

        // Every vertex, and the middle of every straight side, lies at the distance on the ground: a side
        // across a seam of the projection does not. And the ring goes once round the centre: one round a
        // pole (a band of longitudes in degrees), or round another point of a plane that repeats the Earth
        // (Web Mercator beyond its width), does not.
        double turn = 0.0;
        for (std::size_t index = 0; index + 1 < ring.size(); ++index) {
            const QPointF from = ring[index] - centre;
            const QPointF to = ring[index + 1] - centre;
            turn += std::atan2(from.x() * to.y() - from.y() * to.x(), QPointF::dotProduct(from, to));
            const QPointF middle = (ring[index] + ring[index + 1]) / 2.0;
            const std::optional<QPointF> atVertex = ground.lonLatAt(ring[index]);
            const std::optional<QPointF> atMiddle = ground.lonLatAt(middle);
            if (!atVertex || !atMiddle
                || !liesAt(ground, *source, *atVertex, vertexPlaces[index][area], length, kVertexTolerance)
                || !liesAt(ground, *source, *atMiddle, sidePlaces[index][area], length, kSideTolerance))
                return leaves();
        }
        if (std::abs(std::abs(turn) - 2.0 * std::numbers::pi) > 0.5)
            return leaves();
        rings.push_back(std::move(ring));
    }
    return rings;
}

} // namespace

Outcome<std::vector<QPointF>> groundRing(const CoordinateSystem &system, QPointF centre, double metres)
{
    Outcome<std::vector<std::vector<QPointF>>> rings = ringsAround(system, centre, {metres});
    if (!rings.ok())
        return rings.error();
    return std::move(rings.value().front());
}

Outcome<AreaRings> groundRings(const CoordinateSystem &system, QPointF centre, const DamageAreas &areas)
{
    std::vector<std::size_t> drawnSlots;
    std::vector<double> metres;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        if (const std::optional<DistanceFigure> distance = groundDistance(areas[slot], slot)) {
            drawnSlots.push_back(slot);
            metres.push_back(distance->metres);
        }
    }
    AreaRings rings;
    if (metres.empty())
        return rings;
    Outcome<std::vector<std::vector<QPointF>>> drawn = ringsAround(system, centre, metres);
    if (!drawn.ok())
        return drawn.error();
    for (std::size_t index = 0; index < drawnSlots.size(); ++index)
        rings[drawnSlots[index]] = std::move(drawn.value()[index]);
    return rings;
}

Outcome<AreaRings> sheetRings(const Georeference &georeference, QPointF ground, const DamageAreas &areas)
{
    Outcome<AreaRings> rings = groundRings(georeference.system, ground, areas);
    if (rings.ok())
        for (std::vector<QPointF> &ring : rings.value())
            for (QPointF &point : ring)
                point = georeference.pixelAt(point);
    return rings;
}

} // namespace map
