#include "map/SheetLegend.h"

#include "map/DamageCircles.h"
#include "map/MapScale.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace map {

namespace {

constexpr int kSmallestFontPixels = 7;

QString areaName(std::size_t slot)
{
    return QStringLiteral("Soglia %1 %2").arg(thresholdOf(slot)).arg(isF2(slot) ? QStringLiteral("F2") : QStringLiteral("D5"));
}

QString substanceLine(const Estimate &estimate)
{
    if (estimate.substance)
        return QStringLiteral("Sostanza: %1 (CAS %2)").arg(estimate.substance->name, estimate.substance->cas);
    if (estimate.hazardClass)
        return QStringLiteral("Sostanza: classe %1 (scelta rapida)").arg(estimate.hazardClass->dottedLabel());
    return QStringLiteral("Sostanza: non indicata");
}

QFont legendFont(int pixels, bool bold)
{
    QFont font;
    font.setPixelSize(std::max(1, pixels));
    font.setBold(bold);
    return font;
}

// The measures of a panel, all from its text height.
struct Layout
{
    double padding;
    double lineHeight;
    double titleGap; // below the title
    double swatch; // a swatch's side
    double swatchGap; // between a swatch and its text
};

Layout layoutFor(int fontPixels)
{
    const QFontMetricsF metrics(legendFont(fontPixels, false));
    return {std::round(0.6 * fontPixels), std::ceil(metrics.lineSpacing() * 1.15), std::round(0.3 * fontPixels),
            std::round(0.8 * fontPixels), std::round(0.5 * fontPixels)};
}

} // namespace

QString groundPositionText(const CoordinateSystem &system, QPointF ground)
{
    if (system.geographic)
        return QStringLiteral("Lon %1°  Lat %2°").arg(ground.x(), 0, 'f', 6).arg(ground.y(), 0, 'f', 6);
    return QStringLiteral("E %1  N %2").arg(ground.x(), 0, 'f', 1).arg(ground.y(), 0, 'f', 1);
}

SheetLegend sheetLegend(const LegendFacts &facts)
{
    SheetLegend legend{QStringLiteral("ZEFRO \u2013 aree di danno"), {}};
    const Estimate &estimate = facts.estimate;
    legend.lines.push_back({substanceLine(estimate)});
    legend.lines.push_back({QStringLiteral("Scenario: ") + estimate.scenario});
    legend.lines.push_back({hypothesisName(estimate.hypothesis)});
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        legend.lines.push_back({areaName(slot) + QStringLiteral(": ") + distanceText(facts.areas[slot], slot).trimmed(),
                                damageAreaColours()[slot]});
    legend.lines.push_back({QStringLiteral("Scala ") + scaleText(facts.scaleFactor)
                            + (facts.onGround ? QStringLiteral(" (della georeferenziazione, aree come al suolo)")
                                              : QString())});
    legend.lines.push_back({QStringLiteral("Data: ") + facts.when.toString(QStringLiteral("dd/MM/yyyy 'ore' hh:mm"))});
    if (facts.system) {
        for (std::size_t i = 0; i < facts.incidents.size(); ++i) {
            const QString name = facts.incidents.size() == 1 ? QStringLiteral("Incidente")
                                                             : QStringLiteral("Incidente %1").arg(i + 1);
            legend.lines.push_back({QStringLiteral("%1: %2 (%3)")
                                        .arg(name, groundPositionText(*facts.system, facts.incidents[i]),
                                             facts.system->label())});
        }
    }
    return legend;
}

QSize legendPanelSize(const SheetLegend &legend, int fontPixels)
{
    const Layout layout = layoutFor(fontPixels);
    double width = QFontMetricsF(legendFont(fontPixels, true)).horizontalAdvance(legend.title);
    const QFontMetricsF metrics(legendFont(fontPixels, false));
    for (const LegendLine &line : legend.lines) {
        const double indent = line.swatch ? layout.swatch + layout.swatchGap : 0.0;
        width = std::max(width, indent + metrics.horizontalAdvance(line.text));
    }
    const double height = layout.lineHeight * double(1 + legend.lines.size()) + layout.titleGap;
    return QSize(int(std::ceil(width + 2 * layout.padding)), int(std::ceil(height + 2 * layout.padding)));
}

void paintLegend(QPainter &painter, const QRect &panel, const SheetLegend &legend, int fontPixels)
{
    const Layout layout = layoutFor(fontPixels);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const int frame = std::max(1, fontPixels / 12);
    painter.fillRect(panel, Qt::black);
    painter.fillRect(panel.adjusted(frame, frame, -frame, -frame), Qt::white);
    painter.setPen(Qt::black);

    const QFont bold = legendFont(fontPixels, true), plain = legendFont(fontPixels, false);
    const double left = panel.left() + layout.padding;
    double top = panel.top() + layout.padding;
    const auto baselineIn = [&](const QFont &font) { return top + (layout.lineHeight + QFontMetricsF(font).ascent()
                                                                   - QFontMetricsF(font).descent()) / 2.0; };
    painter.setFont(bold);
    painter.drawText(QPointF(left, baselineIn(bold)), legend.title);
    top += layout.lineHeight + layout.titleGap;
    painter.setFont(plain);
    for (const LegendLine &line : legend.lines) {
        double x = left;
        if (line.swatch) {
            const QRectF swatch(x, top + (layout.lineHeight - layout.swatch) / 2.0, layout.swatch, layout.swatch);
            painter.fillRect(swatch, Qt::black);
            painter.fillRect(swatch.adjusted(1, 1, -1, -1), *line.swatch);
            x += layout.swatch + layout.swatchGap;
        }
        painter.drawText(QPointF(x, baselineIn(plain)), line.text);
        top += layout.lineHeight;
    }
    painter.restore();
}

QRect legendRect(QSize picture, QSize panel, int margin, LegendCorner corner)
{
    const bool right = corner == LegendCorner::BottomRight || corner == LegendCorner::TopRight;
    const bool bottom = corner == LegendCorner::BottomRight || corner == LegendCorner::BottomLeft;
    const int x = right ? picture.width() - margin - panel.width() : margin;
    const int y = bottom ? picture.height() - margin - panel.height() : margin;
    return QRect(QPoint(std::max(0, x), std::max(0, y)), panel);
}

LegendCorner legendCorner(QSize picture, QSize panel, int margin, const QRectF &areasBox)
{
    const std::array corners{LegendCorner::BottomRight, LegendCorner::TopRight, LegendCorner::BottomLeft,
                             LegendCorner::TopLeft};
    LegendCorner best = corners.front();
    double leastCovered = -1.0;
    for (const LegendCorner corner : corners) {
        const QRectF covered = areasBox.isNull() ? QRectF()
                                                 : QRectF(legendRect(picture, panel, margin, corner)).intersected(areasBox);
        const double area = covered.isEmpty() ? 0.0 : covered.width() * covered.height();
        if (leastCovered < 0.0 || area < leastCovered) {
            best = corner;
            leastCovered = area;
        }
    }
    return best;
}

int legendFontPixels(const SheetLegend &legend, double pixelsPerCentimetre, QSize picture)
{
    int pixels = std::max(9, int(std::lround(0.25 * pixelsPerCentimetre)));
    while (pixels > kSmallestFontPixels) {
        const QSize panel = legendPanelSize(legend, pixels);
        if (2 * panel.width() <= picture.width() && 2 * panel.height() <= picture.height())
            break;
        pixels = std::max(kSmallestFontPixels, pixels * 9 / 10);
    }
    return pixels;
}

} // namespace map
