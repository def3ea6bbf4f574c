#include "map/SheetDrawings.h"

#include "map/InvertLine.h"

#include <cmath>

namespace map {

void SheetDrawings::extendSegment(QPointF to)
{
    if (!m_drawings.empty())
        if (auto *segment = std::get_if<DrawnSegment>(&m_drawings.back()))
            segment->to = to;
}

std::optional<DrawnSegment> SheetDrawings::lastSegment() const
{
    for (auto drawing = m_drawings.rbegin(); drawing != m_drawings.rend(); ++drawing)
        if (const auto *segment = std::get_if<DrawnSegment>(&*drawing))
            return *segment;
    return std::nullopt;
}

std::vector<DrawnAreas> SheetDrawings::areas() const
{
    std::vector<DrawnAreas> drawn;
    for (const auto &drawing : m_drawings)
        if (const auto *areas = std::get_if<DrawnAreas>(&drawing))
            drawn.push_back(*areas);
    return drawn;
}

void SheetDrawings::paintOver(SheetRegion region, const MapUnits &units) const
{
    drawFeatures(region, m_features);
    for (const auto &drawing : m_drawings) {
        if (const auto *areas = std::get_if<DrawnAreas>(&drawing); areas && areas->rings)
            drawDamageRings(region, *areas->rings);
        else if (areas)
            drawDamageCircles(region, units, areas->centre, areas->areas, areas->scaleFactor);
        else if (const auto *segment = std::get_if<DrawnSegment>(&drawing))
            invertLinePixels(region.pixels, units.toPixel(segment->from) - region.origin,
                             units.toPixel(segment->to) - region.origin, region.clip);
    }
}

QRectF areasBox(const std::vector<DrawnAreas> &drawn, const MapUnits &units)
{
    QRectF box;
    const auto include = [&box](const QRectF &more) { box = box.isNull() ? more : box.united(more); };
    for (const DrawnAreas &areas : drawn) {
        const QPointF centre = units.toPixel(areas.centre);
        include(QRectF(centre, QSizeF(0, 0)).adjusted(-0.5, -0.5, 0.5, 0.5));
        if (areas.rings) {
            for (const std::vector<QPointF> &ring : *areas.rings)
                for (const QPointF &vertex : ring)
                    include(QRectF(vertex, QSizeF(0, 0)).adjusted(-0.5, -0.5, 0.5, 0.5));
            continue;
        }
        // The circles as drawDamageCircles() draws them, around the centre pixel's corner.
        for (const DamageDistance &distance : areas.areas) {
            const std::optional<float> radius = damageRadius(distance, areas.scaleFactor);
            if (!radius || !std::isfinite(*radius))
                continue;
            const double rx = *radius * units.pixelsPerUnitX(), ry = *radius * units.pixelsPerUnitY();
            include(QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry).adjusted(-1, -1, 1, 1));
        }
    }
    return box;
}

Outcome<QImage> drawnRegion(const MapSource &source, const SheetDrawings &drawings, const QRect &region)
{
    const QRect inside = region.intersected(source.rect());
    Outcome<QImage> pixels = source.region(inside);
    if (pixels.ok() && !pixels.value().isNull())
        drawings.paintOver(SheetRegion{pixels.value(), inside.topLeft(), source.size()}, source.units());
    return pixels;
}

} // namespace map
