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

    // Starts a command line; a failure is reported in a message box and the program goes on.
    bool launch(const QString &commandLine)
    {
        const Status started = launcher.start(commandLine);
        if (!started.ok())
            messages.notify(started.error().message(), MessageIcon::Critical);
        return started.ok();
    }
};
