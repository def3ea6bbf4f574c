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

Outcome<std::vector<QPointF>> groundRing(const CoordinateSystem &system, QPointF centre, double metres)
{
    const Outcome<GroundSystem> made = GroundSystem::of(system);
    if (!made.ok())
        return made.error();
    const GroundSystem &ground = made.value();
    const std::optional<QPointF> source = ground.lonLatAt(centre);
    if (!source)
        return notDrawable(QStringLiteral("il punto %1 non è un punto della Terra nel sistema di riferimento %2")
                               .arg(placeText(system, centre), system.label()));
    const auto leaves = [&] {
        return notDrawable(QStringLiteral("l'area di %1 m attorno al punto %2 esce dalla parte della Terra che il "
                                          "sistema di riferimento %3 rappresenta senza interruzioni (un polo, "
                                          "l'antimeridiano, il bordo della proiezione)")
                               .arg(metres)
                               .arg(placeText(system, centre), system.label()));
    };

    std::vector<QPointF> ring;
    ring.reserve(kRingVertices + 1);
    for (int vertex = 0; vertex < kRingVertices; ++vertex) {
        // Azimuths run clockwise from north: going the other way keeps the ring counterclockwise.
        const std::optional<QPointF> point
            = ground.pointAt(ground.destination(*source, -360.0 * vertex / kRingVertices, metres));
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
        for (const auto &[point, tolerance] :
             {std::pair{ring[index], kVertexTolerance}, std::pair{middle, kSideTolerance}}) {
            const std::optional<QPointF> place = ground.lonLatAt(point);
            if (!place || std::abs(ground.distance(*source, *place) - metres) > tolerance * metres)
                return leaves();
        }
    }
    if (std::abs(std::abs(turn) - 2.0 * std::numbers::pi) > 0.5)
        return leaves();
    return ring;
}

Outcome<AreaRings> sheetRings(const Georeference &georeference, QPointF ground, const DamageAreas &areas)
{
    AreaRings rings;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const std::optional<DistanceFigure> distance = groundDistance(areas[slot], slot);
        if (!distance)
            continue;
        Outcome<std::vector<QPointF>> ring = groundRing(georeference.system, ground, distance->metres);
        if (!ring.ok())
            return ring.error();
        for (QPointF &point : ring.value())
            point = georeference.pixelAt(point);
        rings[slot] = std::move(ring.value());
    }
    return rings;
}

} // namespace map
