#include "support/MemoryWorkbook.h"

#include "estimate/CellAddress.h"

Outcome<CellValue> MemoryWorkbook::readCell(int sheet, const QString &address) const
{
    ++m_reads;
    if (sheet < 1 || sheet > m_sheets)
        return WorkbookError{WorkbookError::Kind::NoSuchSheet, m_name, sheet, address, {}};
    if (!parseCellAddress(address))
        return WorkbookError{WorkbookError::Kind::BadAddress, m_name, sheet, address, {}};
    return m_cells.value({sheet, address});
}

std::shared_ptr<MemoryWorkbook> MemoryWorkbookOpener::add(const QString &systemPath, int sheetCount)
{
    auto book = std::make_shared<MemoryWorkbook>(systemPath, sheetCount);
    m_books.insert(systemPath, book);
    return book;
}

Outcome<WorkbookHandle> MemoryWorkbookOpener::open(const QString &systemPath) const
{
    m_opened << systemPath;
    const auto it = m_books.constFind(systemPath);
    if (it == m_books.constEnd())
        return WorkbookError{WorkbookError::Kind::MissingFile, systemPath, 0, {}, {}};
    return WorkbookHandle(*it);
}
