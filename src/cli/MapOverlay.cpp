#include "cli/MapOverlay.h"

#include "cli/GroundPointCheck.h"
#include "map/CircleVisibility.h"
#include "map/GroundRing.h"
#include "map/MapOpening.h"
#include "map/MapScale.h"
#include "platform/DrivePaths.h"

#include <QBuffer>
#include <QImageWriter>

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
                          const std::optional<QPointF> &ground, const map::DamageAreas &areas)
{
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
    if (!map::fitsInOnePicture(source.size())) {
        overlay.error = QStringLiteral("Impossibile disegnare le aree di danno sulla mappa intera \"%1\" (%2 x %3 "
                                       "pixel): immagine troppo grande per un solo file BMP. Usare --export per "
                                       "portarle in un GIS.")
                            .arg(drawing.mapFile)
                            .arg(source.size().width())
                            .arg(source.size().height());
        return overlay;
    }
    Outcome<QImage> whole = source.region(source.rect());
    sheet.reset(); // a map read whole shares its pixels with the region: they are drawn on in place
    if (!whole.ok()) {
        // A block of the file that does not read is no part of the picture to draw on.
        overlay.error = whole.error().message();
        return overlay;
    }
    QImage image = std::move(whole.value());
    if (image.isNull()) {
        overlay.error = QStringLiteral("Impossibile disegnare le aree di danno sulla mappa \"%1\": memoria "
                                       "insufficiente.")
                            .arg(drawing.mapFile);
        return overlay;
    }
    if (overlay.onGround) {
        // At the georeference's own scale the areas are drawn as they lie on the ground.
        const Outcome<map::AreaRings> rings = map::sheetRings(*georeference, *overlay.ground, areas);
        if (!rings.ok()) {
            Error error = rings.error();
            error.file = drawing.mapFile;
            overlay.error = error.message();
            return overlay;
        }
        overlay.circles = map::drawDamageRings(image, rings.value());
    } else {
        overlay.circles = map::drawDamageCircles(image, units, point, areas, overlay.scaleFactor);
    }
    // The incident marked as in the map window.
    map::drawIncidentCross(map::SheetRegion{image, QPoint(0, 0), image.size()}, units.toPixel(point));
    const QString unseen = map::unseenCirclesNotice(
        map::circleVisibility(areas, overlay.scaleFactor, units, image.size(), point), overlay.scaleFactor);
    if (!unseen.isEmpty())
        overlay.notice += (overlay.notice.isEmpty() ? QString() : QStringLiteral("\n")) + unseen;

    // The saved map keeps the drawing unit it was read with, also when its file stated none.
    units.stampOn(image);
    QBuffer buffer(&overlay.bmp);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image)) {
        overlay.bmp.clear();
        overlay.error
            = QStringLiteral("Impossibile preparare la mappa con le aree di danno: immagine non scrivibile come BMP.");
    }
    return overlay;
}
