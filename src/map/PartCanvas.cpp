#include "map/PartCanvas.h"

#include <QPainter>

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace map {

PartCanvas::PartCanvas(const SheetPicture &picture)
    : m_picture(picture)
{ }

PartCanvas::~PartCanvas()
{
    if (m_base)
        ::munmap(m_base, m_bytes);
}

Outcome<QImage> PartCanvas::draw(const MapSource &source, const SheetDrawings &drawings, const QRect &band)
{
    Outcome<QImage> read = source.region(band);
    if (!read.ok())
        return read;
    if (!m_base && !make(read.value().format()))
        return QImage();
    const QImage pixels
        = read.value().format() == m_image.format() ? read.value() : read.value().convertToFormat(m_image.format());
    const QRect &part = m_picture.part;
    const int top = band.top() - part.top();
    const auto rowBytes = std::size_t(std::min<qint64>(pixels.bytesPerLine(), m_rowBytes));
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(m_base + qint64(top + y) * m_rowBytes, pixels.constScanLine(y), rowBytes);

    const QRect rows(0, top, part.width(), band.height());
    drawings.paintOver(SheetRegion{m_image, part.topLeft(), source.size(), rows}, source.units());
    if (!m_picture.legend.isNull() && rows.intersects(QRect(m_picture.legendAt, m_picture.legend.size()))) {
        QPainter painter(&m_image);
        painter.setClipRect(rows);
        painter.drawImage(m_picture.legendAt, m_picture.legend);
    }
    return QImage(static_cast<const uchar *>(m_base) + qint64(top) * m_rowBytes, part.width(), band.height(),
                  m_rowBytes, m_image.format());
}

void PartCanvas::release(const QRect &band)
{
    const qint64 page = ::sysconf(_SC_PAGESIZE);
    const qint64 first = (qint64(band.top() - m_picture.part.top()) * m_rowBytes + page - 1) / page * page;
    const qint64 end = qint64(band.bottom() + 1 - m_picture.part.top()) * m_rowBytes / page * page;
    if (m_base && end > first)
        ::madvise(m_base + first, std::size_t(end - first), MADV_DONTNEED);
}

bool PartCanvas::make(QImage::Format format)
{
    const QSize size = m_picture.part.size();
    m_rowBytes = (qint64(size.width()) * QImage::toPixelFormat(format).bitsPerPixel() / 8 + 3) / 4 * 4;
    m_bytes = std::size_t(m_rowBytes) * std::size_t(size.height());
    // Address space for the whole part, memory only for what is written.
    void *base = ::mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED)
        return false;
    m_base = static_cast<uchar *>(base);
    m_image = QImage(m_base, size.width(), size.height(), m_rowBytes, format);
    return !m_image.isNull();
}

} // namespace map
