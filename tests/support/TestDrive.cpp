#include "support/TestDrive.h"

#include <QDirIterator>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

bool copyTree(const QString &from, const QString &to)
{
    for (QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString source = it.next(), target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        QFile::remove(target);
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target))
            return false;
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return true;
}

QByteArray fileBytes(const QString &localPath)
{
    QFile file(localPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &localPath, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(localPath).path());
    QFile file(localPath);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

int runInChild(const std::function<int()> &body, const std::function<bool()> &prepare)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (prepare && !prepare())
            ::_exit(255);
        ::_exit(body() & 0x7F);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) != 255
        ? WEXITSTATUS(status)
        : -1;
}

int runWithoutPrivileges(const std::function<int()> &body)
{
    return runInChild(body, [] {
        return ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
    });
}
