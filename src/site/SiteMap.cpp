#include "site/SiteMap.h"

#include "map/DamageCircles.h"
#include "map/GroundRing.h"
#include "map/GroundSystem.h"
#include "map/MapOpening.h"
#include "map/MapScale.h"
#include "platform/Parallel.h"
#include "site/ItemEstimates.h"
#include "site/SiteErrors.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace site {

namespace {

// Around the circles of a georeferenced site map, so that the outermost ones are not on the edge.
constexpr int kMarginPixels = 50;
constexpr int kCrossPixels = 6;

QString sheetSize(const SiteSheet &sheet)
{
    return QStringLiteral("%1 x %2 cm")
        .arg(sheet.source->size().width() / sheet.units.pixelsPerUnitX(), 0, 'f', 2)
        .arg(sheet.source->size().height() / sheet.units.pixelsPerUnitY(), 0, 'f', 2);
}

QString coordinates(QPointF point)
{
    return QStringLiteral("%1, %2").arg(point.x(), 0, 'f', 2).arg(point.y(), 0, 'f', 2);
}

// A point of one system in another, through longitude and latitude.
std::optional<QPointF> reprojected(QPointF point, const map::CoordinateSystem &from, const map::CoordinateSystem &to)
{
    if (from.wkt == to.wkt)
        return point;
    const Outcome<map::GroundSystem> source = map::GroundSystem::of(from);
    const Outcome<map::GroundSystem> target = map::GroundSystem::of(to);
    if (!source.ok() || !target.ok())
        return std::nullopt;
    const std::optional<QPointF> lonLat = source.value().lonLatAt(point);
    return lonLat ? target.value().pointAt(*lonLat) : std::nullopt;
}

void fail(ItemOutcome &outcome, const QString &message)
{
    outcome.estimate.reset();
    outcome.failure = message;
    outcome.sheetPoint.reset();
    outcome.ground.reset();
}

// Pixels of the sheet each placed item's areas cover, as a box around all of them.
QRectF areasBox(const SiteSheet &sheet, const std::vector<ItemOutcome> &items)
{
    QRectF box;
    for (const ItemOutcome &outcome : items) {
        if (!outcome.estimate || !outcome.sheetPoint)
            continue;
        double metres = 0.0;
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
            if (const std::optional<DistanceFigure> figure = map::groundDistance(outcome.estimate->distances[slot], slot))
                metres = std::max(metres, figure->metres);
        }
        const QPointF centre = QPointF(outcome.sheetPoint->x() * sheet.units.pixelsPerUnitX(),
                                       outcome.sheetPoint->y() * sheet.units.pixelsPerUnitY());
        // metres x 100 x scaleFactor drawing units, the radius the circles are drawn with; on the ground
        // scale the rings follow the ground and the same radius holds them at the sheet's middle, so a
        // tenth more keeps a ring far from the middle inside.
        const double units = metres * 100.0 * sheet.scaleFactor * (sheet.onGround ? 1.1 : 1.0);
        const QRectF around(centre.x() - units * sheet.units.pixelsPerUnitX(),
                            centre.y() - units * sheet.units.pixelsPerUnitY(),
                            2.0 * units * sheet.units.pixelsPerUnitX(), 2.0 * units * sheet.units.pixelsPerUnitY());
        box = box.isNull() ? around : box.united(around);
    }
    return box;
}

QRect pictureRect(const SiteSheet &sheet, const std::vector<ItemOutcome> &items)
{
    const QRect whole = sheet.source->rect();
    if (!sheet.georeference)
        return whole;
    const QRectF box = areasBox(sheet, items);
    if (box.isNull())
        return whole;
    const QRect around = box.toAlignedRect().adjusted(-kMarginPixels, -kMarginPixels, kMarginPixels, kMarginPixels);
    const QRect part = around.intersected(whole);
    return qint64(part.width()) * part.height() < qint64(whole.width()) * whole.height() ? part : whole;
}

