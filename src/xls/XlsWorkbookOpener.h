#pragma once

#include "xls/Workbook.h"
#include "xls/XlsWorkbook.h"
#include "platform/DrivePaths.h"

// Opens the system's workbooks ("c:\revisione metodo speditivo\...\111.xls") from the files the
// drive-path layer maps them to; errors name the system path.
class XlsWorkbookOpener final : public WorkbookOpener
{
public:
    explicit XlsWorkbookOpener(DrivePaths drives);
    [[nodiscard]] Outcome<WorkbookHandle> open(const QString &systemPath) const override;
    [[nodiscard]] Error located(Error error) const override { return m_drives.locate(std::move(error)); }

private:
    DrivePaths m_drives;
};
