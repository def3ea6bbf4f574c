#include "catalogue/SealedWorkbookOpener.h"

#include "catalogue/CatalogueErrors.h"
#include "xls/XlsWorkbook.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace {

QString whatHappened(DataSeal::Breach::Kind kind)
{
    switch (kind) {
    case DataSeal::Breach::Kind::Changed: return QStringLiteral("modificato dopo il sigillo");
    case DataSeal::Breach::Kind::Missing: return QStringLiteral("sigillato ma mancante");
    case DataSeal::Breach::Kind::Unsealed: return QStringLiteral("aggiunto dopo il sigillo");
    }
    return {};
}

// The first breach, named as the system names the workbook that was asked for, in the same folder;
// the others of the folder follow in the detail, so that the analyst sees every one at once.
Error notAsSealed(const QString &systemPath, const std::vector<DataSeal::Breach> &breaches)
{
    Error error = catalogueError(Error::Kind::DataNotAsSealed);
    const qsizetype cut = std::max(systemPath.lastIndexOf(QLatin1Char('\\')), systemPath.lastIndexOf(QLatin1Char('/')));
    error.file = systemPath.left(cut + 1) + breaches.front().name;
    error.detail = whatHappened(breaches.front().kind);
    QStringList others;
    for (auto breach = breaches.begin() + 1; breach != breaches.end(); ++breach)
        others << breach->name + QStringLiteral(": ") + whatHappened(breach->kind);
    if (!others.isEmpty())
        error.detail += QStringLiteral("; inoltre ") + others.join(QStringLiteral("; "));
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
        return notAsSealed(systemPath, inFolder.value());

    const Outcome<QByteArray> bytes = readXlsFile(localPath, systemPath);
    if (!bytes.ok())
        return bytes.error();
    const Outcome<std::vector<DataSeal::Breach>> read
        = m_checker->checkWorkbook(local.absolutePath(), local.fileName(), bytes.value());
    if (!read.ok())
        return read.error();
    if (!read.value().empty())
        return notAsSealed(systemPath, read.value());
    return parseXlsWorkbook(bytes.value(), systemPath);
}
