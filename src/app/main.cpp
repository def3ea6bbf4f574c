#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "platform/Platform.h"
#include "platform/ProgramExit.h"
#include "platform/ProgramLauncher.h"
#include "platform/QtMessageBoxes.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // The program ends through ApplicationExit (Quit answered No, a configuration error), not when
    // its last window happens to close.
    QApplication::setQuitOnLastWindowClosed(false);

    QtMessageBoxes messages;
    ApplicationExit exit;
    DrivePaths drives(DrivePaths::defaultRoot());
    DetachedLauncher launcher(drives);
    Platform platform{drives, messages, launcher, exit};
    ProgramState state;

    MainWindow window(state, platform);
    if (exit.hasEnded())
        return 1; // the configuration could not be read
    window.show();
    return application.exec();
}
