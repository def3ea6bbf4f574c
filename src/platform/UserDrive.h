#pragma once

#include "platform/DrivePaths.h"
#include "platform/Error.h"

#include <QString>

#include <vector>

// An installed ZEFRO keeps its tree under <prefix>/share/zefro/drive, where users cannot write. Each
// user therefore works on a drive root of their own, set up at the first start from the installed
// tree and kept in step with it at every later start (DriveSync): folders are the user's, the
// configuration file is the user's copy, every other file (workbooks, their seal, maps, documents)
// is a symbolic link to the installed one until the user puts a file of their own in its place. An
// upgrade of the package thus reaches every user, and never changes a file a user owns.
namespace UserDrive {

// $XDG_DATA_HOME/zefro/drive, usually ~/.local/share/zefro/drive; the same for every ZEFRO program.
[[nodiscard]] QString location();

// Sets up userRoot from installedTree unless userRoot already exists. The tree is built aside and
// moved into place at the end, so an interrupted set-up never leaves half a root behind. A
// DriveRootNotPrepared error says why not.
[[nodiscard]] Status prepare(const QString &installedTree, const QString &userRoot);

// What start-up found: the drive root to use, and what to tell the user once before anything else.
struct StartUp
{
    QString root;
    std::vector<Error> warnings;
};

// Start-up, once for each program. A location with an installed tree has its root set up first, or
// brought in step with the tree: the user's own files kept over a new installed version
// (OwnFilesKeptOnUpgrade) and what could not be done (DriveRootNotUpdated) are warnings, and the
// root is used all the same. A root that cannot be set up (DriveRootNotPrepared) leaves the program
// on the installed tree itself, which is read only.
[[nodiscard]] StartUp setUp(const DrivePaths::Location &location);

} // namespace UserDrive
