#include "gis/ElementFeatures.h"

#include "map/OgrHandles.h"

#include <cmath>
#include <map>

namespace gis {

namespace {

const char *const kLayerName = "elementi_coinvolti";

using Geometry = map::OgrGeometry;

bool createElementFields(OGRLayer &layer, bool withSourceId)
{
    const auto field = [&layer](const char *name, OGRFieldType type) {
        OGRFieldDefn definition(name, type);
        return layer.CreateField(&definition) == OGRERR_NONE;
    };
    return field("nome", OFTString) && field("categoria", OFTString) && field("tipo", OFTString)
        && field("persone", OFTReal) && field("zona", OFTString) && field("threshold", OFTInteger)
        && field("weather", OFTString) && field("distance_m", OFTReal) && (!withSourceId || field("id", OFTString));
}

// Each element's innermost zone, over every source.
std::map<std::size_t, QString> zonesOf(const elements::ElementsReached &reached)
{
    std::map<std::size_t, QString> zones;
    for (const elements::PlanZone zone : elements::kPlanZones) {
        if (const auto &inZone = reached.zones[static_cast<std::size_t>(zone)])
            for (const elements::ElementReach &reach : inZone->elements)
                zones.emplace(reach.element, elements::zoneName(zone));
    }
    return zones;
}

} // namespace

std::optional<Error> writeReachedElements(GDALDataset &dataset, OGRSpatialReference &system,
                                          OGRCoordinateTransformation *toWgs84, const ReachedElements &reached,
                                          const map::GdalErrors &gdal)
{
    OGRLayer *layer = dataset.CreateLayer(kLayerName, &system, wkbUnknown, nullptr);
    if (!layer || !createElementFields(*layer, reached.sourceIds != nullptr))
        return notExported(QStringLiteral("GDAL non riesce a creare lo strato degli elementi coinvolti"), &gdal);
    const std::map<std::size_t, QString> zones = zonesOf(reached.reached);
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        const auto &inArea = reached.reached.areas[slot];
        if (!inArea)
            continue;
        for (const elements::ElementReach &reach : *inArea) {
            const elements::VulnerableElement &element = reached.layer.elements[reach.element];
            OGRGeometry *made = nullptr;
            if (OGRGeometryFactory::createFromWkb(element.wkb.constData(), nullptr, &made, element.wkb.size())
                != OGRERR_NONE)
                return notExported(QStringLiteral("la geometria dell'elemento \"%1\" non è leggibile").arg(element.name),
                                   &gdal);
            const Geometry geometry(made);
            if (toWgs84 && geometry->transform(toWgs84) != OGRERR_NONE)
                return notExported(
                    QStringLiteral("l'elemento \"%1\" non si può riportare in WGS 84").arg(element.name), &gdal);
            const Feature feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
            setText(*feature, "nome", element.name);
            setText(*feature, "categoria", element.category);
            setText(*feature, "tipo", element.type);
            if (element.people)
                feature->SetField("persone", *element.people);
            else
                feature->SetFieldNull(feature->GetFieldIndex("persone"));
            const auto zone = zones.find(reach.element);
            setText(*feature, "zona", zone != zones.end() ? zone->second : QString());
            feature->SetField("threshold", thresholdOf(slot));
            feature->SetField("weather", isF2(slot) ? "F2" : "D5");
            feature->SetField("distance_m", std::round(reach.distance_m * 10.0) / 10.0);
            if (reached.sourceIds)
                setText(*feature, "id", reached.sourceIds->at(reach.source));
            feature->SetGeometry(geometry.get());
            if (layer->CreateFeature(feature.get()) != OGRERR_NONE)
                return notExported(QStringLiteral("GDAL non riesce a scrivere un elemento coinvolto"), &gdal);
        }
    }
    return std::nullopt;
}

} // namespace gis
