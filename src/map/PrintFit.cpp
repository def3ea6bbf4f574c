#include "map/PrintFit.h"

namespace map {

PageOrientation orientationForPicture(QSizeF picture)
{
    return picture.height() < picture.width() ? PageOrientation::Landscape : PageOrientation::Portrait;
}

QSizeF fittedPrintSize(QSizeF picture, QSizeF printable)
{
    if (picture.isEmpty() || printable.isEmpty())
        return {};
    const double pictureRatio = picture.width() / picture.height();
    const double printerRatio = printable.width() / printable.height();
    if (pictureRatio >= printerRatio)
        return {printable.width(), printable.width() / pictureRatio};
    return {printable.height() * pictureRatio, printable.height()};
}

} // namespace map
