#include "map/ScaledPage.h"

#include <algorithm>
#include <cmath>

namespace map {

namespace {

constexpr double kTitleHeight = 8.0; // mm
constexpr double kLabelMargin = 6.0; // mm around the frame, for the grid labels

// Where a part of `length` pixels centred on `centre` starts: on the sheet when the sheet is longer.
double partStart(double centre, double length, int sheet)
{
    const double start = centre - length / 2.0;
    if (length >= sheet)
        return start;
    return std::clamp(start, 0.0, double(sheet) - length);
}

int decimalsFor(double step)
{
    return step >= 1.0 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
}

QString gridLabel(bool geographic, bool vertical, double value, int decimals)
{
    if (geographic)
        return QStringLiteral("%1°").arg(value, 0, 'f', decimals);
    return (vertical ? QStringLiteral("E %1") : QStringLiteral("N %1")).arg(value, 0, 'f', decimals);
}

} // namespace

QSizeF millimetresPerPixel(const MapUnits &units)
{
    return {10.0 / units.pixelsPerUnitX(), 10.0 / units.pixelsPerUnitY()};
}

double roundStep(double atMost)
{
    const double power = std::pow(10.0, std::floor(std::log10(atMost)));
    for (const double figure : {5.0, 2.0, 1.0})
        if (figure * power <= atMost * (1.0 + 1e-12))
            return figure * power;
    return power;
}

ScaledLayout scaledLayout(QSizeF printable, const MapUnits &units, QSize sheet, QPointF incident, double scaleFactor)
{
    ScaledLayout layout;
    layout.title = QRectF(0.0, 0.0, printable.width(), kTitleHeight);
    layout.frame = QRectF(kLabelMargin, kTitleHeight + kLabelMargin, printable.width() - 2 * kLabelMargin,
                          printable.height() - kTitleHeight - 2 * kLabelMargin);
    layout.mmPerPixel = millimetresPerPixel(units);
    const QSizeF pixels(layout.frame.width() / layout.mmPerPixel.width(),
                        layout.frame.height() / layout.mmPerPixel.height());
    const QPointF centre(incident.x() * units.pixelsPerUnitX(), incident.y() * units.pixelsPerUnitY());
    layout.part = QRectF(partStart(centre.x(), pixels.width(), sheet.width()),
                         partStart(centre.y(), pixels.height(), sheet.height()), pixels.width(), pixels.height());
    // A ground metre is 100 x factor centimetres of sheet, as many of paper.
    const double mmPerMetre = 1000.0 * scaleFactor;
    if (mmPerMetre > 0.0) {
        layout.barMetres = roundStep(layout.frame.width() / 4.0 / mmPerMetre);
        layout.barMillimetres = layout.barMetres * mmPerMetre;
    }
    return layout;
}

std::vector<GridLine> gridLines(const Georeference &georeference, const ScaledLayout &layout)
{
    const QPointF corner = georeference.groundAt(layout.part.topLeft());
    const QPointF opposite = georeference.groundAt(layout.part.bottomRight());
    const double west = std::min(corner.x(), opposite.x()), east = std::max(corner.x(), opposite.x());
    const double south = std::min(corner.y(), opposite.y()), north = std::max(corner.y(), opposite.y());
    const double longer = std::max(east - west, north - south);
    if (!(longer > 0.0))
        return {};
    const double step = roundStep(longer / 4.0);
    const int decimals = decimalsFor(step);
    std::vector<GridLine> lines;
    // Counted in steps, so that a long run of additions puts no line off its round value.
    for (auto k = std::llround(std::ceil(west / step)); double(k) * step <= east; ++k) {
        const double x = double(k) * step;
        const double pixel = georeference.pixelAt(QPointF(x, north)).x();
        lines.push_back({true, layout.frame.left() + (pixel - layout.part.left()) * layout.mmPerPixel.width(),
                         gridLabel(georeference.system.geographic, true, x, decimals)});
    }
    for (auto k = std::llround(std::ceil(south / step)); double(k) * step <= north; ++k) {
        const double y = double(k) * step;
        const double pixel = georeference.pixelAt(QPointF(west, y)).y();
        lines.push_back({false, layout.frame.top() + (pixel - layout.part.top()) * layout.mmPerPixel.height(),
                         gridLabel(georeference.system.geographic, false, y, decimals)});
    }
    return lines;
}

} // namespace map
