#include "estimate/DistanceCell.h"

#include "estimate/EstimateErrors.h"
#include "estimate/NumberText.h"

#include <QLocale>

#include <cmath>

namespace {

constexpr double kMoreThanTheTables = 10001.0;

// A number as the analyst typed it: "-75", "2000000", "0.5"; exponents only for the very small ones.
QString numberAsRead(double value)
{
    if (std::isfinite(value) && value != 0.0 && std::abs(value) < 1e-6)
        return QString::number(value, 'g', QLocale::FloatingPointShortest);
    return SignedNumberText(value).trimmed();
}

} // namespace

bool isDistance(double metres)
{
    return metres == 0.0 || (metres >= 1.0 && metres <= kMoreThanTheTables);
}

Outcome<double> distanceOfCell(const CellValue &cell, const QString &book, int sheet, const QString &address)
{
    if (holdsDistance(cell))
        return cell.toNumber();
    Error error = estimateError(cell.isText() ? Error::Kind::DistanceNotANumber : Error::Kind::DistanceOutOfRange);
    error.file = book;
    error.sheet = sheet;
    error.cell = address;
    if (!cell.isText())
        error.detail = numberAsRead(cell.toNumber());
    return error;
}
