#include "platform/LenientText.h"

#include <QLocale>

#include <cmath>

QString folded(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString bare;
    bare.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            bare.append(c);
    }
    return bare.toCaseFolded().simplified();
}

std::optional<double> figureOf(const QString &text)
{
    QString number = text.trimmed();
    if (number.contains(QLatin1Char(',')) && number.contains(QLatin1Char('.')))
        return std::nullopt; // "1.250,5": a thousands separator, or a typing error
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}
