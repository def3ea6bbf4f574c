#pragma once

#include "elements/ElementLayer.h"
#include "elements/ElementsReached.h"

#include <QJsonArray>
#include <QString>

// What an estimate's damage areas reach, written out: as JSON for programs, as a plain table in
// Italian for people. Both list the zones the estimate has, innermost first, each element nearest
// first.
namespace elements {

// One object per zone: {"zone", "threshold", "count", "people", "people_unknown", "elements": [{"name",
// "category", "type", "people" (null when not known), "distance_m" (to a tenth of a metre)}]}.
[[nodiscard]] QJsonArray reachedJson(const ElementLayer &layer, const ElementsReached &reached);

// A heading naming the layer, then per zone a line of counts and one aligned line per element (name,
// category, type, people, distance in whole metres). Each line ends in a newline.
[[nodiscard]] QString reachedTable(const ElementLayer &layer, const ElementsReached &reached);

} // namespace elements
