#pragma once

#include <QByteArray>
#include <QDebug>
#include <QProcess>
#include <QString>
#include <QStringList>

// What an outside tool (gdalinfo, ogrinfo, projinfo, pdftotext...) writes on its standard output,
// for checks against an independent program. Empty, with the tool's complaint in the test's log, when
// it fails: the check that reads it then fails on its own terms.
namespace testing {

inline QByteArray toolOutput(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning() << program << arguments << process.readAllStandardError();
        return {};
    }
    return process.readAllStandardOutput();
}

} // namespace testing
