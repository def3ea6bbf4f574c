#include "map/MapSource.h"

namespace map {

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

} // namespace map
