#pragma once

#include "map/Georeference.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <vector>

namespace map {

// The files that place a picture of a georeferenced sheet on the ground beside it, for GIS programs
// and GDAL: the world file, the .prj (the system as ESRI WKT, which GIS programs read), and the
// picture's .aux.xml with the system, since GDAL takes the system of a BMP or PNG from there only.

// Where a part of a sheet, starting at sheet pixel `origin`, lies on the ground.
[[nodiscard]] Georeference georeferenceOfPart(const Georeference &sheet, QPoint origin);

// The names of the side files of a picture, in the order above: "<base>.<first and last letter of the
// extension>w" (".bpw" for ".bmp", ".wld" for a picture without one), "<base>.prj", "<picture>.aux.xml".
[[nodiscard]] QStringList georeferenceFileNames(const QString &picturePath);

// The six lines of a world file: pixel width, two zero rotations, pixel height, then the ground place
// of the centre of the top-left pixel.
[[nodiscard]] QByteArray worldFileText(const Georeference &georeference);

struct SideFile
{
    QString path;
    QByteArray bytes;
};

// The three side files of a picture placed by `georeference`. MapGeoreferenceInvalid naming the
// system when it cannot be written as WKT.
[[nodiscard]] Outcome<std::vector<SideFile>> georeferenceFiles(const QString &picturePath,
                                                               const Georeference &georeference);

} // namespace map
