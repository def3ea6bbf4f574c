#pragma once

#include "estimate/ResultSet.h"
#include "map/MapUnits.h"

#include <QColor>
#include <QImage>
#include <QPointF>

#include <array>
#include <optional>

namespace map {

// The colour of each damage area, in the order of the result set's slots (threshold 1..4 under D5,
// then under F2); the legend names them "Rosso", "Blu", "Cyan", "Giallo", "Verde", "Magenta",
// "Grigio", "Antracite".
[[nodiscard]] const std::array<QColor, kDistanceSlots> &damageAreaColours();

// The radius in drawing units of a damage distance in metres: metres x 100 x scaleFactor, computed
// in double precision and kept in single precision. An empty distance counts as 0. Nothing for a
// distance that is not a number, not available, or that gives a negative or non-finite radius:
// such an area is not drawn.
[[nodiscard]] std::optional<float> damageRadius(const CellValue &distance, bool notAvailable,
                                                double scaleFactor);

// Draws the eight damage areas of a result, in slot order, as one-pixel outlines centred on a point
// given in drawing units; later circles cover earlier ones. Returns how many circles were drawn.
int drawDamageCircles(QImage &surface, const MapUnits &units, QPointF centre, const ResultSet &result,
                      double scaleFactor);

} // namespace map
