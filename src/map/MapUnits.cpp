#include "map/MapUnits.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace map {

namespace {

bool plausible(double pixelsPerMetre)
{
    return pixelsPerMetre >= kMinPixelsPerMetre && pixelsPerMetre <= kMaxPixelsPerMetre;
}

} // namespace

std::optional<SheetResolution> bmpHeaderResolution(const QByteArray &fileStart)
{
    // 14-byte file header, then the information header: its size, width, height, planes, bit count,
    // compression, image size, then the horizontal and vertical pixels per metre (signed 32-bit).
    constexpr int kInfoHeaderAt = 14;
    constexpr int kResolutionAt = kInfoHeaderAt + 24;
    if (fileStart.size() < kResolutionAt + 8 || !fileStart.startsWith("BM"))
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const uchar *>(fileStart.constData());
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + kInfoHeaderAt);
    if (infoSize < 40) // the old 12-byte core header has no resolution
        return std::nullopt;
    const qint32 x = qFromLittleEndian<qint32>(bytes + kResolutionAt);
    const qint32 y = qFromLittleEndian<qint32>(bytes + kResolutionAt + 4);
    return SheetResolution{static_cast<double>(x), static_cast<double>(y)};
}

MapUnits::MapUnits(double pixelsPerMetreX, double pixelsPerMetreY)
    : m_pixelsPerUnitX(pixelsPerMetreX / 100.0)
    , m_pixelsPerUnitY(pixelsPerMetreY / 100.0)
{ }

SheetResolution resolutionFromTiffTags(const QByteArray &x, const QByteArray &y, const QByteArray &unit)
{
    const int unitCode = unit.split(' ').value(0).toInt(); // "2 (pixels/inch)"
    const auto perMetre = [unitCode](const QByteArray &value) {
        const double stated = value.trimmed().toDouble(); // C locale: a decimal point, never a comma
        switch (unitCode) {
        case 2: return stated / 0.0254; // per inch
        case 3: return stated * 100.0; // per centimetre
        default: return 0.0; // no unit: an aspect ratio, not a resolution
        }
    };
    return {perMetre(x), perMetre(y)};
}

MapUnits MapUnits::fromResolution(const SheetResolution &stated)
{
    const bool xOk = plausible(stated.pixelsPerMetreX);
    const bool yOk = plausible(stated.pixelsPerMetreY);
    if (xOk && yOk)
        return {stated.pixelsPerMetreX, stated.pixelsPerMetreY};
    if (xOk)
        return {stated.pixelsPerMetreX, stated.pixelsPerMetreX};
    if (yOk)
        return {stated.pixelsPerMetreY, stated.pixelsPerMetreY};
    return {kDefaultPixelsPerMetre, kDefaultPixelsPerMetre};
}

QPointF MapUnits::toUnits(QPointF pixel) const
{
    return {pixel.x() / m_pixelsPerUnitX, pixel.y() / m_pixelsPerUnitY};
}

QPoint MapUnits::toPixel(QPointF units) const
{
    // Far beyond any sheet, but inside what a pixel coordinate can hold (NaN counts as far left).
    const auto pixel = [](double value) {
        constexpr double kFar = 1e9;
        value = std::floor(value + 1e-6);
        return static_cast<int>(value > -kFar ? std::min(value, kFar) : -kFar);
    };
    return {pixel(units.x() * m_pixelsPerUnitX), pixel(units.y() * m_pixelsPerUnitY)};
}

int MapUnits::dotsPerMetreX() const
{
    return static_cast<int>(std::lround(m_pixelsPerUnitX * 100.0));
}

int MapUnits::dotsPerMetreY() const
{
    return static_cast<int>(std::lround(m_pixelsPerUnitY * 100.0));
}

void MapUnits::stampOn(QImage &sheet) const
{
    sheet.setDotsPerMeterX(dotsPerMetreX());
    sheet.setDotsPerMeterY(dotsPerMetreY());
}

} // namespace map
