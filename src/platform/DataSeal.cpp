#include "platform/DataSeal.h"

#include "platform/PlatformErrors.h"
#include "platform/SystemFile.h"
#include "platform/TextFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace DataSeal {

namespace {

// Official tables are about 20 KB; a workbook of this size is not one of them.
constexpr qint64 kMaxWorkbookBytes = 64 * 1024 * 1024;

const QString kHeading = QStringLiteral("# ZEFRO: tabelle di dati sigillate il ");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString sealPath(const QString &localFolder)
{
    return QDir(localFolder).filePath(QLatin1String(kFileName));
}

QStringList workbookNames(const QString &localFolder)
{
    QStringList names
        = QDir(localFolder)
              .entryList({QStringLiteral("*.xls")}, QDir::Files | QDir::System, QDir::Name | QDir::IgnoreCase);
    // QDir matches the pattern without regard to case on some systems only.
    names.erase(
        std::remove_if(names.begin(), names.end(),
                       [](const QString &name) { return !name.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive); }),
        names.end());
    std::sort(names.begin(), names.end());
    return names;
}

Outcome<SealedFile> sealedFile(const QString &localFolder, const QString &name)
{
    const Outcome<QByteArray> bytes = SystemFile::readRegular(QDir(localFolder).filePath(name), kMaxWorkbookBytes);
    if (!bytes.ok())
        return bytes.error();
    return SealedFile{name, bytes.value().size(),
                      QCryptographicHash::hash(bytes.value(), QCryptographicHash::Sha256).toHex()};
}

Error unreadableSeal(const QString &localFolder, const QString &why)
{
    Error error = platformError(Error::Kind::FileUnreadable);
    error.file = sealPath(localFolder);
    error.detail = why;
    return error;
}

} // namespace

Outcome<Seal> sealFolder(const QString &localFolder, const QDateTime &now)
{
    Seal seal{now, {}};
    QStringList lines{kHeading + now.toString(kTimeFormat)};
    for (const QString &name : workbookNames(localFolder)) {
        const Outcome<SealedFile> file = sealedFile(localFolder, name);
        if (!file.ok())
            return file.error();
        seal.files.push_back(file.value());
        lines << name + QLatin1Char('\t') + QString::number(file.value().size) + QLatin1Char('\t')
                + QString::fromLatin1(file.value().sha256);
    }
    if (const Status written = TextFile::writeLines(sealPath(localFolder), lines); !written.ok())
        return written.error();
    return seal;
}

Outcome<std::optional<Seal>> readSeal(const QString &localFolder)
{
    if (!QFileInfo::exists(sealPath(localFolder)))
        return std::optional<Seal>{};
    const Outcome<QStringList> lines = TextFile::readLines(sealPath(localFolder));
    if (!lines.ok())
        return lines.error();
    Seal seal;
    for (qsizetype i = 0; i < lines.value().size(); ++i) {
        const QString &line = lines.value().at(i);
        if (line.startsWith(kHeading)) {
            seal.sealedAt = QDateTime::fromString(line.mid(kHeading.size()), kTimeFormat);
            continue;
        }
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        bool sizeOk = false;
        const qint64 size = fields.value(1).toLongLong(&sizeOk);
        const QByteArray sum = fields.value(2).toLatin1();
        const bool sumOk = sum.size() == 64 && std::all_of(sum.cbegin(), sum.cend(), [](char c) {
                               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
                           });
        if (fields.size() != 3 || fields.at(0).isEmpty() || !sizeOk || size < 0 || !sumOk)
            return unreadableSeal(
                localFolder,
                QStringLiteral("riga %1: servono nome, byte e somma SHA-256 separati da tabulazioni").arg(i + 1));
        seal.files.push_back({fields.at(0), size, sum});
    }
    if (!seal.sealedAt.isValid())
        return unreadableSeal(localFolder, QStringLiteral("manca la riga con la data del sigillo"));
    std::sort(seal.files.begin(), seal.files.end(),
              [](const SealedFile &a, const SealedFile &b) { return a.name < b.name; });
    return std::optional<Seal>(std::move(seal));
}

