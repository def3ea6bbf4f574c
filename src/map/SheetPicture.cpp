#include "map/SheetPicture.h"

#include "map/GdalRaster.h"
#include "map/GdalSession.h"
#include "map/GeoreferenceFiles.h"
#include "map/MapErrors.h"
#include "map/PartCanvas.h"
#include "platform/SystemFile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace map {

namespace {

constexpr qint64 kBandBytes = 8 * 1024 * 1024;
constexpr int kTileSide = 256;

Error notSaved(const QString &localPath, const QString &reason)
{
    Error error = mapError(Error::Kind::MapNotSaved);
    error.file = localPath;
    error.detail = reason;
    return error;
}

// The image in the form Qt's BMP writer writes from: 32-bit pixels, of which it writes blue, green, red.
QImage asWrittenToBmp(QImage band)
{
    switch (band.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32: return band;
    default:
        return band.convertToFormat(band.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    }
}

class File
{
public:
    explicit File(const QString &localPath)
        : m_fd(::open(QFile::encodeName(localPath).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY,
                      0666))
    { }
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    ~File()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    [[nodiscard]] bool opened() const { return m_fd >= 0; }
    [[nodiscard]] bool write(const char *data, qint64 size) { return SystemFile::writeAll(m_fd, data, size); }
    [[nodiscard]] bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// The 54 bytes Qt's BMP writer puts before the rows of a 32-bit image: file and information headers of
// a 24-bit bottom-up bitmap without a palette, its resolution 72 dpi when the image states none.
QByteArray bmpHeader(QSize size, qint64 rowBytes, const MapUnits &units)
{
    QByteArray header(54, '\0');
    auto *h = reinterpret_cast<uchar *>(header.data());
    const auto pixelBytes = quint32(rowBytes * size.height());
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(54u + pixelBytes, h + 2);
    qToLittleEndian<quint32>(54u, h + 10);
    qToLittleEndian<quint32>(40u, h + 14);
    qToLittleEndian<qint32>(size.width(), h + 18);
    qToLittleEndian<qint32>(size.height(), h + 22);
    qToLittleEndian<quint16>(1, h + 26);
    qToLittleEndian<quint16>(24, h + 28);
    qToLittleEndian<quint32>(pixelBytes, h + 34);
    qToLittleEndian<qint32>(units.dotsPerMetreX() ? units.dotsPerMetreX() : 2834, h + 38);
    qToLittleEndian<qint32>(units.dotsPerMetreY() ? units.dotsPerMetreY() : 2834, h + 42);
    return header;
}

Status writeBmp(const MapSource &source, const SheetDrawings &drawings, const SheetPicture &picture,
                const QString &localPath)
{
    const QRect &part = picture.part;
    const qint64 rowBytes = (qint64(part.width()) * 24 + 31) / 32 * 4;
    if (rowBytes * part.height() > qint64(std::numeric_limits<quint32>::max()))
        return notSaved(localPath, QStringLiteral("immagine troppo grande per un file BMP"));
    File file(localPath);
    if (!file.opened())
        return notSaved(localPath, SystemFile::reason(errno));
    const QByteArray header = bmpHeader(part.size(), rowBytes, source.units());
    if (!file.write(header.constData(), header.size()))
        return notSaved(localPath, SystemFile::reason(errno));

    // The rows go bottom-up: bands from the bottom of the part.
    const int rows = bandRows(part.width());
    QByteArray row(rowBytes, '\0'); // the padding stays zero
    PartCanvas canvas(picture);
    for (int bottom = part.bottom() + 1; bottom > part.top(); bottom -= rows) {
        const int top = std::max(part.top(), bottom - rows);
        const QRect rect(part.left(), top, part.width(), bottom - top);
        Outcome<QImage> drawn = canvas.draw(source, drawings, rect);
        if (!drawn.ok())
            return drawn.error();
        const QImage band = asWrittenToBmp(std::move(drawn.value()));
        if (band.isNull())
            return notSaved(localPath, QStringLiteral("memoria insufficiente"));
        for (int y = band.height() - 1; y >= 0; --y) {
            const auto *pixel = reinterpret_cast<const QRgb *>(band.constScanLine(y));
            auto *out = reinterpret_cast<uchar *>(row.data());
            for (int x = 0; x < band.width(); ++x, ++pixel) {
                *out++ = uchar(qBlue(*pixel));
                *out++ = uchar(qGreen(*pixel));
                *out++ = uchar(qRed(*pixel));
            }
            if (!file.write(row.constData(), row.size()))
                return notSaved(localPath, SystemFile::reason(errno));
        }
        canvas.release(rect);
    }
    if (!file.close())
        return notSaved(localPath, SystemFile::reason(errno));
    return Done{};
}

Status writeTiff(const MapSource &source, const SheetDrawings &drawings, const SheetPicture &picture,
                 const QString &localPath)
{
    startGdal();
    const GdalErrors errors;
    // Everything goes into the TIFF itself: no notes beside the temporary file it is written as.
    const GdalOption noNotes("GDAL_PAM_ENABLED", "NO");
    const auto failed = [&](const QString &what) { return notSaved(localPath, errors.withReason(what)); };
    GDALDriver *const gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!gtiff)
        return failed(QStringLiteral("il formato GeoTIFF non è disponibile"));
    const QRect &part = picture.part;
    const char *const options[] = {"COMPRESS=DEFLATE", "PREDICTOR=2", "TILED=YES", "BLOCKXSIZE=256",
                                   "BLOCKYSIZE=256", "BIGTIFF=IF_SAFER", "PHOTOMETRIC=RGB", nullptr};
    GDALDatasetUniquePtr tiff(gtiff->Create(localPath.toUtf8().constData(), part.width(), part.height(), 3, GDT_Byte,
                                            const_cast<char **>(options)));
    if (!tiff)
        return failed(QStringLiteral("impossibile creare il file"));
    const MapUnits &units = source.units();
    tiff->SetMetadataItem("TIFFTAG_XRESOLUTION", QByteArray::number(units.pixelsPerUnitX(), 'f', 6).constData());
    tiff->SetMetadataItem("TIFFTAG_YRESOLUTION", QByteArray::number(units.pixelsPerUnitY(), 'f', 6).constData());
    tiff->SetMetadataItem("TIFFTAG_RESOLUTIONUNIT", "3"); // pixels a centimetre
    if (picture.georeference) {
        const Georeference placed = georeferenceOfPart(*picture.georeference, part.topLeft());
        double transform[6] = {placed.left, placed.pixelWidth, 0.0, placed.top, 0.0, placed.pixelHeight};
        OGRSpatialReference system;
        system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        if (system.importFromWkt(placed.system.wkt.toUtf8().constData()) != OGRERR_NONE
            || tiff->SetGeoTransform(transform) != CE_None || tiff->SetSpatialRef(&system) != CE_None)
            return failed(QStringLiteral("impossibile scrivere la georeferenziazione"));
    }

    const int rows = bandRows(part.width());
    PartCanvas canvas(picture);
    for (int top = part.top(); top <= part.bottom(); top += rows) {
        const int height = std::min(rows, part.bottom() + 1 - top);
        const QRect rect(part.left(), top, part.width(), height);
        Outcome<QImage> drawn = canvas.draw(source, drawings, rect);
        if (!drawn.ok())
            return drawn.error();
        const QImage band = drawn.value().convertToFormat(QImage::Format_RGB888);
        if (band.isNull())
            return failed(QStringLiteral("memoria insufficiente"));
        if (tiff->RasterIO(GF_Write, 0, top - part.top(), part.width(), height, const_cast<uchar *>(band.constBits()),
                           part.width(), height, GDT_Byte, 3, nullptr, 3, band.bytesPerLine(), 1, nullptr)
            != CE_None)
            return failed(QStringLiteral("errore di scrittura del file"));
        tiff->FlushCache(); // the band's tiles to the file, out of GDAL's block cache
        canvas.release(rect);
        if (errors.failed())
            return failed(QStringLiteral("errore di scrittura del file"));
    }
    tiff.reset(); // writes the rest and the directory
    if (errors.failed())
        return failed(QStringLiteral("errore di scrittura del file"));
    return Done{};
}

} // namespace

PictureFormat pictureFormatFor(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    return extension == QLatin1String("tif") || extension == QLatin1String("tiff") ? PictureFormat::Tiff
                                                                                   : PictureFormat::Bmp;
}

int bandRows(int width)
{
    const qint64 rows = std::max<qint64>(1, kBandBytes / (4 * qint64(std::max(1, width))));
    return int(rows >= kTileSide ? rows / kTileSide * kTileSide : rows);
}

Status writeSheetPicture(const MapSource &source, const SheetDrawings &drawings, const SheetPicture &picture,
                         PictureFormat format, const QString &localPath)
{
    if (picture.part.isEmpty() || !source.rect().contains(picture.part))
        return notSaved(localPath, QStringLiteral("la parte da salvare non è sulla mappa"));
    return format == PictureFormat::Tiff ? writeTiff(source, drawings, picture, localPath)
                                         : writeBmp(source, drawings, picture, localPath);
}

} // namespace map
