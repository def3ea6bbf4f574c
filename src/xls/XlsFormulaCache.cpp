#include "xls/XlsFormulaCache.h"

#include "xls/LittleEndianBytes.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

#include <QList>

#include <cmath>
#include <memory>
#include <optional>

namespace {

// BIFF record types read here.
constexpr quint16 kFormula = 0x0006;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kFilePass = 0x002F;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kDimension = 0x0200;
constexpr quint16 kBoolErr = 0x0205;
constexpr quint16 kString = 0x0207;
constexpr quint16 kArray = 0x0221;
constexpr quint16 kTable = 0x0236;
constexpr quint16 kSharedFormula = 0x04BC;
constexpr quint16 kBof = 0x0809;

constexpr quint16 kBiff8Version = 0x0600;

// The largest worksheet of an .xls file.
constexpr quint32 kMaxRows = 65536;
constexpr quint16 kMaxColumns = 256;

// Nested BOF/EOF pairs deeper than this (a chart inside a sheet is one level) mean a broken file.
constexpr int kMaxDepth = 8;

using littleendian::f64;
using littleendian::u16;
using littleendian::u32;

quint64 cellKey(quint32 sheet, quint16 row, quint16 column)
{
    return (quint64(sheet) << 32) | (quint64(row) << 16) | column;
}

// Windows-1252 for the one-byte texts of BIFF5 files (which name no other code page in practice).
QChar windows1252(quint8 byte)
{
    static constexpr char16_t high[32]
        = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
           0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
           0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? QChar(high[byte - 0x80]) : QChar(byte);
}

struct GObjectUnref
{
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
using InputPtr = std::unique_ptr<GsfInput, GObjectUnref>;
using InfilePtr = std::unique_ptr<GsfInfile, GObjectUnref>;

// True when the file holds every sector that its allocation table marks as used. A compound file
// cut short may still open when only its tail sectors are gone; such a copy is incomplete all the
// same and is refused rather than read in part.
bool holdsEverySector(QByteArrayView file)
{
    constexpr quint32 kFreeSector = 0xFFFFFFFF;
    constexpr quint32 kEndOfChain = 0xFFFFFFFE;
    constexpr int kHeaderFatEntries = 109;
    if (file.size() < 512)
        return false;
    const int shift = u16(file, 0x1E);
    if (shift != 9 && shift != 12)
        return false;
    const qsizetype sectorSize = qsizetype(1) << shift;
    const auto sectorOffset = [&](quint32 sector) { return (qsizetype(sector) + 1) * sectorSize; };
    const auto sectorPresent
        = [&](quint32 sector) { return sector < 0xFFFFFFFA && sectorOffset(sector) + sectorSize <= file.size(); };

    // The sectors of the allocation table: 109 listed in the header, the rest in a chain of
    // list sectors. Never more than the file could hold.
    const quint32 fatSectors = u32(file, 0x2C);
    if (qsizetype(fatSectors) * sectorSize > file.size())
        return false;
    QList<quint32> fat;
    for (int i = 0; i < kHeaderFatEntries && quint32(fat.size()) < fatSectors; ++i)
        fat.append(u32(file, 0x4C + 4 * i));
    quint32 listSector = u32(file, 0x44);
    for (quint32 hops = 0; quint32(fat.size()) < fatSectors; ++hops) {
        if (hops > fatSectors || !sectorPresent(listSector))
            return false;
        const qsizetype at = sectorOffset(listSector);
        const qsizetype perSector = sectorSize / 4 - 1;
        for (qsizetype i = 0; i < perSector && quint32(fat.size()) < fatSectors; ++i)
            fat.append(u32(file, at + 4 * i));
        listSector = u32(file, at + 4 * perSector);
        if (listSector == kEndOfChain)
            break;
    }
    if (quint32(fat.size()) < fatSectors)
        return false;

    qint64 lastUsed = -1;
    for (qsizetype f = 0; f < fat.size(); ++f) {
        if (!sectorPresent(fat[f]))
            return false;
        const qsizetype at = sectorOffset(fat[f]);
        for (qsizetype i = 0; i < sectorSize / 4; ++i) {
            if (u32(file, at + 4 * i) != kFreeSector)
                lastUsed = qint64(f) * (sectorSize / 4) + i;
        }
    }
    return lastUsed < 0 || sectorOffset(quint32(lastUsed)) + sectorSize <= file.size();
}

void ignoreLibraryMessage(const gchar *, GLogLevelFlags, const gchar *, gpointer) { }

void initGsfOnce()
{
    static const bool initialised = [] {
        gsf_init();
        // A damaged container is reported to the caller as a value; libgsf's own warnings about
        // it would only clutter the terminal.
        const auto levels = GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE);
        for (const char *domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain, levels, ignoreLibraryMessage, nullptr);
        return true;
    }();
    (void)initialised;
}

} // namespace

