#include "gis/SiteAreaExport.h"

#include "gis/AreaFeatures.h"
#include "gis/ElementFeatures.h"
#include "map/GroundSystem.h"
#include "map/OgrHandles.h"
#include "platform/Parallel.h"

#include <ogr_geometry.h>
#include <ogr_spatialref.h>

#include <QStringList>

#include <array>
#include <memory>

namespace gis {

namespace {

using Geometry = map::OgrGeometry;

// The areas of one threshold and weather, gathered from every item.
struct SlotAreas
{
    OGRMultiPolygon areas;
    QStringList ids;
};

QString slotText(std::size_t slot)
{
    return QStringLiteral("soglia %1, %2").arg(thresholdOf(slot)).arg(isF2(slot) ? "F2" : "D5");
}

bool createEnvelopeFields(OGRLayer &layer)
{
    const auto field = [&layer](const char *name, OGRFieldType type) {
        OGRFieldDefn definition(name, type);
        return layer.CreateField(&definition) == OGRERR_NONE;
    };
    return field("threshold", OFTInteger) && field("weather", OFTString) && field("items", OFTString)
        && field("area_m2", OFTReal);
}

// The area on the ground: geodesic on the ellipsoid of the system's geographic base (PROJ's
// geod_polygonarea over the vertices), holes taken away, rather than OGR's planar area in map units,
// which a projection's scale distorts and which a geographic system gives in square degrees.
std::optional<double> groundArea(const map::GroundSystem &ground, const OGRMultiPolygon &envelope)
{
    const auto ringArea = [&ground](const OGRLinearRing &ring) {
        std::vector<QPointF> points;
        points.reserve(static_cast<std::size_t>(ring.getNumPoints()));
        for (int index = 0; index < ring.getNumPoints(); ++index)
            points.emplace_back(ring.getX(index), ring.getY(index));
        return ground.ringArea(points);
    };
    double total = 0.0;
    for (const OGRPolygon *polygon : envelope) {
        for (int index = 0; index < polygon->getNumInteriorRings() + 1; ++index) {
            const OGRLinearRing *ring = index == 0 ? polygon->getExteriorRing() : polygon->getInteriorRing(index - 1);
            const std::optional<double> area = ring ? ringArea(*ring) : std::optional(0.0);
            if (!area)
                return std::nullopt;
            total += index == 0 ? *area : -*area;
        }
    }
    return total;
}

// The envelope of one threshold and weather: the items' areas united, and its area on the ground.
struct Envelope
{
    Geometry shape;
    double area_m2 = 0.0;
};

// Works on a thread of its own: GDAL's messages and PROJ's objects are this thread's.
Outcome<Envelope> envelopeOf(const map::CoordinateSystem &system, std::size_t slot, const SlotAreas &gathered)
{
    const map::GdalErrors gdal;
    // GEOS, through OGR, unites the areas.
    Geometry united(gathered.areas.UnionCascaded());
    if (!united)
        return notExported(QStringLiteral("GEOS non riesce a unire le aree di %1").arg(slotText(slot)), &gdal);
    Geometry envelope(OGRGeometryFactory::forceToMultiPolygon(united.release()));
    if (!envelope || wkbFlatten(envelope->getGeometryType()) != wkbMultiPolygon)
        return notExported(QStringLiteral("l'unione delle aree di %1 non è un poligono").arg(slotText(slot)));
    const Outcome<map::GroundSystem> ground = map::GroundSystem::of(system);
    if (!ground.ok())
        return notExported(ground.error().detail);
    const std::optional<double> area = groundArea(ground.value(), *envelope->toMultiPolygon());
    if (!area)
        return notExported(QStringLiteral("l'inviluppo di %1 ha punti che non sono sulla Terra").arg(slotText(slot)));
    return Envelope{std::move(envelope), *area};
}

std::optional<Error> writeEnvelope(OGRLayer &layer, std::size_t slot, const SlotAreas &gathered,
                                   const Envelope &envelope, const map::GdalErrors &gdal)
{
    const Feature feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
    feature->SetField("threshold", thresholdOf(slot));
    feature->SetField("weather", isF2(slot) ? "F2" : "D5");
    setText(*feature, "items", gathered.ids.join(QStringLiteral("; ")));
    feature->SetField("area_m2", envelope.area_m2);
    feature->SetGeometry(envelope.shape.get());
    if (layer.CreateFeature(feature.get()) != OGRERR_NONE)
        return notExported(QStringLiteral("GDAL non riesce a scrivere l'inviluppo di %1").arg(slotText(slot)), &gdal);
    return std::nullopt;
}

} // namespace

Outcome<QByteArray> exportSiteAreas(const map::CoordinateSystem &system, const std::vector<SiteItemAreas> &items,
                                    const std::optional<ReachedElements> &reached)
{
    map::startGdal();
    map::GdalErrors gdal;

    OGRSpatialReference mapSystem;
    if (!readMapSystem(mapSystem, system))
        return notExported(unreadableMapSystem(), &gdal);
    const Outcome<map::GroundSystem> ground = map::GroundSystem::of(system);
    if (!ground.ok())
        return notExported(ground.error().detail);
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (!driver)
        return notExported(QStringLiteral("questa installazione di GDAL non scrive il formato GPKG"));

    return fileMadeBy(
        *driver, "aree.gpkg",
        [&](GDALDataset &dataset) -> std::optional<Error> {
            OGRLayer *areaLayer = dataset.CreateLayer("aree_di_danno", &mapSystem, wkbPolygon, nullptr);
            if (!areaLayer || !createAreaFields(*areaLayer, KeyField::ItemId))
                return notExported(QStringLiteral("GDAL non riesce a creare lo strato delle aree"), &gdal);
            OGRLayer *envelopeLayer = dataset.CreateLayer("inviluppi", &mapSystem, wkbMultiPolygon, nullptr);
            if (!envelopeLayer || !createEnvelopeFields(*envelopeLayer))
                return notExported(QStringLiteral("GDAL non riesce a creare lo strato degli inviluppi"), &gdal);

            const Placement placement{system};
            std::array<SlotAreas, kDistanceSlots> gathered;
            for (std::size_t index = 0; index < items.size(); ++index) {
                const SiteItemAreas &item = items[index];
                if (!item.estimate)
                    continue;
                const Estimate &estimate = *item.estimate;
                const Outcome<map::AreaRings> *rings = item.rings;
                Outcome<AreaPolygons> written = rings && rings->ok()
                    ? writeAreas(*areaLayer, placement, item.ground, estimate.distances, rings->value(), item.id,
                                 estimateFields(estimate), estimate, gdal)
                    : Outcome<AreaPolygons>(notExported(rings ? rings->error().detail
                                                              : QStringLiteral("le aree non sono state calcolate")));
                if (!written.ok()) {
                    Error error = written.error();
                    error.detail = item.id + QStringLiteral(": ") + error.detail;
                    return error;
                }
                for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
                    if (const std::optional<OGRPolygon> &polygon = written.value()[slot]) {
                        gathered[slot].areas.addGeometry(&*polygon);
                        gathered[slot].ids.append(item.id);
                    }
                }
            }
            std::array<std::optional<Outcome<Envelope>>, kDistanceSlots> envelopes;
            forEachIndexInParallel(kDistanceSlots, [&](std::size_t slot) {
                if (!gathered[slot].ids.isEmpty())
                    envelopes[slot] = envelopeOf(system, slot, gathered[slot]);
            });
            for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
                if (!envelopes[slot])
                    continue;
                if (!envelopes[slot]->ok())
                    return envelopes[slot]->error();
                if (std::optional<Error> failed
                    = writeEnvelope(*envelopeLayer, slot, gathered[slot], envelopes[slot]->value(), gdal))
                    return failed;
            }
            if (reached)
                return writeReachedElements(dataset, mapSystem, nullptr, *reached, gdal);
            return std::nullopt;
        },
        gdal);
}

} // namespace gis
