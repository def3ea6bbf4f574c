#pragma once

#include "platform/DrivePaths.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramExit.h"
#include "platform/ProgramLauncher.h"

#include <QDateTime>
#include <functional>

// The services the windows get from the platform, each replaceable in tests.
struct Platform
{
    DrivePaths drives;
    MessageBoxes &messages;
    ProgramLauncher &launcher;
    ProgramExit &exit;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    // Starts a command line. A program that cannot be started, or that fails in its first seconds (a
    // desktop opener with no viewer for the file), is reported in a message box and the program goes
    // on. `opened` is the file the message names; by default what follows the command's first blank
    // (the file of "notepad <file>"). Returns whether it started.
    bool launch(const QString &commandLine, const QString &opened = {})
    {
        const QString file = opened.isEmpty() ? commandLine.trimmed().section(QLatin1Char(' '), 1) : opened;
        const QString local = drives.toLocal(file); // a path without a drive letter stays as it is
        MessageBoxes &boxes = messages; // the windows' boxes outlive the launcher
        const Status started
            = launcher.start(commandLine, [&boxes, commandLine, file, local](const LaunchResult &result) {
                  if (result.state == LaunchResult::State::NotStarted)
                      boxes.notify(launchFailure(commandLine).message(), MessageIcon::Critical);
                  else if (result.failed())
                      boxes.notify(launchedProgramFailure(file, local, result), MessageIcon::Critical);
              });
        if (!started.ok())
            messages.notify(started.error().message(), MessageIcon::Critical);
        return started.ok();
    }
};
