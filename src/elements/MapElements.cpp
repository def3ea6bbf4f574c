#include "elements/MapElements.h"

#include "elements/ElementShapes.h"
#include "map/DamageCircles.h"
#include "map/GroundRing.h"

namespace elements {

namespace {

map::DrawnFeature::Shape drawnShape(ElementShape shape)
{
    switch (shape) {
    case ElementShape::Point: return map::DrawnFeature::Shape::Point;
    case ElementShape::Line: return map::DrawnFeature::Shape::Line;
    case ElementShape::Area: return map::DrawnFeature::Shape::Area;
    }
    return map::DrawnFeature::Shape::Point;
}

} // namespace

Outcome<MapElements> readMapElements(const QString &file, const QString &mapPath,
                                     const map::Georeference &georeference, QSize sheet)
{
    Outcome<ElementLayer> layer
        = readElementLayer({file, QString(), georeference.system, sheetRegion(georeference, sheet)});
    if (!layer.ok())
        return layer.error();
    Outcome<ElementIndex> index = ElementIndex::of(layer.value().elements, layer.value().file);
    if (!index.ok())
        return index.error();
    std::vector<map::DrawnFeature> features;
    features.reserve(layer.value().elements.size());
    for (const VulnerableElement &element : layer.value().elements) {
        map::DrawnFeature feature{drawnShape(element.shape), groundParts(element), element.name, std::nullopt};
        for (std::vector<QPointF> &part : feature.parts)
            for (QPointF &point : part)
                point = georeference.pixelAt(point);
        features.push_back(std::move(feature));
    }
    return MapElements{mapPath, file, std::move(layer.value()), std::move(index.value()), std::move(features)};
}

QColor zoneColour(PlanZone zone)
{
    return map::damageAreaColours()[std::size_t(zoneThreshold(zone) - 1)];
}

Outcome<std::optional<ElementsReached>> reachedByDrawnAreas(const MapElements &elements,
                                                            const map::Georeference &georeference,
                                                            const map::MapUnits &units,
                                                            const std::vector<map::DrawnAreas> &drawn)
{
    std::vector<ReachSource> sources;
    for (const map::DrawnAreas &areas : drawn) {
        if (!areas.rings)
            continue; // circles at another scale than the ground's lie on no ground
        const QPointF ground = map::groundAtUnits(georeference, units, areas.centre);
        Outcome<map::AreaRings> rings = map::groundRings(georeference.system, ground, areas.areas);
        if (!rings.ok())
            return rings.error();
        sources.push_back({ground, std::move(rings.value())});
    }
    if (sources.empty())
        return std::optional<ElementsReached>();
    Outcome<ElementsReached> reached = elementsReached(elements.layer, elements.index, georeference.system, sources);
    if (!reached.ok())
        return reached.error();
    return std::optional<ElementsReached>(std::move(reached.value()));
}

std::vector<map::DrawnFeature> markedFeatures(const MapElements &elements, const std::optional<ElementsReached> &reached)
{
    std::vector<map::DrawnFeature> features = elements.features;
    if (!reached)
        return features;
    for (const PlanZone zone : kPlanZones)
        if (const std::optional<ZoneReach> &inZone = reached->zones[std::size_t(zone)])
            for (const ElementReach &reach : inZone->elements)
                features[reach.element].marked = zoneColour(zone);
    return features;
}

} // namespace elements
