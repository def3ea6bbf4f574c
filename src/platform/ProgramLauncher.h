#pragma once

#include "platform/DrivePaths.h"
#include "platform/Error.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

// A program started without waiting for it, from one command line.
struct LaunchCommand
{
    QString program;
    QStringList arguments;
};

// Splits a command line the way the system always has: at blanks, without any quoting, so a path
// with blanks reaches the program in pieces. Drive-letter pieces go through the drive-path layer.
// "notepad <file>" is the one exception: when no notepad program exists here, the file (everything
// after the first blank, kept whole as the Windows editor takes it) is opened with the desktop's
// opener instead.
[[nodiscard]] LaunchCommand splitCommandLine(const QString &commandLine, const DrivePaths &drives,
                                             bool notepadAvailable);

// What became of a started program in its first seconds. A desktop opener with nothing to open the
// file with ends at once with a failure status; a viewer showing the document keeps running.
struct LaunchResult
{
    enum class State { StillRunning, Succeeded, ExitedWithError, Crashed, NotStarted };
    State state = State::StillRunning;
    int exitCode = 0; // of ExitedWithError
    QString program; // as started, after the drive-path mapping

    [[nodiscard]] bool failed() const { return state != State::StillRunning && state != State::Succeeded; }
};

// Told once, from the event loop, what became of a started program.
using LaunchWatch = std::function<void(const LaunchResult &)>;

class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // Starts the command line without waiting for it; a LaunchFailed error naming it when it cannot be
    // started. Otherwise `watch` (may be empty) is told later what became of the program.
    [[nodiscard]] virtual Status start(const QString &commandLine, LaunchWatch watch) = 0;
};

// How long a started program is watched for an early failure.
inline constexpr std::chrono::milliseconds kLaunchWatchTime{10'000};

// The real launcher. The program runs in a session of its own, as a detached one would, and is left
// running when the launcher goes (at the end of the program): only its first seconds are watched,
// with QProcess signals, and its process object lasts until it ends.
class DetachedLauncher final : public ProgramLauncher
{
public:
    explicit DetachedLauncher(const DrivePaths &drives, std::chrono::milliseconds watchTime = kLaunchWatchTime);
    [[nodiscard]] Status start(const QString &commandLine, LaunchWatch watch) override;

private:
    const DrivePaths &m_drives;
    std::chrono::milliseconds m_watchTime;
    QObject m_running; // parent of the process objects of the programs still running
};

// The error of a command line that could not be started.
[[nodiscard]] Error launchFailure(const QString &commandLine);

// The message of a program that failed in its first seconds: the file it was to open, as the system
// names it and (when different) where it is on this computer, how the program ended, and what to do.
[[nodiscard]] QString launchedProgramFailure(const QString &opened, const QString &openedLocal,
                                             const LaunchResult &result);
