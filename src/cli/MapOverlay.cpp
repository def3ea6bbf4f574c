#include "cli/MapOverlay.h"

#include "map/MapFiles.h"
#include "map/MapScale.h"
#include "platform/DrivePaths.h"

#include <QBuffer>
#include <QImageWriter>

#include <cmath>

MapOverlay DrawMapOverlay(const DrivePaths &drives, const EstimateRequest::MapDrawing &drawing,
                          const map::DamageAreas &areas)
{
    MapOverlay overlay;
    Outcome<map::MapBitmap> loaded = map::loadMapBitmap(drives.toLocal(drawing.mapFile));
    if (!loaded.ok()) {
        overlay.error = loaded.error().message();
        return overlay;
    }
    QImage &image = loaded.value().image;
    const map::MapUnits &units = loaded.value().units;

    if (!image.rect().contains(units.toPixel(drawing.point))) {
        overlay.usageError = true;
        overlay.error = QStringLiteral("--point %1,%2: il punto è fuori dalla mappa, che misura %3 x %4 cm")
                            .arg(drawing.point.x())
                            .arg(drawing.point.y())
                            .arg(image.width() / units.pixelsPerUnitX(), 0, 'f', 2)
                            .arg(image.height() / units.pixelsPerUnitY(), 0, 'f', 2);
        return overlay;
    }

    if (drawing.segment) {
        overlay.scaleFactor
            = map::scaleFactorFromSegment(drawing.segment->start, drawing.segment->end, drawing.segment->metres);
    } else {
        const std::optional<double> factor = map::scaleFactorForDenominator(drawing.scaleDenominator.value_or(0.0));
        if (!factor) {
            overlay.usageError = true;
            overlay.error = QStringLiteral("--scale: il denominatore deve essere maggiore di 0");
            return overlay;
        }
        overlay.scaleFactor = *factor;
    }

    overlay.circles = map::drawDamageCircles(image, units, drawing.point, areas, overlay.scaleFactor);

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
