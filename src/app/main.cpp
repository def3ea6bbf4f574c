#include "app/ApplicationExit.h"
#include "app/MainWindow.h"
#include "app/QtMessageBoxes.h"
#include "platform/LibraryMessages.h"
#include "platform/Platform.h"
#include "platform/ProgramLauncher.h"
#include "platform/SystemFile.h"
#include "platform/UserDrive.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    keepLibraryMessagesQuiet(); // before the application, whose start-up has its own warnings
    QApplication application(argc, argv);
    // The user's settings (the last layer of vulnerable elements) live under these names:
    // ~/.config/ZEFRO/zefro.conf on Linux.
    QApplication::setOrganizationName(QStringLiteral("ZEFRO"));
    QApplication::setApplicationName(QStringLiteral("zefro"));
    SystemFile::failWritesBeyondTheSizeLimit();
    // The program ends through ApplicationExit (Quit answered No, a configuration error), not when
    // its last window happens to close.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own dialogs and buttons (the file dialog, Sì/No) speak Italian like the rest of the program.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    QtMessageBoxes messages;
    ApplicationExit exit;
    // An installed program works on the user's own drive root, set up here at the first start and
    // brought in step with the installed tree at every later one.
    const UserDrive::StartUp start = UserDrive::setUp(DrivePaths::locateDefaultRoot());
    for (const Error &warning : start.warnings)
        messages.notify(warning.message(), MessageIcon::Warning);
    DrivePaths drives(start.root);
    DetachedLauncher launcher(drives);
    Platform platform{drives, messages, launcher, exit};

    MainWindow window(platform);
    if (exit.hasEnded())
        return 1; // the configuration could not be read
    window.show();
    return application.exec();
}
