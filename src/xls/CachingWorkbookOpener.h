#pragma once

#include "xls/Workbook.h"

#include <QString>

#include <map>

// Opens each workbook once for as long as it lives, however many estimates read it: a run over a
// site inventory asks for the same eleven class workbooks for every item. What the opener below says
// the first time (a workbook, or why it cannot be opened, such as a changed seal) is the answer for
// the whole run, so a file edited during the run cannot mix two versions of a table in one output.
class CachingWorkbookOpener final : public WorkbookOpener
{
public:
    explicit CachingWorkbookOpener(const WorkbookOpener &opener)
        : m_opener(opener)
    {
    }

    [[nodiscard]] Outcome<WorkbookHandle> open(const QString &systemPath) const override;
    [[nodiscard]] Error located(Error error) const override { return m_opener.located(std::move(error)); }

private:
    const WorkbookOpener &m_opener;
    mutable std::map<QString, Outcome<WorkbookHandle>> m_opened;
};
