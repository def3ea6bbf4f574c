#include "map/FeatureDrawing.h"

#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace map {

namespace {

constexpr double kSymbolHalf = 4.0; // a point's square: 9 pixels a side

QPolygonF polygonOf(const std::vector<QPointF> &points, const SheetRegion &region)
{
    QPolygonF polygon;
    polygon.reserve(qsizetype(points.size()));
    for (const QPointF point : points)
        polygon << region.at(point);
    return polygon;
}

double distanceToSegment(QPointF point, QPointF a, QPointF b)
{
    const QPointF along = b - a;
    const double length2 = QPointF::dotProduct(along, along);
    const double t = length2 > 0.0 ? std::clamp(QPointF::dotProduct(point - a, along) / length2, 0.0, 1.0) : 0.0;
    return QLineF(point, a + t * along).length();
}

} // namespace

QColor unmarkedFeatureColour()
{
    return QColor(64, 64, 64);
}

void drawFeatures(SheetRegion region, const std::vector<DrawnFeature> &features)
{
    if (region.pixels.isNull() || features.empty())
        return;
    QPainter painter(&region.pixels);
    if (!region.clip.isNull())
        painter.setClipRect(region.clip);
    painter.setBrushOrigin(-QPointF(region.origin)); // hatching lies where the whole sheet has it
    for (const DrawnFeature &feature : features) {
        const QColor outline = feature.marked ? feature.marked->darker(160) : unmarkedFeatureColour();
        switch (feature.shape) {
        case DrawnFeature::Shape::Point:
            painter.setPen(QPen(outline, 1.0));
            painter.setBrush(feature.marked ? QBrush(*feature.marked) : QBrush(Qt::white));
            for (const std::vector<QPointF> &part : feature.parts)
                for (const QPointF point : part) {
                    const QPointF at = region.at(point);
                    painter.drawRect(QRectF(std::floor(at.x()) - kSymbolHalf, std::floor(at.y()) - kSymbolHalf,
                                            2 * kSymbolHalf, 2 * kSymbolHalf));
                }
            break;
        case DrawnFeature::Shape::Line:
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(feature.marked ? *feature.marked : outline, feature.marked ? 3.0 : 2.0, Qt::SolidLine,
                                Qt::FlatCap, Qt::RoundJoin));
            for (const std::vector<QPointF> &part : feature.parts)
                painter.drawPolyline(polygonOf(part, region));
            break;
        case DrawnFeature::Shape::Area: {
            QPainterPath path;
            path.setFillRule(Qt::OddEvenFill); // holes stay open
            for (const std::vector<QPointF> &part : feature.parts)
                path.addPolygon(polygonOf(part, region));
            // An unmarked area is hatched, so that it stands apart from the map's own buildings.
            QColor fill = feature.marked ? *feature.marked : unmarkedFeatureColour();
            fill.setAlpha(feature.marked ? 110 : 255);
            painter.setBrush(feature.marked ? QBrush(fill) : QBrush(fill, Qt::BDiagPattern));
            painter.setPen(QPen(feature.marked ? *feature.marked : outline, 2.0));
            painter.drawPath(path);
            break;
        }
        }
    }
}

std::optional<std::size_t> featureAt(const std::vector<DrawnFeature> &features, QPointF pixel, double tolerance)
{
    for (std::size_t i = features.size(); i-- > 0;) {
        const DrawnFeature &feature = features[i];
        QPainterPath area;
        area.setFillRule(Qt::OddEvenFill);
        for (const std::vector<QPointF> &part : feature.parts) {
            if (feature.shape == DrawnFeature::Shape::Point) {
                for (const QPointF point : part)
                    if (QLineF(point, pixel).length() <= tolerance + kSymbolHalf)
                        return i;
                continue;
            }
            for (std::size_t vertex = 0; vertex + 1 < part.size(); ++vertex)
                if (distanceToSegment(pixel, part[vertex], part[vertex + 1]) <= tolerance)
                    return i;
            if (feature.shape == DrawnFeature::Shape::Area)
                area.addPolygon(QPolygonF(QList<QPointF>(part.begin(), part.end())));
        }
        if (feature.shape == DrawnFeature::Shape::Area && area.contains(pixel))
            return i;
    }
    return std::nullopt;
}

} // namespace map
