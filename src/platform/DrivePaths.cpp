#include "platform/DrivePaths.h"

#include "platform/UserDrive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

DrivePaths::DrivePaths(QString driveRoot)
    : m_root(std::move(driveRoot))
{ }

DrivePaths::Location DrivePaths::locateDefaultRoot()
{
    const QString fromEnvironment = qEnvironmentVariable("ZEFRO_DRIVE_ROOT");
    if (!fromEnvironment.isEmpty())
        return {fromEnvironment, {}};

    const QString programDir
        = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return locateRootForProgramIn(programDir, UserDrive::location());
}

DrivePaths::Location DrivePaths::locateRootForProgramIn(const QString &programDir, const QString &userRoot)
{
    const QString nextToProgram = programDir + QStringLiteral("/drive");
    if (QFileInfo(nextToProgram).isDir())
        return {nextToProgram, {}};
    const QString installed = QDir::cleanPath(programDir + QStringLiteral("/../share/zefro/drive"));
    if (!QFileInfo(installed).isDir())
        return {installed, {}}; // nothing installed: the program reports the missing configuration
    return {userRoot, installed};
}

bool DrivePaths::hasDriveLetter(const QString &path)
{
    return path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter() && path.at(0).unicode() < 128;
}

QString DrivePaths::toLocal(const QString &systemPath) const
{
#ifdef Q_OS_WIN
    return systemPath;
#else
    if (!hasDriveLetter(systemPath))
        return systemPath;
    QString rest = systemPath.mid(2);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!rest.startsWith(QLatin1Char('/')))
        rest.prepend(QLatin1Char('/'));
    return m_root + QLatin1Char('/') + systemPath.at(0).toLower() + rest;
#endif
}

QString DrivePaths::systemPath(const QString &relativePath)
{
    const QString letter = relativePath.section(QLatin1Char('/'), 0, 0);
    if (letter.size() != 1 || !hasDriveLetter(letter + QLatin1Char(':')))
        return relativePath;
    QString rest = relativePath.mid(1);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return letter + QLatin1Char(':') + (rest.isEmpty() ? QStringLiteral("\\") : rest);
}

QStringList DrivePaths::driveLetters() const
{
    QStringList letters;
    const QDir rootDir(m_root);
    // Only lower-case letters: "X:\..." is looked for under the folder of the lower-case letter.
    for (const QString &name : rootDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (name.size() == 1 && name.at(0).isLetter() && name.at(0).isLower() && name.at(0).unicode() < 128)
            letters << name;
    }
    return letters;
}

Error DrivePaths::locate(Error error) const
{
    if (error.localPath.isEmpty() && hasDriveLetter(error.file))
        error.localPath = toLocal(error.file);
    return error;
}
