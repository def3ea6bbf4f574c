#pragma once

#include "map/MapUnits.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace map {

// The affine terms of a georeference in GDAL's order: left, pixel width, rotation, top, rotation,
// pixel height.
using GeoTransform = std::array<double, 6>;

// What GDAL's notes beside a raster ("<raster>.aux.xml", written by gdal_translate and GIS programs)
// say about where it lies and how large its sheet is: the terms, the reference system and the TIFF
// resolution tags of a format that cannot hold them (gdal_translate to PNG), each when given.
struct AuxXmlPlace
{
    std::optional<GeoTransform> transform;
    QString system; // the text of the SRS element (WKT), empty when none
    std::optional<SheetResolution> resolution;
};

// Reads the place from an .aux.xml's text, ignoring all else it holds (statistics, other metadata).
// MapGeoreferenceInvalid naming `fileName` when the text is not such a file or its GeoTransform is
// not six finite numbers.
[[nodiscard]] Outcome<AuxXmlPlace> parseAuxXml(const QByteArray &text, const QString &fileName);

} // namespace map
