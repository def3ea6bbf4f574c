#include "map/DamageCircles.h"

#include <QLineF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace map {

namespace {

constexpr int kCrossArm = 6; // pixels from the incident to each end of the cross

// Lights the pixels of `region` that hold the points of a segment (whole-sheet pixel positions), each
// pixel the segment runs through: points half a pixel apart along the whole segment, wherever the
// region lies, so that a region gets exactly the pixels of the same region of the whole sheet.
void lightSegment(SheetRegion region, QPointF from, QPointF to, const QColor &colour)
{
    const QPointF along = to - from;
    if (!std::isfinite(from.x()) || !std::isfinite(from.y()) || !std::isfinite(along.x()) || !std::isfinite(along.y()))
        return;
    const double steps = std::ceil(2.0 * std::max(std::abs(along.x()), std::abs(along.y())));
    if (!(steps < 1e15)) // a segment far longer than any sheet is no drawing
        return;
    // The part of the segment within a pixel of the region.
    double first = 0.0;
    double last = 1.0;
    const auto keepBetween = [&](double start, double change, double low, double high) {
        if (change == 0.0)
            return start >= low && start <= high;
        const double a = (low - start) / change, b = (high - start) / change;
        first = std::max(first, std::min(a, b));
        last = std::min(last, std::max(a, b));
        return first <= last;
    };
    const QRect inside = region.drawable().translated(region.origin);
    if (!keepBetween(from.x(), along.x(), inside.left() - 1.0, inside.right() + 2.0)
        || !keepBetween(from.y(), along.y(), inside.top() - 1.0, inside.bottom() + 2.0))
        return;
    const auto lastStep = qint64(std::ceil(last * steps));
    for (auto step = qint64(std::floor(first * steps)); step <= lastStep; ++step) {
        const double t = steps > 0.0 ? double(step) / steps : 0.0;
        const QPoint pixel(int(std::floor(from.x() + t * along.x())), int(std::floor(from.y() + t * along.y())));
        if (inside.contains(pixel))
            region.pixels.setPixelColor(pixel - region.origin, colour);
    }
}

} // namespace

QPoint SheetRegion::pixelOf(QPoint sheetPixel) const
{
    const QPointF centre = (QPointF(sheetPixel) + QPointF(0.5, 0.5)) * zoom;
    return QPoint(int(std::floor(centre.x())), int(std::floor(centre.y()))) - origin;
}

const std::array<QColor, kDistanceSlots> &damageAreaColours()
{
    static const std::array<QColor, kDistanceSlots> colours{
        QColor(255, 0, 0), QColor(0, 0, 255),   QColor(0, 255, 255),   QColor(255, 255, 0),
        QColor(0, 255, 0), QColor(255, 0, 255), QColor(192, 192, 192), QColor(64, 64, 64)};
    return colours;
}

std::optional<float> damageRadius(const DamageDistance &distance, double scaleFactor)
{
    if (distance.notAvailable)
        return std::nullopt;
    const double radius = distance.metres * scaleFactor * 100.0;
    if (!std::isfinite(radius) || radius < 0.0 || radius > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(radius);
}

int drawDamageCircles(SheetRegion region, const MapUnits &units, QPointF centre, const DamageAreas &areas,
                      double scaleFactor)
{
    if (region.pixels.isNull())
        return 0;
    const QPoint centrePixel = units.toPixel(centre);
    // A circle centred on the sheet and wider than its diagonal never crosses it: skipping it spares
    // the painter circles of millions of pixels (a 10001 m distance at scale 1:1).
    const double reach = std::hypot(region.sheet.width(), region.sheet.height()) + 2.0;
    const bool centreInside = QRect(QPoint(0, 0), region.sheet).contains(centrePixel);

    QPainter painter(&region.pixels);
    if (!region.clip.isNull())
        painter.setClipRect(region.clip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    int drawn = 0;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const std::optional<float> radius = damageRadius(areas[slot], scaleFactor);
        if (!radius)
            continue;
        const double rx = *radius * units.pixelsPerUnitX();
        const double ry = *radius * units.pixelsPerUnitY();
        ++drawn;
        if (centreInside && std::min(rx, ry) > reach)
            continue;
        QPen pen(damageAreaColours()[slot]);
        pen.setWidth(1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawEllipse(region.centreOf(centrePixel), rx * region.zoom, ry * region.zoom);
    }
    return drawn;
}

int drawDamageRings(SheetRegion region, const AreaRings &rings)
{
    if (region.pixels.isNull())
        return 0;
    int drawn = 0;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const std::vector<QPointF> &ring = rings[slot];
        for (std::size_t vertex = 0; vertex + 1 < ring.size(); ++vertex)
            lightSegment(region, ring[vertex] * region.zoom, ring[vertex + 1] * region.zoom,
                         damageAreaColours()[slot]);
        drawn += ring.empty() ? 0 : 1;
    }
    return drawn;
}

void drawIncidentCross(SheetRegion region, QPoint centrePixel)
{
    if (region.pixels.isNull())
        return;
    const QPointF centre = region.centreOf(centrePixel);
    const QLineF across(centre - QPointF(kCrossArm, 0), centre + QPointF(kCrossArm, 0));
    const QLineF down(centre - QPointF(0, kCrossArm), centre + QPointF(0, kCrossArm));
    QPainter painter(&region.pixels);
    if (!region.clip.isNull())
        painter.setClipRect(region.clip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(across);
    painter.drawLine(down);
    painter.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(across);
    painter.drawLine(down);
}

} // namespace map