// One pass over the records of a workbook stream.
class XlsFormulaCache::Parser
{
public:
    Parser(XlsFormulaCache &cache, QByteArrayView stream)
        : m_cache(cache)
        , m_stream(stream)
    { }

    void run()
    {
        while (m_pos + 4 <= m_stream.size()) {
            const qsizetype start = m_pos;
            const quint16 type = u16(m_stream, m_pos);
            const quint16 length = u16(m_stream, m_pos + 2);
            if (m_pos + 4 + length > m_stream.size()) {
                // Bytes after the last worksheet are padding; inside one they are a cut record.
                if (m_depth > 0)
                    m_cache.fail(Failure::Damaged, QStringLiteral("record troncato alla posizione %1").arg(start));
                break;
            }
            const QByteArrayView data = m_stream.sliced(m_pos + 4, length);
            m_pos += 4 + length;

            if (m_pendingString && type != kString && type != kSharedFormula && type != kArray && type != kTable) {
                markUnreadable(*m_pendingString);
                m_pendingString.reset();
            }
            if (!record(type, start, data))
                return;
        }
        if (m_pendingString && m_cache.ok())
            markUnreadable(*m_pendingString);
    }

private:
    // Handles one record; false stops the pass.
    bool record(quint16 type, qsizetype start, QByteArrayView data)
    {
        switch (type) {
        case kBof:
            if (++m_depth > kMaxDepth) {
                m_cache.fail(Failure::Damaged, QStringLiteral("sezioni annidate oltre ogni limite"));
                return false;
            }
            if (!m_seenGlobals) {
                m_seenGlobals = true;
                m_inGlobals = true;
                m_biff8 = data.size() >= 2 && u16(data, 0) == kBiff8Version;
            } else if (m_depth == 1) {
                m_sheet = m_sheetOffsets.indexOf(quint32(start));
                m_dimensionSeen = false;
            }
            break;
        case kDimension:
            if (m_depth == 1 && !m_inGlobals && !dimension(data))
                return false;
            break;
        case kEof:
            if (m_depth > 0)
                --m_depth;
            if (m_depth == 0) {
                m_sheet = -1;
                m_inGlobals = false;
            }
            break;
        case kBoundSheet:
            if (m_inGlobals && m_depth == 1 && data.size() >= 4) {
                m_sheetOffsets.append(u32(data, 0));
                m_cache.m_sheetCount = int(m_sheetOffsets.size());
            }
            break;
        case kFilePass:
            if (m_inGlobals && m_depth == 1) {
                m_cache.fail(Failure::Encrypted, QStringLiteral("cartella protetta da password"));
                return false;
            }
            break;
        case kFormula: formula(data); break;
        case kBoolErr:
            // rw, col, ixfe, value, fError: only errors need a value of their own.
            if (inSheet() && data.size() >= 8 && quint8(data[7]) != 0)
                m_cache.m_entries.insert(key(data), Entry{true, CellValue()});
            break;
        case kString:
            if (m_pendingString) {
                stringResult(*m_pendingString, data);
                m_pendingString.reset();
            }
            break;
        default: break;
        }
        return true;
    }

    [[nodiscard]] bool inSheet() const { return m_depth == 1 && m_sheet >= 0; }

