#pragma once

#include "platform/DataSeal.h"
#include "platform/DrivePaths.h"
#include "xls/Workbook.h"

#include <memory>

// Opens the data workbooks (.xls files under the drive root) after checking them against the seal
// of their folder (see DataSeal): in a sealed folder, a workbook changed, missing or added since the
// seal stops every open with DataNotAsSealed naming it. The folder is checked with the cache of
// DataSeal::Checker; the workbook asked for is then read once, and those very bytes are compared with
// its seal entry and parsed, so no edit between the check and the read, nor one that keeps the
// file's size and modification time, gets past it. A folder without a seal is not checked.
class SealedWorkbookOpener final : public WorkbookOpener
{
public:
    explicit SealedWorkbookOpener(DrivePaths drives);
    [[nodiscard]] Outcome<WorkbookHandle> open(const QString &systemPath) const override;
    [[nodiscard]] Error located(Error error) const override { return m_drives.locate(std::move(error)); }

private:
    DrivePaths m_drives;
    std::unique_ptr<DataSeal::Checker> m_checker; // the cache; opening changes nothing else
};
