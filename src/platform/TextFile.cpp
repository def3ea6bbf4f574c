#include "platform/TextFile.h"

#include "platform/SystemFile.h"

namespace TextFile {

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toLatin1();
        bytes += "\r\n";
    }
    return bytes;
}

Outcome<QStringList> readLines(const QString &localPath, qint64 maxBytes)
{
    const Outcome<QByteArray> bytes = SystemFile::readRegular(localPath, maxBytes);
    if (!bytes.ok())
        return bytes.error();

    QStringList lines = QString::fromLatin1(bytes.value()).split(QLatin1Char('\n'));
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
    return SystemFile::replaceAll(localPath, encodeLines(lines));
}

Status appendLines(const QString &localPath, const QStringList &lines)
{
    return SystemFile::appendAll(localPath, encodeLines(lines));
}

} // namespace TextFile
