#include "catalogue/SealedWorkbookOpener.h"

#include <QFileInfo>

#include <algorithm>

SealedWorkbookOpener::SealedWorkbookOpener(std::unique_ptr<WorkbookOpener> opener, DrivePaths drives)
    : m_opener(std::move(opener))
    , m_drives(std::move(drives))
    , m_checker(std::make_unique<DataSeal::Checker>())
{ }

Outcome<WorkbookHandle> SealedWorkbookOpener::open(const QString &systemPath) const
{
    const Outcome<std::vector<DataSeal::Breach>> breaches
        = m_checker->check(QFileInfo(m_drives.toLocal(systemPath)).absolutePath());
    if (!breaches.ok())
        return breaches.error();
    if (!breaches.value().empty()) {
        const DataSeal::Breach &first = breaches.value().front();
        Error error{Error::Kind::DataNotAsSealed};
        // Named as the system names the workbook that was asked for, in the same folder.
        const qsizetype cut
            = std::max(systemPath.lastIndexOf(QLatin1Char('\\')), systemPath.lastIndexOf(QLatin1Char('/')));
        error.file = systemPath.left(cut + 1) + first.name;
        switch (first.kind) {
        case DataSeal::Breach::Kind::Changed: error.detail = QStringLiteral("modificato dopo il sigillo"); break;
        case DataSeal::Breach::Kind::Missing: error.detail = QStringLiteral("sigillato ma mancante"); break;
        case DataSeal::Breach::Kind::Unsealed: error.detail = QStringLiteral("aggiunto dopo il sigillo"); break;
        }
        return error;
    }
    return m_opener->open(systemPath);
}
