#include "map/GdalRaster.h"

#include <QFile>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace map {

namespace {

GDALRasterBandH band(GDALDatasetH dataset, int number)
{
    return GDALGetRasterBand(dataset, number);
}

// Reads the 8-bit red, green, blue (and alpha) bands straight into the bytes of 32-bit pixels
// (0xAARRGGBB): the bands are asked in the order their bytes lie in memory.
bool readChannels(GDALDatasetH dataset, const QRect &region, QImage &image, bool alpha)
{
    std::array<int, 4> bands{3, 2, 1, 4}; // blue, green, red, alpha
    int first = 0;
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
        bands = alpha ? std::array{4, 1, 2, 3} : std::array{1, 2, 3, 0};
        first = alpha ? 0 : 1;
    }
    return GDALDatasetRasterIO(dataset, GF_Read, region.x(), region.y(), region.width(), region.height(),
                               image.bits() + first, region.width(), region.height(), GDT_Byte, alpha ? 4 : 3,
                               bands.data(), 4, int(image.bytesPerLine()), 1)
        == CE_None;
}

// One 8-bit band into an 8-bit image (gray levels or palette indexes).
bool readIndexes(GDALDatasetH dataset, const QRect &region, QImage &image)
{
    return GDALRasterIO(band(dataset, 1), GF_Read, region.x(), region.y(), region.width(), region.height(),
                        image.bits(), region.width(), region.height(), GDT_Byte, 1, int(image.bytesPerLine()))
        == CE_None;
}

QList<QRgb> paletteOf(GDALDatasetH dataset)
{
    QList<QRgb> colours(256, qRgb(0, 0, 0)); // indexes beyond the file's table show black
    const GDALColorTableH table = GDALGetRasterColorTable(band(dataset, 1));
    const int count = std::min(GDALGetColorEntryCount(table), 256);
    for (int i = 0; i < count; ++i) {
        GDALColorEntry entry{};
        if (GDALGetColorEntryAsRGB(table, i, &entry))
            colours[i] = qRgb(entry.c1, entry.c2, entry.c3);
    }
    return colours;
}

// Transparent pixels over white (the paper of a printed sheet), in place: the sheet is drawn on and
// saved without transparency.
void flattenOnWhite(QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            const auto over = [alpha](int colour) { return (colour * alpha + 255 * (255 - alpha) + 127) / 255; };
            line[x] = qRgb(over(qRed(pixel)), over(qGreen(pixel)), over(qBlue(pixel)));
        }
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
}

// Whether the blocks of one band lie within the file: their offsets and sizes, as the GeoTIFF reader
// tells them (sparse blocks have none).
bool bandBlocksInside(GDALRasterBandH raster, qint64 fileSize)
{
    int blockWidth = 0;
    int blockHeight = 0;
    GDALGetBlockSize(raster, &blockWidth, &blockHeight);
    if (blockWidth <= 0 || blockHeight <= 0)
        return false;
    const int across = (GDALGetRasterBandXSize(raster) + blockWidth - 1) / blockWidth;
    const int down = (GDALGetRasterBandYSize(raster) + blockHeight - 1) / blockHeight;
    for (int y = 0; y < down; ++y) {
        for (int x = 0; x < across; ++x) {
            char key[48];
            std::snprintf(key, sizeof key, "BLOCK_OFFSET_%d_%d", x, y);
            const char *const offset = GDALGetMetadataItem(raster, key, "TIFF");
            std::snprintf(key, sizeof key, "BLOCK_SIZE_%d_%d", x, y);
            const char *const size = GDALGetMetadataItem(raster, key, "TIFF");
            if (offset && size && std::strtoll(offset, nullptr, 10) + std::strtoll(size, nullptr, 10) > fileSize)
                return false;
        }
    }
    return true;
}

double pixelsPerMetre(const char *value, int unit)
{
    const double stated = value ? std::atof(value) : 0.0;
    switch (unit) {
    case 2: return stated / 0.0254; // per inch
    case 3: return stated * 100.0; // per centimetre
    default: return 0.0; // no unit: an aspect ratio, not a resolution
    }
}

} // namespace

GdalDataset openGdalRaster(const QString &localPath)
{
    return GdalDataset(GDALOpenEx(QFile::encodeName(localPath).constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr,
                                  nullptr, nullptr));
}

std::optional<BandLayout> bandLayout(GDALDatasetH dataset, QString *problem)
{
    const int bands = GDALGetRasterCount(dataset);
    for (int number = 1; number <= bands; ++number) {
        const GDALDataType type = GDALGetRasterDataType(band(dataset, number));
        if (type != GDT_Byte) {
            *problem = QStringLiteral("i pixel sono di tipo %1: si leggono solo mappe a 8 bit per canale "
                                      "(toni di grigio, tavolozza, RGB o RGBA)")
                           .arg(QString::fromUtf8(GDALGetDataTypeName(type)));
            return std::nullopt;
        }
    }
    switch (bands) {
    case 1:
        return GDALGetRasterColorInterpretation(band(dataset, 1)) == GCI_PaletteIndex
                && GDALGetRasterColorTable(band(dataset, 1))
            ? BandLayout::Palette
            : BandLayout::Gray;
    case 3: return BandLayout::Rgb;
    case 4: return BandLayout::Rgba;
    default:
        *problem = QStringLiteral("l'immagine ha %1 bande: si leggono mappe a 1 banda (grigi o tavolozza), "
                                  "3 (RGB) o 4 (RGBA)")
                       .arg(bands);
        return std::nullopt;
    }
}

