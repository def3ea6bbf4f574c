#include "estimate/Workbook.h"

QString WorkbookError::message() const
{
    QString what;
    switch (kind) {
    case Kind::MissingFile: what = QStringLiteral("Il file di dati non esiste"); break;
    case Kind::NotAWorkbook: what = QStringLiteral("Il file di dati non è una cartella di lavoro .xls"); break;
    case Kind::Damaged: what = QStringLiteral("Il file di dati è danneggiato o incompleto"); break;
    case Kind::NoSuchSheet: what = QStringLiteral("Il foglio di lavoro richiesto non esiste"); break;
    case Kind::BadAddress: what = QStringLiteral("Indirizzo di cella non valido"); break;
    case Kind::UnreadableCell: what = QStringLiteral("Impossibile leggere la cella"); break;
    }
    QString text = what + QStringLiteral(":\n") + file;
    if (sheet > 0)
        text += QStringLiteral("\nfoglio %1").arg(sheet);
    if (!cell.isEmpty())
        text += QStringLiteral(", cella %1").arg(cell);
    if (!detail.isEmpty())
        text += QStringLiteral("\n(") + detail + QLatin1Char(')');
    return text;
}
