#include "xls/CompoundFile.h"

#include "xls/LittleEndianBytes.h"

#include <QList>

#include <optional>
#include <vector>

namespace {

using littleendian::u16;
using littleendian::u32;

constexpr quint32 kLastRegularSector = 0xFFFFFFF9;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kNoEntry = 0xFFFFFFFF;
constexpr int kHeaderFatEntries = 109;
constexpr qsizetype kEntrySize = 128;
constexpr quint8 kStreamEntry = 2;
constexpr quint8 kRootEntry = 5;

// One pass over the container; the first problem found ends it.
class Container
{
public:
    explicit Container(QByteArrayView file)
        : m_file(file)
    { }

    CompoundStream read()
    {
        CompoundStream result;
        std::optional<QByteArray> stream = workbookStream();
        if (stream) {
            result.bytes = std::move(*stream);
        } else {
            result.failure = m_missing ? CompoundStream::Failure::NoWorkbookStream : CompoundStream::Failure::Damaged;
            result.problem = m_problem;
        }
        return result;
    }

private:
    std::nullopt_t fail(const char *problem)
    {
        m_problem = QString::fromUtf8(problem);
        return std::nullopt;
    }

    std::optional<QByteArray> workbookStream()
    {
        if (m_file.size() < 512)
            return fail("file troncato");
        if (u16(m_file, 0x1C) != 0xFFFE)
            return fail("ordine dei byte non valido");
        const int shift = u16(m_file, 0x1E);
        if (shift != 9 && shift != 12)
            return fail("dimensione dei settori non valida");
        m_sectorSize = qsizetype(1) << shift;
        m_sectorCount = m_file.size() / m_sectorSize - 1; // the header takes the first one
        if (m_sectorCount < 0)
            return fail("file troncato");
        if (!readAllocationTable())
            return std::nullopt;

        const std::optional<QByteArray> directory = chain(u32(m_file, 0x30), -1, m_sectorSize, {});
        if (!directory)
            return std::nullopt;
        if (directory->isEmpty() || quint8(directory->at(0x42)) != kRootEntry)
            return fail("directory senza radice");
        const std::optional<qsizetype> found = findWorkbookEntry(*directory);
        if (!found)
            return std::nullopt;
        const QByteArrayView entry = QByteArrayView(*directory).sliced(*found * kEntrySize, kEntrySize);
        const quint32 size = u32(entry, 0x78);
        if (size == 0 || size > m_file.size())
            return fail("dimensione del flusso non valida");
        if (size >= u32(m_file, 0x38))
            return chain(u32(entry, 0x74), size, m_sectorSize, {});

        // A stream below the cut-off size lives in small blocks inside the root entry's stream.
        const QByteArrayView root = QByteArrayView(*directory).first(kEntrySize);
        const std::optional<QByteArray> smallStream = chain(u32(root, 0x74), u32(root, 0x78), m_sectorSize, {});
        if (!smallStream)
            return std::nullopt;
        const std::optional<QByteArray> smallTable = chain(u32(m_file, 0x3C), -1, m_sectorSize, {});
        if (!smallTable)
            return std::nullopt;
        if (u16(m_file, 0x20) != 6)
            return fail("dimensione dei blocchi piccoli non valida");
        constexpr qsizetype blockSize = 64;
        QList<quint32> smallFat(smallTable->size() / 4);
        for (qsizetype i = 0; i < smallFat.size(); ++i)
            smallFat[i] = u32(*smallTable, 4 * i);
        return chain(u32(entry, 0x74), size, blockSize, {*smallStream, smallFat});
    }

    // The allocation table: its sectors are listed in the header, then in a chain of list sectors.
    // Both kinds of sector are taken, so that no chain may pass through them.
    bool readAllocationTable()
    {
        const quint32 fatSectors = u32(m_file, 0x2C);
        if (qsizetype(fatSectors) > m_sectorCount) {
            fail("tabella di allocazione più grande del file");
            return false;
        }
        QList<quint32> sectors, listSectors;
        for (int i = 0; i < kHeaderFatEntries && quint32(sectors.size()) < fatSectors; ++i)
            sectors.append(u32(m_file, 0x4C + 4 * i));
        quint32 listSector = u32(m_file, 0x44);
        const qsizetype perListSector = m_sectorSize / 4 - 1;
        for (qsizetype hops = 0; quint32(sectors.size()) < fatSectors; ++hops) {
            if (hops > m_sectorCount || !present(listSector)) {
                fail("elenco della tabella di allocazione interrotto");
                return false;
            }
            listSectors.append(listSector);
            for (qsizetype i = 0; i < perListSector && quint32(sectors.size()) < fatSectors; ++i)
                sectors.append(u32(m_file, offset(listSector) + 4 * i));
            listSector = u32(m_file, offset(listSector) + 4 * perListSector);
        }
        const qsizetype perSector = m_sectorSize / 4;
        m_fat.reserve(sectors.size() * perSector);
        for (const quint32 sector : sectors) {
            if (!present(sector)) {
                fail("settore della tabella di allocazione fuori dal file");
                return false;
            }
            for (qsizetype i = 0; i < perSector; ++i)
                m_fat.append(u32(m_file, offset(sector) + 4 * i));
        }
        m_used.assign(std::size_t(std::max(m_fat.size(), m_sectorCount)), false);
        for (const quint32 sector : sectors + listSectors) { // all present, checked above
            if (m_used[sector]) {
                fail("settore della tabella di allocazione usato due volte");
                return false;
            }
            m_used[sector] = true;
        }
        // A copy cut short may still hold every stream it is asked for; it is incomplete all the same.
        for (qsizetype sector = m_sectorCount; sector < m_fat.size(); ++sector) {
            if (m_fat[sector] != kFreeSector) {
                fail("file troncato");
                return false;
            }
        }
        return true;
    }

