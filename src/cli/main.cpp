// zefro-estimate: the main window's estimate from the command line, for many estimates in a row.
// The chain runs through the same core as the windows (cli/BatchEstimate); this file only reads the
// command line, orders the outputs and turns failures into exit statuses: 0 success, 1 a data or
// file error (the windows' Italian message on standard error), 2 a usage error (what is wrong and a
// one-line hint). Either every output is written or none: the map is prepared aside, standard output
// is written and checked, the report file appended, and only then the map put in place; the report
// is taken back if that last step fails. The report file stays locked from its append to the end of
// the run, so taking it back never removes what another run appended meanwhile.
#include "catalogue/HazardClass.h"
#include "catalogue/SealedWorkbookOpener.h"
#include "cli/BatchEstimate.h"
#include "cli/DataTasks.h"
#include "cli/EstimateCommandLine.h"
#include "cli/EstimateJson.h"
#include "cli/GroundPointCheck.h"
#include "cli/MapOverlay.h"
#include "cli/ProtectedFiles.h"
#include "gis/DamageAreaExport.h"
#include "map/Georeference.h"
#include "estimate/OutputFileName.h"
#include "estimate/Report.h"
#include "platform/DrivePaths.h"
#include "platform/LibraryMessages.h"
#include "platform/SystemFile.h"
#include "platform/UserDrive.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {

constexpr int kSuccess = 0;
constexpr int kDataError = 1;
constexpr int kUsageError = 2;

// False when the text did not all arrive (a full disk behind a redirection, a closed pipe).
bool write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    errno = 0;
    const std::size_t written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    return std::fflush(stream) == 0 && written == static_cast<std::size_t>(bytes.size()) && !std::ferror(stream);
}

int usageError(const QString &message)
{
    write(stderr,
          QStringLiteral("zefro-estimate: ") + message + QLatin1Char('\n') + estimateUsageHint() + QLatin1Char('\n'));
    return kUsageError;
}

int dataError(const QString &message)
{
    write(stderr, message + QLatin1Char('\n'));
    return kDataError;
}

void warn(const QString &message)
{
    write(stderr, QStringLiteral("zefro-estimate: attenzione: ") + message + QLatin1Char('\n'));
}

// A file that a run may have to take back: a GIS file it put where there was none.
struct NewFile
{
    QString path;
    bool existed = false;

    explicit NewFile(const QString &localPath)
        : path(localPath)
        , existed(QFileInfo::exists(localPath))
    { }
    void removeIfNew() const
    {
        if (!existed)
            QFile::remove(path);
    }
};

int standardOutputFailed()
{
    return dataError(
        QStringLiteral("Impossibile scrivere sullo standard output: %1.").arg(SystemFile::reason(errno ? errno : EIO)));
}

QString mapNotSaved(const QString &path, const QString &reason)
{
    return QStringLiteral("Impossibile salvare la mappa \"%1\": %2.").arg(path, reason);
}

QString areasNotExported(const QString &path, const QString &reason)
{
    Error error(Error::Kind::AreasNotExported);
    error.file = path;
    error.detail = reason;
    return error.message();
}

// The GIS file of --export, made in memory and written aside, or why it cannot be: a usage error
// (the options do not suit the map) or a data error (Italian messages).
struct PreparedExport
{
    std::shared_ptr<SystemFile::Replacement> file;
    QString usageError;
    QString dataError;
};

// The incident is on the ground where the map places it, or at --at in the --crs system.
PreparedExport prepareAreaExport(const DrivePaths &drives, const EstimateRequest &request, const Estimate &estimate,
                                 const std::optional<QPointF> &ground, std::optional<map::CoordinateSystem> system,
                                 const QString &reportPath, const std::shared_ptr<SystemFile::Replacement> &mapFile)
{
    const auto usage = [](const QString &line) { return PreparedExport{nullptr, line, {}}; };
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
            warn(checked.warning);
    }
    const QString path = drives.toLocal(request.exportFile);
    if (const std::optional<QString> kept
        = protectedTarget(drives, path, request.map ? drives.toLocal(request.map->mapFile) : QString()))
        return usage(QStringLiteral("--export %1: %2").arg(request.exportFile, *kept));
    if ((mapFile && SystemFile::sameFile(path, mapFile->target()))
        || (!reportPath.isEmpty() && SystemFile::sameFile(path, reportPath)))
        return usage(QStringLiteral("--export %1: è già il file di un'altra uscita").arg(request.exportFile));

    const Outcome<gis::ExportedAreas> exported = gis::exportDamageAreas(*gis::exportFormatFor(path), estimate, *system,
                                                                        {gis::AreaSource{*ground, estimate.distances}});
    if (!exported.ok())
        return {nullptr, {}, areasNotExported(path, exported.error().detail)};
    const Outcome<std::shared_ptr<SystemFile::Replacement>> prepared
        = SystemFile::Replacement::prepare(path, exported.value().file);
    if (!prepared.ok())
        return {nullptr, {}, areasNotExported(path, prepared.error().detail)};
    return {prepared.value(), {}, {}};
}

// The drive root of a run: the one given, or the programs' own (set up at the first start of an
// installed program; when that fails the run goes on with the installed tree, and says so).
QString driveRoot(const EstimateRequest &request)
{
    if (!request.driveRoot.isEmpty())
        return request.driveRoot;
    const DrivePaths::Location location = DrivePaths::locateDefaultRoot();
    const Outcome<QString> root = UserDrive::setUp(location);
    if (root.ok())
        return root.value();
    write(stderr, root.error().message() + QLatin1Char('\n'));
    return location.installedTree;
}

} // namespace

