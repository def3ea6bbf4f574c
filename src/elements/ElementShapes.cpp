#include "elements/ElementShapes.h"

#include "map/OgrHandles.h"

#include <ogr_geometry.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace elements {

namespace {


void addLine(const OGRSimpleCurve &curve, std::vector<std::vector<QPointF>> &parts)
{
    std::vector<QPointF> points;
    points.reserve(std::size_t(curve.getNumPoints()));
    for (int i = 0; i < curve.getNumPoints(); ++i)
        points.emplace_back(curve.getX(i), curve.getY(i));
    if (!points.empty())
        parts.push_back(std::move(points));
}

void addParts(const OGRGeometry &geometry, std::vector<std::vector<QPointF>> &parts)
{
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbPoint: {
        const auto &point = *geometry.toPoint();
        if (!point.IsEmpty())
            parts.push_back({QPointF(point.getX(), point.getY())});
        break;
    }
    case wkbLineString:
        addLine(*geometry.toLineString(), parts);
        break;
    case wkbPolygon:
        for (const OGRLinearRing *ring : *geometry.toPolygon())
            addLine(*ring, parts);
        break;
    case wkbMultiPoint:
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry *member : *geometry.toGeometryCollection())
            addParts(*member, parts);
        break;
    default: { // curves and surfaces drawn through their linear approximation
        const map::OgrGeometry linear(geometry.getLinearGeometry());
        if (linear && wkbFlatten(linear->getGeometryType()) != wkbFlatten(geometry.getGeometryType()))
            addParts(*linear, parts);
        break;
    }
    }
}

} // namespace

QRectF sheetRegion(const map::Georeference &georeference, QSize sheet)
{
    const QPointF a = georeference.groundAt(QPointF(0, 0));
    const QPointF b = georeference.groundAt(QPointF(sheet.width(), sheet.height()));
    QRectF extent = QRectF(a, b).normalized();
    double dx = kRegionMargin_m, dy = kRegionMargin_m;
    if (georeference.system.geographic) {
        constexpr double metresPerDegree = 111'320.0;
        const double latitude = std::clamp(std::max(std::abs(extent.top()), std::abs(extent.bottom())), 0.0, 89.0);
        dy = kRegionMargin_m / metresPerDegree;
        dx = std::min(180.0, kRegionMargin_m / (metresPerDegree * std::cos(latitude * std::numbers::pi / 180.0)));
    }
    return extent.adjusted(-dx, -dy, dx, dy);
}

std::vector<std::vector<QPointF>> groundParts(const VulnerableElement &element)
{
    OGRGeometry *read = nullptr;
    std::vector<std::vector<QPointF>> parts;
    if (OGRGeometryFactory::createFromWkb(element.wkb.constData(), nullptr, &read, element.wkb.size()) != OGRERR_NONE
        || !read)
        return parts;
    const map::OgrGeometry geometry(read);
    addParts(*geometry, parts);
    return parts;
}

} // namespace elements
