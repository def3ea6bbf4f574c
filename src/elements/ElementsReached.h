#pragma once

#include "elements/ElementIndex.h"
#include "elements/ElementLayer.h"
#include "map/GroundRing.h"

#include <QPointF>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace elements {

// The zones of an external emergency plan, innermost first: each the union of the D5 and F2 damage
// areas of one threshold (high lethality: threshold 1; irreversible injuries: 3; reversible: 4).
enum class PlanZone { First, Second, Third };
inline constexpr std::array<PlanZone, 3> kPlanZones{PlanZone::First, PlanZone::Second, PlanZone::Third};
[[nodiscard]] int zoneThreshold(PlanZone zone);
[[nodiscard]] QString zoneName(PlanZone zone); // "prima zona", "seconda zona", "terza zona"

// A source of damage areas: an incident point, or a site's item, with its rings as they lie on the
// ground in the map's system (map::groundRings()).
struct ReachSource
{
    QPointF ground;
    map::AreaRings rings;
};

// An element an area or zone reaches, and the source it is measured from: the distance on the ground
// from the source to the element's nearest point (0 when the element holds the source). A point's is
// the geodesic's to within a micrometre (map::nearDistance()), and rounds to the metre or its tenth,
// and orders the lists, as the geodesic's would.
struct ElementReach
{
    std::size_t element = 0; // its place in the layer
    std::size_t source = 0; // its place among the sources: the nearest that reaches it there
    double distance_m = 0.0;
};

struct ZoneReach
{
    std::vector<ElementReach> elements; // nearest first
    double people = 0.0; // the sum of `persone` over the elements that have it
    int peopleUnknown = 0; // the elements whose people are not known
};

// One source reaching one element: the innermost zone it reaches it with.
struct SourceElement
{
    std::size_t source = 0;
    std::size_t element = 0;
    PlanZone zone = PlanZone::First;
    double distance_m = 0.0;
};

struct ElementsReached
{
    // Each damage area that some source has: the elements any source's area of that threshold and
    // weather meets (its boundary included), nearest first.
    std::array<std::optional<std::vector<ElementReach>>, kDistanceSlots> areas;
    // Each zone that some source has an area of: the elements whose innermost zone it is.
    std::array<std::optional<ZoneReach>, kPlanZones.size()> zones;
    // Every source and element it reaches within a zone, by source, then zone, then distance.
    std::vector<SourceElement> bySource;
};

// Which elements each damage area and zone of the sources reaches. ElementsNotUsable (naming the
// layer) when GEOS fails on an area, AreaNotDrawable when a place cannot be measured on the ground.
[[nodiscard]] Outcome<ElementsReached> elementsReached(const ElementLayer &layer, const ElementIndex &index,
                                                       const map::CoordinateSystem &system,
                                                       const std::vector<ReachSource> &sources);

} // namespace elements
