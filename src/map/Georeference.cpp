#include "map/Georeference.h"

#include "map/GdalRaster.h"
#include "map/GdalSession.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace map {

namespace {

struct Release
{
    void operator()(OGRSpatialReference *system) const { system->Release(); }
};

// The shape of a geographic system's ellipsoid: what the local size of a degree depends on.
struct Ellipsoid
{
    double semiMajor = 6378137.0; // WGS 84
    double eccentricitySquared = 0.00669437999014;
    double radiansPerUnit = std::numbers::pi / 180.0;
};

Ellipsoid ellipsoidOf(const QString &wkt)
{
    // The windows ask for it at every mouse move: the last system's is kept.
    thread_local QString cachedWkt;
    thread_local Ellipsoid cached;
    if (wkt == cachedWkt)
        return cached;
    Ellipsoid ellipsoid;
    const GdalErrors quiet; // a system that does not read keeps WGS 84's ellipsoid
    OGRSpatialReference system;
    if (system.importFromWkt(wkt.toUtf8().constData()) == OGRERR_NONE) {
        OGRErr failed = OGRERR_NONE;
        const double semiMajor = system.GetSemiMajor(&failed);
        const double eccentricitySquared = system.GetSquaredEccentricity();
        if (failed == OGRERR_NONE && semiMajor > 0.0 && eccentricitySquared >= 0.0 && eccentricitySquared < 1.0)
            ellipsoid = {semiMajor, eccentricitySquared, system.GetAngularUnits(nullptr)};
    }
    cachedWkt = wkt;
    cached = ellipsoid;
    return ellipsoid;
}

} // namespace

Outcome<CoordinateSystem> coordinateSystemFrom(const QString &definition, const QString &source)
{
    startGdal();
    const GdalErrors quiet; // the reasons are given in ZEFRO's words
    const auto refused = [&](const QString &detail) {
        Error error{Error::Kind::MapGeoreferenceInvalid};
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
    if (!geographic)
        result.metresPerUnit = system.GetLinearUnits(nullptr);

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
    if (!system.geographic)
        return {std::abs(pixelWidth) * system.metresPerUnit, std::abs(pixelHeight) * system.metresPerUnit};
    // The radii of curvature of the ellipsoid at the pixel's latitude: along the parallel (prime
    // vertical times the cosine) and along the meridian.
    const Ellipsoid ellipsoid = ellipsoidOf(system.wkt);
    const double latitude = groundAt(pixel).y() * ellipsoid.radiansPerUnit;
    const double sine = std::sin(latitude);
    const double w = 1.0 - ellipsoid.eccentricitySquared * sine * sine;
    const double primeVertical = ellipsoid.semiMajor / std::sqrt(w);
    const double meridian = ellipsoid.semiMajor * (1.0 - ellipsoid.eccentricitySquared) / (w * std::sqrt(w));
    return {primeVertical * std::cos(latitude) * std::abs(pixelWidth) * ellipsoid.radiansPerUnit,
            meridian * std::abs(pixelHeight) * ellipsoid.radiansPerUnit};
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
