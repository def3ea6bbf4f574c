#pragma once

// Running the built zefro-estimate from a test, and the drive trees it runs on.
#include "support/MainWindowDriver.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace cli {

inline const QString &kOutputFolder = kTestOutputFolder;
inline const QString kLikely = QStringLiteral("Ipotesi più probabile");
inline const QString kAverage = QStringLiteral("Ipotesi media");

struct Run
{
    int exitCode = -1;
    bool crashed = false;
    QString out; // standard output, UTF-8
    QString err; // standard error, UTF-8

    [[nodiscard]] static QStringList lines(const QString &text)
    {
        QStringList lines = text.split(QLatin1Char('\n'));
        if (lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    [[nodiscard]] QStringList outLines() const { return lines(out); }
    [[nodiscard]] QStringList errLines() const { return lines(err); }
};

// Runs the program with these arguments; the drive root comes from the arguments or, when
// driveRootVariable is given, from ZEFRO_DRIVE_ROOT (never from the caller's environment).
inline Run run(const QStringList &arguments, const QString &driveRootVariable = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("ZEFRO_DRIVE_ROOT"));
    if (!driveRootVariable.isEmpty())
        environment.insert(QStringLiteral("ZEFRO_DRIVE_ROOT"), driveRootVariable);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZEFRO_ESTIMATE_PROGRAM), arguments);
    Run result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        result.crashed = true;
        return result;
    }
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

inline std::unique_ptr<TestDrive> driveWith(const QString &tree) { return testDriveWith(tree); }

// Every file under a folder, as paths relative to it (to see that nothing was written).
inline QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace cli
