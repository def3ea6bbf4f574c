#include "map/MapOpening.h"

#include "map/GdalMapSource.h"
#include "map/GdalRaster.h"
#include "map/GdalSession.h"
#include "map/MapFiles.h"
#include "map/WorldFile.h"
#include "platform/SystemFile.h"

#include <ogr_srs_api.h>

#include <QFile>
#include <QFileInfo>

#include <array>

namespace map {

namespace {

// The same limit as a BMP read whole (loadMapBitmap), counted in 32-bit pixels.
constexpr qint64 kOnePictureBytes = qint64(kMapAllocationLimitMb) * 1024 * 1024;
// World files and .prj files are a few hundred bytes; anything far larger is no such file.
constexpr qint64 kSideFileBytes = 1024 * 1024;

Error unreadable(const QString &localPath, const QString &detail)
{
    Error error{Error::Kind::MapUnreadable};
    error.file = QFileInfo(localPath).fileName();
    error.detail = detail;
    error.localPath = localPath;
    return error;
}

Error georeferenceInvalid(const QString &file, const QString &detail)
{
    Error error{Error::Kind::MapGeoreferenceInvalid};
    error.file = file;
    error.detail = detail;
    return error;
}

bool isBitmap(const QString &localPath)
{
    return QFileInfo(localPath).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0;
}

Outcome<QByteArray> sideFileText(const QString &path)
{
    QFile file(path);
    if (!SystemFile::checkRegular(path).ok() || !file.open(QIODevice::ReadOnly))
        return georeferenceInvalid(QFileInfo(path).fileName(), QStringLiteral("il file non si apre"));
    const QByteArray text = file.read(kSideFileBytes + 1);
    if (text.size() > kSideFileBytes)
        return georeferenceInvalid(QFileInfo(path).fileName(), QStringLiteral("il file è troppo grande"));
    return text;
}

// Where a sheet lies on the ground, or why it is shown as a plain sheet.
struct Placement
{
    std::optional<Georeference> georeference;
    QString notice;
};

// The affine terms in GDAL's order: left, pixel width, rotation, top, rotation, pixel height.
using GeoTransform = std::array<double, 6>;

GeoTransform fromWorldFile(const WorldFile &world)
{
    // A world file places the centre of the top-left pixel; the sheet starts at its corner.
    return {world.c - world.a / 2 - world.b / 2, world.a, world.b,
            world.f - world.d / 2 - world.e / 2, world.d, world.e};
}

Outcome<std::optional<CoordinateSystem>> datasetSystem(GDALDatasetH dataset, const QString &mapName)
{
    const OGRSpatialReferenceH reference = dataset ? GDALGetSpatialRef(dataset) : nullptr;
    if (!reference)
        return std::optional<CoordinateSystem>();
    char *raw = nullptr;
    const char *const options[] = {"FORMAT=WKT2_2019", nullptr};
    const OGRErr exported = OSRExportToWktEx(reference, &raw, options);
    const CplText wkt(raw);
    if (exported != OGRERR_NONE || !wkt)
        return georeferenceInvalid(mapName, QStringLiteral("il sistema di riferimento della mappa non si legge"));
    Outcome<CoordinateSystem> system = coordinateSystemFrom(QString::fromUtf8(wkt.get()), mapName);
    if (!system.ok())
        return system.error();
    return std::optional(std::move(system.value()));
}

// The georeference of a map file: GDAL's (its own tags, an .aux.xml or a world file) when it has one,
// else the world file beside it, in the reference system of the file or of the .prj beside it. A
// world file that is there is always read, so that a broken one is told rather than ignored.
Outcome<Placement> placement(const QString &localPath, GDALDatasetH dataset)
{
    const QString mapName = QFileInfo(localPath).fileName();
    std::optional<GeoTransform> transform;
    QString placedBy; // the file whose terms place the sheet, for the messages
    if (const QString worldPath = worldFileBeside(localPath); !worldPath.isEmpty()) {
        const Outcome<QByteArray> text = sideFileText(worldPath);
        if (!text.ok())
            return text.error();
        const Outcome<WorldFile> world = parseWorldFile(text.value(), QFileInfo(worldPath).fileName());
        if (!world.ok())
            return world.error();
        transform = fromWorldFile(world.value());
        placedBy = QFileInfo(worldPath).fileName();
    }
    if (GeoTransform own{}; dataset && GDALGetGeoTransform(dataset, own.data()) == CE_None) {
        transform = own;
        placedBy = mapName;
    }
    if (!transform)
        return Placement{};
    const GeoTransform &t = *transform;
    if (t[2] != 0.0 || t[4] != 0.0 || !(t[1] > 0.0) || !(t[5] < 0.0))
        return georeferenceInvalid(placedBy,
                                   QStringLiteral("la mappa non ha il nord in alto (è ruotata o capovolta): va prima "
                                                  "raddrizzata con un programma GIS, per esempio con gdalwarp"));

    Outcome<std::optional<CoordinateSystem>> system = datasetSystem(dataset, mapName);
    if (!system.ok())
        return system.error();
    if (!system.value()) {
        if (const QString prjPath = fileBeside(localPath, {QStringLiteral("prj")}); !prjPath.isEmpty()) {
            const Outcome<QByteArray> text = sideFileText(prjPath);
            if (!text.ok())
                return text.error();
            Outcome<CoordinateSystem> fromPrj
                = coordinateSystemFrom(QString::fromUtf8(text.value()), QFileInfo(prjPath).fileName());
            if (!fromPrj.ok())
                return fromPrj.error();
            system.value() = std::move(fromPrj.value());
        }
    }
    if (!system.value())
        return Placement{std::nullopt,
                         QStringLiteral("La mappa \"%1\" è georiferita ma non dice in quale sistema di "
                                        "riferimento: è mostrata come una mappa senza coordinate. Per usarne le "
                                        "coordinate, mettere accanto alla mappa il file \"%2\" con il sistema di "
                                        "riferimento (un programma GIS lo esporta).")
                             .arg(mapName, QFileInfo(localPath).completeBaseName() + QStringLiteral(".prj"))};
    return Placement{Georeference{t[0], t[3], t[1], t[5], std::move(*system.value())}, {}};
}

Outcome<OpenedMap> openBitmap(const QString &localPath)
{
    Outcome<MapBitmap> loaded = loadMapBitmap(localPath);
    if (!loaded.ok())
        return loaded.error();
    Outcome<Placement> placed = placement(localPath, nullptr);
    if (!placed.ok())
        return placed.error();
    MapBitmap bitmap = std::move(loaded.value());
    std::optional<Georeference> &georeference = placed.value().georeference;
    if (georeference) {
        const SheetResolution stated{bitmap.units.pixelsPerUnitX() * 100.0, bitmap.units.pixelsPerUnitY() * 100.0};
        bitmap.units = georeferencedUnits(*georeference, bitmap.image.size(), stated);
    }
    return OpenedMap{std::make_shared<DecodedMapSource>(std::move(bitmap)), std::move(georeference),
                     std::move(placed.value().notice)};
}

// Large rasters are read as they are shown: every GeoTIFF (tiled or in strips, they can be huge and
// GDAL reads their blocks alone) and any raster in tiles; the others are decoded whole.
bool readByRegions(GDALDatasetH dataset)
{
    int blockWidth = 0;
    int blockHeight = 0;
    GDALGetBlockSize(GDALGetRasterBand(dataset, 1), &blockWidth, &blockHeight);
    return qstrcmp(GDALGetDriverShortName(GDALGetDatasetDriver(dataset)), "GTiff") == 0
        || blockWidth < GDALGetRasterXSize(dataset);
}

// libjpeg only warns at a file cut short, and shows the missing rows grey: such a file is refused
// instead, as a BMP cut short is.
class StrictJpeg
{
public:
    StrictJpeg() { CPLSetThreadLocalConfigOption("GDAL_ERROR_ON_LIBJPEG_WARNING", "TRUE"); }
    StrictJpeg(const StrictJpeg &) = delete;
    StrictJpeg &operator=(const StrictJpeg &) = delete;
    ~StrictJpeg() { CPLSetThreadLocalConfigOption("GDAL_ERROR_ON_LIBJPEG_WARNING", nullptr); }
};

// A raster that GDAL reads and the map sources can show, checked before anything is shown.
struct CheckedRaster
{
    GdalDataset dataset;
    BandLayout layout = BandLayout::Rgb;
    QSize size;
};

Outcome<CheckedRaster> checkedRaster(const QString &localPath)
{
    const auto unopenable = [&](const QString &detail) {
        Error error{Error::Kind::MapUnopenable};
        error.file = QFileInfo(localPath).fileName();
        error.detail = detail;
        error.localPath = localPath;
        return error;
    };
    // A FIFO or a device would block or never end.
    if (const Status regular = SystemFile::checkRegular(localPath); !regular.ok())
        return unopenable(regular.error().detail);
    if (QFile file(localPath); !file.open(QIODevice::ReadOnly))
        return unopenable(file.error() == QFileDevice::PermissionsError ? QStringLiteral("permesso negato")
                                                                        : QStringLiteral("il file non si apre"));
    startGdal();
    CheckedRaster raster;
    raster.dataset = openGdalRaster(localPath);
    if (!raster.dataset)
        return unreadable(localPath,
                          tiffDirectoryCut(localPath)
                              ? QStringLiteral("file troncato")
                              : QStringLiteral("formato d'immagine non riconosciuto o file danneggiato"));
    raster.size = QSize(GDALGetRasterXSize(raster.dataset.get()), GDALGetRasterYSize(raster.dataset.get()));
    if (raster.size.width() < 2 || raster.size.height() < 2)
        return unreadable(localPath,
                          QStringLiteral("l'immagine misura %1 x %2 pixel, ne servono almeno 2 per lato")
                              .arg(raster.size.width())
                              .arg(raster.size.height()));
    QString problem;
    const std::optional<BandLayout> layout = bandLayout(raster.dataset.get(), &problem);
    if (!layout)
        return unreadable(localPath, problem);
    raster.layout = *layout;
    if (!blocksInsideFile(raster.dataset.get(), QFileInfo(localPath).size()))
        return unreadable(localPath, QStringLiteral("file troncato"));
    return raster;
}

Outcome<OpenedMap> openRaster(const QString &localPath)
{
    Outcome<CheckedRaster> checked = checkedRaster(localPath);
    if (!checked.ok())
        return checked.error();
    auto &[dataset, layout, size] = checked.value();
    Outcome<Placement> placed = placement(localPath, dataset.get());
    if (!placed.ok())
        return placed.error();
    std::optional<Georeference> &georeference = placed.value().georeference;
    const SheetResolution stated = statedResolution(dataset.get());
    const MapUnits units
        = georeference ? georeferencedUnits(*georeference, size, stated) : MapUnits::fromResolution(stated);

    std::shared_ptr<const MapSource> source;
    if (readByRegions(dataset.get())) {
        source = std::make_shared<GdalMapSource>(std::move(dataset), layout, units);
    } else {
        // Gray levels and palettes are read as 8-bit pixels first, then made 32-bit.
        const bool eightBit = layout == BandLayout::Gray || layout == BandLayout::Palette;
        if (!fitsInOnePicture(size) || (eightBit && qint64(size.width()) * size.height() * 5 > kOnePictureBytes))
            return unreadable(localPath, QStringLiteral("immagine troppo grande"));
        const StrictJpeg strict;
        QImage image = readGdalRegion(dataset.get(), layout, QRect(QPoint(0, 0), size));
        if (image.isNull())
            return unreadable(localPath, QStringLiteral("dati dell'immagine non validi o incompleti"));
        source = std::make_shared<DecodedMapSource>(MapBitmap{std::move(image), units});
    }
    return OpenedMap{std::move(source), std::move(georeference), std::move(placed.value().notice)};
}

} // namespace

QStringList mapFilePatterns()
{
    return {QStringLiteral("*.bmp"), QStringLiteral("*.tif"),  QStringLiteral("*.tiff"),
            QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.png")};
}

Outcome<OpenedMap> openMap(const QString &localPath)
{
    return isBitmap(localPath) ? openBitmap(localPath) : openRaster(localPath);
}

std::optional<Georeference> peekGeoreference(const QString &localPath)
{
    GdalDataset dataset;
    if (!isBitmap(localPath)) {
        Outcome<CheckedRaster> checked = checkedRaster(localPath); // no pixels read: the blocks are only counted
        if (!checked.ok())
            return std::nullopt;
        dataset = std::move(checked.value().dataset);
    }
    const Outcome<Placement> placed = placement(localPath, dataset.get());
    return placed.ok() ? placed.value().georeference : std::nullopt;
}

bool fitsInOnePicture(QSize sheet)
{
    return sheet.width() > 0 && sheet.height() > 0 && qint64(sheet.width()) * sheet.height() <= kOnePictureBytes / 4;
}

} // namespace map
