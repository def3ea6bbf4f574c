#include "gis/DamageAreaExport.h"

#include "gis/AreaFeatures.h"
#include "gis/ElementFeatures.h"
#include "map/GdalSession.h"

#include <cpl_string.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

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

// Writes the polygons then the point of one source; the number of polygons written, or the error.
Outcome<int> writeSource(OGRLayer &layer, const Placement &placement, const AreaSource &source, int sourceNumber,
                         const EstimateFields &fields, const Estimate &estimate, const map::GdalErrors &gdal)
{
    const Outcome<map::AreaRings> rings = ringsToWrite(placement, source.ground, source.areas);
    if (!rings.ok())
        return rings.error();
    const Outcome<AreaPolygons> written = writeAreas(layer, placement, source.ground, source.areas, rings.value(),
                                                     sourceNumber, fields, estimate, gdal);
    if (!written.ok())
        return written.error();
    const auto polygons = static_cast<int>(std::count_if(written.value().begin(), written.value().end(),
                                                         [](const auto &polygon) { return polygon.has_value(); }));

    std::vector<QPointF> centre{source.ground};
    if (!std::isfinite(source.ground.x()) || !std::isfinite(source.ground.y()) || !toWgs84(placement.toWgs84, centre))
        return notExported(
            QStringLiteral("il punto %1 della mappa non si può riportare in WGS 84").arg(pointText(source.ground)));
    const Feature feature = newFeature(layer, sourceNumber, fields);
    OGRPoint point(centre.front().x(), centre.front().y());
    feature->SetGeometry(&point);
    if (layer.CreateFeature(feature.get()) != OGRERR_NONE)
        return notExported(QStringLiteral("GDAL non riesce a scrivere il punto di una sorgente"), &gdal);
    return polygons;
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
                                         const std::optional<ReachedElements> &reached)
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

    ExportedAreas exported;
    const Outcome<QByteArray> file = fileMadeBy(
        *driver, formatDriver.fileName,
        [&](GDALDataset &dataset) -> std::optional<Error> {
            CPLStringList options = layerOptions(format);
            OGRLayer *layer
                = dataset.CreateLayer(kLayerName, keepsMapSystem ? &mapSystem : &wgs84, wkbUnknown, options.List());
            if (!layer || !createAreaFields(*layer, KeyField::SourceNumber))
                return notExported(QStringLiteral("GDAL non riesce a creare lo strato delle aree"), &gdal);

            const Placement placement{system, transformation.get()};
            const EstimateFields fields = estimateFields(estimate);
            for (std::size_t index = 0; index < sources.size(); ++index) {
                const Outcome<int> written = writeSource(*layer, placement, sources[index], static_cast<int>(index) + 1,
                                                         fields, estimate, gdal);
                if (!written.ok())
                    return written.error();
                exported.polygons += written.value();
            }
            if (reached)
                return writeReachedElements(dataset, keepsMapSystem ? mapSystem : wgs84, transformation.get(),
                                            *reached, gdal);
            return std::nullopt;
        },
        gdal);
    if (!file.ok())
        return file.error();
    exported.file = file.value();
    return exported;
}

} // namespace gis
