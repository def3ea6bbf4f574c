#include "elements/ElementsReached.h"

#include "elements/ElementErrors.h"
#include "map/GroundSystem.h"
#include "map/MapErrors.h"
#include "platform/Parallel.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace elements {

int zoneThreshold(PlanZone zone)
{
    switch (zone) {
    case PlanZone::First: return 1;
    case PlanZone::Second: return 3;
    case PlanZone::Third: return 4;
    }
    return 4;
}

QString zoneName(PlanZone zone)
{
    switch (zone) {
    case PlanZone::First: return QStringLiteral("prima zona");
    case PlanZone::Second: return QStringLiteral("seconda zona");
    case PlanZone::Third: return QStringLiteral("terza zona");
    }
    return {};
}

namespace {

using SlotMask = unsigned; // bit `slot` set: that damage area meets the element

// The innermost zone whose areas (either weather) the mask holds.
std::optional<PlanZone> innermostZone(SlotMask mask)
{
    for (const PlanZone zone : kPlanZones) {
        const auto threshold = static_cast<std::size_t>(zoneThreshold(zone));
        if (mask & ((1U << (threshold - 1)) | (1U << (threshold + 3))))
            return zone;
    }
    return std::nullopt;
}

Error notMeasured(const QString &detail)
{
    Error error = map::mapError(Error::Kind::AreaNotDrawable);
    error.detail = detail;
    return error;
}

// What one source reaches: each element an area of it meets, by the index's order, with those areas
// and its distance; and its rows of `bySource`, sorted. Worked out on a thread of its own: the ground
// system and GEOS's context are the thread's, the points' places (longitude, latitude) made beforehand.
struct Reached
{
    std::uint32_t order = 0;
    SlotMask mask = 0;
    double distance = 0.0;
};

struct SourceReach
{
    std::optional<Error> error;
    std::vector<Reached> reached;
    std::vector<SourceElement> rows;
};

SourceReach reachOf(const ElementLayer &layer, const ElementIndex &index, const map::CoordinateSystem &system,
                    const ReachSource &source, std::size_t sourcePlace,
                    const std::vector<std::optional<QPointF>> &pointPlaces)
{
    SourceReach reach;
    const Outcome<map::GroundSystem> made = map::GroundSystem::of(system);
    if (!made.ok()) {
        reach.error = made.error();
        return reach;
    }
    const map::GroundSystem &ground = made.value();
    const std::optional<QPointF> sourceLonLat = ground.lonLatAt(source.ground);
    if (!sourceLonLat) {
        reach.error = notMeasured(QStringLiteral("il punto E %1, N %2 non è un punto della Terra nel sistema %3")
                                      .arg(source.ground.x())
                                      .arg(source.ground.y())
                                      .arg(system.label()));
        return reach;
    }
    const std::optional<std::vector<ElementIndex::Met>> met = index.meeting(source.ground, source.rings);
    if (!met) {
        Error error = elementsError(Error::Kind::ElementsNotUsable);
        error.file = layer.file;
        error.detail = QStringLiteral("GEOS non riesce a confrontare gli elementi con un'area di danno");
        reach.error = error;
        return reach;
    }
    reach.reached.reserve(met->size());
    std::optional<std::size_t> unmeasured; // the first in the layer
    for (const ElementIndex::Met &one : *met) {
        const std::size_t element = index.elementAt(one.order);
        const std::optional<QPointF> place = one.order < pointPlaces.size() ? pointPlaces[one.order] : [&] {
            const std::optional<QPointF> nearest = index.nearestPoint(element, source.ground);
            return nearest ? ground.lonLatAt(*nearest) : std::nullopt;
        }();
        if (!place) {
            unmeasured = std::min(unmeasured.value_or(element), element);
            continue;
        }
        const double distance = ground.distance(*sourceLonLat, *place);
        reach.reached.push_back({one.order, one.rings, distance});
        if (const std::optional<PlanZone> zone = innermostZone(one.rings))
            reach.rows.push_back({sourcePlace, element, *zone, distance});
    }
    if (unmeasured) {
        reach.error = notMeasured(QStringLiteral("l'elemento %1 (%2) non si può misurare sulla Terra")
                                      .arg(layer.elements[*unmeasured].featureId)
                                      .arg(layer.elements[*unmeasured].name));
        return reach;
    }
    std::sort(reach.rows.begin(), reach.rows.end(), [](const SourceElement &one, const SourceElement &other) {
        return one.zone != other.zone ? one.zone < other.zone
            : one.distance_m != other.distance_m ? one.distance_m < other.distance_m
                                                 : one.element < other.element;
    });
    return reach;
}

bool nearerFirst(const ElementReach &one, const ElementReach &other)
{
    return one.distance_m != other.distance_m ? one.distance_m < other.distance_m : one.element < other.element;
}

// The points' places on the Earth, by the index's order, on every core; a point that is no place on
// the Earth is told when a source reaches it.
std::vector<std::optional<QPointF>> pointPlaces(const ElementIndex &index, const map::CoordinateSystem &system)
{
    constexpr std::size_t kBlock = 4096;
    std::vector<std::optional<QPointF>> places(index.points());
    forEachIndexInParallel((places.size() + kBlock - 1) / kBlock, [&](std::size_t block) {
        const Outcome<map::GroundSystem> made = map::GroundSystem::of(system);
        for (std::size_t order = block * kBlock; made.ok() && order < std::min(places.size(), (block + 1) * kBlock);
             ++order)
            places[order] = made.value().lonLatAt(index.pointAt(order));
    });
    return places;
}

// For each element of a run of the index's order, the nearest source that reaches it in each area and
// zone, and its innermost zone over every source; the sources taken in their order, the first of two
// as near kept.
struct Nearest
{
    double distance = 0.0;
    std::size_t source = kNoSource;
    static constexpr std::size_t kNoSource = std::numeric_limits<std::size_t>::max();

