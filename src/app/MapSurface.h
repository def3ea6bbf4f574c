#pragma once

#include "map/MapSource.h"
#include "map/MapView.h"
#include "map/SheetDrawings.h"

#include <QAbstractScrollArea>
#include <QLineF>
#include <QPointF>

#include <limits>
#include <memory>
#include <optional>

// The map surface (Picture1): a window onto the map sheet, at its natural size until zoomed (the
// wheel with Ctrl, or zoomBy()) from the whole sheet in the room left of the controls to four screen
// pixels a sheet pixel; scrolled with the scroll bars, the mouse wheel (Shift for across) or a drag
// with the middle button. It paints only the part on screen, asking the map source for that region
// at the zoom shown and painting the drawings over it at the screen's resolution. The window's
// controls lie on the viewport and stay in place while the sheet moves under them. The zoom is the
// view's alone: the sheet, its drawing unit and the drawings keep their sizes.
//
// It reports presses, moves and releases of the left and right buttons as points of the sheet, in
// drawing units (the centre of the sheet pixel under the mouse), wherever the sheet is scrolled and
// whatever the zoom; the window decides what they mean.
class MapSurface : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit MapSurface(QWidget *parent = nullptr);

    // Replaces the sheet (none: an empty surface) and clears its drawings; the view goes back to the
    // top-left corner at the natural size.
    void setMap(std::shared_ptr<const map::MapSource> source);
    [[nodiscard]] bool hasMap() const { return m_source != nullptr; }
    [[nodiscard]] const map::MapSource *source() const { return m_source.get(); }
    [[nodiscard]] const map::MapUnits &units() const;

    // What is drawn over the sheet; call refresh() after changing it.
    [[nodiscard]] map::SheetDrawings &drawings() { return m_drawings; }
    [[nodiscard]] const map::SheetDrawings &drawings() const { return m_drawings; }
    void refresh() { viewport()->update(); }

    // Why a region of the sheet could not be painted (a damaged block of a raster read as it is
    // shown), since the sheet was set; sheetUnreadable() told it.
    [[nodiscard]] const std::optional<Error> &unreadable() const { return m_unreadable; }

    // Controls may cover the viewport right of this x: the sheet scrolls that much further left, so
    // that its right edge can come out from under them.
    void setControlsLeft(int x);

    // The pixel of the zoomed sheet at the viewport's top-left corner (at the natural size, the
    // sheet's own pixel).
    [[nodiscard]] QPoint scrollPosition() const;
    void scrollTo(QPoint zoomedPixel);

    [[nodiscard]] map::MapView view() const { return {m_zoom, scrollPosition()}; }
    // Another zoom (within zoomRange()) and scroll position.
    void setView(const map::MapView &view);
    [[nodiscard]] double zoom() const { return m_zoom; }
    // The viewport left of the controls, where the whole sheet fits at the least zoom.
    [[nodiscard]] QRect roomBesideControls() const;
    [[nodiscard]] map::ZoomRange zoomRange() const;
    // Zooms `steps` steps in (positive) or out, keeping the sheet's point under `anchor` (a point of
    // the viewport) in place; without one, under the mouse when it is over the sheet, else in the
    // middle of the room beside the controls.
    void zoomBy(int steps, std::optional<QPointF> anchor = std::nullopt);
    // The whole sheet in the room beside the controls, at the top-left corner.
    void fitSheet();
    // Shows an area of the sheet (sheet pixels) and the point `keep` inside `room` (a rectangle of the
    // viewport), zooming out if it must (map::viewShowing()).
    void showArea(const QRectF &area, QPointF keep, const QRect &room);

    // A line between two points of the sheet (drawing units) shown over the view only, never in a
    // picture of the sheet: the distance being measured. None: no line.
    void setOverlayLine(std::optional<QLineF> line);
    // Where a point of the sheet (drawing units) shows on the viewport.
    [[nodiscard]] QPointF viewportPointOf(QPointF units) const;

signals:
    void pressed(QPointF position, Qt::MouseButton button);
    void moved(QPointF position, Qt::MouseButtons buttons);
    void released(QPointF position, Qt::MouseButton button);
    // A region on screen could not be read from the map file (see unreadable()); emitted once per
    // sheet, after the paint that met it.
    void sheetUnreadable();
    // The zoom changed.
    void zoomChanged(double zoom);
    // The sheet moved on the viewport: scrolled or zoomed.
    void viewChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    [[nodiscard]] QPointF unitsAt(const QMouseEvent *event) const;
    void updateScrollRanges();
    void paintOverlayLine(QPainter &painter) const;

    std::shared_ptr<const map::MapSource> m_source;
    std::optional<Error> m_unreadable;
    map::SheetDrawings m_drawings;
    int m_controlsLeft = std::numeric_limits<int>::max(); // no controls until told
    // The middle-button drag: where it started on screen and the scroll position then.
    std::optional<QPoint> m_panFrom;
    QPoint m_panStartPosition;
    double m_zoom = 1.0;
    int m_wheelZoomRest = 0; // eighths of a degree the wheel turned with Ctrl, short of a notch
    std::optional<QLineF> m_overlayLine;
};
