#include "map/SheetDrawings.h"

#include "map/InvertLine.h"
#include "map/MapView.h"

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
        if (const auto *areas = std::get_if<DrawnAreas>(&drawing)) {
            if (areas->rings)
                drawDamageRings(region, *areas->rings);
            else
                drawDamageCircles(region, units, areas->centre, areas->areas, areas->scaleFactor);
            drawIncidentCross(region, units.toPixel(areas->centre));
        } else if (const auto *segment = std::get_if<DrawnSegment>(&drawing)) {
            invertLinePixels(region.pixels, region.pixelOf(units.toPixel(segment->from)),
                             region.pixelOf(units.toPixel(segment->to)));
        }
    }
}

QRectF areasExtent(const DrawnAreas &areas, const MapUnits &units)
{
    const QPointF centre = QPointF(units.toPixel(areas.centre)) + QPointF(0.5, 0.5);
    QRectF extent(centre, QSizeF(0.0, 0.0));
    if (areas.rings) {
        for (const std::vector<QPointF> &ring : *areas.rings)
            for (const QPointF vertex : ring)
                extent |= QRectF(vertex, QSizeF(0.0, 0.0));
        return extent;
    }
    for (const DamageDistance &distance : areas.areas)
        if (const std::optional<float> radius = damageRadius(distance, areas.scaleFactor)) {
            const QSizeF reach(*radius * units.pixelsPerUnitX(), *radius * units.pixelsPerUnitY());
            extent |= QRectF(centre - QPointF(reach.width(), reach.height()), 2 * reach);
        }
    return extent;
}

Outcome<QImage> drawnRegion(const MapSource &source, const SheetDrawings &drawings, const QRect &region)
{
    const QRect inside = region.intersected(source.rect());
    Outcome<QImage> pixels = source.region(inside);
    if (pixels.ok() && !pixels.value().isNull())
        drawings.paintOver(SheetRegion{pixels.value(), inside.topLeft(), source.size()}, source.units());
    return pixels;
}

Outcome<QImage> drawnView(const MapSource &source, const SheetDrawings &drawings, double zoom, const QRect &region)
{
    if (zoom == 1.0)
        return drawnRegion(source, drawings, region);
    const QRect inside = region.intersected(QRect(QPoint(0, 0), MapView{zoom, {}}.zoomedSize(source.size())));
    if (inside.isEmpty())
        return QImage();
    // The zoomed sheet's last pixels may reach a little past the sheet's edge: they show its last pixels.
    const QRectF area
        = QRectF(QPointF(inside.topLeft()) / zoom, QSizeF(inside.size()) / zoom).intersected(QRectF(source.rect()));
    Outcome<QImage> pixels = source.sampled(area, inside.size());
    if (pixels.ok() && !pixels.value().isNull())
        drawings.paintOver(SheetRegion{pixels.value(), inside.topLeft(), source.size(), zoom}, source.units());
    return pixels;
}

} // namespace map
