#include "map/DistanceMeasure.h"

#include "map/MapScale.h"

#include <cmath>

namespace map {

DistanceMeasure DistanceMeasure::atScale(double scaleFactor)
{
    DistanceMeasure measure;
    measure.m_scaleFactor = scaleFactor;
    return measure;
}

Outcome<DistanceMeasure> DistanceMeasure::onGround(const Georeference &georeference, const MapUnits &units)
{
    Outcome<GroundSystem> system = GroundSystem::of(georeference.system);
    if (!system.ok())
        return system.error();
    DistanceMeasure measure;
    measure.m_ground = Ground{georeference, units, std::move(system.value())};
    return measure;
}

std::optional<double> DistanceMeasure::metres(QPointF from, QPointF to) const
{
    if (!m_ground) {
        const double metres = std::hypot(to.x() - from.x(), to.y() - from.y()) / (m_scaleFactor * 100.0);
        return std::isfinite(metres) && metres >= 0.0 ? std::optional(metres) : std::nullopt;
    }
    const auto place = [this](QPointF point) {
        return m_ground->system.lonLatAt(groundAtUnits(m_ground->georeference, m_ground->units, point));
    };
    const std::optional<QPointF> start = place(from);
    const std::optional<QPointF> end = place(to);
    if (!start || !end)
        return std::nullopt;
    return m_ground->system.distance(*start, *end);
}

QString DistanceMeasure::basis() const
{
    return m_ground ? QStringLiteral("sul terreno") : QStringLiteral("alla scala ") + scaleText(m_scaleFactor);
}

QString metresText(double metres)
{
    return QStringLiteral("%1 m").arg(metres, 0, 'f', metres < 10000.0 ? 1 : 0);
}

} // namespace map