    struct SmallBlocks
    {
        QByteArrayView stream;
        QList<quint32> table;
    };

    // The bytes of a chain from its first sector (or small block): exactly enough for size bytes, or
    // up to its end when size is -1. No block is met twice, in this chain or any other.
    std::optional<QByteArray> chain(quint32 first, qint64 size, qsizetype blockSize, const SmallBlocks &small)
    {
        const bool isSmall = !small.stream.isNull();
        const QList<quint32> &table = isSmall ? small.table : m_fat;
        std::vector<bool> smallUsed(isSmall ? std::size_t(table.size()) : 0, false);
        std::vector<bool> &used = isSmall ? smallUsed : m_used;
        const QByteArrayView source = isSmall ? small.stream : m_file;
        const qsizetype base = isSmall ? 0 : m_sectorSize;

        QList<quint32> blocks;
        bool inOrder = true;
        for (quint32 block = first; block != kEndOfChain; block = table[block]) {
            if (block > kLastRegularSector || block >= quint32(table.size())
                || base + (qsizetype(block) + 1) * blockSize > source.size())
                return fail("catena di settori fuori dal file");
            if (used[block])
                return fail(blocks.contains(block) ? "catena di settori chiusa su se stessa"
                                                   : "catena di settori su un settore già usato");
            used[block] = true;
            if (size >= 0 && blocks.size() * blockSize >= size)
                return fail("catena di settori più lunga del flusso");
            inOrder = inOrder && (blocks.isEmpty() || block == blocks.last() + 1);
            blocks.append(block);
        }
        const qsizetype length = size >= 0 ? qsizetype(size) : blocks.size() * blockSize;
        if (blocks.size() * blockSize < length)
            return fail("catena di settori più corta del flusso");
        if (blocks.isEmpty())
            return QByteArray();
        if (inOrder) // the usual layout: the bytes are read where they are
            return QByteArray::fromRawData(source.data() + base + qsizetype(blocks.first()) * blockSize, length);
        QByteArray bytes;
        bytes.reserve(blocks.size() * blockSize);
        for (const quint32 block : blocks)
            bytes.append(source.sliced(base + qsizetype(block) * blockSize, blockSize));
        bytes.truncate(length);
        return bytes;
    }

    // The root's children form a tree by their sibling links; "Workbook" wins over "Book".
    std::optional<qsizetype> findWorkbookEntry(QByteArrayView directory)
    {
        const qsizetype entries = directory.size() / kEntrySize;
        const auto entry = [&](qsizetype index) { return directory.sliced(index * kEntrySize, kEntrySize); };
        // Every entry's name and links, reached or not: a damaged directory is refused whole.
        for (qsizetype index = 0; index < entries; ++index) {
            const quint16 nameBytes = u16(entry(index), 0x40);
            if (nameBytes > 64 || nameBytes % 2 != 0)
                return fail("nome di una voce della directory non valido");
            for (const qsizetype link : {0x44, 0x48, 0x4C}) {
                const quint32 id = u32(entry(index), link);
                if (id != kNoEntry && qsizetype(id) >= entries)
                    return fail("albero della directory non valido");
            }
        }
        std::vector<bool> seen(std::size_t(entries), false);
        QList<quint32> pending{u32(entry(0), 0x4C)};
        std::optional<qsizetype> workbook, book;
        while (!pending.isEmpty()) {
            const quint32 index = pending.takeLast();
            if (index == kNoEntry)
                continue;
            if (seen[index])
                return fail("albero della directory chiuso su se stesso");
            seen[index] = true;
            const QByteArrayView e = entry(index);
            const quint16 nameBytes = u16(e, 0x40);
            pending << u32(e, 0x44) << u32(e, 0x48);
            if (quint8(e[0x42]) != kStreamEntry || nameBytes < 2)
                continue;
            const QString name = QString::fromUtf16(reinterpret_cast<const char16_t *>(e.data()), nameBytes / 2 - 1);
            if (name.compare(QLatin1String("Workbook"), Qt::CaseInsensitive) == 0)
                workbook = index;
            else if (name.compare(QLatin1String("Book"), Qt::CaseInsensitive) == 0)
                book = index;
        }
        if (!workbook && !book) {
            m_missing = true;
            return fail("nessun foglio di calcolo nel file");
        }
        return workbook ? workbook : book;
    }

    [[nodiscard]] bool present(quint32 sector) const
    {
        return sector <= kLastRegularSector && qsizetype(sector) < m_sectorCount;
    }
    [[nodiscard]] qsizetype offset(quint32 sector) const { return (qsizetype(sector) + 1) * m_sectorSize; }

    QByteArrayView m_file;
    qsizetype m_sectorSize = 512;
    qsizetype m_sectorCount = 0;
    QList<quint32> m_fat;
    std::vector<bool> m_used;
    QString m_problem;
    bool m_missing = false;
};

} // namespace

CompoundStream readWorkbookStream(QByteArrayView fileBytes)
{
    return Container(fileBytes).read();
}
