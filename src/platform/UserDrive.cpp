#include "platform/UserDrive.h"

#include "platform/PlatformErrors.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace UserDrive {

namespace {

// Files the program rewrites are the user's own copies; the rest is read only and linked.
bool isCopied(const QFileInfo &file)
{
    return file.suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0;
}

QString mirror(const QString &installedTree, const QString &target)
{
    const QDir installed(installedTree);
    QDirIterator it(installedTree, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QFileInfo info = it.fileInfo();
        const QString destination = target + QLatin1Char('/') + installed.relativeFilePath(source);
        if (info.isDir()) {
            if (!QDir().mkpath(destination))
                return QStringLiteral("impossibile creare la cartella %1").arg(destination);
        } else if (isCopied(info)) {
            if (!QFile::copy(source, destination))
                return QStringLiteral("impossibile copiare %1").arg(source);
            QFile::setPermissions(destination,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        } else if (!QFile::link(info.absoluteFilePath(), destination)) {
            return QStringLiteral("impossibile collegare %1").arg(source);
        }
    }
    return {};
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

    if (const QString problem = mirror(installedTree, aside.path()); !problem.isEmpty())
        return failed(problem);
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

Outcome<QString> setUp(const DrivePaths::Location &location)
{
    if (location.installedTree.isEmpty())
        return location.root;
    const Status prepared = prepare(location.installedTree, location.root);
    if (!prepared.ok())
        return prepared.error();
    return location.root;
}

} // namespace UserDrive
