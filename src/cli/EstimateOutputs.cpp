#include "cli/EstimateOutputs.h"

#include "estimate/EstimateJson.h"
#include "cli/GroundPointCheck.h"
#include "cli/MapOverlay.h"
#include "cli/ProtectedFiles.h"
#include "cli/ReachedElements.h"
#include "elements/ElementTables.h"
#include "estimate/OutputFileName.h"
#include "estimate/Report.h"
#include "gis/DamageAreaExport.h"
#include "map/Georeference.h"
#include "map/SavedSheet.h"
#include "platform/DrivePaths.h"
#include "platform/SystemFile.h"
#include "platform/TextFile.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString warning(const QString &message)
{
    return QStringLiteral("zefro-estimate: attenzione: ") + message;
}

PlannedOutputs failed(BatchFailure::Kind kind, const QString &message, QStringList notices = {})
{
    return {BatchFailure{kind, message}, std::move(notices), {}};
}

// Where the incident is on the ground for --export and --elements, and in which system: the map's,
// or the --crs system of --at. A usage error when neither places it.
std::optional<BatchFailure> placeOnGround(const EstimateRequest &request, const std::optional<QPointF> &ground,
                                          std::optional<map::CoordinateSystem> &system, QStringList &notices)
{
    const auto usage = [](const QString &line) { return BatchFailure{BatchFailure::Kind::Usage, line}; };
    if (system)
        return std::nullopt;
    if (request.map)
        return usage(QStringLiteral("%1: la mappa %2 non è georiferita (servono un file mondo e un .prj, o un GeoTIFF)")
                         .arg(request.exportFile.isEmpty() ? QStringLiteral("--elements") : QStringLiteral("--export"),
                              request.map->mapFile));
    const Outcome<map::CoordinateSystem> named = map::coordinateSystemFrom(request.crs, QStringLiteral("--crs"));
    if (!named.ok())
        return usage(QStringLiteral("--crs %1: sistema di riferimento sconosciuto (scrivere ad esempio EPSG:32632)")
                         .arg(request.crs));
    system = named.value();
    const GroundPointCheck checked = checkGroundPoint(*system, *ground);
    if (!checked.usageError.isEmpty())
        return usage(checked.usageError);
    if (!checked.warning.isEmpty())
        notices << warning(checked.warning);
    return std::nullopt;
}

// The GIS file of --export, with the elements reached when --elements is given.
std::optional<BatchFailure> planAreaExport(const DrivePaths &drives, const EstimateRequest &request,
                                           const Estimate &estimate, QPointF ground,
                                           const map::CoordinateSystem &system, const ElementsRun *elements,
                                           const QDateTime &now, OutputPlan &outputs)
{
    const auto usage = [](const QString &line) { return BatchFailure{BatchFailure::Kind::Usage, line}; };
    const QString path = drives.toLocal(request.exportFile);
    if (const std::optional<QString> kept
        = protectedTarget(drives, path, request.map ? drives.toLocal(request.map->mapFile) : QString()))
        return usage(QStringLiteral("--export %1: %2").arg(request.exportFile, *kept));
    for (const std::optional<FileOutput> &other : {outputs.map, outputs.report}) {
        if (other && SystemFile::sameFile(path, other->localPath))
            return usage(QStringLiteral("--export %1: è già il file di un'altra uscita").arg(request.exportFile));
    }

    const std::optional<gis::ReachedElements> reached
        = elements ? std::optional<gis::ReachedElements>(gis::ReachedElements{elements->layer, elements->reached})
                   : std::nullopt;
    const Outcome<gis::ExportedAreas> exported = gis::exportDamageAreas(
        *gis::exportFormatFor(path), estimate, system, {gis::AreaSource{ground, estimate.distances}}, now, reached);
    if (!exported.ok())
        return BatchFailure{BatchFailure::Kind::Data, areasNotExported(path, exported.error().detail)};
    outputs.areas = FileOutput{path, exported.value().file};
    return std::nullopt;
}

