#include "catalogue/DataFolderSeal.h"

#include "catalogue/HazardClass.h"

Outcome<std::optional<DataSeal::Seal>> dataFolderSeal(const DrivePaths &drives)
{
    return DataSeal::readSeal(drives.toLocal(kDataFolder));
}

QString dataFolderSealLine(const Outcome<std::optional<DataSeal::Seal>> &seal)
{
    if (!seal.ok())
        return QStringLiteral("Sigillo delle tabelle di dati illeggibile: nessuna stima possibile");
    if (!seal.value())
        return QStringLiteral("Tabelle di dati non sigillate: nessun controllo che siano quelle approvate");
    return QStringLiteral("Tabelle di dati sigillate il %1 (%2 tabelle)")
        .arg(seal.value()->sealedAt.toString(QStringLiteral("dd/MM/yyyy HH:mm")))
        .arg(seal.value()->files.size());
}
