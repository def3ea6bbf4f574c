#include "map/GdalMapSource.h"

#include "map/MapFiles.h"

namespace map {

GdalMapSource::GdalMapSource(GdalDataset dataset, BandLayout layout, MapUnits units, QString localPath)
    : m_dataset(std::move(dataset))
    , m_layout(layout)
    , m_units(units)
    , m_size(GDALGetRasterXSize(m_dataset.get()), GDALGetRasterYSize(m_dataset.get()))
    , m_localPath(std::move(localPath))
{ }

Outcome<QImage> GdalMapSource::region(const QRect &region) const
{
    const QRect inside = region.intersected(rect());
    if (inside.isEmpty())
        return QImage();
    const std::lock_guard lock(m_reading);
    const GdalErrors errors;
    QString problem;
    QImage pixels = readGdalRegion(m_dataset.get(), m_layout, inside, errors, &problem);
    if (pixels.isNull())
        return mapUnreadable(m_localPath, problem);
    return pixels;
}

} // namespace map
