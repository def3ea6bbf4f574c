#pragma once

#include "elements/ElementLayer.h"
#include "map/GroundRing.h"

#include <QPointF>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace elements {

// A layer's elements made once for matching them against damage areas: the points in a grid of their
// own (PointGrid), the other elements as GEOS geometries in GEOS's spatial index (an STRtree over their
// boxes). Which elements an area meets is a look-up of the few near it, then an exact test against the
// area prepared once where a cheaper one cannot tell, never every element against every area.
// Its look-ups may run on several threads at once.
class ElementIndex
{
public:
    // ElementsNotUsable, naming `file`, when GEOS cannot take an element's geometry.
    [[nodiscard]] static Outcome<ElementIndex> of(const std::vector<VulnerableElement> &elements, const QString &file);
    ~ElementIndex();
    ElementIndex(ElementIndex &&) noexcept;
    ElementIndex &operator=(ElementIndex &&) noexcept;

    // The index's own order of the elements, in which it lists what areas meet: the points first, by
    // where they lie, then the others as in the layer. `elementAt` gives an order's place in the layer.
    [[nodiscard]] std::size_t size() const;
    [[nodiscard]] std::size_t elementAt(std::size_t order) const;
    // The points' count: the orders before it are the points', each at pointAt().
    [[nodiscard]] std::size_t points() const;
    [[nodiscard]] QPointF pointAt(std::size_t order) const;

    // An element the areas of one source meet, and which (bit `slot` of the rings).
    struct Met
    {
        std::uint32_t order = 0;
        unsigned rings = 0;
    };
    // The elements (by order, ascending) that meet the areas closed rings of points enclose, their
    // boundaries included: an element that only touches an area meets it. `centre` is any point, one
    // well inside the rings spares exact tests. Nothing when GEOS fails on a ring.
    [[nodiscard]] std::optional<std::vector<Met>> meeting(QPointF centre, const map::AreaRings &rings) const;
    // The point of an element nearest to `point`: the point itself when the element holds it.
    [[nodiscard]] std::optional<QPointF> nearestPoint(std::size_t element, QPointF point) const;

    struct Geos; // GEOS's context, the geometries and the tree

private:
    explicit ElementIndex(std::unique_ptr<Geos> geos);

    std::unique_ptr<Geos> m_geos;
};

} // namespace elements
