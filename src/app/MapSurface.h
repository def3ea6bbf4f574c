#pragma once

#include "map/MapFiles.h"
#include "map/MapUnits.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

// The map surface (Picture1): shows the map bitmap at its natural size from the top-left corner and
// keeps whatever is drawn on it in that same image, until a map is loaded again. It only reports the
// mouse, in drawing units; the window decides what a press, a drag or a release means.
class MapSurface : public QWidget
{
    Q_OBJECT

public:
    explicit MapSurface(QWidget *parent = nullptr);

    // Replaces the bitmap and every drawing on it.
    void setMap(map::MapBitmap bitmap);
    [[nodiscard]] bool hasMap() const { return !m_image.isNull(); }

    // The image drawn on; call refresh() after drawing.
    [[nodiscard]] QImage &image() { return m_image; }
    [[nodiscard]] const QImage &image() const { return m_image; }
    [[nodiscard]] const map::MapUnits &units() const { return m_units; }
    void refresh() { update(); }

signals:
    void pressed(QPointF position, Qt::MouseButton button);
    void moved(QPointF position, Qt::MouseButtons buttons);
    void released(QPointF position, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    [[nodiscard]] QPointF unitsAt(const QMouseEvent *event) const;

    QImage m_image;
    map::MapUnits m_units;
};