    // FreeXL sizes a worksheet's cell grid from its DIMENSION record and is not safe against a
    // second one or against bounds no worksheet can have: such a stream is damaged. BIFF8: first
    // row, row after the last (both 32-bit), first column, column after the last; BIFF5 has
    // 16-bit rows.
    bool dimension(QByteArrayView data)
    {
        const auto damaged = [this](const QString &why) {
            m_cache.fail(Failure::Damaged, why);
            return false;
        };
        if (m_dimensionSeen)
            return damaged(QStringLiteral("dimensioni del foglio ripetute"));
        m_dimensionSeen = true;
        const qsizetype rowBytes = m_biff8 ? 4 : 2;
        if (data.size() < 2 * rowBytes + 4)
            return damaged(QStringLiteral("dimensioni del foglio troncate"));
        const quint32 firstRow = m_biff8 ? u32(data, 0) : u16(data, 0);
        const quint32 rowEnd = m_biff8 ? u32(data, 4) : u16(data, 2);
        const quint16 firstColumn = u16(data, 2 * rowBytes);
        const quint16 columnEnd = u16(data, 2 * rowBytes + 2);
        if (firstRow > rowEnd || rowEnd > kMaxRows || firstColumn > columnEnd || columnEnd > kMaxColumns)
            return damaged(QStringLiteral("dimensioni del foglio impossibili"));
        return true;
    }
    [[nodiscard]] quint64 key(QByteArrayView data) const
    {
        return cellKey(quint32(m_sheet), u16(data, 0), u16(data, 2));
    }

    // rw, col, ixfe, then the 8-byte result: a double, or a marker form when its last two
    // bytes are 0xFFFF (byte 0: 0 text in a STRING record, 1 boolean, 2 error, 3 empty text).
    void formula(QByteArrayView data)
    {
        if (!inSheet() || data.size() < 14)
            return;
        const quint64 cell = key(data);
        if (u16(data, 12) != 0xFFFF) {
            const double number = f64(data, 6);
            m_cache.m_entries.insert(
                cell, std::isfinite(number) ? Entry{true, CellValue::number(number)} : Entry{false, CellValue()});
            return;
        }
        switch (quint8(data[6])) {
        case 0: m_pendingString = cell; break;
        case 1: m_cache.m_entries.insert(cell, Entry{true, CellValue::number(quint8(data[8]) != 0 ? 1.0 : 0.0)}); break;
        case 2: m_cache.m_entries.insert(cell, Entry{true, CellValue()}); break;
        case 3: m_cache.m_entries.insert(cell, Entry{true, CellValue::text(QString())}); break;
        default: markUnreadable(cell); break;
        }
    }

    // BIFF8: character count, option byte (bit 0: two bytes a character), characters; a long
    // text goes on in CONTINUE records, each opening with its own option byte. BIFF5: count and
    // one-byte characters.
    void stringResult(quint64 cell, QByteArrayView data)
    {
        if (data.size() < 2) {
            markUnreadable(cell);
            return;
        }
        const int count = u16(data, 0);
        QString text;
        text.reserve(count);
        QByteArrayView segment = data.sliced(2);
        bool firstSegment = true;
        while (text.size() < count) {
            if (!firstSegment) {
                // The rest of the text must come in the next record, a CONTINUE.
                if (m_pos + 4 > m_stream.size() || u16(m_stream, m_pos) != kContinue)
                    break;
                const quint16 length = u16(m_stream, m_pos + 2);
                if (m_pos + 4 + length > m_stream.size())
                    break;
                segment = m_stream.sliced(m_pos + 4, length);
                m_pos += 4 + length;
            }
            firstSegment = false;
            if (!appendCharacters(text, segment, count))
                break;
        }
        if (text.size() == count)
            m_cache.m_entries.insert(cell, Entry{true, CellValue::text(text)});
        else
            markUnreadable(cell);
    }

