#pragma once

#include "map/MapSource.h"
#include "map/SheetDrawings.h"
#include "map/SheetPicture.h"
#include "platform/Error.h"

#include <QImage>
#include <QRect>

#include <cstddef>

namespace map {

// A picture the size of the part saved whose rows take memory only while a band is in them. Each
// band's pixels are put in their rows and the drawings painted over the whole picture with those rows
// as the clip, so that a band gets exactly the pixels the part drawn at once gets: a painter clips a
// line at the edge of its image, and would light other pixels along it in an image only a band high.
class PartCanvas
{
public:
    explicit PartCanvas(const SheetPicture &picture);
    PartCanvas(const PartCanvas &) = delete;
    PartCanvas &operator=(const PartCanvas &) = delete;
    ~PartCanvas();

    // The band (sheet pixels, as wide as the part) read, drawn on and the legend burned in: rows of the
    // canvas, valid until release(). The source's error, or a null image when memory runs out.
    [[nodiscard]] Outcome<QImage> draw(const MapSource &source, const SheetDrawings &drawings, const QRect &band);

    // Gives the memory of a band's rows back: the pages wholly inside them.
    void release(const QRect &band);

private:
    bool make(QImage::Format format);

    const SheetPicture &m_picture;
    uchar *m_base = nullptr;
    std::size_t m_bytes = 0;
    qint64 m_rowBytes = 0;
    QImage m_image; // never copied: painting on a copy would copy the whole part
};

} // namespace map
