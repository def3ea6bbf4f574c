#include "map/InvertLine.h"

#include <cstdlib>

namespace map {

namespace {

void invertPixel(QImage &image, const QRect &inside, int x, int y)
{
    if (!inside.contains(x, y))
        return;
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32: reinterpret_cast<QRgb *>(image.scanLine(y))[x] ^= 0x00FFFFFFu; break;
    case QImage::Format_RGB888:
    case QImage::Format_BGR888: {
        uchar *pixel = image.scanLine(y) + 3 * x;
        pixel[0] ^= 0xFF;
        pixel[1] ^= 0xFF;
        pixel[2] ^= 0xFF;
        break;
    }
    default: {
        const QRgb old = image.pixel(x, y);
        image.setPixel(x, y, qRgba(255 - qRed(old), 255 - qGreen(old), 255 - qBlue(old), qAlpha(old)));
        break;
    }
    }
}

} // namespace

void invertLinePixels(QImage &image, QPoint from, QPoint to, const QRect &clip)
{
    if (image.isNull())
        return;
    const QRect inside = clip.isNull() ? image.rect() : clip.intersected(image.rect());
    // Bresenham: one pixel per step along the major axis, never the same pixel twice.
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int stepX = x < to.x() ? 1 : -1;
    const int stepY = y < to.y() ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        invertPixel(image, inside, x, y);
        if (x == to.x() && y == to.y())
            break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

} // namespace map
