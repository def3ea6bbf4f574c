#include "BenchRasters.h"

#include "map/GdalSession.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

namespace {

// A street grid on a gradient, like the large BMP of the map benchmark.
void fillRows(std::vector<uchar> &rows, int width, int firstRow, int count)
{
    for (int y = firstRow; y < firstRow + count; ++y) {
        uchar *pixel = rows.data() + std::size_t(y - firstRow) * width * 3;
        for (int x = 0; x < width; ++x, pixel += 3) {
            const bool street = x % 400 < 12 || y % 400 < 12;
            pixel[0] = uchar(street ? 255 : 210);
            pixel[1] = uchar(street ? 255 : 200 + (y / 64) % 50);
            pixel[2] = uchar(street ? 255 : 180 + (x / 64) % 60);
        }
    }
}

} // namespace

// Writes the BMP row by row, so that making it costs no memory of its own: a street grid on a
// gradient, at 300 dpi.
bool writeLargeBmp(const QString &path, int side)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const int rowBytes = side * 3; // already a multiple of 4
    QByteArray header(54, '\0');
    auto *h = reinterpret_cast<uchar *>(header.data());
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(54u + quint32(rowBytes) * side, h + 2);
    qToLittleEndian<quint32>(54u, h + 10);
    qToLittleEndian<quint32>(40u, h + 14);
    qToLittleEndian<qint32>(side, h + 18);
    qToLittleEndian<qint32>(side, h + 22);
    qToLittleEndian<quint16>(1, h + 26);
    qToLittleEndian<quint16>(24, h + 28);
    qToLittleEndian<quint32>(quint32(rowBytes) * side, h + 34);
    qToLittleEndian<qint32>(11811, h + 38);
    qToLittleEndian<qint32>(11811, h + 42);
    if (file.write(header) != header.size())
        return false;
    QByteArray row(rowBytes, '\0');
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const bool street = x % 400 < 12 || y % 400 < 12;
            row[3 * x] = char(street ? 255 : 180 + (x / 64) % 60); // blue
            row[3 * x + 1] = char(street ? 255 : 200 + (y / 64) % 50); // green
            row[3 * x + 2] = char(street ? 255 : 210); // red
        }
        if (file.write(row) != row.size())
            return false;
    }
    return file.flush();
}

// Writes an RGB GeoTIFF at made-up UTM 32N coordinates (half a metre per pixel, 300 dpi) band of rows
// by band of rows, so that making it costs little memory; with overviews when asked. False on failure.
bool writeGeoTiff(const QString &path, int side, const std::vector<const char *> &creation, bool overviews)
{
    map::startGdal();
    GDALDriver *const gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
    std::vector<const char *> options = creation;
    options.push_back(nullptr);
    GDALDatasetUniquePtr tiff(
        gtiff ? gtiff->Create(path.toUtf8().constData(), side, side, 3, GDT_Byte, const_cast<char **>(options.data()))
              : nullptr);
    if (!tiff)
        return false;
    double transform[6] = {480000.0, 0.5, 0.0, 5030000.0, 0.0, -0.5};
    OGRSpatialReference system;
    system.importFromEPSG(32632);
    tiff->SetGeoTransform(transform);
    tiff->SetSpatialRef(&system);
    tiff->SetMetadataItem("TIFFTAG_XRESOLUTION", "300");
    tiff->SetMetadataItem("TIFFTAG_YRESOLUTION", "300");
    tiff->SetMetadataItem("TIFFTAG_RESOLUTIONUNIT", "2");
    constexpr int band = 256; // rows at a time: one row of tiles
    std::vector<uchar> rows(std::size_t(band) * side * 3);
    for (int y = 0; y < side; y += band) {
        const int count = std::min(band, side - y);
        fillRows(rows, side, y, count);
        if (tiff->RasterIO(GF_Write, 0, y, side, count, rows.data(), side, count, GDT_Byte, 3, nullptr, 3,
                           GSpacing(side) * 3, 1, nullptr)
            != CE_None)
            return false;
    }
    if (overviews) {
        const int levels[] = {2, 4, 8, 16, 32, 64, 128};
        if (tiff->BuildOverviews("NEAREST", int(std::size(levels)), levels, 0, nullptr, nullptr, nullptr) != CE_None)
            return false;
    }
    CPLErrorReset();
    tiff.reset();
    return CPLGetLastErrorType() != CE_Failure;
}

// The 30000 x 30000 map, kept between runs; written beside and renamed, so an interrupted run leaves none.
QString hugeGeoTiff()
{
    const QString cache = qEnvironmentVariableIsEmpty("XDG_CACHE_HOME")
        ? QStringLiteral("/tmp/zefro-bench-cache")
        : qEnvironmentVariable("XDG_CACHE_HOME") + QStringLiteral("/zefro-bench");
    const QString path = cache + QStringLiteral("/enorme-30000-tiled-deflate-overviews-v1.tif");
    if (QFile::exists(path))
        return path;
    const QString part = path + QStringLiteral(".part");
    if (!QDir().mkpath(cache)
        || !writeGeoTiff(part, kHugeSide, {"COMPRESS=DEFLATE", "TILED=YES", "BLOCKXSIZE=256", "BLOCKYSIZE=256"}, true)
        || !QFile::rename(part, path)) {
        QFile::remove(part);
        return {};
    }
    return path;
}

long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Starts counting the peak resident size afresh (Linux: "5" to clear_refs resets VmHWM).
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

