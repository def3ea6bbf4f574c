// zefro-estimate: the main window's estimate from the command line, for many estimates in a row.
// The chain runs through the same core as the windows (cli/BatchEstimate), the outputs are planned
// in memory (cli/EstimateOutputs) and written all or none (cli/OutputTransaction); this file reads
// the command line and turns failures into exit statuses: 0 success, 1 a data or file error (the
// windows' Italian message on standard error), 2 a usage error (what is wrong and a one-line hint).
#include "catalogue/SealedWorkbookOpener.h"
#include "cli/BatchEstimate.h"
#include "cli/DataTasks.h"
#include "cli/EstimateCommandLine.h"
#include "cli/EstimateOutputs.h"
#include "cli/InventoryCommand.h"
#include "cli/OutputTransaction.h"
#include "platform/DrivePaths.h"
#include "platform/LibraryMessages.h"
#include "platform/SystemFile.h"
#include "platform/UserDrive.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDateTime>

#include <csignal>
#include <cstring>
#include <memory>
#include <cstdio>

namespace {

constexpr int kSuccess = 0;
constexpr int kDataError = 1;
constexpr int kUsageError = 2;

void say(const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

int failed(const BatchFailure &failure)
{
    if (failure.kind == BatchFailure::Kind::Data) {
        say(failure.message);
        return kDataError;
    }
    say(QStringLiteral("zefro-estimate: ") + failure.message + QLatin1Char('\n') + estimateUsageHint());
    return kUsageError;
}

int answer(const QString &text)
{
    const Status written = SystemOutputFiles().writeStandardOutput(text.toUtf8());
    return written.ok() ? kSuccess : failed({BatchFailure::Kind::Data, standardOutputFailed(written.error().detail)});
}

// The drive root of a run: the one given, or the programs' own (set up at the first start of an
// installed program and brought in step with the installed tree at every later one; when set-up
// fails the run goes on with the installed tree). What start-up has to tell goes to standard error.
QString driveRoot(const EstimateRequest &request)
{
    if (!request.driveRoot.isEmpty())
        return request.driveRoot;
    const UserDrive::StartUp start = UserDrive::setUp(DrivePaths::locateDefaultRoot());
    for (const Error &warning : start.warnings)
        say(QStringLiteral("zefro-estimate: attenzione: ") + warning.message());
    return start.root;
}

// The summary PDF of an inventory and the legend of a saved map lay their text out in the system's
// fonts, which only a GUI application offers; the program never shows a window, so it takes the
// platform that needs no display. Every other run keeps the plain application, which starts faster.
std::unique_ptr<QCoreApplication> applicationFor(int &argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--inventory") == 0 || std::strcmp(argv[i], "--legend") == 0
            || std::strcmp(argv[i], "-legend") == 0) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char *argv[])
{
    keepLibraryMessagesQuiet(); // before the application, whose start-up has its own warnings
    const std::unique_ptr<QCoreApplication> application = applicationFor(argc, argv);
    SystemFile::failWritesBeyondTheSizeLimit();
    // A reader that goes away (`| head`) makes a write fail with an error, said and cleaned up after,
    // instead of ending the program on the spot with its temporary files left behind.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication::setApplicationName(QStringLiteral("zefro-estimate"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEFRO_VERSION));

    const CommandLineOutcome parsed = parseEstimateCommandLine(QCoreApplication::arguments());
    if (!parsed.helpText.isEmpty())
        return answer(parsed.helpText);
    if (!parsed.request)
        return failed({BatchFailure::Kind::Usage, parsed.usageError});
    const EstimateRequest &request = *parsed.request;

    const DrivePaths drives(driveRoot(request));
    if (request.dataTask != EstimateRequest::DataTask::None) {
        const DataTaskReport report = runDataTask(drives, request.dataTask);
        if (!report.output.isEmpty() && answer(report.output) != kSuccess)
            return kDataError;
        if (!report.failure.isEmpty())
            return failed({BatchFailure::Kind::Data, report.failure});
        return report.fit ? kSuccess : kDataError;
    }
    const SealedWorkbookOpener opener(drives);
    if (request.inventory) {
        switch (runInventoryCommand(drives, opener, *request.inventory)) {
        case InventoryCommandStatus::AllDone: return kSuccess;
        case InventoryCommandStatus::SomeFailed:
        case InventoryCommandStatus::DataError: return kDataError;
        case InventoryCommandStatus::UsageError: return kUsageError;
        }
    }
    const BatchOutcome outcome = runBatchEstimate(drives, opener, request);
    if (outcome.failure)
        return failed(*outcome.failure);
    if (request.listClasses)
        return answer(outcome.classEntries.isEmpty() ? QString() : outcome.classEntries.join(QLatin1Char('\n')) + QLatin1Char('\n'));

    const PlannedOutputs planned
        = planEstimateOutputs(drives, request, *outcome.estimate, outcome.outputPrefix, QDateTime::currentDateTime());
    for (const QString &notice : planned.notices)
        say(notice);
    if (planned.failure)
        return failed(*planned.failure);
    SystemOutputFiles files;
    if (const std::optional<QString> failure = OutputTransaction(files).write(planned.outputs))
        return failed({BatchFailure::Kind::Data, *failure});
    if (planned.outputs.report)
        say(planned.outputs.report->localPath);
    return kSuccess;
}
