#pragma once

#include "estimate/CellValue.h"

#include <QString>

#include <memory>
#include <variant>

// Why a workbook or one of its cells could not be read. The windows turn it into a message box;
// nothing below them shows anything.
struct WorkbookError
{
    enum class Kind {
        MissingFile,   // no such file
        NotAWorkbook,  // the file is not an .xls workbook
        Damaged,       // truncated or unreadable workbook
        NoSuchSheet,   // worksheet position beyond the count
        BadAddress,    // an A1 address that names no cell
        UnreadableCell // the cell could not be read
    };

    Kind kind = Kind::MissingFile;
    QString file;      // the workbook's path as the system names it
    int sheet = 0;     // 1-based worksheet position, 0 when not about a sheet
    QString cell;      // A1 address, empty when not about a cell
    QString detail;    // extra words from the reader, may be empty

    // One Italian message naming the file, and the worksheet and cell where they matter.
    [[nodiscard]] QString message() const;
};

template <typename T>
class Outcome
{
public:
    Outcome(T value) : m_data(std::move(value)) {}                 // NOLINT: implicit on purpose
    Outcome(WorkbookError error) : m_data(std::move(error)) {}     // NOLINT: implicit on purpose

    [[nodiscard]] bool ok() const { return std::holds_alternative<T>(m_data); }
    [[nodiscard]] const T &value() const { return std::get<T>(m_data); }
    [[nodiscard]] const WorkbookError &error() const { return std::get<WorkbookError>(m_data); }

private:
    std::variant<T, WorkbookError> m_data;
};

// One open workbook, read only. Worksheets are addressed by 1-based position, cells by A1 address
// ("C4", "AA12", "BY200").
class Workbook
{
public:
    virtual ~Workbook() = default;
    [[nodiscard]] virtual QString name() const = 0; // the path it was opened with
    [[nodiscard]] virtual int sheetCount() const = 0;
    [[nodiscard]] virtual Outcome<CellValue> readCell(int sheet, const QString &address) const = 0;
};

using WorkbookHandle = std::shared_ptr<const Workbook>;

// Opens workbooks by the system's path ("c:\...\111.xls"); the real one maps the path through the
// drive-path layer and reads the file, a test one may hand out workbooks held in memory.
class WorkbookOpener
{
public:
    virtual ~WorkbookOpener() = default;
    [[nodiscard]] virtual Outcome<WorkbookHandle> open(const QString &systemPath) const = 0;
};