int main(int argc, char *argv[])
{
    keepLibraryMessagesQuiet(); // before the application, whose start-up has its own warnings
    QCoreApplication application(argc, argv);
    SystemFile::failWritesBeyondTheSizeLimit();
    // A reader that goes away (`| head`) makes a write fail with an error, said and cleaned up after,
    // instead of ending the program on the spot with its temporary files left behind.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication::setApplicationName(QStringLiteral("zefro-estimate"));

    const CommandLineOutcome parsed = parseEstimateCommandLine(QCoreApplication::arguments());
    if (!parsed.helpText.isEmpty()) {
        return write(stdout, parsed.helpText) ? kSuccess : standardOutputFailed();
    }
    if (!parsed.request)
        return usageError(parsed.usageError);
    const EstimateRequest &request = *parsed.request;

    const DrivePaths drives(driveRoot(request));
    if (request.dataTask != EstimateRequest::DataTask::None) {
        const DataTaskReport report = runDataTask(drives, request.dataTask);
        if (!report.output.isEmpty() && !write(stdout, report.output))
            return standardOutputFailed();
        if (!report.failure.isEmpty())
            return dataError(report.failure);
        return report.fit ? kSuccess : kDataError;
    }
    const SealedWorkbookOpener opener(drives);
    const BatchOutcome outcome = RunBatchEstimate(drives, opener, request);
    if (outcome.failure) {
        return outcome.failure->kind == BatchFailure::Kind::Usage ? usageError(outcome.failure->message)
                                                                  : dataError(outcome.failure->message);
    }
    if (request.listClasses) {
        QString text;
        for (const QString &entry : outcome.classEntries)
            text += entry + QLatin1Char('\n');
        return write(stdout, text) ? kSuccess : standardOutputFailed();
    }

    const Estimate &estimate = *outcome.estimate;
    const QString standardOutput = request.json
        ? QString::fromUtf8(QJsonDocument(EstimateJson(estimate)).toJson(QJsonDocument::Indented))
        : ReportBoxLines(estimate).join(QLatin1Char('\n')) + QLatin1Char('\n');

    // The report file is named after the time of the run; an existing one is only ever appended to.
    const QDateTime now = QDateTime::currentDateTime();
    const QString reportPath = request.reportFile
        ? drives.toLocal(reportFileName(outcome.outputPrefix, now, reportedSubstanceName(estimate)))
        : QString();

    // The map and the GIS file are made in memory and written aside; they replace their targets only
    // once standard output and the report file, if asked for, have been written too.
    std::shared_ptr<SystemFile::Replacement> mapFile;
    std::optional<QPointF> ground = request.ground;
    std::optional<map::CoordinateSystem> system;
    if (request.map) {
        const MapOverlay overlay = DrawMapOverlay(drives, *request.map, request.ground, estimate.distances);
        if (!overlay.ok())
            return overlay.usageError ? usageError(overlay.error) : dataError(overlay.error);
        if (!overlay.notice.isEmpty())
            write(stderr, overlay.notice + QLatin1Char('\n'));
        if (!overlay.warning.isEmpty())
            warn(overlay.warning);
        ground = overlay.ground;
        system = overlay.system;
        if (!request.map->outFile.isEmpty()) {
            const QString outPath = drives.toLocal(request.map->outFile);
            if (const std::optional<QString> kept
                = protectedTarget(drives, outPath, drives.toLocal(request.map->mapFile)))
                return usageError(QStringLiteral("--out %1: %2").arg(request.map->outFile, *kept));
            if (!reportPath.isEmpty() && SystemFile::sameFile(outPath, reportPath))
                return dataError(
                    mapNotSaved(outPath, QStringLiteral("è il file del report, che non viene mai sostituito")));
            const Outcome<std::shared_ptr<SystemFile::Replacement>> prepared
                = SystemFile::Replacement::prepare(outPath, overlay.bmp);
            if (!prepared.ok())
                return dataError(mapNotSaved(outPath, prepared.error().detail));
            mapFile = prepared.value();
        }
    }

    std::shared_ptr<SystemFile::Replacement> gisFile;
    if (!request.exportFile.isEmpty()) {
        const PreparedExport prepared
            = prepareAreaExport(drives, request, estimate, ground, system, reportPath, mapFile);
        if (!prepared.usageError.isEmpty())
            return usageError(prepared.usageError);
        if (!prepared.dataError.isEmpty())
            return dataError(prepared.dataError);
        gisFile = prepared.file;
    }

    if (!write(stdout, standardOutput))
        return standardOutputFailed();

    std::unique_ptr<SystemFile::HeldAppend> report; // held until the run ends
    if (request.reportFile) {
        Outcome<HeldReport> appended = AppendHeldReportFile(outcome.outputPrefix, drives, now, estimate);
        if (!appended.ok())
            return dataError(appended.error().message());
        report = std::move(appended.value().append);
    }

    // The GIS file first: it is new more often than not, so taking it back leaves nothing behind.
    std::optional<NewFile> gisTarget;
    if (gisFile) {
        gisTarget.emplace(gisFile->target());
        if (const Status committed = gisFile->commit(); !committed.ok()) {
            if (report)
                report->takeBack();
            return dataError(areasNotExported(gisFile->target(), committed.error().detail));
        }
    }
    if (mapFile) {
        if (const Status committed = mapFile->commit(); !committed.ok()) {
            if (report)
                report->takeBack();
            if (gisTarget) // a GIS file that replaced another cannot be taken back
                gisTarget->removeIfNew();
            return dataError(mapNotSaved(mapFile->target(), committed.error().detail));
        }
    }

    if (!reportPath.isEmpty())
        write(stderr, reportPath + QLatin1Char('\n'));
    return kSuccess;
}
