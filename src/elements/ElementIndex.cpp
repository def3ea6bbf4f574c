#include "elements/ElementIndex.h"

#include "elements/ElementErrors.h"
#include "elements/PointGrid.h"

#include <geos_c.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace elements {

namespace {

// GEOS tells its failures through the return values: its messages would only reach the terminal.
void quiet(const char *, void *) { }

// GEOS's context of this thread: a context may serve one thread at a time, while the geometries and the
// built tree are only read by the queries, so that the sources of a site can be matched on every core.
GEOSContextHandle_t threadContext()
{
    struct Context
    {
        GEOSContextHandle_t handle = GEOS_init_r();
        Context() { GEOSContext_setErrorMessageHandler_r(handle, &quiet, nullptr); }
        ~Context() { GEOS_finish_r(handle); }
        Context(const Context &) = delete;
        Context &operator=(const Context &) = delete;
    };
    thread_local const Context context;
    return context.handle;
}

void addPlace(void *item, void *found)
{
    static_cast<std::vector<std::size_t> *>(found)->push_back(*static_cast<const std::size_t *>(item));
}

} // namespace

struct ElementIndex::Geos
{
    GEOSContextHandle_t context = GEOS_init_r();
    std::vector<GEOSGeometry *> geometries; // by place in the layer
    PointGrid points;
    std::vector<std::size_t> elements; // by order
    std::vector<std::size_t> treeOrders; // the orders of the elements in the tree, for its items
    GEOSSTRtree *tree = nullptr; // of the elements but the points; none when there are none

    Geos() { GEOSContext_setErrorMessageHandler_r(context, &quiet, nullptr); }
    ~Geos()
    {
        if (tree)
            GEOSSTRtree_destroy_r(context, tree);
        for (GEOSGeometry *geometry : geometries)
            GEOSGeom_destroy_r(context, geometry);
        GEOS_finish_r(context);
    }
    Geos(const Geos &) = delete;
    Geos &operator=(const Geos &) = delete;
};

namespace {

struct GeometryOwner
{
    GEOSContextHandle_t context;
    void operator()(GEOSGeometry *geometry) const { GEOSGeom_destroy_r(context, geometry); }
};
using OwnedGeometry = std::unique_ptr<GEOSGeometry, GeometryOwner>;

struct PreparedOwner
{
    GEOSContextHandle_t context;
    void operator()(const GEOSPreparedGeometry *prepared) const { GEOSPreparedGeom_destroy_r(context, prepared); }
};
using Prepared = std::unique_ptr<const GEOSPreparedGeometry, PreparedOwner>;

struct CoordinatesOwner
{
    GEOSContextHandle_t context;
    void operator()(GEOSCoordSequence *sequence) const { GEOSCoordSeq_destroy_r(context, sequence); }
};
using Coordinates = std::unique_ptr<GEOSCoordSequence, CoordinatesOwner>;

OwnedGeometry polygonOf(GEOSContextHandle_t context, const std::vector<QPointF> &ring)
{
    std::vector<double> xy;
    xy.reserve(ring.size() * 2 + 2);
    for (const QPointF point : ring) {
        xy.push_back(point.x());
        xy.push_back(point.y());
    }
    if (ring.size() < 3)
        return OwnedGeometry(nullptr, {context});
    if (ring.front().x() != ring.back().x() || ring.front().y() != ring.back().y()) {
        xy.push_back(ring.front().x());
        xy.push_back(ring.front().y());
    }
    GEOSCoordSequence *sequence
        = GEOSCoordSeq_copyFromBuffer_r(context, xy.data(), static_cast<unsigned>(xy.size() / 2), 0, 0);
    GEOSGeometry *shell = sequence ? GEOSGeom_createLinearRing_r(context, sequence) : nullptr;
    return OwnedGeometry(shell ? GEOSGeom_createPolygon_r(context, shell, nullptr, 0) : nullptr, {context});
}

} // namespace

ElementIndex::ElementIndex(std::unique_ptr<Geos> geos)
    : m_geos(std::move(geos))
{ }

