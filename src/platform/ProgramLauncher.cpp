#include "platform/ProgramLauncher.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

QString mapPiece(const QString &piece, const DrivePaths &drives)
{
    return DrivePaths::hasDriveLetter(piece) ? drives.toLocal(piece) : piece;
}

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
    Error error{Error::Kind::LaunchFailed};
    error.detail = commandLine;
    return error;
}

DetachedLauncher::DetachedLauncher(const DrivePaths &drives)
    : m_drives(drives)
{ }

Status DetachedLauncher::start(const QString &commandLine)
{
    const bool notepadAvailable = !QStandardPaths::findExecutable(QStringLiteral("notepad")).isEmpty();
    const LaunchCommand command = splitCommandLine(commandLine, m_drives, notepadAvailable);
    if (!command.program.isEmpty() && QProcess::startDetached(command.program, command.arguments))
        return Done{};
    return launchFailure(commandLine);
}
