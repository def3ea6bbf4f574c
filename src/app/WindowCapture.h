#pragma once

#include "map/MapPicture.h"

#include <QRectF>

#include <optional>

class QPrinter;
class QWidget;

// Capturing the map window as an image and printing it. Offscreen and on many window systems the
// frame of a window has no pixels to copy, so the window is rendered by us: its client area as it
// would be painted now, inside a border and a title bar with the window's caption that we draw.

// The whole window (frame included) at its size.
[[nodiscard]] map::Picture GrabFormImage(QWidget &form);

// A rectangle of the window: of its client area only, or of the whole window with its frame.
// Parts of the rectangle outside the window come out black.
[[nodiscard]] map::Picture GrabWindowImage(QWidget &window, bool clientOnly, int left, int top, int width, int height);

// Prints a picture on one page: landscape for a picture wider than tall, else portrait; drawn from
// the top-left corner of the printable area, as large as it fits with its proportions kept. Ends
// the document. Returns the rectangle drawn (printer device pixels), nothing when the printer
// could not start.
std::optional<QRectF> PrintPictureFitted(QPrinter &printer, const map::Picture &picture);
