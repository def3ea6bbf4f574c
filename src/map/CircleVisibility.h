#pragma once

#include "map/DamageCircles.h"
#include "map/MapUnits.h"

#include <QPointF>
#include <QSize>
#include <QString>

namespace map {

// Whether the damage circles of an estimate, drawn at a scale around a point of a sheet, show as
// circles: a scale off by a factor of a thousand draws every one under a pixel, or every one around
// the whole sheet, and the map looks as if nothing had been drawn.
enum class CircleVisibility {
    Seen, // at least one circle crosses the sheet at a pixel or more from its centre
    AllBelowOnePixel, // each radius is under a pixel
    AllAroundTheSheet, // each circle encloses the whole sheet
    NoneToDraw, // no distance to draw (none applicable, none available)
};

// Areas of 0 m, not available or not drawable count for nothing. The centre is in drawing units.
[[nodiscard]] CircleVisibility circleVisibility(const DamageAreas &areas, double scaleFactor, const MapUnits &units,
                                                QSize sheet, QPointF centre);

// What the analyst is told when no circle can be seen at the scale 1:N named (scaleText()); empty
// when some can be, or none is drawn.
[[nodiscard]] QString unseenCirclesNotice(CircleVisibility visibility, double scaleFactor);

} // namespace map
