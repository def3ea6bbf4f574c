#include "app/ListCollation.h"

namespace ListCollation {

namespace {

QString collationKey(const QString &text)
{
    QString key = text.toCaseFolded();
    key.remove(QLatin1Char('-'));
    return key;
}

} // namespace

bool nameLess(const QString &left, const QString &right)
{
    const int byKey = QString::compare(collationKey(left), collationKey(right), Qt::CaseSensitive);
    if (byKey != 0)
        return byKey < 0;
    return left < right; // a fixed order for texts that differ only in case or hyphens
}

bool casLess(const QString &left, const QString &right)
{
    return left < right;
}

} // namespace ListCollation
