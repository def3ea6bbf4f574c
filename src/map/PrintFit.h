#pragma once

#include <QSizeF>

namespace map {

enum class PageOrientation { Portrait, Landscape };

// A picture is printed in landscape when it is wider than tall, else in portrait (a square too).
[[nodiscard]] PageOrientation orientationForPicture(QSizeF picture);

// The size at which a picture is drawn from the top-left corner of the printable area so that it
// fills the area's width (a picture relatively wider than the area) or its height (otherwise),
// keeping its proportions. Any unit, as long as the printable size uses it.
[[nodiscard]] QSizeF fittedPrintSize(QSizeF picture, QSizeF printable);

} // namespace map