ElementIndex::~ElementIndex() = default;
ElementIndex::ElementIndex(ElementIndex &&) noexcept = default;
ElementIndex &ElementIndex::operator=(ElementIndex &&) noexcept = default;

Outcome<ElementIndex> ElementIndex::of(const std::vector<VulnerableElement> &elements, const QString &file)
{
    auto geos = std::make_unique<Geos>();
    const auto refused = [&](const QString &detail) {
        Error error = elementsError(Error::Kind::ElementsNotUsable);
        error.file = file;
        error.detail = detail;
        return error;
    };
    if (elements.size() > std::numeric_limits<std::uint32_t>::max())
        return refused(QStringLiteral("troppi elementi"));
    GEOSWKBReader *reader = GEOSWKBReader_create_r(geos->context);
    geos->geometries.reserve(elements.size());
    // A point's place as GEOS reads it, for the grid; the other elements go to the tree.
    std::vector<QPointF> points;
    std::vector<std::size_t> pointElements;
    std::vector<std::size_t> others;
    for (const VulnerableElement &element : elements) {
        GEOSGeometry *geometry = GEOSWKBReader_read_r(geos->context, reader,
                                                      reinterpret_cast<const unsigned char *>(element.wkb.constData()),
                                                      static_cast<std::size_t>(element.wkb.size()));
        if (!geometry) {
            GEOSWKBReader_destroy_r(geos->context, reader);
            return refused(QStringLiteral("GEOS non accetta la geometria dell'elemento %1 (%2)")
                               .arg(element.featureId)
                               .arg(element.name));
        }
        geos->geometries.push_back(geometry);
        double x = 0.0;
        double y = 0.0;
        if (GEOSGeomTypeId_r(geos->context, geometry) == GEOS_POINT && GEOSisEmpty_r(geos->context, geometry) == 0
            && GEOSGeomGetX_r(geos->context, geometry, &x) == 1 && GEOSGeomGetY_r(geos->context, geometry, &y) == 1
            && std::isfinite(x) && std::isfinite(y)) {
            points.emplace_back(x, y);
            pointElements.push_back(geos->geometries.size() - 1);
        } else {
            others.push_back(geos->geometries.size() - 1);
        }
    }
    GEOSWKBReader_destroy_r(geos->context, reader);

    geos->points = PointGrid(points);
    geos->elements.reserve(elements.size());
    for (std::size_t order = 0; order < geos->points.size(); ++order)
        geos->elements.push_back(pointElements[geos->points.placeOf(order)]);
    geos->elements.insert(geos->elements.end(), others.begin(), others.end());

    // The tree holds each other element's order; its node capacity is GEOS's usual one.
    if (!others.empty()) {
        geos->tree = GEOSSTRtree_create_r(geos->context, 10);
        geos->treeOrders.resize(others.size());
        for (std::size_t other = 0; other < others.size(); ++other) {
            geos->treeOrders[other] = points.size() + other;
            GEOSSTRtree_insert_r(geos->context, geos->tree, geos->geometries[others[other]], &geos->treeOrders[other]);
        }
        // The tree is built by its first query: made here, it is only read afterwards, on whatever thread.
        std::vector<std::size_t> none;
        GEOSSTRtree_query_r(geos->context, geos->tree, geos->geometries[others.front()], &addPlace, &none);
    }
    return ElementIndex(std::move(geos));
}

std::size_t ElementIndex::size() const
{
    return m_geos->elements.size();
}

std::size_t ElementIndex::elementAt(std::size_t order) const
{
    return m_geos->elements[order];
}

std::size_t ElementIndex::points() const
{
    return m_geos->points.size();
}

QPointF ElementIndex::pointAt(std::size_t order) const
{
    return m_geos->points.at(order);
}

