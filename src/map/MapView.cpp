#include "map/MapView.h"

#include <algorithm>
#include <cmath>

namespace map {

namespace {

// Zooms this close are one: a view restored from its own numbers is not a step away.
constexpr double kSameZoom = 1e-9;

} // namespace

double ZoomRange::clamped(double zoom) const
{
    return std::clamp(zoom, least, most);
}

double fitZoom(QSizeF area, QSize room)
{
    if (area.width() <= 0.0 || area.height() <= 0.0 || room.isEmpty())
        return 1.0;
    return std::min(room.width() / area.width(), room.height() / area.height());
}

ZoomRange zoomRange(QSize sheet, QSize room)
{
    return {std::min({fitZoom(QSizeF(sheet), room), 1.0, kMostZoom}), kMostZoom};
}

double steppedZoom(double zoom, int steps, const ZoomRange &range)
{
    double stepped = range.clamped(zoom);
    for (; steps > 0; --steps) {
        // The next power of the square root of 2 above the zoom.
        const double level = std::pow(2.0, std::floor(2.0 * std::log2(stepped) + kSameZoom) / 2.0 + 0.5);
        stepped = std::min(level, range.most);
    }
    for (; steps < 0; ++steps) {
        const double level = std::pow(2.0, std::ceil(2.0 * std::log2(stepped) - kSameZoom) / 2.0 - 0.5);
        stepped = std::max(level, range.least);
    }
    return stepped;
}

QPoint MapView::sheetPixelAt(QPointF view) const
{
    const QPointF sheet = toSheet(view);
    return {int(std::floor(sheet.x())), int(std::floor(sheet.y()))};
}

QSize MapView::zoomedSize(QSize sheet) const
{
    // The last screen pixel that shows any of the sheet's last pixel.
    return {int(std::ceil(sheet.width() * zoom - kSameZoom)), int(std::ceil(sheet.height() * zoom - kSameZoom))};
}

MapView zoomedAbout(const MapView &view, double zoom, QPointF anchor)
{
    const QPointF sheet = view.toSheet(anchor);
    const QPointF scroll = sheet * zoom - anchor;
    return {zoom, QPoint(int(std::lround(scroll.x())), int(std::lround(scroll.y())))};
}

MapView viewShowing(QRectF area, QPointF keep, const MapView &view, const QRect &room, const ZoomRange &range)
{
    area = area.united(QRectF(keep - QPointF(0.5, 0.5), QSizeF(1.0, 1.0))); // never empty, the kept point in it
    const QRectF onView(view.toView(area.topLeft()), area.size() * view.zoom);
    if (QRectF(room).contains(onView))
        return view;
    const double zoom = range.clamped(std::min(view.zoom, fitZoom(area.size(), room.size())));
    const bool fits = area.width() * zoom <= room.width() && area.height() * zoom <= room.height();
    const QPointF middle = (fits ? area.center() : keep) * zoom - QRectF(room).center();
    return {zoom, QPoint(int(std::lround(middle.x())), int(std::lround(middle.y())))};
}

} // namespace map
