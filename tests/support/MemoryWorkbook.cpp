#include "support/MemoryWorkbook.h"

#include "estimate/CellAddress.h"

MemoryWorkbook &MemoryWorkbook::set(int sheet, const QString &address, const TestCell &cell)
{
    m_cells.insert({sheet, address}, cell.value);
    return *this;
}

MemoryWorkbook &MemoryWorkbook::setRow(int sheet, const QString &firstCell, const QList<TestCell> &cells)
{
    const CellPosition first = parseCellAddress(firstCell).value();
    for (int i = 0; i < cells.size(); ++i)
        set(sheet, cellAddress(columnLetters(first.column + 1 + i), first.row + 1), cells[i]);
    return *this;
}

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
