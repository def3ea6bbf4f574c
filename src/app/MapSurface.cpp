#include "app/MapSurface.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

MapSurface::MapSurface(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapSurface::setMap(map::MapBitmap bitmap)
{
    m_image = std::move(bitmap.image);
    m_units = bitmap.units;
    update();
}

void MapSurface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().color(QPalette::Window));
    if (m_image.isNull())
        return;
    // Only the exposed part: a scanned map may be far larger than the window.
    const QRect part = exposed.intersected(m_image.rect());
    if (!part.isEmpty())
        painter.drawImage(part.topLeft(), m_image, part);
}

QPointF MapSurface::unitsAt(const QMouseEvent *event) const
{
    const QPointF at = event->position();
    return m_units.toUnits(QPointF(std::floor(at.x()), std::floor(at.y())));
}

void MapSurface::mousePressEvent(QMouseEvent *event)
{
    emit pressed(unitsAt(event), event->button());
}

void MapSurface::mouseMoveEvent(QMouseEvent *event)
{
    emit moved(unitsAt(event), event->buttons());
}

void MapSurface::mouseReleaseEvent(QMouseEvent *event)
{
    emit released(unitsAt(event), event->button());
}
