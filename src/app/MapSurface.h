#pragma once

#include "map/MapSource.h"
#include "map/SheetDrawings.h"

#include <QAbstractScrollArea>
#include <QPointF>

#include <limits>
#include <memory>
#include <optional>

// The map surface (Picture1): a window onto the map sheet at its natural size, scrolled with the
// scroll bars, the mouse wheel (Shift for across) or a drag with the middle button. It paints only
// the part on screen, asking the map source for that region and painting the drawings over it. The
// window's controls lie on the viewport and stay in place while the sheet moves under them.
//
// It reports presses, moves and releases of the left and right buttons as points of the sheet, in
// drawing units (the centre of the pixel under the mouse), wherever the sheet is scrolled; the
// window decides what they mean.
class MapSurface : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit MapSurface(QWidget *parent = nullptr);

    // Replaces the sheet (none: an empty surface) and clears its drawings; the view goes back to the
    // top-left corner.
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

    // The pixel of the sheet at the viewport's top-left corner.
    [[nodiscard]] QPoint scrollPosition() const;
    void scrollTo(QPoint sheetPixel);
    // Scrolls, if needed, so that a point of the sheet (drawing units) lies inside `room`, a
    // rectangle of the viewport; when it does not, the point goes to the middle of the room.
    void bringIntoRoom(QPointF point, const QRect &room);

signals:
    void pressed(QPointF position, Qt::MouseButton button);
    void moved(QPointF position, Qt::MouseButtons buttons);
    void released(QPointF position, Qt::MouseButton button);
    // A region on screen could not be read from the map file (see unreadable()); emitted once per
    // sheet, after the paint that met it.
    void sheetUnreadable();

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

    std::shared_ptr<const map::MapSource> m_source;
    std::optional<Error> m_unreadable;
    map::SheetDrawings m_drawings;
    int m_controlsLeft = std::numeric_limits<int>::max(); // no controls until told
    // The middle-button drag: where it started on screen and the scroll position then.
    std::optional<QPoint> m_panFrom;
    QPoint m_panStartPosition;
};
