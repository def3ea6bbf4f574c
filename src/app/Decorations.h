#pragma once

#include <QPixmap>

// The two decoration bitmaps of the main window, drawn here rather than loaded, in the sizes the
// window has always had: a banner with the product name (143 x 54) and an emblem of a source with
// its damage rings (109 x 108).
namespace Decorations {

[[nodiscard]] QPixmap banner();
[[nodiscard]] QPixmap emblem();

} // namespace Decorations
