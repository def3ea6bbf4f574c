#include "elements/ElementsReached.h"

#include "elements/ElementErrors.h"
#include "map/GroundSystem.h"
#include "map/MapErrors.h"
#include "platform/Parallel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
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

// The innermost zone whose areas (either weather) the mask holds, looked up: it is asked for each
// element every source reaches.
std::optional<PlanZone> innermostZone(SlotMask mask)
{
    static const auto innermost = [] {
        std::array<std::optional<PlanZone>, 1U << kDistanceSlots> zones;
        for (SlotMask held = 0; held < zones.size(); ++held) {
            for (const PlanZone zone : kPlanZones) {
                const auto threshold = static_cast<std::size_t>(zoneThreshold(zone));
                if (held & ((1U << (threshold - 1)) | (1U << (threshold + 3)))) {
                    zones[held] = zone;
                    break;
                }
            }
        }
        return zones;
    }();
    return innermost[mask];
}

Error notMeasured(const QString &detail)
{
    Error error = map::mapError(Error::Kind::AreaNotDrawable);
    error.detail = detail;
    return error;
}

// The points' places by the index's order: on the Earth (longitude, latitude; none for a point that is
// no place on the Earth, told when a source reaches it), and in space for near distances.
struct PointPlaces
{
    std::vector<std::optional<QPointF>> lonLat;
    std::vector<map::SpacePlace> space;
};

Outcome<PointPlaces> pointPlaces(const ElementIndex &index, const map::CoordinateSystem &system)
{
    constexpr std::size_t kBlock = 4096;
    PointPlaces places{std::vector<std::optional<QPointF>>(index.points()),
                       std::vector<map::SpacePlace>(index.points())};
    std::vector<std::optional<Error>> errors((index.points() + kBlock - 1) / kBlock);
    forEachIndexInParallel(errors.size(), [&](std::size_t block) {
        const Outcome<map::GroundSystem> ground = map::GroundSystem::of(system);
        if (!ground.ok()) {
            errors[block] = ground.error();
            return;
        }
        for (std::size_t order = block * kBlock; order < std::min(index.points(), (block + 1) * kBlock); ++order) {
            places.lonLat[order] = ground.value().lonLatAt(index.pointAt(order));
            if (places.lonLat[order])
                places.space[order] = ground.value().spacePlace(*places.lonLat[order]);
        }
    });
    for (const std::optional<Error> &error : errors)
        if (error)
            return *error;
    return places;
}

// A point's distance is its near distance (map::nearDistance()), off the geodesic's by no more than
// kNearError, but whatever it decides is decided as by the geodesic. The distances are written to the
// tenth of a metre or to the metre, so an edge of their rounding is a multiple of 5 cm: a distance that
// near an edge is the geodesic itself. Two distances closer than twice the error are compared by their
// geodesics.
constexpr double kNearError = map::kNearDistanceError_m;
constexpr double kRoundingEdges = 0.05;

bool nearARoundingEdge(double metres)
{
    const double steps = metres / kRoundingEdges; // not negative
    return std::abs(steps - double(static_cast<std::int64_t>(steps + 0.5))) * kRoundingEdges <= 2.0 * kNearError;
}

bool tooCloseToTell(double one, double other)
{
    return std::abs(one - other) <= 2.0 * kNearError;
}

// A distance, from the source's place on the Earth to the element at an order of the index.
struct Measured
{
    double distance = 0.0;
    QPointF sourceLonLat;
    std::size_t order = 0;
};

