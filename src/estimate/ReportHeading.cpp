#include "estimate/Report.h"

// The organisation that issues the reports: the six heading lines of every report file, after the
// product name, version and method. Change them here for an installation; keep them in Latin-1
// (the report file's code page).
const std::array<QString, 6> &reportOrganisationLines()
{
    static const std::array<QString, 6> lines{
        QStringLiteral("Ufficio Rischio Industriale - Servizio Valutazioni Ambientali"),
        QStringLiteral("Amministrazione emittente: da indicare a cura dell'installazione"),
        QStringLiteral("Indirizzo: via da indicare, 00000 Comune (XX)"),
        QStringLiteral("Telefono: +39 000 0000000"),
        QStringLiteral("Fax: +39 000 0000001"),
        QStringLiteral("E-mail: rischio.industriale@example.invalid"),
    };
    return lines;
}
