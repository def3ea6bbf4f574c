#include "xls/XlsWorkbook.h"

#include "xls/CellAddress.h"
#include "xls/CompoundFileCheck.h"

#include <freexl.h>

#include <QFile>
#include <QFileInfo>

namespace {

constexpr char kOle2Signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr char kZipSignature[] = "PK\x03\x04";
// The smallest compound file: its header sector.
constexpr qsizetype kOle2HeaderSize = 512;

Error fileError(Error::Kind kind, const QString &file, QString detail = {})
{
    Error error;
    error.kind = kind;
    error.file = file;
    error.detail = std::move(detail);
    return error;
}

QString freeXlCode(int code)
{
    return QStringLiteral("FreeXL, codice %1").arg(code);
}

} // namespace

void FreeXlCloser::operator()(const void *handle) const
{
    if (handle)
        freexl_close(handle);
}

XlsWorkbook::XlsWorkbook(QString name, FreeXlHandle handle, int sheetCount, XlsFormulaCache formulas)
    : m_name(std::move(name))
    , m_handle(std::move(handle))
    , m_sheetCount(sheetCount)
    , m_formulas(std::move(formulas))
{ }

Outcome<CellValue> XlsWorkbook::readCell(int sheet, const QString &address) const
{
    using Kind = Error::Kind;
    if (sheet < 1 || sheet > m_sheetCount)
        return error(Kind::NoSuchSheet, sheet, address, QStringLiteral("la cartella ha %1 fogli").arg(m_sheetCount));
    const auto position = parseCellAddress(address);
    if (!position)
        return error(Kind::BadCellAddress, sheet, address, {});

    // The active worksheet is state of the handle: choose it for every read.
    const int selected = freexl_select_active_worksheet(m_handle.get(), static_cast<unsigned short>(sheet - 1));
    if (selected != FREEXL_OK)
        return error(Kind::UnreadableCell, sheet, address, freeXlCode(selected));

    FreeXL_CellValue cell{};
    const int read = freexl_get_cell_value(m_handle.get(), static_cast<unsigned int>(position->row),
                                           static_cast<unsigned short>(position->column), &cell);
    if (read == FREEXL_ILLEGAL_CELL_ROW_COL) // beyond the worksheet's used range
        return formulaOr(CellValue(), sheet, position->row, position->column, address);
    if (read != FREEXL_OK)
        return error(Kind::UnreadableCell, sheet, address, freeXlCode(read));

    switch (cell.type) {
    case FREEXL_CELL_NULL: return formulaOr(CellValue(), sheet, position->row, position->column, address);
    case FREEXL_CELL_INT:
        // Constant error cells come from FreeXL as whole numbers too.
        return formulaOr(CellValue::number(cell.value.int_value), sheet, position->row, position->column, address);
    case FREEXL_CELL_DOUBLE: return CellValue::number(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        if (!cell.value.text_value)
            return error(Kind::UnreadableCell, sheet, address, QStringLiteral("testo mancante"));
        return CellValue::text(QString::fromUtf8(cell.value.text_value));
    default:
        return error(Kind::UnreadableCell, sheet, address,
                     QStringLiteral("tipo di cella sconosciuto (%1)").arg(int(cell.type)));
    }
}

Outcome<CellValue> XlsWorkbook::formulaOr(CellValue plain, int sheet, int row, int column, const QString &address) const
{
    const XlsFormulaCache::Entry *stored = m_formulas.find(sheet - 1, row, column);
    if (!stored)
        return plain;
    if (!stored->readable)
        return error(Error::Kind::UnreadableCell, sheet, address,
                     QStringLiteral("risultato della formula illeggibile"));
    return stored->value;
}

Error XlsWorkbook::error(Error::Kind kind, int sheet, const QString &address, QString detail) const
{
    Error result = fileError(kind, m_name, std::move(detail));
    result.sheet = sheet;
    result.cell = address;
    return result;
}

Outcome<WorkbookHandle> openXlsWorkbook(const QString &localPath, const QString &systemName)
{
    using Kind = Error::Kind;
    const QFileInfo info(localPath);
    if (!info.exists())
        return fileError(Kind::MissingWorkbook, systemName);
    if (info.isDir())
        return fileError(Kind::MissingWorkbook, systemName, QStringLiteral("al suo posto c'è una cartella"));

    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        return fileError(Kind::DamagedWorkbook, systemName, file.errorString());
    const QByteArray bytes = file.readAll();
    file.close();

    // Decide on the signature before FreeXL sees anything that is not a compound file.
    if (bytes.isEmpty())
        return fileError(Kind::NotAWorkbook, systemName, QStringLiteral("file vuoto"));
    if (bytes.startsWith(kZipSignature))
        return fileError(Kind::NotAWorkbook, systemName, QStringLiteral("formato .xlsx o archivio ZIP"));
    if (!bytes.startsWith(QByteArrayView(kOle2Signature, 8)))
        return fileError(Kind::NotAWorkbook, systemName);
    if (bytes.size() < kOle2HeaderSize)
        return fileError(Kind::DamagedWorkbook, systemName, QStringLiteral("file troncato"));
    // FreeXL reads a damaged directory beyond its buffers; such a file never reaches it.
    if (const QString problem = compoundDirectoryProblem(bytes); !problem.isEmpty())
        return fileError(Kind::DamagedWorkbook, systemName, problem);

    // The program's own pass over the records comes first: a stream it finds damaged (records cut
    // short, impossible worksheet bounds) is kept from FreeXL, which is not safe against them.
    XlsFormulaCache formulas = XlsFormulaCache::fromFileBytes(bytes);
    if (formulas.failure() == XlsFormulaCache::Failure::Damaged)
        return fileError(Kind::DamagedWorkbook, systemName, formulas.problem());

    const void *raw = nullptr;
    const int opened = freexl_open(QFile::encodeName(localPath).constData(), &raw);
    FreeXlHandle handle(raw); // FreeXL wants its handle closed even after a failed open
    switch (opened) {
    case FREEXL_OK: break;
    case FREEXL_FILE_NOT_FOUND: return fileError(Kind::MissingWorkbook, systemName);
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return fileError(Kind::NotAWorkbook, systemName, QStringLiteral("nessun foglio di calcolo nel file"));
    default: return fileError(Kind::DamagedWorkbook, systemName, freeXlCode(opened));
    }

    unsigned int password = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK
        && password == FREEXL_BIFF_OBFUSCATED)
        return fileError(Kind::NotAWorkbook, systemName, QStringLiteral("cartella protetta da password"));
    unsigned int sheets = 0;
    const int counted = freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &sheets);
    if (counted != FREEXL_OK)
        return fileError(Kind::DamagedWorkbook, systemName, freeXlCode(counted));

    switch (formulas.failure()) {
    case XlsFormulaCache::Failure::None: break;
    case XlsFormulaCache::Failure::NoWorkbookStream:
    case XlsFormulaCache::Failure::Encrypted: return fileError(Kind::NotAWorkbook, systemName, formulas.problem());
    case XlsFormulaCache::Failure::NoContainer:
    case XlsFormulaCache::Failure::Damaged: return fileError(Kind::DamagedWorkbook, systemName, formulas.problem());
    }

    return WorkbookHandle(std::make_shared<const XlsWorkbook>(systemName, FreeXlHandle(handle.release()), int(sheets),
                                                              std::move(formulas)));
}
