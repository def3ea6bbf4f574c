#include "platform/TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace TextFile {

namespace {

QString describe(const QString &action, const QString &path, const QString &reason)
{
    return QStringLiteral("Impossibile %1 il file\n%2\n(%3)").arg(action, path, reason);
}

} // namespace

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toLatin1();
        bytes += "\r\n";
    }
    return bytes;
}

ReadResult readLines(const QString &localPath)
{
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, describe(QStringLiteral("leggere"), localPath, file.errorString())};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {std::nullopt, describe(QStringLiteral("leggere"), localPath, file.errorString())};

    QStringList lines = QString::fromLatin1(bytes).split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return {lines, {}};
}

bool writeLines(const QString &localPath, const QStringList &lines, QString *error)
{
    QSaveFile file(localPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(encodeLines(lines)) < 0 || !file.commit()) {
        if (error)
            *error = describe(QStringLiteral("scrivere"), localPath, file.errorString());
        return false;
    }
    return true;
}

bool appendLines(const QString &localPath, const QStringList &lines, QString *error)
{
    QFile file(localPath);
    const QByteArray bytes = encodeLines(lines);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        if (error)
            *error = describe(QStringLiteral("scrivere"), localPath, file.errorString());
        return false;
    }
    return true;
}

} // namespace TextFile
