#include "map/MapFiles.h"

#include "estimate/OutputFileName.h"
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

constexpr int kMapAllocationLimitMb = 1024;

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

// The fields of a BMP header that say how its pixels are laid out; nullopt for other files.
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

// The bytes an uncompressed BMP of any depth says its pixels take from the start of the file, or
// nullopt for other files (compressed ones cannot tell before they are decoded). A file shorter than
// that would leave rows the image reader never fills, which show leftover memory.
std::optional<qint64> uncompressedBmpEnd(const std::optional<BmpHeader> &header)
{
    if (!header)
        return std::nullopt;
    const BmpHeader &h = *header;
    const bool uncompressed = h.compression == 0 || h.compression == 3 || h.compression == 6; // RGB, bit fields
    const qint64 height = std::abs(qint64(h.height));
    if (h.infoSize < 40 || !uncompressed || h.width <= 0 || height == 0 || h.bitCount == 0 || h.bitCount > 32)
        return std::nullopt;
    const qint64 rowBytes = (qint64(h.width) * h.bitCount + 31) / 32 * 4;
    qint64 pixelBytes = 0;
    // A header whose size cannot even be counted is left to the size limits.
    if (__builtin_mul_overflow(rowBytes, height, &pixelBytes))
        return std::nullopt;
    return qint64(h.pixelOffset) + pixelBytes;
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

// Whether the decoded image and its 32-bit copy fit the allocation limit together: a small
// compressed palette file can declare a sheet whose conversion alone would take gigabytes. Judged
// from the header, before anything is decoded.
bool fitsWithConversion(const QImageReader &reader)
{
    const QSize size = reader.size();
    if (!size.isValid())
        return true; // the reader reports what it cannot tell
    const qint64 pixels = qint64(size.width()) * size.height();
    const QImage::Format format = reader.imageFormat();
    const int decodedBits = format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 bytes = pixels * decodedBits / 8 + (format == QImage::Format_RGB32 ? 0 : pixels * 4);
    return bytes <= qint64(kMapAllocationLimitMb) * 1024 * 1024;
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

} // namespace

QString mapFilePath(const QString &folder, const QString &fileName)
{
    if (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        return folder + fileName;
    const QChar separator = DrivePaths::hasDriveLetter(folder) ? QLatin1Char('\\') : QLatin1Char('/');
    return folder + separator + fileName;
}

QString MapFileName(const QString &outputPrefix, const QDateTime &when, const QString &substance)
{
    return mapFileName(outputPrefix, when, substance);
}

QString mapPageFileName(const QString &outputPrefix, const QDateTime &when, const QString &substance)
{
    return outputFileName(outputPrefix, QStringLiteral("map"), when, substance, QStringLiteral(".pdf"));
}

Outcome<MapBitmap> loadMapBitmap(const QString &localPath)
{
    const auto failed = [&](Error::Kind kind, const QString &reason) {
        Error error{kind};
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
    const std::optional<BmpHeader> header = bmpHeader(fileStart);
    const std::optional<qint64> pixelsEnd = uncompressedBmpEnd(header);
    if (const std::optional<PlainBmp> plain = plainTwentyFourBitBmp(header)) {
        image = readPlainBmp(file, *plain, &problem);
    } else if (pixelsEnd && file.size() < *pixelsEnd) {
        problem = QStringLiteral("file troncato");
    } else {
        const QuietStandardError quiet; // libpng and the like print their own lines
        QImageReader reader(&file);
        reader.setAllocationLimit(kMapAllocationLimitMb);
        if (!fitsWithConversion(reader)) {
            problem = QStringLiteral("immagine troppo grande");
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
