#pragma once

#include "elements/ElementLayer.h"

#include <QPointF>

#include <memory>
#include <optional>
#include <vector>

namespace elements {

// A layer's elements as GEOS geometries, made once, in GEOS's spatial index (an STRtree over their
// boxes): which elements an area meets is a look-up of the few whose boxes meet the area's box, then
// an exact test against the area prepared once, never every element against every area.
// Its look-ups may run on several threads at once.
class ElementIndex
{
public:
    // ElementsNotUsable, naming `file`, when GEOS cannot take an element's geometry.
    [[nodiscard]] static Outcome<ElementIndex> of(const std::vector<VulnerableElement> &elements, const QString &file);
    ~ElementIndex();
    ElementIndex(ElementIndex &&) noexcept;
    ElementIndex &operator=(ElementIndex &&) noexcept;

    // The elements (their places in the layer, ascending) that meet the area a closed ring of points
    // encloses, its boundary included: an element that only touches it meets it. Nothing when GEOS
    // fails on the ring.
    [[nodiscard]] std::optional<std::vector<std::size_t>> meeting(const std::vector<QPointF> &ring) const;
    // The point of an element nearest to `point`: the point itself when the element holds it.
    [[nodiscard]] std::optional<QPointF> nearestPoint(std::size_t element, QPointF point) const;

    struct Geos; // GEOS's context, the geometries and the tree

private:
    explicit ElementIndex(std::unique_ptr<Geos> geos);

    std::unique_ptr<Geos> m_geos;
};

} // namespace elements
