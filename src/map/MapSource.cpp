#include "map/MapSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace map {

namespace {

// The source pixel (counted from `first`, within `count`) each of `samples` samples across `length`
// sheet pixels from `start` shows.
std::vector<int> sampleIndexes(double start, double length, int samples, int first, int count)
{
    std::vector<int> indexes(std::size_t(std::max(samples, 0)));
    const double step = length / samples;
    for (int i = 0; i < samples; ++i)
        indexes[std::size_t(i)] = std::clamp(int(std::floor(start + (i + 0.5) * step)) - first, 0, count - 1);
    return indexes;
}

} // namespace

Outcome<QImage> MapSource::sampled(const QRectF &area, QSize size) const
{
    if (isWholePixels(area, size))
        return region(area.toRect());
    const QRect enclosing = area.toAlignedRect().intersected(rect());
    const Outcome<QImage> pixels = region(enclosing);
    if (!pixels.ok() || pixels.value().isNull())
        return pixels;
    return sampledPixels(pixels.value(), enclosing.topLeft(), area, size);
}

DecodedMapSource::DecodedMapSource(MapBitmap bitmap)
    : m_bitmap(std::move(bitmap))
{ }

Outcome<QImage> DecodedMapSource::region(const QRect &region) const
{
    // A copy of the region only: the drawings go on it, never on the sheet. The whole sheet is
    // handed out shared: drawing on it copies it first, unless this source is gone by then, and
    // then the pixels are drawn on where they are. (QImage::copy() of an empty rectangle would copy
    // the whole sheet.)
    const QRect inside = region.intersected(m_bitmap.image.rect());
    if (inside == m_bitmap.image.rect())
        return m_bitmap.image;
    return inside.isEmpty() ? QImage() : m_bitmap.image.copy(inside);
}

Outcome<QImage> DecodedMapSource::sampled(const QRectF &area, QSize size) const
{
    if (isWholePixels(area, size))
        return region(area.toRect());
    if (area.intersected(QRectF(rect())).isEmpty())
        return QImage();
    return sampledPixels(m_bitmap.image, QPoint(0, 0), area, size);
}

QImage sampledPixels(const QImage &pixels, QPoint origin, const QRectF &area, QSize size)
{
    if (pixels.isNull() || size.isEmpty() || pixels.depth() % 8 != 0)
        return {};
    QImage sampled(size, pixels.format());
    if (sampled.isNull())
        return {};
    sampled.setColorTable(pixels.colorTable());
    sampled.setDotsPerMeterX(pixels.dotsPerMeterX());
    sampled.setDotsPerMeterY(pixels.dotsPerMeterY());
    const std::size_t bytes = std::size_t(pixels.depth() / 8);
    const std::vector<int> columns
        = sampleIndexes(area.x(), area.width(), size.width(), origin.x(), pixels.width());
    const std::vector<int> rows = sampleIndexes(area.y(), area.height(), size.height(), origin.y(), pixels.height());
    for (int y = 0; y < size.height(); ++y) {
        const uchar *from = pixels.constScanLine(rows[std::size_t(y)]);
        uchar *to = sampled.scanLine(y);
        for (const int column : columns) {
            std::memcpy(to, from + std::size_t(column) * bytes, bytes);
            to += bytes;
        }
    }
    return sampled;
}

bool isWholePixels(const QRectF &area, QSize size)
{
    return area.size() == QSizeF(size) && area.x() == std::floor(area.x()) && area.y() == std::floor(area.y());
}

} // namespace map
