#pragma once

#include "map/MapFiles.h"
#include "map/MapUnits.h"
#include "platform/Error.h"

#include <QImage>
#include <QRect>
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

private:
    MapBitmap m_bitmap;
};

} // namespace map
