#pragma once

#include "estimate/Estimate.h"
#include "map/GdalSession.h"
#include "map/OgrHandles.h"
#include "map/GroundRing.h"
#include "platform/Error.h"

#include <ogrsf_frmts.h>

#include <QByteArray>
#include <QPointF>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

// What the GIS files of damage areas share, inside the gis layer: GDAL's handles held for their
// lifetime, the estimate's attributes on every feature, each damage area's polygon, and a file made in
// GDAL's memory.

namespace gis {

using Dataset = map::OgrDataset;
using Transformation = map::OgrTransformation;
using Feature = map::OgrFeature;

// AreasNotExported with `detail`, followed by GDAL's reason when the failure is one of its calls.
[[nodiscard]] Error notExported(const QString &detail, const map::GdalErrors *gdal = nullptr);
[[nodiscard]] QString pointText(QPointF point);

// The map's reference system as OGR takes it, east first; false when OGR cannot read it.
[[nodiscard]] bool readMapSystem(OGRSpatialReference &reference, const map::CoordinateSystem &system);
[[nodiscard]] QString unreadableMapSystem(); // the detail that says so

// The estimate's attributes, the same on every feature of one estimate.
struct EstimateFields
{
    QString substance;
    QString cas;
    std::optional<QString> hazardClass;
    QString hypothesis;
    QString containment;
    std::optional<QString> range;
    QString scenario;
};
[[nodiscard]] EstimateFields estimateFields(const Estimate &estimate);

// Which source or item a feature belongs to: a source's number (the field "source", as the single
// estimate's file numbers them) or an item's id (the field "id", as a site's file names them).
using FeatureKey = std::variant<int, QString>;
enum class KeyField { SourceNumber, ItemId };

// What a single estimate's features add: when it was made (ISO 8601 with the offset from UTC) and where
// its incident lies, in the file's coordinates (source_e, source_n, or source_lon, source_lat when the
// file's system is geographic).
struct IncidentFields
{
    QString dateTime;
    bool lonLat = false;
};
struct IncidentPlace
{
    const IncidentFields &fields;
    QPointF place; // in the file's system
};

// The key field, the estimate's fields, the feature's name and the area's (threshold, weather,
// distance_m, greater_than, subclass, colour); with `incident` its fields too.
[[nodiscard]] bool createAreaFields(OGRLayer &layer, KeyField key, const IncidentFields *incident = nullptr);
// The key field, the estimate's fields, the name and the incident's, for a layer of incident points.
[[nodiscard]] bool createSourceFields(OGRLayer &layer, const IncidentFields &incident);
void setText(OGRFeature &feature, const char *name, const std::optional<QString> &text);
// A feature with the key and the estimate's attributes (and the incident's, when given), the rest empty.
[[nodiscard]] Feature newFeature(OGRLayer &layer, const FeatureKey &key, const EstimateFields &fields,
                                 const IncidentPlace *incident = nullptr);

// An area's name as a GIS shows it on the map, e.g. "Soglia 1 D5 — 75 m" ("> 10000 m" beyond the tables).
[[nodiscard]] QString areaName(std::size_t slot, const DistanceFigure &distance);

// Moves points of the map's system to WGS 84 (nothing to do without a transformation), or says it
// cannot: no point may land elsewhere.
[[nodiscard]] bool toWgs84(OGRCoordinateTransformation *transformation, std::vector<QPointF> &points);

// Everything needed to place the areas of one map in the written file.
struct Placement
{
    const map::CoordinateSystem &system;
    OGRCoordinateTransformation *toWgs84 = nullptr; // none when the file keeps the map's system
};

// The rings the map draws around a point, as they lie on the ground (map::groundRings()), or
// AreasNotExported with the reason one cannot be drawn.
[[nodiscard]] Outcome<map::AreaRings> ringsToWrite(const Placement &placement, QPointF ground,
                                                   const map::DamageAreas &areas);

// The damage areas of one point, their rings from ringsToWrite(), in their slots' order: the polygon
// written for each area that has a distance, as it lies in the file.
using AreaPolygons = std::array<std::optional<OGRPolygon>, kDistanceSlots>;
[[nodiscard]] Outcome<AreaPolygons> writeAreas(OGRLayer &layer, const Placement &placement, QPointF ground,
                                               const map::DamageAreas &areas, const map::AreaRings &rings,
                                               const FeatureKey &key, const EstimateFields &fields,
                                               const Estimate &estimate, const map::GdalErrors &gdal,
                                               const IncidentPlace *incident = nullptr);

// A file written by a GDAL driver in a folder of GDAL's memory of its own, and its bytes: `fill` makes
// its layers in the dataset and gives an error to stop.
using DatasetFiller = std::function<std::optional<Error>(GDALDataset &dataset)>;
[[nodiscard]] Outcome<QByteArray> fileMadeBy(GDALDriver &driver, const char *fileName, const DatasetFiller &fill,
                                             map::GdalErrors &gdal);

} // namespace gis
