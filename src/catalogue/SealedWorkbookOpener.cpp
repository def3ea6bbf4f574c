#include "catalogue/SealedWorkbookOpener.h"

#include "xls/XlsWorkbook.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// The first breach, named as the system names the workbook that was asked for, in the same folder.
Error notAsSealed(const QString &systemPath, const DataSeal::Breach &breach)
{
    Error error{Error::Kind::DataNotAsSealed};
    const qsizetype cut = std::max(systemPath.lastIndexOf(QLatin1Char('\\')), systemPath.lastIndexOf(QLatin1Char('/')));
    error.file = systemPath.left(cut + 1) + breach.name;
    switch (breach.kind) {
    case DataSeal::Breach::Kind::Changed: error.detail = QStringLiteral("modificato dopo il sigillo"); break;
    case DataSeal::Breach::Kind::Missing: error.detail = QStringLiteral("sigillato ma mancante"); break;
    case DataSeal::Breach::Kind::Unsealed: error.detail = QStringLiteral("aggiunto dopo il sigillo"); break;
    }
    return error;
}

} // namespace

SealedWorkbookOpener::SealedWorkbookOpener(DrivePaths drives)
    : m_drives(std::move(drives))
    , m_checker(std::make_unique<DataSeal::Checker>())
{ }

Outcome<WorkbookHandle> SealedWorkbookOpener::open(const QString &systemPath) const
{
    const QString localPath = m_drives.toLocal(systemPath);
    const QFileInfo local(localPath);
    const Outcome<std::vector<DataSeal::Breach>> inFolder = m_checker->check(local.absolutePath());
    if (!inFolder.ok())
        return inFolder.error();
    if (!inFolder.value().empty())
        return notAsSealed(systemPath, inFolder.value().front());

    const Outcome<QByteArray> bytes = readXlsFile(localPath, systemPath);
    if (!bytes.ok())
        return bytes.error();
    const Outcome<std::vector<DataSeal::Breach>> read
        = m_checker->checkWorkbook(local.absolutePath(), local.fileName(), bytes.value());
    if (!read.ok())
        return read.error();
    if (!read.value().empty())
        return notAsSealed(systemPath, read.value().front());
    return parseXlsWorkbook(bytes.value(), systemPath);
}
