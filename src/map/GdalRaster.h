#pragma once

#include "map/MapUnits.h"

#include <cpl_conv.h>
#include <gdal.h>

#include <QImage>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>
#include <type_traits>

// Rasters read through GDAL, for the map sources: the dataset handle, how its bands make colours and
// the pixels of a region. Used by the map layer only (GDAL stays out of the other layers' headers).
namespace map {

// Text GDAL and OGR hand over to the caller.
struct CplFree
{
    void operator()(char *text) const { CPLFree(text); }
};
using CplText = std::unique_ptr<char, CplFree>;

struct GdalDatasetClose
{
    void operator()(GDALDatasetH dataset) const { GDALClose(dataset); }
};
using GdalDataset = std::unique_ptr<std::remove_pointer_t<GDALDatasetH>, GdalDatasetClose>;

// Opens a raster file read-only (startGdal() first); null when GDAL cannot read it.
[[nodiscard]] GdalDataset openGdalRaster(const QString &localPath);

// How the 8-bit bands of a raster make its colours.
enum class BandLayout { Gray, Palette, Rgb, Rgba };

// The layout of a raster's bands; nothing, with the reason in Italian, for bands a map cannot have.
[[nodiscard]] std::optional<BandLayout> bandLayout(GDALDatasetH dataset, QString *problem);

// The pixels of a region inside the raster as opaque 32-bit colours (transparency shown on white);
// a null image when the file cannot give them.
[[nodiscard]] QImage readGdalRegion(GDALDatasetH dataset, BandLayout layout, const QRect &region);

// Whether every block of a GeoTIFF (of every band and every overview inside the file) lies within
// the file's size: a file cut short would otherwise open and fail region by region. True for other
// formats, which are decoded whole at once.
[[nodiscard]] bool blocksInsideFile(GDALDatasetH dataset, qint64 fileSize);

// Whether a file is a TIFF whose first directory (the header that describes its pixels) lies beyond
// its end: why GDAL could not open it, in the analyst's words.
[[nodiscard]] bool tiffDirectoryCut(const QString &localPath);

// The resolution the file states (TIFF resolution tags, which GDAL also gives for PNG and JPEG);
// 0 where it states none.
[[nodiscard]] SheetResolution statedResolution(GDALDatasetH dataset);

} // namespace map
