#pragma once

#include "map/MapUnits.h"
#include "platform/Error.h"

#include <QDateTime>
#include <QImage>
#include <QString>

namespace map {

// The path of a chosen map: the folder, a separator unless the folder already ends with one (a
// drive root), then the file name. A folder written with a drive letter takes "\", any other "/".
[[nodiscard]] QString mapFilePath(const QString &folder, const QString &fileName);

[[nodiscard]] QString mapPageFileName(const QString &outputPrefix, const QDateTime &when, const QString &substance);

// The most a map may take decoded, in megabytes: large scanned maps fit, a header declaring an absurd
// size does not.
inline constexpr int kMapAllocationLimitMb = 1024;

// A map ready for the surface: its pixels (24-bit for a plain 24-bit BMP, else 32-bit) and its
// drawing unit.
struct MapBitmap
{
    QImage image;
    MapUnits units;
};

// MapUnreadable naming a map file by its name (and where it is on this computer): `detail` says why.
[[nodiscard]] Error mapUnreadable(const QString &localPath, const QString &detail);

// Reads a map file. Large scanned maps are allowed (up to about 1 GB of decoded pixels). A file that
// cannot be opened is MapUnopenable, one that is no readable bitmap MapUnreadable, both naming the
// file by its name. A BMP that does not hold all its pixels (rows cut short at any depth, a
// run-length stream that stops before its end) is MapUnreadable "file troncato": no pixel is ever
// left unwritten. Pixels that a whole run-length stream skips show the palette's first colour.
[[nodiscard]] Outcome<MapBitmap> loadMapBitmap(const QString &localPath);

} // namespace map
