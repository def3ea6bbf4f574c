#pragma once

#include "estimate/Workbook.h"

#include <QHash>
#include <QPair>

// A workbook held in memory, for tests of the lookups: cells set by (sheet, A1 address), every
// other cell empty.
class MemoryWorkbook final : public Workbook
{
public:
    MemoryWorkbook(QString name, int sheetCount) : m_name(std::move(name)), m_sheets(sheetCount) {}

    MemoryWorkbook &set(int sheet, const QString &address, const CellValue &value)
    {
        m_cells.insert({sheet, address}, value);
        return *this;
    }
    MemoryWorkbook &set(int sheet, const QString &address, double number) { return set(sheet, address, CellValue::number(number)); }
    MemoryWorkbook &set(int sheet, const QString &address, const char *text) { return set(sheet, address, CellValue::text(QString::fromUtf8(text))); }

    [[nodiscard]] QString name() const override { return m_name; }
    [[nodiscard]] int sheetCount() const override { return m_sheets; }
    [[nodiscard]] Outcome<CellValue> readCell(int sheet, const QString &address) const override;

    // How many cells were read, for tests that care about the reads a lookup makes.
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
