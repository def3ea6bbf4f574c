#include "map/GdalMapSource.h"

namespace map {

GdalMapSource::GdalMapSource(GdalDataset dataset, BandLayout layout, MapUnits units)
    : m_dataset(std::move(dataset))
    , m_layout(layout)
    , m_units(units)
    , m_size(GDALGetRasterXSize(m_dataset.get()), GDALGetRasterYSize(m_dataset.get()))
{ }

QImage GdalMapSource::region(const QRect &region) const
{
    const QRect inside = region.intersected(rect());
    if (inside.isEmpty())
        return {};
    QImage pixels;
    {
        const std::lock_guard lock(m_reading);
        pixels = readGdalRegion(m_dataset.get(), m_layout, inside);
    }
    if (pixels.isNull()) {
        pixels = QImage(inside.size(), QImage::Format_RGB32);
        pixels.fill(qRgb(128, 128, 128));
    }
    return pixels;
}

} // namespace map
