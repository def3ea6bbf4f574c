#include "map/MapScale.h"

#include <QLocale>

#include <cmath>

namespace {

constexpr int kPredefinedDenominators[] = {1,   2,    5,    10,   20,    50,    100,   200,
                                           500, 1000, 2000, 5000, 10000, 20000, 50000, 100000};

const QString kEntryPrefix = QStringLiteral("scala 1:");

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

} // namespace

namespace map {

QStringList scaleListEntries()
{
    QStringList entries{kUserDefinedScaleEntry};
    for (const int denominator : kPredefinedDenominators)
        entries << kEntryPrefix + QString::number(denominator);
    return entries;
}

std::optional<double> scaleFactorForEntry(const QString &entry)
{
    if (entry == kUserDefinedScaleEntry)
        return 1.0;
    for (const int denominator : kPredefinedDenominators) {
        if (entry == kEntryPrefix + QString::number(denominator))
            return 1.0 / denominator;
    }
    return std::nullopt;
}

double leadingNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(text.at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    // An exponent counts only when digits follow it ("2e" reads as 2).
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            ++j;
        if (j < n && isDigit(text.at(j))) {
            while (j < n && isDigit(text.at(j)))
                ++j;
            end = j;
        }
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(QStringView(text).mid(start, end - start), &ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

QString signedNumberText(double value)
{
    if (value == 0.0)
        value = 0.0; // no "-0"
    const QString digits = QString::number(std::fabs(value), 'f', QLocale::FloatingPointShortest);
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

double userScaleDenominator(const QString &scaleText)
{
    return leadingNumber(scaleText.mid(2));
}

QString steppedUserScaleText(const QString &scaleText, int step)
{
    return QStringLiteral("1:") + signedNumberText(userScaleDenominator(scaleText) + step);
}

std::optional<double> userScaleFactor(const QString &scaleText)
{
    const double denominator = userScaleDenominator(scaleText);
    if (!(denominator > 0.0))
        return std::nullopt;
    return 1.0 / denominator;
}

double scaleFactorFromSegment(QPointF start, QPointF end, double metres)
{
    const double dx = end.x() - start.x();
    const double dy = end.y() - start.y();
    return std::sqrt(dx * dx + dy * dy) / (metres * 100.0);
}

} // namespace map
