#include "app/ProgramState.h"
#include "platform/Platform.h"
#include "platform/ProgramExit.h"
#include "platform/ProgramLauncher.h"
#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QtMessageBoxes messages;
    ApplicationExit exit;
    DrivePaths drives(DrivePaths::defaultRoot());
    DetachedLauncher launcher(drives);
    Platform platform{drives, messages, launcher, exit};
    ProgramState state;

    QLabel placeholder(QStringLiteral("ZEFRO"));
    placeholder.show();
    if (exit.hasEnded())
        return 1;
    return application.exec();
}
