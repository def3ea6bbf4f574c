#pragma once

#include "map/Georeference.h"
#include "map/MapUnits.h"

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <vector>

namespace map {

// "Stampa in scala": a page that shows the sheet around the incident at the scale shown, 1:N exactly
// on paper. A drawing unit is a centimetre of the sheet at its resolution, and a scale factor of 1/N
// makes that centimetre N of the ground: so a centimetre of the sheet is printed as a centimetre of
// paper. Lengths on the page are millimetres from the printable area's top-left corner.

// Millimetres of paper a sheet pixel takes across and down: one centimetre of the sheet is one of paper.
[[nodiscard]] QSizeF millimetresPerPixel(const MapUnits &units);

// The largest 1, 2 or 5 times a power of ten that is no more than `atMost` (> 0).
[[nodiscard]] double roundStep(double atMost);

struct ScaledLayout
{
    QRectF title; // the title line, across the top
    QRectF frame; // where the map is printed; grid labels lie in the margin around it
    QRectF part; // the sheet pixels the frame shows (may reach past the sheet, which then prints white)
    QSizeF mmPerPixel;
    double barMetres = 0.0; // the scale bar: a round number of metres,
    double barMillimetres = 0.0; // as long on paper as that at the scale
};

// The page for a printable area (mm): the title line at the top, the frame below it inside a margin
// for the grid labels, and the part of the sheet it shows: centred on the incident (sheet pixels),
// moved to lie on the sheet where the sheet is larger than the frame on that axis. The scale bar takes
// at most a quarter of the frame's width.
[[nodiscard]] ScaledLayout scaledLayout(QSizeF printable, const MapUnits &units, QSize sheet, QPointF incident,
                                        double scaleFactor);

// A line of the coordinate grid: across (a constant easting or longitude) or down, where it lies on
// the page (mm) and its label.
struct GridLine
{
    bool vertical = true;
    double at = 0.0; // x of a vertical line, y of a horizontal one
    QString label;
};

// The grid of a georeferenced sheet over the layout's frame: lines at round ground coordinates, a step
// that gives the frame's longer side four to ten of them, labelled "E 512000" / "N 5034000" (degrees
// on a geographic system, with as many decimals as the step needs).
[[nodiscard]] std::vector<GridLine> gridLines(const Georeference &georeference, const ScaledLayout &layout);

} // namespace map
