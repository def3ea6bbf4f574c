#pragma once

#include <QString>

namespace map {

// Starts GDAL once per program, before its first use: every driver registered, its block cache
// kept to a size that a large raster cannot swell, and its warnings and errors kept off the terminal
// (unless ZEFRO_DEBUG is set): ZEFRO reports failures in its own words.
void startGdal();

// The text of GDAL's last error on this thread, for the detail of an Error; empty when none.
[[nodiscard]] QString gdalLastError();

} // namespace map
