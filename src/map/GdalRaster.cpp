#include "map/GdalRaster.h"

#include "map/MapFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace map {

namespace {

GDALRasterBandH band(GDALDatasetH dataset, int number)
{
    return GDALGetRasterBand(dataset, number);
}

// A window of the raster read into a buffer of `size` pixels: the raster's pixels when `size` is the
// window's, else each buffer pixel the one under its centre in `area` (GDAL then reads an overview
// when the raster has one fine enough).
struct RasterWindow
{
    QRect pixels; // the whole pixels holding the area
    QRectF area;
    QSize size;

    [[nodiscard]] GDALRasterIOExtraArg extraArgument() const
    {
        GDALRasterIOExtraArg extra;
        INIT_RASTERIO_EXTRA_ARG(extra);
        extra.eResampleAlg = GRIORA_NearestNeighbour;
        if (area != QRectF(pixels)) {
            extra.bFloatingPointWindowValidity = TRUE;
            extra.dfXOff = area.x();
            extra.dfYOff = area.y();
            extra.dfXSize = area.width();
            extra.dfYSize = area.height();
        }
        return extra;
    }
};

// Reads the 8-bit red, green, blue (and alpha) bands straight into the bytes of 32-bit pixels
// (0xAARRGGBB): the bands are asked in the order their bytes lie in memory.
bool readChannels(GDALDatasetH dataset, const RasterWindow &window, QImage &image, bool alpha)
{
    std::array<int, 4> bands{3, 2, 1, 4}; // blue, green, red, alpha
    int first = 0;
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
        bands = alpha ? std::array{4, 1, 2, 3} : std::array{1, 2, 3, 0};
        first = alpha ? 0 : 1;
    }
    GDALRasterIOExtraArg extra = window.extraArgument();
    const QRect &from = window.pixels;
    return GDALDatasetRasterIOEx(dataset, GF_Read, from.x(), from.y(), from.width(), from.height(),
                                 image.bits() + first, window.size.width(), window.size.height(), GDT_Byte,
                                 alpha ? 4 : 3, bands.data(), 4, image.bytesPerLine(), 1, &extra)
        == CE_None;
}

