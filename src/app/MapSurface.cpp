#include "app/MapSurface.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace {

const map::MapUnits kNoUnits;

} // namespace

MapSurface::MapSurface(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void MapSurface::setMap(std::shared_ptr<const map::MapSource> source)
{
    m_source = std::move(source);
    m_unreadable.reset();
    m_drawings = {}; // a layer's features belong to the sheet too
    m_overlayLine.reset();
    setView({1.0, QPoint(0, 0)});
}

const map::MapUnits &MapSurface::units() const
{
    return m_source ? m_source->units() : kNoUnits;
}

void MapSurface::setControlsLeft(int x)
{
    m_controlsLeft = x;
    updateScrollRanges();
}

QPoint MapSurface::scrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void MapSurface::scrollTo(QPoint zoomedPixel)
{
    horizontalScrollBar()->setValue(zoomedPixel.x());
    verticalScrollBar()->setValue(zoomedPixel.y());
}

void MapSurface::setView(const map::MapView &view)
{
    const double zoom = m_source ? zoomRange().clamped(view.zoom) : 1.0;
    const bool changed = zoom != m_zoom;
    m_zoom = zoom;
    updateScrollRanges();
    scrollTo(view.scroll);
    viewport()->update();
    if (changed) {
        emit zoomChanged(m_zoom);
        emit viewChanged();
    }
}

QRect MapSurface::roomBesideControls() const
{
    const QSize view = viewport()->size();
    return QRect(0, 0, std::min(m_controlsLeft, view.width()), view.height());
}

map::ZoomRange MapSurface::zoomRange() const
{
    return map::zoomRange(m_source ? m_source->size() : QSize(), roomBesideControls().size());
}

void MapSurface::zoomBy(int steps, std::optional<QPointF> anchor)
{
    if (!m_source)
        return;
    if (!anchor) {
        const QPoint mouse = viewport()->mapFromGlobal(QCursor::pos());
        const bool overSheet = viewport()->rect().contains(mouse) && viewport()->childAt(mouse) == nullptr;
        anchor = overSheet ? QPointF(mouse) : QRectF(roomBesideControls()).center();
    }
    setView(map::zoomedAbout(view(), map::steppedZoom(m_zoom, steps, zoomRange()), *anchor));
}

void MapSurface::fitSheet()
{
    if (m_source)
        setView({map::fitZoom(QSizeF(m_source->size()), roomBesideControls().size()), QPoint(0, 0)});
}

void MapSurface::showArea(const QRectF &area, QPointF keep, const QRect &room)
{
    if (m_source)
        setView(map::viewShowing(area, keep, view(), room, zoomRange()));
}

void MapSurface::setOverlayLine(std::optional<QLineF> line)
{
    m_overlayLine = line;
    viewport()->update();
}

QPointF MapSurface::viewportPointOf(QPointF units) const
{
    return view().toView(QPointF(this->units().toPixel(units)) + QPointF(0.5, 0.5));
}

void MapSurface::updateScrollRanges()
{
    const QSize sheet = m_source ? view().zoomedSize(m_source->size()) : QSize();
    const QSize view = viewport()->size();
    const int coveredRight = std::max(0, view.width() - m_controlsLeft);
    horizontalScrollBar()->setRange(0, std::max(0, sheet.width() + coveredRight - view.width()));
    verticalScrollBar()->setRange(0, std::max(0, sheet.height() - view.height()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void MapSurface::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void MapSurface::scrollContentsBy(int, int)
{
    // Repaint rather than move the viewport's pixels: the controls on it must stay where they are.
    viewport()->update();
    emit viewChanged();
}

void MapSurface::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().color(QPalette::Window));
    if (!m_source)
        return;
    const QPoint offset = scrollPosition();
    // In pixels of the zoomed sheet.
    const QRect zoomedSheet(QPoint(0, 0), view().zoomedSize(m_source->size()));
    const QRect shown = exposed.translated(offset).intersected(zoomedSheet);
    if (shown.isEmpty())
        return;
    const Outcome<QImage> pixels = map::drawnView(*m_source, m_drawings, m_zoom, shown);
    if (pixels.ok()) {
        painter.drawImage(shown.topLeft() - offset, pixels.value());
        paintOverlayLine(painter);
        return;
    }
    // Nothing stands for pixels that could not be read; the window is told once, after this paint
    // (a message box cannot open inside it).
    if (!m_unreadable) {
        m_unreadable = pixels.error();
        QMetaObject::invokeMethod(this, &MapSurface::sheetUnreadable, Qt::QueuedConnection);
    }
}

void MapSurface::paintOverlayLine(QPainter &painter) const
{
    if (!m_overlayLine)
        return;
    // A black line edged in white, with a tick at each end, plain on any map and over any circle.
    const QLineF line(viewportPointOf(m_overlayLine->p1()), viewportPointOf(m_overlayLine->p2()));
    const QLineF across = line.length() > 0.0 ? line.normalVector().unitVector() : QLineF(0, 0, 0, 1);
    const QPointF tick = (across.p2() - across.p1()) * 5.0;
    for (const auto &[colour, width] : {std::pair{QColor(Qt::white), 3.0}, std::pair{QColor(Qt::black), 1.0}}) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap));
        painter.drawLine(line);
        painter.drawLine(QLineF(line.p1() - tick, line.p1() + tick));
        painter.drawLine(QLineF(line.p2() - tick, line.p2() + tick));
    }
}

void MapSurface::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        // A notch a step, about the mouse; a fine wheel's eighths of a degree add up to notches.
        m_wheelZoomRest += delta.y() != 0 ? delta.y() : delta.x();
        const int steps = m_wheelZoomRest / 120;
        m_wheelZoomRest -= steps * 120;
        if (steps != 0)
            zoomBy(steps, event->position());
        event->accept();
        return;
    }
    // Shift turns the wheel across; a wheel that turns across by itself (a touchpad) scrolls across.
    const bool across = (event->modifiers() & Qt::ShiftModifier) || (delta.y() == 0 && delta.x() != 0);
    const int notches = delta.y() != 0 ? delta.y() : delta.x();
    QScrollBar *bar = across ? horizontalScrollBar() : verticalScrollBar();
    bar->setValue(bar->value() - notches * bar->singleStep() * QApplication::wheelScrollLines() / 120);
    event->accept();
}

QPointF MapSurface::unitsAt(const QMouseEvent *event) const
{
    // The centre of the sheet pixel under the mouse: the point the circles are drawn around, so that
    // the ground coordinates shown and exported are the circles' centre too.
    return units().toUnits(QPointF(view().sheetPixelAt(event->position())) + QPointF(0.5, 0.5));
}

void MapSurface::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        m_panFrom = event->position().toPoint();
        m_panStartPosition = scrollPosition();
        viewport()->setCursor(Qt::ClosedHandCursor);
        return;
    }
    emit pressed(unitsAt(event), event->button());
}

void MapSurface::mouseMoveEvent(QMouseEvent *event)
{
    if (m_panFrom) {
        scrollTo(m_panStartPosition - (event->position().toPoint() - *m_panFrom));
        return;
    }
    emit moved(unitsAt(event), event->buttons() & ~Qt::MiddleButton);
}

void MapSurface::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        m_panFrom.reset();
        viewport()->unsetCursor();
        return;
    }
    emit released(unitsAt(event), event->button());
}
