#include "catalogue/CatalogueErrors.h"

#include "xls/XlsErrors.h"

Error catalogueError(Error::Kind kind)
{
    return Error(kind, &catalogueErrorText);
}

QString catalogueErrorText(const Error &error)
{
    using K = Error::Kind;
    switch (error.kind) {
    case K::DataNotAsSealed:
        return inWorkbook(QStringLiteral("Le tabelle di dati non sono quelle sigillate (sigillo.txt)"), error)
            + QStringLiteral("\n\nRimettere le tabelle approvate, oppure sigillare di nuovo quelle presenti con "
                             "zefro-estimate --seal-data.");
    case K::BadCasNumber:
        return inWorkbook(QStringLiteral("Il numero CAS \"%1\" ha la cifra di controllo sbagliata").arg(error.detail),
                          error, false);
    default: return xlsErrorText(error);
    }
}
