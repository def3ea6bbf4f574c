#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>

namespace map {

// Inverts the colour of every pixel of the straight line between two pixels (both ends included; a
// line of zero length is its one pixel). Each pixel of the line is touched once, so drawing the same
// line twice restores the image exactly. Pixels outside the image, or outside `clip` when it is not
// null, are skipped.
void invertLinePixels(QImage &image, QPoint from, QPoint to, const QRect &clip = {});

} // namespace map