void drawLabel(QPainter &painter, QPointF at, const QString &id)
{
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawLine(at + QPointF(-kCrossPixels, 0), at + QPointF(kCrossPixels, 0));
    painter.drawLine(at + QPointF(0, -kCrossPixels), at + QPointF(0, kCrossPixels));
    QPainterPath text;
    text.addText(at + QPointF(kCrossPixels + 3, -kCrossPixels - 2), painter.font(), id);
    // A white halo keeps the id readable over the map's lines and the circles.
    painter.strokePath(text, QPen(Qt::white, 3.0));
    painter.fillPath(text, Qt::black);
}

} // namespace

Outcome<SiteSheet> openSiteSheet(const QString &name, const QString &localPath, std::optional<double> scaleDenominator)
{
    Outcome<map::OpenedMap> opened = map::openMap(localPath);
    if (!opened.ok()) {
        Error error = opened.error();
        if (error.file.isEmpty())
            error.file = name;
        return error;
    }
    SiteSheet sheet;
    sheet.name = name;
    sheet.source = std::move(opened.value().source);
    sheet.georeference = opened.value().georeference;
    sheet.units = sheet.source->units();
    sheet.notice = opened.value().notice;
    if (scaleDenominator) {
        const std::optional<double> factor = map::scaleFactorForDenominator(*scaleDenominator);
        if (!factor) {
            Error error = siteError(Error::Kind::ScaleNotValid);
            error.detail = QString::number(*scaleDenominator);
            return error;
        }
        sheet.scaleFactor = *factor;
    } else if (sheet.georeference) {
        sheet.scaleFactor = map::groundScaleFactor(*sheet.georeference, sheet.units, sheet.source->size());
        sheet.onGround = true;
    } else {
        Error error = siteError(Error::Kind::SiteMapWithoutScale);
        error.file = name;
        return error;
    }
    return sheet;
}

double scaleDenominatorOf(const SiteSheet &sheet)
{
    return std::round(1.0 / sheet.scaleFactor);
}

QStringList placeItems(std::vector<ItemOutcome> &items, const SiteSheet *sheet,
                       const std::optional<map::CoordinateSystem> &system,
                       const std::optional<map::CoordinateSystem> &layerSystem)
{
    QStringList notes;
    for (ItemOutcome &outcome : items) {
        if (!outcome.estimate || !outcome.item.position)
            continue;
        const ItemPosition &position = *outcome.item.position;
        if (position.on == ItemPosition::On::Sheet) {
            if (!sheet) {
                notes << itemLine(outcome.item, QStringLiteral("x_cm, y_cm: senza una mappa la posizione sul foglio non si usa"));
                continue;
            }
            if (!sheet->source->rect().contains(sheet->units.toPixel(position.point))) {
                fail(outcome, QStringLiteral("x_cm, y_cm %1: il punto è fuori dalla mappa, che misura %2")
                                  .arg(coordinates(position.point), sheetSize(*sheet)));
                continue;
            }
            outcome.sheetPoint = position.point;
            if (sheet->georeference)
                outcome.ground = map::groundAtUnits(*sheet->georeference, sheet->units, position.point);
            continue;
        }

        // On the ground: in the layer's own system when the point is its geometry, else in the run's.
        const std::optional<map::CoordinateSystem> &from = layerSystem ? layerSystem : system;
        if (!system || !from) {
            if (sheet)
                fail(outcome, QStringLiteral("est, nord %1: la mappa \"%2\" non è georiferita; indicare la posizione "
                                             "con x_cm, y_cm")
                                  .arg(coordinates(position.point), sheet->name));
            else
                notes << itemLine(outcome.item, QStringLiteral("est, nord: senza un sistema di riferimento la posizione non si usa"));
            continue;
        }
        const std::optional<QPointF> ground = reprojected(position.point, *from, *system);
        if (!ground) {
            fail(outcome, QStringLiteral("est, nord %1: il punto non si può portare nel sistema di riferimento %2")
                              .arg(coordinates(position.point), system->label()));
            continue;
        }
        if (sheet && sheet->georeference) {
            const QPointF point = map::unitsAtGround(*sheet->georeference, sheet->units, *ground);
            if (!sheet->source->rect().contains(sheet->units.toPixel(point))) {
                const QPointF first = sheet->georeference->groundAt(QPointF(0, 0));
                const QPointF last = sheet->georeference->groundAt(
                    QPointF(sheet->source->size().width(), sheet->source->size().height()));
                fail(outcome, QStringLiteral("est, nord %1: il punto è fuori dalla mappa, che copre E da %2 a %3 e N "
                                             "da %4 a %5 (%6)")
                                  .arg(coordinates(*ground))
                                  .arg(std::min(first.x(), last.x()), 0, 'f', 2)
                                  .arg(std::max(first.x(), last.x()), 0, 'f', 2)
                                  .arg(std::min(first.y(), last.y()), 0, 'f', 2)
                                  .arg(std::max(first.y(), last.y()), 0, 'f', 2)
                                  .arg(system->label()));
                continue;
            }
            outcome.sheetPoint = point;
        }
        outcome.ground = *ground;
    }
    return notes;
}

