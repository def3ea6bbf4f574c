#include "elements/ElementsReached.h"

#include "elements/ElementErrors.h"
#include "map/GroundSystem.h"
#include "map/MapErrors.h"
#include "platform/Parallel.h"

#include <algorithm>
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

bool isPoint(const VulnerableElement &element)
{
    return element.shape == ElementShape::Point && element.bounds.width() == 0.0 && element.bounds.height() == 0.0;
}

// What one source reaches: each element an area of it meets (ascending), with those areas and its
// distance; or why it cannot be told. Worked out on a thread of its own: the ground system and GEOS's
// context are the thread's, the points' places (longitude, latitude) made once beforehand.
struct SourceReach
{
    std::optional<Error> error;
    std::vector<std::size_t> elements;
    std::vector<SlotMask> masks;
    std::vector<double> distances;
};

SourceReach reachOf(const ElementLayer &layer, const ElementIndex &index, const map::CoordinateSystem &system,
                    const ReachSource &source, const std::vector<std::optional<QPointF>> &pointPlaces)
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
    std::vector<std::pair<std::size_t, SlotMask>> met;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        if (source.rings[slot].empty())
            continue;
        const std::optional<std::vector<std::size_t>> meeting = index.meeting(source.rings[slot]);
        if (!meeting) {
            Error error = elementsError(Error::Kind::ElementsNotUsable);
            error.file = layer.file;
            error.detail = QStringLiteral("GEOS non riesce a confrontare gli elementi con un'area di danno");
            reach.error = error;
            return reach;
        }
        for (const std::size_t element : *meeting)
            met.emplace_back(element, 1U << slot);
    }
    std::sort(met.begin(), met.end());
    for (const auto &[element, bit] : met) {
        if (!reach.elements.empty() && reach.elements.back() == element) {
            reach.masks.back() |= bit;
            continue;
        }
        const std::optional<QPointF> place = pointPlaces[element] ? pointPlaces[element] : [&] {
            const std::optional<QPointF> nearest = index.nearestPoint(element, source.ground);
            return nearest ? ground.lonLatAt(*nearest) : std::nullopt;
        }();
        if (!place) {
            reach.error = notMeasured(QStringLiteral("l'elemento %1 (%2) non si può misurare sulla Terra")
                                          .arg(layer.elements[element].featureId)
                                          .arg(layer.elements[element].name));
            return reach;
        }
        reach.elements.push_back(element);
        reach.masks.push_back(bit);
        reach.distances.push_back(ground.distance(*sourceLonLat, *place));
    }
    return reach;
}

bool nearerFirst(const ElementReach &one, const ElementReach &other)
{
    return one.distance_m != other.distance_m ? one.distance_m < other.distance_m : one.element < other.element;
}

// For each element, the nearest source that reaches it in one area or zone: held by the element's place,
// since a site's sources may reach millions of element and source pairs.
class NearestSources
{
public:
    explicit NearestSources(std::size_t elements)
        : m_nearest(elements)
    { }

    // A source reaching an element; the first of two as near is kept.
    void offer(const ElementReach &reach)
    {
        std::optional<ElementReach> &kept = m_nearest[reach.element];
        if (!kept || reach.distance_m < kept->distance_m)
            kept = reach;
    }
    [[nodiscard]] const std::optional<ElementReach> &of(std::size_t element) const { return m_nearest[element]; }

private:
    std::vector<std::optional<ElementReach>> m_nearest;
};

} // namespace

