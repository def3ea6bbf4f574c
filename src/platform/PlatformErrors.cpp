#include "platform/PlatformErrors.h"

#include "platform/Configuration.h"

namespace {

QString unspecified(const Error &error)
{
    QString text = QStringLiteral("Operazione non riuscita.");
    if (!error.file.isEmpty())
        text += QLatin1Char('\n') + error.file + whereOnThisComputer(error.file, error.localPath);
    if (!error.detail.isEmpty())
        text += QStringLiteral("\n(") + error.detail + QLatin1Char(')');
    return text;
}

} // namespace

Error platformError(Error::Kind kind)
{
    return Error(kind, &platformErrorText);
}

QString platformErrorText(const Error &error)
{
    using K = Error::Kind;
    const QString &file = error.file, &detail = error.detail, &localPath = error.localPath;
    // Files are named as the system names them, then where they are on this computer.
    const QString fileHere = file + whereOnThisComputer(file, localPath);
    const QString configuration = Configuration::filePath();
    const QString configurationHere = configuration + whereOnThisComputer(configuration, localPath);
    switch (error.kind) {
    case K::FileUnreadable: return QStringLiteral("Impossibile leggere il file\n%1\n(%2)").arg(fileHere, detail);
    case K::FileUnwritable: return QStringLiteral("Impossibile scrivere il file\n%1\n(%2)").arg(fileHere, detail);
    case K::ConfigurationUnreadable:
        return QStringLiteral("Impossibile leggere il file di configurazione\n%1\n\n%2\n\nIl programma verrà chiuso.")
            .arg(configurationHere, detail);
    case K::ConfigurationTooShort:
        return QStringLiteral("Il file di configurazione\n%1\ncontiene %2 righe: ne servono 8 "
                              "(percorso di Acrobat Reader, sei documenti, prefisso dei file di uscita)."
                              "\n\nIl programma verrà chiuso.")
            .arg(configurationHere, detail);
    case K::ConfigurationUnwritable:
        return QStringLiteral("Impossibile salvare il file di configurazione\n%1\n\n%2\n\n"
                              "Le modifiche restano nella finestra di configurazione.")
            .arg(configurationHere, detail);
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
    default: return unspecified(error);
    }
}
