#pragma once

#include "map/GdalSession.h"
#include "map/MapUnits.h"
#include "map/OgrHandles.h"

#include <cpl_conv.h>
#include <gdal.h>

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QString>

#include <memory>
#include <optional>
#include <type_traits>

// Rasters read through GDAL, for the map sources: the dataset handle, how its bands make colours and
// the pixels of a region. Used by the map layer only (GDAL stays out of the other layers' headers).
namespace map {

struct GdalDatasetClose
{
    void operator()(GDALDatasetH dataset) const;
};
using GdalDataset = std::unique_ptr<std::remove_pointer_t<GDALDatasetH>, GdalDatasetClose>;

// Opens a map raster read-only (startGdal() first), as a GeoTIFF, PNG, JPEG or BMP only, whatever its
// content claims to be (a VRT could read any file or address). GDAL is told that no file lies beside
// it, so it opens nothing but the raster: no .aux.xml, .ovr, .msk, world file or other side file
// (ZEFRO reads the side files it uses itself, with its own limits). The path goes to GDAL as an
// absolute path, never as one of its virtual file systems ("/vsicurl/...", "/vsizip/..."). Null when
// GDAL cannot read it; the caller's GdalErrors tells why.
[[nodiscard]] GdalDataset openGdalRaster(const QString &localPath);

// How the 8-bit bands of a raster make its colours.
enum class BandLayout { Gray, Palette, Rgb, Rgba };

// The layout of a raster's bands; nothing, with the reason in Italian, for bands a map cannot have.
[[nodiscard]] std::optional<BandLayout> bandLayout(GDALDatasetH dataset, QString *problem);

// The functions below read through GDAL inside the caller's GdalErrors: a failure GDAL reports there
// counts as a failure of the read, even when the read itself claims success (GDAL takes a block whose
// place it cannot read for an empty one).

// The pixels of a region inside the raster as opaque 32-bit colours (transparency shown on white); a
// null image, with the reason in Italian, when the file cannot give them (a block that does not read
// or decode) or memory runs out.
[[nodiscard]] QImage readGdalRegion(GDALDatasetH dataset, BandLayout layout, const QRect &region,
                                    const GdalErrors &errors, QString *problem);
// The same for an area of the raster (pixel positions, inside it) shown at `size` pixels, each the
// raster's pixel under its centre, read from the raster's overviews where they are fine enough.
[[nodiscard]] QImage readGdalArea(GDALDatasetH dataset, BandLayout layout, const QRectF &area, QSize size,
                                  const GdalErrors &errors, QString *problem);

// Reads and decodes every block of every band once, keeping nothing but what GDAL's block cache
// keeps: whether the whole raster can be read.
[[nodiscard]] bool everyBlockReads(GDALDatasetH dataset, const GdalErrors &errors);

// How the blocks of a GeoTIFF lie in its file.
enum class BlockPlaces {
    Inside, // every block of every band and overview within the file (or not a GeoTIFF)
    PastTheEnd, // a block beyond the file's end: the file was cut short
    Damaged, // more blocks than the file could describe, or places GDAL cannot read
    TooLarge, // one block alone larger than a map may take decoded
};

// Where the blocks of a GeoTIFF lie, checked against the file's size before any pixel is read: a
// file cut short would otherwise open and fail region by region. The work is bounded by the file's
// size: a file declaring more blocks than its bytes could describe is damaged, refused before a
// single block's place is looked up. Other formats are decoded whole at once.
[[nodiscard]] BlockPlaces blockPlaces(GDALDatasetH dataset, qint64 fileSize, const GdalErrors &errors);

// Whether a file is a TIFF whose first directory (the header that describes its pixels) lies beyond
// its end: why GDAL could not open it, in the analyst's words.
[[nodiscard]] bool tiffDirectoryCut(const QString &localPath);

// The resolution the file states (TIFF resolution tags, which GDAL also gives for PNG and JPEG);
// 0 where it states none.
[[nodiscard]] SheetResolution statedResolution(GDALDatasetH dataset);

} // namespace map