Outcome<QImage> drawSiteMap(const SiteSheet &sheet, const std::vector<ItemOutcome> &items)
{
    const QRect part = pictureRect(sheet, items);
    if (!map::fitsInOnePicture(part.size())) {
        Error error = siteError(Error::Kind::SiteMapTooLarge);
        error.file = sheet.name;
        error.detail = QStringLiteral("%1 x %2").arg(part.width()).arg(part.height());
        return error;
    }
    Outcome<QImage> read = sheet.source->region(part);
    if (!read.ok())
        return read.error();
    // The map's own pixels may be shared with the source: draw on a copy of our own.
    QImage picture = read.value().convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) {
        Error error = siteError(Error::Kind::SiteMapTooLarge);
        error.file = sheet.name;
        error.detail = QStringLiteral("%1 x %2").arg(part.width()).arg(part.height());
        return error;
    }
    const map::SheetRegion region{picture, part.topLeft(), sheet.source->size()};
    // On the ground each item's rings are worked out on every core first, then drawn in the items' order.
    std::vector<std::optional<Outcome<map::AreaRings>>> rings(items.size());
    if (sheet.onGround)
        forEachIndexInParallel(items.size(), [&](std::size_t index) {
            const ItemOutcome &outcome = items[index];
            if (outcome.estimate && outcome.sheetPoint)
                rings[index] = map::sheetRings(*sheet.georeference, *outcome.ground, outcome.estimate->distances);
        });
    for (auto ringsOfItem = rings.cbegin(); const ItemOutcome &outcome : items) {
        const std::optional<Outcome<map::AreaRings>> &itemRings = *ringsOfItem++;
        if (!outcome.estimate || !outcome.sheetPoint)
            continue;
        if (itemRings) {
            if (!itemRings->ok()) {
                Error error = itemRings->error();
                error.file = sheet.name;
                return error;
            }
            map::drawDamageRings(region, itemRings->value());
        } else {
            map::drawDamageCircles(region, sheet.units, *outcome.sheetPoint, outcome.estimate->distances,
                                   sheet.scaleFactor);
        }
    }
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(std::clamp(picture.height() / 60, 11, 28));
    font.setBold(true);
    painter.setFont(font);
    for (const ItemOutcome &outcome : items) {
        if (!outcome.estimate || !outcome.sheetPoint)
            continue;
        const QPointF pixel(outcome.sheetPoint->x() * sheet.units.pixelsPerUnitX() - part.left(),
                            outcome.sheetPoint->y() * sheet.units.pixelsPerUnitY() - part.top());
        drawLabel(painter, pixel, outcome.item.id);
    }
    return picture;
}

} // namespace site
