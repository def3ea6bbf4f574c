#include "xls/DateFormats.h"

#include <QDate>
#include <QTime>

#include <cmath>

DateKind builtInDateKind(int formatIndex)
{
    if (formatIndex >= 14 && formatIndex <= 17)
        return DateKind::Date;
    if ((formatIndex >= 18 && formatIndex <= 21) || (formatIndex >= 45 && formatIndex <= 47))
        return DateKind::Time;
    return formatIndex == 22 ? DateKind::DateTime : DateKind::None;
}

DateKind dateKindOfFormat(QStringView format)
{
    bool date = false, time = false, month = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i].toLower();
        if (c == u'"') {
            const qsizetype close = format.indexOf(u'"', i + 1);
            i = close < 0 ? format.size() : close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i; // the next character is shown as it is (or its width is)
        } else if (c == u'[') {
            const qsizetype close = format.indexOf(u']', i + 1);
            const QStringView inside = format.sliced(i + 1, (close < 0 ? format.size() : close) - i - 1);
            time = time || (!inside.isEmpty() && QStringView(u"hms").contains(inside.front().toLower()));
            i = close < 0 ? format.size() : close;
        } else {
            date = date || c == u'd' || c == u'y';
            time = time || c == u'h' || c == u's';
            month = month || c == u'm';
        }
    }
    date = date || (month && !time);
    return date && time ? DateKind::DateTime : date ? DateKind::Date : time ? DateKind::Time : DateKind::None;
}

QString dateText(double serial, DateKind kind, bool from1904)
{
    if (!(serial >= 0.0 && serial < 2958466.0)) // up to 9999-12-31
        return {};
    qint64 days = qint64(std::floor(serial));
    qint64 seconds = std::llround((serial - double(days)) * 86400.0);
    if (seconds == 86400) {
        ++days;
        seconds = 0;
    }
    const QDate day = from1904 ? QDate(1904, 1, 1).addDays(days)
        : days < 61            ? QDate(1899, 12, 31).addDays(days) // before the day that never was
                               : QDate(1899, 12, 30).addDays(days);
    const QString dateText = day.toString(QStringLiteral("yyyy-MM-dd"));
    const QString timeText = QTime(0, 0).addSecs(int(seconds)).toString(QStringLiteral("HH:mm:ss"));
    switch (kind) {
    case DateKind::Date: return dateText;
    case DateKind::Time: return timeText;
    case DateKind::DateTime: return dateText + QLatin1Char(' ') + timeText;
    case DateKind::None: break;
    }
    return {};
}
