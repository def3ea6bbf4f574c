#include "support/RasterFixtures.h"

#include <cpl_string.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <QFile>

#include <memory>
#include <vector>

namespace {

struct Close
{
    void operator()(GDALDatasetH dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<std::remove_pointer_t<GDALDatasetH>, Close>;

Dataset createGray(const QString &path, QSize size, const std::array<double, 6> &terms)
{
    GDALAllRegister();
    CPLStringList options;
    options.SetNameValue("TILED", "YES");
    options.SetNameValue("COMPRESS", "DEFLATE");
    Dataset dataset(GDALCreate(GDALGetDriverByName("GTiff"), QFile::encodeName(path).constData(), size.width(),
                               size.height(), 1, GDT_Byte, options.List()));
    std::array<double, 6> written = terms;
    const OGRSpatialReferenceH utm32 = OSRNewSpatialReference(nullptr);
    const bool made = dataset && OSRImportFromEPSG(utm32, 32632) == OGRERR_NONE
        && GDALSetSpatialRef(dataset.get(), utm32) == CE_None
        && GDALSetGeoTransform(dataset.get(), written.data()) == CE_None
        && GDALFillRaster(GDALGetRasterBand(dataset.get(), 1), 90, 0) == CE_None;
    OSRRelease(utm32);
    return made ? std::move(dataset) : nullptr;
}

} // namespace

bool writeGeoTiffWithDamagedTile(const QString &path, QSize size, QPoint tile)
{
    if (!createGray(path, size, {480000, 1, 0, 5030000, 0, -1}))
        return false;
    qint64 offset = 0;
    {
        const Dataset dataset(GDALOpen(QFile::encodeName(path).constData(), GA_ReadOnly));
        const QByteArray key = QStringLiteral("BLOCK_OFFSET_%1_%2").arg(tile.x()).arg(tile.y()).toLatin1();
        const char *const at
            = dataset ? GDALGetMetadataItem(GDALGetRasterBand(dataset.get(), 1), key, "TIFF") : nullptr;
        offset = at ? QByteArray(at).toLongLong() : 0;
    }
    // Bytes no deflate stream starts with.
    QFile file(path);
    return offset > 0 && file.open(QIODevice::ReadWrite) && file.seek(offset)
        && file.write(QByteArray(16, '\xFF')) == 16;
}

bool writeGeoTiffWithMarkedOverviews(const QString &path, QSize size)
{
    Dataset dataset = createGray(path, size, {480000, 1, 0, 5030000, 0, -1});
    if (!dataset)
        return false;
    const GDALRasterBandH band = GDALGetRasterBand(dataset.get(), 1);
    std::vector<GByte> row(std::size_t(size.width()));
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            row[std::size_t(x)] = GByte((7 * x + 13 * y) % 256);
        if (GDALRasterIO(band, GF_Write, 0, y, size.width(), 1, row.data(), size.width(), 1, GDT_Byte, 0, 0) != CE_None)
            return false;
    }
    int levels[] = {2, 4};
    if (GDALBuildOverviews(dataset.get(), "NEAREST", 2, levels, 0, nullptr, nullptr, nullptr) != CE_None
        || GDALGetOverviewCount(band) != 2)
        return false;
    return GDALFillRaster(GDALGetOverview(band, 0), 150, 0) == CE_None
        && GDALFillRaster(GDALGetOverview(band, 1), 210, 0) == CE_None;
}

bool writeGeoTiffPlacedBy(const QString &path, const std::array<double, 6> &terms)
{
    return createGray(path, QSize(300, 200), terms) != nullptr;
}
