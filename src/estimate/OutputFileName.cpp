#include "estimate/OutputFileName.h"

QString outputFileName(const QString &prefix, const QString &kind, const QDateTime &when, const QString &substance,
                       const QString &extension)
{
    const QDate date = when.date();
    const QTime time = when.time();
    return prefix + QStringLiteral("ZEFRO ") + QLatin1Char(' ') + kind + QLatin1Char(' ')
        + QStringLiteral("%1%2%3")
              .arg(date.year(), 4, 10, QLatin1Char('0'))
              .arg(date.month(), 2, 10, QLatin1Char('0'))
              .arg(date.day(), 2, 10, QLatin1Char('0'))
        + QStringLiteral(" ore ")
        + QStringLiteral("%1_%2").arg(time.hour(), 2, 10, QLatin1Char('0')).arg(time.minute(), 2, 10, QLatin1Char('0'))
        + QLatin1Char(' ') + substance + extension;
}
