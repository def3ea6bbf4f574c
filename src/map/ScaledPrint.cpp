#include "map/ScaledPrint.h"

#include "map/MapScale.h"
#include "map/SheetPicture.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace map {

namespace {

constexpr double kFinestPixelsPerMm = 300.0 / 25.4;
// Text is set in tenths of a millimetre: a font's pixel size is a whole number of painter units.
constexpr double kTextUnit = 0.1;

// Writes `text` `height` mm high with its reference point at `at`: `alignment` places it left, right
// or centred on it across, and above, below or centred on it down.
void writeText(QPainter &painter, QPointF at, const QString &text, double height, Qt::Alignment alignment,
               bool bold = false, double rotation = 0.0)
{
    painter.save();
    painter.translate(at);
    painter.rotate(rotation);
    painter.scale(kTextUnit, kTextUnit);
    QFont font;
    font.setPixelSize(std::max(1, int(std::lround(height / kTextUnit))));
    font.setBold(bold);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    const double x = alignment & Qt::AlignRight ? -width : alignment & Qt::AlignHCenter ? -width / 2.0 : 0.0;
    const double y = alignment & Qt::AlignTop      ? metrics.ascent()
        : alignment & Qt::AlignBottom              ? -metrics.descent()
                                                   : (metrics.ascent() - metrics.descent()) / 2.0;
    painter.drawText(QPointF(x, y), text);
    painter.restore();
}

Status paintSheet(QPainter &painter, const ScaledLayout &layout, const MapSource &source, const SheetDrawings &drawings)
{
    const QRect pixels = layout.part.toAlignedRect().intersected(source.rect());
    if (pixels.isEmpty())
        return Done{};
    const QRectF target(layout.frame.left() + (pixels.left() - layout.part.left()) * layout.mmPerPixel.width(),
                        layout.frame.top() + (pixels.top() - layout.part.top()) * layout.mmPerPixel.height(),
                        pixels.width() * layout.mmPerPixel.width(), pixels.height() * layout.mmPerPixel.height());
    const double shrink = std::min(1.0, kFinestPixelsPerMm * std::min(layout.mmPerPixel.width(),
                                                                      layout.mmPerPixel.height()));
    QImage image;
    if (shrink >= 1.0) {
        Outcome<QImage> drawn = drawnRegion(source, drawings, pixels);
        if (!drawn.ok())
            return drawn.error();
        image = std::move(drawn.value());
    } else {
        // A fine scan is read a band at a time into a picture at the finest resolution printed.
        image = QImage(std::max(1, int(std::lround(pixels.width() * shrink))),
                       std::max(1, int(std::lround(pixels.height() * shrink))), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter shrunk(&image);
        shrunk.setRenderHint(QPainter::SmoothPixmapTransform);
        const double down = double(image.height()) / pixels.height();
        const int rows = bandRows(pixels.width());
        for (int top = pixels.top(); top <= pixels.bottom(); top += rows) {
            const QRect band(pixels.left(), top, pixels.width(), std::min(rows, pixels.bottom() + 1 - top));
            Outcome<QImage> drawn = drawnRegion(source, drawings, band);
            if (!drawn.ok())
                return drawn.error();
            shrunk.drawImage(QRectF(0.0, (top - pixels.top()) * down, image.width(), band.height() * down),
                             drawn.value());
        }
    }
    // A PDF would otherwise hold the sheet as JPEG, which blurs the one-pixel circles away.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(target, image);
    return Done{};
}

void paintGrid(QPainter &painter, const ScaledLayout &layout, const Georeference &georeference)
{
    const QRectF &frame = layout.frame;
    const double label = 2.2, gap = 1.0;
    for (const GridLine &line : gridLines(georeference, layout)) {
        painter.setPen(QPen(QColor(0, 0, 128), 0.15));
        if (line.vertical) {
            if (line.at < frame.left() || line.at > frame.right())
                continue;
            painter.drawLine(QPointF(line.at, frame.top()), QPointF(line.at, frame.bottom()));
            painter.setPen(Qt::black);
            writeText(painter, QPointF(line.at, frame.top() - gap), line.label, label, Qt::AlignHCenter | Qt::AlignBottom);
            writeText(painter, QPointF(line.at, frame.bottom() + gap), line.label, label, Qt::AlignHCenter | Qt::AlignTop);
        } else {
            if (line.at < frame.top() || line.at > frame.bottom())
                continue;
            painter.drawLine(QPointF(frame.left(), line.at), QPointF(frame.right(), line.at));
            painter.setPen(Qt::black);
            writeText(painter, QPointF(frame.left() - gap, line.at), line.label, label,
                      Qt::AlignHCenter | Qt::AlignBottom, false, -90.0);
            writeText(painter, QPointF(frame.right() + gap, line.at), line.label, label,
                      Qt::AlignHCenter | Qt::AlignBottom, false, 90.0);
        }
    }
}

void paintNorthArrow(QPainter &painter, const QRectF &frame)
{
    const QRectF box(frame.left() + 3.0, frame.top() + 3.0, 10.0, 16.0);
    painter.fillRect(box, Qt::white);
    painter.setPen(QPen(Qt::black, 0.2));
    painter.drawRect(box);
    const double middle = box.center().x();
    QPainterPath arrow;
    arrow.moveTo(middle, box.top() + 7.0);
    arrow.lineTo(middle + 3.0, box.bottom() - 2.0);
    arrow.lineTo(middle, box.bottom() - 4.0);
    arrow.lineTo(middle - 3.0, box.bottom() - 2.0);
    arrow.closeSubpath();
    painter.fillPath(arrow, Qt::black);
    writeText(painter, QPointF(middle, box.top() + 1.0), QStringLiteral("N"), 4.5, Qt::AlignHCenter | Qt::AlignTop,
              true);
}

QString metresText(double metres)
{
    return metres >= 1000.0 ? QStringLiteral("%1 km").arg(metres / 1000.0) : QStringLiteral("%1 m").arg(metres);
}

void paintScaleBar(QPainter &painter, const ScaledLayout &layout, double scaleFactor)
{
    if (!(layout.barMillimetres > 0.0))
        return;
    const double margin = 4.0;
    const QRectF box(layout.frame.left() + 3.0, layout.frame.bottom() - 3.0 - 13.0,
                     layout.barMillimetres + 2 * margin + 8.0, 13.0);
    painter.fillRect(box, Qt::white);
    painter.setPen(QPen(Qt::black, 0.2));
    painter.drawRect(box);
    painter.setPen(Qt::black);
    writeText(painter, QPointF(box.left() + margin, box.top() + 1.0), QStringLiteral("Scala ") + scaleText(scaleFactor),
              2.5, Qt::AlignLeft | Qt::AlignTop, true);
    const double left = box.left() + margin, top = box.top() + 6.0, height = 2.0;
    // Four quarters, black and white by turns, in a black outline: the whole bar is the stated length.
    for (int quarter = 0; quarter < 4; ++quarter)
        painter.fillRect(QRectF(left + quarter * layout.barMillimetres / 4.0, top, layout.barMillimetres / 4.0, height),
                         quarter % 2 == 0 ? Qt::black : Qt::white);
    painter.setPen(QPen(Qt::black, 0.1));
    painter.drawRect(QRectF(left, top, layout.barMillimetres, height));
    writeText(painter, QPointF(left, top + height + 0.6), QStringLiteral("0"), 2.2, Qt::AlignHCenter | Qt::AlignTop);
    writeText(painter, QPointF(left + layout.barMillimetres, top + height + 0.6), metresText(layout.barMetres), 2.2,
              Qt::AlignHCenter | Qt::AlignTop);
}

void paintLegendPanel(QPainter &painter, const ScaledLayout &layout, const SheetLegend &legend, const QRectF &areasMm)
{
    const QRectF &frame = layout.frame;
    // The legend's own painting is in whole units: tenths of a millimetre, its text 2.5 mm high or
    // smaller where it would take more than half the frame.
    const QSize room(int(frame.width() / kTextUnit), int(frame.height() / kTextUnit));
    int font = 25;
    QSize panel = legendPanelSize(legend, font);
    while (font > 14 && (2 * panel.width() > room.width() || 2 * panel.height() > room.height()))
        panel = legendPanelSize(legend, --font);
    const int margin = 30;
    const QRectF areas(QPointF((areasMm.left() - frame.left()) / kTextUnit, (areasMm.top() - frame.top()) / kTextUnit),
                       areasMm.size() / kTextUnit);
    QRect best;
    double leastCovered = -1.0;
    for (const LegendCorner corner : {LegendCorner::BottomRight, LegendCorner::TopRight}) {
        const QRect rect = legendRect(room, panel, margin, corner);
        const QRectF covered = areasMm.isNull() ? QRectF() : QRectF(rect).intersected(areas);
        const double area = covered.isEmpty() ? 0.0 : covered.width() * covered.height();
        if (leastCovered < 0.0 || area < leastCovered) {
            best = rect;
            leastCovered = area;
        }
    }
    painter.save();
    painter.translate(frame.topLeft());
    painter.scale(kTextUnit, kTextUnit);
    paintLegend(painter, best, legend, font);
    painter.restore();
}

} // namespace

Status paintScaledPage(QPainter &painter, const ScaledLayout &layout, const MapSource &source,
                       const SheetDrawings &drawings, const ScaledPageContent &content)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    writeText(painter, QPointF(layout.title.left(), layout.title.center().y()), content.title, 4.0,
              Qt::AlignLeft | Qt::AlignVCenter, true);

    painter.save();
    painter.setClipRect(layout.frame);
    painter.fillRect(layout.frame, Qt::white);
    const Status sheet = paintSheet(painter, layout, source, drawings);
    painter.restore();
    if (!sheet.ok()) {
        painter.restore();
        return sheet;
    }
    if (content.georeference)
        paintGrid(painter, layout, *content.georeference);
    painter.setPen(QPen(Qt::black, 0.3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(layout.frame);

    if (content.georeference)
        paintNorthArrow(painter, layout.frame);
    paintScaleBar(painter, layout, content.scaleFactor);
    if (content.legend) {
        const QRectF box = areasBox(drawings.areas(), source.units());
        const QRectF areasMm = box.isNull()
            ? QRectF()
            : QRectF(layout.frame.left() + (box.left() - layout.part.left()) * layout.mmPerPixel.width(),
                     layout.frame.top() + (box.top() - layout.part.top()) * layout.mmPerPixel.height(),
                     box.width() * layout.mmPerPixel.width(), box.height() * layout.mmPerPixel.height());
        paintLegendPanel(painter, layout, *content.legend, areasMm);
    }
    painter.restore();
    return Done{};
}

} // namespace map
