#include "estimate/EstimateErrors.h"

#include "catalogue/CatalogueErrors.h"
#include "xls/XlsErrors.h"

Error estimateError(Error::Kind kind)
{
    return Error(kind, &estimateErrorText);
}

QString estimateErrorText(const Error &error)
{
    using K = Error::Kind;
    const QString &detail = error.detail;
    switch (error.kind) {
    case K::RangeBoundNotANumber: return inWorkbook(QStringLiteral("Il limite di un range non è un numero"), error);
    case K::ClassCodeAsText:
        return inWorkbook(QStringLiteral("Il codice di classe \"%1\" è scritto come testo, non come numero").arg(detail),
                          error, false);
    case K::DistanceNotANumber: return inWorkbook(QStringLiteral("Il valore della distanza non è un numero"), error);
    case K::DistanceOutOfRange:
        return inWorkbook(QStringLiteral("Il valore %1 non è una distanza").arg(detail), error, false)
            + QStringLiteral("\n(una distanza vale 0 = non applicabile, da 1 a 10000 m, oppure 10001 = oltre "
                             "10000 m; una cella vuota vale 0)");
    case K::TooManyCorrespondenceRows:
        return inWorkbook(
            QStringLiteral("La tabella di corrispondenza dei range ha più di 10 righe per la classe %1").arg(detail),
            error, false);
    case K::BadZoneIndex:
        if (!error.file.isEmpty())
            return inWorkbook(QStringLiteral("Indice di zona non valido: %1").arg(detail), error, false)
                + QStringLiteral("\n(deve essere un numero intero da 1 a 72)");
        return QStringLiteral("Indice di zona non valido per la sostanza scelta: %1\n"
                              "(deve essere un numero intero da 1 a 72, colonna A della tabella della classe)")
            .arg(detail);
    case K::UnknownSubclass:
        return inWorkbook(QStringLiteral("Sottoclasse tossica sconosciuta %1").arg(detail), error, false);
    case K::CompressedGasInBund: return QStringLiteral("Scelta non valida per i gas compressi");
    case K::ClassNotChosen:
        return QStringLiteral(
            "Classe non determinata: scegliere prima la classe della sostanza dall'elenco delle classi.");
    case K::ContainmentNotChosen:
        return QStringLiteral("campo vuoto: scegliere tipologia di detenzione dalla combo box");
    case K::QuantityNotOffered:
        return QStringLiteral(
            "La quantità indicata non è tra quelle dell'elenco: sceglierne una dall'elenco delle quantità.");
    case K::DiameterNotOffered:
        return QStringLiteral(
            "Il diametro indicato non è tra quelli dell'elenco: sceglierne uno dall'elenco dei diametri.");
    default: return catalogueErrorText(error);
    }
}