Outcome<ElementsReached> elementsReached(const ElementLayer &layer, const ElementIndex &index,
                                         const map::CoordinateSystem &system, const std::vector<ReachSource> &sources)
{
    const Outcome<map::GroundSystem> made = map::GroundSystem::of(system);
    if (!made.ok())
        return made.error();

    ElementsReached reached;
    const std::size_t count = layer.elements.size();
    // The points' places once; a point that is no place on the Earth is told when a source reaches it.
    std::vector<std::optional<QPointF>> pointPlaces(count);
    for (std::size_t element = 0; element < count; ++element)
        if (isPoint(layer.elements[element]))
            pointPlaces[element] = made.value().lonLatAt(layer.elements[element].bounds.topLeft());

    // Per area and zone, each element's nearest reaching source so far; each element's innermost zone
    // over every source.
    std::vector<NearestSources> areaBest(kDistanceSlots, NearestSources(0));
    std::vector<NearestSources> zoneBest(kPlanZones.size(), NearestSources(0));
    std::vector<std::optional<PlanZone>> innermost(count);
    for (const ReachSource &source : sources) {
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
            if (source.rings[slot].empty() || reached.areas[slot])
                continue;
            reached.areas[slot].emplace();
            areaBest[slot] = NearestSources(count);
            if (const std::optional<PlanZone> zone = innermostZone(1U << slot);
                zone && !reached.zones[static_cast<std::size_t>(*zone)]) {
                reached.zones[static_cast<std::size_t>(*zone)].emplace();
                zoneBest[static_cast<std::size_t>(*zone)] = NearestSources(count);
            }
        }
    }

    // Each source on every core, then gathered in the sources' order.
    std::vector<SourceReach> bySource(sources.size());
    forEachIndexInParallel(sources.size(), [&](std::size_t place) {
        bySource[place] = reachOf(layer, index, system, sources[place], pointPlaces);
    });
    for (std::size_t sourcePlace = 0; sourcePlace < sources.size(); ++sourcePlace) {
        SourceReach &ofSource = bySource[sourcePlace];
        if (ofSource.error)
            return *ofSource.error;
        std::vector<SourceElement> rows;
        for (std::size_t at = 0; at < ofSource.elements.size(); ++at) {
            const SlotMask mask = ofSource.masks[at];
            const ElementReach reach{ofSource.elements[at], sourcePlace, ofSource.distances[at]};
            for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
                if (mask & (1U << slot))
                    areaBest[slot].offer(reach);
            }
            const std::optional<PlanZone> zone = innermostZone(mask);
            if (!zone)
                continue;
            rows.push_back({sourcePlace, reach.element, *zone, reach.distance_m});
            if (!innermost[reach.element] || *zone < *innermost[reach.element])
                innermost[reach.element] = *zone;
            zoneBest[static_cast<std::size_t>(*zone)].offer(reach);
        }
        ofSource = {}; // its memory back before the next
        std::sort(rows.begin(), rows.end(), [](const SourceElement &one, const SourceElement &other) {
            return one.zone != other.zone ? one.zone < other.zone
                : one.distance_m != other.distance_m ? one.distance_m < other.distance_m
                                                     : one.element < other.element;
        });
        reached.bySource.insert(reached.bySource.end(), rows.begin(), rows.end());
    }

    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        if (!reached.areas[slot])
            continue;
        for (std::size_t element = 0; element < count; ++element)
            if (const std::optional<ElementReach> &reach = areaBest[slot].of(element))
                reached.areas[slot]->push_back(*reach);
        std::sort(reached.areas[slot]->begin(), reached.areas[slot]->end(), nearerFirst);
    }
    for (const PlanZone zone : kPlanZones) {
        std::optional<ZoneReach> &inZone = reached.zones[static_cast<std::size_t>(zone)];
        if (!inZone)
            continue;
        // An element belongs to the innermost zone any source reaches it with.
        for (std::size_t element = 0; element < count; ++element) {
            const std::optional<ElementReach> &reach = zoneBest[static_cast<std::size_t>(zone)].of(element);
            if (!reach || innermost[element] != zone)
                continue;
            inZone->elements.push_back(*reach);
            if (const std::optional<double> people = layer.elements[element].people)
                inZone->people += *people;
            else
                ++inZone->peopleUnknown;
        }
        std::sort(inZone->elements.begin(), inZone->elements.end(), nearerFirst);
    }
    return reached;
}

} // namespace elements
