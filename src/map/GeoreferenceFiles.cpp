#include "map/GeoreferenceFiles.h"

#include "map/GdalRaster.h"
#include "map/GdalSession.h"
#include "map/MapErrors.h"

#include <QDir>
#include <QFileInfo>

#include <ogr_spatialref.h>

namespace map {

namespace {

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 17);
}

// The system in one WKT dialect (GDAL's names), with the order of its axes in GIS terms; empty when it
// cannot be written.
QByteArray wktOf(const CoordinateSystem &system, const char *format, QByteArray *axisOrder = nullptr)
{
    startGdal();
    const GdalErrors quiet;
    OGRSpatialReference reference;
    reference.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (reference.importFromWkt(system.wkt.toUtf8().constData()) != OGRERR_NONE)
        return {};
    char *raw = nullptr;
    const char *const options[] = {format, nullptr};
    const OGRErr exported = reference.exportToWkt(&raw, options);
    const CplText wkt(raw);
    if (exported != OGRERR_NONE || !wkt)
        return {};
    if (axisOrder) {
        QByteArrayList axes;
        for (const int axis : reference.GetDataAxisToSRSAxisMapping())
            axes << QByteArray::number(axis);
        *axisOrder = axes.join(',');
    }
    return QByteArray(wkt.get());
}

} // namespace

Georeference georeferenceOfPart(const Georeference &sheet, QPoint origin)
{
    Georeference part = sheet;
    const QPointF corner = sheet.groundAt(QPointF(origin));
    part.left = corner.x();
    part.top = corner.y();
    return part;
}

QStringList georeferenceFileNames(const QString &picturePath)
{
    const QFileInfo picture(picturePath);
    const QString base = picture.dir().filePath(picture.completeBaseName());
    const QString extension = picture.suffix().toLower();
    const QString world = extension.isEmpty() ? QStringLiteral("wld")
                                              : QString(extension.front()) + extension.back() + QLatin1Char('w');
    return {base + QLatin1Char('.') + world, base + QStringLiteral(".prj"), picturePath + QStringLiteral(".aux.xml")};
}

QByteArray worldFileText(const Georeference &georeference)
{
    const QPointF centre = georeference.groundAt(QPointF(0.5, 0.5));
    return number(georeference.pixelWidth) + "\n0\n0\n" + number(georeference.pixelHeight) + '\n' + number(centre.x())
        + '\n' + number(centre.y()) + '\n';
}

Outcome<std::vector<SideFile>> georeferenceFiles(const QString &picturePath, const Georeference &georeference)
{
    QByteArray axisOrder;
    const QByteArray esri = wktOf(georeference.system, "FORMAT=WKT1_ESRI");
    const QByteArray wkt = wktOf(georeference.system, "FORMAT=WKT2_2019", &axisOrder);
    if (esri.isEmpty() || wkt.isEmpty()) {
        Error error = mapError(Error::Kind::MapGeoreferenceInvalid);
        error.file = georeference.system.label();
        error.detail = QStringLiteral("il sistema di riferimento non si può scrivere nel file .prj");
        return error;
    }
    const QStringList names = georeferenceFileNames(picturePath);
    const QByteArray notes = "<PAMDataset>\n  <SRS dataAxisToSRSAxisMapping=\"" + axisOrder + "\">"
        + QString::fromUtf8(wkt).toHtmlEscaped().toUtf8() + "</SRS>\n</PAMDataset>\n";
    return std::vector<SideFile>{{names[0], worldFileText(georeference)}, {names[1], esri}, {names[2], notes}};
}

} // namespace map
