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
    case K::SiteSummaryNotMade:
        return QStringLiteral("Impossibile creare il riepilogo PDF dell'inventario \"%1\": %2")
            .arg(error.file, error.detail);
    default: return gis::gisErrorText(error);
    }
}

} // namespace site