// Whether the first of two distances' geodesics is the shorter (-1), as long (0) or longer (1); the
// geodesics measured only when the distances are too close to tell.
int compareGeodesics(const map::GroundSystem &ground, const PointPlaces &places, const Measured &one,
                     const Measured &other)
{
    if (!tooCloseToTell(one.distance, other.distance))
        return one.distance < other.distance ? -1 : 1;
    const auto isPoint = [&](const Measured &measured) { return measured.order < places.lonLat.size(); };
    if (one.sourceLonLat == other.sourceLonLat && isPoint(one) && isPoint(other)
        && *places.lonLat[one.order] == *places.lonLat[other.order])
        return 0;
    // Another element's distance is its geodesic's already.
    const auto geodesic = [&](const Measured &measured) {
        return isPoint(measured) ? ground.distance(measured.sourceLonLat, *places.lonLat[measured.order])
                                 : measured.distance;
    };
    const double oneGeodesic = geodesic(one);
    const double otherGeodesic = geodesic(other);
    return oneGeodesic < otherGeodesic ? -1 : oneGeodesic > otherGeodesic ? 1 : 0;
}

// Puts items sorted by distance, then place in the layer, in the order of their geodesics: each run
// of distances too close to tell apart is sorted again by its geodesics. A run lies farther than the
// error from the next, so its items precede the next's by their geodesics too. `key` gives an item's
// distance and place in the layer, `measure` what compareGeodesics() takes.
template <typename Iterator, typename Key, typename Measure>
void settleCloseCalls(Iterator first, Iterator last, const Key &key, const Measure &measure,
                      const map::GroundSystem &ground, const PointPlaces &places)
{
    for (Iterator run = first; run != last;) {
        Iterator end = std::next(run);
        while (end != last && tooCloseToTell(key(*std::prev(end)).first, key(*end).first))
            ++end;
        if (end - run > 1)
            std::sort(run, end, [&](const auto &one, const auto &other) {
                const int geodesics = compareGeodesics(ground, places, measure(one), measure(other));
                return geodesics != 0 ? geodesics < 0 : key(one).second < key(other).second;
            });
        run = end;
    }
}

// What one source reaches: each element an area of it meets, by the index's order, with those areas
// and its distance, and how many of them it reaches within a zone (its rows of `bySource`). Worked out
// on a thread of its own: the ground system and GEOS's context are the thread's, the points' places
// made beforehand.
struct Reached
{
    std::uint32_t order = 0;
    SlotMask mask = 0;
    double distance = 0.0;
};

struct SourceReach
{
    std::optional<Error> error;
    QPointF lonLat;
    std::vector<Reached> reached;
    std::size_t rows = 0;
};

// A row of a source: an element it reaches within a zone.
struct Row
{
    double distance = 0.0;
    std::uint32_t element = 0;
    std::uint32_t order = 0; // in the index
};

// Rows by distance, then place in the layer: a radix sort on the leading 32 bits of the distances (a
// positive double's bits grow with it), in passes of 11 bits, then each run of equal leading bits
// (a millimetre at a kilometre) sorted in full; a few rows sorted in full at once.
void sortByDistance(std::vector<Row> &rows, std::vector<Row> &spare)
{
    const auto before = [](const Row &one, const Row &other) {
        return std::pair(one.distance, one.element) < std::pair(other.distance, other.element);
    };
    if (rows.size() < 1024) {
        std::sort(rows.begin(), rows.end(), before);
        return;
    }
    constexpr unsigned kDigit = 11;
    constexpr std::size_t kPasses = 3;
    const auto leading
        = [](const Row &row) { return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(row.distance) >> 32); };
    std::array<std::array<std::uint32_t, 1U << kDigit>, kPasses> counts{};
    for (const Row &row : rows)
        for (std::size_t pass = 0; pass < kPasses; ++pass)
            ++counts[pass][(leading(row) >> (pass * kDigit)) & ((1U << kDigit) - 1)];
    spare.resize(rows.size());
    for (std::size_t pass = 0; pass < kPasses && !rows.empty(); ++pass) {
        std::array<std::uint32_t, 1U << kDigit> &starts = counts[pass];
        if (starts[(leading(rows.front()) >> (pass * kDigit)) & ((1U << kDigit) - 1)] == rows.size())
            continue; // every row the same there
        std::uint32_t start = 0;
        for (std::uint32_t &count : starts)
            start += std::exchange(count, start);
        for (const Row &row : rows)
            spare[starts[(leading(row) >> (pass * kDigit)) & ((1U << kDigit) - 1)]++] = row;
        rows.swap(spare);
    }
    for (auto run = rows.begin(); run != rows.end();) {
        const auto end = std::find_if(run, rows.end(), [&](const Row &row) { return leading(row) != leading(*run); });
        if (end - run > 1)
            std::sort(run, end, before);
        run = end;
    }
}

