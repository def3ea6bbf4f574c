#include "platform/UserDrive.h"

#include "platform/DriveSync.h"
#include "platform/PlatformErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace UserDrive {

namespace {

// A few lines of what went wrong are enough to act on; the rest is counted.
constexpr qsizetype kProblemsShown = 3;

QString problemLines(const QStringList &problems)
{
    QStringList shown = problems.mid(0, kProblemsShown);
    if (problems.size() > kProblemsShown)
        shown << QStringLiteral("e altri %1 problemi").arg(problems.size() - kProblemsShown);
    return shown.join(QLatin1Char('\n'));
}

Error ownFilesKept(const DrivePaths::Location &location, const QStringList &kept)
{
    Error error = platformError(Error::Kind::OwnFilesKeptOnUpgrade);
    if (kept.size() == 1) {
        error.file = DrivePaths::systemPath(kept.front());
        error.localPath = QDir(location.root).filePath(kept.front());
        error.detail = QDir(location.installedTree).filePath(kept.front());
        return error;
    }
    QStringList names;
    for (const QString &path : kept)
        names << DrivePaths::systemPath(path);
    error.file = names.join(QLatin1Char('\n'));
    error.localPath = location.root;
    error.detail = location.installedTree;
    return error;
}

} // namespace

QString location()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zefro/drive");
}

Status prepare(const QString &installedTree, const QString &userRoot)
{
    const auto failed = [&](const QString &reason) {
        Error error = platformError(Error::Kind::DriveRootNotPrepared);
        error.file = userRoot;
        error.detail = reason;
        error.localPath = installedTree;
        return error;
    };
    if (QFileInfo::exists(userRoot))
        return Done{};
    if (!QFileInfo(installedTree).isDir())
        return failed(QStringLiteral("la cartella installata %1 non esiste").arg(installedTree));

    const QString parent = QFileInfo(userRoot).absolutePath();
    if (!QDir().mkpath(parent))
        return failed(QStringLiteral("impossibile creare la cartella %1").arg(parent));
    QTemporaryDir aside(parent + QStringLiteral("/.drive-setup-XXXXXX"));
    if (!aside.isValid())
        return failed(QStringLiteral("impossibile scrivere nella cartella %1").arg(parent));

    if (const DriveSync::Report made = DriveSync::sync(installedTree, aside.path()); !made.problems.isEmpty())
        return failed(made.problems.front());
    // Owner-only permissions of the temporary folder would carry over to the root.
    QFile::setPermissions(aside.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                              | QFile::ReadOther | QFile::ExeOther);
    if (QDir().rename(aside.path(), userRoot)) {
        aside.setAutoRemove(false);
        return Done{};
    }
    // Another ZEFRO started at the same moment may have won the race: its root is as good.
    if (QFileInfo(userRoot).isDir())
        return Done{};
    return failed(QStringLiteral("impossibile creare la cartella %1").arg(userRoot));
}

StartUp setUp(const DrivePaths::Location &location)
{
    if (location.installedTree.isEmpty())
        return {location.root, {}};
    if (!QFileInfo::exists(location.root)) {
        const Status prepared = prepare(location.installedTree, location.root);
        if (!prepared.ok())
            return {location.installedTree, {prepared.error()}};
        return {location.root, {}};
    }
    const DriveSync::Report synced = DriveSync::sync(location.installedTree, location.root);
    StartUp started{location.root, {}};
    if (!synced.kept.isEmpty())
        started.warnings.push_back(ownFilesKept(location, synced.kept));
    if (!synced.problems.isEmpty()) {
        Error error = platformError(Error::Kind::DriveRootNotUpdated);
        error.file = location.root;
        error.detail = problemLines(synced.problems);
        error.localPath = location.installedTree;
        started.warnings.push_back(error);
    }
    return started;
}

} // namespace UserDrive
