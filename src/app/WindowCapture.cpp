#include "app/WindowCapture.h"

#include "map/PrintFit.h"

#include <QPainter>
#include <QPrinter>
#include <QWidget>

map::Picture GrabFormImage(QWidget &form)
{
    const int width = form.width() + 2 * map::kFrameBorder;
    const int height = form.height() + map::kTitleBarHeight + 2 * map::kFrameBorder;
    return GrabWindowImage(form, false, 0, 0, width, height);
}

map::Picture GrabWindowImage(QWidget &window, bool clientOnly, int left, int top, int width, int height)
{
    QImage client(window.size(), QImage::Format_RGB32);
    client.fill(window.palette().color(QPalette::Window));
    window.render(&client);
    const QImage source = clientOnly ? client : map::drawWindowFrame(client, window.windowTitle());
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    {
        QPainter painter(&bitmap);
        painter.drawImage(QPoint(0, 0), source, QRect(left, top, width, height));
    }
    return map::BitmapToPicture(std::move(bitmap));
}

std::optional<QRectF> PrintPictureFitted(QPrinter &printer, const map::Picture &picture)
{
    if (picture.isNull())
        return std::nullopt;
    const bool landscape = map::orientationForPicture(picture.bitmap.size()) == map::PageOrientation::Landscape;
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer))
        return std::nullopt;
    // The printer's device size is its printable area.
    const QSizeF printable(printer.width(), printer.height());
    const QRectF target(QPointF(0, 0), map::fittedPrintSize(picture.bitmap.size(), printable));
    // A PDF would otherwise hold the picture as JPEG, which blurs the one-pixel circles away.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(target, picture.bitmap);
    painter.end();
    return target;
}
