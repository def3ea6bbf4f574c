#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace site {

struct FolderFile
{
    QString name; // "risultati.csv", ...
    QByteArray bytes;
};

// Whether a run may write into the folder: a missing or empty folder always, one holding files only
// when they are to be replaced (OutputFolderNotEmpty); a path that is a file is OutputFolderNotWritten.
// Checked before the run, so that a long run is not made in vain.
[[nodiscard]] Status checkOutputFolder(const QString &localPath, bool overwrite);

// Puts the folder in place holding exactly these files, or leaves it as it was: the files are written
// and flushed into a new folder beside it, which is then renamed into place (a folder being replaced
// is moved aside first and removed only once the new one is in place). OutputFolderNotWritten with
// the reason when any step fails; nothing of the run is left behind.
[[nodiscard]] Status writeOutputFolder(const QString &localPath, const std::vector<FolderFile> &files, bool overwrite);

} // namespace site
