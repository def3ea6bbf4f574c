#include "map/SheetDrawings.h"

#include "map/InvertLine.h"
#include "map/MapView.h"

#include <algorithm>

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
        if (const auto *areas = std::get_if<DrawnAreas>(&drawing)) {
            if (areas->rings)
                drawDamageRings(region, *areas->rings);
            else
                drawDamageCircles(region, units, areas->centre, areas->areas, areas->scaleFactor);
            if (areas->marked)
                drawIncidentCross(region, units.toPixel(areas->centre));
        } else if (const auto *segment = std::get_if<DrawnSegment>(&drawing)) {
            invertLinePixels(region.pixels, region.pixelOf(units.toPixel(segment->from)),
                             region.pixelOf(units.toPixel(segment->to)), region.clip);
        }
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

QRectF areasExtent(const DrawnAreas &areas, const MapUnits &units)
{
    // Bounds kept by hand: a rectangle of no size (a point) counts for nothing in QRectF::united().
    const QPointF centre = QPointF(units.toPixel(areas.centre)) + QPointF(0.5, 0.5);
    QPointF least = centre;
    QPointF most = centre;
    const auto take = [&](QPointF point) {
        least = QPointF(std::min(least.x(), point.x()), std::min(least.y(), point.y()));
        most = QPointF(std::max(most.x(), point.x()), std::max(most.y(), point.y()));
    };
    if (areas.rings) {
        for (const std::vector<QPointF> &ring : *areas.rings)
            for (const QPointF vertex : ring)
                take(vertex);
    } else {
        for (const DamageDistance &distance : areas.areas)
            if (const std::optional<float> radius = damageRadius(distance, areas.scaleFactor)) {
                const QPointF reach(*radius * units.pixelsPerUnitX(), *radius * units.pixelsPerUnitY());
                take(centre - reach);
                take(centre + reach);
            }
    }
    return QRectF(least, most);
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
        drawings.paintOver(SheetRegion{pixels.value(), inside.topLeft(), source.size(), {}, zoom}, source.units());
    return pixels;
}

} // namespace map
