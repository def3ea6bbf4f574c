#include "map/MapPicture.h"

#include "map/MapErrors.h"
#include "platform/SystemFile.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

namespace map {

Picture BitmapToPicture(QImage bitmap, QList<QRgb> palette)
{
    if (!palette.isEmpty() && bitmap.format() == QImage::Format_Indexed8)
        bitmap.setColorTable(palette);
    return Picture{std::move(bitmap), std::move(palette)};
}

QImage drawWindowFrame(const QImage &client, const QString &caption)
{
    const int width = client.width() + 2 * kFrameBorder;
    const int height = client.height() + kTitleBarHeight + 2 * kFrameBorder;
    QImage whole(width, height, QImage::Format_RGB32);
    whole.setDotsPerMeterX(client.dotsPerMeterX());
    whole.setDotsPerMeterY(client.dotsPerMeterY());

    QPainter painter(&whole);
    // Raised border: light outer edge top-left, dark bottom-right, grey face.
    painter.fillRect(whole.rect(), QColor(212, 208, 200));
    painter.setPen(QColor(255, 255, 255));
    painter.drawLine(0, 0, width - 2, 0);
    painter.drawLine(0, 0, 0, height - 2);
    painter.setPen(QColor(64, 64, 64));
    painter.drawLine(0, height - 1, width - 1, height - 1);
    painter.drawLine(width - 1, 0, width - 1, height - 1);

    const QRect titleBar(kFrameBorder, kFrameBorder, width - 2 * kFrameBorder, kTitleBarHeight - 2);
    QLinearGradient gradient(titleBar.topLeft(), titleBar.topRight());
    gradient.setColorAt(0.0, QColor(10, 36, 106));
    gradient.setColorAt(1.0, QColor(166, 202, 240));
    painter.fillRect(titleBar, gradient);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(titleBar.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, caption);

    painter.drawImage(kFrameBorder, kFrameBorder + kTitleBarHeight, client);
    painter.end();
    return whole;
}

Status savePictureAsBmp(const Picture &picture, const QString &localPath)
{
    const auto failed = [&](const QString &reason) {
        Error error = mapError(Error::Kind::MapNotSaved);
        error.file = localPath;
        error.detail = reason;
        return error;
    };
    if (picture.isNull())
        return failed(QStringLiteral("immagine vuota"));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(picture.bitmap))
        return failed(QStringLiteral("immagine non scrivibile come BMP"));
    const Status written = SystemFile::replaceAll(localPath, bytes);
    if (!written.ok())
        return failed(written.error().detail);
    return Done{};
}

} // namespace map
