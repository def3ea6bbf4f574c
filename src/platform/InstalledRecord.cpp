#include "platform/InstalledRecord.h"

#include "platform/SystemFile.h"

#include <QDir>
#include <QList>

#include <algorithm>

namespace InstalledRecord {

namespace {

// A line for each installed file: the bundled tree has about fifty.
constexpr qint64 kMaxBytes = 8 * 1024 * 1024;

const QByteArray kHeading = "# ZEFRO: file installati visti all'ultimo avvio (scritto dal programma)";
const QByteArray kTreeField = "albero";

QString recordPath(const QString &userRoot)
{
    return QDir(userRoot).filePath(QLatin1String(kFileName));
}

bool isSum(const QByteArray &field)
{
    return field.size() == 64 && std::all_of(field.cbegin(), field.cend(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

} // namespace

std::optional<Record> read(const QString &userRoot)
{
    const Outcome<QByteArray> bytes = SystemFile::readRegular(recordPath(userRoot), kMaxBytes);
    if (!bytes.ok())
        return std::nullopt;
    Record record;
    for (const QByteArray &line : bytes.value().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 2 && fields.at(0) == kTreeField) {
            record.tree = QString::fromUtf8(fields.at(1));
            continue;
        }
        bool sizeOk = false, timeOk = false;
        const File file{fields.value(1).toLongLong(&sizeOk), fields.value(2).toLongLong(&timeOk), fields.value(0)};
        if (fields.size() != 4 || !isSum(file.sha256) || !sizeOk || !timeOk || fields.at(3).isEmpty())
            return std::nullopt;
        record.files.insert(QString::fromUtf8(fields.at(3)), file);
    }
    if (record.tree.isEmpty())
        return std::nullopt;
    return record;
}

Status write(const QString &userRoot, const Record &record)
{
    QStringList paths = record.files.keys();
    std::sort(paths.begin(), paths.end());
    QByteArray bytes = kHeading + '\n' + kTreeField + '\t' + record.tree.toUtf8() + '\n';
    for (const QString &path : paths) {
        const File &file = record.files.value(path);
        bytes += file.sha256 + '\t' + QByteArray::number(file.size) + '\t' + QByteArray::number(file.modifiedNs) + '\t'
            + path.toUtf8() + '\n';
    }
    return SystemFile::replaceAll(recordPath(userRoot), bytes);
}

} // namespace InstalledRecord
