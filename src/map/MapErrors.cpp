#include "map/MapErrors.h"

#include "estimate/EstimateErrors.h"

namespace map {

Error mapError(Error::Kind kind)
{
    return Error(kind, &mapErrorText);
}

QString mapErrorText(const Error &error)
{
    using K = Error::Kind;
    const QString &file = error.file, &detail = error.detail;
    switch (error.kind) {
    case K::ScaleNotValid:
        return QStringLiteral("La scala \"%1\" non è valida: scrivere 1: seguito dal denominatore, un numero intero "
                              "maggiore di zero (1:10000, 1:10.000 o 1:10 000).")
            .arg(detail);
    case K::ScaleWithDecimals:
        return QStringLiteral("La scala \"%1\" ha un denominatore con parte decimale: il denominatore di una scala "
                              "1:N è un numero intero, con le migliaia separate da un punto o da uno spazio se si "
                              "vuole (1:10000, 1:10.000 o 1:10 000).")
            .arg(detail);
    case K::MapUnopenable: return QStringLiteral("Impossibile aprire il file mappa \"%1\": %2.").arg(file, detail);
    case K::MapUnreadable:
        return QStringLiteral("Il file \"%1\" non è una mappa bitmap leggibile (%2).").arg(file, detail);
    case K::MapGeoreferenceInvalid:
        return QStringLiteral("La georeferenziazione di \"%1\" non è utilizzabile: %2.").arg(file, detail);
    case K::AreaNotDrawable:
        return file.isEmpty()
            ? QStringLiteral("Impossibile disegnare le aree di danno: %1.").arg(detail)
            : QStringLiteral("Impossibile disegnare le aree di danno sulla mappa \"%1\": %2.").arg(file, detail);
    case K::MapNotSaved:
        return QStringLiteral(
                   "Impossibile salvare la mappa nel file \"%1\" (%2). Controllare che la cartella di uscita "
                   "indicata nella configurazione esista e sia scrivibile e che il nome della sostanza non "
                   "contenga caratteri non ammessi nei nomi di file.")
            .arg(file, detail);
    default: return estimateErrorText(error);
    }
}

} // namespace map
