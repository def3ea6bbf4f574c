#include "xls/XlsErrors.h"

#include "platform/PlatformErrors.h"

Error xlsError(Error::Kind kind)
{
    return Error(kind, &xlsErrorText);
}

QString inWorkbook(const QString &what, const Error &error, bool withDetail)
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

QString xlsErrorText(const Error &error)
{
    using K = Error::Kind;
    switch (error.kind) {
    case K::MissingWorkbook: return inWorkbook(QStringLiteral("Il file di dati non esiste"), error);
    case K::NotAWorkbook: return inWorkbook(QStringLiteral("Il file di dati non è una cartella di lavoro .xls"), error);
    case K::DamagedWorkbook: return inWorkbook(QStringLiteral("Il file di dati è danneggiato o incompleto"), error);
    case K::EncryptedWorkbook:
        return inWorkbook(QStringLiteral("Il file di dati è una cartella protetta da password"), error);
    case K::UnsupportedWorkbook:
        return inWorkbook(QStringLiteral("Il file di dati è in una forma che il programma non sa leggere"), error);
    case K::NoSuchSheet: return inWorkbook(QStringLiteral("Il foglio di lavoro richiesto non esiste"), error);
    case K::BadCellAddress: return inWorkbook(QStringLiteral("Indirizzo di cella non valido"), error);
    case K::UnreadableCell: return inWorkbook(QStringLiteral("Impossibile leggere la cella"), error);
    default: return platformErrorText(error);
    }
}
