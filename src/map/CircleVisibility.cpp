#include "map/CircleVisibility.h"

#include "map/MapScale.h"

#include <algorithm>
#include <cmath>

namespace map {

CircleVisibility circleVisibility(const DamageAreas &areas, double scaleFactor, const MapUnits &units, QSize sheet,
                                  QPointF centre)
{
    // The sheet's corner farthest from the centre, in drawing units: a circle reaching beyond it
    // leaves the whole sheet inside.
    const double right = sheet.width() / units.pixelsPerUnitX();
    const double bottom = sheet.height() / units.pixelsPerUnitY();
    const double farthest = std::hypot(std::max(std::abs(centre.x()), std::abs(right - centre.x())),
                                       std::max(std::abs(centre.y()), std::abs(bottom - centre.y())));
    const double onePixel = 1.0 / std::min(units.pixelsPerUnitX(), units.pixelsPerUnitY());

    int drawn = 0, belowOnePixel = 0, aroundTheSheet = 0;
    for (const DamageDistance &distance : areas) {
        const std::optional<float> radius = damageRadius(distance, scaleFactor);
        if (!radius || distance.metres <= 0.0)
            continue;
        ++drawn;
        belowOnePixel += *radius < onePixel;
        aroundTheSheet += *radius > farthest;
    }
    if (drawn == 0)
        return CircleVisibility::NoneToDraw;
    if (belowOnePixel == drawn)
        return CircleVisibility::AllBelowOnePixel;
    if (aroundTheSheet == drawn)
        return CircleVisibility::AllAroundTheSheet;
    return CircleVisibility::Seen;
}

QString unseenCirclesNotice(CircleVisibility visibility, double scaleFactor)
{
    switch (visibility) {
    case CircleVisibility::AllBelowOnePixel:
        return QStringLiteral("Alla scala %1 ogni cerchio di danno ha un raggio inferiore a un pixel della mappa: "
                              "sulla mappa non si vede nessuna area di danno. Controllare la scala.")
            .arg(scaleText(scaleFactor));
    case CircleVisibility::AllAroundTheSheet:
        return QStringLiteral("Alla scala %1 ogni cerchio di danno è più grande della mappa e la racchiude tutta: "
                              "sulla mappa non si vede nessuna area di danno. Controllare la scala.")
            .arg(scaleText(scaleFactor));
    case CircleVisibility::Seen:
    case CircleVisibility::NoneToDraw: break;
    }
    return {};
}

} // namespace map
