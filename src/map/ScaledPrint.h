#pragma once

#include "map/Georeference.h"
#include "map/MapSource.h"
#include "map/ScaledPage.h"
#include "map/SheetDrawings.h"
#include "map/SheetLegend.h"
#include "platform/Error.h"

#include <QString>

#include <optional>

class QPainter;

namespace map {

// What a page printed in scale shows besides the sheet.
struct ScaledPageContent
{
    QString title;
    double scaleFactor = 0.0; // the scale shown, named beside the scale bar
    std::optional<SheetLegend> legend{};
    std::optional<Georeference> georeference{}; // the grid and the north arrow
};

// Paints the page on a painter whose units are millimetres of paper from the printable area's
// top-left corner: the title, the part of the sheet with its drawings at exactly the layout's
// millimetres a pixel (read in bands, and no finer than 300 dpi so that a fine scan stays within
// memory), the grid with its labels and a north arrow on a georeferenced sheet, the scale bar and the
// legend (in the right-hand corner that covers less of the drawn areas). The source's error when its
// file cannot give the part.
[[nodiscard]] Status paintScaledPage(QPainter &painter, const ScaledLayout &layout, const MapSource &source,
                                     const SheetDrawings &drawings, const ScaledPageContent &content);

} // namespace map