// The files beside the saved map that place it (written, or removed when left by an earlier save) must
// never be the map's own: they share its folder and name.
std::optional<QString> mapsOwnSideFile(const QString &outPath, const QString &mapPath)
{
    const QFileInfo map(mapPath);
    for (const QString &side : map::sheetSideFiles(outPath)) {
        const QFileInfo beside(side);
        if (SystemFile::sameFile(beside.absolutePath(), map.absolutePath())
            && beside.fileName().startsWith(map.completeBaseName() + QLatin1Char('.'), Qt::CaseInsensitive))
            return QStringLiteral("accanto alla mappa salvata andrebbe il file \"%1\", che è della mappa di partenza; "
                                  "scegliere un altro nome")
                .arg(beside.fileName());
    }
    return std::nullopt;
}

class StagedMap final : public OutputFiles::Staged
{
public:
    explicit StagedMap(std::unique_ptr<map::StagedSheet> sheet)
        : m_sheet(std::move(sheet))
    {
    }
    [[nodiscard]] Status commit() override { return m_sheet->commit(); }

private:
    std::unique_ptr<map::StagedSheet> m_sheet;
};

// --out: the map written aside band by band from its source when the run's outputs are staged.
std::function<Outcome<std::unique_ptr<OutputFiles::Staged>>()> mapStaging(MapOverlay overlay, const QString &outPath)
{
    auto drawn = std::make_shared<const MapOverlay>(std::move(overlay));
    return [drawn, outPath]() -> Outcome<std::unique_ptr<OutputFiles::Staged>> {
        Outcome<std::unique_ptr<map::StagedSheet>> staged
            = map::stageSheetPicture(*drawn->source, drawn->drawings, drawn->picture, outPath);
        if (!staged.ok())
            return staged.error();
        return std::unique_ptr<OutputFiles::Staged>(std::make_unique<StagedMap>(std::move(staged.value())));
    };
}

} // namespace

PlannedOutputs planEstimateOutputs(const DrivePaths &drives, const EstimateRequest &request, const Estimate &estimate,
                                   const QString &outputPrefix, const QDateTime &now)
{
    PlannedOutputs planned;
    OutputPlan &outputs = planned.outputs;

    // The report file is named after the time of the run; an existing one is only ever appended to.
    if (request.reportFile) {
        const QString systemName = reportFileName(outputPrefix, now, reportedSubstanceName(estimate));
        outputs.report
            = FileOutput{drives.toLocal(systemName), TextFile::encodeLines(reportFileLines(estimate)), systemName};
    }

    std::optional<QPointF> ground = request.ground;
    std::optional<map::CoordinateSystem> system;
    if (request.map) {
        MapOverlay overlay = drawMapOverlay(drives, *request.map, request.ground, estimate, now);
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
            if (const std::optional<QString> kept = mapsOwnSideFile(outPath, drives.toLocal(request.map->mapFile)))
                return failed(BatchFailure::Kind::Usage, QStringLiteral("--out %1: %2").arg(request.map->outFile, *kept),
                              planned.notices);
            outputs.map = FileOutput{outPath, {}, {}, mapStaging(std::move(overlay), outPath)};
        }
    }

    std::optional<ElementsRun> elements;
    if (!request.exportFile.isEmpty() || !request.elementsFile.isEmpty()) {
        if (std::optional<BatchFailure> refused = placeOnGround(request, ground, system, planned.notices))
            return failed(refused->kind, refused->message, planned.notices);
    }
    if (!request.elementsFile.isEmpty()) {
        elements = reachedElements(drives, request, estimate, *ground, *system);
        if (elements->failure)
            return failed(elements->failure->kind, elements->failure->message, planned.notices);
        for (const QString &layerWarning : elements->warnings)
            planned.notices << warning(layerWarning);
    }

    if (request.json) {
        QJsonObject json = estimateJson(estimate);
        if (elements)
            json.insert(QStringLiteral("elementi"), elements::reachedJson(elements->layer, elements->reached));
        outputs.standardOutput = QJsonDocument(json).toJson(QJsonDocument::Indented);
    } else {
        QString text = reportBoxLines(estimate).join(QLatin1Char('\n')) + QLatin1Char('\n');
        if (elements)
            text += QLatin1Char('\n') + elements::reachedTable(elements->layer, elements->reached);
        outputs.standardOutput = text.toUtf8();
    }

    if (!request.exportFile.isEmpty()) {
        if (std::optional<BatchFailure> refused = planAreaExport(drives, request, estimate, *ground, *system,
                                                                 elements ? &*elements : nullptr, now, outputs))
            return failed(refused->kind, refused->message, planned.notices);
    }
    return planned;
}
