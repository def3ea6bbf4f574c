#include "cli/ProtectedFiles.h"

#include "catalogue/HazardClass.h"
#include "platform/Configuration.h"
#include "platform/DataSeal.h"
#include "platform/DrivePaths.h"
#include "platform/SystemFile.h"

#include <QDir>
#include <QFileInfo>

std::optional<QString> protectedTarget(const DrivePaths &drives, const QString &localTarget,
                                       const QString &mapLocalPath)
{
    if (!mapLocalPath.isEmpty() && SystemFile::sameFile(localTarget, mapLocalPath))
        return QStringLiteral("è la mappa di partenza, che non viene mai sostituita");
    if (SystemFile::sameFile(localTarget, drives.toLocal(Configuration::filePath())))
        return QStringLiteral("è il file di configurazione, che non viene mai sostituito");

    const QDir dataFolder(drives.toLocal(kDataFolder));
    for (const QString &name : dataFolder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!SystemFile::sameFile(localTarget, dataFolder.filePath(name)))
            continue;
        if (name == QLatin1String(DataSeal::kFileName))
            return QStringLiteral("è il sigillo delle tabelle di dati, che non viene mai sostituito");
        return QStringLiteral("è il file di dati \"%1\", che non viene mai sostituito").arg(name);
    }
    if (SystemFile::sameFile(QFileInfo(localTarget).absolutePath(), dataFolder.path()))
        return QStringLiteral("è nella cartella delle tabelle di dati, dove nessuna uscita viene mai scritta");
    return std::nullopt;
}
