#pragma once

#include <QByteArray>
#include <QPoint>
#include <QImage>
#include <QPointF>

#include <optional>

namespace map {

// Resolution of a map sheet in pixels per metre, as a bitmap file declares it.
struct SheetResolution
{
    double pixelsPerMetreX = 0.0;
    double pixelsPerMetreY = 0.0;
};

// The resolution fields of a BMP file's header (its first bytes), when the file is a BMP with an
// information header; the fields may be 0 (not stated).
[[nodiscard]] std::optional<SheetResolution> bmpHeaderResolution(const QByteArray &fileStart);

// The resolution TIFF tags state, from their texts as GDAL gives them (also for PNG and JPEG):
// XRESOLUTION, YRESOLUTION and RESOLUTIONUNIT ("2 (pixels/inch)", "3 (pixels/cm)"; a ratio without a
// unit states none). 0 where nothing is stated. Read alike whatever the program's locale.
[[nodiscard]] SheetResolution resolutionFromTiffTags(const QByteArray &x, const QByteArray &y, const QByteArray &unit);

// Screens and scanners work between these; a header outside them is taken as not stated.
inline constexpr double kMinPixelsPerMetre = 1000.0; // about 25 dpi
inline constexpr double kMaxPixelsPerMetre = 100000.0; // about 2540 dpi
inline constexpr double kDefaultPixelsPerMetre = 96.0 / 0.0254; // 96 dpi

// The drawing unit of the map surface is one centimetre of the map sheet, so that a scale 1:N
// gives true ground distances whatever the resolution the map was scanned at. Mouse positions,
// circle radii and the rescale segment are all in this unit.
class MapUnits
{
public:
    MapUnits() = default;
    MapUnits(double pixelsPerMetreX, double pixelsPerMetreY);

    // The units of a sheet: each axis takes its stated resolution when it is plausible, else the
    // other axis's, else 96 dpi.
    [[nodiscard]] static MapUnits fromResolution(const SheetResolution &stated);

    [[nodiscard]] double pixelsPerUnitX() const { return m_pixelsPerUnitX; }
    [[nodiscard]] double pixelsPerUnitY() const { return m_pixelsPerUnitY; }

    // A pixel position (its top-left corner) in drawing units.
    [[nodiscard]] QPointF toUnits(QPointF pixel) const;
    // The pixel holding a point given in drawing units.
    [[nodiscard]] QPoint toPixel(QPointF units) const;

    // The resolution in whole pixels per metre, as a BMP header states it.
    [[nodiscard]] int dotsPerMetreX() const;
    [[nodiscard]] int dotsPerMetreY() const;

    // Gives a picture of the sheet this resolution, so that a saved sheet is read back with the
    // drawing unit it was drawn with, also when its own file stated none.
    void stampOn(QImage &sheet) const;

private:
    double m_pixelsPerUnitX = kDefaultPixelsPerMetre / 100.0;
    double m_pixelsPerUnitY = kDefaultPixelsPerMetre / 100.0;
};

} // namespace map
