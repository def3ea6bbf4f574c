#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

// How the map surface shows a sheet: at a zoom (screen pixels per sheet pixel), scrolled. Only the
// view changes with the zoom: the sheet, its drawing unit, the scale and what is drawn on it do not.

namespace map {

// Closest the view comes: a sheet pixel is four screen pixels.
inline constexpr double kMostZoom = 4.0;

// The zooms a sheet can be shown at in a room of the screen: from the zoom that fits the whole sheet
// (or the natural size, when the sheet fits already) to kMostZoom.
struct ZoomRange
{
    double least = 1.0;
    double most = kMostZoom;

    [[nodiscard]] double clamped(double zoom) const;
};

// The zoom at which an area of the sheet (sheet pixels) just fits a room of the screen; 1 for an
// empty area or room.
[[nodiscard]] double fitZoom(QSizeF area, QSize room);
[[nodiscard]] ZoomRange zoomRange(QSize sheet, QSize room);

// The zoom `steps` steps in (positive) or out (negative): the steps are the powers of the square
// root of 2, so that the natural size is one of them whatever zoom the view starts from; the range's
// ends count as steps too.
[[nodiscard]] double steppedZoom(double zoom, int steps, const ZoomRange &range);

// A view of a sheet: its zoom and the point of the zoomed sheet (screen pixels from the sheet's
// top-left corner) at the top-left corner of the viewport.
struct MapView
{
    double zoom = 1.0;
    QPoint scroll;

    // A point of the sheet (sheet pixel positions, from the sheet's top-left corner) on the viewport,
    // and back.
    [[nodiscard]] QPointF toView(QPointF sheet) const { return sheet * zoom - QPointF(scroll); }
    [[nodiscard]] QPointF toSheet(QPointF view) const { return (view + QPointF(scroll)) / zoom; }
    // The sheet pixel under a point of the viewport.
    [[nodiscard]] QPoint sheetPixelAt(QPointF view) const;
    // The whole sheet zoomed, in screen pixels.
    [[nodiscard]] QSize zoomedSize(QSize sheet) const;

    bool operator==(const MapView &) const = default;
};

// The view at another zoom that keeps the sheet's point under `anchor` (a point of the viewport) where it is.
[[nodiscard]] MapView zoomedAbout(const MapView &view, double zoom, QPointF anchor);

// The view that shows an area of the sheet (sheet pixels) inside `room` (a rectangle of the viewport):
// the view as it is when it does already; else the area in the middle of the room, zoomed out as far as
// it must be to fit, within the range; when even then it does not fit, `keep` (a sheet point) in the
// middle instead.
[[nodiscard]] MapView viewShowing(QRectF area, QPointF keep, const MapView &view, const QRect &room,
                                  const ZoomRange &range);

} // namespace map
