#include "map/TypedCoordinate.h"

#include <QRegularExpression>

#include <cmath>

namespace map {

std::optional<double> typedCoordinate(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+\\-\\x{2212}]?)(\\d+(?:[.,]\\d*)?|[.,]\\d+)\\s*°?\\s*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool read = false;
    const double value = match.captured(2).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&read);
    if (!read || !std::isfinite(value))
        return std::nullopt;
    return match.captured(1).isEmpty() || match.captured(1) == QLatin1String("+") ? value : -value;
}

} // namespace map
