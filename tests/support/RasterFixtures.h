#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <array>

// Rasters made with GDAL's own library for the map tests, where its command-line tools cannot make them.

// A gray GeoTIFF of `size` pixels (one band, deflate, 256-pixel tiles, EPSG:32632 at 1 m a pixel) whose
// tile in column and row `tile` is overwritten so that it no longer decodes. False when it could not be made.
[[nodiscard]] bool writeGeoTiffWithDamagedTile(const QString &path, QSize size, QPoint tile);

// A gray GeoTIFF of `size` pixels (as above) whose pixel x, y holds (7x + 13y) mod 256, with overviews of a
// half and a quarter of its size filled, against the rule of overviews, with 150 and 210: what is read
// from them tells itself apart. False when it could not be made.
[[nodiscard]] bool writeGeoTiffWithMarkedOverviews(const QString &path, QSize size);

// A gray 300 x 200 GeoTIFF in EPSG:32632 placed by these affine terms, written as they are (GDAL's
// order: left, pixel width, rotation, top, rotation, pixel height).
[[nodiscard]] bool writeGeoTiffPlacedBy(const QString &path, const std::array<double, 6> &terms);
