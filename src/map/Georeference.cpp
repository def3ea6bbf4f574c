#include "map/Georeference.h"

#include "map/GdalRaster.h"
#include "map/GdalSession.h"
#include "map/GroundSystem.h"
#include "map/MapErrors.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <limits>
#include <memory>

namespace map {

namespace {

struct Release
{
    void operator()(OGRSpatialReference *system) const { system->Release(); }
};

} // namespace

Outcome<CoordinateSystem> coordinateSystemFrom(const QString &definition, const QString &source)
{
    startGdal();
    const GdalErrors quiet; // the reasons are given in ZEFRO's words
    const auto refused = [&](const QString &detail) {
        Error error = mapError(Error::Kind::MapGeoreferenceInvalid);
        error.file = source;
        error.detail = detail;
        return error;
    };
    const QByteArray text = definition.trimmed().toUtf8();
    if (text.isEmpty())
        return refused(QStringLiteral("il sistema di riferimento è vuoto"));

    OGRSpatialReference system;
    system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    // The definition is the analyst's text or a side file's: never a file name or an address to fetch.
    const char *const options[] = {"ALLOW_NETWORK_ACCESS=NO", "ALLOW_FILE_ACCESS=NO", nullptr};
    if (system.SetFromUserInput(text.constData(), options) != OGRERR_NONE)
        return refused(QStringLiteral("il sistema di riferimento non è riconosciuto (serve un codice \"EPSG:NNNN\", "
                                      "un testo WKT o una stringa PROJ)"));
    const bool geographic = system.IsGeographic();
    if (!geographic && !system.IsProjected())
        return refused(QStringLiteral("il sistema di riferimento non è né geografico né proiettato"));

    // A .prj file or a PROJ string carries no code: the EPSG system it is equivalent to, when there is
    // one (70: the same definition under another name).
    if (!system.GetAuthorityCode(nullptr)) {
        const std::unique_ptr<OGRSpatialReference, Release> match(system.FindBestMatch(70));
        if (match && qstrcmp(match->GetAuthorityName(nullptr), "EPSG") == 0) {
            system = *match;
            system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        }
    }
    CoordinateSystem result;
    const char *const authority = system.GetAuthorityName(nullptr);
    const char *const code = system.GetAuthorityCode(nullptr);
    if (authority && code && QByteArray(authority).compare("EPSG", Qt::CaseInsensitive) == 0)
        result.code = QStringLiteral("EPSG:") + QString::fromUtf8(code);
    result.name = QString::fromUtf8(system.GetName());
    result.geographic = geographic;

    char *raw = nullptr;
    const char *const wktOptions[] = {"FORMAT=WKT2_2019", nullptr};
    const OGRErr exported = system.exportToWkt(&raw, wktOptions);
    const CplText wkt(raw);
    if (exported != OGRERR_NONE || !wkt)
        return refused(QStringLiteral("il sistema di riferimento non si può scrivere in WKT"));
    result.wkt = QString::fromUtf8(wkt.get());
    return result;
}

QPointF Georeference::groundAt(QPointF pixel) const
{
    return {left + pixel.x() * pixelWidth, top + pixel.y() * pixelHeight};
}

QPointF Georeference::pixelAt(QPointF ground) const
{
    return {(ground.x() - left) / pixelWidth, (ground.y() - top) / pixelHeight};
}

QSizeF Georeference::metresPerPixel(QPointF pixel) const
{
    // Measured on the ground: the geodesic between the places half a pixel either side, on the
    // ellipsoid of the system's geographic base. Not a number where the system has no place.
    const Outcome<GroundSystem> ground = GroundSystem::of(system);
    const auto metresBetween = [&](QPointF from, QPointF to) {
        const std::optional<QPointF> start = ground.ok() ? ground.value().lonLatAt(groundAt(from)) : std::nullopt;
        const std::optional<QPointF> end = ground.ok() ? ground.value().lonLatAt(groundAt(to)) : std::nullopt;
        return start && end ? ground.value().distance(*start, *end) : std::numeric_limits<double>::quiet_NaN();
    };
    return {metresBetween(pixel - QPointF(0.5, 0.0), pixel + QPointF(0.5, 0.0)),
            metresBetween(pixel - QPointF(0.0, 0.5), pixel + QPointF(0.0, 0.5))};
}

QPointF groundAtUnits(const Georeference &georeference, const MapUnits &units, QPointF point)
{
    return georeference.groundAt({point.x() * units.pixelsPerUnitX(), point.y() * units.pixelsPerUnitY()});
}

QPointF unitsAtGround(const Georeference &georeference, const MapUnits &units, QPointF ground)
{
    return units.toUnits(georeference.pixelAt(ground));
}

MapUnits georeferencedUnits(const Georeference &georeference, QSize sheet, const SheetResolution &stated)
{
    const double across = MapUnits::fromResolution(stated).pixelsPerUnitX() * 100.0;
    const QSizeF metres = georeference.metresPerPixel(QPointF(sheet.width() / 2.0, sheet.height() / 2.0));
    const double down = across * metres.width() / metres.height();
    // A sheet at a pole has no size across: it keeps square units.
    return std::isfinite(down) && down > 0.0 ? MapUnits(across, down) : MapUnits(across, across);
}

double groundScaleFactor(const Georeference &georeference, const MapUnits &units, QSize sheet)
{
    const QSizeF metres = georeference.metresPerPixel(QPointF(sheet.width() / 2.0, sheet.height() / 2.0));
    // A ground centimetre is 1 / (100 x metres per pixel) pixels, each 1 / pixelsPerUnit drawing units.
    return 1.0 / (100.0 * metres.width() * units.pixelsPerUnitX());
}

} // namespace map
