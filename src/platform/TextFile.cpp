#include "platform/TextFile.h"

#include <QFile>
#include <QSaveFile>

namespace TextFile {

namespace {

Error fileError(Error::Kind kind, const QString &path, const QString &reason)
{
    Error error{kind};
    error.file = path;
    error.detail = reason;
    return error;
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

Outcome<QStringList> readLines(const QString &localPath)
{
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        return fileError(Error::Kind::FileUnreadable, localPath, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fileError(Error::Kind::FileUnreadable, localPath, file.errorString());

    QStringList lines = QString::fromLatin1(bytes).split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

Status writeLines(const QString &localPath, const QStringList &lines)
{
    QSaveFile file(localPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(encodeLines(lines)) < 0 || !file.commit())
        return fileError(Error::Kind::FileUnwritable, localPath, file.errorString());
    return Done{};
}

Status appendLines(const QString &localPath, const QStringList &lines)
{
    QFile file(localPath);
    const QByteArray bytes = encodeLines(lines);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size() || !file.flush())
        return fileError(Error::Kind::FileUnwritable, localPath, file.errorString());
    return Done{};
}

} // namespace TextFile
