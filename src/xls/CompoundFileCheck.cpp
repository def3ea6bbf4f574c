#include "xls/CompoundFileCheck.h"

#include "xls/LittleEndianBytes.h"

#include <QList>
#include <QSet>

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kLastRegularSector = 0xFFFFFFF9;
constexpr int kHeaderFatEntries = 109;
constexpr qsizetype kDirectoryEntrySize = 128;
constexpr qsizetype kNameLengthOffset = 0x40;
constexpr quint16 kNameFieldBytes = 64; // 31 UTF-16 characters and the terminating zero
constexpr qsizetype kLeftSiblingOffset = 0x44; // then the right sibling and the child
constexpr quint32 kNoEntry = 0xFFFFFFFF;

using littleendian::u16;
using littleendian::u32;

} // namespace

QString compoundDirectoryProblem(QByteArrayView file)
{
    if (file.size() < 512)
        return QStringLiteral("intestazione troncata");
    const int shift = u16(file, 0x1E);
    if (shift != 9 && shift != 12)
        return QStringLiteral("dimensione dei settori non valida");
    const qsizetype sectorSize = qsizetype(1) << shift;
    const qsizetype sectorCount = file.size() / sectorSize - 1; // the header takes the first one
    const auto present
        = [&](quint32 sector) { return sector <= kLastRegularSector && qsizetype(sector) < sectorCount; };
    const auto offset = [&](quint32 sector) { return (qsizetype(sector) + 1) * sectorSize; };

    // The allocation table: its sectors are listed in the header, then in a chain of list sectors.
    const quint32 fatSectors = u32(file, 0x2C);
    if (qsizetype(fatSectors) > sectorCount)
        return QStringLiteral("tabella di allocazione più grande del file");
    QList<quint32> fatList;
    for (int i = 0; i < kHeaderFatEntries && quint32(fatList.size()) < fatSectors; ++i)
        fatList.append(u32(file, 0x4C + 4 * i));
    quint32 listSector = u32(file, 0x44);
    const qsizetype perListSector = sectorSize / 4 - 1;
    for (qsizetype hops = 0; quint32(fatList.size()) < fatSectors; ++hops) {
        if (hops > sectorCount || !present(listSector))
            return QStringLiteral("elenco della tabella di allocazione interrotto");
        for (qsizetype i = 0; i < perListSector && quint32(fatList.size()) < fatSectors; ++i)
            fatList.append(u32(file, offset(listSector) + 4 * i));
        listSector = u32(file, offset(listSector) + 4 * perListSector);
    }
    for (const quint32 sector : fatList) {
        if (!present(sector))
            return QStringLiteral("settore della tabella di allocazione fuori dal file");
    }
    const qsizetype entriesPerSector = sectorSize / 4;
    const auto next = [&](quint32 sector) -> quint32 {
        const qsizetype index = qsizetype(sector) / entriesPerSector;
        if (index >= fatList.size())
            return 0xFFFFFFFF; // beyond the table: not a chain
        return u32(file, offset(fatList[index]) + 4 * (qsizetype(sector) % entriesPerSector));
    };

    // The directory: a chain of sectors, each holding entries of 128 bytes.
    QSet<quint32> visited;
    QList<qsizetype> entries;
    quint32 sector = u32(file, 0x30);
    if (sector == kEndOfChain)
        return QStringLiteral("directory vuota");
    while (sector != kEndOfChain) {
        if (!present(sector))
            return QStringLiteral("catena della directory fuori dal file");
        if (visited.contains(sector))
            return QStringLiteral("catena della directory chiusa su se stessa");
        visited.insert(sector);
        for (qsizetype at = offset(sector); at < offset(sector) + sectorSize; at += kDirectoryEntrySize) {
            const quint16 nameLength = u16(file, at + kNameLengthOffset);
            if (nameLength > kNameFieldBytes || nameLength % 2 != 0)
                return QStringLiteral("nome di una voce della directory non valido");
            entries.append(at);
        }
        sector = next(sector);
    }
    // The entries form a tree by their sibling and child numbers; a number past the last entry
    // sends a reader outside the directory.
    for (const qsizetype at : entries) {
        for (int link = 0; link < 3; ++link) {
            const quint32 id = u32(file, at + kLeftSiblingOffset + 4 * link);
            if (id != kNoEntry && qsizetype(id) >= entries.size())
                return QStringLiteral("albero della directory non valido");
        }
    }
    return {};
}