namespace {

double squared(double x)
{
    return x * x;
}

// One area around a centre, as GEOS tests it and as two discs about the centre tell it without GEOS:
// a point nearer than the inner disc's radius is inside the ring, one farther than the outer's outside.
struct Area
{
    std::size_t slot = 0;
    OwnedGeometry polygon;
    Prepared prepared;
    double west = 0.0;
    double south = 0.0;
    double east = 0.0;
    double north = 0.0;
    double inner2 = -1.0; // the radii squared; none inside when the centre is not inside the ring
    double outer2 = 0.0;
};

double toSegment2(QPointF point, QPointF from, QPointF to)
{
    const double dx = to.x() - from.x();
    const double dy = to.y() - from.y();
    const double length2 = dx * dx + dy * dy;
    const double along = length2 > 0.0
        ? std::clamp(((point.x() - from.x()) * dx + (point.y() - from.y()) * dy) / length2, 0.0, 1.0)
        : 0.0;
    return squared(from.x() + along * dx - point.x()) + squared(from.y() + along * dy - point.y());
}

// The discs of a ring about a centre. The outer holds every vertex, so the ring and what it encloses.
// The inner, when the centre is inside, reaches no side of the ring: every point of it is where the
// centre is, inside (GEOS tells inside from outside by the parity of the sides a ray crosses, which
// changes only across a side). Both are kept a margin, far above the rounding of these sums, from
// the ring; a point within the margin goes to GEOS. The centre, nearer to no side than the margin,
// cannot be misplaced by rounding where a ray from it crosses a side.
void setDiscs(Area &area, QPointF centre, const std::vector<QPointF> &ring)
{
    area.west = area.east = ring.front().x();
    area.south = area.north = ring.front().y();
    double nearest2 = std::numeric_limits<double>::infinity();
    double farthest2 = 0.0;
    bool inside = false;
    for (std::size_t at = 0; at < ring.size(); ++at) {
        const QPointF from = ring[at];
        const QPointF to = ring[(at + 1) % ring.size()];
        area.west = std::min(area.west, from.x());
        area.east = std::max(area.east, from.x());
        area.south = std::min(area.south, from.y());
        area.north = std::max(area.north, from.y());
        farthest2 = std::max(farthest2, squared(from.x() - centre.x()) + squared(from.y() - centre.y()));
        nearest2 = std::min(nearest2, toSegment2(centre, from, to));
        if ((from.y() > centre.y()) != (to.y() > centre.y())
            && from.x() + (centre.y() - from.y()) * (to.x() - from.x()) / (to.y() - from.y()) > centre.x())
            inside = !inside;
    }
    const double farthest = std::sqrt(farthest2);
    const double margin = 1e-5 * farthest + 1e-9 * (std::abs(centre.x()) + std::abs(centre.y()) + farthest);
    const double inner = std::sqrt(nearest2) - margin;
    area.inner2 = inside && inner > 0.0 ? inner * inner : -1.0;
    area.outer2 = squared(farthest + margin);
}

} // namespace

