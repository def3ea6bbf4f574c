#include "elements/ElementsReached.h"

#include "elements/ElementErrors.h"
#include "map/GroundSystem.h"
#include "map/MapErrors.h"

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

// Distances on the ground from the sources to the elements, each element's place in longitude and
// latitude worked out once for a point (the common case of a large layer).
class Measure
{
public:
    Measure(const map::GroundSystem &ground, const ElementLayer &layer, const ElementIndex &index)
        : m_ground(ground)
        , m_layer(layer)
        , m_index(index)
        , m_pointPlaces(layer.elements.size())
    { }

    [[nodiscard]] std::optional<double> distance(QPointF sourceLonLat, QPointF source, std::size_t element)
    {
        const VulnerableElement &reached = m_layer.elements[element];
        if (reached.shape == ElementShape::Point && reached.bounds.width() == 0.0 && reached.bounds.height() == 0.0) {
            std::optional<QPointF> &place = m_pointPlaces[element];
            if (!place)
                place = m_ground.lonLatAt(reached.bounds.topLeft());
            return place ? std::optional(m_ground.distance(sourceLonLat, *place)) : std::nullopt;
        }
        const std::optional<QPointF> nearest = m_index.nearestPoint(element, source);
        const std::optional<QPointF> place = nearest ? m_ground.lonLatAt(*nearest) : std::nullopt;
        return place ? std::optional(m_ground.distance(sourceLonLat, *place)) : std::nullopt;
    }

private:
    const map::GroundSystem &m_ground;
    const ElementLayer &m_layer;
    const ElementIndex &m_index;
    std::vector<std::optional<QPointF>> m_pointPlaces;
};

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
    Measure measure(made.value(), layer, index);

    ElementsReached reached;
    const std::size_t count = layer.elements.size();
    // Per area and zone, each element's nearest reaching source so far; each element's innermost zone
    // over every source.
    std::vector<NearestSources> areaBest(kDistanceSlots, NearestSources(0));
    std::vector<NearestSources> zoneBest(kPlanZones.size(), NearestSources(0));
    std::vector<std::optional<PlanZone>> innermost(count);
    // The areas of the source at hand that meet each element, and the elements they meet.
    std::vector<SlotMask> masks(count, 0);
    std::vector<std::size_t> met;
    for (std::size_t sourcePlace = 0; sourcePlace < sources.size(); ++sourcePlace) {
        const ReachSource &source = sources[sourcePlace];
        const std::optional<QPointF> sourceLonLat = made.value().lonLatAt(source.ground);
        if (!sourceLonLat)
            return notMeasured(QStringLiteral("il punto E %1, N %2 non è un punto della Terra nel sistema %3")
                                   .arg(source.ground.x())
                                   .arg(source.ground.y())
                                   .arg(system.label()));
        met.clear();
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
            if (source.rings[slot].empty())
                continue;
            if (!reached.areas[slot]) {
                reached.areas[slot].emplace();
                areaBest[slot] = NearestSources(count);
            }
            if (const std::optional<PlanZone> zone = innermostZone(1U << slot);
                zone && !reached.zones[static_cast<std::size_t>(*zone)]) {
                reached.zones[static_cast<std::size_t>(*zone)].emplace();
                zoneBest[static_cast<std::size_t>(*zone)] = NearestSources(count);
            }
            const std::optional<std::vector<std::size_t>> meeting = index.meeting(source.rings[slot]);
            if (!meeting) {
                Error error = elementsError(Error::Kind::ElementsNotUsable);
                error.file = layer.file;
                error.detail = QStringLiteral("GEOS non riesce a confrontare gli elementi con un'area di danno");
                return error;
            }
            for (const std::size_t element : *meeting) {
                if (masks[element] == 0)
                    met.push_back(element);
                masks[element] |= 1U << slot;
            }
        }

        std::vector<SourceElement> ofSource;
        for (const std::size_t element : met) {
            const SlotMask mask = std::exchange(masks[element], 0);
            const std::optional<double> distance = measure.distance(*sourceLonLat, source.ground, element);
            if (!distance)
                return notMeasured(QStringLiteral("l'elemento %1 (%2) non si può misurare sulla Terra")
                                       .arg(layer.elements[element].featureId)
                                       .arg(layer.elements[element].name));
            const ElementReach reach{element, sourcePlace, *distance};
            for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
                if (mask & (1U << slot))
                    areaBest[slot].offer(reach);
            }
            const std::optional<PlanZone> zone = innermostZone(mask);
            if (!zone)
                continue;
            ofSource.push_back({sourcePlace, element, *zone, *distance});
            if (!innermost[element] || *zone < *innermost[element])
                innermost[element] = *zone;
            zoneBest[static_cast<std::size_t>(*zone)].offer(reach);
        }
        std::sort(ofSource.begin(), ofSource.end(), [](const SourceElement &one, const SourceElement &other) {
            return one.zone != other.zone ? one.zone < other.zone
                : one.distance_m != other.distance_m ? one.distance_m < other.distance_m
                                                     : one.element < other.element;
        });
        reached.bySource.insert(reached.bySource.end(), ofSource.begin(), ofSource.end());
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
