#include "xls/CachingWorkbookOpener.h"

Outcome<WorkbookHandle> CachingWorkbookOpener::open(const QString &systemPath) const
{
    const auto known = m_opened.find(systemPath);
    if (known != m_opened.end())
        return known->second;
    return m_opened.emplace(systemPath, m_opener.open(systemPath)).first->second;
}
