#include "gis/DamageAreaExport.h"

#include "estimate/Report.h"
#include "gis/AreaFeatures.h"
#include "gis/ElementFeatures.h"
#include "map/GdalSession.h"

#include <cpl_string.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace gis {

namespace {

const char *const kLayerName = "aree_di_danno";

struct FormatDriver
{
    const char *driver;
    const char *fileName;
};

FormatDriver driverOf(ExportFormat format)
{
    switch (format) {
    case ExportFormat::GeoPackage: return {"GPKG", "aree.gpkg"};
    case ExportFormat::GeoJson: return {"GeoJSON", "aree.geojson"};
    case ExportFormat::Kml: return {"LIBKML", "aree.kml"};
    }
    return {"GPKG", "aree.gpkg"};
}

const char *const kSourceLayerName = "sorgenti";

// Where a source lies in the file: the map's point itself, or moved to WGS 84.
Outcome<QPointF> placeInFile(const Placement &placement, QPointF ground)
{
    std::vector<QPointF> centre{ground};
    if (!std::isfinite(ground.x()) || !std::isfinite(ground.y()) || !toWgs84(placement.toWgs84, centre))
        return notExported(QStringLiteral("il punto %1 della mappa non si può riportare in WGS 84").arg(pointText(ground)));
    return centre.front();
}

// How a GIS labels the incident: by its substance, or by its class when it was picked without one.
QString incidentName(const Estimate &estimate)
{
    if (estimate.substance || !estimate.hazardClass)
        return reportedSubstanceName(estimate);
    return QStringLiteral("Classe %1").arg(estimate.hazardClass->dottedLabel());
}

// The incident's point in the layer of sources, named (with its number when there are several).
std::optional<Error> writeSourcePoint(OGRLayer &layer, const IncidentPlace &incident, const QString &name,
                                      int sourceNumber, int sourceCount, const EstimateFields &fields,
                                      const map::GdalErrors &gdal)
{
    const Feature feature = newFeature(layer, sourceNumber, fields, &incident);
    setText(*feature, "name", sourceCount == 1 ? name : QStringLiteral("%1 (%2)").arg(name).arg(sourceNumber));
    OGRPoint point(incident.place.x(), incident.place.y());
    feature->SetGeometry(&point);
    if (layer.CreateFeature(feature.get()) != OGRERR_NONE)
        return notExported(QStringLiteral("GDAL non riesce a scrivere il punto di una sorgente"), &gdal);
    return std::nullopt;
}

int countOf(const AreaPolygons &polygons)
{
    return static_cast<int>(
        std::count_if(polygons.begin(), polygons.end(), [](const auto &polygon) { return polygon.has_value(); }));
}

CPLStringList layerOptions(ExportFormat format)
{
    CPLStringList options;
    if (format == ExportFormat::GeoJson) {
        options.SetNameValue("RFC7946", "YES");
        // A billionth of a degree is about a tenth of a millimetre.
        options.SetNameValue("COORDINATE_PRECISION", "9");
    }
    return options;
}

} // namespace

std::optional<ExportFormat> exportFormatFor(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("gpkg"))
        return ExportFormat::GeoPackage;
    if (suffix == QLatin1String("geojson"))
        return ExportFormat::GeoJson;
    if (suffix == QLatin1String("kml"))
        return ExportFormat::Kml;
    return std::nullopt;
}

QString extensionOf(ExportFormat format)
{
    switch (format) {
    case ExportFormat::GeoPackage: return QStringLiteral(".gpkg");
    case ExportFormat::GeoJson: return QStringLiteral(".geojson");
    case ExportFormat::Kml: return QStringLiteral(".kml");
    }
    return {};
}