// One 8-bit band into an 8-bit image (gray levels or palette indexes).
bool readIndexes(GDALDatasetH dataset, const RasterWindow &window, QImage &image)
{
    GDALRasterIOExtraArg extra = window.extraArgument();
    const QRect &from = window.pixels;
    return GDALRasterIOEx(band(dataset, 1), GF_Read, from.x(), from.y(), from.width(), from.height(), image.bits(),
                          window.size.width(), window.size.height(), GDT_Byte, 1, image.bytesPerLine(), &extra)
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

// A TIFF gives each block an offset and a byte count of at least two bytes each (those of a level of
// one or two blocks may sit in the directory entry itself).
constexpr qint64 kLeastBytesPerBlock = 4;

// The blocks of one band or overview.
struct BlockGrid
{
    GDALRasterBandH raster = nullptr;
    int across = 0;
    int down = 0;
    qint64 blockPixels = 0;

    [[nodiscard]] qint64 count() const { return qint64(across) * down; }
};

std::optional<BlockGrid> blockGrid(GDALRasterBandH raster)
{
    int blockWidth = 0;
    int blockHeight = 0;
    GDALGetBlockSize(raster, &blockWidth, &blockHeight);
    const qint64 width = GDALGetRasterBandXSize(raster);
    const qint64 height = GDALGetRasterBandYSize(raster);
    if (blockWidth <= 0 || blockHeight <= 0 || width <= 0 || height <= 0)
        return std::nullopt;
    // In 64 bits: a size near the 32-bit limit plus most of a block would overflow.
    return BlockGrid{raster, int((width + blockWidth - 1) / blockWidth), int((height + blockHeight - 1) / blockHeight),
                     qint64(blockWidth) * blockHeight};
}

std::optional<quint64> wholeNumber(const char *text)
{
    quint64 value = 0;
    const char *const end = text + std::strlen(text);
    const auto [stop, failure] = std::from_chars(text, end, value);
    return failure == std::errc() && stop == end ? std::optional(value) : std::nullopt;
}

// Where the blocks of one band or overview lie, by the offsets and sizes the GeoTIFF reader tells
// (sparse blocks have none).
BlockPlaces gridPlaces(const BlockGrid &grid, qint64 fileSize, const GdalErrors &errors)
{
    for (int y = 0; y < grid.down; ++y) {
        for (int x = 0; x < grid.across; ++x) {
            char key[48];
            std::snprintf(key, sizeof key, "BLOCK_OFFSET_%d_%d", x, y);
            const char *const offsetText = GDALGetMetadataItem(grid.raster, key, "TIFF");
            std::snprintf(key, sizeof key, "BLOCK_SIZE_%d_%d", x, y);
            const char *const sizeText = GDALGetMetadataItem(grid.raster, key, "TIFF");
            if (errors.failed())
                return BlockPlaces::Damaged; // the table of places itself does not read
            if (!offsetText || !sizeText)
                continue;
            const std::optional<quint64> offset = wholeNumber(offsetText);
            const std::optional<quint64> size = wholeNumber(sizeText);
            if (!offset || !size)
                return BlockPlaces::Damaged;
            if (*offset > quint64(fileSize) || *size > quint64(fileSize) - *offset)
                return BlockPlaces::PastTheEnd;
        }
    }
    return BlockPlaces::Inside;
}

// Null when memory runs out (`allocated` false) or the file cannot give the pixels.
QImage pixelsOf(GDALDatasetH dataset, BandLayout layout, const RasterWindow &region, bool &allocated)
{
    allocated = false;
    switch (layout) {
    case BandLayout::Gray:
    case BandLayout::Palette: {
        QImage indexes(region.size, layout == BandLayout::Gray ? QImage::Format_Grayscale8 : QImage::Format_Indexed8);
        allocated = !indexes.isNull();
        if (!allocated || !readIndexes(dataset, region, indexes))
            return {};
        if (layout == BandLayout::Palette)
            indexes.setColorTable(paletteOf(dataset));
        QImage pixels = indexes.convertToFormat(QImage::Format_RGB32);
        allocated = !pixels.isNull();
        return pixels;
    }
    case BandLayout::Rgb: {
        QImage image(region.size, QImage::Format_RGB32);
        allocated = !image.isNull();
        if (!allocated)
            return {};
        image.fill(qRgb(0, 0, 0)); // opaque: the alpha byte is not read
        return readChannels(dataset, region, image, false) ? image : QImage();
    }
    case BandLayout::Rgba: {
        QImage image(region.size, QImage::Format_ARGB32);
        allocated = !image.isNull();
        if (!allocated || !readChannels(dataset, region, image, true))
            return {};
        flattenOnWhite(image);
        return image;
    }
    }
    return {};
}

} // namespace

void GdalDatasetClose::operator()(GDALDatasetH dataset) const
{
    const GdalErrors closing; // nothing to tell: the file was only read
    GDALClose(dataset);
}

