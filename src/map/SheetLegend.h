#pragma once

#include "estimate/Estimate.h"
#include "map/Georeference.h"
#include "map/GroundRing.h"

#include <QColor>
#include <QDateTime>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace map {

// The legend a saved or printed sheet carries, so that the picture says on its own what it shows:
// what was estimated, the areas' colours and distances, the scale, when, and where the incident is.

// One line of a legend: its text, after a swatch of the colour when it names a damage area.
struct LegendLine
{
    QString text;
    std::optional<QColor> swatch{};
};

struct SheetLegend
{
    QString title;
    std::vector<LegendLine> lines;
};

// What a legend is made from.
struct LegendFacts
{
    const Estimate &estimate;
    const DamageAreas &areas; // as drawn (the estimate's, or eight of 0 m after a reset)
    double scaleFactor = 0.0; // the scale the areas were drawn at
    bool onGround = false; // drawn as they lie on the ground, at the georeference's own scale
    QDateTime when;
    // Where each incident drawn lies, in this system, on a georeferenced sheet.
    std::vector<QPointF> incidents{};
    std::optional<CoordinateSystem> system{};
};

// The legend's lines, in Italian: substance, scenario, hypothesis, the eight areas with their colours
// (map::damageAreaColours()) and distances, the scale, date and time, and on a georeferenced sheet the
// incident's coordinates.
[[nodiscard]] SheetLegend sheetLegend(const LegendFacts &facts);

// A ground position as GIS programs show it: metres (or the system's unit) to the tenth, degrees to
// the millionth.
[[nodiscard]] QString groundPositionText(const CoordinateSystem &system, QPointF ground);

// The panel's size with its text `fontPixels` high, and the panel painted into `panel` (a white box
// with a frame; text, swatches and spacing scale with the font). Any paint device: a sheet's picture
// or a printed page.
[[nodiscard]] QSize legendPanelSize(const SheetLegend &legend, int fontPixels);
void paintLegend(QPainter &painter, const QRect &panel, const SheetLegend &legend, int fontPixels);

// The corners a legend may take, in the order they are preferred when several cover equally little.
enum class LegendCorner { BottomRight, TopRight, BottomLeft, TopLeft };

// Where a panel of `panel` size lies in a picture when put in `corner`, `margin` pixels from its edges.
[[nodiscard]] QRect legendRect(QSize picture, QSize panel, int margin, LegendCorner corner);

// The corner whose panel covers least of the drawn areas' box (picture pixels; a null box when nothing
// is drawn): one outside the box when there is one.
[[nodiscard]] LegendCorner legendCorner(QSize picture, QSize panel, int margin, const QRectF &areasBox);

// The text height of a legend burned into a sheet: about 2.5 mm of the sheet at its resolution, made
// smaller (down to 7 pixels) where the panel would take more than half the picture's width or height.
[[nodiscard]] int legendFontPixels(const SheetLegend &legend, double pixelsPerCentimetre, QSize picture);

} // namespace map
