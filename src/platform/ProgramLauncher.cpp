#include "platform/ProgramLauncher.h"

#include "platform/PlatformErrors.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>
#include <utility>

namespace {

QString mapPiece(const QString &piece, const DrivePaths &drives)
{
    return DrivePaths::hasDriveLetter(piece) ? drives.toLocal(piece) : piece;
}

// The program file QProcess would run, empty when there is none: a missing program is told at the
// click, without waiting for the start.
QString executableOf(const QString &program)
{
    if (!program.contains(QLatin1Char('/')))
        return QStandardPaths::findExecutable(program);
    const QFileInfo file(program);
    return file.isFile() && file.isExecutable() ? program : QString();
}

// One started program: watched for its first seconds, then left alone until it ends, when its
// object goes. An object deleted earlier leaves the program running.
class WatchedProgram final : public QProcess
{
public:
    WatchedProgram(QObject *parent, LaunchWatch watch)
        : QProcess(parent)
        , m_watch(std::move(watch))
    {
        // Like a detached program: its words go to our terminal, it reads nothing of ours, and a
        // Ctrl+C or hangup of our terminal does not reach it.
        setProcessChannelMode(QProcess::ForwardedChannels);
        setStandardInputFile(QProcess::nullDevice());
        setChildProcessModifier([] { ::setsid(); });

        connect(this, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
            using S = LaunchResult::State;
            report(status == QProcess::CrashExit ? S::Crashed
                       : exitCode != 0           ? S::ExitedWithError
                                                 : S::Succeeded,
                   exitCode);
            deleteLater();
        });
        connect(this, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return; // a crash also ends in finished()
            report(LaunchResult::State::NotStarted);
            deleteLater();
        });
        m_watchEnd.setSingleShot(true);
        m_watchEnd.callOnTimeout(this, [this] { report(LaunchResult::State::StillRunning); });
    }

    ~WatchedProgram() override
    {
        // QProcess kills a program still running when its object goes; this one is to outlive us.
        if (state() != QProcess::NotRunning)
            setProcessState(QProcess::NotRunning);
    }

    void begin(const LaunchCommand &command, std::chrono::milliseconds watchTime)
    {
        m_watchEnd.start(watchTime);
        start(command.program, command.arguments);
    }

private:
    // The first news of the program is the one told.
    void report(LaunchResult::State state, int exitCode = 0)
    {
        m_watchEnd.stop();
        if (const LaunchWatch watch = std::exchange(m_watch, {}))
            watch({state, exitCode, program()});
    }

    LaunchWatch m_watch;
    QTimer m_watchEnd;
};

} // namespace

LaunchCommand splitCommandLine(const QString &commandLine, const DrivePaths &drives, bool notepadAvailable)
{
    const QStringList pieces = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return {};

    if (!notepadAvailable && pieces.first().compare(QLatin1String("notepad"), Qt::CaseInsensitive) == 0) {
        const qsizetype firstBlank = commandLine.indexOf(QLatin1Char(' '), commandLine.indexOf(pieces.first()));
        const QString file = firstBlank < 0 ? QString() : commandLine.mid(firstBlank + 1);
        return {QStringLiteral("xdg-open"), {mapPiece(file, drives)}};
    }

    LaunchCommand command;
    command.program = mapPiece(pieces.first(), drives);
    for (qsizetype i = 1; i < pieces.size(); ++i)
        command.arguments << mapPiece(pieces.at(i), drives);
    return command;
}

Error launchFailure(const QString &commandLine)
{
    Error error = platformError(Error::Kind::LaunchFailed);
    error.detail = commandLine;
    return error;
}

QString launchedProgramFailure(const QString &opened, const QString &openedLocal, const LaunchResult &result)
{
    QString text = QStringLiteral("Impossibile aprire il file:\n") + opened;
    text += whereOnThisComputer(opened, openedLocal);
    text += result.state == LaunchResult::State::Crashed
        ? QStringLiteral("\n\nIl programma %1 si è interrotto in modo anomalo subito dopo l'avvio.").arg(result.program)
        : QStringLiteral("\n\nIl programma %1 è terminato subito con un errore (codice di uscita %2).")
              .arg(result.program, QString::number(result.exitCode));
    text += opened.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)
        ? QStringLiteral("\n\nInstallare un visualizzatore di PDF (per esempio evince, okular, mupdf o qpdfview) e "
                         "controllare nella finestra di configurazione il lettore e il percorso del documento.")
        : QStringLiteral("\n\nInstallare un programma che apra i file di questo tipo (per esempio LibreOffice "
                         "Writer o un editor di testi), oppure aprire il file a mano.");
    return text;
}

DetachedLauncher::DetachedLauncher(const DrivePaths &drives, std::chrono::milliseconds watchTime)
    : m_drives(drives)
    , m_watchTime(watchTime)
{ }

Status DetachedLauncher::start(const QString &commandLine, LaunchWatch watch)
{
    const bool notepadAvailable = !QStandardPaths::findExecutable(QStringLiteral("notepad")).isEmpty();
    const LaunchCommand command = splitCommandLine(commandLine, m_drives, notepadAvailable);
    if (command.program.isEmpty() || executableOf(command.program).isEmpty())
        return launchFailure(commandLine);
    // Owned by m_running until the program ends; one that cannot be started after all is told to
    // the watch from the event loop.
    auto *program = new WatchedProgram(&m_running, std::move(watch));
    program->begin(command, m_watchTime);
    return Done{};
}
