#pragma once

#include "elements/ElementLayer.h"
#include "elements/ElementsReached.h"
#include "estimate/Estimate.h"
#include "map/DamageCircles.h"
#include "map/Georeference.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QDateTime>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

namespace gis {

// The GIS files the damage areas are written to, chosen by the file's extension: a GeoPackage
// (".gpkg", in the map's reference system), GeoJSON (".geojson", WGS 84 longitude and latitude, as
// RFC 7946 requires) or KML (".kml", WGS 84, each area in its map colour).
enum class ExportFormat { GeoPackage, GeoJson, Kml };
[[nodiscard]] std::optional<ExportFormat> exportFormatFor(const QString &fileName);
[[nodiscard]] QString extensionOf(ExportFormat format); // ".gpkg", ".geojson", ".kml"

// The damage areas drawn around one point of the map: the point in the map's reference system.
struct AreaSource
{
    QPointF ground;
    map::DamageAreas areas{};
};

// The vulnerable elements the areas reach, for a layer of their own beside the areas: the layer as
// read for the map, and what elements::elementsReached() found for the same sources. With `sourceIds`
// (a site's item ids, in the sources' order) each feature also names the nearest source in `id`.
struct ReachedElements
{
    const elements::ElementLayer &layer;
    const elements::ElementsReached &reached;
    const std::vector<QString> *sourceIds = nullptr;
};

struct ExportedAreas
{
    QByteArray file; // the whole file, ready to be written
    int polygons = 0;
};

// Two layers: "aree_di_danno", one polygon per damage area that has a distance (its ground ring,
// map::groundRing(), the points that many metres from its source on the ellipsoid), and "sorgenti",
// one point per source. Every feature carries the estimate's attributes (substance, cas, class,
// hypothesis, containment, range, scenario), `when` as date_time and its source's place (source_e,
// source_n in a projected file's system, source_lon, source_lat in a geographic one); a name as a GIS
// labels it ("Soglia 1 D5 — 75 m", a source by its substance); the polygons their area's threshold,
// weather, distance_m, greater_than, subclass and colour. A GeoJSON file holds one layer: the areas
// only. AreasNotExported when GDAL cannot write the file, a point cannot be placed in WGS 84 or an area
// cannot be shown in the map's system.
// With `reached`, a third layer "elementi_coinvolti": one feature per element and damage area that
// reaches it, its geometry as read (in the file's system), with nome, categoria, tipo, persone, zona
// (the element's innermost zone, empty when none), threshold, weather and distance_m. Not in GeoJSON:
// AreasNotExported there.
[[nodiscard]] Outcome<ExportedAreas> exportDamageAreas(ExportFormat format, const Estimate &estimate,
                                                       const map::CoordinateSystem &system,
                                                       const std::vector<AreaSource> &sources, const QDateTime &when,
                                                       const std::optional<ReachedElements> &reached = std::nullopt);

} // namespace gis
