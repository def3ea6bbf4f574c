#include "map/MapOpening.h"

#include "map/AuxXml.h"
#include "map/GdalMapSource.h"
#include "map/GdalRaster.h"
#include "map/GdalSession.h"
#include "map/MapErrors.h"
#include "map/MapFiles.h"
#include "map/WorldFile.h"
#include "platform/SystemFile.h"

#include <ogr_srs_api.h>

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <cmath>

namespace map {

namespace {

// The same limit as a BMP read whole (loadMapBitmap), counted in 32-bit pixels.
constexpr qint64 kOnePictureBytes = qint64(kMapAllocationLimitMb) * 1024 * 1024;
// World files and .prj files are a few hundred bytes, an .aux.xml a few kilobytes; anything far
// larger is no such file.
constexpr qint64 kSideFileBytes = 1024 * 1024;
// Rasters read region by region up to this many pixels are read whole once at opening, so that a
// damaged block is told at once; larger ones (a regional orthophoto) are checked as they are shown.
constexpr qint64 kReadWholeAtOpeningPixels = qint64(16) * 1024 * 1024;

Error unreadable(const QString &localPath, const QString &detail)
{
    return mapUnreadable(localPath, detail);
}

Error georeferenceInvalid(const QString &file, const QString &detail)
{
    Error error = mapError(Error::Kind::MapGeoreferenceInvalid);
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
    // A FIFO would block, a device never end.
    if (const Status regular = SystemFile::checkRegular(path); !regular.ok())
        return georeferenceInvalid(QFileInfo(path).fileName(), regular.error().detail);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
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

// What the .aux.xml beside a GDAL raster says (GDAL's own notes, read here rather than by GDAL, whose
// notes may also name other files for it to open); nothing when there is none.
Outcome<AuxXmlPlace> auxXmlPlace(const QString &localPath)
{
    const QString auxPath = localPath + QStringLiteral(".aux.xml");
    if (const QFileInfo aux(auxPath); !aux.exists() && !aux.isSymLink())
        return AuxXmlPlace{};
    const Outcome<QByteArray> text = sideFileText(auxPath);
    if (!text.ok())
        return text.error();
    return parseAuxXml(text.value(), QFileInfo(auxPath).fileName());
}

// A georeference of finite terms that the windows can compute with: a sheet whose far corner is a
// finite place, and pixels of a finite, non-zero size.
bool usable(const Georeference &georeference, QSize sheet)
{
    const QPointF farCorner = georeference.groundAt(QPointF(sheet.width(), sheet.height()));
    const std::array<double, 4> values{farCorner.x(), farCorner.y(), 1.0 / georeference.pixelWidth,
                                       1.0 / georeference.pixelHeight};
    return std::all_of(values.begin(), values.end(), [](double value) { return std::isfinite(value); });
}

// The sheet's middle is a place on the Earth, where its pixels have a size on the ground.
bool onTheEarth(const Georeference &georeference, QSize sheet)
{
    const QSizeF metres = georeference.metresPerPixel(QPointF(sheet.width() / 2.0, sheet.height() / 2.0));
    return std::isfinite(1.0 / metres.width()) && std::isfinite(1.0 / metres.height()) && metres.width() > 0.0
        && metres.height() > 0.0;
}

// The georeference of a map sheet: the first of its .aux.xml's (`notes`, for a GDAL raster, which
// GDAL would read first), its own tags (GDAL's) and the world file beside it, in the reference system
// of its .aux.xml, its own tags or the .prj beside it. A world file that is there is always read, so
// that a broken one is told rather than ignored.
Outcome<Placement> placement(const QString &localPath, GDALDatasetH dataset, QSize sheet, const AuxXmlPlace &notes)
{
    const QString mapName = QFileInfo(localPath).fileName();
    const QString notesName = mapName + QStringLiteral(".aux.xml");
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
    if (notes.transform) {
        transform = notes.transform;
        placedBy = notesName;
    }
    if (!transform)
        return Placement{};
    const GeoTransform &t = *transform;
    const QString notANumber = QStringLiteral("l'origine o la dimensione del pixel non è un numero utilizzabile "
                                              "(infinito, indefinito o fuori misura)");
    if (!std::all_of(t.begin(), t.end(), [](double term) { return std::isfinite(term); }))
        return georeferenceInvalid(placedBy, notANumber);
    if (t[2] != 0.0 || t[4] != 0.0 || !(t[1] > 0.0) || !(t[5] < 0.0))
        return georeferenceInvalid(placedBy,
                                   QStringLiteral("la mappa non ha il nord in alto (è ruotata o capovolta): va prima "
                                                  "raddrizzata con un programma GIS, per esempio con gdalwarp"));

    std::optional<CoordinateSystem> system;
    if (!notes.system.isEmpty()) {
        Outcome<CoordinateSystem> noted = coordinateSystemFrom(notes.system, notesName);
        if (!noted.ok())
            return noted.error();
        system = std::move(noted.value());
    }
    if (!system) {
        Outcome<std::optional<CoordinateSystem>> own = datasetSystem(dataset, mapName);
        if (!own.ok())
            return own.error();
        system = std::move(own.value());
    }
    if (!system) {
        if (const QString prjPath = fileBeside(localPath, {QStringLiteral("prj")}); !prjPath.isEmpty()) {
            const Outcome<QByteArray> text = sideFileText(prjPath);
            if (!text.ok())
                return text.error();
            Outcome<CoordinateSystem> fromPrj
                = coordinateSystemFrom(QString::fromUtf8(text.value()), QFileInfo(prjPath).fileName());
            if (!fromPrj.ok())
                return fromPrj.error();
            system = std::move(fromPrj.value());
        }
    }
    if (!system)
        return Placement{std::nullopt,
                         QStringLiteral("La mappa \"%1\" è georiferita ma non dice in quale sistema di "
                                        "riferimento: è mostrata come una mappa senza coordinate. Per usarne le "
                                        "coordinate, mettere accanto alla mappa il file \"%2\" con il sistema di "
                                        "riferimento (un programma GIS lo esporta).")
                             .arg(mapName, QFileInfo(localPath).completeBaseName() + QStringLiteral(".prj"))};
    Georeference georeference{t[0], t[3], t[1], t[5], std::move(*system)};
    if (!usable(georeference, sheet))
        return georeferenceInvalid(placedBy, notANumber);
    if (!onTheEarth(georeference, sheet)) {
        const QPointF middle = georeference.groundAt(QPointF(sheet.width() / 2.0, sheet.height() / 2.0));
        return georeferenceInvalid(placedBy,
                                   QStringLiteral("il centro del foglio (%1, %2) non è un punto della Terra "
                                                  "nel sistema di riferimento %3")
                                       .arg(middle.x(), 0, 'g', 10)
                                       .arg(middle.y(), 0, 'g', 10)
                                       .arg(georeference.system.label()));
    }
    return Placement{std::move(georeference), {}};
}

Outcome<OpenedMap> openBitmap(const QString &localPath)
{
    Outcome<MapBitmap> loaded = loadMapBitmap(localPath);
    if (!loaded.ok())
        return loaded.error();
    MapBitmap bitmap = std::move(loaded.value());
    Outcome<Placement> placed = placement(localPath, nullptr, bitmap.image.size(), {});
    if (!placed.ok())
        return placed.error();
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
        Error error = mapError(Error::Kind::MapUnopenable);
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
    const GdalErrors errors;
    CheckedRaster raster;
    raster.dataset = openGdalRaster(localPath);
    if (!raster.dataset)
        return unreadable(localPath,
                          tiffDirectoryCut(localPath) ? QStringLiteral("file troncato")
                                                      : errors.withReason(QStringLiteral(
                                                          "formato d'immagine non riconosciuto o file danneggiato")));
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
    switch (blockPlaces(raster.dataset.get(), QFileInfo(localPath).size(), errors)) {
    case BlockPlaces::Inside: break;
    case BlockPlaces::PastTheEnd: return unreadable(localPath, QStringLiteral("file troncato"));
    case BlockPlaces::Damaged:
        return unreadable(localPath, errors.withReason(QStringLiteral("file troncato o danneggiato")));
    case BlockPlaces::TooLarge: return unreadable(localPath, QStringLiteral("immagine troppo grande"));
    }
    return raster;
}

// The whole raster read once, into nothing but GDAL's block cache (where the first view then finds it).
Status readsWhole(const QString &localPath, GDALDatasetH dataset)
{
    const GdalErrors errors;
    if (!everyBlockReads(dataset, errors))
        return unreadable(localPath, errors.withReason(QStringLiteral("dati dell'immagine non validi o incompleti")));
    return Done{};
}

Outcome<OpenedMap> openRaster(const QString &localPath)
{
    Outcome<CheckedRaster> checked = checkedRaster(localPath);
    if (!checked.ok())
        return checked.error();
    auto &[dataset, layout, size] = checked.value();
    const GdalErrors quiet; // the georeference's reasons are given in ZEFRO's words
    const Outcome<AuxXmlPlace> notes = auxXmlPlace(localPath);
    if (!notes.ok())
        return notes.error();
    Outcome<Placement> placed = placement(localPath, dataset.get(), size, notes.value());
    if (!placed.ok())
        return placed.error();
    std::optional<Georeference> &georeference = placed.value().georeference;
    const SheetResolution stated = notes.value().resolution.value_or(statedResolution(dataset.get()));
    const MapUnits units
        = georeference ? georeferencedUnits(*georeference, size, stated) : MapUnits::fromResolution(stated);

    std::shared_ptr<const MapSource> source;
    if (readByRegions(dataset.get())) {
        if (qint64(size.width()) * size.height() <= kReadWholeAtOpeningPixels) {
            if (const Status whole = readsWhole(localPath, dataset.get()); !whole.ok())
                return whole.error();
        }
        source = std::make_shared<GdalMapSource>(std::move(dataset), layout, units, localPath);
    } else {
        // Gray levels and palettes are read as 8-bit pixels first, then made 32-bit.
        const bool eightBit = layout == BandLayout::Gray || layout == BandLayout::Palette;
        if (!fitsInOnePicture(size) || (eightBit && qint64(size.width()) * size.height() * 5 > kOnePictureBytes))
            return unreadable(localPath, QStringLiteral("immagine troppo grande"));
        // libjpeg only warns at a file cut short, and shows the missing rows grey: such a file is
        // refused instead, as a BMP cut short is.
        const GdalOption strictJpeg("GDAL_ERROR_ON_LIBJPEG_WARNING", "TRUE");
        const GdalErrors reading;
        QString problem;
        QImage image = readGdalRegion(dataset.get(), layout, QRect(QPoint(0, 0), size), reading, &problem);
        if (image.isNull())
            return unreadable(localPath, problem);
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
    QSize size;
    if (isBitmap(localPath)) {
        if (!SystemFile::checkRegular(localPath).ok())
            return std::nullopt; // a FIFO would block the header's read
        size = QImageReader(localPath).size();
    } else {
        // No pixels read: the blocks are only counted, and that work is bounded by the file's size.
        Outcome<CheckedRaster> checked = checkedRaster(localPath);
        if (!checked.ok())
            return std::nullopt;
        dataset = std::move(checked.value().dataset);
        size = checked.value().size;
    }
    if (!size.isValid())
        return std::nullopt;
    const GdalErrors quiet;
    const Outcome<AuxXmlPlace> notes = dataset ? auxXmlPlace(localPath) : Outcome<AuxXmlPlace>(AuxXmlPlace{});
    if (!notes.ok())
        return std::nullopt;
    const Outcome<Placement> placed = placement(localPath, dataset.get(), size, notes.value());
    return placed.ok() ? placed.value().georeference : std::nullopt;
}

bool fitsInOnePicture(QSize sheet)
{
    return sheet.width() > 0 && sheet.height() > 0 && qint64(sheet.width()) * sheet.height() <= kOnePictureBytes / 4;
}

} // namespace map
