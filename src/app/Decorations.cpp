#include "app/Decorations.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace Decorations {

QPixmap banner()
{
    QPixmap pixmap(143, 54);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, 143, 54);
    sky.setColorAt(0.0, QColor(0x10, 0x2a, 0x5c));
    sky.setColorAt(1.0, QColor(0x1f, 0x6f, 0x8b));
    painter.fillRect(pixmap.rect(), sky);

    // A plume rising from a stack on the left.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd9, 0xd9, 0xd9));
    painter.drawRect(12, 26, 7, 24);
    painter.setBrush(QColor(255, 255, 255, 150));
    painter.drawEllipse(QPointF(18, 20), 6, 5);
    painter.drawEllipse(QPointF(26, 13), 7, 6);
    painter.drawEllipse(QPointF(36, 9), 6, 5);
    painter.setBrush(QColor(0x9a, 0xa5, 0xb1));
    painter.drawRect(4, 42, 30, 8);

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setStyleHint(QFont::SansSerif);
    title.setBold(true);
    title.setPixelSize(27);
    painter.setFont(title);
    painter.setPen(QColor(0xff, 0xc8, 0x3d));
    painter.drawText(QRect(40, 4, 100, 32), Qt::AlignCenter, QStringLiteral("ZEFRO"));

    QFont subtitle(title);
    subtitle.setBold(false);
    subtitle.setPixelSize(10);
    painter.setFont(subtitle);
    painter.setPen(Qt::white);
    painter.drawText(QRect(40, 34, 100, 16), Qt::AlignCenter, QStringLiteral("rel. 3.0fe"));

    painter.setPen(QPen(QColor(0xff, 0xc8, 0x3d), 2));
    painter.drawLine(44, 36, 136, 36);
    return pixmap;
}

QPixmap emblem()
{
    QPixmap pixmap(109, 108);
    pixmap.fill(QColor(0xf4, 0xf1, 0xe8));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    // Damage rings around the source, outermost first.
    const QPointF centre(54.5, 54.0);
    const QColor rings[]
        = {QColor(0x4c, 0xaf, 0x50), QColor(0xff, 0xd5, 0x4f), QColor(0xff, 0x98, 0x00), QColor(0xd3, 0x2f, 0x2f)};
    qreal radius = 50.0;
    for (const QColor &colour : rings) {
        QColor fill = colour;
        fill.setAlpha(110);
        painter.setBrush(fill);
        painter.setPen(QPen(colour.darker(130), 1.5));
        painter.drawEllipse(centre, radius, radius);
        radius -= 11.0;
    }

    // Cross-hair through the source.
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1, Qt::DashLine));
    painter.drawLine(QPointF(centre.x(), 2), QPointF(centre.x(), 106));
    painter.drawLine(QPointF(3, centre.y()), QPointF(106, centre.y()));

    // A storage tank at the source.
    painter.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.2));
    painter.setBrush(QColor(0xe0, 0xe0, 0xe0));
    painter.drawRect(QRectF(centre.x() - 8, centre.y() - 4, 16, 12));
    painter.drawEllipse(QRectF(centre.x() - 8, centre.y() - 8, 16, 8));

    QRadialGradient flame(centre.x(), centre.y() - 12, 8);
    flame.setColorAt(0.0, QColor(0xff, 0xf1, 0x76));
    flame.setColorAt(1.0, QColor(0xe6, 0x51, 0x00));
    QPainterPath tongue;
    tongue.moveTo(centre.x() - 5, centre.y() - 6);
    tongue.quadTo(centre.x() - 6, centre.y() - 14, centre.x(), centre.y() - 22);
    tongue.quadTo(centre.x() + 6, centre.y() - 14, centre.x() + 5, centre.y() - 6);
    tongue.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(flame);
    painter.drawPath(tongue);
    return pixmap;
}

} // namespace Decorations
