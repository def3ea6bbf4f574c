#pragma once

#include "map/Georeference.h"
#include "map/MapSource.h"
#include "platform/Error.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace map {

// The map files the map window lists and zefro-estimate reads: BMP, GeoTIFF/TIFF, JPEG and PNG.
[[nodiscard]] QStringList mapFilePatterns();

// A map ready for the surface: its source and, when its file or side files place it on the ground,
// its georeference.
struct OpenedMap
{
    std::shared_ptr<const MapSource> source;
    std::optional<Georeference> georeference;
    // Something the analyst should know although the map opened (a georeference without a reference
    // system: the map is shown as a plain one); Italian, empty when nothing.
    QString notice;
};

// Opens a map file of any listed format. A BMP is read by loadMapBitmap() as before (its world file
// and .prj, when present, georeference it); the other formats are read through GDAL (its .aux.xml,
// world file and .prj read here), large tiled rasters region by region as they are shown, their blocks
// checked against the file first and, up to 16 M pixels, read whole once. Errors: MapUnopenable,
// MapUnreadable (as for BMPs, and for blocks that do not read), MapGeoreferenceInvalid for a side file
// that cannot be used, a rotated or mirrored sheet, a georeference that is not a finite number, a
// reference system that cannot be read.
[[nodiscard]] Outcome<OpenedMap> openMap(const QString &localPath);

// The georeference of a map file, read quickly without its pixels (so a raster whose blocks do not
// decode still tells where it lies); nothing when it has none or it cannot be read (openMap() then
// tells why).
[[nodiscard]] std::optional<Georeference> peekGeoreference(const QString &localPath);

// Whether a whole sheet can be made as one picture (saving the whole map, zefro-estimate --out):
// the same limit as a BMP read whole.
[[nodiscard]] bool fitsInOnePicture(QSize sheet);

} // namespace map
