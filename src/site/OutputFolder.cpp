#include "site/OutputFolder.h"

#include "platform/SystemFile.h"
#include "site/SiteErrors.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>

namespace site {

namespace {

Error notWritten(const QString &localPath, const QString &reason)
{
    Error error = siteError(Error::Kind::OutputFolderNotWritten);
    error.file = localPath;
    error.detail = reason;
    return error;
}

bool holdsFiles(const QString &localPath)
{
    return !QDir(localPath).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty();
}

// rename(2): a folder takes the place of a missing or empty one in one step.
Status renameFolder(const QString &from, const QString &to, const QString &target)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return notWritten(target, SystemFile::reason(errno));
    return Done{};
}

} // namespace

Status checkOutputFolder(const QString &localPath, bool overwrite)
{
    const QFileInfo info(localPath);
    if (!info.exists())
        return Done{};
    if (!info.isDir())
        return notWritten(localPath, QStringLiteral("esiste già un file con questo nome"));
    if (holdsFiles(localPath) && !overwrite) {
        Error error = siteError(Error::Kind::OutputFolderNotEmpty);
        error.file = localPath;
        return error;
    }
    return Done{};
}

Status writeOutputFolder(const QString &localPath, const std::vector<FolderFile> &files, bool overwrite)
{
    if (const Status allowed = checkOutputFolder(localPath, overwrite); !allowed.ok())
        return allowed;
    const QFileInfo target(localPath);
    const QString parent = target.absolutePath();
    if (!QFileInfo(parent).isDir())
        return notWritten(localPath, QStringLiteral("la cartella che dovrebbe contenerla non esiste"));

    // Beside the target, so that the final rename stays on one file system.
    QTemporaryDir staged(parent + QLatin1Char('/') + QLatin1Char('.') + target.fileName() + QStringLiteral("-XXXXXX"));
    if (!staged.isValid())
        return notWritten(localPath, staged.errorString());
    for (const FolderFile &file : files) {
        const Status written = SystemFile::replaceAll(staged.filePath(file.name), file.bytes);
        if (!written.ok())
            return notWritten(localPath, written.error().detail);
    }
    // A temporary folder is private; the results are the analyst's to share as any folder they make.
    QFile::setPermissions(staged.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                             | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                             | QFileDevice::ReadOther | QFileDevice::ExeOther);

    // A folder with files in it is moved aside, and removed once the new one is in place.
    std::optional<QTemporaryDir> aside;
    if (target.exists() && holdsFiles(localPath)) {
        aside.emplace(parent + QLatin1Char('/') + QLatin1Char('.') + target.fileName() + QStringLiteral("-old-XXXXXX"));
        if (!aside->isValid())
            return notWritten(localPath, aside->errorString());
        if (const Status moved = renameFolder(localPath, aside->path(), localPath); !moved.ok())
            return moved;
    }
    if (const Status placed = renameFolder(staged.path(), localPath, localPath); !placed.ok()) {
        if (aside)
            (void)renameFolder(aside->path(), localPath, localPath);
        return placed;
    }
    staged.setAutoRemove(false); // it is the output folder now
    return Done{};
}

} // namespace site
