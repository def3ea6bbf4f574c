#include "elements/ElementIndex.h"

#include "elements/ElementErrors.h"

#include <geos_c.h>

#include <algorithm>

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
    std::vector<GEOSGeometry *> geometries;
    std::vector<std::size_t> places; // each geometry's place in the layer, for the tree's items
    GEOSSTRtree *tree = nullptr;

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
    GEOSWKBReader *reader = GEOSWKBReader_create_r(geos->context);
    geos->geometries.reserve(elements.size());
    for (const VulnerableElement &element : elements) {
        GEOSGeometry *geometry
            = GEOSWKBReader_read_r(geos->context, reader, reinterpret_cast<const unsigned char *>(element.wkb.constData()),
                                   static_cast<std::size_t>(element.wkb.size()));
        if (!geometry) {
            GEOSWKBReader_destroy_r(geos->context, reader);
            Error error = elementsError(Error::Kind::ElementsNotUsable);
            error.file = file;
            error.detail = QStringLiteral("GEOS non accetta la geometria dell'elemento %1 (%2)")
                               .arg(element.featureId)
                               .arg(element.name);
            return error;
        }
        geos->geometries.push_back(geometry);
    }
    GEOSWKBReader_destroy_r(geos->context, reader);

    // The tree holds each element's place in the layer; its node capacity is GEOS's usual one.
    geos->tree = GEOSSTRtree_create_r(geos->context, 10);
    geos->places.resize(elements.size());
    for (std::size_t place = 0; place < elements.size(); ++place) {
        geos->places[place] = place;
        GEOSSTRtree_insert_r(geos->context, geos->tree, geos->geometries[place], &geos->places[place]);
    }
    // The tree is built by its first query: made here, it is only read afterwards, on whatever thread.
    if (!elements.empty()) {
        std::vector<std::size_t> none;
        GEOSSTRtree_query_r(geos->context, geos->tree, geos->geometries.front(), &addPlace, &none);
    }
    return ElementIndex(std::move(geos));
}

std::optional<std::vector<std::size_t>> ElementIndex::meeting(const std::vector<QPointF> &ring) const
{
    const GEOSContextHandle_t context = threadContext();
    const OwnedGeometry area = polygonOf(context, ring);
    if (!area)
        return std::nullopt;
    std::vector<std::size_t> candidates;
    GEOSSTRtree_query_r(context, m_geos->tree, area.get(), &addPlace, &candidates);
    std::sort(candidates.begin(), candidates.end());
    const Prepared prepared(GEOSPrepare_r(context, area.get()), {context});
    if (!prepared)
        return std::nullopt;
    std::vector<std::size_t> met;
    for (const std::size_t place : candidates) {
        const char meets = GEOSPreparedIntersects_r(context, prepared.get(), m_geos->geometries[place]);
        if (meets == 2)
            return std::nullopt;
        if (meets == 1)
            met.push_back(place);
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