Outcome<std::vector<Breach>> checkFolder(const QString &localFolder, const Seal &seal)
{
    std::vector<Breach> breaches;
    const QStringList present = workbookNames(localFolder);
    for (const SealedFile &sealed : seal.files) {
        if (!present.contains(sealed.name)) {
            breaches.push_back({Breach::Kind::Missing, sealed.name});
            continue;
        }
        const Outcome<SealedFile> now = sealedFile(localFolder, sealed.name);
        if (!now.ok())
            return now.error();
        if (!(now.value() == sealed))
            breaches.push_back({Breach::Kind::Changed, sealed.name});
    }
    for (const QString &name : present) {
        const bool sealed = std::any_of(seal.files.cbegin(), seal.files.cend(),
                                        [&](const SealedFile &file) { return file.name == name; });
        if (!sealed)
            breaches.push_back({Breach::Kind::Unsealed, name});
    }
    return breaches;
}

Outcome<Checker::Folder *> Checker::folder(const QString &localFolder)
{
    const QFileInfo sealInfo(sealPath(localFolder));
    Folder &folder = m_folders[localFolder];
    const QDateTime sealModified = sealInfo.exists() ? sealInfo.lastModified() : QDateTime();
    if (!folder.sealModified.isValid() || folder.sealModified != sealModified) {
        const Outcome<std::optional<Seal>> seal = readSeal(localFolder);
        if (!seal.ok())
            return seal.error();
        folder = Folder{sealModified, seal.value(), {}};
    }
    return &folder;
}

Outcome<std::vector<Breach>> Checker::checkWorkbook(const QString &localFolder, const QString &fileName,
                                                    QByteArrayView bytes)
{
    const Outcome<Folder *> found = folder(localFolder);
    if (!found.ok())
        return found.error();
    Folder &folder = *found.value();
    if (!folder.seal)
        return std::vector<Breach>{};
    const auto sealed = std::find_if(folder.seal->files.cbegin(), folder.seal->files.cend(),
                                     [&](const SealedFile &file) { return file.name == fileName; });
    if (sealed == folder.seal->files.cend())
        return std::vector<Breach>{{Breach::Kind::Unsealed, fileName}};
    if (sealed->size == bytes.size()
        && sealed->sha256 == QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())
        return std::vector<Breach>{};
    folder.sound.remove(fileName);
    return std::vector<Breach>{{Breach::Kind::Changed, fileName}};
}

Outcome<std::vector<Breach>> Checker::check(const QString &localFolder)
{
    const Outcome<Folder *> found = folder(localFolder);
    if (!found.ok())
        return found.error();
    Folder &folder = *found.value();
    if (!folder.seal)
        return std::vector<Breach>{};

    // Only the workbooks whose size or time changed since they were last found sound are hashed again.
    const QStringList present = workbookNames(localFolder);
    bool allKnown = present.size() == qsizetype(folder.seal->files.size());
    for (const QString &name : present) {
        const QFileInfo info(QDir(localFolder).filePath(name));
        const auto known = folder.sound.constFind(name);
        allKnown = allKnown && known != folder.sound.cend() && known->size == info.size()
            && known->modified == info.lastModified();
    }
    if (allKnown)
        return std::vector<Breach>{};

    const Outcome<std::vector<Breach>> breaches = checkFolder(localFolder, *folder.seal);
    if (!breaches.ok())
        return breaches;
    folder.sound.clear();
    if (breaches.value().empty()) {
        for (const QString &name : present) {
            const QFileInfo info(QDir(localFolder).filePath(name));
            folder.sound.insert(name, Known{info.size(), info.lastModified()});
        }
    }
    return breaches;
}

} // namespace DataSeal