// A source's rows of bySource, from `into` on: the elements it reaches within a zone, by zone, then
// nearest first.
void fillRows(const std::vector<Reached> &reached, std::size_t source, QPointF sourceLonLat, const ElementIndex &index,
              const map::GroundSystem &ground, const PointPlaces &places, std::vector<SourceElement>::iterator into)
{
    std::array<std::vector<Row>, kPlanZones.size()> byZone;
    for (const Reached &one : reached)
        if (const std::optional<PlanZone> zone = innermostZone(one.mask))
            byZone[static_cast<std::size_t>(*zone)].push_back(
                {one.distance, static_cast<std::uint32_t>(index.elementAt(one.order)), one.order});
    std::vector<Row> spare;
    for (const PlanZone zone : kPlanZones) {
        std::vector<Row> &inZone = byZone[static_cast<std::size_t>(zone)];
        sortByDistance(inZone, spare);
        settleCloseCalls(
            inZone.begin(), inZone.end(), [](const Row &row) { return std::pair(row.distance, row.element); },
            [&](const Row &row) {
                return Measured{row.distance, sourceLonLat, row.order};
            },
            ground, places);
        for (const Row &row : inZone)
            *into++ = {source, row.element, zone, row.distance};
    }
}

SourceReach reachOf(const ElementLayer &layer, const ElementIndex &index, const map::CoordinateSystem &system,
                    const ReachSource &source, const PointPlaces &places)
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
    reach.lonLat = *sourceLonLat;
    const std::optional<std::vector<ElementIndex::Met>> met = index.meeting(source.ground, source.rings);
    if (!met) {
        Error error = elementsError(Error::Kind::ElementsNotUsable);
        error.file = layer.file;
        error.detail = QStringLiteral("GEOS non riesce a confrontare gli elementi con un'area di danno");
        reach.error = error;
        return reach;
    }
    const map::SpacePlace sourceSpace = ground.spacePlace(*sourceLonLat);
    reach.reached.reserve(met->size());
    std::optional<std::size_t> unmeasured; // the first in the layer
    for (const ElementIndex::Met &one : *met) {
        const std::size_t element = index.elementAt(one.order);
        std::optional<double> distance;
        if (one.order < index.points()) {
            if (const std::optional<QPointF> &place = places.lonLat[one.order]) {
                distance = map::nearDistance(sourceSpace, places.space[one.order]);
                if (!distance || nearARoundingEdge(*distance))
                    distance = ground.distance(*sourceLonLat, *place);
            }
        } else {
            const std::optional<QPointF> nearest = index.nearestPoint(element, source.ground);
            if (const std::optional<QPointF> place = nearest ? ground.lonLatAt(*nearest) : std::nullopt)
                distance = ground.distance(*sourceLonLat, *place);
        }
        if (!distance) {
            unmeasured = std::min(unmeasured.value_or(element), element);
            continue;
        }
        reach.reached.push_back({one.order, one.rings, *distance});
    }
    if (unmeasured) {
        reach.error = notMeasured(QStringLiteral("l'elemento %1 (%2) non si può misurare sulla Terra")
                                      .arg(layer.elements[*unmeasured].featureId)
                                      .arg(layer.elements[*unmeasured].name));
        return reach;
    }
    reach.rows = static_cast<std::size_t>(std::count_if(reach.reached.begin(), reach.reached.end(),
                                                        [](const Reached &one) { return innermostZone(one.mask); }));
    return reach;
}

