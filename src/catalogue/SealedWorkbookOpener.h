#pragma once

#include "platform/DataSeal.h"
#include "platform/DrivePaths.h"
#include "xls/Workbook.h"

#include <memory>

// Opens workbooks through another opener, after checking the folder of each against its seal (see
// DataSeal): in a sealed folder, a workbook changed, missing or added since the seal stops every
// open with DataNotAsSealed naming it. A folder without a seal is not checked. Checks are cached
// for the opener's life by size and modification time, so a run hashes each workbook once.
class SealedWorkbookOpener final : public WorkbookOpener
{
public:
    SealedWorkbookOpener(std::unique_ptr<WorkbookOpener> opener, DrivePaths drives);
    [[nodiscard]] Outcome<WorkbookHandle> open(const QString &systemPath) const override;

private:
    std::unique_ptr<WorkbookOpener> m_opener;
    DrivePaths m_drives;
    std::unique_ptr<DataSeal::Checker> m_checker; // the cache; opening changes nothing else
};
