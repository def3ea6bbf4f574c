#include "gis/DamageAreaExport.h"

#include "estimate/Report.h"
#include "gis/GisErrors.h"
#include "map/GdalSession.h"
#include "map/GroundRing.h"

#include <cpl_string.h>
#include <cpl_vsi.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <QFileInfo>
#include <QUuid>

#include <cmath>
#include <memory>

namespace gis {

namespace {

const char *const kLayerName = "aree_di_danno";

struct DatasetCloser
{
    void operator()(GDALDataset *dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

struct TransformationDestroyer
{
    void operator()(OGRCoordinateTransformation *transformation) const
    {
        OGRCoordinateTransformation::DestroyCT(transformation);
    }
};
using Transformation = std::unique_ptr<OGRCoordinateTransformation, TransformationDestroyer>;

struct FeatureDestroyer
{
    void operator()(OGRFeature *feature) const { OGRFeature::DestroyFeature(feature); }
};
using Feature = std::unique_ptr<OGRFeature, FeatureDestroyer>;

// A folder of GDAL's in-memory file system of its own, removed with whatever the driver left in it
// (a GeoPackage's journal as well as the file).
class MemoryFolder
{
public:
    MemoryFolder()
        : m_path("/vsimem/zefro-aree-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8())
    { }
    ~MemoryFolder() { VSIRmdirRecursive(m_path.constData()); }
    MemoryFolder(const MemoryFolder &) = delete;
    MemoryFolder &operator=(const MemoryFolder &) = delete;

    [[nodiscard]] QByteArray file(const char *name) const { return m_path + '/' + name; }

private:
    QByteArray m_path;
};

// `gdal`: GDAL's reason, when the failure is one of its calls.
Error notExported(const QString &detail, const map::GdalErrors *gdal = nullptr)
{
    Error error = gisError(Error::Kind::AreasNotExported);
    error.detail = gdal ? gdal->withReason(detail) : detail;
    return error;
}

QString pointText(QPointF point)
{
    return QString::number(point.x(), 'g', 12) + QStringLiteral(", ") + QString::number(point.y(), 'g', 12);
}

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

// The estimate's attributes, the same on every feature.
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

EstimateFields estimateFields(const Estimate &estimate)
{
    return {reportedSubstanceName(estimate),
            reportedCas(estimate),
            estimate.hazardClass ? std::optional(estimate.hazardClass->listCode) : std::nullopt,
            hypothesisName(estimate.hypothesis),
            containmentName(estimate.containment),
            estimate.range ? std::optional(estimate.range->text()) : std::nullopt,
            estimate.scenario};
}

bool createFields(OGRLayer &layer)
{
    const auto field = [&layer](const char *name, OGRFieldType type, OGRFieldSubType subType = OFSTNone) {
        OGRFieldDefn definition(name, type);
        definition.SetSubType(subType);
        return layer.CreateField(&definition) == OGRERR_NONE;
    };
    return field("source", OFTInteger) && field("substance", OFTString) && field("cas", OFTString)
        && field("class", OFTString) && field("hypothesis", OFTString) && field("containment", OFTString)
        && field("range", OFTString) && field("scenario", OFTString) && field("threshold", OFTInteger)
        && field("weather", OFTString) && field("distance_m", OFTReal) && field("greater_than", OFTInteger, OFSTBoolean)
        && field("subclass", OFTString) && field("colour", OFTString);
}

void setText(OGRFeature &feature, const char *name, const std::optional<QString> &text)
{
    if (text)
        feature.SetField(name, text->toUtf8().constData());
    else
        feature.SetFieldNull(feature.GetFieldIndex(name));
}

Feature newFeature(OGRLayer &layer, int source, const EstimateFields &fields)
{
    Feature feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
    feature->SetField("source", source);
    setText(*feature, "substance", fields.substance);
    setText(*feature, "cas", fields.cas);
    setText(*feature, "class", fields.hazardClass);
    setText(*feature, "hypothesis", fields.hypothesis);
    setText(*feature, "containment", fields.containment);
    setText(*feature, "range", fields.range);
    setText(*feature, "scenario", fields.scenario);
    for (const char *name : {"threshold", "weather", "distance_m", "greater_than", "subclass", "colour"})
        feature->SetFieldNull(feature->GetFieldIndex(name));
    return feature;
}

// Moves points of the map's system to WGS 84, or says it cannot: no point may land elsewhere.
bool toWgs84(OGRCoordinateTransformation *transformation, std::vector<QPointF> &points)
{
    if (!transformation)
        return true;
    for (QPointF &point : points) {
        double x = point.x();
        double y = point.y();
        if (!transformation->Transform(1, &x, &y) || !std::isfinite(x) || !std::isfinite(y))
            return false;
        point = QPointF(x, y);
    }
    return true;
}

OGRPolygon polygonOf(const std::vector<QPointF> &ring)
{
    OGRLinearRing linearRing;
    linearRing.setNumPoints(static_cast<int>(ring.size()));
    for (int index = 0; index < static_cast<int>(ring.size()); ++index)
        linearRing.setPoint(index, ring[index].x(), ring[index].y());
    OGRPolygon polygon;
    polygon.addRing(&linearRing);
    return polygon;
}

// Everything needed to place the areas of one map in the written file.
struct Placement
{
    const map::CoordinateSystem &system;
    OGRCoordinateTransformation *toWgs84 = nullptr; // none when the file keeps the map's system
};

// Writes the polygons then the point of one source; the number of polygons written, or the error.
Outcome<int> writeSource(OGRLayer &layer, const Placement &placement, const AreaSource &source, int sourceNumber,
                         const EstimateFields &fields, const Estimate &estimate, const map::GdalErrors &gdal)
{
    int polygons = 0;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const DamageDistance &distance = source.areas[slot];
        const std::optional<DistanceFigure> drawn = map::groundDistance(distance, slot);
        if (!drawn)
            continue;
        // The ring the map draws, as it lies on the ground.
        Outcome<std::vector<QPointF>> onGround = map::groundRing(placement.system, source.ground, drawn->metres);
        if (!onGround.ok())
            return notExported(onGround.error().detail);
        std::vector<QPointF> &ring = onGround.value();
        if (!toWgs84(placement.toWgs84, ring))
            return notExported(QStringLiteral("l'area di %1 m attorno al punto %2 non si può riportare in WGS 84")
                                   .arg(drawn->metres)
                                   .arg(pointText(source.ground)));
        const QString colour = map::damageAreaColours()[slot].name().toUpper();
        const Feature feature = newFeature(layer, sourceNumber, fields);
        feature->SetField("threshold", thresholdOf(slot));
        feature->SetField("weather", isF2(slot) ? "F2" : "D5");
        feature->SetField("distance_m", drawn->metres);
        feature->SetField("greater_than", drawn->greaterThan ? 1 : 0);
        setText(*feature, "subclass", reportedSubclass(estimate, distance, slot));
        setText(*feature, "colour", colour);
        // KML takes each area's colour from the style: the outline, and the same colour see-through.
        feature->SetStyleString(("PEN(c:" + colour + ",w:2px);BRUSH(fc:" + colour + "40)").toUtf8().constData());
        const OGRPolygon polygon = polygonOf(ring);
        feature->SetGeometry(&polygon);
        if (layer.CreateFeature(feature.get()) != OGRERR_NONE)
            return notExported(QStringLiteral("GDAL non riesce a scrivere un'area di danno"), &gdal);
        ++polygons;
    }

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
                                         const map::CoordinateSystem &system, const std::vector<AreaSource> &sources)
{
    map::startGdal();
    map::GdalErrors gdal;

    OGRSpatialReference mapSystem;
    mapSystem.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (mapSystem.SetFromUserInput(system.wkt.toUtf8().constData(),
                                   OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS)
        != OGRERR_NONE)
        return notExported(QStringLiteral("il sistema di riferimento della mappa non è leggibile"), &gdal);

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

    const MemoryFolder folder;
    const QByteArray path = folder.file(formatDriver.fileName);
    ExportedAreas exported;
    {
        Dataset dataset(driver->Create(path.constData(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!dataset)
            return notExported(QStringLiteral("GDAL non riesce a creare il file"), &gdal);
        CPLStringList options = layerOptions(format);
        OGRLayer *layer
            = dataset->CreateLayer(kLayerName, keepsMapSystem ? &mapSystem : &wgs84, wkbUnknown, options.List());
        if (!layer || !createFields(*layer))
            return notExported(QStringLiteral("GDAL non riesce a creare lo strato delle aree"), &gdal);

        const Placement placement{system, transformation.get()};
        const EstimateFields fields = estimateFields(estimate);
        for (std::size_t index = 0; index < sources.size(); ++index) {
            const Outcome<int> written
                = writeSource(*layer, placement, sources[index], static_cast<int>(index) + 1, fields, estimate, gdal);
            if (!written.ok())
                return written.error();
            exported.polygons += written.value();
        }
        // GDAL 3.6 closes without a result: a failure to complete the file shows as an error while it closes.
        gdal.clear();
        dataset.reset();
        if (gdal.failed())
            return notExported(QStringLiteral("GDAL non riesce a completare il file"), &gdal);
    }

    vsi_l_offset length = 0;
    const GByte *bytes = VSIGetMemFileBuffer(path.constData(), &length, FALSE);
    if (!bytes)
        return notExported(QStringLiteral("GDAL non ha prodotto il file"), &gdal);
    exported.file = QByteArray(reinterpret_cast<const char *>(bytes), static_cast<qsizetype>(length));
    return exported;
}

} // namespace gis
