#pragma once

#include "map/DamageCircles.h"

#include <QColor>
#include <QPointF>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace map {

// A feature of a vector layer drawn over a sheet (an element of a planner's layer): in sheet
// pixels, points as small squares, lines through their points, areas by their closed outlines
// (hatched while unmarked).
struct DrawnFeature
{
    enum class Shape { Point, Line, Area };
    Shape shape = Shape::Point;
    std::vector<std::vector<QPointF>> parts; // sheet pixels, one list a part (an area's: its rings)
    QString name; // what hovering it tells
    std::optional<QColor> marked; // the colour of the zone it lies in, if any: filled with it
};

// The colour of a feature no zone marks: dark grey, plain on a map's light ground and unlike any
// damage area's colour.
[[nodiscard]] QColor unmarkedFeatureColour();

// Paints the features over a region, in order, after the sheet and before the damage areas; a region
// gets the pixels the same region of the whole sheet gets.
void drawFeatures(SheetRegion region, const std::vector<DrawnFeature> &features);

// The feature under a sheet pixel, within `tolerance` pixels of a point or line or inside an area;
// the last drawn (topmost) when several are.
[[nodiscard]] std::optional<std::size_t> featureAt(const std::vector<DrawnFeature> &features, QPointF pixel,
                                                   double tolerance);

} // namespace map
