#include "site/SiteErrors.h"

#include "gis/GisErrors.h"

namespace site {

Error siteError(Error::Kind kind)
{
    return Error(kind, &siteErrorText);
}

QString siteErrorText(const Error &error)
{
    using K = Error::Kind;
    switch (error.kind) {
    case K::InventoryUnreadable:
        return QStringLiteral("Impossibile leggere l'inventario \"%1\": %2").arg(error.file, error.detail);
    case K::InventoryMalformed:
        return QStringLiteral("L'inventario \"%1\" non è utilizzabile: %2").arg(error.file, error.detail);
    case K::SiteMapWithoutScale:
        return QStringLiteral("La mappa \"%1\" non è georiferita: per disegnarvi le aree di danno indicare la scala "
                              "1:N con cui è disegnata.")
            .arg(error.file);
    case K::SiteMapTooLarge:
        return QStringLiteral("Impossibile disegnare la mappa del sito su \"%1\": l'immagine (%2 pixel) sarebbe "
                              "troppo grande.")
            .arg(error.file, error.detail);
    case K::OutputFolderNotEmpty:
        return QStringLiteral("La cartella di uscita \"%1\" contiene già dei file: sceglierne una vuota o nuova, "
                              "oppure chiedere di sostituirne il contenuto (--overwrite).")
            .arg(error.file);
    case K::OutputFolderNotWritten:
        return QStringLiteral("Impossibile scrivere i risultati nella cartella \"%1\": %2. La cartella non è stata "
                              "cambiata.")
            .arg(error.file, error.detail);
    case K::SiteSummaryNotMade:
        return QStringLiteral("Impossibile creare il riepilogo PDF dell'inventario \"%1\": %2")
            .arg(error.file, error.detail);
    default: return gis::gisErrorText(error);
    }
}

} // namespace site
