#include "map/MapScale.h"

#include "estimate/NumberText.h"

#include <QRegularExpression>

#include <cmath>

namespace {

constexpr int kPredefinedDenominators[]
    = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000};

const QString kEntryPrefix = QStringLiteral("scala 1:");

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

double userScaleDenominator(const QString &scaleText)
{
    return LeadingNumber(scaleText.mid(2));
}

QString steppedUserScaleText(const QString &scaleText, int step)
{
    return QStringLiteral("1:") + SignedNumberText(userScaleDenominator(scaleText) + step);
}

std::optional<double> scaleFactorForDenominator(double denominator)
{
    if (!(denominator > 0.0))
        return std::nullopt;
    return 1.0 / denominator;
}

std::optional<double> userScaleFactor(const QString &scaleText)
{
    return scaleFactorForDenominator(userScaleDenominator(scaleText));
}

std::optional<double> typedScaleFactor(const QString &typed)
{
    // "1:7500", "1 : 7500", "scala 1:7500" or "7500"; a decimal comma or point.
    static const QRegularExpression scale(QStringLiteral(R"(^\s*(?:scala\s*)?(?:1\s*:\s*)?(\d+(?:[.,]\d+)?)\s*$)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = scale.match(typed);
    if (!match.hasMatch())
        return std::nullopt;
    bool number = false;
    const double denominator = match.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&number);
    return number ? scaleFactorForDenominator(denominator) : std::nullopt;
}

QString scaleText(double factor)
{
    const double denominator = 1.0 / factor;
    return QStringLiteral("1:")
        + (denominator >= 10.0 ? QString::number(std::llround(denominator)) : QString::number(denominator, 'g', 3));
}

double scaleFactorFromSegment(QPointF start, QPointF end, double metres)
{
    const double dx = end.x() - start.x();
    const double dy = end.y() - start.y();
    return std::sqrt(dx * dx + dy * dy) / (metres * 100.0);
}

} // namespace map
