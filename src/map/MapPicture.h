#pragma once

#include "platform/Error.h"

#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>

namespace map {

// A grabbed window: its pixels and, where the screen is palette-based, the palette they use. The
// picture owns both (plain values here, freed with the object).
struct Picture
{
    QImage bitmap;
    QList<QRgb> palette;

    [[nodiscard]] bool isNull() const { return bitmap.isNull(); }
    [[nodiscard]] int width() const { return bitmap.width(); }
    [[nodiscard]] int height() const { return bitmap.height(); }
};

// Wraps a bitmap and its optional palette into a picture; a palette is applied to an 8-bit bitmap.
[[nodiscard]] Picture BitmapToPicture(QImage bitmap, QList<QRgb> palette = {});

// The frame we draw around a window's client area when the platform gives no frame pixels.
inline constexpr int kFrameBorder = 4;
inline constexpr int kTitleBarHeight = 22;

// The image of a whole window: border and title bar with its caption around the client area.
[[nodiscard]] QImage drawWindowFrame(const QImage &client, const QString &caption);

// Saves a picture as a BMP file. The file is written aside and then put in place, so a failure
// leaves an earlier file of the same name untouched. A failure is MapNotSaved naming the local path.
[[nodiscard]] Status savePictureAsBmp(const Picture &picture, const QString &localPath);

} // namespace map
