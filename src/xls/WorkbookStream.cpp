#include "xls/WorkbookStream.h"

#include "xls/BiffText.h"
#include "xls/DateFormats.h"
#include "xls/LittleEndianBytes.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

using littleendian::f64;
using littleendian::u16;
using littleendian::u32;

// BIFF record types read here.
constexpr quint16 kFormula = 0x0006;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kDateMode = 0x0022;
constexpr quint16 kCodePage = 0x0042;
constexpr quint16 kFilePass = 0x002F;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kMulRk = 0x00BD;
constexpr quint16 kMulBlank = 0x00BE;
constexpr quint16 kRString = 0x00D6;
constexpr quint16 kXf = 0x00E0;
constexpr quint16 kSst = 0x00FC;
constexpr quint16 kLabelSst = 0x00FD;
constexpr quint16 kDimension = 0x0200;
constexpr quint16 kBlank = 0x0201;
constexpr quint16 kNumber = 0x0203;
constexpr quint16 kLabel = 0x0204;
constexpr quint16 kBoolErr = 0x0205;
constexpr quint16 kString = 0x0207;
constexpr quint16 kRow = 0x0208;
constexpr quint16 kArray = 0x0221;
constexpr quint16 kTable = 0x0236;
constexpr quint16 kRk = 0x027E;
constexpr quint16 kFormat = 0x041E;
constexpr quint16 kSharedFormula = 0x04BC;
constexpr quint16 kBof = 0x0809;

constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kBiff5 = 0x0500;
constexpr quint16 kGlobalsSection = 0x0005;
constexpr quint16 kWorksheetSection = 0x0010;

constexpr qsizetype kMaxRecordLength = 8224;
constexpr quint32 kMaxRows = 65536;
constexpr quint32 kMaxColumns = 256;
// A worksheet and the charts inside it; deeper nesting means a broken file.
constexpr int kMaxDepth = 8;

struct Record
{
    quint16 type = 0;
    QByteArrayView data;
};

struct Bounds // first row, row after the last, first column, column after the last
{
    quint32 firstRow = 0, rowEnd = 0, firstColumn = 0, columnEnd = 0;
};

struct SheetEntry
{
    quint32 offset = 0;
    quint16 section = 0; // the BOF kind the sheet list announces
};

double rkNumber(quint32 rk)
{
    double value = 0.0;
    if (rk & 0x02) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100.0 : value;
}

// The BOF kind of each type of the sheet list: worksheet (and dialog), macro sheet, chart, module.
std::optional<quint16> sectionOfSheetType(quint8 type)
{
    switch (type) {
    case 0: return kWorksheetSection;
    case 1: return quint16(0x0040);
    case 2: return quint16(0x0020);
    case 6: return quint16(0x0006);
    default: return std::nullopt;
    }
}

class Parser
{
public:
    Parser(WorkbookContents &contents, QByteArrayView stream)
        : m_contents(contents)
        , m_stream(stream)
    { }

