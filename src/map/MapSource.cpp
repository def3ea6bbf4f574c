#include "map/MapSource.h"

namespace map {

DecodedMapSource::DecodedMapSource(MapBitmap bitmap)
    : m_bitmap(std::move(bitmap))
{ }

QImage DecodedMapSource::region(const QRect &region) const
{
    // A copy of the region only: the drawings go on it, never on the sheet. (QImage::copy() of an
    // empty rectangle would copy the whole sheet.)
    const QRect inside = region.intersected(m_bitmap.image.rect());
    return inside.isEmpty() ? QImage() : m_bitmap.image.copy(inside);
}

} // namespace map
