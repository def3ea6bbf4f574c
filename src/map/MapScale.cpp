#include "map/MapScale.h"

#include "estimate/NumberText.h"
#include "map/MapErrors.h"

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

std::optional<double> userScaleMisread(const QString &scaleText)
{
    const Outcome<double> written = writtenScaleDenominator(scaleText);
    if (!written.ok() || written.value() == userScaleDenominator(scaleText))
        return std::nullopt;
    return written.value();
}

Outcome<double> writtenScaleDenominator(const QString &written)
{
    // "1:N", "1 : N", "scala 1:N" or N alone.
    static const QRegularExpression form(QStringLiteral(R"(^\s*(?:scala\s*)?(?:1\s*:\s*)?(\S(?:.*\S)?)\s*$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    // Digits, or groups of three after the first separated by points or by blanks (never mixed).
    static const QRegularExpression whole(
        QStringLiteral("^(?:[0-9]+|[0-9]{1,3}(?:\\.[0-9]{3})+|[0-9]{1,3}(?:[ \\x{00A0}\\x{202F}][0-9]{3})+)$"));
    static const QRegularExpression decimal(QStringLiteral("^[0-9]+(?:[. \\x{00A0}\\x{202F}][0-9]{3})*[.,][0-9]+$"));
    static const QRegularExpression separators(QStringLiteral("[. \\x{00A0}\\x{202F}]"));

    const auto refused = [&written](Error::Kind kind) {
        Error error = mapError(kind);
        error.detail = written;
        return error;
    };
    const QRegularExpressionMatch match = form.match(written);
    const QString denominator = match.hasMatch() ? match.captured(1) : QString();
    if (whole.match(denominator).hasMatch()) {
        bool number = false;
        const double value = QString(denominator).remove(separators).toDouble(&number);
        if (number && std::isfinite(value) && value > 0.0)
            return value;
    } else if (decimal.match(denominator).hasMatch()) {
        return refused(Error::Kind::ScaleWithDecimals);
    }
    return refused(Error::Kind::ScaleNotValid);
}

ShownScale roundedScale(double factor)
{
    const double denominator = 1.0 / factor;
    if (denominator >= 10.0) {
        const double whole = std::round(denominator);
        return {QStringLiteral("1:") + QString::number(whole, 'f', 0), 1.0 / whole};
    }
    const QString figures = QString::number(denominator, 'g', 3);
    return {QStringLiteral("1:") + figures, 1.0 / figures.toDouble()};
}

QString scaleText(double factor)
{
    return roundedScale(factor).text;
}

double scaleFactorFromSegment(QPointF start, QPointF end, double metres)
{
    const double dx = end.x() - start.x();
    const double dy = end.y() - start.y();
    return std::sqrt(dx * dx + dy * dy) / (metres * 100.0);
}

} // namespace map