    void offer(double metres, std::size_t from)
    {
        if (source == kNoSource || metres < distance)
            *this = {metres, from};
    }
};

struct BlockNearest
{
    std::array<std::vector<ElementReach>, kDistanceSlots> areas;
    std::array<std::vector<ElementReach>, kPlanZones.size()> zones;
};

BlockNearest nearestIn(std::size_t first, std::size_t end, const std::vector<SourceReach> &bySource,
                       const ElementIndex &index, std::vector<std::optional<PlanZone>> &innermostOfElement)
{
    const std::size_t count = end - first;
    std::array<std::vector<Nearest>, kDistanceSlots> areaNearest;
    std::array<std::vector<Nearest>, kPlanZones.size()> zoneNearest;
    std::vector<std::optional<PlanZone>> innermost(count);
    for (std::size_t source = 0; source < bySource.size(); ++source) {
        const std::vector<Reached> &reached = bySource[source].reached;
        auto at = std::lower_bound(reached.begin(), reached.end(), first,
                                   [](const Reached &one, std::size_t order) { return one.order < order; });
        for (; at != reached.end() && at->order < end; ++at) {
            const std::size_t place = at->order - first;
            for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
                if (!(at->mask & (1U << slot)))
                    continue;
                if (areaNearest[slot].empty())
                    areaNearest[slot].resize(count);
                areaNearest[slot][place].offer(at->distance, source);
            }
            const std::optional<PlanZone> zone = innermostZone(at->mask);
            if (!zone)
                continue;
            if (!innermost[place] || *zone < *innermost[place])
                innermost[place] = *zone;
            std::vector<Nearest> &inZone = zoneNearest[static_cast<std::size_t>(*zone)];
            if (inZone.empty())
                inZone.resize(count);
            inZone[place].offer(at->distance, source);
        }
    }
    BlockNearest nearest;
    for (std::size_t place = 0; place < count; ++place) {
        const std::size_t element = index.elementAt(first + place);
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
            if (!areaNearest[slot].empty() && areaNearest[slot][place].source != Nearest::kNoSource)
                nearest.areas[slot].push_back(
                    {element, areaNearest[slot][place].source, areaNearest[slot][place].distance});
        // An element belongs to the innermost zone any source reaches it with.
        if (const std::optional<PlanZone> zone = innermost[place]) {
            const Nearest &from = zoneNearest[static_cast<std::size_t>(*zone)][place];
            nearest.zones[static_cast<std::size_t>(*zone)].push_back({element, from.source, from.distance});
            innermostOfElement[element] = zone;
        }
    }
    return nearest;
}

} // namespace

