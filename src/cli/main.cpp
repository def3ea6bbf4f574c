// zefro-estimate: the main window's estimate from the command line, for many estimates in a row.
// The chain runs through the same core functions as the windows (cli/BatchEstimate); this file only
// reads the command line, orders the outputs and turns failures into exit statuses:
// 0 success, 1 a data or file error (the windows' Italian message on standard error), 2 a usage
// error (what is wrong and a one-line hint). Nothing is written before everything has succeeded.
#include "app/ProgramState.h"
#include "cli/BatchEstimate.h"
#include "cli/EstimateCommandLine.h"
#include "cli/EstimateJson.h"
#include "cli/MapOverlay.h"
#include "estimate/Report.h"
#include "estimate/XlsWorkbookOpener.h"
#include "platform/DrivePaths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QSaveFile>

#include <cstdio>

namespace {

constexpr int kSuccess = 0;
constexpr int kDataError = 1;
constexpr int kUsageError = 2;

void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

int usageError(const QString &message)
{
    write(stderr, QStringLiteral("zefro-estimate: ") + message + QLatin1Char('\n') + estimateUsageHint()
                      + QLatin1Char('\n'));
    return kUsageError;
}

int dataError(const QString &message)
{
    write(stderr, message + QLatin1Char('\n'));
    return kDataError;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zefro-estimate"));

    const CommandLineOutcome parsed = parseEstimateCommandLine(QCoreApplication::arguments());
    if (!parsed.helpText.isEmpty()) {
        write(stdout, parsed.helpText);
        return kSuccess;
    }
    if (!parsed.request)
        return usageError(parsed.usageError);
    const EstimateRequest &request = *parsed.request;

    const DrivePaths drives(request.driveRoot.isEmpty() ? DrivePaths::defaultRoot() : request.driveRoot);
    const XlsWorkbookOpener opener(drives);
    ProgramState state;
    const BatchOutcome outcome = RunBatchEstimate(state, drives, opener, request);
    if (outcome.failure) {
        return outcome.failure->kind == BatchFailure::Kind::Usage ? usageError(outcome.failure->message)
                                                                  : dataError(outcome.failure->message);
    }
    if (request.listClasses) {
        QString text;
        for (const QString &entry : outcome.classEntries)
            text += entry + QLatin1Char('\n');
        write(stdout, text);
        return kSuccess;
    }

    const BatchEstimateResult &estimate = *outcome.estimate;
    const QString standardOutput =
        request.json ? QString::fromUtf8(QJsonDocument(EstimateJson(estimate)).toJson(QJsonDocument::Indented))
                     : estimate.reportLines().join(QLatin1Char('\n')) + QLatin1Char('\n');

    // The map is drawn in memory and written aside; it replaces --out only once the report file,
    // if asked for, has been written too.
    std::optional<QSaveFile> mapFile;
    if (request.map) {
        const MapOverlay overlay = DrawMapOverlay(drives, *request.map, estimate.result);
        if (!overlay.ok())
            return overlay.usageError ? usageError(overlay.error) : dataError(overlay.error);
        const QString outPath = drives.toLocal(request.map->outFile);
        mapFile.emplace(outPath);
        if (!mapFile->open(QIODevice::WriteOnly) || mapFile->write(overlay.bmp) != overlay.bmp.size()) {
            const QString reason = mapFile->errorString();
            mapFile->cancelWriting();
            return dataError(QStringLiteral("Impossibile salvare la mappa \"%1\": %2.").arg(outPath, reason));
        }
    }

    QString reportPath;
    if (request.reportFile) {
        const ReportFileOutcome saved =
            AppendReportFile(state.outputPrefix, drives, QDateTime::currentDateTime(), estimate.estimate.report,
                             estimate.result, estimate.estimate.toxic);
        if (!saved.error.isEmpty()) {
            if (mapFile)
                mapFile->cancelWriting();
            return dataError(saved.error);
        }
        reportPath = drives.toLocal(saved.fileName);
    }

    if (mapFile && !mapFile->commit()) {
        return dataError(QStringLiteral("Impossibile salvare la mappa \"%1\": %2.")
                             .arg(mapFile->fileName(), mapFile->errorString()));
    }

    write(stdout, standardOutput);
    if (!reportPath.isEmpty())
        write(stderr, reportPath + QLatin1Char('\n'));
    return kSuccess;
}