QImage readGdalRegion(GDALDatasetH dataset, BandLayout layout, const QRect &region)
{
    switch (layout) {
    case BandLayout::Gray:
    case BandLayout::Palette: {
        QImage indexes(region.size(), layout == BandLayout::Gray ? QImage::Format_Grayscale8 : QImage::Format_Indexed8);
        if (indexes.isNull() || !readIndexes(dataset, region, indexes))
            return {};
        if (layout == BandLayout::Palette)
            indexes.setColorTable(paletteOf(dataset));
        return indexes.convertToFormat(QImage::Format_RGB32);
    }
    case BandLayout::Rgb: {
        QImage image(region.size(), QImage::Format_RGB32);
        if (image.isNull())
            return {};
        image.fill(qRgb(0, 0, 0)); // opaque: the alpha byte is not read
        return readChannels(dataset, region, image, false) ? image : QImage();
    }
    case BandLayout::Rgba: {
        QImage image(region.size(), QImage::Format_ARGB32);
        if (image.isNull() || !readChannels(dataset, region, image, true))
            return {};
        flattenOnWhite(image);
        return image;
    }
    }
    return {};
}

bool blocksInsideFile(GDALDatasetH dataset, qint64 fileSize)
{
    if (qstrcmp(GDALGetDriverShortName(GDALGetDatasetDriver(dataset)), "GTiff") != 0)
        return true;
    // Bands interleaved pixel by pixel share their blocks: the first band tells them all.
    const char *const interleave = GDALGetMetadataItem(dataset, "INTERLEAVE", "IMAGE_STRUCTURE");
    const int bands = qstrcmp(interleave, "PIXEL") == 0 ? 1 : GDALGetRasterCount(dataset);
    for (int number = 1; number <= bands; ++number) {
        const GDALRasterBandH raster = band(dataset, number);
        if (!bandBlocksInside(raster, fileSize))
            return false;
        for (int i = 0; i < GDALGetOverviewCount(raster); ++i) {
            const GDALRasterBandH overview = GDALGetOverview(raster, i);
            // Overviews of a side file (.ovr) name that file; those inside this one have no name.
            const GDALDatasetH owner = GDALGetBandDataset(overview);
            const bool inside = owner && qstrlen(GDALGetDescription(owner)) == 0;
            if (inside && !bandBlocksInside(overview, fileSize))
                return false;
        }
    }
    return true;
}

bool tiffDirectoryCut(const QString &localPath)
{
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    const QByteArray head = file.read(16);
    const bool little = head.startsWith("II");
    if (!little && !head.startsWith("MM"))
        return false;
    const auto number = [&](const uchar *at, int bytes) -> quint64 {
        switch (bytes) {
        case 2: return little ? qFromLittleEndian<quint16>(at) : qFromBigEndian<quint16>(at);
        case 4: return little ? qFromLittleEndian<quint32>(at) : qFromBigEndian<quint32>(at);
        default: return little ? qFromLittleEndian<quint64>(at) : qFromBigEndian<quint64>(at);
        }
    };
    if (head.size() < 4)
        return head.size() >= 2; // "II" or "MM" and nothing after it
    const auto *bytes = reinterpret_cast<const uchar *>(head.constData());
    const quint64 version = number(bytes + 2, 2);
    if (version != 42 && version != 43)
        return false;
    // Classic TIFF: a 4-byte directory offset, a 2-byte entry count, 12-byte entries, a 4-byte link;
    // BigTIFF: 8-byte offset and count, 20-byte entries, an 8-byte link.
    const bool big = version == 43;
    const int offsetBytes = big ? 8 : 4;
    const int countBytes = big ? 8 : 2;
    if (head.size() < (big ? 16 : 8))
        return true;
    const quint64 directory = number(bytes + (big ? 8 : 4), offsetBytes);
    if (directory > quint64(size) || quint64(size) - directory < quint64(countBytes))
        return true;
    uchar count[8];
    if (!file.seek(qint64(directory)) || file.read(reinterpret_cast<char *>(count), countBytes) != countBytes)
        return true;
    const quint64 entries = number(count, countBytes);
    const quint64 rest = quint64(size) - directory - quint64(countBytes);
    return entries > rest / (big ? 20 : 12) || rest - entries * (big ? 20 : 12) < quint64(offsetBytes);
}

SheetResolution statedResolution(GDALDatasetH dataset)
{
    const char *const unitText = GDALGetMetadataItem(dataset, "TIFFTAG_RESOLUTIONUNIT", nullptr);
    const int unit = unitText ? std::atoi(unitText) : 0; // "2 (pixels/inch)"
    return {pixelsPerMetre(GDALGetMetadataItem(dataset, "TIFFTAG_XRESOLUTION", nullptr), unit),
            pixelsPerMetre(GDALGetMetadataItem(dataset, "TIFFTAG_YRESOLUTION", nullptr), unit)};
}

} // namespace map
