#include "xls/XlsWorkbookOpener.h"

XlsWorkbookOpener::XlsWorkbookOpener(DrivePaths drives)
    : m_drives(std::move(drives))
{ }

Outcome<WorkbookHandle> XlsWorkbookOpener::open(const QString &systemPath) const
{
    return openXlsWorkbook(m_drives.toLocal(systemPath), systemPath);
}
