#include "cli/ReachedElements.h"

#include "elements/ElementIndex.h"
#include "map/GroundRing.h"
#include "platform/DrivePaths.h"

#include <algorithm>

namespace {

// The box of every ring (the largest's, as they share a centre) grown by a tenth, so that an element
// only touching the outermost ring is read; a metre around the point when no area has a distance.
QRectF regionOf(const map::AreaRings &rings, QPointF ground)
{
    double west = ground.x(), east = ground.x(), south = ground.y(), north = ground.y();
    for (const std::vector<QPointF> &ring : rings) {
        for (const QPointF point : ring) {
            west = std::min(west, point.x());
            east = std::max(east, point.x());
            south = std::min(south, point.y());
            north = std::max(north, point.y());
        }
    }
    if (east - west <= 0.0 || north - south <= 0.0)
        return QRectF(ground - QPointF(1, 1), QSizeF(2, 2));
    const double dx = (east - west) * 0.05, dy = (north - south) * 0.05;
    return QRectF(QPointF(west - dx, south - dy), QPointF(east + dx, north + dy));
}

ElementsRun failed(const Error &error)
{
    ElementsRun run;
    run.failure = BatchFailure{BatchFailure::Kind::Data, error.message()};
    return run;
}

} // namespace

ElementsRun reachedElements(const DrivePaths &drives, const EstimateRequest &request, const Estimate &estimate,
                            QPointF ground, const map::CoordinateSystem &system)
{
    const Outcome<map::AreaRings> rings = map::groundRings(system, ground, estimate.distances);
    if (!rings.ok())
        return failed(rings.error());
    Outcome<elements::ElementLayer> layer = elements::readElementLayer(
        {drives.toLocal(request.elementsFile), request.elementsLayer, system, regionOf(rings.value(), ground)});
    if (!layer.ok())
        return failed(layer.error());
    const Outcome<elements::ElementIndex> index = elements::ElementIndex::of(layer.value().elements, layer.value().file);
    if (!index.ok())
        return failed(index.error());
    Outcome<elements::ElementsReached> reached
        = elements::elementsReached(layer.value(), index.value(), system, {{ground, rings.value()}});
    if (!reached.ok())
        return failed(reached.error());
    ElementsRun run;
    run.warnings = layer.value().warnings;
    run.layer = std::move(layer.value());
    run.reached = std::move(reached.value());
    return run;
}
