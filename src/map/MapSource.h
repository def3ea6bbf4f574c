#pragma once

#include "map/MapFiles.h"
#include "map/MapUnits.h"
#include "platform/Error.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace map {

// A map sheet as the map surface sees it: its size in pixels, its drawing unit, and the pixels of
// any region of it. The surface asks only for what is on screen, so a source may keep its sheet
// decoded whole (a bitmap) or read regions on demand (a raster too large to decode whole).
class MapSource
{
public:
    virtual ~MapSource() = default;

    [[nodiscard]] virtual QSize size() const = 0;
    [[nodiscard]] virtual const MapUnits &units() const = 0;
    // The pixels of `region` (clipped to the sheet; a null image when nothing of it is on the sheet),
    // in a format a QPainter draws on. MapUnreadable, naming the map file, when the file cannot give
    // them: a sheet read from its file as it is shown may turn out damaged where it was never read.
    [[nodiscard]] virtual Outcome<QImage> region(const QRect &region) const = 0;
    // An area of the sheet (sheet pixel positions, inside the sheet) shown in an image of `size`
    // pixels, each the sheet pixel under its centre: the sheet zoomed. region() when the area is the
    // image's size in whole pixels. This reads the area's pixels and samples them; a source that can
    // read a sheet made smaller for itself (a raster's overviews) does so.
    [[nodiscard]] virtual Outcome<QImage> sampled(const QRectF &area, QSize size) const;

    [[nodiscard]] QRect rect() const { return QRect(QPoint(0, 0), size()); }
};

// A map read whole into memory: the bitmaps of the map folder.
class DecodedMapSource final : public MapSource
{
public:
    explicit DecodedMapSource(MapBitmap bitmap);

    [[nodiscard]] QSize size() const override { return m_bitmap.image.size(); }
    [[nodiscard]] const MapUnits &units() const override { return m_bitmap.units; }
    [[nodiscard]] Outcome<QImage> region(const QRect &region) const override;
    // Samples the sheet in place, without a copy of the area.
    [[nodiscard]] Outcome<QImage> sampled(const QRectF &area, QSize size) const override;

private:
    MapBitmap m_bitmap;
};

// The pixels of `size` that show an area of a sheet (sheet pixel positions), each the sheet pixel
// under its centre. `pixels` hold the sheet from pixel `origin` on; a sample beyond them takes the
// nearest pixel they hold. Same format as `pixels`.
[[nodiscard]] QImage sampledPixels(const QImage &pixels, QPoint origin, const QRectF &area, QSize size);

// Whether an area shown at `size` is the sheet's own pixels, one for one.
[[nodiscard]] bool isWholePixels(const QRectF &area, QSize size);

} // namespace map
