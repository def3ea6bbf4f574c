#include "platform/Error.h"

#include "platform/Configuration.h"

namespace {

// "<what>:\n<file>[\n(su questo computer: <local path>)][\nfoglio N][, cella X][\n(<detail>)]": where in
// which workbook.
QString located(const QString &what, const Error &error, bool withDetail = true)
{
    QString text = what + QStringLiteral(":\n") + error.file;
    text += whereOnThisComputer(error.file, error.localPath);
    if (error.sheet > 0)
        text += QStringLiteral("\nfoglio %1").arg(error.sheet);
    if (!error.cell.isEmpty())
        text += QStringLiteral(", cella %1").arg(error.cell);
    if (withDetail && !error.detail.isEmpty())
        text += QStringLiteral("\n(") + error.detail + QLatin1Char(')');
    return text;
}

} // namespace

QString whereOnThisComputer(const QString &named, const QString &localPath)
{
    if (localPath.isEmpty() || localPath == named)
        return {};
    return QStringLiteral("\n(su questo computer: %1)").arg(localPath);
}

QString Error::message() const
{
    using K = Kind;
    switch (kind) {
    case K::MissingWorkbook: return located(QStringLiteral("Il file di dati non esiste"), *this);
    case K::NotAWorkbook: return located(QStringLiteral("Il file di dati non è una cartella di lavoro .xls"), *this);
    case K::DamagedWorkbook: return located(QStringLiteral("Il file di dati è danneggiato o incompleto"), *this);
    case K::EncryptedWorkbook:
        return located(QStringLiteral("Il file di dati è una cartella protetta da password"), *this);
    case K::UnsupportedWorkbook:
        return located(QStringLiteral("Il file di dati è in una forma che il programma non sa leggere"), *this);
    case K::NoSuchSheet: return located(QStringLiteral("Il foglio di lavoro richiesto non esiste"), *this);
    case K::BadCellAddress: return located(QStringLiteral("Indirizzo di cella non valido"), *this);
    case K::UnreadableCell: return located(QStringLiteral("Impossibile leggere la cella"), *this);
    case K::DataNotAsSealed:
        return located(QStringLiteral("Le tabelle di dati non sono quelle sigillate (sigillo.txt)"), *this)
            + QStringLiteral("\n\nRimettere le tabelle approvate, oppure sigillare di nuovo quelle presenti con "
                             "zefro-estimate --seal-data.");
    case K::RangeBoundNotANumber: return located(QStringLiteral("Il limite di un range non è un numero"), *this);
    case K::ClassCodeAsText:
        return located(QStringLiteral("Il codice di classe \"%1\" è scritto come testo, non come numero").arg(detail),
                       *this, false);
    case K::DistanceNotANumber: return located(QStringLiteral("Il valore della distanza non è un numero"), *this);
    case K::DistanceOutOfRange:
        return located(QStringLiteral("Il valore %1 non è una distanza").arg(detail), *this, false)
            + QStringLiteral("\n(una distanza vale 0 = non applicabile, da 1 a 10000 m, oppure 10001 = oltre "
                             "10000 m; una cella vuota vale 0)");
    case K::TooManyCorrespondenceRows:
        return located(
            QStringLiteral("La tabella di corrispondenza dei range ha più di 10 righe per la classe %1").arg(detail),
            *this, false);
    case K::BadZoneIndex:
        if (!file.isEmpty())
            return located(QStringLiteral("Indice di zona non valido: %1").arg(detail), *this, false)
                + QStringLiteral("\n(deve essere un numero intero da 1 a 72)");
        return QStringLiteral("Indice di zona non valido per la sostanza scelta: %1\n"
                              "(deve essere un numero intero da 1 a 72, colonna A della tabella della classe)")
            .arg(detail);
    case K::BadCasNumber:
        return located(QStringLiteral("Il numero CAS \"%1\" ha la cifra di controllo sbagliata").arg(detail), *this,
                       false);
    case K::UnknownSubclass:
        return located(QStringLiteral("Sottoclasse tossica sconosciuta %1").arg(detail), *this, false);
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
    case K::ScaleNotValid:
        return QStringLiteral("La scala \"%1\" non è valida: scrivere 1: seguito dal denominatore, un numero intero "
                              "maggiore di zero (1:10000, 1:10.000 o 1:10 000).")
            .arg(detail);
    case K::ScaleWithDecimals:
        return QStringLiteral("La scala \"%1\" ha un denominatore con parte decimale: il denominatore di una scala "
                              "1:N è un numero intero, con le migliaia separate da un punto o da uno spazio se si "
                              "vuole (1:10000, 1:10.000 o 1:10 000).")
            .arg(detail);
    case K::FileUnreadable: return QStringLiteral("Impossibile leggere il file\n%1\n(%2)").arg(file, detail);
    case K::FileUnwritable: return QStringLiteral("Impossibile scrivere il file\n%1\n(%2)").arg(file, detail);
    case K::ConfigurationUnreadable:
        return QStringLiteral(
                   "Impossibile leggere il file di configurazione\n%1\n\n%2\n(%3)\n\nIl programma verrà chiuso.")
            .arg(Configuration::filePath(), detail, localPath);
    case K::ConfigurationTooShort:
        return QStringLiteral("Il file di configurazione\n%1\ncontiene %2 righe: ne servono 8 "
                              "(percorso di Acrobat Reader, sei documenti, prefisso dei file di uscita)."
                              "\n\nIl programma verrà chiuso.")
            .arg(Configuration::filePath(), detail);
    case K::ConfigurationUnwritable:
        return QStringLiteral("Impossibile salvare il file di configurazione\n%1\n\n%2\n(%3)\n\n"
                              "Le modifiche restano nella finestra di configurazione.")
            .arg(Configuration::filePath(), detail, localPath);
    case K::ConfigurationNotStorable:
        return QStringLiteral("Il testo\n%1\ncontiene caratteri che il file di configurazione non può "
                              "registrare (a capo o caratteri non dell'alfabeto latino).\n\n"
                              "Correggere il campo e premere di nuovo OK.")
            .arg(detail);
    case K::LaunchFailed:
        return QStringLiteral("Impossibile avviare il programma richiesto:\n%1\n\n"
                              "Controllare il percorso nella finestra di configurazione.")
            .arg(detail);
    case K::DriveRootNotPrepared:
        return QStringLiteral("La cartella personale dei dati\n%1\nnon è stata preparata (%2).\n\n"
                              "Si usano i dati installati in %3, in sola lettura: la configurazione non potrà "
                              "essere salvata e i report non potranno essere scritti nella cartella di uscita.")
            .arg(file, detail, localPath);
    case K::DriveRootNotUpdated:
        return QStringLiteral("La cartella personale dei dati\n%1\nnon è stata aggiornata con i dati installati in %2:\n%3\n\n"
                              "Si continua con i dati che contiene.")
            .arg(file, localPath, detail);
    case K::OwnFilesKeptOnUpgrade:
        if (!file.contains(QLatin1Char('\n')))
            return QStringLiteral("Con l'ultimo aggiornamento di ZEFRO è stata installata una nuova versione del file\n"
                                  "%1%2\nma nella cartella personale dei dati c'è al suo posto un file proprio: si "
                                  "continua a usare quello, che non è stato modificato.\n\nLa versione installata è\n"
                                  "%3\nPer usarla, cancellare il file proprio: ZEFRO la prenderà al prossimo avvio.")
                .arg(file, whereOnThisComputer(file, localPath), detail);
        return QStringLiteral("Con l'ultimo aggiornamento di ZEFRO sono state installate nuove versioni di questi file:\n"
                              "%1\n(su questo computer sotto %2)\nma nella cartella personale dei dati ci sono al loro "
                              "posto file propri: si continua a usare quelli, che non sono stati modificati.\n\n"
                              "Le versioni installate sono sotto\n%3\nPer usarne una, cancellare il file proprio: "
                              "ZEFRO la prenderà al prossimo avvio.")
            .arg(file, localPath, detail);
    case K::MapUnopenable: return QStringLiteral("Impossibile aprire il file mappa \"%1\": %2.").arg(file, detail);
    case K::MapUnreadable:
        return QStringLiteral("Il file \"%1\" non è una mappa bitmap leggibile (%2).").arg(file, detail);
    case K::MapGeoreferenceInvalid:
        return QStringLiteral("La georeferenziazione di \"%1\" non è utilizzabile: %2.").arg(file, detail);
    case K::AreasNotExported:
        return QStringLiteral("Impossibile esportare le aree di danno nel file \"%1\": %2.").arg(file, detail);
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
    }
    return {};
}

bool Error::isNotice() const
{
    switch (kind) {
    case Kind::CompressedGasInBund:
    case Kind::ClassNotChosen:
    case Kind::ContainmentNotChosen:
    case Kind::QuantityNotOffered:
    case Kind::DiameterNotOffered:
    case Kind::ScaleNotValid:
    case Kind::ScaleWithDecimals: return true;
    default: return false;
    }
}
