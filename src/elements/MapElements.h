#pragma once

#include "elements/ElementIndex.h"
#include "elements/ElementLayer.h"
#include "elements/ElementsReached.h"
#include "map/FeatureDrawing.h"
#include "map/Georeference.h"
#include "map/SheetDrawings.h"

#include <QColor>
#include <QSize>
#include <QString>

#include <vector>

// A planner's layer on a georeferenced map sheet: read once for the sheet, drawn over it, and
// marked with what the damage areas drawn on it reach.
namespace elements {

struct MapElements
{
    QString mapPath; // the sheet's file and the layer's, which it was read for
    QString file;
    ElementLayer layer;
    ElementIndex index;
    std::vector<map::DrawnFeature> features; // one an element, in the layer's order, in sheet pixels
};

// Reads the layer's elements around the sheet (sheetRegion()), in the sheet's system.
// readElementLayer()'s and ElementIndex::of()'s errors.
[[nodiscard]] Outcome<MapElements> readMapElements(const QString &file, const QString &mapPath,
                                                   const map::Georeference &georeference, QSize sheet);

// The colour a zone marks its elements with: the damage area colour of its threshold (D5).
[[nodiscard]] QColor zoneColour(PlanZone zone);

// What the damage areas drawn on the ground (those with rings: at the georeference's scale) reach,
// each press a source; none when no such areas are drawn. elementsReached()'s errors.
[[nodiscard]] Outcome<std::optional<ElementsReached>> reachedByDrawnAreas(const MapElements &elements,
                                                                          const map::Georeference &georeference,
                                                                          const map::MapUnits &units,
                                                                          const std::vector<map::DrawnAreas> &drawn);

// The features, each element inside a zone marked with the zone's colour (none: all unmarked).
[[nodiscard]] std::vector<map::DrawnFeature> markedFeatures(const MapElements &elements,
                                                            const std::optional<ElementsReached> &reached);

} // namespace elements
