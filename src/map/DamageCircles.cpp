#include "map/DamageCircles.h"

#include <QPainter>

#include <cmath>
#include <limits>

namespace map {

const std::array<QColor, kDistanceSlots> &damageAreaColours()
{
    static const std::array<QColor, kDistanceSlots> colours{
        QColor(255, 0, 0), QColor(0, 0, 255),   QColor(0, 255, 255),   QColor(255, 255, 0),
        QColor(0, 255, 0), QColor(255, 0, 255), QColor(192, 192, 192), QColor(64, 64, 64)};
    return colours;
}

std::optional<float> damageRadius(const DamageDistance &distance, double scaleFactor)
{
    if (distance.notAvailable)
        return std::nullopt;
    const double radius = distance.metres * scaleFactor * 100.0;
    if (!std::isfinite(radius) || radius < 0.0 || radius > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(radius);
}

int drawDamageCircles(SheetRegion region, const MapUnits &units, QPointF centre, const DamageAreas &areas,
                      double scaleFactor)
{
    if (region.pixels.isNull())
        return 0;
    const QPoint centrePixel = units.toPixel(centre);
    // A circle centred on the sheet and wider than its diagonal never crosses it: skipping it spares
    // the painter circles of millions of pixels (a 10001 m distance at scale 1:1).
    const double reach = std::hypot(region.sheet.width(), region.sheet.height()) + 2.0;
    const bool centreInside = QRect(QPoint(0, 0), region.sheet).contains(centrePixel);

    QPainter painter(&region.pixels);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    int drawn = 0;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const std::optional<float> radius = damageRadius(areas[slot], scaleFactor);
        if (!radius)
            continue;
        const double rx = *radius * units.pixelsPerUnitX();
        const double ry = *radius * units.pixelsPerUnitY();
        ++drawn;
        if (centreInside && std::min(rx, ry) > reach)
            continue;
        QPen pen(damageAreaColours()[slot]);
        pen.setWidth(1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawEllipse(QPointF(centrePixel - region.origin), rx, ry);
    }
    return drawn;
}

} // namespace map
