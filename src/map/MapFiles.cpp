#include "map/MapFiles.h"

#include "estimate/OutputFileName.h"
#include "map/BmpLayout.h"
#include "map/MapErrors.h"
#include "platform/DrivePaths.h"
#include "platform/LibraryMessages.h"
#include "platform/SystemFile.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <cstdlib>
#include <limits>
#include <optional>

namespace map {

namespace {

// Scanned maps are mostly plain 24-bit BMPs, and they can be huge. Their rows are read straight
// into a 24-bit image, which costs a quarter less memory than 32-bit pixels and no conversion.
// Anything else (palettes, bit fields, compression, other formats) goes through the image reader.
struct PlainBmp
{
    qint64 pixelOffset = 0;
    int width = 0;
    int height = 0;
    bool topDown = false;
};

// The fields of a BMP header that tell a plain 24-bit one; nullopt for other files.
struct BmpHeader
{
    quint32 pixelOffset = 0;
    quint32 infoSize = 0;
    qint32 width = 0;
    qint32 height = 0; // negative: rows top-down
    quint16 planes = 0;
    quint16 bitCount = 0;
    quint32 compression = 0;
};

std::optional<BmpHeader> bmpHeader(const QByteArray &fileStart)
{
    if (fileStart.size() < 54 || !fileStart.startsWith("BM"))
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const uchar *>(fileStart.constData());
    return BmpHeader{qFromLittleEndian<quint32>(bytes + 10), qFromLittleEndian<quint32>(bytes + 14),
                     qFromLittleEndian<qint32>(bytes + 18),  qFromLittleEndian<qint32>(bytes + 22),
                     qFromLittleEndian<quint16>(bytes + 26), qFromLittleEndian<quint16>(bytes + 28),
                     qFromLittleEndian<quint32>(bytes + 30)};
}

std::optional<PlainBmp> plainTwentyFourBitBmp(const std::optional<BmpHeader> &header)
{
    if (!header)
        return std::nullopt;
    const BmpHeader &h = *header;
    if (h.infoSize < 40 || h.planes != 1 || h.bitCount != 24 || h.compression != 0 || h.width <= 0 || h.height == 0
        || h.height == std::numeric_limits<qint32>::min() || h.pixelOffset < 14 + h.infoSize)
        return std::nullopt;
    return PlainBmp{h.pixelOffset, h.width, std::abs(h.height), h.height < 0};
}

// Whether the file holds every pixel the image reader will read from it: all the rows of an
// uncompressed BMP, or a run-length stream up to its end. A file cut short would leave the rest of
// the reader's image unwritten, which shows leftover memory.
bool holdsAllPixels(QFile &file, const BmpLayout &layout, QString *problem)
{
    const qint64 size = file.size();
    if (layout.coding == BmpLayout::Coding::Rows) {
        const std::optional<qint64> end = layout.rowsEnd();
        // A header whose size cannot even be counted is left to the size limits.
        if (!end || size >= *end)
            return true;
        *problem = QStringLiteral("file troncato");
        return false;
    }
    const qint64 streamBytes = size - layout.pixelsAt;
    if (streamBytes <= 0) {
        *problem = QStringLiteral("file troncato");
        return false;
    }
    uchar *stream = file.map(layout.pixelsAt, streamBytes);
    if (!stream) {
        *problem = QStringLiteral("errore di lettura del file");
        return false;
    }
    const bool complete
        = rleStreamLength(stream, streamBytes, layout.bitCount, layout.width, layout.height).has_value();
    file.unmap(stream);
    if (!complete)
        *problem = QStringLiteral("file troncato");
    return complete;
}

// Reads the rows of a plain 24-bit BMP; a null image when the file is shorter than it claims.
QImage readPlainBmp(QFile &file, const PlainBmp &bmp, QString *problem)
{
    const qint64 rowBytes = (qint64(bmp.width) * 3 + 3) / 4 * 4;
    // Compared by division: the header's width and height can make the product overflow.
    if (rowBytes > qint64(kMapAllocationLimitMb) * 1024 * 1024 / bmp.height) {
        *problem = QStringLiteral("immagine troppo grande");
        return {};
    }
    if (file.size() < bmp.pixelOffset + rowBytes * bmp.height || !file.seek(bmp.pixelOffset)) {
        *problem = QStringLiteral("file troncato");
        return {};
    }
    QImage image(bmp.width, bmp.height, QImage::Format_BGR888);
    if (image.isNull() || image.bytesPerLine() < rowBytes) {
        *problem = QStringLiteral("memoria insufficiente");
        return {};
    }
    for (int row = 0; row < bmp.height; ++row) {
        const int y = bmp.topDown ? row : bmp.height - 1 - row;
        if (file.read(reinterpret_cast<char *>(image.scanLine(y)), rowBytes) != rowBytes) {
            *problem = QStringLiteral("errore di lettura del file");
            return {};
        }
    }
    return image;
}

// Whether an image of these pixels decoded in this format and its 32-bit copy fit the allocation
// limit together: a small compressed palette file can declare a sheet whose conversion alone would
// take gigabytes. Judged from the header, before anything is decoded.
bool fitsWithConversion(qint64 pixels, QImage::Format format)
{
    const qint64 limit = qint64(kMapAllocationLimitMb) * 1024 * 1024;
    if (pixels > limit) // at least 4 bytes a pixel; the bytes below cannot overflow
        return false;
    const int decodedBits = format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 bytes = pixels * decodedBits / 8 + (format == QImage::Format_RGB32 ? 0 : pixels * 4);
    return bytes <= limit;
}

// The same for the image the reader says it will decode.
bool fitsWithConversion(const QImageReader &reader)
{
    QSize size = reader.size();
    size.setHeight(std::abs(size.height())); // a top-down BMP states its height below 0
    if (!size.isValid())
        return true; // the reader reports what it cannot tell
    return fitsWithConversion(qint64(size.width()) * size.height(), reader.imageFormat());
}

// The image reader's failure in the analyst's words.
QString readerProblem(QImageReader::ImageReaderError error)
{
    switch (error) {
    case QImageReader::UnsupportedFormatError: return QStringLiteral("formato d'immagine non riconosciuto");
    case QImageReader::InvalidDataError: return QStringLiteral("dati dell'immagine non validi o incompleti");
    case QImageReader::DeviceError:
    case QImageReader::FileNotFoundError: return QStringLiteral("errore di lettura del file");
    default: return QStringLiteral("immagine illeggibile");
    }
}

// Reads a run-length coded BMP into an image of palette indexes filled with index 0 beforehand: the
// reader leaves the pixels that a well-formed stream skips (moves, early ends of a line or of the
// bitmap) as they are, so they show the palette's first colour, as when the stream is decoded into
// zeroed memory, never leftover memory.
QImage readRunLength(QImageReader &reader, const BmpLayout &layout, QString *problem)
{
    // The limit once more, on the header as read here: this image is made before the reader reads,
    // and the reader tells no size for a header it refuses.
    if (!fitsWithConversion(qint64(layout.width) * layout.height, QImage::Format_Indexed8)) {
        *problem = QStringLiteral("immagine troppo grande");
        return {};
    }
    QImage image(layout.width, layout.height, QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    image.fill(0);
    const uchar *const filled = image.constBits();
    if (!reader.read(&image)) {
        *problem = readerProblem(reader.error());
        return {};
    }
    // The reader decodes into the image it is given when its size and format are those of the file;
    // one of its own would hold leftover memory where the stream sets nothing.
    if (image.constBits() != filled) {
        *problem = QStringLiteral("immagine illeggibile");
        return {};
    }
    return image;
}

} // namespace

QString mapFilePath(const QString &folder, const QString &fileName)
{
    if (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        return folder + fileName;
    const QChar separator = DrivePaths::hasDriveLetter(folder) ? QLatin1Char('\\') : QLatin1Char('/');
    return folder + separator + fileName;
}

QString mapPageFileName(const QString &outputPrefix, const QDateTime &when, const QString &substance)
{
    return outputFileName(outputPrefix, QStringLiteral("map"), when, substance, QStringLiteral(".pdf"));
}

Error mapUnreadable(const QString &localPath, const QString &detail)
{
    Error error = mapError(Error::Kind::MapUnreadable);
    error.file = QFileInfo(localPath).fileName();
    error.detail = detail;
    error.localPath = localPath;
    return error;
}

Outcome<MapBitmap> loadMapBitmap(const QString &localPath)
{
    const auto failed = [&](Error::Kind kind, const QString &reason) {
        Error error = mapError(kind);
        error.file = QFileInfo(localPath).fileName();
        error.detail = reason;
        error.localPath = localPath;
        return error;
    };
    // A FIFO or a device would block or never end.
    if (const Status regular = SystemFile::checkRegular(localPath); !regular.ok())
        return failed(Error::Kind::MapUnopenable, regular.error().detail);
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        return failed(Error::Kind::MapUnopenable,
                      file.error() == QFileDevice::PermissionsError ? QStringLiteral("permesso negato")
                                                                    : QStringLiteral("il file non si apre"));
    const QByteArray fileStart = file.peek(64);

    QImage image;
    QString problem;
    const std::optional<BmpLayout> layout = bmpReaderLayout(fileStart);
    if (const std::optional<PlainBmp> plain = plainTwentyFourBitBmp(bmpHeader(fileStart))) {
        image = readPlainBmp(file, *plain, &problem);
    } else if (!layout || holdsAllPixels(file, *layout, &problem)) {
        const QuietStandardError quiet; // libpng and the like print their own lines
        QImageReader reader(&file);
        reader.setAllocationLimit(kMapAllocationLimitMb);
        if (!fitsWithConversion(reader)) {
            problem = QStringLiteral("immagine troppo grande");
        } else if (layout && layout->coding != BmpLayout::Coding::Rows) {
            image = readRunLength(reader, *layout, &problem);
        } else {
            image = reader.read();
            if (image.isNull())
                problem = readerProblem(reader.error());
        }
        // Palette and other formats are drawn on in 32-bit colour, so that the circles keep
        // their exact colours.
        if (!image.isNull() && image.format() != QImage::Format_RGB32)
            image.convertTo(QImage::Format_RGB32);
    }
    if (image.isNull() && problem.isEmpty())
        problem = QStringLiteral("memoria insufficiente");
    if (image.isNull())
        return failed(Error::Kind::MapUnreadable, problem);

    SheetResolution stated{static_cast<double>(image.dotsPerMeterX()), static_cast<double>(image.dotsPerMeterY())};
    if (const auto resolution = bmpHeaderResolution(fileStart))
        stated = *resolution; // a BMP says itself whether it states a resolution (0 = not stated)
    return MapBitmap{std::move(image), MapUnits::fromResolution(stated)};
}

} // namespace map
