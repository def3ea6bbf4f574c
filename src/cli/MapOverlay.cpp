#include "cli/MapOverlay.h"

#include "cli/GroundPointCheck.h"
#include "map/CircleVisibility.h"
#include "map/GroundRing.h"
#include "map/MapOpening.h"
#include "map/MapScale.h"
#include "map/SavedSheet.h"
#include "map/SheetLegend.h"
#include "platform/DrivePaths.h"

namespace {

MapOverlay usageError(const QString &message)
{
    MapOverlay overlay;
    overlay.usageError = true;
    overlay.error = message;
    return overlay;
}

QString sheetSize(QSize pixels, const map::MapUnits &units)
{
    return QStringLiteral("%1 x %2 cm")
        .arg(pixels.width() / units.pixelsPerUnitX(), 0, 'f', 2)
        .arg(pixels.height() / units.pixelsPerUnitY(), 0, 'f', 2);
}

} // namespace

MapOverlay drawMapOverlay(const DrivePaths &drives, const EstimateRequest::MapDrawing &drawing,
                          const std::optional<QPointF> &ground, const Estimate &estimate, const QDateTime &now)
{
    const map::DamageAreas &areas = estimate.distances;
    MapOverlay overlay;
    Outcome<map::OpenedMap> opened = map::openMap(drives.toLocal(drawing.mapFile));
    if (!opened.ok()) {
        overlay.error = opened.error().message();
        return overlay;
    }
    std::shared_ptr<const map::MapSource> sheet = std::move(opened.value().source);
    const map::MapSource &source = *sheet;
    const std::optional<map::Georeference> georeference = opened.value().georeference;
    const map::MapUnits units = source.units();
    overlay.notice = opened.value().notice;

    QPointF point;
    if (drawing.point) {
        point = *drawing.point;
    } else {
        if (!georeference)
            return usageError(QStringLiteral("--at: la mappa %1 non è georiferita; indicare il punto con --point X,Y")
                                  .arg(drawing.mapFile));
        const GroundPointCheck checked = checkGroundPoint(georeference->system, *ground);
        if (!checked.usageError.isEmpty())
            return usageError(checked.usageError);
        overlay.warning = checked.warning;
        point = map::unitsAtGround(*georeference, units, *ground);
    }
    if (!source.rect().contains(units.toPixel(point))) {
        if (drawing.point)
            return usageError(QStringLiteral("--point %1,%2: il punto è fuori dalla mappa, che misura %3")
                                  .arg(point.x())
                                  .arg(point.y())
                                  .arg(sheetSize(source.size(), units)));
        const QPointF first = georeference->groundAt(QPointF(0, 0));
        const QPointF last = georeference->groundAt(QPointF(source.size().width(), source.size().height()));
        return usageError(QStringLiteral("--at %1,%2: il punto è fuori dalla mappa, che copre E da %3 a %4 e N da %5 "
                                         "a %6 (%7)")
                              .arg(ground->x(), 0, 'f', 2)
                              .arg(ground->y(), 0, 'f', 2)
                              .arg(std::min(first.x(), last.x()), 0, 'f', 2)
                              .arg(std::max(first.x(), last.x()), 0, 'f', 2)
                              .arg(std::min(first.y(), last.y()), 0, 'f', 2)
                              .arg(std::max(first.y(), last.y()), 0, 'f', 2)
                              .arg(georeference->system.label()));
    }
    if (georeference) {
        overlay.ground = ground ? *ground : map::groundAtUnits(*georeference, units, point);
        overlay.system = georeference->system;
    }

    if (drawing.segment) {
        overlay.scaleFactor
            = map::scaleFactorFromSegment(drawing.segment->start, drawing.segment->end, drawing.segment->metres);
    } else if (drawing.scaleDenominator) {
        const std::optional<double> factor = map::scaleFactorForDenominator(*drawing.scaleDenominator);
        if (!factor)
            return usageError(QStringLiteral("--scale: il denominatore deve essere maggiore di 0"));
        overlay.scaleFactor = *factor;
    } else if (georeference) {
        overlay.scaleFactor = map::groundScaleFactor(*georeference, units, source.size());
        overlay.onGround = true;
    } else {
        return usageError(
            QStringLiteral("per disegnare su una mappa non georiferita serve una fra --scale e --segment"));
    }

    if (drawing.outFile.isEmpty())
        return overlay;
    map::DrawnAreas drawn{point, areas, overlay.scaleFactor};
    // The picture without a legend stays the one it has always been; with one, the incident is
    // marked as in the map window.
    drawn.marked = drawing.legend;
    if (overlay.onGround) {
        // At the georeference's own scale the areas are drawn as they lie on the ground.
        Outcome<map::AreaRings> rings = map::sheetRings(*georeference, *overlay.ground, areas);
        if (!rings.ok()) {
            Error error = rings.error();
            error.file = drawing.mapFile;
            overlay.error = error.message();
            return overlay;
        }
        drawn.rings = std::move(rings.value());
    }
    overlay.drawings.addAreas(drawn);
    const QRectF box = map::areasBox({drawn}, units);
    const QRect part = map::savedPart(source.size(), box);
    if (part.isEmpty()) {
        overlay.error = QStringLiteral("Impossibile disegnare le aree di danno sulla mappa \"%1\" (%2 x %3 pixel): "
                                       "la mappa, e anche la sua parte intorno alle aree di danno, è troppo grande "
                                       "per un solo file. Usare --export per portarle in un GIS.")
                            .arg(drawing.mapFile)
                            .arg(source.size().width())
                            .arg(source.size().height());
        return overlay;
    }
    const QString unseen = map::unseenCirclesNotice(
        map::circleVisibility(areas, overlay.scaleFactor, units, source.size(), point), overlay.scaleFactor);
    if (!unseen.isEmpty())
        overlay.notice += (overlay.notice.isEmpty() ? QString() : QStringLiteral("\n")) + unseen;

    overlay.picture.part = part;
    overlay.picture.georeference = georeference;
    if (drawing.legend) {
        const std::vector<QPointF> incidents = overlay.ground ? std::vector<QPointF>{*overlay.ground}
                                                              : std::vector<QPointF>{};
        const map::SheetLegend legend = map::sheetLegend(
            {estimate, areas, overlay.scaleFactor, overlay.onGround, now, incidents, overlay.system});
        map::PlacedLegend placed = map::placedLegend(legend, units, part, box);
        overlay.picture.legend = std::move(placed.image);
        overlay.picture.legendAt = placed.at;
    }
    overlay.source = std::move(sheet);
    return overlay;
}
