#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>

namespace map {

// Inverts the colour of every pixel of the straight line between two pixels (both ends included; a
// line of zero length is its one pixel). Each pixel of the line is touched once, so drawing the same
// line twice restores the image exactly. Pixels outside the image are skipped.
void invertLinePixels(QImage &image, QPoint from, QPoint to);

} // namespace map
