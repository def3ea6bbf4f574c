#pragma once

#include "map/GroundSystem.h"
#include "map/MapUnits.h"
#include "platform/Error.h"

#include <QPointF>
#include <QString>

#include <optional>

namespace map {

// How a length drawn on a sheet is read in metres on the ground, as the damage areas are drawn: on a
// georeferenced sheet at its own scale, as the geodesic between the two places (through the sheet's
// georeference and the ground system); at a chosen scale, by the scale's arithmetic (the inverse of a
// circle's radius: drawing units / (100 x scale factor)).
class DistanceMeasure
{
public:
    [[nodiscard]] static DistanceMeasure atScale(double scaleFactor);
    // MapGeoreferenceInvalid when PROJ cannot relate the sheet's system to the ground.
    [[nodiscard]] static Outcome<DistanceMeasure> onGround(const Georeference &georeference, const MapUnits &units);

    // The metres between two points of the sheet in drawing units; nothing where the ground has no
    // answer (a point off the Earth, a scale of 0).
    [[nodiscard]] std::optional<double> metres(QPointF from, QPointF to) const;
    [[nodiscard]] bool isOnGround() const { return m_ground.has_value(); }
    // What the metres are: "sul terreno", or "alla scala 1:N".
    [[nodiscard]] QString basis() const;

private:
    struct Ground
    {
        Georeference georeference;
        MapUnits units;
        GroundSystem system;
    };
    double m_scaleFactor = 0.0;
    std::optional<Ground> m_ground;
};

// A length as the measure shows it: "1234.5 m", a metre's tenth below 10 km, whole metres above.
[[nodiscard]] QString metresText(double metres);

} // namespace map
