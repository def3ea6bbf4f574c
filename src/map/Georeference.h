#pragma once

#include "map/MapUnits.h"
#include "platform/Error.h"

#include <QPointF>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace map {

// A coordinate reference system as GIS programs name it.
struct CoordinateSystem
{
    QString wkt; // WKT2, what GIS files carry
    QString code; // "EPSG:32632" when the system has an authority code, else empty
    QString name; // "WGS 84 / UTM zone 32N"
    bool geographic = false; // longitude and latitude; else projected

    // How the windows and messages name the system: its code, else its name.
    [[nodiscard]] QString label() const { return code.isEmpty() ? name : code; }
};

// A system given as "EPSG:NNNN", WKT (also the ESRI WKT of a .prj file) or a PROJ string.
// MapGeoreferenceInvalid naming `source` (a file name, or the option that gave it) when it is none.
[[nodiscard]] Outcome<CoordinateSystem> coordinateSystemFrom(const QString &definition, const QString &source);

// Where the pixels of a sheet lie on the ground: a north-up affine georeference (no rotation), as a
// world file or a GeoTIFF gives it. Pixel positions count from the top-left corner of the sheet's
// top-left pixel, as GDAL's do.
struct Georeference
{
    double left = 0.0; // ground x of the sheet's top-left corner
    double top = 0.0; // ground y of the sheet's top-left corner
    double pixelWidth = 1.0; // ground units per pixel across, > 0
    double pixelHeight = -1.0; // ground units per pixel down, < 0 for a north-up sheet
    CoordinateSystem system;

    [[nodiscard]] QPointF groundAt(QPointF pixel) const;
    [[nodiscard]] QPointF pixelAt(QPointF ground) const;
    // Metres on the ground of one pixel across and down at a pixel position, as PROJ measures them on
    // the ellipsoid (a projection's scale changes from place to place); not a number where the system
    // has no place on the Earth.
    [[nodiscard]] QSizeF metresPerPixel(QPointF pixel) const;
};

// A point of the sheet in drawing units (MapUnits) on the ground, and back.
[[nodiscard]] QPointF groundAtUnits(const Georeference &georeference, const MapUnits &units, QPointF point);
[[nodiscard]] QPointF unitsAtGround(const Georeference &georeference, const MapUnits &units, QPointF ground);

// The drawing units of a georeferenced sheet: across, the resolution the file states (else 96 dpi);
// down, the one that makes a ground metre as long down as across at the sheet's middle, so that
// damage circles drawn at a chosen scale are round on the ground there.
[[nodiscard]] MapUnits georeferencedUnits(const Georeference &georeference, QSize sheet, const SheetResolution &stated);

// The scale factor (drawing units per ground centimetre) that draws true ground distances at the
// sheet's middle with these units: the true scale 1:N the sheet has there at its resolution.
[[nodiscard]] double groundScaleFactor(const Georeference &georeference, const MapUnits &units, QSize sheet);

} // namespace map