    // Appends the characters of one segment; false when it holds none (nothing more will come).
    bool appendCharacters(QString &text, QByteArrayView segment, int count) const
    {
        bool wide = false;
        if (m_biff8) {
            if (segment.isEmpty())
                return false;
            wide = (quint8(segment[0]) & 0x01) != 0;
            segment = segment.sliced(1);
        }
        const qsizetype width = wide ? 2 : 1;
        const qsizetype available = segment.size() / width;
        const qsizetype take = std::min<qsizetype>(available, count - text.size());
        if (take <= 0)
            return count == text.size();
        for (qsizetype i = 0; i < take; ++i) {
            if (wide)
                text.append(QChar(char16_t(u16(segment, i * 2))));
            else
                text.append(m_biff8 ? QChar(quint8(segment[i])) : windows1252(quint8(segment[i])));
        }
        return true;
    }

    void markUnreadable(quint64 cell) { m_cache.m_entries.insert(cell, Entry{false, CellValue()}); }

    XlsFormulaCache &m_cache;
    QByteArrayView m_stream;
    qsizetype m_pos = 0;
    int m_depth = 0;
    bool m_seenGlobals = false;
    bool m_inGlobals = false;
    bool m_biff8 = true;
    qsizetype m_sheet = -1;
    bool m_dimensionSeen = false;
    QList<quint32> m_sheetOffsets;
    std::optional<quint64> m_pendingString;
};

XlsFormulaCache XlsFormulaCache::fromWorkbookStream(QByteArrayView stream)
{
    XlsFormulaCache cache;
    Parser(cache, stream).run();
    return cache;
}

XlsFormulaCache XlsFormulaCache::fromFileBytes(QByteArrayView fileBytes)
{
    XlsFormulaCache cache;
    if (!fileBytes.startsWith(QByteArrayView("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))) {
        cache.fail(Failure::NoContainer, QStringLiteral("non è un file composto OLE2"));
        return cache;
    }
    if (!holdsEverySector(fileBytes)) {
        cache.fail(Failure::Damaged, QStringLiteral("file troncato"));
        return cache;
    }
    initGsfOnce();
    // The memory input only borrows the bytes; they outlive it here.
    const InputPtr input(
        gsf_input_memory_new(reinterpret_cast<const guint8 *>(fileBytes.data()), gsf_off_t(fileBytes.size()), FALSE));
    GError *error = nullptr;
    const InfilePtr container(input ? gsf_infile_msole_new(input.get(), &error) : nullptr);
    if (error)
        g_error_free(error);
    if (!container) {
        cache.fail(Failure::NoContainer, QStringLiteral("contenitore OLE2 illeggibile"));
        return cache;
    }

    // Excel 97 and later name the stream "Workbook", Excel 5 and 95 "Book"; names in a compound
    // file compare without regard to case.
    InputPtr stream;
    for (const char *wanted : {"Workbook", "Book"}) {
        const int children = gsf_infile_num_children(container.get());
        for (int i = 0; i < children && !stream; ++i) {
            const char *name = gsf_infile_name_by_index(container.get(), i);
            if (name && g_ascii_strcasecmp(name, wanted) == 0)
                stream.reset(gsf_infile_child_by_index(container.get(), i));
        }
        if (stream)
            break;
    }
    if (!stream) {
        cache.fail(Failure::NoWorkbookStream, QStringLiteral("nessun flusso di cartella di lavoro"));
        return cache;
    }

    // A stream cannot hold more bytes than the file that contains it.
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || size > gsf_off_t(fileBytes.size())) {
        cache.fail(Failure::Damaged, QStringLiteral("dimensione del flusso non valida"));
        return cache;
    }
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(stream.get(), size_t(size), reinterpret_cast<guint8 *>(bytes.data()))) {
        cache.fail(Failure::Damaged, QStringLiteral("flusso della cartella illeggibile"));
        return cache;
    }
    Parser(cache, bytes).run();
    return cache;
}

const XlsFormulaCache::Entry *XlsFormulaCache::find(int sheet, int row, int column) const
{
    if (m_entries.isEmpty() || sheet < 0 || row < 0 || row > 0xFFFF || column < 0 || column > 0xFFFF)
        return nullptr;
    const auto it = m_entries.constFind(cellKey(quint32(sheet), quint16(row), quint16(column)));
    return it == m_entries.cend() ? nullptr : &it.value();
}

void XlsFormulaCache::fail(Failure failure, QString problem)
{
    m_failure = failure;
    m_problem = std::move(problem);
    m_entries.clear();
}