Outcome<ExportedAreas> exportDamageAreas(ExportFormat format, const Estimate &estimate,
                                         const map::CoordinateSystem &system, const std::vector<AreaSource> &sources,
                                         const QDateTime &when, const std::optional<ReachedElements> &reached)
{
    if (reached && format == ExportFormat::GeoJson)
        return notExported(QStringLiteral("un file GeoJSON ha un solo strato: per gli elementi coinvolti usare un "
                                          "GeoPackage (.gpkg) o un KML (.kml)"));
    map::startGdal();
    map::GdalErrors gdal;

    OGRSpatialReference mapSystem;
    if (!readMapSystem(mapSystem, system))
        return notExported(unreadableMapSystem(), &gdal);

    OGRSpatialReference wgs84;
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    wgs84.SetWellKnownGeogCS("WGS84");
    const bool keepsMapSystem = format == ExportFormat::GeoPackage;
    Transformation transformation;
    if (!keepsMapSystem) {
        transformation.reset(OGRCreateCoordinateTransformation(&mapSystem, &wgs84));
        if (!transformation)
            return notExported(QStringLiteral("il sistema di riferimento della mappa non si può riportare in WGS 84"),
                               &gdal);
    }

    const FormatDriver formatDriver = driverOf(format);
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName(formatDriver.driver);
    if (!driver)
        return notExported(QStringLiteral("questa installazione di GDAL non scrive il formato %1")
                               .arg(QLatin1String(formatDriver.driver)));

    OGRSpatialReference &fileSystem = keepsMapSystem ? mapSystem : wgs84;
    const IncidentFields incidentFields{when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate),
                                        !keepsMapSystem || system.geographic};
    ExportedAreas exported;
    const Outcome<QByteArray> file = fileMadeBy(
        *driver, formatDriver.fileName,
        [&](GDALDataset &dataset) -> std::optional<Error> {
            CPLStringList options = layerOptions(format);
            OGRLayer *areaLayer = dataset.CreateLayer(kLayerName, &fileSystem, wkbPolygon, options.List());
            if (!areaLayer || !createAreaFields(*areaLayer, KeyField::SourceNumber, &incidentFields))
                return notExported(QStringLiteral("GDAL non riesce a creare lo strato delle aree"), &gdal);
            // A GeoJSON file holds one layer: there the incident is in each area's attributes only.
            OGRLayer *sourceLayer = nullptr;
            if (format != ExportFormat::GeoJson) {
                sourceLayer = dataset.CreateLayer(kSourceLayerName, &fileSystem, wkbPoint, options.List());
                if (!sourceLayer || !createSourceFields(*sourceLayer, incidentFields))
                    return notExported(QStringLiteral("GDAL non riesce a creare lo strato delle sorgenti"), &gdal);
            }

            const Placement placement{system, transformation.get()};
            const EstimateFields fields = estimateFields(estimate);
            const int sourceCount = static_cast<int>(sources.size());
            for (int number = 1; number <= sourceCount; ++number) {
                const AreaSource &source = sources[std::size_t(number - 1)];
                const Outcome<map::AreaRings> rings = ringsToWrite(placement, source.ground, source.areas);
                if (!rings.ok())
                    return rings.error();
                const Outcome<QPointF> place = placeInFile(placement, source.ground);
                if (!place.ok())
                    return place.error();
                const IncidentPlace incident{incidentFields, place.value()};
                const Outcome<AreaPolygons> written = writeAreas(*areaLayer, placement, source.ground, source.areas,
                                                                 rings.value(), number, fields, estimate, gdal,
                                                                 &incident);
                if (!written.ok())
                    return written.error();
                exported.polygons += countOf(written.value());
                if (sourceLayer) {
                    if (std::optional<Error> stopped
                        = writeSourcePoint(*sourceLayer, incident, incidentName(estimate), number, sourceCount, fields, gdal))
                        return stopped;
                }
            }
            if (reached)
                return writeReachedElements(dataset, fileSystem, transformation.get(), *reached, gdal);
            return std::nullopt;
        },
        gdal);
    if (!file.ok())
        return file.error();
    exported.file = file.value();
    return exported;
}

} // namespace gis
