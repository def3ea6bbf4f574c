#pragma once

#include "map/DistanceMeasure.h"

#include <QPointF>
#include <QWidget>

#include <functional>
#include <optional>

class MapSurface;
class QLabel;
class QPushButton;

// The map window's tools for looking at a map, in the free room at the top right of the map surface:
// zoom out "−", zoom in "+" (also the keys + and −, and Ctrl with them or with the wheel), the zoom
// shown, "Adatta alla finestra"; the "Misura" toggle, with which a drag of the left button measures
// the distance between two points at the scale in use, shown beside the pointer while dragging and
// after, until the next drag, Esc or the toggle ends it; and "Incidente alle coordinate…", shown on a
// georeferenced map, which asks the window to place the incident by typed coordinates. None of them
// changes the sheet, its scale or what is drawn on it.
class MapViewTools : public QWidget
{
    Q_OBJECT

public:
    // `window` takes the keys; the tools lie on `parent`, the surface's viewport.
    MapViewTools(MapSurface *surface, QWidget *window, QWidget *parent);

    // How a measure reads a length at the moment of the press: nothing when it cannot (the window said why).
    void setMeasureSource(std::function<std::optional<map::DistanceMeasure>()> source);
    void setGeoreferenced(bool georeferenced);

    [[nodiscard]] bool isMeasuring() const;
    // A drag while measuring: its press, moves with the left button, in drawing units.
    void measureFrom(QPointF position);
    void measureTo(QPointF position);
    // Ends the measure: the toggle goes off, the line and the length go.
    void endMeasure();
    // The line and the length hidden (while the window is grabbed for a picture) or shown again.
    void hideMeasureShown(bool hidden);

signals:
    void coordinatesAsked();
    void measureStarted();
    void measureEnded();

private:
    void showLength();

    MapSurface *m_surface;
    QPushButton *m_zoomOut;
    QPushButton *m_zoomIn;
    QLabel *m_zoomShown;
    QPushButton *m_fit;
    QPushButton *m_measure;
    QPushButton *m_coordinates;
    QLabel *m_length; // beside the line's end, on the viewport
    std::function<std::optional<map::DistanceMeasure>()> m_measureSource;
    bool m_on = false; // the toggle is on: a left drag measures
    std::optional<map::DistanceMeasure> m_measuring; // how the line shown is measured
    QPointF m_from;
    QPointF m_to;
};
