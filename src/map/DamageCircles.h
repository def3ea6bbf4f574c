#pragma once

#include "estimate/Estimate.h"
#include "map/GroundRing.h"
#include "map/MapUnits.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRect>

#include <array>
#include <optional>

namespace map {

// The colour of each damage area, in the order of the result set's slots (threshold 1..4 under D5,
// then under F2); the legend names them "Rosso", "Blu", "Cyan", "Giallo", "Verde", "Magenta",
// "Grigio", "Antracite".
[[nodiscard]] const std::array<QColor, kDistanceSlots> &damageAreaColours();

// The radius in drawing units of a damage distance in metres: metres x 100 x scaleFactor, computed
// in double precision and kept in single precision. Nothing for a distance that is not available or
// that gives a negative, non-finite or immeasurably large radius: such an area is not drawn.
[[nodiscard]] std::optional<float> damageRadius(const DamageDistance &distance, double scaleFactor);

// Pixels of a region of a map sheet: `pixels` hold the sheet from pixel `origin` on; `sheet` is the
// size of the whole sheet. Drawings go only on the pixels of `clip` (of `pixels`; all of them when
// null), and are exactly those the whole of `pixels` would get there: a painter clips a line at the
// edge of its image, and would light other pixels along it in an image that ends at the clip. A region
// of the sheet shown zoomed (the map surface's view) holds it at `zoom` pixels a sheet pixel, from
// pixel `origin` of the zoomed sheet on; the drawings keep their lines one pixel wide and their
// symbols their size at any zoom.
struct SheetRegion
{
    QImage &pixels;
    QPoint origin;
    QSize sheet;
    QRect clip{};
    double zoom = 1.0;

    [[nodiscard]] QRect drawable() const { return clip.isNull() ? pixels.rect() : clip.intersected(pixels.rect()); }

    // A position of the sheet (sheet pixels from its top-left corner) in `pixels`.
    [[nodiscard]] QPointF at(QPointF sheetPosition) const { return sheetPosition * zoom - QPointF(origin); }
    // The centre of a sheet pixel for a painter without antialiasing, which draws a point in the pixel
    // whose square holds it: its pixel's own position at zoom 1, as the sheet has always been drawn.
    [[nodiscard]] QPointF centreOf(QPoint sheetPixel) const
    {
        return zoom == 1.0 ? QPointF(sheetPixel - origin)
                           : (QPointF(sheetPixel) + QPointF(0.5, 0.5)) * zoom - QPointF(origin);
    }
    // The pixel that shows the centre of a sheet pixel.
    [[nodiscard]] QPoint pixelOf(QPoint sheetPixel) const;
};

// Draws the eight damage areas, in slot order, as one-pixel outlines centred on a point of the sheet
// given in drawing units; later circles cover earlier ones. A region gets exactly the pixels the
// same region of the whole sheet gets. Returns how many circles were drawn.
int drawDamageCircles(SheetRegion region, const MapUnits &units, QPointF centre, const DamageAreas &areas,
                      double scaleFactor);

// The same on a whole sheet.
inline int drawDamageCircles(QImage &sheet, const MapUnits &units, QPointF centre, const DamageAreas &areas,
                             double scaleFactor)
{
    return drawDamageCircles(SheetRegion{sheet, QPoint(0, 0), sheet.size()}, units, centre, areas, scaleFactor);
}

// The small cross that marks the incident at the centre of its damage areas, over them: a black cross
// of one-pixel lines edged in white, so that it shows on dark and light maps alike.
void drawIncidentCross(SheetRegion region, QPoint centrePixel);

// Draws the damage areas of a georeferenced sheet as they lie on the ground: each ring (in sheet
// pixels, see sheetRings()) as a one-pixel outline through its vertices, in slot order and colour.
// Returns how many rings were drawn.
int drawDamageRings(SheetRegion region, const AreaRings &rings);

inline int drawDamageRings(QImage &sheet, const AreaRings &rings)
{
    return drawDamageRings(SheetRegion{sheet, QPoint(0, 0), sheet.size()}, rings);
}

} // namespace map
