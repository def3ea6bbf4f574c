#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace map {

// The six numbers of a world file, in the file's order: pixel width A, rotation terms D and B, pixel
// height E (negative for north up), then the ground x and y (C, F) of the centre of the top-left pixel.
struct WorldFile
{
    double a = 0.0;
    double d = 0.0;
    double b = 0.0;
    double e = 0.0;
    double c = 0.0;
    double f = 0.0;

    [[nodiscard]] bool rotated() const { return d != 0.0 || b != 0.0; }
};

// Reads a world file's text: six finite numbers, one per line (blanks around them and blank lines at
// the end allowed), a non-zero pixel width and height, and a top-left corner (half a pixel from the
// centre given) that is a finite place. MapGeoreferenceInvalid naming `fileName` with what is wrong
// (the line and what it holds) otherwise.
[[nodiscard]] Outcome<WorldFile> parseWorldFile(const QByteArray &text, const QString &fileName);

// The first file beside a raster with its base name and one of these extensions (in their order, in
// any letter case); empty when there is none.
[[nodiscard]] QString fileBeside(const QString &rasterPath, const QStringList &extensions);

// The world file beside a raster, by the extensions GIS programs use (".tfw"/".tifw" for ".tif",
// ".jgw"/".jpgw", ".pgw"/".pngw", ".bpw"/".bmpw", and ".wld" for any), in any letter case; empty
// when there is none.
[[nodiscard]] QString worldFileBeside(const QString &rasterPath);

} // namespace map
