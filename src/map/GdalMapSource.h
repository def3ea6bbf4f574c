#pragma once

#include "map/GdalRaster.h"
#include "map/MapSource.h"

#include <mutex>

namespace map {

// A raster too large to decode whole, read region by region as the surface shows it: only the blocks
// of the asked region (of an overview, for a sheet shown smaller) are read (through GDAL's block
// cache, whose size startGdal() caps).
class GdalMapSource final : public MapSource
{
public:
    GdalMapSource(GdalDataset dataset, BandLayout layout, MapUnits units, QString localPath);

    [[nodiscard]] QSize size() const override { return m_size; }
    [[nodiscard]] const MapUnits &units() const override { return m_units; }
    // A region the file cannot give (damaged blocks) is an error naming the file, never made-up pixels.
    [[nodiscard]] Outcome<QImage> region(const QRect &region) const override;
    // Made smaller, through GDAL, from the raster's overviews when it has them: only what the view
    // shows is read, never the whole raster.
    [[nodiscard]] Outcome<QImage> sampled(const QRectF &area, QSize size) const override;

private:
    mutable std::mutex m_reading; // a GDAL dataset reads on one thread at a time
    GdalDataset m_dataset;
    BandLayout m_layout;
    MapUnits m_units;
    QSize m_size;
    QString m_localPath;
};

} // namespace map