    void run()
    {
        if (encrypted()) {
            m_contents.failure = WorkbookContents::Failure::Encrypted;
            m_contents.problem = QStringLiteral("cartella protetta da password");
            return;
        }
        if (!globals())
            return;
        m_contents.cells.reserve(std::size_t(m_stream.size() / 16)); // about a cell for each record
        if (m_sheets.isEmpty())
            return fail("nessun foglio nell'elenco dei fogli");
        quint32 worksheets = 0;
        for (qsizetype i = 0; i < m_sheets.size(); ++i) {
            if (m_pos != m_sheets[i].offset)
                return fail("un foglio non comincia dove dice l'elenco dei fogli");
            const bool worksheet = m_sheets[i].section == kWorksheetSection;
            const qsizetype nextStart = i + 1 < m_sheets.size() ? qsizetype(m_sheets[i + 1].offset) : -1;
            if (worksheet ? !sheet(worksheets++) : !otherSheet(m_sheets[i].section, nextStart))
                return;
        }
        // What follows the last sheet can only be the zeros that round the stream up.
        if (!onlyPaddingLeft())
            return fail("dati dopo l'ultimo foglio");
        auto &cells = m_contents.cells;
        std::sort(cells.begin(), cells.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        const auto twice = std::adjacent_find(cells.begin(), cells.end(),
                                              [](const auto &a, const auto &b) { return a.first == b.first; });
        if (twice != cells.end())
            return fail("cella ripetuta");
        m_contents.sheetCount = int(worksheets);
    }

private:
    void fail(const char *problem)
    {
        if (m_contents.failure == WorkbookContents::Failure::None) {
            m_contents.failure = WorkbookContents::Failure::Damaged;
            m_contents.problem = QString::fromUtf8(problem);
        }
        m_contents.cells.clear();
    }
    bool failed(const char *problem)
    {
        fail(problem);
        return false;
    }

    // The globals up to their EOF, looking at record headers alone: the records after a FILEPASS
    // are encrypted, so nothing else in them may be judged.
    [[nodiscard]] bool encrypted() const
    {
        for (qsizetype pos = 0; pos + 4 <= m_stream.size(); pos += 4 + u16(m_stream, pos + 2)) {
            if (u16(m_stream, pos) == kFilePass)
                return true;
            if (u16(m_stream, pos) == kEof)
                break;
        }
        return false;
    }

    // The code page of a BIFF5 workbook's texts, from its CODEPAGE record wherever it stands in the
    // globals: it must be known before the first text is read.
    bool readCodePage()
    {
        for (qsizetype pos = 0; pos + 4 <= m_stream.size(); pos += 4 + u16(m_stream, pos + 2)) {
            const quint16 type = u16(m_stream, pos), length = u16(m_stream, pos + 2);
            if (type == kEof)
                break;
            if (type != kCodePage)
                continue;
            if (length != 2 || pos + 6 > m_stream.size())
                return failed("codifica dei testi non valida");
            const quint16 number = u16(m_stream, pos + 4);
            const std::optional<CodePage> codePage = CodePage::fromNumber(number);
            if (!codePage) {
                m_contents.failure = WorkbookContents::Failure::Unsupported;
                m_contents.problem = QStringLiteral("codifica dei testi non gestita: code page %1").arg(number);
                return false;
            }
            m_codePage = *codePage;
            break;
        }
        return true;
    }

    // A text of the version's kind, BIFF8 Unicode or BIFF5 in the code page: read on, or taking the
    // whole of a record's data.
    std::optional<QString> readText(BiffText &reader, int countBytes) const
    {
        return m_biff8 ? reader.unicode(countBytes) : reader.codePage(countBytes, m_codePage);
    }
    std::optional<QString> recordText(QByteArrayView data, int countBytes) const
    {
        return wholeText(data, m_biff8 ? nullptr : &m_codePage, countBytes);
    }

    [[nodiscard]] bool onlyPaddingLeft() const
    {
        return std::all_of(m_stream.begin() + m_pos, m_stream.end(), [](char byte) { return byte == 0; });
    }

    bool next(Record &record)
    {
        if (m_pos + 4 > m_stream.size())
            return failed("il flusso finisce prima della fine di una sezione");
        record.type = u16(m_stream, m_pos);
        const quint16 length = u16(m_stream, m_pos + 2);
        if (length > kMaxRecordLength || m_pos + 4 + length > m_stream.size())
            return failed("record più lungo del flusso o di ogni record");
        // Type 0 and the cell and section records of Excel 2 to 4 never occur in these streams; met
        // there, they are bytes read out of step.
        static constexpr quint16 older[]
            = {0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0007, 0x0008, 0x0009, 0x0206, 0x0209, 0x0406, 0x0409};
        if (std::find(std::begin(older), std::end(older), record.type) != std::end(older))
            return failed("record di tipo estraneo al formato");
        record.data = m_stream.sliced(m_pos + 4, length);
        m_pos += 4 + length;
        return true;
    }

    // The data of the CONTINUE records that follow, each a segment.
    QList<QByteArrayView> continued(QByteArrayView first)
    {
        QList<QByteArrayView> segments{first};
        Record record;
        while (m_pos + 4 <= m_stream.size() && u16(m_stream, m_pos) == kContinue && next(record))
            segments.append(record.data);
        return segments;
    }

    bool bof(const Record &record, quint16 section)
    {
        if (record.type != kBof)
            return failed("manca l'inizio di una sezione");
        const qsizetype size = m_biff8 ? 16 : 8;
        if (record.data.size() != size || u16(record.data, 0) != m_version || u16(record.data, 2) != section)
            return failed("inizio di sezione non valido");
        return true;
    }

    bool globals()
    {
        Record record;
        if (!next(record))
            return false;
        if (record.type != kBof || record.data.size() < 4)
            return failed("il flusso non comincia con un inizio di sezione");
        m_version = u16(record.data, 0);
        if (m_version != kBiff8 && m_version != kBiff5)
            return failed("versione del formato non gestita");
        m_biff8 = m_version == kBiff8;
        if (!bof(record, kGlobalsSection) || (!m_biff8 && !readCodePage()))
            return false;
        bool sst = false;
        while (next(record)) {
            const QByteArrayView data = record.data;
            switch (record.type) {
            case kEof: return data.isEmpty() || failed("fine di sezione non valida");
            case kBof: return failed("sezione annidata nei dati generali");
            case kSst:
                if (sst || !m_biff8)
                    return failed("tabella dei testi inattesa");
                sst = true;
                if (!sharedStrings(continued(data)))
                    return false;
                break;
            case kBoundSheet:
                if (!sheetEntry(data))
                    return false;
                break;
            case kXf:
                if (data.size() != (m_biff8 ? 20 : 16))
                    return failed("formato di cella di lunghezza errata");
                m_xfFormats.append(u16(data, 2));
                break;
            case kFormat:
                if (!format(data))
                    return false;
                break;
            case kDateMode:
                if (data.size() != 2 || u16(data, 0) > 1)
                    return failed("sistema delle date non valido");
                m_from1904 = u16(data, 0) == 1;
                break;
            default: break;
            }
        }
        return false;
    }

    // The shared-string table: total and unique counts, then the unique strings, which fill it.
    bool sharedStrings(const QList<QByteArrayView> &segments)
    {
        BiffText text(segments);
        const std::optional<quint32> total = text.number(4), unique = text.number(4);
        if (!total || !unique)
            return failed("tabella dei testi troncata");
        qsizetype bytes = 0;
        for (const QByteArrayView segment : segments)
            bytes += segment.size();
        m_strings.reserve(std::min<qsizetype>(*unique, bytes / 3));
        for (quint32 i = 0; i < *unique; ++i) {
            std::optional<QString> string = text.unicode(2, true);
            if (!string)
                return failed("tabella dei testi non valida");
            m_strings.append(std::move(*string));
        }
        return text.atEnd() || failed("tabella dei testi più lunga dei suoi testi");
    }

    bool sheetEntry(QByteArrayView data)
    {
        if (data.size() < 6)
            return failed("elenco dei fogli non valido");
        const std::optional<quint16> section = sectionOfSheetType(quint8(data[5]));
        if (!section || !recordText(data.sliced(6), 1))
            return failed("elenco dei fogli non valido");
        if (!m_sheets.isEmpty() && u32(data, 0) <= m_sheets.last().offset)
            return failed("elenco dei fogli fuori ordine");
        m_sheets.append(SheetEntry{u32(data, 0), *section});
        return true;
    }

    bool format(QByteArrayView data)
    {
        const std::optional<QString> code
            = data.size() >= 2 ? recordText(data.sliced(2), m_biff8 ? 2 : 1) : std::nullopt;
        if (!code)
            return failed("formato numerico non valido");
        m_formats.insert(u16(data, 0), dateKindOfFormat(*code));
        return true;
    }

    // A chart, macro sheet or module: its records up to the next sheet's start (the last one, nextStart
    // -1: up to the padding), the last an EOF. It holds none of the tables' cells, and Gnumeric's chart
    // sheets do not balance their sections, so nothing else is judged.
    bool otherSheet(quint16 section, qsizetype nextStart)
    {
        Record record;
        if (!next(record) || !bof(record, section))
            return false;
        while (nextStart >= 0 ? m_pos < nextStart : !onlyPaddingLeft()) {
            if (!next(record))
                return false;
        }
        return (record.type == kEof && record.data.isEmpty()) || failed("manca la fine di un foglio");
    }

    // One worksheet, the index-th of the sheet list.
    bool sheet(quint32 index)
    {
        Record record;
        if (!next(record) || !bof(record, kWorksheetSection))
            return false;
        m_sheet = index;
        m_bounds.reset();
        std::optional<quint64> pendingText; // a formula whose text result comes in the next STRING
        for (int depth = 1; depth > 0;) {
            if (!next(record))
                return false;
            if (pendingText && record.type != kString && record.type != kSharedFormula && record.type != kArray
                && record.type != kTable)
                return failed("manca il testo di una formula");
            if (record.type == kBof) {
                if (++depth > kMaxDepth)
                    return failed("sezioni annidate oltre ogni limite");
            } else if (record.type == kEof) {
                if (!record.data.isEmpty())
                    return failed("fine di sezione non valida");
                --depth;
                if (depth == 0 && !m_bounds)
                    return failed("dimensioni del foglio mancanti");
            } else if (depth == 1 && !cell(record, pendingText)) {
                return false;
            }
        }
        return true;
    }

    bool cell(const Record &record, std::optional<quint64> &pendingText)
    {
        const QByteArrayView data = record.data;
        const auto sized = [&](qsizetype size) { return data.size() == size || failed("cella di lunghezza errata"); };
        switch (record.type) {
        case kDimension: return dimension(data);
        case kRow: return sized(16);
        case kNumber: return sized(14) && number(data, 0, u16(data, 4), f64(data, 6));
        case kRk: return sized(10) && number(data, 0, u16(data, 4), rkNumber(u32(data, 6)));
        case kMulRk: {
            if (data.size() < 12 || (data.size() - 6) % 6 != 0 || !span(data, (data.size() - 6) / 6))
                return failed("cella di lunghezza errata");
            for (qsizetype i = 0; i < (data.size() - 6) / 6; ++i) {
                if (!number(data, quint16(i), u16(data, 4 + 6 * i), rkNumber(u32(data, 6 + 6 * i))))
                    return false;
            }
            return true;
        }
        case kBlank: return sized(6) && at(data, 0).has_value();
        case kMulBlank:
            if (data.size() < 8 || data.size() % 2 != 0 || !span(data, (data.size() - 6) / 2))
                return failed("cella di lunghezza errata");
            return true;
        case kBoolErr: // some versions of Calc add a byte, which means nothing
            if (data.size() != 8 && data.size() != 9)
                return failed("cella di lunghezza errata");
            return boolErr(data);
        case kLabelSst:
            if (!sized(10))
                return false;
            if (u32(data, 6) >= quint32(m_strings.size()))
                return failed("testo fuori dalla tabella dei testi");
            return add(data, 0, CellValue::text(m_strings[qsizetype(u32(data, 6))]));
        case kLabel:
        case kRString: return label(record);
        case kFormula: return formula(data, pendingText);
        case kString: {
            if (!pendingText)
                return failed("testo di formula senza formula");
            BiffText text(continued(data));
            std::optional<QString> string = readText(text, 2);
            if (!string || !text.atEnd())
                return failed("testo di una formula non valido");
            m_contents.cells.emplace_back(*pendingText, CellValue::text(std::move(*string)));
            pendingText.reset();
            return true;
        }
        default: return true;
        }
    }

    // BIFF8: first row, row after the last (32 bits each), first column, column after the last,
    // reserved; BIFF5 has 16-bit rows.
    bool dimension(QByteArrayView data)
    {
        if (m_bounds)
            return failed("dimensioni del foglio ripetute");
        if (data.size() != (m_biff8 ? 14 : 10))
            return failed("dimensioni del foglio di lunghezza errata");
        const qsizetype rowBytes = m_biff8 ? 4 : 2;
        const Bounds bounds{m_biff8 ? u32(data, 0) : u16(data, 0), m_biff8 ? u32(data, 4) : u16(data, 2),
                            u16(data, 2 * rowBytes), u16(data, 2 * rowBytes + 2)};
        if (bounds.firstRow > bounds.rowEnd || bounds.rowEnd > kMaxRows || bounds.firstColumn > bounds.columnEnd
            || bounds.columnEnd > kMaxColumns)
            return failed("dimensioni del foglio impossibili");
        m_bounds = bounds;
        return true;
    }

    // The key of the cell at the record's row and its column plus columnStep, inside the bounds.
    std::optional<quint64> at(QByteArrayView data, quint16 columnStep)
    {
        const quint32 row = u16(data, 0), column = quint32(u16(data, 2)) + columnStep;
        if (!m_bounds) {
            fail("cella prima delle dimensioni del foglio");
            return std::nullopt;
        }
        if (row < m_bounds->firstRow || row >= m_bounds->rowEnd || column < m_bounds->firstColumn
            || column >= m_bounds->columnEnd) {
            fail("cella fuori dalle dimensioni del foglio");
            return std::nullopt;
        }
        return cellKey(m_sheet, quint16(row), quint16(column));
    }

    // A run of cells on one row: first column, the cells, then the last column.
    bool span(QByteArrayView data, qsizetype count)
    {
        if (u16(data, data.size() - 2) != u16(data, 2) + count - 1)
            return failed("fila di celle non valida");
        return at(data, 0) && at(data, quint16(count - 1));
    }

    bool add(QByteArrayView data, quint16 columnStep, CellValue value)
    {
        const std::optional<quint64> key = at(data, columnStep);
        if (key)
            m_contents.cells.emplace_back(*key, std::move(value));
        return key.has_value();
    }

    bool knownFormat(quint16 xf) { return xf < m_xfFormats.size() || failed("formato di cella inesistente"); }

    bool number(QByteArrayView data, quint16 columnStep, quint16 xf, double value)
    {
        if (!knownFormat(xf))
            return false;
        if (!std::isfinite(value))
            return failed("numero non valido");
        const quint16 formatIndex = m_xfFormats[xf];
        const DateKind kind = m_formats.value(formatIndex, builtInDateKind(formatIndex));
        const QString date = kind == DateKind::None ? QString() : dateText(value, kind, m_from1904);
        return add(data, columnStep, date.isEmpty() ? CellValue::number(value) : CellValue::text(date));
    }

    // A boolean (0 or 1) or an error code.
    bool boolErr(QByteArrayView data)
    {
        const quint8 value = quint8(data[6]), isError = quint8(data[7]);
        static constexpr quint8 errors[] = {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};
        if (!knownFormat(u16(data, 4)))
            return false;
        if (isError == 0 && value <= 1)
            return add(data, 0, CellValue::number(value));
        if (isError == 1 && std::find(std::begin(errors), std::end(errors), value) != std::end(errors))
            return add(data, 0, CellValue());
        return failed("valore logico o di errore non valido");
    }

    // LABEL: the text fills the record. RSTRING: then its formatting runs (BIFF8: count of 16 bits,
    // four bytes a run; BIFF5: count of 8 bits, two bytes a run).
    bool label(const Record &record)
    {
        const QByteArrayView data = record.data;
        BiffText text({data.size() >= 6 ? data.sliced(6) : QByteArrayView()});
        std::optional<QString> string = readText(text, 2);
        if (string && record.type == kRString) {
            const std::optional<quint32> runs = text.number(m_biff8 ? 2 : 1);
            if (!runs || !text.skip(quint64(*runs) * (m_biff8 ? 4 : 2)))
                string.reset();
        }
        if (!string || !text.atEnd())
            return failed("testo di una cella non valido");
        return knownFormat(u16(data, 4)) && add(data, 0, CellValue::text(std::move(*string)));
    }

    // Cell, result (8 bytes), options, a reserved 32 bits, then the formula: its length and tokens.
    // The result is a number, or a marker when its last two bytes are 0xFFFF; byte 0: 0 a text in
    // the STRING record to follow, 1 a boolean, 2 an error, 3 the empty text.
    bool formula(QByteArrayView data, std::optional<quint64> &pendingText)
    {
        if (data.size() < 22 || 22 + qsizetype(u16(data, 20)) > data.size())
            return failed("formula di lunghezza errata");
        if (!knownFormat(u16(data, 4)))
            return false;
        if (u16(data, 12) != 0xFFFF) {
            const double value = f64(data, 6);
            return std::isfinite(value) ? add(data, 0, CellValue::number(value)) : failed("numero non valido");
        }
        switch (quint8(data[6])) {
        case 0: pendingText = at(data, 0); return pendingText.has_value();
        case 1:
            if (quint8(data[8]) > 1)
                return failed("valore logico non valido");
            return add(data, 0, CellValue::number(quint8(data[8])));
        case 2: return add(data, 0, CellValue());
        case 3: return add(data, 0, CellValue::text(QString()));
        default: return failed("risultato di formula sconosciuto");
        }
    }

    WorkbookContents &m_contents;
    QByteArrayView m_stream;
    qsizetype m_pos = 0;
    quint16 m_version = kBiff8;
    bool m_biff8 = true;
    bool m_from1904 = false;
    CodePage m_codePage = CodePage::windows1252(); // BIFF5 texts
    QList<SheetEntry> m_sheets;
    QStringList m_strings;
    QList<quint16> m_xfFormats; // the number format of each cell format
    QHash<quint16, DateKind> m_formats; // the workbook's own number formats, by index
    quint32 m_sheet = 0;
    std::optional<Bounds> m_bounds;
};

} // namespace

const CellValue *WorkbookContents::find(int sheet, int row, int column) const
{
    if (sheet < 0 || row < 0 || row > 0xFFFF || column < 0 || column > 0xFFFF)
        return nullptr;
    const quint64 key = cellKey(quint32(sheet), quint16(row), quint16(column));
    const auto it = std::lower_bound(cells.begin(), cells.end(), key,
                                     [](const auto &entry, quint64 wanted) { return entry.first < wanted; });
    return it != cells.end() && it->first == key ? &it->second : nullptr;
}

WorkbookContents readWorkbookContents(QByteArrayView stream)
{
    WorkbookContents contents;
    Parser(contents, stream).run();
    return contents;
}
