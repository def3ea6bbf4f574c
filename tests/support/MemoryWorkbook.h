#pragma once

#include "estimate/Workbook.h"

#include <QHash>
#include <QList>
#include <QPair>

// A cell as a test writes it: a number, a text or any CellValue.
struct TestCell
{
    TestCell(int number) : value(CellValue::number(number)) {}
    TestCell(double number) : value(CellValue::number(number)) {}
    TestCell(const char *text) : value(CellValue::text(QString::fromUtf8(text))) {}
    TestCell(CellValue cell) : value(std::move(cell)) {}
    CellValue value;
};

// A workbook held in memory: cells set by (sheet, A1 address), every other cell empty.
class MemoryWorkbook final : public Workbook
{
public:
    MemoryWorkbook(QString name, int sheetCount) : m_name(std::move(name)), m_sheets(sheetCount) {}

    MemoryWorkbook &set(int sheet, const QString &address, const TestCell &cell);
    // Cells to the right of firstCell, one a column.
    MemoryWorkbook &setRow(int sheet, const QString &firstCell, const QList<TestCell> &cells);

    [[nodiscard]] QString name() const override { return m_name; }
    [[nodiscard]] int sheetCount() const override { return m_sheets; }
    [[nodiscard]] Outcome<CellValue> readCell(int sheet, const QString &address) const override;
    // How many cells were read, for tests of the reads a lookup makes.
    [[nodiscard]] int reads() const { return m_reads; }

private:
    QString m_name;
    int m_sheets;
    QHash<QPair<int, QString>, CellValue> m_cells;
    mutable int m_reads = 0;
};

// Hands out the workbooks registered under their system paths; any other path is a missing file.
class MemoryWorkbookOpener final : public WorkbookOpener
{
public:
    std::shared_ptr<MemoryWorkbook> add(const QString &systemPath, int sheetCount);
    [[nodiscard]] Outcome<WorkbookHandle> open(const QString &systemPath) const override;
    [[nodiscard]] QStringList opened() const { return m_opened; }

private:
    QHash<QString, std::shared_ptr<MemoryWorkbook>> m_books;
    mutable QStringList m_opened;
};
