#include "support/TestDrive.h"

#include "platform/DrivePaths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        if (!QDir().mkpath(QFileInfo(target).path()))
            return false;
        QFile::remove(target);
        if (!QFile::copy(source, target))
            return false;
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return true;
}

TestDrive::TestDrive(Contents contents)
{
    if (contents == Contents::BundledTree)
        copyTree(QStringLiteral(ZEFRO_BUNDLED_TREE), m_dir.path());
}

QString TestDrive::local(const QString &systemPath) const
{
    return DrivePaths(m_dir.path()).toLocal(systemPath);
}

void TestDrive::writeFile(const QString &systemPath, const QByteArray &bytes) const
{
    const QString path = local(systemPath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray TestDrive::readFile(const QString &systemPath) const
{
    QFile file(local(systemPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
