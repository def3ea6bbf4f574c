#pragma once

#include <QString>

#include <vector>

// Large map files the benchmarks share, made band by band so that making them costs little memory,
// and the process's resident memory as Linux counts it.

// A 24-bit BMP of side x side pixels (a multiple of 4) at 300 dpi: a street grid on a gradient. False
// on failure.
[[nodiscard]] bool writeLargeBmp(const QString &path, int side);

// An RGB GeoTIFF of the same picture at made-up UTM 32N coordinates (half a metre per pixel, 300 dpi),
// with GDAL's creation options and, when asked, overviews. False on failure.
[[nodiscard]] bool writeGeoTiff(const QString &path, int side, const std::vector<const char *> &creation,
                                bool overviews);

// The 30000 x 30000 GeoTIFF (deflate, tiled 256, overviews), too slow to make at every run (about
// 20 s): kept in $XDG_CACHE_HOME/zefro-bench, else /tmp/zefro-bench-cache, written beside and renamed
// so that an interrupted run leaves none. Empty when it cannot be made.
inline constexpr int kHugeSide = 30000;
[[nodiscard]] QString hugeGeoTiff();

// A field of /proc/self/status in kB ("VmRSS:", "VmHWM:"); 0 when it cannot be read.
[[nodiscard]] long statusKb(const char *field);

// Starts counting the peak resident size afresh (Linux: "5" to clear_refs resets VmHWM).
void resetPeak();
