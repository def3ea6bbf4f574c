#pragma once

#include "platform/DrivePaths.h"
#include "platform/Error.h"

#include <QString>

// An installed ZEFRO keeps its tree under <prefix>/share/zefro/drive, where users cannot write. Each
// user therefore works on a drive root of their own, set up at the first start from the installed
// tree: every folder is created (so the output folder and the raster folder are the user's), text
// files (the configuration) are copied so that the program can rewrite them, and every other file
// (workbooks, maps, documents) is a symbolic link to the installed one. A user puts a real workbook or
// a new map in place of a link without touching the installation; an upgrade of the package updates
// the linked files in place.
namespace UserDrive {

// $XDG_DATA_HOME/zefro/drive, usually ~/.local/share/zefro/drive; the same for every ZEFRO program.
[[nodiscard]] QString location();

// Sets up userRoot from installedTree unless userRoot already exists (an existing root is the
// user's and is left alone). The tree is built aside and moved into place at the end, so an
// interrupted set-up never leaves half a root behind. A DriveRootNotPrepared error says why not.
[[nodiscard]] Status prepare(const QString &installedTree, const QString &userRoot);

// Start-up, once for each program: the drive root to use. A location with an installed tree has
// its root set up first; when that fails, the error is returned and the program goes on with the
// installed tree itself, which is read only.
[[nodiscard]] Outcome<QString> setUp(const DrivePaths::Location &location);

} // namespace UserDrive