GdalDataset openGdalRaster(const QString &localPath)
{
    const QString absolute = QFileInfo(localPath).absoluteFilePath();
    // GDAL takes a path starting with "/vsi" for one of its virtual file systems (network, archives).
    if (absolute.startsWith(QLatin1String("/vsi"), Qt::CaseInsensitive))
        return nullptr;
    const char *const drivers[] = {"GTiff", "PNG", "JPEG", "BMP", nullptr};
    // Told of the raster's own name only, GDAL looks for no side file, also later when it reads the
    // georeference or overviews (an empty list would make it read the folder instead).
    const QByteArray ownName = QFile::encodeName(QFileInfo(absolute).fileName());
    const char *const siblings[] = {ownName.constData(), nullptr};
    return GdalDataset(GDALOpenEx(QFile::encodeName(absolute).constData(),
                                  GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, drivers, nullptr,
                                  siblings));
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

QImage readGdalRegion(GDALDatasetH dataset, BandLayout layout, const QRect &region, const GdalErrors &errors,
                      QString *problem)
{
    return readGdalArea(dataset, layout, QRectF(region), region.size(), errors, problem);
}

QImage readGdalArea(GDALDatasetH dataset, BandLayout layout, const QRectF &area, QSize size, const GdalErrors &errors,
                    QString *problem)
{
    const QRect raster(0, 0, GDALGetRasterXSize(dataset), GDALGetRasterYSize(dataset));
    const RasterWindow window{area.toAlignedRect().intersected(raster), area, size};
    bool allocated = false;
    QImage pixels = pixelsOf(dataset, layout, window, allocated);
    if (!pixels.isNull() && !errors.failed())
        return pixels;
    *problem = allocated ? errors.withReason(QStringLiteral("dati dell'immagine non validi o incompleti"))
                         : QStringLiteral("memoria insufficiente");
    return {};
}

bool everyBlockReads(GDALDatasetH dataset, const GdalErrors &errors)
{
    for (int number = 1; number <= GDALGetRasterCount(dataset); ++number) {
        const std::optional<BlockGrid> grid = blockGrid(band(dataset, number));
        if (!grid)
            return false;
        std::vector<GByte> block(std::size_t(grid->blockPixels)); // 8-bit bands only (bandLayout)
        for (int y = 0; y < grid->down; ++y)
            for (int x = 0; x < grid->across; ++x)
                if (GDALReadBlock(grid->raster, x, y, block.data()) != CE_None || errors.failed())
                    return false;
    }
    return true;
}

BlockPlaces blockPlaces(GDALDatasetH dataset, qint64 fileSize, const GdalErrors &errors)
{
    if (qstrcmp(GDALGetDriverShortName(GDALGetDatasetDriver(dataset)), "GTiff") != 0)
        return BlockPlaces::Inside;
    // Bands interleaved pixel by pixel share their blocks: the first band tells them all.
    const char *const interleave = GDALGetMetadataItem(dataset, "INTERLEAVE", "IMAGE_STRUCTURE");
    const bool shared = qstrcmp(interleave, "PIXEL") == 0;
    const int bands = shared ? 1 : GDALGetRasterCount(dataset);
    const qint64 bytesPerPixel = shared ? GDALGetRasterCount(dataset) : 1;
    const qint64 largestBlock = qint64(kMapAllocationLimitMb) * 1024 * 1024 / std::max<qint64>(bytesPerPixel, 1);

    // Every band and overview (all inside the file: GDAL is shown no .ovr), counted before a single
    // block is looked at.
    const qint64 describable = fileSize / kLeastBytesPerBlock;
    qint64 blocks = 0;
    std::vector<BlockGrid> grids;
    for (int number = 1; number <= bands; ++number) {
        const GDALRasterBandH raster = band(dataset, number);
        std::vector<GDALRasterBandH> levels{raster};
        for (int i = 0; i < GDALGetOverviewCount(raster); ++i)
            levels.push_back(GDALGetOverview(raster, i));
        for (const GDALRasterBandH level : levels) {
            const std::optional<BlockGrid> grid = level ? blockGrid(level) : std::nullopt;
            if (!grid || errors.failed())
                return BlockPlaces::Damaged;
            if (grid->blockPixels > largestBlock)
                return BlockPlaces::TooLarge;
            blocks += grid->count() > 2 ? grid->count() : 0;
            if (blocks > describable)
                return BlockPlaces::Damaged;
            grids.push_back(*grid);
        }
    }
    for (const BlockGrid &grid : grids)
        if (const BlockPlaces places = gridPlaces(grid, fileSize, errors); places != BlockPlaces::Inside)
            return places;
    return BlockPlaces::Inside;
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
    const auto tag = [dataset](const char *name) { return QByteArray(GDALGetMetadataItem(dataset, name, nullptr)); };
    return resolutionFromTiffTags(tag("TIFFTAG_XRESOLUTION"), tag("TIFFTAG_YRESOLUTION"),
                                  tag("TIFFTAG_RESOLUTIONUNIT"));
}

} // namespace map
