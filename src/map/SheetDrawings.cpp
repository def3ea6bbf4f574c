#include "map/SheetDrawings.h"

#include "map/InvertLine.h"

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
                             units.toPixel(segment->to) - region.origin);
    }
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
