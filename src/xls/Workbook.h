#pragma once

#include "platform/Error.h"
#include "xls/CellValue.h"

#include <QString>

#include <memory>

// One open workbook, read only. Worksheets are addressed by 1-based position, cells by A1 address
// ("C4", "AA12", "BY200"). Failures are the workbook kinds of Error, naming the workbook, the
// worksheet and the cell.
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
    // The error of a step that read this opener's workbooks, also saying where the file it names is
    // on this computer (for the system's paths this opener maps).
    [[nodiscard]] virtual Error located(Error error) const { return error; }
};
