#pragma once

#include "platform/DrivePaths.h"
#include "platform/Error.h"

#include <QString>
#include <QStringList>

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

class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // Starts the command line detached; a LaunchFailed error naming it when it cannot be started.
    [[nodiscard]] virtual Status start(const QString &commandLine) = 0;
};

// The real launcher, with QProcess::startDetached.
class DetachedLauncher final : public ProgramLauncher
{
public:
    explicit DetachedLauncher(const DrivePaths &drives);
    [[nodiscard]] Status start(const QString &commandLine) override;

private:
    const DrivePaths &m_drives;
};

// The error of a command line that could not be started.
[[nodiscard]] Error launchFailure(const QString &commandLine);