// For each element of a run of the index's order, the nearest source that reaches it in each area and
// zone, and its innermost zone over every source; the sources taken in their order, the first of two
// as near kept.
struct Nearest
{
    double distance = 0.0;
    std::size_t source = kNoSource;
    static constexpr std::size_t kNoSource = std::numeric_limits<std::size_t>::max();
};

struct BlockNearest
{
    std::array<std::vector<ElementReach>, kDistanceSlots> areas;
    std::array<std::vector<ElementReach>, kPlanZones.size()> zones;
};

BlockNearest nearestIn(std::size_t first, std::size_t end, const std::vector<SourceReach> &bySource,
                       const ElementIndex &index, const map::GroundSystem &ground, const PointPlaces &places,
                       std::vector<std::optional<PlanZone>> &innermostOfElement)
{
    const std::size_t count = end - first;
    std::array<std::vector<Nearest>, kDistanceSlots> areaNearest;
    std::array<std::vector<Nearest>, kPlanZones.size()> zoneNearest;
    std::vector<std::optional<PlanZone>> innermost(count);
    const auto offer = [&](Nearest &kept, const Reached &reached, std::size_t source) {
        if (kept.source == Nearest::kNoSource
            || (tooCloseToTell(reached.distance, kept.distance)
                    ? compareGeodesics(ground, places, {reached.distance, bySource[source].lonLat, reached.order},
                                       {kept.distance, bySource[kept.source].lonLat, reached.order})
                        < 0
                    : reached.distance < kept.distance))
            kept = {reached.distance, source};
    };
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
                offer(areaNearest[slot][place], *at, source);
            }
            const std::optional<PlanZone> zone = innermostZone(at->mask);
            if (!zone)
                continue;
            if (!innermost[place] || *zone < *innermost[place])
                innermost[place] = *zone;
            std::vector<Nearest> &inZone = zoneNearest[static_cast<std::size_t>(*zone)];
            if (inZone.empty())
                inZone.resize(count);
            offer(inZone[place], *at, source);
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
    const Outcome<PointPlaces> measured = pointPlaces(index, system);
    if (!measured.ok())
        return measured.error();
    const PointPlaces &places = measured.value();
    std::vector<SourceReach> bySource(sources.size());
    forEachIndexInParallel(sources.size(), [&](std::size_t place) {
        bySource[place] = reachOf(layer, index, system, sources[place], places);
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
        runs[run] = nearestIn(run * kRun, std::min(index.size(), (run + 1) * kRun), bySource, index, made.value(),
                              places, innermost);
    });

    // The rows, each source's sorted and filled in on every core.
    std::vector<std::size_t> firstRows;
    std::vector<QPointF> sourceLonLats;
    std::size_t rows = 0;
    for (const SourceReach &ofSource : bySource) {
        firstRows.push_back(rows);
        rows += ofSource.rows;
        sourceLonLats.push_back(ofSource.lonLat);
    }
    reached.bySource.resize(rows);
    forEachIndexInParallel(bySource.size(), [&](std::size_t source) {
        fillRows(bySource[source].reached, source, sourceLonLats[source], index, made.value(), places,
                 reached.bySource.begin() + std::ptrdiff_t(firstRows[source]));
    });
    bySource = {};

    // The areas and zones, nearest first, sorted on every core.
    std::vector<std::size_t> orders(layer.elements.size());
    for (std::size_t order = 0; order < index.size(); ++order)
        orders[index.elementAt(order)] = order;
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
        const auto key = [](const ElementReach &reach) { return std::pair(reach.distance_m, reach.element); };
        std::sort(elements->begin(), elements->end(),
                  [&](const ElementReach &one, const ElementReach &other) { return key(one) < key(other); });
        settleCloseCalls(
            elements->begin(), elements->end(), key,
            [&](const ElementReach &reach) {
                return Measured{reach.distance_m, sourceLonLats[reach.source], orders[reach.element]};
            },
            made.value(), places);
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
