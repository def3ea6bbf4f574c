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

Outcome<QImage> GdalMapSource::sampled(const QRectF &area, QSize size) const
{
    // Larger than the sheet's own pixels: those few pixels read, then repeated.
    if (size.width() >= area.width() && size.height() >= area.height())
        return MapSource::sampled(area, size);
    const QRectF inside = area.intersected(QRectF(rect()));
    if (inside.isEmpty() || size.isEmpty())
        return QImage();
    const std::lock_guard lock(m_reading);
    const GdalErrors errors;
    QString problem;
    QImage pixels = readGdalArea(m_dataset.get(), m_layout, inside, size, errors, &problem);
    if (pixels.isNull())
        return mapUnreadable(m_localPath, problem);
    return pixels;
}

} // namespace map
