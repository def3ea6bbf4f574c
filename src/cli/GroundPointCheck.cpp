#include "cli/GroundPointCheck.h"

#include "map/GroundSystem.h"

#include <algorithm>
#include <cmath>

namespace {

QString degrees(double value)
{
    return QString::number(value, 'f', 2) + QStringLiteral("°");
}

// "Between 6°E and 12°E, northern hemisphere ... (lon da 6.00° a 12.00°, lat da 0.00° a 84.00°)": the
// area's name up to its first full stop (the lists of countries after it say no more) and its box.
QString areaText(const map::AreaOfUse &area)
{
    QString name = area.name.section(QStringLiteral(". "), 0, 0).trimmed();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return QStringLiteral("\"%1\" (lon da %2 a %3, lat da %4 a %5)")
        .arg(name, degrees(area.west), degrees(area.east), degrees(area.south), degrees(area.north));
}

// How many degrees a place lies outside the box, across or up and down, whichever is more.
double degreesOutside(const map::AreaOfUse &area, QPointF lonLat)
{
    const double latitude = std::max({0.0, area.south - lonLat.y(), lonLat.y() - area.north});
    // Longitudes from the west side eastwards, once round: a box across the antimeridian ends past 180.
    const double east = area.east >= area.west ? area.east : area.east + 360.0;
    const double along = std::fmod(std::fmod(lonLat.x() - area.west, 360.0) + 360.0, 360.0);
    const double longitude = along <= east - area.west ? 0.0 : std::min(along - (east - area.west), 360.0 - along);
    return std::max(latitude, longitude);
}

} // namespace

GroundPointCheck checkGroundPoint(const map::CoordinateSystem &system, QPointF ground)
{
    const Outcome<map::GroundSystem> made = map::GroundSystem::of(system);
    if (!made.ok())
        return {}; // the areas themselves will say what is wrong with the system
    const map::GroundSystem &earth = made.value();
    const QString at = QStringLiteral("--at %1,%2").arg(ground.x(), 0, 'g', 12).arg(ground.y(), 0, 'g', 12);
    const std::optional<map::AreaOfUse> &area = earth.areaOfUse();
    const QString areaOfUse = area ? QStringLiteral(", la cui area d'uso è ") + areaText(*area) : QString();

    const std::optional<QPointF> place = earth.lonLatAt(ground);
    if (!place)
        return {QStringLiteral("%1: il punto non è sulla Terra nel sistema di riferimento %2%3")
                    .arg(at, system.label(), areaOfUse),
                {}};
    if (!area)
        return {};
    const double outside = degreesOutside(*area, *place);
    const QString where = QStringLiteral("il punto (lon %1, lat %2)").arg(degrees(place->x()), degrees(place->y()));
    if (outside > kAreaOfUseMargin)
        return {QStringLiteral("%1: %2 è lontano dall'area d'uso del sistema di riferimento %3, %4: controllare il "
                               "sistema e l'ordine delle coordinate (prima E, poi N)")
                    .arg(at, where, system.label(), areaText(*area)),
                {}};
    if (outside > 0.0)
        return {{},
                QStringLiteral("%1: %2 è %3 fuori dall'area d'uso del sistema di riferimento %4, %5; le aree di "
                               "danno sono calcolate lo stesso")
                    .arg(at, where, degrees(outside), system.label(), areaText(*area))};
    return {};
}
