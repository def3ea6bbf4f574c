#pragma once

#include "map/Georeference.h"
#include "map/MapSource.h"
#include "map/SheetDrawings.h"
#include "platform/Error.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace map {

// A picture of a part of a drawn sheet, made band by band from the map source, so that saving a large
// sheet costs a band of memory beside the source rather than copies of the whole sheet.

enum class PictureFormat { Bmp, Tiff };

// A TIFF for ".tif" and ".tiff" (any letter case), a BMP for any other name.
[[nodiscard]] PictureFormat pictureFormatFor(const QString &path);

struct SheetPicture
{
    QRect part; // of the sheet, in its pixels, inside it
    QImage legend{}; // burned in over the drawings when not null
    QPoint legendAt{}; // the legend's top-left corner, in the part's pixels
    std::optional<Georeference> georeference{}; // of the whole sheet
};

// The rows of each band read from the source: about 8 MB of 32-bit pixels, a whole number of 256-row
// rows of tiles when that many fit.
[[nodiscard]] int bandRows(int width);

// Writes the picture into the file at `localPath` (created, or emptied first). A BMP is 24 bits a
// pixel with the sheet's resolution in its header: exactly the bytes Qt's BMP writer gives for the
// whole part drawn at once. A TIFF is RGB, tiled and deflate-compressed, with the sheet's resolution
// and, on a georeferenced sheet, GeoTIFF tags placing the part. Errors: the source's (MapUnreadable,
// naming the map) or MapNotSaved naming `localPath` with the reason.
[[nodiscard]] Status writeSheetPicture(const MapSource &source, const SheetDrawings &drawings,
                                       const SheetPicture &picture, PictureFormat format, const QString &localPath);

} // namespace map