Outcome<ElementsReached> elementsReached(const ElementLayer &layer, const ElementIndex &index,
                                         const map::CoordinateSystem &system, const std::vector<ReachSource> &sources)
{
    const Outcome<map::GroundSystem> made = map::GroundSystem::of(system);
    if (!made.ok())
        return made.error();

    ElementsReached reached;
    for (const ReachSource &source : sources) {
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
            if (source.rings[slot].empty())
                continue;
            if (!reached.areas[slot])
                reached.areas[slot].emplace();
            if (const std::optional<PlanZone> zone = innermostZone(1U << slot);
                zone && !reached.zones[static_cast<std::size_t>(*zone)])
                reached.zones[static_cast<std::size_t>(*zone)].emplace();
        }
    }

    // Each source on every core; the first, in the sources' order, that cannot be told gives its error.
    const std::vector<std::optional<QPointF>> places = pointPlaces(index, system);
    std::vector<SourceReach> bySource(sources.size());
    forEachIndexInParallel(sources.size(), [&](std::size_t place) {
        bySource[place] = reachOf(layer, index, system, sources[place], place, places);
    });
    for (const SourceReach &ofSource : bySource)
        if (ofSource.error)
            return *ofSource.error;

    // Each element's nearest sources, on every core a run of the index's order at a time: each source's
    // elements are in that order, so a run takes its part of them by a search.
    constexpr std::size_t kRun = 2048;
    std::vector<std::optional<PlanZone>> innermost(layer.elements.size());
    std::vector<BlockNearest> runs((index.size() + kRun - 1) / kRun);
    forEachIndexInParallel(runs.size(), [&](std::size_t run) {
        runs[run] = nearestIn(run * kRun, std::min(index.size(), (run + 1) * kRun), bySource, index, innermost);
    });

    std::size_t rows = 0;
    for (const SourceReach &ofSource : bySource)
        rows += ofSource.rows.size();
    reached.bySource.reserve(rows);
    for (SourceReach &ofSource : bySource) {
        reached.bySource.insert(reached.bySource.end(), ofSource.rows.begin(), ofSource.rows.end());
        ofSource = {}; // its memory back before the next
    }

    // The areas and zones, nearest first, sorted on every core.
    forEachIndexInParallel(kDistanceSlots + kPlanZones.size(), [&](std::size_t list) {
        std::vector<ElementReach> *elements = list < kDistanceSlots
            ? (reached.areas[list] ? &*reached.areas[list] : nullptr)
            : (reached.zones[list - kDistanceSlots] ? &reached.zones[list - kDistanceSlots]->elements : nullptr);
        if (!elements)
            return;
        for (BlockNearest &run : runs) {
            std::vector<ElementReach> &part
                = list < kDistanceSlots ? run.areas[list] : run.zones[list - kDistanceSlots];
            elements->insert(elements->end(), part.begin(), part.end());
            part = {};
        }
        std::sort(elements->begin(), elements->end(), nearerFirst);
    });
    // The people counted in the layer's order.
    for (std::size_t element = 0; element < layer.elements.size(); ++element) {
        if (!innermost[element])
            continue;
        ZoneReach &inZone = *reached.zones[static_cast<std::size_t>(*innermost[element])];
        if (const std::optional<double> people = layer.elements[element].people)
            inZone.people += *people;
        else
            ++inZone.peopleUnknown;
    }
    return reached;
}

} // namespace elements
