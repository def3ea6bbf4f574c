#include "gis/AreaFeatures.h"

#include "estimate/Report.h"
#include "gis/GisErrors.h"
#include "map/DamageCircles.h"

#include <cpl_vsi.h>
#include <ogr_spatialref.h>

#include <QUuid>

#include <cmath>

namespace gis {

namespace {

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

} // namespace

Error notExported(const QString &detail, const map::GdalErrors *gdal)
{
    Error error = gisError(Error::Kind::AreasNotExported);
    error.detail = gdal ? gdal->withReason(detail) : detail;
    return error;
}

QString pointText(QPointF point)
{
    return QString::number(point.x(), 'g', 12) + QStringLiteral(", ") + QString::number(point.y(), 'g', 12);
}

bool readMapSystem(OGRSpatialReference &reference, const map::CoordinateSystem &system)
{
    reference.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return reference.SetFromUserInput(system.wkt.toUtf8().constData(),
                                      OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS)
        == OGRERR_NONE;
}

QString unreadableMapSystem()
{
    return QStringLiteral("il sistema di riferimento della mappa non è leggibile");
}

EstimateFields estimateFields(const Estimate &estimate)
{
    return {reportedSubstanceName(estimate),
            reportedCas(estimate),
            estimate.hazardClass ? std::optional(estimate.hazardClass->listCode) : std::nullopt,
            hypothesisName(estimate.hypothesis),
            containmentName(estimate.containment),
            // The range as its list shows it, without the blanks that align it there.
            estimate.range ? std::optional(estimate.range->text().trimmed()) : std::nullopt,
            estimate.scenario};
}

namespace {

bool createField(OGRLayer &layer, const char *name, OGRFieldType type, OGRFieldSubType subType = OFSTNone)
{
    OGRFieldDefn definition(name, type);
    definition.SetSubType(subType);
    return layer.CreateField(&definition) == OGRERR_NONE;
}

bool createEstimateFields(OGRLayer &layer, KeyField key)
{
    const bool keyed = key == KeyField::SourceNumber ? createField(layer, "source", OFTInteger)
                                                     : createField(layer, "id", OFTString);
    // "name" first among the texts: KML takes it as the placemark's name.
    return keyed && createField(layer, "name", OFTString) && createField(layer, "substance", OFTString)
        && createField(layer, "cas", OFTString) && createField(layer, "class", OFTString)
        && createField(layer, "hypothesis", OFTString) && createField(layer, "containment", OFTString)
        && createField(layer, "range", OFTString) && createField(layer, "scenario", OFTString);
}

std::pair<const char *, const char *> placeFieldNames(const IncidentFields &incident)
{
    return incident.lonLat ? std::pair("source_lon", "source_lat") : std::pair("source_e", "source_n");
}

bool createIncidentFields(OGRLayer &layer, const IncidentFields &incident)
{
    const auto [x, y] = placeFieldNames(incident);
    return createField(layer, "date_time", OFTString) && createField(layer, x, OFTReal)
        && createField(layer, y, OFTReal);
}

} // namespace

bool createAreaFields(OGRLayer &layer, KeyField key, const IncidentFields *incident)
{
    return createEstimateFields(layer, key) && createField(layer, "threshold", OFTInteger)
        && createField(layer, "weather", OFTString) && createField(layer, "distance_m", OFTReal)
        && createField(layer, "greater_than", OFTInteger, OFSTBoolean) && createField(layer, "subclass", OFTString)
        && createField(layer, "colour", OFTString) && (!incident || createIncidentFields(layer, *incident));
}

bool createSourceFields(OGRLayer &layer, const IncidentFields &incident)
{
    return createEstimateFields(layer, KeyField::SourceNumber) && createIncidentFields(layer, incident);
}

void setText(OGRFeature &feature, const char *name, const std::optional<QString> &text)
{
    if (text)
        feature.SetField(name, text->toUtf8().constData());
    else
        feature.SetFieldNull(feature.GetFieldIndex(name));
}

Feature newFeature(OGRLayer &layer, const FeatureKey &key, const EstimateFields &fields, const IncidentPlace *incident)
{
    Feature feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
    if (const int *source = std::get_if<int>(&key))
        feature->SetField("source", *source);
    else
        setText(*feature, "id", std::get<QString>(key));
    setText(*feature, "substance", fields.substance);
    setText(*feature, "cas", fields.cas);
    setText(*feature, "class", fields.hazardClass);
    setText(*feature, "hypothesis", fields.hypothesis);
    setText(*feature, "containment", fields.containment);
    setText(*feature, "range", fields.range);
    setText(*feature, "scenario", fields.scenario);
    for (const char *name : {"name", "threshold", "weather", "distance_m", "greater_than", "subclass", "colour"}) {
        if (const int index = feature->GetFieldIndex(name); index >= 0)
            feature->SetFieldNull(index);
    }
    if (incident) {
        const auto [x, y] = placeFieldNames(incident->fields);
        setText(*feature, "date_time", incident->fields.dateTime);
        feature->SetField(x, incident->place.x());
        feature->SetField(y, incident->place.y());
    }
    return feature;
}

QString areaName(std::size_t slot, const DistanceFigure &distance)
{
    const QString metres = QString::number(distance.metres, 'g', 12).replace(QLatin1Char('.'), QLatin1Char(','));
    return QStringLiteral("Soglia %1 %2 \u2014 %3%4 m")
        .arg(thresholdOf(slot))
        .arg(isF2(slot) ? QStringLiteral("F2") : QStringLiteral("D5"))
        .arg(distance.greaterThan ? QStringLiteral("> ") : QString())
        .arg(metres);
}

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

Outcome<map::AreaRings> ringsToWrite(const Placement &placement, QPointF ground, const map::DamageAreas &areas)
{
    Outcome<map::AreaRings> rings = map::groundRings(placement.system, ground, areas);
    if (!rings.ok())
        return notExported(rings.error().detail);
    return rings;
}

Outcome<AreaPolygons> writeAreas(OGRLayer &layer, const Placement &placement, QPointF ground,
                                 const map::DamageAreas &areas, const map::AreaRings &rings, const FeatureKey &key,
                                 const EstimateFields &fields, const Estimate &estimate, const map::GdalErrors &gdal,
                                 const IncidentPlace *incident)
{
    AreaPolygons polygons;
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const DamageDistance &distance = areas[slot];
        const std::optional<DistanceFigure> drawn = map::groundDistance(distance, slot);
        if (!drawn || rings[slot].empty())
            continue;
        std::vector<QPointF> ring = rings[slot];
        if (!toWgs84(placement.toWgs84, ring))
            return notExported(QStringLiteral("l'area di %1 m attorno al punto %2 non si può riportare in WGS 84")
                                   .arg(drawn->metres)
                                   .arg(pointText(ground)));
        const QString colour = map::damageAreaColours()[slot].name().toUpper();
        const Feature feature = newFeature(layer, key, fields, incident);
        setText(*feature, "name", areaName(slot, *drawn));
        feature->SetField("threshold", thresholdOf(slot));
        feature->SetField("weather", isF2(slot) ? "F2" : "D5");
        feature->SetField("distance_m", drawn->metres);
        feature->SetField("greater_than", drawn->greaterThan ? 1 : 0);
        setText(*feature, "subclass", reportedSubclass(estimate, distance, slot));
        setText(*feature, "colour", colour);
        // KML takes each area's colour from the style: the outline, and the same colour see-through.
        feature->SetStyleString(("PEN(c:" + colour + ",w:2px);BRUSH(fc:" + colour + "40)").toUtf8().constData());
        polygons[slot] = polygonOf(ring);
        feature->SetGeometry(&*polygons[slot]);
        if (layer.CreateFeature(feature.get()) != OGRERR_NONE)
            return notExported(QStringLiteral("GDAL non riesce a scrivere un'area di danno"), &gdal);
    }
    return polygons;
}

Outcome<QByteArray> fileMadeBy(GDALDriver &driver, const char *fileName, const DatasetFiller &fill,
                               map::GdalErrors &gdal)
{
    const MemoryFolder folder;
    const QByteArray path = folder.file(fileName);
    {
        Dataset dataset(driver.Create(path.constData(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!dataset)
            return notExported(QStringLiteral("GDAL non riesce a creare il file"), &gdal);
        if (std::optional<Error> stopped = fill(*dataset))
            return *std::move(stopped);
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
    return QByteArray(reinterpret_cast<const char *>(bytes), static_cast<qsizetype>(length));
}

} // namespace gis
