#include "cli/EstimateOutputs.h"

#include "estimate/EstimateJson.h"
#include "cli/GroundPointCheck.h"
#include "cli/MapOverlay.h"
#include "cli/ProtectedFiles.h"
#include "estimate/OutputFileName.h"
#include "estimate/Report.h"
#include "gis/DamageAreaExport.h"
#include "map/Georeference.h"
#include "platform/DrivePaths.h"
#include "platform/SystemFile.h"
#include "platform/TextFile.h"

#include <QJsonDocument>

namespace {

QString warning(const QString &message)
{
    return QStringLiteral("zefro-estimate: attenzione: ") + message;
}

PlannedOutputs failed(BatchFailure::Kind kind, const QString &message, QStringList notices = {})
{
    return {BatchFailure{kind, message}, std::move(notices), {}};
}

// The GIS file of --export: the incident is on the ground where the map places it, or at --at in
// the --crs system.
std::optional<BatchFailure> planAreaExport(const DrivePaths &drives, const EstimateRequest &request,
                                           const Estimate &estimate, const std::optional<QPointF> &ground,
                                           std::optional<map::CoordinateSystem> system, OutputPlan &outputs,
                                           QStringList &notices)
{
    const auto usage = [](const QString &line) { return BatchFailure{BatchFailure::Kind::Usage, line}; };
    if (!system) {
        if (request.map)
            return usage(QStringLiteral("--export: la mappa %1 non è georiferita (servono un file mondo e un .prj, "
                                        "o un GeoTIFF)")
                             .arg(request.map->mapFile));
        const Outcome<map::CoordinateSystem> named = map::coordinateSystemFrom(request.crs, QStringLiteral("--crs"));
        if (!named.ok())
            return usage(QStringLiteral("--crs %1: sistema di riferimento sconosciuto (scrivere ad esempio "
                                        "EPSG:32632)")
                             .arg(request.crs));
        system = named.value();
        const GroundPointCheck checked = checkGroundPoint(*system, *ground);
        if (!checked.usageError.isEmpty())
            return usage(checked.usageError);
        if (!checked.warning.isEmpty())
            notices << warning(checked.warning);
    }
    const QString path = drives.toLocal(request.exportFile);
    if (const std::optional<QString> kept
        = protectedTarget(drives, path, request.map ? drives.toLocal(request.map->mapFile) : QString()))
        return usage(QStringLiteral("--export %1: %2").arg(request.exportFile, *kept));
    for (const std::optional<FileOutput> &other : {outputs.map, outputs.report}) {
        if (other && SystemFile::sameFile(path, other->localPath))
            return usage(QStringLiteral("--export %1: è già il file di un'altra uscita").arg(request.exportFile));
    }

    const Outcome<gis::ExportedAreas> exported = gis::exportDamageAreas(*gis::exportFormatFor(path), estimate, *system,
                                                                        {gis::AreaSource{*ground, estimate.distances}});
    if (!exported.ok())
        return BatchFailure{BatchFailure::Kind::Data, areasNotExported(path, exported.error().detail)};
    outputs.areas = FileOutput{path, exported.value().file};
    return std::nullopt;
}

} // namespace

PlannedOutputs planEstimateOutputs(const DrivePaths &drives, const EstimateRequest &request, const Estimate &estimate,
                                   const QString &outputPrefix, const QDateTime &now)
{
    PlannedOutputs planned;
    OutputPlan &outputs = planned.outputs;
    outputs.standardOutput = request.json
        ? QJsonDocument(estimateJson(estimate)).toJson(QJsonDocument::Indented)
        : (reportBoxLines(estimate).join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();

    // The report file is named after the time of the run; an existing one is only ever appended to.
    if (request.reportFile) {
        const QString systemName = reportFileName(outputPrefix, now, reportedSubstanceName(estimate));
        outputs.report
            = FileOutput{drives.toLocal(systemName), TextFile::encodeLines(reportFileLines(estimate)), systemName};
    }

    std::optional<QPointF> ground = request.ground;
    std::optional<map::CoordinateSystem> system;
    if (request.map) {
        const MapOverlay overlay = drawMapOverlay(drives, *request.map, request.ground, estimate.distances);
        if (!overlay.ok())
            return failed(overlay.usageError ? BatchFailure::Kind::Usage : BatchFailure::Kind::Data, overlay.error);
        if (!overlay.notice.isEmpty())
            planned.notices << overlay.notice;
        if (!overlay.warning.isEmpty())
            planned.notices << warning(overlay.warning);
        ground = overlay.ground;
        system = overlay.system;
        if (!request.map->outFile.isEmpty()) {
            const QString outPath = drives.toLocal(request.map->outFile);
            if (const std::optional<QString> kept
                = protectedTarget(drives, outPath, drives.toLocal(request.map->mapFile)))
                return failed(BatchFailure::Kind::Usage, QStringLiteral("--out %1: %2").arg(request.map->outFile, *kept),
                              planned.notices);
            if (outputs.report && SystemFile::sameFile(outPath, outputs.report->localPath))
                return failed(BatchFailure::Kind::Data,
                              mapNotSaved(outPath, QStringLiteral("è il file del report, che non viene mai sostituito")),
                              planned.notices);
            outputs.map = FileOutput{outPath, overlay.bmp};
        }
    }

    if (!request.exportFile.isEmpty()) {
        if (std::optional<BatchFailure> refused = planAreaExport(drives, request, estimate, ground, system, outputs,
                                                                             planned.notices)) {
            planned.failure = std::move(refused);
            planned.outputs = {};
        }
    }
    return planned;
}
