#include "map/BmpLayout.h"

#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace map {

namespace {

// The information header sizes the reader reads as such; any other is read as the old 12-byte one.
bool knownInfoSize(qint32 size)
{
    return size == 40 || size == 64 || size == 108 || size == 124;
}

} // namespace

std::optional<qint64> BmpLayout::rowsEnd() const
{
    const qint64 rowBytes = (qint64(width) * bitCount + 31) / 32 * 4; // rows padded to 32-bit words
    qint64 pixelBytes = 0;
    qint64 end = 0;
    if (__builtin_mul_overflow(rowBytes, qint64(height), &pixelBytes)
        || __builtin_add_overflow(pixelsAt, pixelBytes, &end))
        return std::nullopt;
    return end;
}

std::optional<BmpLayout> bmpReaderLayout(const QByteArray &fileStart)
{
    constexpr qint64 kInfoAt = 14; // after the file header
    if (fileStart.size() < kInfoAt + 12 || !fileStart.startsWith("BM"))
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const uchar *>(fileStart.constData());
    const auto field = [bytes]<typename T>(T, int at) { return qFromLittleEndian<T>(bytes + at); };
    const qint32 pixelOffset = field(qint32(), 10), infoSize = field(qint32(), 14);
    BmpLayout layout;
    qint64 width = 0, height = 0;
    quint16 planes = 0;
    qint32 compression = 0, coloursUsed = 0;
    if (knownInfoSize(infoSize)) {
        if (fileStart.size() < kInfoAt + 40)
            return std::nullopt; // the reader cannot read the header either
        width = field(qint32(), 18);
        height = field(qint32(), 22);
        planes = field(quint16(), 26);
        layout.bitCount = field(quint16(), 28);
        compression = field(qint32(), 30);
        coloursUsed = field(qint32(), 46);
    } else {
        width = field(qint16(), 18);
        height = field(qint16(), 20);
        planes = field(quint16(), 22);
        layout.bitCount = field(quint16(), 24);
    }
    const int bits = layout.bitCount;
    // What the reader takes: these depths, one plane, run-length coding only of its own depth, bit
    // fields only of 16 and 32 bits, and an image of some pixels.
    if ((bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) || planes != 1)
        return std::nullopt;
    if (compression == 1 && bits == 8)
        layout.coding = BmpLayout::Coding::Rle8;
    else if (compression == 2 && bits == 4)
        layout.coding = BmpLayout::Coding::Rle4;
    else if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32)))
        return std::nullopt;
    if (width <= 0 || height == 0 || height == std::numeric_limits<qint32>::min())
        return std::nullopt;
    layout.width = int(width);
    layout.height = int(std::abs(height));

    // The reader goes to the end of the information header as its size states (staying where it is
    // for a size that points before the file), then reads the masks that follow a 40- or 64-byte
    // header with bit fields, or the palette of a depth up to 8 bits (3-byte entries after the old
    // header, else 4-byte ones; the colours used, else all of the depth).
    qint64 at = kInfoAt + infoSize >= 0 ? kInfoAt + infoSize : kInfoAt + 12;
    if (compression == 3 && infoSize < 108)
        at += 12;
    if (bits <= 8) {
        const qint64 colours = coloursUsed != 0 ? coloursUsed : qint64(1) << bits;
        if (colours > 256)
            return std::nullopt;
        at += std::max<qint64>(colours, 0) * (infoSize == 12 ? 3 : 4);
    }
    layout.pixelsAt = std::max<qint64>(at, pixelOffset);
    return layout;
}

std::optional<qint64> rleStreamLength(const uchar *stream, qint64 size, int bitsPerPixel, int width, int height)
{
    if ((bitsPerPixel != 4 && bitsPerPixel != 8) || width <= 0 || height <= 0 || size < 0)
        return std::nullopt;
    // Where the reader writes, counted in its image of one byte a pixel, lines padded to 32-bit
    // words: the stream's line y is the image's line height - 1 - y, the bottom one first.
    const qint64 w = width, h = height, lineBytes = (w + 3) / 4 * 4;
    const qint64 firstLineEnd = (h - 1) * lineBytes + w;
    qint64 at = 0, x = 0, y = 0, written = (h - 1) * lineBytes;
    // The bytes of n pixels written out, padded to a whole 16-bit word.
    const auto absoluteBytes = [&](qint64 n) { return ((bitsPerPixel == 8 ? n : (n + 1) / 2) + 1) / 2 * 2; };
    while (y < h) {
        if (size - at < 2) // every code takes two bytes at least
            return std::nullopt;
        const uchar count = stream[at], code = stream[at + 1]; // a run's colour(s) when the count is not 0
        at += 2;
        if (count != 0) { // a run of one colour (RLE4: two alternating ones)
            const qint64 n = std::min<qint64>(count, firstLineEnd - written);
            x += n;
            written += n;
            continue;
        }
        switch (code) {
        case 0: // end of the line
            x = 0;
            ++y;
            written = (h - y - 1) * lineBytes;
            break;
        case 1: // end of the bitmap
            return at;
        case 2: // move ahead
            if (size - at < 2)
                return std::nullopt;
            x = std::min(x + stream[at], w - 1);
            y = std::min(y + stream[at + 1], h - 1);
            at += 2;
            written = (h - y - 1) * lineBytes + x;
            break;
        default: { // pixels written out
            const qint64 n = std::min<qint64>(code, firstLineEnd - written);
            const qint64 bytes = absoluteBytes(n);
            if (size - at < bytes)
                return std::nullopt;
            at += bytes;
            x += n;
            written += n;
        }
        }
    }
    return at; // the end of the last line
}

} // namespace map