std::optional<std::vector<ElementIndex::Met>> ElementIndex::meeting(QPointF centre, const map::AreaRings &rings) const
{
    const GEOSContextHandle_t context = threadContext();
    std::vector<Area> areas;
    for (std::size_t slot = 0; slot < rings.size(); ++slot) {
        if (rings[slot].empty())
            continue;
        Area area{slot, polygonOf(context, rings[slot]), Prepared(nullptr, {context})};
        if (!area.polygon)
            return std::nullopt;
        area.prepared = Prepared(GEOSPrepare_r(context, area.polygon.get()), {context});
        if (!area.prepared)
            return std::nullopt;
        setDiscs(area, centre, rings[slot]);
        areas.push_back(std::move(area));
    }
    std::vector<Met> met;
    if (areas.empty())
        return met;

    // The points, cell by cell: a cell within an area's inner disc is inside it whole, one out of its
    // box or outer disc outside; the points of the rest each against the discs, then GEOS.
    bool failed = false;
    const auto exactly = [&](const Area &area, QPointF point) {
        const OwnedGeometry geometry(GEOSGeom_createPointFromXY_r(context, point.x(), point.y()), {context});
        const char meets = geometry ? GEOSPreparedIntersects_r(context, area.prepared.get(), geometry.get()) : 2;
        failed = failed || meets == 2;
        return meets == 1;
    };
    double west = areas.front().west;
    double south = areas.front().south;
    double east = areas.front().east;
    double north = areas.front().north;
    for (const Area &area : areas) {
        west = std::min(west, area.west);
        south = std::min(south, area.south);
        east = std::max(east, area.east);
        north = std::max(north, area.north);
    }
    m_geos->points.forEachCellMeeting(
        QRectF(QPointF(west, south), QPointF(east, north)), [&](const PointGrid::Cell &cell) {
            const double nearest2 = squared(std::max({cell.west - centre.x(), 0.0, centre.x() - cell.east}))
                + squared(std::max({cell.south - centre.y(), 0.0, centre.y() - cell.north}));
            const double farthest2 = squared(std::max(centre.x() - cell.west, cell.east - centre.x()))
                + squared(std::max(centre.y() - cell.south, cell.north - centre.y()));
            unsigned whole = 0;
            std::array<const Area *, kDistanceSlots> some{};
            std::size_t someCount = 0;
            for (const Area &area : areas) {
                if (cell.west > area.east || cell.east < area.west || cell.south > area.north || cell.north < area.south
                    || nearest2 > area.outer2)
                    continue;
                if (farthest2 < area.inner2)
                    whole |= 1U << area.slot;
                else
                    some[someCount++] = &area;
            }
            if (!whole && someCount == 0)
                return;
            for (std::uint32_t order = cell.first; order < cell.end && !failed; ++order) {
                unsigned inside = whole;
                const QPointF point = m_geos->points.at(order);
                const double distance2 = squared(point.x() - centre.x()) + squared(point.y() - centre.y());
                for (std::size_t at = 0; at < someCount; ++at) {
                    const Area *area = some[at];
                    if (distance2 < area->inner2
                        || (distance2 <= area->outer2 && point.x() >= area->west && point.x() <= area->east
                            && point.y() >= area->south && point.y() <= area->north && exactly(*area, point)))
                        inside |= 1U << area->slot;
                }
                if (inside)
                    met.push_back({order, inside});
            }
        });
    if (failed)
        return std::nullopt;

    // The other elements through the tree, each candidate tested by GEOS.
    if (m_geos->tree) {
        std::vector<Met> others;
        for (const Area &area : areas) {
            std::vector<std::size_t> candidates;
            GEOSSTRtree_query_r(context, m_geos->tree, area.polygon.get(), &addPlace, &candidates);
            for (const std::size_t order : candidates) {
                const char meets = GEOSPreparedIntersects_r(context, area.prepared.get(),
                                                            m_geos->geometries[m_geos->elements[order]]);
                if (meets == 2)
                    return std::nullopt;
                if (meets == 1)
                    others.push_back({static_cast<std::uint32_t>(order), 1U << area.slot});
            }
        }
        std::sort(others.begin(), others.end(),
                  [](const Met &one, const Met &other) { return one.order < other.order; });
        for (const Met &other : others) {
            if (!met.empty() && met.back().order == other.order)
                met.back().rings |= other.rings;
            else
                met.push_back(other);
        }
    }
    return met;
}

std::optional<QPointF> ElementIndex::nearestPoint(std::size_t element, QPointF point) const
{
    const GEOSContextHandle_t context = threadContext();
    const OwnedGeometry from(GEOSGeom_createPointFromXY_r(context, point.x(), point.y()), {context});
    if (!from || element >= m_geos->geometries.size())
        return std::nullopt;
    const Coordinates nearest(GEOSNearestPoints_r(context, m_geos->geometries[element], from.get()), {context});
    double x = 0.0;
    double y = 0.0;
    if (!nearest || !GEOSCoordSeq_getXY_r(context, nearest.get(), 0, &x, &y))
        return std::nullopt;
    return QPointF(x, y);
}

} // namespace elements
