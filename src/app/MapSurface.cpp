#include "app/MapSurface.h"

#include <QApplication>
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
    updateScrollRanges();
    scrollTo(QPoint(0, 0));
    viewport()->update();
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

void MapSurface::scrollTo(QPoint sheetPixel)
{
    horizontalScrollBar()->setValue(sheetPixel.x());
    verticalScrollBar()->setValue(sheetPixel.y());
}

void MapSurface::bringIntoRoom(QPointF point, const QRect &room)
{
    if (!m_source)
        return;
    const QPoint pixel = m_source->units().toPixel(point);
    if (room.contains(pixel - scrollPosition()))
        return;
    scrollTo(pixel - room.center());
}

void MapSurface::updateScrollRanges()
{
    const QSize sheet = m_source ? m_source->size() : QSize();
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
}

void MapSurface::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().color(QPalette::Window));
    if (!m_source)
        return;
    const QPoint offset = scrollPosition();
    const QRect shown = exposed.translated(offset).intersected(m_source->rect()); // in sheet pixels
    if (shown.isEmpty())
        return;
    const Outcome<QImage> pixels = map::drawnRegion(*m_source, m_drawings, shown);
    if (pixels.ok()) {
        painter.drawImage(shown.topLeft() - offset, pixels.value());
        return;
    }
    // Nothing stands for pixels that could not be read; the window is told once, after this paint
    // (a message box cannot open inside it).
    if (!m_unreadable) {
        m_unreadable = pixels.error();
        QMetaObject::invokeMethod(this, &MapSurface::sheetUnreadable, Qt::QueuedConnection);
    }
}

void MapSurface::wheelEvent(QWheelEvent *event)
{
    // Shift turns the wheel across; a wheel that turns across by itself (a touchpad) scrolls across.
    const QPoint delta = event->angleDelta();
    const bool across = (event->modifiers() & Qt::ShiftModifier) || (delta.y() == 0 && delta.x() != 0);
    const int notches = delta.y() != 0 ? delta.y() : delta.x();
    QScrollBar *bar = across ? horizontalScrollBar() : verticalScrollBar();
    bar->setValue(bar->value() - notches * bar->singleStep() * QApplication::wheelScrollLines() / 120);
    event->accept();
}

QPointF MapSurface::unitsAt(const QMouseEvent *event) const
{
    // The centre of the pixel under the mouse: the point the circles are drawn around, so that the
    // ground coordinates shown and exported are the circles' centre too.
    const QPointF at = event->position() + QPointF(scrollPosition());
    return units().toUnits(QPointF(std::floor(at.x()) + 0.5, std::floor(at.y()) + 0.5));
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
