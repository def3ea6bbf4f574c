#include "elements/ElementLayer.h"

#include "elements/ElementErrors.h"
#include "map/GdalSession.h"
#include "map/OgrHandles.h"
#include "platform/LenientText.h"
#include "platform/SystemFile.h"

#include <cpl_string.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <QFileInfo>

#include <array>
#include <memory>

namespace elements {

namespace {

using Dataset = map::OgrDataset;
using Feature = map::OgrFeature;
using Geometry = map::OgrGeometry;
using Transformation = map::OgrTransformation;

// The attributes looked up by name, and a CSV's columns that place its rows.
enum Attribute { Name, Category, Type, People, East, North, Wkt, kAttributeCount };
const std::array<QString, kAttributeCount> kAttributeNames{
    QStringLiteral("nome"), QStringLiteral("categoria"), QStringLiteral("tipo"), QStringLiteral("persone"),
    QStringLiteral("est"),  QStringLiteral("nord"),      QStringLiteral("wkt")};
using AttributeFields = std::array<int, kAttributeCount>; // the layer's field of each, -1 when none

AttributeFields attributeFields(OGRFeatureDefn &definition)
{
    AttributeFields fields;
    fields.fill(-1);
    for (int index = 0; index < definition.GetFieldCount(); ++index) {
        const QString name = folded(QString::fromUtf8(definition.GetFieldDefn(index)->GetNameRef()));
        for (std::size_t attribute = 0; attribute < kAttributeCount; ++attribute) {
            if (fields[attribute] < 0 && name == kAttributeNames[attribute])
                fields[attribute] = index;
        }
    }
    return fields;
}

Error unreadable(const QString &localPath, const QString &detail)
{
    Error error = elementsError(Error::Kind::ElementsUnreadable);
    error.file = localPath;
    error.detail = detail;
    return error;
}

Error notUsable(const QString &localPath, const QString &detail)
{
    Error error = elementsError(Error::Kind::ElementsNotUsable);
    error.file = localPath;
    error.detail = detail;
    return error;
}

QString text(const OGRFeature &feature, int field)
{
    return field >= 0 && feature.IsFieldSetAndNotNull(field) ? QString::fromUtf8(feature.GetFieldAsString(field)).trimmed()
                                                             : QString();
}

QString label(const VulnerableElement &element)
{
    return QStringLiteral("elemento %1 (%2)").arg(element.featureId).arg(element.name);
}

// A CSV row's place: `est` and `nord` (decimal comma or point), or a `wkt` column. GDAL's own
// reading of coordinate columns would take "480420,5" as 480420.
Geometry csvGeometry(const OGRFeature &feature, const AttributeFields &fields)
{
    if (const QString wkt = text(feature, fields[Wkt]); !wkt.isEmpty()) {
        OGRGeometry *made = nullptr;
        const QByteArray bytes = wkt.toUtf8();
        OGRGeometryFactory::createFromWkt(bytes.constData(), nullptr, &made);
        return Geometry(made);
    }
    const std::optional<double> east = figureOf(text(feature, fields[East]));
    const std::optional<double> north = figureOf(text(feature, fields[North]));
    if (!east || !north)
        return nullptr;
    return Geometry(new OGRPoint(*east, *north));
}

ElementShape shapeOf(const OGRGeometry &geometry)
{
    switch (geometry.getDimension()) {
    case 0: return ElementShape::Point;
    case 1: return ElementShape::Line;
    default: return ElementShape::Area;
    }
}

bool meets(const OGREnvelope &box, const QRectF &region)
{
    return region.isNull()
        || (box.MinX <= region.right() && box.MaxX >= region.left() && box.MinY <= region.bottom()
            && box.MaxY >= region.top());
}

QString extentText(const OGREnvelope &box)
{
    return QStringLiteral("E da %1 a %2, N da %3 a %4")
        .arg(box.MinX, 0, 'f', 1)
        .arg(box.MaxX, 0, 'f', 1)
        .arg(box.MinY, 0, 'f', 1)
        .arg(box.MaxY, 0, 'f', 1);
}

// The map's system for OGR, east first.
bool readSystem(OGRSpatialReference &reference, const map::CoordinateSystem &system)
{
    reference.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return reference.SetFromUserInput(system.wkt.toUtf8().constData(),
                                      OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS)
        == OGRERR_NONE;
}

// The element of a feature, its geometry already in the map's system.
VulnerableElement elementOf(const OGRFeature &feature, const AttributeFields &fields,
                                           OGRGeometry &geometry, QStringList &warnings)
{
    VulnerableElement element;
    element.featureId = feature.GetFID();
    element.name = text(feature, fields[Name]);
    if (element.name.isEmpty())
        element.name = QStringLiteral("elemento %1").arg(element.featureId);
    element.category = text(feature, fields[Category]);
    element.type = text(feature, fields[Type]);
    if (const QString people = text(feature, fields[People]); !people.isEmpty()) {
        const std::optional<double> figure = figureOf(people);
        if (figure && *figure >= 0.0)
            element.people = figure;
        else
            warnings << label(element)
                    + QStringLiteral(": persone \"%1\" non è un numero di persone; le sue persone non sono note")
                          .arg(people);
    }
    element.shape = shapeOf(geometry);
    OGREnvelope box;
    geometry.getEnvelope(&box);
    element.bounds = QRectF(QPointF(box.MinX, box.MinY), QPointF(box.MaxX, box.MaxY));
    element.wkb.resize(static_cast<qsizetype>(geometry.WkbSize()));
    geometry.exportToWkb(wkbNDR, reinterpret_cast<unsigned char *>(element.wkb.data()), wkbVariantIso);
    return element;
}

} // namespace

Outcome<ElementLayer> readElementLayer(const ElementRequest &request)
{
    map::startGdal();
    const QString &path = request.localPath;
    if (const Status regular = SystemFile::checkRegular(path); !regular.ok())
        return unreadable(path, regular.error().detail);

    const map::GdalErrors gdal;
    const bool csv = QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    CPLStringList openOptions;
    if (csv)
        openOptions.SetNameValue("AUTODETECT_TYPE", "NO");
    const Dataset dataset(GDALDataset::FromHandle(GDALOpenEx(
        path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, openOptions.List(), nullptr)));
    if (!dataset)
        return unreadable(path, gdal.withReason(QStringLiteral("non è uno strato vettoriale che GDAL sappia leggere")));
    if (dataset->GetLayerCount() == 0)
        return unreadable(path, QStringLiteral("il file non contiene strati"));
    OGRLayer *layer = request.layerName.isEmpty() ? dataset->GetLayer(0)
                                                  : dataset->GetLayerByName(request.layerName.toUtf8().constData());
    if (!layer) {
        QStringList names;
        for (int index = 0; index < dataset->GetLayerCount(); ++index)
            names << QString::fromUtf8(dataset->GetLayer(index)->GetName());
        return unreadable(path, QStringLiteral("il file non ha uno strato \"%1\" (ha: %2)")
                                    .arg(request.layerName, names.join(QStringLiteral(", "))));
    }

    ElementLayer read;
    read.file = path;
    read.layerName = QString::fromUtf8(layer->GetName());
    const AttributeFields fields = attributeFields(*layer->GetLayerDefn());
    if (csv && fields[Wkt] < 0 && (fields[East] < 0 || fields[North] < 0))
        return notUsable(path, QStringLiteral("la tabella non ha le colonne est e nord, né una colonna wkt, che "
                                              "diano la posizione degli elementi"));

    OGRSpatialReference mapSystem;
    if (!readSystem(mapSystem, request.system))
        return notUsable(path, QStringLiteral("il sistema di riferimento della mappa non è leggibile"));
    const OGRSpatialReference *layerSystem = csv ? nullptr : layer->GetSpatialRef();
    Transformation toMap;
    if (layerSystem && !layerSystem->IsSame(&mapSystem)) {
        OGRSpatialReference from(*layerSystem);
        from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        toMap.reset(OGRCreateCoordinateTransformation(&from, &mapSystem));
        if (!toMap)
            return notUsable(path, gdal.withReason(QStringLiteral("le coordinate dello strato non si possono portare "
                                                                  "nel sistema di riferimento della mappa (%1)")
                                                       .arg(request.system.label())));
        // Only the region is read: a layer with a spatial index (GeoPackage, a shapefile's .qix) reads no more.
        if (!request.region.isNull()) {
            Transformation fromMap(OGRCreateCoordinateTransformation(&mapSystem, &from));
            double west = 0.0, south = 0.0, east = 0.0, north = 0.0;
            if (fromMap
                && fromMap->TransformBounds(request.region.left(), request.region.top(), request.region.right(),
                                            request.region.bottom(), &west, &south, &east, &north, 21))
                layer->SetSpatialFilterRect(west, south, east, north);
        }
    } else if (layerSystem && !request.region.isNull()) {
        layer->SetSpatialFilterRect(request.region.left(), request.region.top(), request.region.right(),
                                    request.region.bottom());
    }

    bool anyFeature = false;
    OGREnvelope everywhere; // of every geometry read, for a layer without a system
    layer->ResetReading();
    for (Feature feature(layer->GetNextFeature()); feature; feature.reset(layer->GetNextFeature())) {
        anyFeature = true;
        Geometry geometry = csv ? csvGeometry(*feature, fields) : Geometry(feature->StealGeometry());
        if (!geometry || geometry->IsEmpty()) {
            read.warnings << QStringLiteral("elemento %1: senza geometria, tralasciato").arg(feature->GetFID());
            continue;
        }
        geometry->flattenTo2D();
        if (toMap && geometry->transform(toMap.get()) != OGRERR_NONE) {
            read.warnings << QStringLiteral("elemento %1: non si può portare nel sistema di riferimento della mappa, "
                                            "tralasciato")
                                 .arg(feature->GetFID());
            continue;
        }
        if (geometry->getDimension() == 2 && !geometry->IsValid()) {
            // A polygon that crosses itself would make every test on it fail: GEOS mends it.
            geometry.reset(geometry->MakeValid());
            if (!geometry || geometry->IsEmpty()) {
                read.warnings << QStringLiteral("elemento %1: la geometria non è valida, tralasciato")
                                     .arg(feature->GetFID());
                continue;
            }
        }
        OGREnvelope box;
        geometry->getEnvelope(&box);
        everywhere.Merge(box);
        if (!meets(box, request.region))
            continue;
        if (read.elements.size() == request.mostElements)
            return notUsable(path, QStringLiteral("più di %1 elementi nella zona della mappa: se ne accettano al più "
                                                  "%1; scegliere uno strato ristretto alla zona")
                                       .arg(request.mostElements));
        read.elements.push_back(elementOf(*feature, fields, *geometry, read.warnings));
    }
    if (gdal.failed())
        return unreadable(path, gdal.withReason(QStringLiteral("la lettura si è interrotta")));
    if (!anyFeature)
        return notUsable(path, QStringLiteral("lo strato \"%1\" non contiene elementi").arg(read.layerName));

    if (!layerSystem) {
        // Coordinates without a system are the map's only when they plainly are: they fall on its region.
        if (read.elements.empty() && everywhere.IsInit())
            return notUsable(path, QStringLiteral("lo strato non dichiara il suo sistema di riferimento e le sue "
                                                  "coordinate (%1) non cadono sulla mappa, nel sistema %2")
                                       .arg(extentText(everywhere), request.system.label()));
        read.warnings << QStringLiteral("lo strato non dichiara il suo sistema di riferimento: le sue coordinate "
                                        "sono prese nel sistema della mappa (%1), sulla quale cadono")
                             .arg(request.system.label());
    }
    return read;
}

} // namespace elements
