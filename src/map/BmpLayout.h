#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace map {

// Where and how Qt's BMP reader (Qt 6.4) reads the pixels of a BMP file, so that a file too short
// for them can be told before the reader leaves the rest of its image unwritten.
struct BmpLayout
{
    enum class Coding { Rows, Rle8, Rle4 }; // Rows: uncompressed, any depth, bit fields too
    Coding coding = Coding::Rows;
    int bitCount = 0;
    int width = 0;
    int height = 0; // the image's: the header's without its sign
    qint64 pixelsAt = 0; // where the reader starts on the pixels

    // Rows: where the last row ends; nullopt when a header's figures cannot even be counted.
    [[nodiscard]] std::optional<qint64> rowsEnd() const;
};

// The layout the reader takes from a BMP file's first bytes (64 are enough), or nullopt for a file
// the reader refuses anyway, and for other files. An information header of a size the reader knows
// (40, 64, 108, 124 bytes) is read whole; any other size as the old 12-byte one (16-bit width and
// height, no compression, a whole palette). The pixels start at the offset the file header states,
// or right after the header, the bit-field masks and the palette when the offset points before
// their end.
[[nodiscard]] std::optional<BmpLayout> bmpReaderLayout(const QByteArray &fileStart);

// The pixel stream of a run-length coded BMP (RLE8: 8 bits a pixel, RLE4: 4 bits), walked the way
// the reader decodes it, without writing a pixel: how many bytes of the stream the reader takes
// before it stops, or nullopt when the stream runs off its end first.
//
// The codes: 00 00 ends a line, 00 01 ends the bitmap, 00 02 dx dy moves ahead, 00 n (n >= 3) is
// n pixels written out (padded to a whole 16-bit word), n c is n pixels of the colour(s) c. The
// reader stops at the end of the bitmap or at the end of the last line; one that runs out of data
// before either would leave the rest of the image as it was (or set pixels from a byte it never
// read), so such a stream is incomplete, and so is one cut inside a code. The reader's own ways are
// kept, since they decide which bytes it takes as codes: a run is shortened where it would go past
// the end of the first line decoded (later lines run on in memory), and a move beyond the image
// stops at its last column or line.
//
// Never reads outside stream[0, size). A well-formed stream can still leave pixels unset (moves,
// early ends): the reader must be given an image already filled.
[[nodiscard]] std::optional<qint64> rleStreamLength(const uchar *stream, qint64 size, int bitsPerPixel, int width,
                                                    int height);

} // namespace map
