#pragma once

#include "xls/CellAddress.h"
#include "xls/Workbook.h"
#include "xls/XlsErrors.h"

#include <QHash>
#include <QStringList>

// A cell as a test writes it: a number, a text or any CellValue.
struct TestCell
{
    TestCell(int number)
        : value(CellValue::number(number))
    { }
    TestCell(double number)
        : value(CellValue::number(number))
    { }
    TestCell(const char *text)
        : value(CellValue::text(QString::fromUtf8(text)))
    { }
    TestCell(const QString &text)
        : value(CellValue::text(text))
    { }
    TestCell(CellValue cell)
        : value(std::move(cell))
    { }
    CellValue value;
};

// A workbook held in memory: cells set by (sheet, A1 address), every other cell empty; a worksheet
// beyond sheetCount, or a malformed address, cannot be read. It counts the cells read.
class MemoryWorkbook final : public Workbook
{
public:
    MemoryWorkbook(QString name, int sheetCount)
        : m_name(std::move(name))
        , m_sheets(sheetCount)
    { }

    MemoryWorkbook &set(int sheet, const QString &address, const TestCell &cell)
    {
        m_cells.insert({sheet, address}, cell.value);
        return *this;
    }
    // Cells from firstCell rightwards, one a column.
    MemoryWorkbook &setRow(int sheet, const QString &firstCell, const QList<TestCell> &cells)
    {
        const CellPosition first = parseCellAddress(firstCell).value();
        for (int i = 0; i < cells.size(); ++i)
            set(sheet, cellAddress(columnLetters(first.column + 1 + i), first.row + 1), cells[i]);
        return *this;
    }
    [[nodiscard]] QString name() const override { return m_name; }
    [[nodiscard]] int sheetCount() const override { return m_sheets; }
    [[nodiscard]] Outcome<CellValue> readCell(int sheet, const QString &address) const override
    {
        ++m_reads;
        if (sheet >= 1 && sheet <= m_sheets && parseCellAddress(address))
            return m_cells.value({sheet, address});
        Error error = xlsError(sheet < 1 || sheet > m_sheets ? Error::Kind::NoSuchSheet : Error::Kind::BadCellAddress);
        std::tie(error.file, error.sheet, error.cell) = std::tuple(m_name, sheet, address);
        return error;
    }
    [[nodiscard]] int reads() const { return m_reads; }

private:
    QString m_name;
    int m_sheets;
    QHash<QPair<int, QString>, CellValue> m_cells;
    mutable int m_reads = 0;
};

// Hands out the workbooks added under their system paths (any other path is a missing file) and
// records every path asked for.
class MemoryWorkbookOpener final : public WorkbookOpener
{
public:
    std::shared_ptr<MemoryWorkbook> add(const QString &systemPath, int sheetCount)
    {
        return *m_books.insert(systemPath, std::make_shared<MemoryWorkbook>(systemPath, sheetCount));
    }
    [[nodiscard]] Outcome<WorkbookHandle> open(const QString &systemPath) const override
    {
        m_opened << systemPath;
        if (const auto book = m_books.value(systemPath))
            return WorkbookHandle(book);
        Error error = xlsError(Error::Kind::MissingWorkbook);
        error.file = systemPath;
        return error;
    }
    [[nodiscard]] const QStringList &opened() const { return m_opened; }

private:
    QHash<QString, std::shared_ptr<MemoryWorkbook>> m_books;
    mutable QStringList m_opened;
};
